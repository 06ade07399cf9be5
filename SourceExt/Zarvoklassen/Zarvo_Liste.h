#pragma once
// A console or variable text split into tokens (ZerlegeListe), each with its reading as a number.
#include <string>
#include <string_view>
#include <vector>

class Zarvo_Liste {
 public:
  std::vector<std::string> tokens;
  std::vector<float> zahlen;  // parallel to tokens: the token as a decimal float, 0 when none

  // The number at `index`, or 0 when out of range.
  float Zahl(size_t index) const;
  void Fuege(std::string token);
};

// Splits at blanks and commas; quotes group, blanks before a token vanish, an empty token stands
// between two commas, an unclosed quote takes the rest of the text.
Zarvo_Liste ZerlegeListe(std::string_view text);

// Decimal readings of a text: blanks skipped, optional sign, the longest decimal prefix;
// 0 when there is none. The integer reading is clamped to i32. No locale is consulted.
int LiesGanzzahl(std::string_view text);
float LiesGleitzahl(std::string_view text);
