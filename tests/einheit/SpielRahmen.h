#pragma once
// The harness of the running game: everything the game flow (and later the level editor) needs
// around it, set up as the application does, and frames run as the main loop runs them.
//
// Set-up: the fake performance counter (1 ns ticks), advanced 1/64 s per frame, so that both the
// frame clock (maximum step 0.1 s) and the game clock step exactly 1/64 s after their first two
// ticks; the screen on the recording device at 1280 x 720 (OeffneSchirm is the hook for the
// display tests); a temporary application folder whose "Daten" links every built data file but
// "szene.dat", which the test writes (SchreibeSzene) or links (NimmMitgelieferteSzene); the
// game's resources; the parallel core with two workers; the scripted input back end with the
// input bridge as handler and the cursor at the screen's centre; a Zarvo_Audio on the scripted
// FMOD system with one channel group for the game (`kanal`).
//
// One frame (Bild): counter + 1/64 s; the input update (events queued with Im run in its poll);
// the frame clock's tick (the widget layout is a task on it); the game flow's Aktualisiere as a
// job of the main queue (MachSofort); the log's queue; then the game atlas and the font draw and
// empty what the frame queued, which is kept in `sprites` and `glyphen` for the tests.
//
// The mouse: Maus moves the cursor for the next frame's update (whole pixels). Klicke presses
// button 0 in the next frame and releases it in the one after. KlickeAufWeltpunkt runs a frame
// with the mouse at a look position, projects the point with the view that frame built, moves
// there and clicks: the pick of the click frame uses that same view, so the point lies under
// the mouse to within the pixel rounding.
//
// Used by: test_spielablauf (SpielAblauf_test, Spielersteuerung_test, MitgelieferteSzene_test),
// the display test of player control, and the level editor's tests (EditorRahmen.h).
#include <gtest/gtest.h>

#include <GLFW/glfw3.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "Bewegung.h"
#include "Buttons.h"
#include "EigenerOrdner.h"
#include "Kamera.h"
#include "Kartenbeschreibung.h"
#include "LogMitschnitt.h"
#include "NullBildschirm.h"
#include "Oberflaeche.h"
#include "Oprix.h"
#include "Plattform/eingabe/Aufnahme.h"
#include "Plattform/system/Zaehler.h"
#include "Ressourcen.h"
#include "Seite.h"
#include "SkriptQuelle.h"
#include "SpielAblauf.h"
#include "SzenenDatei.h"
#include "Zarvo_Audio.h"
#include "Zarvo_Font3D.h"
#include "Zarvo_Parallel.h"
#include "Zarvo_SpriteAtlas.h"
#include "Zarvo_Start.h"
#include "fmod_attrappe/FmodAttrappe.h"

class SpielRahmen : public ::testing::Test {
 protected:
  using V3 = BVektor3<float>;
  using Zelle = Spiel::SpielAblauf::Zellposition;

  static constexpr int64_t BILD_TICKS = 15'625'000;  // 1/64 s
  static constexpr float DT = 1.0f / 64;
  static constexpr uint32_t BREITE = 1280, HOEHE = 720;
  static inline int64_t zeit = 0;

  void SetUp() override {
    // From the real counter on, and never below an earlier test's end, so that the frame clock
    // (a process-wide global) never steps backward.
    zeit = std::max(zeit, LiesZaehler());
    win32::SetzeZaehlerQuelle([] { return zeit; });
    ASSERT_TRUE(OeffneSchirm());
    verzeichnisVorher = g_System.anwendungsVerzeichnis;
    g_System.anwendungsVerzeichnis = ordner.Pfad();
    VerlinkeDaten();
    g_Zeit.SetMaxSchritt(SekundenAlsTicks(0.1f));
    Spiel::Ressourcen::Lade();
    kern = std::make_unique<Zarvo_Parallel>(2);
    OPRIX::SetEventPump(&SkriptQuelle::Pumpe);
    quelle.cursorX = BREITE / 2.0;
    quelle.cursorY = HOEHE / 2.0;
    ASSERT_TRUE(OPRIX::OpenWindowInput(&fenster));
    bruecke = std::make_unique<Spiel::Buttons>();
    OPRIX::gInputSystem->handler = bruecke.get();
    StarteTon(FmodSkript());
    Spiel::Szene::SetzeKombinationZurueck();
  }

