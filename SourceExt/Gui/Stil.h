#pragma once
// Style values in property trees. A key is a dotted path ("button.groesse.x"): an empty path is
// the node itself; otherwise the first segment (which may be empty) names a child by exact name
// and the rest of the path is looked up in that child.
#include <optional>
#include <string_view>

#include "TEigenschaften.h"

namespace Gui {

// The node at the path, null when a segment is missing.
const TEigenschaften* SucheStil(const TEigenschaften& knoten, std::string_view pfad);

// The value at the path as a float: a float is read, an int or unsigned int converted; any other
// type, no value or no node count as absent.
std::optional<float> LiesStilZahl(const TEigenschaften& knoten, std::string_view pfad);

// Stores a float at the path, creating the nodes along it (each named after its segment).
void SetzeStil(TEigenschaften& knoten, std::string_view pfad, float wert);

}  // namespace Gui
