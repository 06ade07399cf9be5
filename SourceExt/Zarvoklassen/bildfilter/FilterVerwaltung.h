#pragma once
// Post-processing as chains of full-screen passes. The manager loads every effect file of one
// folder at start-up (one FilterEffekt per file whose root element is <filtereffekt>) and owns
// what every pass shares: the full-screen quad with its vertex input and four samplers (point or
// linear, wrapping or clamping). A FilterSatz is one active chain over these effects;
// BerechneFilterkette turns its effects into images, parameters and passes, and ZeichneFilter
// draws the passes one after the other into the set's intermediate images and, for the passes
// writing the final result, into the caller's target.
//
// Chain rules: an effect reads the engine's results through its <eingabe> names; "ergebnis" is
// the image being processed. A pass writing "ergebnis" draws the final target, unless it read
// "ergebnis" and a pass of a later effect reads it too: then it writes one of two shared
// intermediates, taken in turn. Inconsistencies are logged and drawing goes on: an input naming
// no image reads image 0 (the engine's raw image), conflicting outputs keep the first image, and
// a pass whose output image has no render target is not drawn.
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "FilterEffekt.h"
#include "FilterSatz.h"

class Zarvo_IndexBuffer;
class Zarvo_Renderziel;
class Zarvo_Sampler;
class Zarvo_Textur;
class Zarvo_VertexBuffer;
class Zarvo_VertexEingabe;
class Zarvo_ZeichenKontext;

class FilterVerwaltung {
 public:
  static constexpr int MAX_ELEMENTE = 4096;  // element openings of an effect file

  // A result of the engine that effects read by name.
  struct EngineErgebnis {
    std::string name;
    Zarvo_Textur* textur = nullptr;
  };
  // Where the final passes draw: a render target (null: the back buffer) and the viewport in it.
  struct Ziel {
    Zarvo_Renderziel* renderziel = nullptr;
    uint64_t x = 0, y = 0, breite = 0, hoehe = 0;
  };
  // What the passes share while drawing.
  struct Resourcen {
    Zarvo_VertexBuffer* quadVertices = nullptr;
    Zarvo_IndexBuffer* quadIndizes = nullptr;
    Zarvo_Sampler* sampler[4] = {};  // (point, wrap), (point, clamp), (linear, wrap), (linear, clamp)
    Zarvo_Textur* hdrReferenz = nullptr;
    Zarvo_Renderziel* hdrReferenzZiel = nullptr;
  };

  // Creates the shared resources and loads every regular ".xml" file of the folder in file-name
  // order. A folder that cannot be read throws Zarvo_Ausnahme with the file system's text.
  explicit FilterVerwaltung(const std::filesystem::path& ordner);
  // Releases the effects, then the shared resources.
  ~FilterVerwaltung();
  FilterVerwaltung(const FilterVerwaltung&) = delete;
  FilterVerwaltung& operator=(const FilterVerwaltung&) = delete;

  // The effect of that name, or null.
  const FilterEffekt* GibEffekt(const std::string& name) const;

  // Reads one file and appends its effect; failures are logged.
  void InternLadeEffekt(const std::filesystem::path& datei);
  // The same from text: the effect named `name`, or null when the text yields none.
  const FilterEffekt* LadeEffektAusText(const std::string& name, std::string_view text);

  // Images, parameters and passes of the set from its effects.
  static void BerechneFilterkette(FilterSatz& satz);

  // Draws the chain with the engine results, into the target, with the shared resources.
  void ZeichneFilter(FilterSatz& satz, const std::vector<EngineErgebnis>& ergebnisse, const Ziel& ziel,
                     const Resourcen& resourcen);
  // Draws the chain with the single engine result "ergebnis" = `quelle`.
  void WendeFilterAn(FilterSatz& satz, Zarvo_Textur* quelle, const Ziel& ziel);
  void WendeFilterAn(FilterSatz& satz, const std::vector<EngineErgebnis>& ergebnisse, const Ziel& ziel);

  // The shared resources as both entry points pass them (no HDR reference).
  Resourcen GibResourcen() const;

  std::filesystem::path ordner;
  std::vector<std::unique_ptr<FilterEffekt>> effekte;
  Zarvo_VertexEingabe* eingabe = nullptr;
  Zarvo_VertexBuffer* quadVertices = nullptr;
  Zarvo_IndexBuffer* quadIndizes = nullptr;
  Zarvo_Sampler* sampler[4] = {};

 private:
  const FilterEffekt* LadeEffekt(const std::string& name, std::string_view text, const std::string& quelle);
  void ErzeugeResourcen(Zarvo_ZeichenKontext& kontext);
  void ZeichneSchritt(Zarvo_ZeichenKontext& kontext, FilterSatz& satz, const FilterSatz::Schritt& schritt, const Ziel& ziel,
                      const Resourcen& resourcen);
};
