#pragma once
// One pass of an image filter effect, read from a <filter> element of an effect file: the images
// it samples (each with its sampler, its size constant and its sampling codes), the image it
// writes (name, size divider, pixel format), its blending and its program, compiled from the
// element's shader texts when it is loaded. Every fatal error of the element is logged and the
// constructor throws "Laden des Filters gescheitert"; the effect then leaves the pass out.
#include <cstdint>
#include <string>
#include <vector>

#include "Zarvo_ShaderTools.h"

class TiXmlElement;
class Zarvo_AlphaZustand;
class Zarvo_VertexEingabe;

namespace BildFilter {

class Filter {
 public:
  // Sampling codes of an input.
  static constexpr uint32_t WIEDERHOLEN = 0, BEGRENZEN = 21;  // addressing
  static constexpr uint32_t PUNKT = 0, LINEAR = 21;           // filtering
  static constexpr uint32_t KEINE_KONSTANTE = 0xFFFFFF;       // constant handle absent from both shaders

  struct Eingabe {
    std::string name;       // the image sampled
    std::string sampler;    // sampler name in the pixel shader
    std::string konstante;  // float4 constant receiving the image's size information
    uint32_t adressierung = BEGRENZEN;
    uint32_t filterung = PUNKT;
    uint32_t samplerHandle = 0xFFFF;  // looked up once the program exists
    uint32_t konstantenHandle = KEINE_KONSTANTE;
  };

  // Reads and compiles the pass; the program binds `eingabe`, the filter quad's vertex input.
  Filter(const std::string& name, const TiXmlElement& element, Zarvo_VertexEingabe* eingabe);
  // Releases program, shaders and blend state through the drawing context's registry.
  ~Filter();
  Filter(const Filter&) = delete;
  Filter& operator=(const Filter&) = delete;

  // The program's handle of a constant name (KEINE_KONSTANTE when neither shader has it).
  uint32_t GibKonstante(const std::string& konstante) const;

  std::string name;
  std::vector<Eingabe> eingaben;
  std::string ausgabeName = "ergebnis";
  uint64_t teiler = 1;
  uint32_t pixelformat = 0;
  Zarvo_AlphaZustand* alphaZustand = nullptr;  // null: no blending
  std::string vertexShaderText;
  std::string pixelShaderText;
  Zarvo_ShaderPaar shader;
  uint32_t posOffsetHandle = KEINE_KONSTANTE;  // "gPosOffset"

 private:
  // False after logging a fatal error of the element.
  bool LadeAus(const TiXmlElement& element, Zarvo_VertexEingabe* eingabe);
  bool LiesEingabe(const TiXmlElement& element, int nummer);
  bool LiesAusgabe(const TiXmlElement& element);
  bool LiesAlphaBlending(const TiXmlElement& element, uint32_t& quelle, uint32_t& ziel);
  bool LiesShaderTexte(const TiXmlElement& element);
  bool Kompiliere(Zarvo_VertexEingabe* eingabe);
  void GibFrei();
};

}  // namespace BildFilter
