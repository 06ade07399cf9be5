#include "Zarvo_ResourcenRegister.h"

#include <algorithm>
#include <cstring>

#include "Zarvo_BasisObjekt.h"

namespace {
constexpr uint64_t KEIN_SLOT = ~uint64_t(0);

// One block: the occupancy words, then the entries.
uint8_t* NeuerBlock(uint64_t kapazitaet) {
  return new uint8_t[kapazitaet / 64 * sizeof(uint64_t) + kapazitaet * sizeof(Zarvo_BasisObjekt*)]();
}
}  // namespace

Zarvo_ResourcenRegister::~Zarvo_ResourcenRegister() { GibBlockFrei(); }

void Zarvo_ResourcenRegister::GibBlockFrei() {
  delete[] reinterpret_cast<uint8_t*>(belegung);
  belegung = nullptr;
  eintraege = nullptr;
  kapazitaet = 0;
  hinweis = 0;
}

uint64_t Zarvo_ResourcenRegister::FreierSlot() const {
  for (uint64_t wort = hinweis / 64; wort < kapazitaet / 64; ++wort) {
    if (belegung[wort] == ~uint64_t(0)) continue;
    return wort * 64 + uint64_t(__builtin_ctzll(~belegung[wort]));
  }
  return KEIN_SLOT;
}

uint64_t Zarvo_ResourcenRegister::Wachse() {
  const uint64_t alt = kapazitaet;
  const uint64_t neu = (std::max<uint64_t>(2 * alt, 64) + 63) / 64 * 64;
  uint8_t* block = NeuerBlock(neu);
  auto* neueBelegung = reinterpret_cast<uint64_t*>(block);
  auto* neueEintraege = reinterpret_cast<Zarvo_BasisObjekt**>(block + neu / 64 * sizeof(uint64_t));
  if (alt) {
    std::memcpy(neueBelegung, belegung, alt / 64 * sizeof(uint64_t));
    std::memcpy(neueEintraege, eintraege, alt * sizeof(Zarvo_BasisObjekt*));
  }
  delete[] reinterpret_cast<uint8_t*>(belegung);
  belegung = neueBelegung;
  eintraege = neueEintraege;
  kapazitaet = neu;
  hinweis = std::min(hinweis, neu);
  return alt;
}

uint64_t Zarvo_ResourcenRegister::Einfuegen(Zarvo_BasisObjekt* objekt) {
  uint64_t slot = FreierSlot();
  if (slot == KEIN_SLOT) slot = Wachse();
  eintraege[slot] = objekt;
  belegung[slot / 64] |= uint64_t(1) << (slot % 64);
  ++hinweis;
  objekt->registerIndex = slot;
  return slot;
}

void Zarvo_ResourcenRegister::Entferne(Zarvo_BasisObjekt* objekt) {
  if (objekt == nullptr) return;
  const uint64_t slot = objekt->registerIndex;
  if (Belegt(slot) && eintraege[slot] == objekt) {
    belegung[slot / 64] &= ~(uint64_t(1) << (slot % 64));
    hinweis = std::min(hinweis, slot);
  }
  delete objekt;
}
