#include "Zarvo_Screen3D.h"

#include <cstdio>
#include <cstdlib>

#include "Plattform/d3d9/d3d9.h"
#include "Plattform/system/Anzeige.h"
#include "Zarvo_Ausnahme.h"
#include "Zarvo_FenstersystemGlfw.h"
#include "Zarvo_Start.h"
#include "Zarvo_ZeichenKontext.h"

namespace {
constexpr uint32_t ERSATZ_BREITE = 1600;
constexpr uint32_t ERSATZ_HOEHE = 900;

// Static termination closes a screen that is still open.
struct Abschluss {
  ~Abschluss() {
    if (Zarvo_Screen3D::IstInitialisiert()) Zarvo_Screen3D::Schliessen();
  }
};
}  // namespace

bool Zarvo_Screen3D::systemInitialisiert = false;
Zarvo_BildschirmZustand Zarvo_Screen3D::zustand;
bool Zarvo_Screen3D::initialisiert = false;
bool Zarvo_Screen3D::aenderungLaeuft = false;
bool Zarvo_Screen3D::eigenesFenster = true;
std::unique_ptr<Zarvo_ZeichenKontext> Zarvo_Screen3D::kontext;
void* Zarvo_Screen3D::nativerGriff = nullptr;
Zarvo_Fenstersystem* Zarvo_Screen3D::system = nullptr;
Zarvo_Screen3D::InitFehler Zarvo_Screen3D::initFehler;
void (*Zarvo_Screen3D::fokusHaken)(bool) = nullptr;
std::function<void()> Zarvo_Screen3D::aenderungsHoerer;
static Abschluss abschluss;

// Another window system has not been initialised yet.
void Zarvo_Screen3D::SetzeFenstersystem(Zarvo_Fenstersystem* neu) {
  if (neu != system) systemInitialisiert = false;
  system = neu;
}

Zarvo_Fenstersystem& Zarvo_Screen3D::System() {
  static Zarvo_FenstersystemGlfw glfw;
  return system ? *system : glfw;
}

bool Zarvo_Screen3D::InitGlfw() {
  if (!systemInitialisiert) systemInitialisiert = System().Init();
  return systemInitialisiert;
}

std::vector<Zarvo_Fenstersystem::Modus> Zarvo_Screen3D::Modi(uint32_t farbTiefe) {
  std::vector<Zarvo_Fenstersystem::Modus> passend;
  if (!System().HatMonitor()) {
    g_Log.Schreibe("!No monitor found. What the heck is going on here?");
    return passend;
  }
  const uint32_t bits = farbTiefe == 1 ? 16 : 24;
  for (const Zarvo_Fenstersystem::Modus& m : System().Modi())
    if (m.rot + m.gruen + m.blau == bits) passend.push_back(m);
  return passend;
}

// The offered mode nearest to the wish (a later mode wins a tie); false without modes, and then
// the wish stays as it is.
bool Zarvo_Screen3D::NaechsterModus(Darstellung& d) {
  const std::vector<Zarvo_Fenstersystem::Modus> modi = Modi(d.farbTiefe);
  if (modi.empty()) return false;
  const auto abstand = [&](const Zarvo_Fenstersystem::Modus& m) {
    uint64_t a = uint64_t(std::llabs(int64_t(m.breite) - d.breite)) + uint64_t(std::llabs(int64_t(m.hoehe) - d.hoehe));
    if (d.rate != 0) a += uint64_t(std::llabs(int64_t(m.rate) - d.rate));
    return a;
  };
  const Zarvo_Fenstersystem::Modus* bester = &modi.front();
  for (const Zarvo_Fenstersystem::Modus& m : modi)
    if (abstand(m) <= abstand(*bester)) bester = &m;
  d = {bester->breite, bester->hoehe, d.farbTiefe, d.rate == 0 ? 0 : bester->rate};
  return true;
}

