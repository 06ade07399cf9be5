#pragma once
// The live level: the block map, the render instances, the patch generator, the mechanisms, the
// scene items and the lights. Exactly one scene exists while the game runs, owned by the game
// flow or the editor; the owner's clock gives the ticks of each frame.
//
// The owner's calling order: construct (a default map), read the scene file into `karte`, then
// AktualisiereAlleBlockPatches and BaueAusObjekten; once per frame Aktualisiere with the viewer's
// position. After an edit the editor calls the same two, or AktualisiereBlockPatches for the
// cells it changed.
//
// Patch keys, shared with the generator: a block face is face << 29 | z << 19 | y << 10 | x, an
// object 0xC0000000 | its index in the map's object vector. Everything handed to the generator or
// written into render instances is in doubled units (a position p is passed as 2p).
//
// Mechanisms. One table of scheduled animations (countdown, gate, lever, button) steps once per
// frame in slot order. An animation runs under an owner key (a plate, a lever, a switch button),
// can be cancelled with all others of its key, and can wait for up to two other animations by id
// (generation << 16 | slot, so an id names one scheduling of one slot). Gate and lever states move
// whether or not their part has a render instance yet; the instance follows when there is one,
// and a patch built later gets the pose of its state through the generator's apply notice.
// Pressure plates are counted triggers; the links from plates to gates and the combination lock
// are fixed in the program. The combination set is process-wide (main thread only).
//
// Items. Loose stones fly, fall, hit blocks and come to rest on the half-block grid, where they
// press the trigger of their cell. Map stones are created after every trigger exists.
//
// Sounds play as effects from "Daten" of the application folder on the owner's channel group; a
// null audio system or group is silence.
#include <cstdint>
#include <optional>
#include <variant>
#include <vector>

#include "BVektor3.h"
#include "Generator.h"
#include "Karte.h"
#include "Objektregeln.h"
#include "RenderInstanz.h"
#include "SlotPool.h"

class Zarvo_Audio;
class Zarvo_AudioKanal;
class Zarvo_Timer;

namespace Spiel {

class Szene {
 public:
  using Zellposition = Objektregeln::Zellposition;
  using Instanz = RenderInstanz;
  using InstanzPool = RenderInstanzPool;
  static constexpr uint64_t KEINE_INSTANZ = RenderInstanzPool::KEINE_INSTANZ;
  static constexpr uint32_t KEINE_ANIMATION = ~0u;
  static constexpr uint32_t OBJEKT_KEY = 0xC0000000u;

  // A scene-item definition, chosen by the "Def-Index" argument of a "SzeneGegenstand".
  struct GegenstandDef {
    const char* name;  // the mesh
    float groesse;     // the resting centre lies half of it above the floor
  };
  static constexpr uint32_t ANZAHL_GEGENSTAENDE = 1;
  static constexpr GegenstandDef Gegenstaende[ANZAHL_GEGENSTAENDE] = {{"Stein", 0.1f}};

  struct Licht {
    BVektor3<float> basis;  // doubled units
    float farbe[3];
    float reichweite[4];
    float animation[4];  // brightness, then X, Y, Z amplitudes
    float helligkeit;    // recomputed each frame
    BVektor3<float> position;
    int64_t uhr;  // ticks
  };

  // One entry of the animation table. The kind byte always names the payload's alternative.
  struct Animation {
    enum class Art : uint8_t { Countdown = 0, Gitter = 1, Hebel = 2, Knopf = 3 };
    struct Countdown {
      int64_t rest;  // ticks
    };
    struct GitterZiel {
      uint32_t x, y, z;  // the gate's cell
      float ziel;        // 0 closed, 1 open
      float geschwindigkeit;  // state units per second
    };
    struct HebelZiel {
      uint32_t hebel;  // index into the lever vector
      float ziel, geschwindigkeit;
    };
    struct KnopfDruck {
      uint64_t knopf;  // index into the button vector
      int64_t dauer, vergangen;  // ticks
    };
    using Nutzlast = std::variant<Countdown, GitterZiel, HebelZiel, KnopfDruck>;

    uint32_t id;
    uint32_t warteAuf[2];
    uint64_t besitzer;
    Nutzlast nutzlast;
    Art art;
  };
  struct AnimationsTabelle : SlotPool<Animation> {
    uint16_t generation = 0;  // raised by every scheduling
  };

