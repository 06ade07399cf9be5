#pragma once
// The world renderer: draws the scene of the game or the editor in three passes, then the game's
// particles and the post-filter chain.
//  1. Shadow: the scene from a fixed sun direction into a 4096² R32F map (depth 0..1 along the
//     light), cleared to 1, both sides casting.
//  2. Ambient height: the 64 x 64 units ahead of the camera seen straight down into a 512² G16R16
//     map of (h, h²), h = 1 at 32 units above the ambient centre, then the "ambient" filters.
//  3. Main: the scene with "start" (sun with the shadow map, sky with the height map, up to eight
//     point lights per instance) into the main RGBA16F target when the post-filter set reads the
//     engine's "ergebnis", else straight into the back buffer; then the global line batch.
// One depth buffer of at least 4096² serves every target; the screen-bound targets are made on
// the first frame and again after a change of the screen size.
//
// Each pass binds by presence: ZeichneWelt sets what the record's program declares (the handles
// of the 14 names below) and draws every live instance with a mesh. A record without a usable
// program draws nothing. The game view calls Zeichne with the game flow; the editor calls
// ZeichnePassagen with its own projection and applies its post filters itself. Tests and the
// benchmark call the four steps of ZeichnePassagen one by one.
//
// Shader files come from "Daten" of the application folder. A missing file throws while the
// renderer is built; on a reload (LadeShader, F6) it leaves that record's previous program and
// the log line of the loader.
#include <cstdint>

#include "BMatrix.h"
#include "BVektor3.h"
#include "FilterSatz.h"
#include "FilterVerwaltung.h"

class Zarvo_AlphaZustand;
class Zarvo_PixelShader;
class Zarvo_Programm;
class Zarvo_Renderziel;
class Zarvo_Sampler;
class Zarvo_Textur;
class Zarvo_TiefeZustand;
class Zarvo_VertexEingabe;
class Zarvo_VertexShader;
class Zarvo_ZBuffer;
class Zarvo_ZeichenKontext;

namespace Spiel {

class PartikelSystem;
class SpielAblauf;
class Szene;

class WeltRenderer {
 public:
  static constexpr uint32_t KEINE_KONSTANTE = 0xFFFFFF;
  static constexpr uint32_t KEIN_SAMPLER = 0xFFFF;

  // One program with its handles, looked up by name.
  struct Programmsatz {
    Zarvo_VertexShader* vertexShader = nullptr;
    Zarvo_PixelShader* pixelShader = nullptr;
    Zarvo_Programm* programm = nullptr;
    uint32_t sichtMatrix = KEINE_KONSTANTE;
    uint32_t projMatrix = KEINE_KONSTANTE;
    uint32_t weltMatrix = KEINE_KONSTANTE;
    uint32_t umFarbe = KEINE_KONSTANTE;
    uint32_t lichtTransform = KEINE_KONSTANTE;
    uint32_t lichtRichtung = KEINE_KONSTANTE;
    uint32_t lichtFarbe = KEINE_KONSTANTE;
    uint32_t segmentSichtbarFlags = KEINE_KONSTANTE;
    uint32_t texFarbe = KEIN_SAMPLER;
    uint32_t texNormale = KEIN_SAMPLER;
    uint32_t texSchatten = KEIN_SAMPLER;
    uint32_t texAmbientHoehe = KEIN_SAMPLER;
    uint32_t ambientZentrum = KEINE_KONSTANTE;
    uint32_t lichtArray = KEINE_KONSTANTE;

    static bool Hat(uint32_t konstante) { return konstante != KEINE_KONSTANTE; }
    static bool HatSampler(uint32_t sampler) { return sampler != KEIN_SAMPLER; }
    // A program whose two shaders were created on the device.
    bool Nutzbar() const;
  };
  enum ProgrammIndex { START, SCHATTEN, PARTIKEL, HOEHE, ANZAHL_PROGRAMME };
  static constexpr const char* PROGRAMM_NAMEN[ANZAHL_PROGRAMME] = {"start", "schatten", "partikel", "hoehe"};

  // Builds every resource on the screen's drawing context and loads the shaders and effects of
  // application folder / "Daten". A missing shader file throws Zarvo_Ausnahme; nothing of the
  // renderer stays in the registry then.
  WeltRenderer();
  // Gives every device resource back to the registry, then the programs, the ambient set, the
  // "shadow_postfx" set and the effect manager.
  ~WeltRenderer();
  WeltRenderer(const WeltRenderer&) = delete;
  WeltRenderer& operator=(const WeltRenderer&) = delete;

