#pragma once
// A tree of named, typed values read from an XML file: each node is named after its element,
// holds the element's text read by the attribute "typ" (if any) and its child elements by name.
#include <cstdint>
#include <map>
#include <string>
#include <variant>

#include "TAlphaFarbe.h"
#include "TVektor.h"

class TEigenschaften {
 public:
  using Wert = std::variant<std::monostate, TVektor, TAlphaFarbe, std::string, int32_t, uint32_t, float>;

  TEigenschaften() = default;
  explicit TEigenschaften(std::string name) : name(std::move(name)) {}

  // "TVektor", "TAlphaFarbe", "string", "int", "unsigned int" or "float"; null without a value.
  const char* TypName() const;
  bool HatWert() const { return !std::holds_alternative<std::monostate>(wert); }
  // The value as text, written by its type's writer; empty without a value.
  std::string AlsText() const;

  // The value when it has type T, else null.
  template <class T>
  const T* Lies() const {
    return std::get_if<T>(&wert);
  }
  template <class T>
  void Setze(T neu) {
    wert = std::move(neu);
  }

  // Child by name, null when missing.
  const TEigenschaften* Kind(const std::string& kindName) const;

  // Writers: value to text with the classic locale, six significant digits for floats.
  static void FloatAlsText(std::string& text, float wert);
  static void VektorAlsText(std::string& text, const TVektor& wert);
  static void AlphaFarbeAlsText(std::string& text, const TAlphaFarbe& wert);
  static void StringAlsText(std::string& text, const std::string& wert);
  static void IntAlsText(std::string& text, int32_t wert);
  static void UnsignedIntAlsText(std::string& text, uint32_t wert);

  std::string name;
  Wert wert;
  std::map<std::string, TEigenschaften> kinder;
};
