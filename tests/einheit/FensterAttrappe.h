#pragma once
// A scripted window system: monitor and modes as set, creation that fails on demand, hints and
// calls recorded in order, sizes applied at once with their callback held for the next Abfragen
// (as X11 delivers them), and every callback fireable by the test.
#include <string>
#include <utility>
#include <vector>

#include "Zarvo_Fenstersystem.h"

class FensterAttrappe : public Zarvo_Fenstersystem {
 public:
  bool monitor = true;
  Modus aktuell{1280, 720, 8, 8, 8, 60};
  std::vector<Modus> modi{{1280, 720, 8, 8, 8, 60}};
  bool initScheitert = false;
  bool erzeugungScheitert = false;
  bool kontextFehlt = false;
  std::string fehler;  // what LetzterFehler reports
  bool startIkonisiert = false;
  bool startFokus = true;

  std::vector<std::string> aufrufe;
  Hinweise hinweise;
  Rueckrufe rueckrufe;
  bool offen = false;
  bool vollbild = false;
  uint32_t breite = 0, hoehe = 0;
  bool mausSichtbar = true;
  std::vector<std::pair<int, int>> wartendeGroessen;

  bool Init() override { return Merke("Init"), !initScheitert; }
  std::string LetzterFehler() override { return fehler; }
  bool KontextAktuell(Fenster) override { return !kontextFehlt; }
  void Beende() override { Merke("Beende"); }
  bool HatMonitor() override { return monitor; }
  bool AktuellerModus(Modus& m) override {
    if (monitor) m = aktuell;
    return monitor;
  }
  std::vector<Modus> Modi() override { return monitor ? modi : std::vector<Modus>{}; }
  void SetzeHinweise(const Hinweise& h) override {
    hinweise = h;
    Merke("SetzeHinweise");
  }
  Fenster ErzeugeFenster(uint32_t w, uint32_t h, const char*, bool voll) override {
    Merke("ErzeugeFenster");
    if (erzeugungScheitert) return nullptr;
    offen = true;
    vollbild = voll;
    breite = w;
    hoehe = h;
    return this;
  }
  void ZerstoereFenster(Fenster) override {
    Merke("ZerstoereFenster");
    offen = false;
  }
  void SetzeMonitor(Fenster, bool voll, int, int, uint32_t w, uint32_t h, uint32_t) override {
    Merke(voll ? "SetzeMonitor(Vollbild)" : "SetzeMonitor(Fenster)");
    vollbild = voll;
    Groesse(w, h);
  }
  void InhaltsGroesse(Fenster, uint32_t& w, uint32_t& h) override { w = breite, h = hoehe; }
  void SetzeGroesse(Fenster, uint32_t w, uint32_t h) override {
    Merke("SetzeGroesse");
    Groesse(w, h);
  }
  bool IstIkonisiert(Fenster) override { return startIkonisiert; }
  bool HatFokus(Fenster) override { return startFokus; }
  void SetzeRueckrufe(Fenster, const Rueckrufe& r) override { rueckrufe = r; }
  void SetzeMausSichtbar(Fenster, bool sichtbar) override { mausSichtbar = sichtbar; }
  void Abfragen() override {
    auto groessen = std::move(wartendeGroessen);
    wartendeGroessen.clear();
    for (auto [w, h] : groessen)
      if (rueckrufe.groesse) rueckrufe.groesse(w, h);
  }
  void* NativerGriff(Fenster f) override { return f; }

 private:
  void Merke(const char* was) { aufrufe.emplace_back(was); }
  void Groesse(uint32_t w, uint32_t h) {
    breite = w;
    hoehe = h;
    wartendeGroessen.emplace_back(int(w), int(h));
  }
};
