#pragma once
// The running game: its own clock, the scene loaded from "Daten/szene.dat" of the application
// folder, the player's cell and view, the carried stone and the inventory, the two pages of the
// game (movement buttons top right, inventory top left), the particles and the background music.
//
// The main loop creates one at start and whenever the player leaves the editor, calls Aktualisiere
// once per frame inside the frame step (a job of the parallel core's main queue), then draws the
// cursor sprite it chose and hands the game flow to the world renderer with GibAnsicht(). Nothing of a
// game flow is saved: the next one starts again from the scene file and its start cell.
//
// One frame. The game clock ticks (at most 1/64 s a step; nothing while the pause menu holds it).
// While it runs, the yaw turns toward the facing's heading at 3 rad/s and the eye moves toward
// the player cell's eye position at 4 units/s; once both have arrived, the player falls one level
// where nothing carries them, else takes the step or the quarter turn the movement buttons asked
// for (a refused step bumps the eye by 0.2 units). Player control (AktualisiereSpieler,
// Spielersteuerung.cpp) runs in every such frame: the mouse look, picking, the label, the cursor
// sprite and the click. Then the view matrix is rebuilt (Kamera::Ansicht), the scene updated
// around the camera and the particles stepped by the clock's step, also while paused (a step of
// 0 changes none). The player presses the trigger of the cell they stand in, from construction
// on, so a start on a pressure plate counts like any later step onto it.
//
// Lifetime. The pages live on the surface of the input bridge (Spiel::Buttons), which must
// outlive the game flow; the game's resources (Spiel::Ressourcen) are loaded before it is built.
// The destructor closes every pause menu that holds its clock. Main thread only.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "BMatrix.h"
#include "BVektor3.h"
#include "Generator.h"
#include "Kamera.h"
#include "Partikel.h"
#include "Szene.h"
#include "Zarvo_AudioSound.h"
#include "Zarvo_Timer.h"

class Karte;
class Zarvo_Audio;
class Zarvo_AudioKanal;
class Zarvo_AudioSample;

namespace Gui {
class Button;
class Seite;
}  // namespace Gui

namespace Spiel {

class SpielAblauf {
 public:
  using Zellposition = Szene::Zellposition;

  static constexpr uint32_t KEIN_CURSOR = 0xFFFFFFFF;
  static constexpr uint64_t KEINE_MUSIK = ~uint64_t(0);
  static constexpr uint64_t INVENTAR_SPALTEN = 4, INVENTAR_ZEILEN = 4;
  static constexpr const char* HILFE_TEXT = "Space: Hoch/Springen\nStrg: Runter/Schleichen\nLinksklick: Aktion";
  enum HilfeZustand : uint64_t { HILFE_AUS = 0, HILFE_WARTET = 1, HILFE_GEZEIGT = 2 };

  // Cursor sprites of the game atlas.
  static constexpr uint32_t CURSOR_LINKS = 8, CURSOR_VOR = 9, CURSOR_RECHTS = 10, CURSOR_ZURUECK = 12, CURSOR_ZEIGER = 14;

  // A stone in the hand or in an inventory slot: its item type and whether there is one.
  struct Gegenstand {
    uint32_t typ = 0;
    uint8_t da = 0;
    bool operator==(const Gegenstand&) const = default;
  };

  // Where a put-down stone goes (block units) and whether it falls from there.
  struct Ablage {
    BVektor3<float> position;
    bool faellt = false;
  };
  // A thrown stone's start (block units) and velocity (blocks per second).
  struct Wurf {
    BVektor3<float> position, geschwindigkeit;
  };

  // Construction: the scene on the game clock with `audio` and the game's channel group `kanal`
  // for its sounds (null: silence), read from the scene file (missing: the default map; damaged:
  // the default map and one error line), its patches and objects built; the player at the
  // scene's start cell facing its start direction (4 and 5 leave +X); the pages; the music
  // "usaganie.ogg" streamed in a loop on the master group of `audio`; the system cursor hidden.
  SpielAblauf(Zarvo_Audio* audio, Zarvo_AudioKanal* kanal, Generator::Erbauer erbauer = Generator::StandardErbauer());
  // Stops the music, deletes the pages and shows the system cursor again; saves nothing.
  ~SpielAblauf();
  SpielAblauf(const SpielAblauf&) = delete;
  SpielAblauf& operator=(const SpielAblauf&) = delete;

  // One frame of the game.
  void Aktualisiere();
  // Builds the two pages on the input bridge's surface (detached when there is none).
  void ErstelleUI();
  // The mouse control of one frame (Spielersteuerung.cpp); runs while the game clock runs.
  void AktualisiereSpieler();

  // ---- player control's pure rules (Spielersteuerung.cpp) ----
  // The cursor of a screen zone: left quarter 8, right quarter 10, above 0.4 of the height 9,
  // below 0.75 of it 12, else 14 (strict bounds, tested in that order).
  static uint32_t ZonenCursor(float mx, float my, const Kamera::Schirm& schirm);
  // A stone put down from cell `zelle` along the ray `strahl` (r.y < 0) from the camera at
  // `kamera`: on the half-block grid in the player's cell or a neighbour, back in the player's
  // cell where the neighbour holds a block or stair or lies outside the grid; at rest over a full
  // block, else falling. `hoehe` is the item definition's height.
  static Ablage AblageOrt(const Karte& karte, const Zellposition& zelle, const BVektor3<float>& kamera,
                          const BVektor3<float>& strahl, float hoehe);
  // A stone thrown (r.y >= 0) from cell `zelle` facing `blick`: a quarter block ahead and to the
  // side of the ray, flying at 2 blocks per second along the facing.
  static Wurf WurfStart(const Zellposition& zelle, uint32_t blick, const BVektor3<float>& strahl);

