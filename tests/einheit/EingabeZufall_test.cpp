// 10,000 scripted frames of random input on the scripted back end: keys (also unknown and out of
// range), chars, mouse buttons 0-8, scroll, cursor, raw packets, focus flips, grab and mode
// switches, and pads with up to 200 buttons and 40 axes that change and vanish. Every press and
// release the handler sees must alternate per control, values stay finite, and after a final
// focus loss nothing reads held. The seed comes from MORVELUNT_EINGABE_SAAT or the clock, printed.
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <random>
#include <utility>

#include "EingabeHilfen.h"
#include "WinJoystick.h"

namespace {

using Zufall = std::mt19937_64;

// Tracks the held state each press or release claims to change; a repeated claim is a fault.
class PruefenderHandler : public OPRIX::InputHandler {
 public:
  explicit PruefenderHandler(Zufall& zufall) : zufall_(zufall) {}

  bool HandleButton(OPRIX::Device* d, int b, bool p) override { return Wechsel(1, d, b, p); }
  bool HandleMouseButton(OPRIX::Mouse* m, int b, bool p) override { return Wechsel(3, m, b, p); }
  bool HandleUnusedButton(OPRIX::Device* d, int b, bool p) override {
    if (dynamic_cast<OPRIX::Joystick*>(d)) return Wechsel(8, d, b, p);
    return Antwort();
  }
  bool HandleMouseMove(OPRIX::Mouse*, float x, float y) override { return Endlich(x) && Endlich(y) && Antwort(); }
  bool HandleWheel(OPRIX::Mouse*, float delta) override { return Endlich(delta) && Antwort(); }
  bool HandleText(OPRIX::Device*, unsigned c) override {
    if (c == 0) ++fehler;
    return Antwort();
  }
  bool HandleUnusedAxis(OPRIX::Device*, int, float v) override { return Endlich(v) && Antwort(); }

  int fehler = 0;
  int aufrufe = 0;

 private:
  bool Wechsel(int slot, OPRIX::Device* d, int b, bool gedrueckt) {
    bool& gehalten = gehalten_[{slot, d, b}];
    if (gehalten == gedrueckt) {
      if (fehler++ < 5) ADD_FAILURE() << "slot " << slot << " control " << b << " twice " << (gedrueckt ? "down" : "up");
    }
    gehalten = gedrueckt;
    return Antwort();
  }
  bool Endlich(float v) {
    if (!std::isfinite(v)) ++fehler;
    return true;
  }
  bool Antwort() {
    ++aufrufe;
    return zufall_() % 4 == 0;
  }