bool Zarvo_Screen3D::Init(uint64_t, uint64_t, const Darstellung& darstellung, uint64_t flags) {
  g_Log.DebugAusgabe("Screen wird initialisiert.");
  initFehler = {};
  if (!InitGlfw()) return Scheitert(Schritt::Anzeige, System().LetzterFehler());
  Darstellung d = darstellung;
  bool vomMonitor = false;
  Zarvo_Fenstersystem::Modus aktuell{};
  if (d.breite == 0 || d.hoehe == 0) {
    if (System().AktuellerModus(aktuell)) {
      d.breite = aktuell.breite;
      d.hoehe = aktuell.hoehe;
      vomMonitor = true;
    } else {
      g_Log.Schreibe("!No monitor found. What the heck is going on here? Starting up windowed.");
    }
  }
  if (d.breite == 0 || d.hoehe == 0) {
    flags &= ~FLAG_VOLLBILD;
    d.breite = ERSATZ_BREITE;
    d.hoehe = ERSATZ_HOEHE;
  }
  Zarvo_Fenstersystem::Hinweise hinweise;
  // Without modes the wish opens windowed.
  if ((flags & FLAG_VOLLBILD) && !NaechsterModus(d)) flags &= ~FLAG_VOLLBILD;
  const bool vollbild = flags & FLAG_VOLLBILD;
  if (vollbild) {
    hinweise.rate = d.rate;
  } else {
    if (vomMonitor) d.farbTiefe = aktuell.rot + aktuell.gruen + aktuell.blau < 17 ? 1 : 0;
    hinweise.rahmen = !(flags & FLAG_RAHMENLOS);
  }
  g_Vollbild.SetzeBool(vollbild);
  if (d.farbTiefe == 1) hinweise = {5, 6, 5, hinweise.rahmen, hinweise.rate};
  zustand = {d.breite, d.hoehe, d.farbTiefe, d.rate, flags, vollbild, nullptr};

  if (flags & FLAG_REFERENZ) win32::WaehleSoftwareRasterung();
  System().SetzeHinweise(hinweise);
  Zarvo_Fenstersystem::Fenster fenster = System().ErzeugeFenster(d.breite, d.hoehe, SPIEL_TITEL, vollbild);
  if (fenster == nullptr) {
    g_Log.Schreibe("!Zarvo_Screen3D::Init(...): Couldn't create window.");
    ZARVO_PRUEFE("Failed to create window");
    return Scheitert(Schritt::Fenster, System().LetzterFehler());
  }
  zustand.fenster = fenster;
  if (!System().KontextAktuell(fenster)) {
    const std::string meldung = System().LetzterFehler();
    GibAllesFrei();
    return Scheitert(Schritt::Kontext, meldung);
  }
  nativerGriff = System().NativerGriff(fenster);
  System().SetzeRueckrufe(fenster, {BeiIkonisiert, BeiFokus, BeiGroesse, BeiSchliessen});
  // No iconify event comes for a window that opens restored: start from its attributes.
  g_System.SetzeFlagA(!System().IstIkonisiert(fenster));
  g_System.SetzeFlagB(System().HatFokus(fenster));
  g_System.AktualisiereAktivZustand();
  kontext = std::make_unique<Zarvo_ZeichenKontext>(zustand);
  if (!kontext->HatGeraet()) {
    GibAllesFrei();
    return Scheitert(Schritt::Lader, d3d9::LetzteDiagnose());
  }
  initialisiert = true;
  return true;
}

const char* Zarvo_Screen3D::SchrittName(Schritt schritt) {
  switch (schritt) {
    case Schritt::Anzeige: return "Anzeige";
    case Schritt::Fenster: return "Fenster";
    case Schritt::Kontext: return "Kontext";
    case Schritt::Lader: return "Lader";
    default: return "keiner";
  }
}

// Records the failed step, and says it in the log and on stderr (a test or a player without a
// log file sees it there). Always false.
bool Zarvo_Screen3D::Scheitert(Schritt schritt, const std::string& meldung) {
  initFehler = {schritt, meldung};
  const std::string zeile = std::string("!Zarvo_Screen3D::Init(...): Schritt ") + SchrittName(schritt) +
                            " gescheitert: " + (meldung.empty() ? "(keine Meldung)" : meldung);
  g_Log.Schreibe("%s", zeile.c_str());
  std::fprintf(stderr, "%s\n", zeile.c_str() + 1);
  std::fflush(stderr);
  return false;
}

void Zarvo_Screen3D::GibAllesFrei() {
  if (kontext) kontext->MeldeUnfreigegebene();
  kontext.reset();
  if (zustand.fenster) System().ZerstoereFenster(zustand.fenster);
  zustand.fenster = nullptr;
  nativerGriff = nullptr;
}