  struct Ausloeser {
    uint32_t x, y, z;
    int32_t anzahl;  // things pressing it
  };
  struct Gitter {
    Zellposition zelle;
    uint32_t key;
    BVektor3<float> mitte;     // doubled units
    BVektor3<float> richtung;  // slide direction, a unit axis
    float zustand;             // 0 closed .. 1 open
  };
  struct Hebel {
    Zellposition zelle;
    uint32_t key;
    BVektor3<float> position;  // doubled units
    BVektor3<float> achse;     // d0 x d1
    uint8_t schalter;
    float zustand;  // the swing, 0 at -45 degrees
  };
  struct Knopf {
    Zellposition zelle;
    uint32_t key;
    BVektor3<float> position;  // doubled units
    BVektor3<float> richtung;
    float groesse;
  };
  struct Gegenstand {
    BVektor3<float> position;         // blocks
    BVektor3<float> geschwindigkeit;  // blocks per second
    uint8_t bewegt;
    uint32_t def;
    uint64_t instanz;
  };
  using GegenstandPool = SlotPool<Gegenstand>;

  // ---- keys ----
  static uint32_t FlaechenKey(uint32_t flaeche, uint32_t x, uint32_t y, uint32_t z);
  static uint32_t ObjektKey(uint64_t objektIndex);
  // Owner keys: a plate 1 << 48 | z << 32 | y << 16 | x (16 bits each), a lever 1 << 49 | index,
  // a switch button 1 << 50 | index.
  static uint64_t PlattenBesitzer(uint32_t x, uint32_t y, uint32_t z);
  static uint64_t HebelBesitzer(uint32_t hebel);
  static uint64_t KnopfBesitzer(uint32_t knopf);

  // The default map with its face values and the fallback start; no patches, no objects built.
  // `kanal` is the game's channel group; a null `audio` or `kanal` plays nothing.
  Szene(Zarvo_Timer& uhr, Zarvo_Audio* audio, Zarvo_AudioKanal* kanal,
        Generator::Erbauer erbauer = Generator::StandardErbauer());
  // Frees items, lights, records, animations, generator (after its jobs), instances and map, in
  // that order; nothing is released or played.
  ~Szene();
  Szene(const Szene&) = delete;
  Szene& operator=(const Szene&) = delete;

  // One frame with the clock's last step: take over finished patches, schedule patches around
  // the viewer (doubled units), step the animations, the items and the lights.
  void Aktualisiere(BVektor3<float> betrachter);

  // ---- block faces ----
  // Requests every face of the cell whose value is 1..18 (an unchanged one changes nothing) and
  // drops the others. Cells outside the grid are ignored.
  void AktualisiereBlockPatches(int32_t x, int32_t y, int32_t z);
  // Every cell, y outermost, then z, then x.
  void AktualisiereAlleBlockPatches();
  // The corner heights of a cell type's top (x-z-, x+z-, x-z+, x+z+); a type above 18 is empty.
  static const float* Eckhoehen(uint32_t typ);
  // The quad of face `flaeche` of a cell of type `typ`, with the material of face value `wert`.
  static Generator::FlaechenPatch Flaechenviereck(uint32_t typ, uint32_t flaeche, uint32_t wert, uint32_t x, uint32_t y,
                                                  uint32_t z);

  // ---- objects ----
  // Rebuilds the start, records, lights, items and object patches from the map's objects. The
  // animation table stays.
  void BaueAusObjekten();
  struct ObjektAnforderung {
    Generator::PatchBeschreibung beschreibung;
    BVektor3<float> mitte, halbeGroesse;  // the box, doubled units
  };
  // The patch an object of types 1..6 requests (plate, lever, gate, button, tree, mosaic); none
  // for the other types.
  static std::optional<ObjektAnforderung> ObjektPatch(const Karte::Objekt& objekt);

  // ---- mechanisms ----
  uint32_t PlaneAnimation(uint64_t besitzer, const Animation::Nutzlast& nutzlast, uint32_t warteAuf1 = KEINE_ANIMATION,
                          uint32_t warteAuf2 = KEINE_ANIMATION);
  // Ends every live animation of the owner at once; the moved part stays where it is.
  void BrichAnimationenAb(uint64_t besitzer);
  void AktualisiereAnimationen(int64_t ticks);
  // A thing starts or stops pressing the trigger of the cell (the player, an item).
  void AusloeserAn(uint32_t x, uint32_t y, uint32_t z);
  void AusloeserAus(uint32_t x, uint32_t y, uint32_t z);
  // The player pressed switch button `knopf`.
  void DrueckeSchalter(int32_t knopf);
  // The combination set of the lock: bit b for a pressed button b.
  static uint64_t Kombination();
  static void SetzeKombinationZurueck();