  // ---- reading (main loop, world renderer, pause menu, tests) ----
  Zarvo_Timer& GibUhr() { return uhr; }
  const Zarvo_Timer& GibUhr() const { return uhr; }
  // The view of the last frame (identity before the first): world to camera space, column
  // vectors, rows 0..2 the camera's right, up and forward axes. The projection is the renderer's.
  const BMatrix& GibAnsicht() const { return ansicht; }
  uint32_t GibCursor() const { return cursor; }
  // Colour and strength of the "Vignette" post-filter parameter.
  const float (&GibVignette() const)[4] { return vignette; }
  Szene& GibSzene() { return szene; }
  const Szene& GibSzene() const { return szene; }
  // The game's particles, stepped with the game clock after the scene.
  PartikelSystem& GibPartikel() { return partikel; }
  const PartikelSystem& GibPartikel() const { return partikel; }
  const Zellposition& GibZelle() const { return zelle; }
  const BVektor3<float>& GibAuge() const { return auge; }
  uint32_t GibBlick() const { return blick; }
  float GibGieren() const { return gieren; }
  float GibMausGieren() const { return mausGieren; }
  float GibNeigung() const { return neigung; }
  const Zellposition& GibSchrittWunsch() const { return schrittWunsch; }
  uint32_t GibZielBlick() const { return zielBlick; }
  const Gegenstand& GibGetragen() const { return getragen; }
  const std::vector<Gegenstand>& GibInventar() const { return inventar; }
  const std::vector<Gui::Button*>& GibInventarKnoepfe() const { return inventarKnoepfe; }
  const Gui::Seite* GibBewegungsSeite() const { return bewegungsSeite.get(); }
  const Gui::Seite* GibInventarSeite() const { return inventarSeite.get(); }
  const std::string& GibHilfeText() const { return hilfeText; }
  uint64_t GibHilfeZustand() const { return hilfeZustand; }
  // The music's sample slot (KEINE_MUSIK when it did not load) and its channel.
  uint64_t GibMusikId() const { return musikId; }
  const Zarvo_AudioSound& GibMusikKanal() const { return musikKanal; }

 private:
  // A pick: an object-type number (2 lever, 4 button, 8 scene item; 0 none), the index into the
  // scene's lever vector, button vector or item pool, and its world position.
  struct Wahl {
    uint32_t art = 0;
    uint64_t index = 0;
    BVektor3<float> ort;
  };

  enum class Wunsch { DreheLinks, DreheRechts, Vor, Zurueck, Links, Rechts };

  // Construction.
  void LadeSzene();
  void StelleAufStart();
  void StarteMusik(Zarvo_Audio* audio);

  // The pages.
  void BaueBewegungsSeite();
  void BaueInventarSeite();
  void TauscheMitFach(size_t fach);
  void Wuensche(Wunsch wunsch);

  // The frame's movement.
  bool Drehe(float dt);
  void Bewege(float dt);
  void Falle();
  void Schreite();
  void WechsleZelle(const Zellposition& neu);
  void StarteHilfe();
  void PruefeHilfe();
  void BaueAnsicht();
  void VerblasseVignette(float dt);

  // Player control.
  bool MausUeberWidget(const Kamera::Maus& maus) const;
  Wahl WaehleObjekt(const Kamera::Maus& maus, const Kamera::Schirm& schirm) const;
  void Zonenklick(uint32_t zonenCursor);
  void ZeichneGetragenes(const Kamera::Maus& maus, const Kamera::Schirm& schirm, const BVektor3<float>& kamera,
                         const BVektor3<float>& strahl) const;
  void ZeichneEtikett(const Wahl& wahl, const Kamera::Schirm& schirm) const;
  void KlickeAuf(const Wahl& wahl);
  void ZieheHebel(uint32_t hebel);
  void NimmGegenstand(uint64_t slot);
  void GibGetragenesAb(const BVektor3<float>& kamera, const BVektor3<float>& strahl);

  Zarvo_Timer uhr;  // first: the pause menu holds it
  Szene szene;
  PartikelSystem partikel;  // after the scene: destroyed before it
  BMatrix ansicht;
  std::string hilfeText;
  uint64_t hilfeZustand = HILFE_AUS;
  int64_t hilfeFaellig = 0;  // game-clock ticks
  Zellposition zelle;
  BVektor3<float> auge;  // world units
  uint32_t blick = 1;
  float gieren = 0, mausGieren = 0, neigung = 0;  // radians
  uint64_t inventarSpalten = 0, inventarZeilen = 0;
  std::vector<Gegenstand> inventar;  // row-major
  Gegenstand getragen;
  float vignette[4] = {0, 0, 0, 0.5f};
  // Children of the surface as well: deleting one takes it off the surface.
  std::unique_ptr<Gui::Seite> bewegungsSeite, inventarSeite;
  uint64_t knopfSpalten = 0, knopfZeilen = 0;
  std::vector<Gui::Button*> inventarKnoepfe;  // row-major, owned by the inventory page
  Zellposition schrittWunsch;
  uint32_t zielBlick = 1;
  uint32_t cursor = CURSOR_ZEIGER;
  uint64_t musikId = KEINE_MUSIK;
  Zarvo_AudioSample* musik = nullptr;
  Zarvo_AudioSound musikKanal;
};

}  // namespace Spiel