  void TearDown() override {
    Beende();
    audio.reset();
    FmodAttrappe::Entferne();
    bruecke.reset();
    OPRIX::CloseInput();
    OPRIX::SetEventPump(nullptr);
    kern.reset();
    Spiel::Ressourcen::Freigeben();
    g_Zeit.SetMaxSchritt(0);
    g_System.anwendungsVerzeichnis = verzeichnisVorher;
    SchliesseSchirm();
    win32::SetzeZaehlerQuelle(nullptr);
  }

  // The frame step inside the job; the editor's harness runs the editor here.
  virtual void Schritt() {
    if (spiel) spiel->Aktualisiere();
  }

  // ---- hooks of the display tests ----
  virtual bool OeffneSchirm() {
    bildschirm = std::make_unique<NullBildschirm>(BREITE, HOEHE);
    return bildschirm->Offen();
  }
  virtual void SchliesseSchirm() { bildschirm.reset(); }

  // ---- the level ----
  std::filesystem::path SzenenPfad() const { return ordner / "Daten" / "szene.dat"; }
  // The level of a description, changed in code before it is saved (for what the description
  // refuses: other start directions, no start, a start outside the grid).
  void SchreibeSzene(const std::string& beschreibung, const std::function<void(Karte&)>& aendere = {}) {
    Karte karte;
    const auto fehler = Kartenbeschreibung::Baue(beschreibung, karte);
    ASSERT_FALSE(fehler) << "line " << fehler->zeile << ": " << fehler->grund;
    if (aendere) aendere(karte);
    ASSERT_TRUE(Spiel::SzenenDatei::Speichere(SzenenPfad(), karte));
  }
  // An open 8 x 4 x 8 room on a rock floor, the start at (2, 1, 2) facing `richtung`; `rest` adds
  // statements.
  static std::string Flur(uint32_t richtung, const std::string& rest = "") {
    return "groesse 8 4 8\nquader 0 0 0 7 0 7 Fels\nobjekt Startpunkt 2.5 1.0 2.5 | " + std::to_string(richtung) + "\n" + rest;
  }
  void NimmMitgelieferteSzene() {
    std::filesystem::create_symlink(std::filesystem::path(MORVELUNT_DATEN_ZIEL) / "szene.dat", SzenenPfad());
  }

  // ---- the game flow ----
  void Starte(Spiel::Generator::Erbauer erbauer = Spiel::Generator::StandardErbauer()) {
    kern->MachSofort([&] { spiel = std::make_unique<Spiel::SpielAblauf>(audio.get(), kanal, std::move(erbauer)); });
  }
  // No builders: patches are requested and never built (for tests that need no instances).
  static Spiel::Generator::Erbauer OhneErbauer() { return {}; }
  // Writes the level, starts the game flow and runs the two frames that settle both clocks.
  void StarteMit(const std::string& beschreibung, const std::function<void(Karte&)>& aendere = {},
                 Spiel::Generator::Erbauer erbauer = OhneErbauer()) {
    SchreibeSzene(beschreibung, aendere);
    Starte(std::move(erbauer));
    Bilder(2);
  }
  void Beende() {
    if (spiel) kern->MachSofort([&] { spiel.reset(); });
  }
  Spiel::SpielAblauf& S() { return *spiel; }
  Spiel::Szene& Szene() { return spiel->GibSzene(); }
  // A new audio system on a new script (before Starte).
  void StarteTon(const FmodSkript& skript, bool init = true) {
    audio.reset();
    FmodAttrappe::Setze(skript);
    audio = std::make_unique<Zarvo_Audio>();
    kanal = nullptr;
    if (init) {
      ASSERT_TRUE(audio->Init());
      kanal = audio->ErzeugeKanal();
      ASSERT_NE(kanal, nullptr);
    }
    FmodAttrappe::LeereAufrufe();
  }