  Zufall& zufall_;
  std::map<std::tuple<int, OPRIX::Device*, int>, bool> gehalten_;
};

uint64_t Saat() {
  const char* wert = std::getenv("MORVELUNT_EINGABE_SAAT");
  if (wert && *wert) return std::strtoull(wert, nullptr, 10);
  return uint64_t(std::chrono::steady_clock::now().time_since_epoch().count());
}

int Zahl(Zufall& z, int von, int bis) { return std::uniform_int_distribution<int>(von, bis)(z); }
float Wert(Zufall& z) { return std::uniform_real_distribution<float>(-1.2f, 1.2f)(z); }

SkriptPad ZufallsPad(Zufall& z) {
  SkriptPad p;
  p.gamepad = z() % 2 == 0;
  p.hersteller = unsigned(Zahl(z, 0, 3));
  p.produkt = unsigned(Zahl(z, 0, 3));
  p.knoepfe.assign(size_t(Zahl(z, 0, 200)), 0);
  p.achsen.assign(size_t(Zahl(z, 0, 40)), 0.0f);
  p.hats = Zahl(z, 0, 3);
  return p;
}

void VeraenderePad(Zufall& z, SkriptPad& p) {
  if (z() % 500 == 0) p.da = false;
  for (int n = Zahl(z, 0, 3); n > 0; --n) {
    if (!p.knoepfe.empty()) p.knoepfe[size_t(Zahl(z, 0, int(p.knoepfe.size()) - 1))] ^= 1;
    if (!p.achsen.empty()) p.achsen[size_t(Zahl(z, 0, int(p.achsen.size()) - 1))] = Wert(z);
    p.pad.knoepfe[Zahl(z, 0, 14)] ^= 1;
    p.pad.achsen[Zahl(z, 0, 5)] = Wert(z);
  }
}

win32::RAWINPUT ZufallsPaket(Zufall& z) {
  win32::RAWINPUT p{};
  p.header.dwType = win32::DWORD(Zahl(z, 0, 2));
  p.header.dwSize = sizeof p;
  p.header.hDevice = reinterpret_cast<win32::HANDLE>(uintptr_t(Zahl(z, 0, 3)));
  if (p.header.dwType == win32::RIM_TYPEKEYBOARD) {
    p.data.keyboard.MakeCode = win32::USHORT(Zahl(z, 0, 0xFFFF));
    p.data.keyboard.VKey = win32::USHORT(Zahl(z, 0, 0x1FF));
    p.data.keyboard.Flags = win32::USHORT(Zahl(z, 0, 7));
    p.data.keyboard.ExtraInformation = win32::ULONG(z());
  } else {
    p.data.mouse.usButtonFlags = win32::USHORT(Zahl(z, 0, 0xFFFF));
    p.data.mouse.usButtonData = win32::USHORT(Zahl(z, 0, 0xFFFF));
    p.data.mouse.lLastX = win32::LONG(Zahl(z, -1000, 1000));
    p.data.mouse.lLastY = win32::LONG(Zahl(z, -1000, 1000));
  }
  return p;
}

// One random event of a pump.
void ZufallsEreignis(Zufall& z) {
  switch (Zahl(z, 0, 7)) {
    case 0:
    case 1: {
      const int taste = z() % 8 == 0 ? GLFW_KEY_UNKNOWN : Zahl(z, -5, 400);
      eingabe::Taste(taste, Zahl(z, 0, 300), Zahl(z, 0, 3));
      break;
    }
    case 2: eingabe::Zeichen(uint32_t(z() % 0x110010)); break;
    case 3: eingabe::Knopf(Zahl(z, 0, 8), Zahl(z, 0, 2)); break;
    case 4: eingabe::Rollen(0, std::uniform_real_distribution<double>(-400, 400)(z)); break;
    case 5: eingabe::Cursor(Zahl(z, -2000, 2000) / 3.0, Zahl(z, -2000, 2000) / 3.0); break;
    case 6: eingabe::Einreihen(ZufallsPaket(z)); break;
    default: OPRIX::NoteWindowFocus(z() % 2 == 0); break;
  }
}

}  // namespace

TEST_F(EingabeTest, RandomFramesStayConsistent) {
  const uint64_t saat = Saat();
  std::printf("Input random frames: seed %llu (MORVELUNT_EINGABE_SAAT)\n", static_cast<unsigned long long>(saat));
  SCOPED_TRACE("seed " + std::to_string(saat));
  Zufall z(saat);
  for (int n = Zahl(z, 0, 5); n > 0; --n) quelle.pads.push_back(ZufallsPad(z));
  OPRIX::InputSystem* s = Starte();
  ASSERT_NE(s, nullptr);
  PruefenderHandler pruefer(z);
  s->handler = &pruefer;

  for (int frame = 0; frame < 10'000; ++frame) {
    for (int n = Zahl(z, 0, 6); n > 0; --n) quelle.Im([&z] { ZufallsEreignis(z); });
    for (SkriptPad& p : quelle.pads) VeraenderePad(z, p);
    quelle.cursorX = Zahl(z, -50, 700);
    quelle.cursorY = Zahl(z, -50, 500);
    if (z() % 50 == 0) {
      s->mouseGrabWanted = z() % 2 == 0;
      s->multiDevice = z() % 4 == 0;
      s->keyRepeatEnabled = z() % 4 != 0;
      s->RecomputeGrab();
    }
    if (z() % 200 == 0) OPRIX::NoteWindowFocus(z() % 2 == 0);
    if (z() % 300 == 0) zeit -= int64_t(Zahl(z, 1, 500)) * 1'000'000;
    Frame(z() % 100 == 0 ? Zahl(z, 0, 3000) : Zahl(z, 10, 20));
  }

  OPRIX::NoteWindowFocus(true);
  Frame();
  OPRIX::NoteWindowFocus(false);
  EXPECT_FALSE(s->Focused());
  for (OPRIX::Device* d : s->Devices()) {
    for (int b = 0; b < d->ButtonCount(); ++b) EXPECT_FALSE(d->ButtonHeld(b)) << "device " << d->Id() << " button " << b;
    if (!dynamic_cast<OPRIX::Joystick*>(d)) continue;
    for (int a = 0; a < d->AxisCount(); ++a) EXPECT_EQ(d->AxisPosition(a), 0.0f) << "device " << d->Id() << " axis " << a;
  }
  EXPECT_EQ(pruefer.fehler, 0);
  EXPECT_GT(pruefer.aufrufe, 10'000);
  s->handler = nullptr;
}
