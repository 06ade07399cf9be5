#pragma once
// The level editor: the program's second mode beside the game. It owns its own scene on its own
// clock, loaded from "Daten/szene.dat" of the application folder when it opens and saved there
// when it is destroyed. An orbit camera looks at a target that glides to the working layer; two
// modes edit the map: block mode sets block types cell by cell or as boxes (Shift), object mode
// places, selects, drags, deletes objects and opens the parameter dialog (End).
//
// Input comes from the input system's first keyboard (DirectInput scan codes) and first mouse.
// Editing input is off while the console's input line is open or a modal page (the dialog, a
// pause menu) is on the widget surface, hidden or not; a held or released left button only counts
// after a press the editor itself took, so a click that ends in a dialog never drags or fills.
//
// Undo. Before every change a snapshot of the map, the exact bytes of the scene file, is pushed;
// Ctrl+Z (scan 21, the US position of Y) reads the newest back and drops it. The stack has no
// length limit and is not saved.
//
// Drawing. Every frame queues its grid, markers, cursors and frames into the global line batch
// (Zarvo_LinienStapel) and its texts on the game font; the frame step then draws the scene with
// the editor's view and Projektion, and hands GibSchnittHoehe to the world renderer as its
// segment limit. Every text of the frame is also kept (GibTexte), with or without a font.
//
// A damaged scene file is never overwritten: the default map is edited, and leaving after a
// change first moves the old file aside to "szene.dat.beschaedigt" (or ...2, ...3).
//
// One editor exists at a time; Global() serves the dialog's callbacks. Main thread only.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "BMatrix.h"
#include "BVektor3.h"
#include "Generator.h"
#include "Szene.h"
#include "TAlphaFarbe.h"
#include "TSpeicher.h"
#include "Zarvo_Timer.h"

class Zarvo_Audio;
class Zarvo_AudioKanal;

namespace Spiel {

class ObjektArgMenu;

class Editor {
 public:
  using Zellposition = Szene::Zellposition;

  static constexpr uint32_t BLOCKMODUS = 0, OBJEKTMODUS = 1;
  static constexpr uint64_t KEIN_INDEX = ~uint64_t(0);
  static constexpr float KEIN_SCHNITT = 100000000.0f;

  // A text of this frame: position, the font's alignment codes and the string.
  struct Text {
    float x = 0, y = 0;
    uint32_t horizontal = 0, vertikal = 0;
    std::string text;
  };
  // The object under a ray.
  struct Wahl {
    uint64_t index = 0;
    bool gefunden = false;
  };

  // Builds the scene on the editor's clock with `audio` and the channel group `kanal` (null:
  // silence), reads the scene file (missing: the default map; damaged or unreadable: the default
  // map, the file kept), builds all patches and objects, and becomes Global().
  Editor(Zarvo_Audio* audio, Zarvo_AudioKanal* kanal, Generator::Erbauer erbauer = Generator::StandardErbauer());
  // Deletes its dialog (and a pending deletion of it), saves the map, clears Global().
  ~Editor();
  Editor(const Editor&) = delete;
  Editor& operator=(const Editor&) = delete;

  // One frame: clock, camera and layer keys, view, scene, grid, mouse point, texts, markers and
  // the mode's editing.
  void Aktualisiere();

  // ---- edits ----
  // Sets a cell, recomputes the faces of it and its neighbours and requests the patches of the
  // 3 x 3 x 3 box around it (clipped to the grid). A cell outside the grid changes nothing.
  void SetzeBlock(const Zellposition& zelle, uint32_t typ);
  // The same for every cell of the box from `von` to `bis` (inclusive, clipped to the grid): faces
  // and patches of the box grown by one cell.
  void FuelleQuader(const Zellposition& von, const Zellposition& bis, uint32_t typ);
  // The object nearest the camera whose snapped position lies within 0.6 of the ray ahead (t > 0).
  Wahl WaehleObjekt(const BVektor3<float>& kamera, const BVektor3<float>& strahl) const;
  // Pushes a snapshot of the map (the scene file's bytes).
  void SichereZustand();
  // Restores and drops the newest snapshot and clears the selection; nothing when the stack is
  // empty. A snapshot that does not read back is dropped with an error line and nothing changes.
  void Rueckgaengig();

  // ---- drawing (line batch, font) ----
  void ZeichneObjektMarken(uint32_t typ, const BVektor3<float>& position, const TAlphaFarbe& farbe, uint64_t index);
  void ZeichneZellenRahmen(const Zellposition& zelle, const TAlphaFarbe& farbe, float dicke);
  static void ZeichneObjektCursor(const BVektor3<float>& punkt, const TAlphaFarbe& farbe);

  // ---- the main loop's questions ----
  // The editor's projection for a W x H screen: near plane 0.1, far plane 64, depth into w.
  static BMatrix Projektion(float breite, float hoehe);
  // True while any child of the input bridge's surface is a modal page, hidden or not; false
  // without a surface.
  static bool ModaleSeiteOffen();
  static Editor* Global() { return global; }

