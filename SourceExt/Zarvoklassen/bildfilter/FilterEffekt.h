#pragma once
// An image filter effect as one effect file describes it: the engine results it reads, its
// passes in file order, the textures it names and the parameters the game sets by name. It is
// read from the file's root element once and not changed afterwards; a pass that fails to load
// is logged and left out, the others stay.
#include <memory>
#include <string>
#include <vector>

#include "Filter.h"

class TiXmlElement;
class Zarvo_VertexEingabe;

class FilterEffekt {
 public:
  struct Textur {
    std::string name;
    std::string beschreibung;
    std::string standard;  // the default texture's name, as written
  };
  struct Parameter {
    std::string name;
    std::string beschreibung;
    std::string konstante;  // empty: the value reaches no constant
    float standard[4] = {0, 0, 0, 1};
  };

  // Fills the effect from its root element; the passes bind `eingabe`, the filter quad's input.
  void LadeAus(const std::string& effektName, const TiXmlElement& wurzel, Zarvo_VertexEingabe* eingabe);

  // The program handles of the parameters' constants, per filter and parameter.
  uint32_t ParameterHandle(size_t filter, size_t parameter) const { return parameterHandles[filter][parameter]; }

  std::string name;
  std::string beschreibung;
  std::vector<std::string> eingaben;  // engine results read
  std::vector<std::unique_ptr<BildFilter::Filter>> filter;
  std::vector<Textur> texturen;
  std::vector<Parameter> parameter;

 private:
  void LiesEingabe(const TiXmlElement& element);
  void LiesFilter(const TiXmlElement& element, Zarvo_VertexEingabe* eingabe);
  void LiesTextur(const TiXmlElement& element);
  void LiesParameter(const TiXmlElement& element, int nummer);
  void SucheParameterHandles();

  std::vector<std::vector<uint32_t>> parameterHandles;
};
