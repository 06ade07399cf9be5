#pragma once
// One active filter chain: effects placed under integer sequence ids (run in ascending id), and
// what FilterVerwaltung::BerechneFilterkette computes from them: the images the passes read and
// write, the parameters the game sets by name, and the passes in drawing order. Adding or
// removing an effect recomputes the chain, which releases the intermediate images and resets
// the parameters to their defaults; drawing (FilterVerwaltung::ZeichneFilter) creates the images
// again at the target's size. A set never owns or changes its effects.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

class FilterEffekt;
class Zarvo_Renderziel;
class Zarvo_Textur;
namespace BildFilter {
class Filter;
}

class FilterSatz {
 public:
  // Kinds of images.
  static constexpr uint32_t ZWISCHENBILD = 0;      // owned by the set, drawn into
  static constexpr uint32_t ENGINE_ERGEBNIS = 1;   // supplied by the caller
  static constexpr uint32_t EFFEKT_TEXTUR = 2;     // a texture entry of an effect (stays without texture)
  static constexpr uint32_t HDR_REFERENZ = 3;      // "hdr_ref"
  static constexpr int ENDZIEL = -1;               // output index of the caller's target

  struct Bild {
    uint32_t art = ZWISCHENBILD;
    std::string name;
    uint64_t teiler = 1;
    uint32_t pixelformat = 0;
    Zarvo_Textur* textur = nullptr;
    Zarvo_Renderziel* renderziel = nullptr;
  };
  struct Parameter {
    std::string name;
    float wert[4] = {0, 0, 0, 1};
  };
  struct Schritt {
    const FilterEffekt* effekt = nullptr;
    const BildFilter::Filter* filter = nullptr;
    size_t filterIndex = 0;        // the filter's place in its effect
    std::vector<int> eingaben;     // image index per filter input
    std::vector<int> parameter;    // parameter index per parameter of the effect, -1 when none
    int ausgabe = ENDZIEL;         // image index, or ENDZIEL
  };

  FilterSatz() = default;
  // Releases the images' textures and targets; the effects are not touched.
  ~FilterSatz();
  FilterSatz(const FilterSatz&) = delete;
  FilterSatz& operator=(const FilterSatz&) = delete;

  // Places the effect under the id (replacing the one there, with a warning) and recomputes;
  // a null effect is logged and changes nothing.
  void AddFilter(int32_t sequenzId, const FilterEffekt* effekt);
  // Removes the id and recomputes; an unused id is logged and changes nothing.
  void EntferneFilter(int32_t sequenzId);
  // Stores the value of the named parameter until the chain is recomputed.
  void SetParameter(const std::string& name, float r, float g, float b, float a);

  // Releases the texture and render target of every image of kinds 0 and 2.
  void GibBilderFrei();

  std::map<int32_t, const FilterEffekt*> effekte;
  std::vector<Bild> bilder;
  std::vector<Parameter> parameter;
  std::vector<Schritt> schritte;
  uint8_t liestErgebnis = 0;           // some pass reads "ergebnis"
  bool rueckkopplungGemeldet = false;  // the chain's feedback line is written
};
