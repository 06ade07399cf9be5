// The DirectInput system keyboard: only its data format and the key-name property are used.
#include <cwchar>
#include <string>

#include "Plattform/eingabe/DiGeraete.h"
#include "Plattform/eingabe/Quelle.h"
#include "Plattform/eingabe/Tastentabelle.h"

namespace dinput {
namespace {

using eingabe::AktiveQuelle;

// UTF-8 to code points; bytes that start no valid sequence are skipped.
std::wstring AusUtf8(const std::string& text) {
  std::wstring ergebnis;
  for (size_t i = 0; i < text.size();) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    const int laenge = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
    if (laenge == 0 || i + laenge > text.size()) {
      ++i;
      continue;
    }
    uint32_t wert = laenge == 1 ? c : c & (0x7F >> laenge);
    for (int k = 1; k < laenge; ++k) wert = wert << 6 | (static_cast<unsigned char>(text[i + k]) & 0x3F);
    ergebnis.push_back(wchar_t(wert));
    i += laenge;
  }
  return ergebnis;
}

std::wstring TastenName(int dik) {
  const eingabe::TastenEintrag* e = eingabe::EintragFuerDik(dik);
  if (!e) return {};
  if (e->name) return e->name;
  return AusUtf8(AktiveQuelle().TastenName(e->glfw));
}

class SystemTastatur final : public IDirectInputDevice8A {
 public:
  SystemTastatur() { eingabe::ObjektErzeugt(); }

  ULONG Release() override {
    delete this;
    return 0;
  }

  HRESULT SetDataFormat(const DIDATAFORMAT* format) override {
    if (format != &c_dfDIKeyboard) return DIERR_INVALIDPARAM;
    if (AktiveQuelle().Scheitert(eingabe::Aufruf::TastaturFormat, -1)) return DIERR_GENERIC;
    formatGesetzt_ = true;
    return DI_OK;
  }

  HRESULT GetProperty(DIPROP eigenschaft, DIPROPHEADER* kopf) override {
    if (!kopf || eigenschaft != DIPROP_KEYNAME || kopf->dwHow != DIPH_BYOFFSET) return DIERR_INVALIDPARAM;
    if (kopf->dwSize != sizeof(DIPROPSTRING) || !formatGesetzt_) return DIERR_INVALIDPARAM;
    const std::wstring name = kopf->dwObj < 256 ? TastenName(int(kopf->dwObj)) : std::wstring();
    if (name.empty()) return DIERR_NOTFOUND;
    DIPROPSTRING* text = reinterpret_cast<DIPROPSTRING*>(kopf);
    const size_t laenge = std::min(name.size(), std::size(text->wsz) - 1);
    std::wmemcpy(text->wsz, name.data(), laenge);
    text->wsz[laenge] = 0;
    return DI_OK;
  }

  HRESULT SetCooperativeLevel(HWND, DWORD) override { return DI_OK; }
  HRESULT SetProperty(DIPROP, const DIPROPHEADER*) override { return DIERR_INVALIDPARAM; }
  HRESULT GetCapabilities(DIDEVCAPS*) override { return DIERR_INVALIDPARAM; }
  HRESULT EnumObjects(LPDIENUMDEVICEOBJECTSCALLBACKA, void*, DWORD) override { return DI_OK; }
  HRESULT Poll() override { return DI_OK; }
  HRESULT GetDeviceData(DWORD, DIDEVICEOBJECTDATA*, DWORD* anzahl, DWORD) override {
    if (anzahl) *anzahl = 0;
    return DIERR_NOTACQUIRED;
  }
  HRESULT Acquire() override { return DI_OK; }

 private:
  ~SystemTastatur() override { eingabe::ObjektFreigegeben(); }

  bool formatGesetzt_ = false;
};

}  // namespace

IDirectInputDevice8A* ErzeugeSystemTastatur() { return new SystemTastatur; }

}  // namespace dinput
