#pragma once
// The buffer's word text form (load mode 2) written by hand: eight bytes of head, then six
// characters per word, first character highest, separated by spaces and line breaks.
#include <cstdint>
#include <string>
#include <vector>

inline std::string AlsWortText(const std::vector<uint32_t>& worte) {
  const char* alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string text = "WORTE:\n\n";
  for (uint32_t wort : worte) {
    const uint64_t w = wort;
    for (int k = 5; k >= 0; --k) text += alphabet[(w >> (6 * k)) & 63];
    text += (text.size() % 7 == 0) ? "\n" : " ";
  }
  return text;
}