  // Loads the four programs again, in the order of PROGRAMM_NAMEN.
  void LadeShader();
  // Loads one record from "<name>.vs" and "<name>.ps" and looks up its handles. A missing file
  // keeps a record that already has a program (and throws for one that has none).
  void HoleShaderParameter(const char* name, Programmsatz& satz, Zarvo_VertexEingabe* eingabe);

  // The game flow's scene and particles.
  void Zeichne(SpielAblauf& spiel, const BMatrix& sicht, FilterSatz& nachFilter);
  // The game view: the game projection, the fixed sun and surrounding colours, the passes, the
  // particles (when given and live) and the post-filter chain from the main texture into the
  // back buffer.
  void Zeichne(Szene& szene, const PartikelSystem* partikel, const BMatrix& sicht, FilterSatz& nachFilter);
  // Targets, shadow, ambient height and main pass.
  void ZeichnePassagen(Szene& szene, const BMatrix& sicht, const BMatrix& projektion, FilterSatz& nachFilter);
  // The four steps of ZeichnePassagen.
  void ErneuereZiele();
  void ZeichneSchattenPassage(Szene& szene, const BMatrix& sicht);
  void ZeichneHoehenPassage(Szene& szene, const BMatrix& sicht);
  void ZeichneHauptPassage(Szene& szene, const BMatrix& sicht, const BMatrix& projektion, const FilterSatz& nachFilter);
  // Every live instance with a mesh, with one program.
  void ZeichneWelt(Szene& szene, const Programmsatz& satz, const BMatrix& sicht, const BMatrix& projektion);
  // The particles into the target the main pass left bound.
  void ZeichnePartikel(const PartikelSystem& partikel, const BMatrix& sicht, const BMatrix& projektion);

  const Programmsatz& Programm(ProgrammIndex index) const { return programme[index]; }

 private:
  void BaueEingabe();
  void TrageEffektEin(FilterSatz& satz, const char* name);
  void BeginneKartenPassage(Zarvo_Renderziel* ziel, Zarvo_TiefeZustand* tiefeZustand, Zarvo_AlphaZustand* alpha,
                            const float (&farbe)[4]);
  void SetzeLicht(const Programmsatz& satz);
  void GibProgrammFrei(Programmsatz& satz);
  void GibZieleFrei();

  Zarvo_ZeichenKontext& kontext;

 public:
  // The effect manager and its two sets come first: they are built before and released after
  // everything else.
  FilterVerwaltung verwaltung;
  FilterSatz schattenSatz;   // "shadow_postfx" under id 0; kept, applied in no pass
  FilterSatz ambientSatz;    // "ambient" under id 0, applied after the ambient pass

  Zarvo_VertexEingabe* eingabe = nullptr;
  Programmsatz programme[ANZAHL_PROGRAMME];
  Zarvo_ZBuffer* tiefe = nullptr;
  Zarvo_Textur* schattenTextur = nullptr;
  Zarvo_Renderziel* schattenZiel = nullptr;
  Zarvo_Sampler* schattenSampler = nullptr;
  Zarvo_TiefeZustand* szenenTiefe = nullptr;
  Zarvo_TiefeZustand* partikelTiefe = nullptr;
  Zarvo_AlphaZustand* partikelAlpha = nullptr;
  Zarvo_Textur* ambientTextur = nullptr;
  Zarvo_Renderziel* ambientZiel = nullptr;
  Zarvo_Sampler* ambientSampler = nullptr;
  Zarvo_AlphaZustand* ambientAlpha = nullptr;
  BMatrix lichtTransform;
  BVektor3<float> lichtRichtung;
  float lichtFarbe[4] = {0.5f, 0.4f, 0.3f, 1.0f};
  float umFarbe[4] = {0.1f, 0.2f, 0.4f, 1.0f};
  float ambientZentrum[4] = {};
  Zarvo_Textur* hauptTextur = nullptr;
  Zarvo_Renderziel* hauptZiel = nullptr;
  // Written by the main loop every frame: F7 held, and the editor's layer cut (world y in
  // doubled units above which nothing is drawn).
  uint8_t drahtgitter = 0;
  float segmentGrenze = 100000000.0f;
};

}  // namespace Spiel
