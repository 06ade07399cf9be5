#pragma once
// A table of owned entries addressed by slot number. A new entry takes the lowest free slot,
// searching from the bitset word that holds the used count; when none is free the capacity grows
// to max(2 * capacity, 64), raised to a multiple of 64, and the old entries keep their numbers.
// Entries are freed only all together.
#include <cstdint>
#include <memory>
#include <vector>

template <class T>
class TSlotTabelle {
 public:
  TSlotTabelle() = default;
  ~TSlotTabelle() { Leere(); }
  TSlotTabelle(const TSlotTabelle&) = delete;
  TSlotTabelle& operator=(const TSlotTabelle&) = delete;

  // Takes ownership of `eintrag` and returns its slot number.
  int64_t Fuege(std::unique_ptr<T> eintrag) {
    int64_t slot = FreierSlot();
    if (slot < 0) {
      slot = int64_t(kapazitaet);
      Wachse();
    }
    eintraege[size_t(slot)] = eintrag.release();
    belegung[size_t(slot) / 64] |= uint64_t(1) << (slot % 64);
    ++benutzt;
    return slot;
  }

  // The entry of slot n, or null when n is outside the table or the slot is free.
  T* Gib(int64_t n) const {
    if (n < 0 || uint64_t(n) >= kapazitaet || !(belegung[size_t(n) / 64] >> (n % 64) & 1)) return nullptr;
    return eintraege[size_t(n)];
  }

  // Destroys every entry in slot order and clears the bitset; the capacity stays.
  void Leere() {
    for (uint64_t n = 0; n < kapazitaet; ++n) {
      delete Gib(int64_t(n));
      eintraege[n] = nullptr;
    }
    for (uint64_t& wort : belegung) wort = 0;
    benutzt = 0;
  }

  uint64_t Kapazitaet() const { return kapazitaet; }
  uint64_t Benutzt() const { return benutzt; }

 private:
  int64_t FreierSlot() const {
    for (size_t wort = size_t(benutzt / 64); wort < belegung.size(); ++wort)
      if (~belegung[wort] != 0) return int64_t(wort * 64 + size_t(__builtin_ctzll(~belegung[wort])));
    return -1;
  }

  void Wachse() {
    uint64_t neu = kapazitaet * 2 < 64 ? 64 : kapazitaet * 2;
    neu = (neu + 63) / 64 * 64;
    eintraege.resize(neu, nullptr);
    belegung.resize(neu / 64, 0);
    kapazitaet = neu;
  }

  std::vector<T*> eintraege;
  std::vector<uint64_t> belegung;
  uint64_t kapazitaet = 0;
  uint64_t benutzt = 0;
};