  // ---- items ----
  // An item of definition `def` (row 0 when outside the table) with its instance; at rest it
  // presses the trigger of its cell. Returns its slot.
  uint64_t ErzeugeInstanz(uint32_t def, BVektor3<float> position, BVektor3<float> geschwindigkeit, bool bewegt);
  void AktualisiereGegenstaende(int64_t ticks);
  // The hit handling of a moving item: true when it is to be removed.
  bool BewegeGegenstand(uint64_t slot);
  // Removes every item; resting ones release their trigger.
  void EntferneGegenstaende();
  // Frees one item and its instance and releases nothing (the player takes a stone).
  void EntferneGegenstand(uint64_t slot);

  // ---- reading ----
  // True when the last gate record at the cell has a state below 0.9 (Bewegung::GitterZu).
  bool GitterZu(const Zellposition& zelle) const;
  const Zellposition& GibStartZelle() const { return startZelle; }
  uint32_t GibStartRichtung() const { return startRichtung; }
  const std::vector<Ausloeser>& GibAusloeser() const { return ausloeser; }
  const std::vector<Gitter>& GibGitter() const { return gitter; }
  const std::vector<Hebel>& GibHebel() const { return hebel; }
  const std::vector<Knopf>& GibKnoepfe() const { return knoepfe; }
  const std::vector<Licht>& GibLichter() const { return lichter; }
  const GegenstandPool& GibGegenstaende() const { return gegenstaende; }
  const AnimationsTabelle& GibAnimationen() const { return animationen; }
  uint32_t HoechsterObjektKey() const { return hoechsterObjektKey; }

  // ---- render instances ----
  // A free instance slot; the caller fills it, calls SetzeLebend and then AktualisiereInstanzGrenzen.
  uint64_t ReserviereInstanz() { return instanzen.Reserviere(); }
  void AktualisiereInstanzGrenzen(uint64_t id) { InstanzPool::BerechneGrenzen(instanzen[id]); }

 private:
  Zarvo_Timer& uhr;
  Zarvo_Audio* audio;
  Zarvo_AudioKanal* kanal;

 public:
  Karte karte;
  InstanzPool instanzen;
  Generator generator;

 private:
  AnimationsTabelle animationen;
  Zellposition startZelle;
  uint32_t startRichtung = 1;
  uint32_t hoechsterObjektKey = 0;
  std::vector<Ausloeser> ausloeser;
  std::vector<Gitter> gitter;
  std::vector<Hebel> hebel;
  std::vector<Knopf> knoepfe;
  std::vector<Licht> lichter;
  GegenstandPool gegenstaende;

  // Objects.
  void SetzeErsatzStart();
  bool BaueObjekt(uint64_t index, const Karte::Objekt& objekt);
  void BaueStartpunkt(uint64_t index, const Karte::Objekt& objekt);
  void BaueLicht(const Karte::Objekt& objekt);
  void BaueKartenGegenstand(const Karte::Objekt& objekt);
  void VerwirfAlteObjektKeys(bool angefordert, uint32_t hoechster);

  // Mechanisms.
  bool Wartet(const Animation& animation) const;
  bool Schritt(Animation& animation, int64_t ticks);
  bool GitterSchritt(const Animation::GitterZiel& ziel, int64_t ticks);
  bool HebelSchritt(const Animation::HebelZiel& ziel, int64_t ticks);
  bool KnopfSchritt(Animation::KnopfDruck& druck, int64_t ticks);
  void BeendeGitterAnimationen(uint32_t x, uint32_t y, uint32_t z);
  uint32_t ErsteGitterAnimation(uint32_t x, uint32_t y, uint32_t z) const;
  Ausloeser* SucheAusloeser(uint32_t x, uint32_t y, uint32_t z);
  int64_t LetztesGitterBei(const Zellposition& zelle) const;
  void SpieleKlang(const char* datei);

  // Instances.
  uint64_t InstanzVon(uint32_t key) const;
  void SetzePose(uint64_t id, const float (&drehung)[3][3], const BVektor3<float>& ort);
  void SetzeGitterPose(const Gitter& g, uint64_t id);
  void SetzeHebelPose(const Hebel& h, uint64_t id);
  void PosiereNeueInstanz(uint32_t key, uint64_t id);

  // Items and lights.
  void DrueckeUnter(const BVektor3<float>& position, bool an);
  bool Trifft(const BVektor3<float>& position) const;
  void AktualisiereLichter(int64_t ticks);
};

}  // namespace Spiel