  // ---- reading ----
  Zarvo_Timer& GibUhr() { return uhr; }
  Szene& GibSzene() { return szene; }
  const Szene& GibSzene() const { return szene; }
  const BVektor3<float>& GibZiel() const { return ziel; }
  int32_t GibSchicht() const { return schicht; }
  float GibGieren() const { return gieren; }
  float GibNeigung() const { return neigung; }
  float GibAbstand() const { return abstand; }
  const BMatrix& GibAnsicht() const { return ansicht; }
  uint32_t GibModus() const { return modus; }
  uint32_t GibNeuerBlockTyp() const { return neuerBlockTyp; }
  const Zellposition& GibAnker() const { return anker; }
  uint32_t GibNeuerObjektTyp() const { return neuerObjektTyp; }
  const std::vector<uint64_t>& GibAuswahl() const { return auswahl; }
  const std::vector<TSpeicher>& GibRueckgaengigStapel() const { return rueckgaengig; }
  size_t GibRueckgaengigTiefe() const { return rueckgaengig.size(); }
  const BVektor3<float>& GibZiehPunkt() const { return ziehPunkt; }
  uint8_t GibZieht() const { return zieht; }
  float GibSchnittHoehe() const { return schnittHoehe; }
  uint8_t GibSchnittAn() const { return schnittAn; }
  // This frame's mouse point (doubled units), cursor cell (whether inside the grid), camera.
  const BVektor3<float>& GibMausPunkt() const { return mausPunkt; }
  const Zellposition& GibCursorZelle() const { return cursorZelle; }
  bool CursorInKarte() const { return cursorInKarte; }
  const BVektor3<float>& GibKameraPosition() const { return kamera; }
  // The open parameter dialog (also while hidden before its deletion), or null.
  ObjektArgMenu* GibDialog() const { return dialog; }
  const std::vector<Text>& GibTexte() const { return texte; }
  // The scene file was damaged when the editor opened.
  bool DateiBeschaedigt() const { return dateiBeschaedigt; }
  const std::filesystem::path& GibPfad() const { return pfad; }

  // Called by the dialog's destructor.
  void VergissDialog(const ObjektArgMenu* menu);

 private:
  struct Eingabe;

  // Construction and leaving (EditorDatei.cpp).
  void LadeSzene();
  void Speichere();
  bool LegeBeschaedigteDateiBeiseite();

  // The frame (Editor.cpp).
  Eingabe LiesEingabe();
  void BewegeKamera(const Eingabe& e, float dt);
  void BaueAnsicht();
  void ZeichneGitter();
  void BestimmeMausPunkt(const BVektor3<float>& strahl);
  void ZeichneKopfzeilen();
  void Blockmodus(const Eingabe& e);
  void Objektmodus(const Eingabe& e, const BVektor3<float>& strahl);
  void DrueckeObjektmodus(const BVektor3<float>& strahl, bool strg);
  void ZieheSenkrecht(const BVektor3<float>& strahl);
  void ZieheWaagerecht(const BVektor3<float>& strahl);
  void Loesche(const BVektor3<float>& strahl);
  void OeffneDialog(const BVektor3<float>& strahl);

  // Texts (EditorZeichnen.cpp): the one caller of the font's ZeichneFormat.
  void SetzeAusrichtung(uint32_t horizontal, uint32_t vertikal);
  void SchreibeText(float x, float y, const char* format, ...) __attribute__((format(printf, 4, 5)));

  Zarvo_Timer uhr;
  Szene szene;
  BVektor3<float> ziel{4, 1, 16};  // doubled units
  int32_t schicht = 1;
  float gieren = 0.5f, neigung = 0.8f, abstand = 16.0f;
  BMatrix ansicht;
  uint32_t modus = BLOCKMODUS;
  uint32_t neuerBlockTyp = Karte::Fels;
  Zellposition anker{0, 0, 0};
  uint32_t neuerObjektTyp = 0;
  std::vector<uint64_t> auswahl;
  std::vector<TSpeicher> rueckgaengig;
  BVektor3<float> ziehPunkt{0, 0, 0};  // doubled units; its height is the drag plane's
  uint8_t zieht = 0;
  float schnittHoehe = KEIN_SCHNITT;
  uint8_t schnittAn = 1;

  // This frame.
  BVektor3<float> kamera{0, 0, 0};
  BVektor3<float> mausPunkt{0, 0, 0};
  Zellposition cursorZelle{0, 0, 0};
  bool cursorInKarte = false;
  std::vector<Text> texte;
  uint32_t horizontal = 0, vertikal = 0;  // the font's alignment as last set

  // Across frames.
  bool linksAngenommen = false;   // the left button's press was the editor's
  bool ziehPunktGueltig = true;   // false: the press found no crossing ahead; the next drag sets D
  ObjektArgMenu* dialog = nullptr;
  std::filesystem::path pfad;
  bool dateiBeschaedigt = false;
  bool geaendert = false;  // a snapshot was pushed since opening

  static Editor* global;
};

}  // namespace Spiel