  // ---- frames ----
  void Bild() {
    zeit += BILD_TICKS;
    OPRIX::gInputSystem->Refresh();
    g_Zeit.Aktualisiere();
    kern->MachSofort([this] { Schritt(); });
    g_Log.LeereWarteschlange();
    ZeichneWarteschlangen();
  }
  void Bilder(int anzahl) {
    for (int i = 0; i < anzahl; ++i) Bild();
  }
  // Frames until `fertig` holds after one; the number of frames, or -1 after `grenze`.
  template <class F>
  int BilderBis(F&& fertig, int grenze = 64 * 20) {
    for (int i = 1; i <= grenze; ++i) {
      Bild();
      if (fertig()) return i;
    }
    return -1;
  }

  // The eye at its cell's eye position and the yaw on the facing's heading.
  bool Steht() {
    return S().GibAuge() == Spiel::Bewegung::AugenPosition(Szene().karte, S().GibZelle()) &&
           S().GibGieren() == Spiel::Bewegung::Kurs(S().GibBlick());
  }

  // ---- input ----
  void Im(std::function<void()> ereignis) { quelle.Im(std::move(ereignis)); }
  void Druecke(int glfwTaste) {
    Im([glfwTaste] { eingabe::Taste(glfwTaste, 0, GLFW_PRESS); });
  }
  void Loese(int glfwTaste) {
    Im([glfwTaste] { eingabe::Taste(glfwTaste, 0, GLFW_RELEASE); });
  }
  // Pressed in one frame, released in the next.
  void Tippe(int glfwTaste) {
    Druecke(glfwTaste);
    Bild();
    Loese(glfwTaste);
    Bild();
  }
  void Maus(float x, float y) {
    quelle.cursorX = x;
    quelle.cursorY = y;
  }
  V3 MausPosition() const { return {float(quelle.cursorX), float(quelle.cursorY), 0}; }
  // Button 0 for the next frame's update.
  void MausRunter() {
    Im([] { eingabe::Knopf(GLFW_MOUSE_BUTTON_LEFT, GLFW_PRESS); });
  }
  void MausHoch() {
    Im([] { eingabe::Knopf(GLFW_MOUSE_BUTTON_LEFT, GLFW_RELEASE); });
  }
  // Button 0 down in the next frame, up in the one after.
  void Klicke() {
    MausRunter();
    Bild();
    MausHoch();
    Bild();
  }
  static Spiel::Kamera::Schirm Schirm() { return {float(BREITE), float(HOEHE)}; }
  // Where a world point lies on screen with the last frame's view; fails when it is not visible.
  V3 AufSchirm(const V3& punkt) {
    float x = -1, y = -1;
    EXPECT_TRUE(Spiel::Kamera::ProjiziereAufBildschirm(punkt, S().GibAnsicht(), Schirm(), x, y));
    return {x, y, 0};
  }
  // Whether a screen point lies on one of the game's pages.
  bool AufSeite(const V3& p) const {
    for (const Gui::Seite* seite : {spiel->GibBewegungsSeite(), spiel->GibInventarSeite()}) {
      const V3 a = seite->AbsolutePosition(), g = seite->GespeicherteGroesse();
      if (p.x >= a.x && p.y >= a.y && p.x < a.x + g.x && p.y < a.y + g.y) return true;
    }
    return false;
  }
  // A frame looking from `blick`, then a click on the point as that frame's view shows it.
  void KlickeAufWeltpunkt(const V3& punkt, const V3& blick = {BREITE / 2.0f, HOEHE / 2.0f, 0}) {
    Maus(blick.x, blick.y);
    Bild();
    const V3 ziel = AufSchirm(punkt);
    ASSERT_TRUE(ziel.x >= 0 && ziel.y >= 0 && ziel.x < BREITE && ziel.y < HOEHE) << ziel.x << ", " << ziel.y;
    ASSERT_FALSE(AufSeite(ziel)) << ziel.x << ", " << ziel.y;
    Maus(ziel.x, ziel.y);
    Klicke();
  }

