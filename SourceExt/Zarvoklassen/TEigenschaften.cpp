#include "TEigenschaften.h"

#include <locale>
#include <sstream>

namespace {

std::ostringstream KlassischerStrom() {
  std::ostringstream strom;
  strom.imbue(std::locale::classic());
  return strom;
}

template <class Zahl>
std::string ZahlenAlsText(std::initializer_list<Zahl> zahlen, bool zeilenende) {
  std::ostringstream strom = KlassischerStrom();
  bool erste = true;
  for (Zahl zahl : zahlen) {
    if (!erste) strom << ' ';
    strom << zahl;
    erste = false;
  }
  if (zeilenende) strom << '\n';
  return strom.str();
}

struct TypNamen {
  const char* operator()(std::monostate) const { return nullptr; }
  const char* operator()(const TVektor&) const { return "TVektor"; }
  const char* operator()(const TAlphaFarbe&) const { return "TAlphaFarbe"; }
  const char* operator()(const std::string&) const { return "string"; }
  const char* operator()(int32_t) const { return "int"; }
  const char* operator()(uint32_t) const { return "unsigned int"; }
  const char* operator()(float) const { return "float"; }
};

struct Schreiber {
  std::string& text;
  void operator()(std::monostate) const { text.clear(); }
  void operator()(const TVektor& v) const { TEigenschaften::VektorAlsText(text, v); }
  void operator()(const TAlphaFarbe& f) const { TEigenschaften::AlphaFarbeAlsText(text, f); }
  void operator()(const std::string& s) const { TEigenschaften::StringAlsText(text, s); }
  void operator()(int32_t i) const { TEigenschaften::IntAlsText(text, i); }
  void operator()(uint32_t u) const { TEigenschaften::UnsignedIntAlsText(text, u); }
  void operator()(float f) const { TEigenschaften::FloatAlsText(text, f); }
};

}  // namespace

const char* TEigenschaften::TypName() const { return std::visit(TypNamen{}, wert); }

std::string TEigenschaften::AlsText() const {
  std::string text;
  std::visit(Schreiber{text}, wert);
  return text;
}

const TEigenschaften* TEigenschaften::Kind(const std::string& kindName) const {
  const auto eintrag = kinder.find(kindName);
  return eintrag == kinder.end() ? nullptr : &eintrag->second;
}

void TEigenschaften::FloatAlsText(std::string& text, float wert) { text = ZahlenAlsText({wert}, false); }

void TEigenschaften::VektorAlsText(std::string& text, const TVektor& wert) {
  text = ZahlenAlsText({wert.x, wert.y, wert.z}, true);
}

void TEigenschaften::AlphaFarbeAlsText(std::string& text, const TAlphaFarbe& wert) {
  text = ZahlenAlsText({wert.r, wert.g, wert.b, wert.a}, true);
}

void TEigenschaften::StringAlsText(std::string& text, const std::string& wert) { text = wert; }

void TEigenschaften::IntAlsText(std::string& text, int32_t wert) { text = ZahlenAlsText({wert}, false); }

void TEigenschaften::UnsignedIntAlsText(std::string& text, uint32_t wert) {
  text = ZahlenAlsText({wert}, false);
}
