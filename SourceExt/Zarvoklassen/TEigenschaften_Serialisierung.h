#pragma once
// Loading of TEigenschaften trees from XML files.
#include <filesystem>
#include <string_view>

#include "TEigenschaften.h"

class TiXmlDocument;
class TiXmlElement;

class TEigenschaften_Serialisierung {
 public:
  static constexpr int MAX_ELEMENTE = 4096;  // more element openings count as a parse failure

  // Loads the file into `wurzel`; throws Zarvo_Ausnahme "Datei nicht geladen" when the file cannot
  // be opened or parsed. `flag` is handed on unchanged.
  static void LadeEigenschaftenAusXml(TEigenschaften& wurzel, const std::filesystem::path& pfad, bool flag);

  // The steps of LadeEigenschaftenAusXml, shared with the fuzz target: parse a document from text
  // (false on failure, including more than MAX_ELEMENTE element openings), then fill the root
  // node from the document's first element (nothing when it has none).
  static bool LiesDokument(std::string_view text, TiXmlDocument& dokument);
  static void FuelleAus(TEigenschaften& wurzel, const TiXmlDocument& dokument, bool flag);

  // Fills a node from an element, its children recursively; same-name children merge.
  static void LiesElement(TEigenschaften& knoten, const TiXmlElement& element, bool flag);
  // Stores the text read by the type name (null or unknown: float). Unparsed numbers give 0.
  static void LiesWert(TEigenschaften& knoten, const char* typName, const char* text);
};

// The attribute read as a float when the read reaches the end of its text ("" gives 0), else the
// default; also the default when the element has no such attribute.
float LiesFloatAttribut(const TiXmlElement& element, const char* attributName, float standard);