  // ---- the scene's parts ----
  // The live render instance of an object key, or null.
  const Spiel::RenderInstanz* InstanzVon(uint32_t key) {
    const Spiel::Generator::Patch* p = Szene().generator.GibPatch(key);
    return p && Szene().instanzen.IstLebend(p->instanz) ? &Szene().instanzen[p->instanz] : nullptr;
  }
  // Frames (each with a short real pause for the jobs) until the keys have render instances;
  // false after 120 s.
  bool WarteAufInstanzen(const std::vector<uint32_t>& keys) {
    const auto ende = std::chrono::steady_clock::now() + std::chrono::seconds(120);
    while (std::chrono::steady_clock::now() < ende) {
      Bild();
      bool alle = true;
      for (uint32_t key : keys) alle = alle && InstanzVon(key);
      if (alle) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return false;
  }
  // The object key of the first map object of a type at a cell (trunc of its position).
  uint32_t KeyBei(uint32_t typ, const Zelle& zelle) {
    const std::vector<Karte::Objekt>& objekte = Szene().karte.objekte;
    for (size_t i = 0; i < objekte.size(); ++i) {
      const Karte::Objekt& o = objekte[i];
      if (o.typ == typ && Zelle{int32_t(o.x), int32_t(o.y), int32_t(o.z)} == zelle) return Spiel::Szene::ObjektKey(i);
    }
    ADD_FAILURE() << "no object of type " << typ << " at " << zelle.x << " " << zelle.y << " " << zelle.z;
    return 0;
  }
  float GitterZustand(const Zelle& zelle) {
    for (const Spiel::Szene::Gitter& g : Szene().GibGitter())
      if (g.zelle == zelle) return g.zustand;
    ADD_FAILURE() << "no gate at " << zelle.x << " " << zelle.y << " " << zelle.z;
    return -1;
  }
  int32_t Anzahl(const Zelle& zelle) {
    for (const Spiel::Szene::Ausloeser& a : Szene().GibAusloeser())
      if (Zelle{int32_t(a.x), int32_t(a.y), int32_t(a.z)} == zelle) return a.anzahl;
    ADD_FAILURE() << "no trigger at " << zelle.x << " " << zelle.y << " " << zelle.z;
    return 0;
  }
  // How often the game played the effect `datei` since the audio system was made (sound names
  // s0, s1 ... follow the createSound calls, so the record must not be cleared in between).
  static size_t Gespielt(const std::string& datei) {
    const std::vector<std::string> erzeugt = FmodAttrappe::Aufrufe("createSound(");
    size_t anzahl = 0;
    for (size_t k = 0; k < erzeugt.size(); ++k) {
      if (erzeugt[k].find("/Daten/" + datei + ",") == std::string::npos) continue;
      for (const std::string& aufruf : FmodAttrappe::Aufrufe("playSound("))
        anzahl += aufruf.find(", s" + std::to_string(k) + ",") != std::string::npos;
    }
    return anzahl;
  }

  LogMitschnitt log;
  std::unique_ptr<NullBildschirm> bildschirm;
  EigenerOrdner ordner;
  SkriptQuelle quelle;
  int fenster = 0;
  std::unique_ptr<Zarvo_Parallel> kern;
  std::unique_ptr<Spiel::Buttons> bruecke;
  std::unique_ptr<Zarvo_Audio> audio;
  Zarvo_AudioKanal* kanal = nullptr;
  std::unique_ptr<Spiel::SpielAblauf> spiel;
  // What the last frame queued on the game atlas and the font before they drew.
  std::vector<Zarvo_SpriteInstanz> sprites, glyphen;

 private:
  void VerlinkeDaten() {
    const std::filesystem::path daten = ordner / "Daten";
    std::filesystem::create_directory(daten);
    for (const auto& eintrag : std::filesystem::directory_iterator(MORVELUNT_DATEN_ZIEL))
      if (eintrag.path().filename() != "szene.dat") std::filesystem::create_symlink(eintrag.path(), daten / eintrag.path().filename());
  }
  void ZeichneWarteschlangen() {
    if (Zarvo_SpriteAtlas* atlas = Spiel::Ressourcen::Atlas()) {
      sprites = atlas->Liste().Instanzen();
      atlas->Zeichne();
    }
    if (Zarvo_Font3D* schrift = Spiel::Ressourcen::Schrift()) {
      glyphen = schrift->Glyphen().Liste().Instanzen();
      schrift->ZeichneAlles();
    }
  }

  std::filesystem::path verzeichnisVorher;
};