void Zarvo_Screen3D::SetDarstellung(std::string&) {
  if (!eigenesFenster) {
    g_Log.DebugAusgabe("Geht nicht, ist kein selbsterstelltes Fenster.");
    return;
  }
  g_Log.DebugAusgabe("Darstellung wird geändert auf %dx%d, %s.", g_DisplayBreite.intWert, g_DisplayHoehe.intWert,
                     g_Vollbild.boolWert ? "Vollbild" : "Fenster");
  SetzeFenstergroesse({uint32_t(g_DisplayBreite.intWert), uint32_t(g_DisplayHoehe.intWert), zustand.farbTiefe, zustand.bildWiederholrate},
                      g_Vollbild.boolWert, g_VSync.boolWert);
}

bool Zarvo_Screen3D::DarstellungGeaendert(Zarvo_Variable&, uint32_t, const std::string&) { return true; }

void Zarvo_Screen3D::SetzeFenstergroesse(Darstellung d, bool vollbild, bool vsync) {
  aenderungLaeuft = true;
  Zarvo_Fenstersystem::Modus aktuell{};
  if ((d.breite == 0 || d.hoehe == 0) && System().AktuellerModus(aktuell)) {
    if (d.breite == 0) d.breite = aktuell.breite;
    if (d.hoehe == 0) d.hoehe = aktuell.hoehe;
  }
  if (vollbild && !NaechsterModus(d)) vollbild = false;
  zustand.breite = d.breite;
  zustand.hoehe = d.hoehe;
  zustand.farbTiefe = d.farbTiefe;
  zustand.bildWiederholrate = d.rate;
  if (eigenesFenster && zustand.fenster) {
    g_DisplayBreite.SetzeInt(int32_t(d.breite));
    g_DisplayHoehe.SetzeInt(int32_t(d.hoehe));
    g_VSync.SetzeBool(vsync);
    zustand.flags = (zustand.flags & ~(FLAG_VOLLBILD | FLAG_VSYNC)) | (vollbild ? FLAG_VOLLBILD : 0) | (vsync ? FLAG_VSYNC : 0);
    uint32_t w = 0, h = 0;
    if (zustand.vollbild != vollbild) {
      System().SetzeMonitor(zustand.fenster, vollbild, 0, 0, d.breite, d.hoehe, d.rate);
    } else {
      System().InhaltsGroesse(zustand.fenster, w, h);
      if (w != d.breite || h != d.hoehe) System().SetzeGroesse(zustand.fenster, d.breite, d.hoehe);
    }
    zustand.vollbild = vollbild;
    g_Vollbild.SetzeBool(vollbild);
  }
  if (kontext) kontext->ReInit();
  aenderungLaeuft = false;
  if (aenderungsHoerer) aenderungsHoerer();
}

void Zarvo_Screen3D::SetMausModus(bool sichtbar) {
  if (initialisiert) System().SetzeMausSichtbar(zustand.fenster, sichtbar);
}

void Zarvo_Screen3D::GibMausFrei() { win32::ClipCursor(nullptr); }

void Zarvo_Screen3D::VerarbeiteEreignisse() {
  if (systemInitialisiert) System().Abfragen();
}

Zarvo_ZeichenKontext* Zarvo_Screen3D::GibZeichenKontext() { return kontext.get(); }

void Zarvo_Screen3D::Schliessen() {
  if (!initialisiert) return;
  g_Log.DebugAusgabe("Screen wird geschlossen.");
  win32::ClipCursor(nullptr);
  // Destroying the window destroys its GL context: the drawing context goes first.
  GibAllesFrei();
  initialisiert = false;
  if (systemInitialisiert) System().Beende();
  systemInitialisiert = false;
}

void Zarvo_Screen3D::BeiIkonisiert(bool ikonisiert) {
  g_System.SetzeFlagA(!ikonisiert);
  g_System.AktualisiereAktivZustand();
  if (fokusHaken) fokusHaken(!ikonisiert);
}

void Zarvo_Screen3D::BeiFokus(bool fokus) {
  g_System.SetzeFlagB(fokus);
  g_System.AktualisiereAktivZustand();
  if (fokusHaken) fokusHaken(fokus);
}

void Zarvo_Screen3D::BeiGroesse(int breite, int hoehe) {
  if (breite < 1 || hoehe < 1 || zustand.vollbild || aenderungLaeuft) return;
  // A late event of a change of our own repeats the settings: nothing to do.
  if (uint32_t(breite) == zustand.breite && uint32_t(hoehe) == zustand.hoehe) return;
  SetzeFenstergroesse({uint32_t(breite), uint32_t(hoehe), zustand.farbTiefe, zustand.bildWiederholrate}, g_Vollbild.boolWert,
                      g_VSync.boolWert);
}

void Zarvo_Screen3D::BeiSchliessen() { g_System.Beende(); }
