#pragma once
// The readable level description that kartenbau turns into "szene.dat". Plain UTF-8, one
// statement a line, applied in file order; ';' starts a comment:
//   groesse X Y Z                        a fresh map of that size (first statement)
//   zeichen C TYP                        character C stands for TYP in layer rows
//   quader x0 y0 z0 x1 y1 z1 TYP         fills the box, bounds inclusive
//   schicht y                            followed by Z rows of X characters, z = 0 first
//   objekt NAME x y z | a0 | a1 | a2 | a3   at most 4 numbers a vector, missing ones 0
// TYP is a block type name without its trailing comma, or 0..18. The description must hold
// exactly one "Startpunkt" in an empty cell above a full block, facing 0..3, and objects only
// inside the grid.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

class Karte;

class Kartenbeschreibung {
 public:
  struct Fehler {
    size_t zeile;
    std::string grund;
  };

  // Builds the map from the text (face values included); the first error found otherwise.
  static std::optional<Fehler> Baue(std::string_view text, Karte& karte);
};
