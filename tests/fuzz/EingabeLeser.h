#pragma once
// Reads a fuzz input front to back: bytes, little-endian 32-bit words and floats as their bit
// patterns. Bytes past the end read as 0.
#include <cstddef>
#include <cstdint>
#include <cstring>

class EingabeLeser {
 public:
  EingabeLeser(const uint8_t* daten, size_t groesse) : daten(daten), groesse(groesse) {}
  bool Ende() const { return pos >= groesse; }
  uint8_t Byte() { return pos < groesse ? daten[pos++] : 0; }
  uint32_t Wort() {
    uint32_t w = 0;
    for (int i = 0; i < 4; ++i) w |= uint32_t(Byte()) << (8 * i);
    return w;
  }
  float Float() {
    const uint32_t w = Wort();
    float f;
    std::memcpy(&f, &w, 4);
    return f;
  }

 private:
  const uint8_t* daten;
  size_t groesse;
  size_t pos = 0;
};
