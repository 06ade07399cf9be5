#pragma once
// Scripted input back end: a fake window, a scripted cursor, raw devices, joysticks and failures
// per call. Events of a frame are queued with Im(...) and fed to the intake when the library pumps.
#include <deque>
#include <functional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "Plattform/eingabe/Quelle.h"

struct SkriptPad {
  bool da = true;
  bool gamepad = true;
  unsigned hersteller = 0x045E, produkt = 0x028E;
  std::vector<float> achsen = std::vector<float>(6, 0.0f);
  std::vector<unsigned char> knoepfe = std::vector<unsigned char>(15, 0);
  int hats = 0;
  eingabe::PadZustand pad;
};

class SkriptQuelle : public eingabe::Quelle {
 public:
  SkriptQuelle();
  ~SkriptQuelle() override;

  // Events of the next pump.
  void Im(std::function<void()> ereignis) { naechsterPump.push_back(std::move(ereignis)); }
  static void Pumpe();
  // The application's pump calls this after the window system's events: the same events.
  void Bildbeginn() override { Pumpe(); }

  bool Scheitert(eingabe::Aufruf aufruf, int ziel) override {
    return fehler.count({aufruf, -1}) > 0 || fehler.count({aufruf, ziel}) > 0;
  }
  bool FensterGueltig(void* f) override { return f != nullptr; }
  void HaengeRueckrufeAn(void*) override { rueckrufeAn = true; }
  void LoeseRueckrufe(void*) override { rueckrufeAn = false; }
  void LiesCursor(void*, double& x, double& y) override {
    x = cursorX;
    y = cursorY;
  }
  void SetzeCursor(void*, double x, double y) override {
    cursorX = x;
    cursorY = y;
    sprunge.emplace_back(int(x), int(y));
  }
  void FensterPosition(void*, int& x, int& y) override {
    x = 100;
    y = 50;
  }
  void FensterGroesse(void*, int& b, int& h) override {
    b = 640;
    h = 480;
  }
  void FensterRahmen(void*, int& l, int& o, int& r, int& u) override { l = o = r = u = 0; }
  std::vector<eingabe::RohGeraet> RohGeraete() override {
    return rohGeraete.empty() ? Quelle::RohGeraete() : rohGeraete;
  }
  std::string TastenName(int) override { return tastenName; }
  int ZeichenAntwort(uint32_t text, bool gedrueckt, wchar_t* puffer, int groesse) override {
    if (zeichenAntworten.empty()) return Quelle::ZeichenAntwort(text, gedrueckt, puffer, groesse);
    const std::wstring antwort = zeichenAntworten.front();
    zeichenAntworten.pop_front();
    for (size_t i = 0; i < antwort.size() && int(i) < groesse; ++i) puffer[i] = antwort[i];
    return int(antwort.size());
  }
  bool JoystickDa(int jid) override { return Pad(jid) && Pad(jid)->da; }
  bool IstGamepad(int jid) override { return Pad(jid) && Pad(jid)->gamepad; }
  std::string JoystickGuid(int jid) override;
  std::vector<float> JoystickAchsen(int jid) override { return Pad(jid) ? Pad(jid)->achsen : std::vector<float>(); }
  std::vector<unsigned char> JoystickKnoepfe(int jid) override {
    return Pad(jid) ? Pad(jid)->knoepfe : std::vector<unsigned char>();
  }
  int JoystickHats(int jid) override { return Pad(jid) ? Pad(jid)->hats : 0; }
  bool GamepadZustand(int jid, eingabe::PadZustand& z) override {
    if (!JoystickDa(jid)) return false;
    z = Pad(jid)->pad;
    return true;
  }
  std::vector<eingabe::PnpEintrag> PnpGeraete() override {
    return pnpEigen ? pnp : Quelle::PnpGeraete();
  }

  SkriptPad* Pad(int jid) { return jid >= 0 && size_t(jid) < pads.size() ? &pads[size_t(jid)] : nullptr; }

  std::set<std::pair<eingabe::Aufruf, int>> fehler;
  bool rueckrufeAn = false;
  std::string tastenName = "w";  // of every printable key
  double cursorX = 320, cursorY = 240;
  std::vector<std::pair<int, int>> sprunge;
  std::vector<eingabe::RohGeraet> rohGeraete;
  std::deque<std::wstring> zeichenAntworten;
  std::vector<SkriptPad> pads;
  bool pnpEigen = false;
  std::vector<eingabe::PnpEintrag> pnp;
  std::vector<std::function<void()>> naechsterPump;
};
