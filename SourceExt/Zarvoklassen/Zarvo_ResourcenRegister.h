#pragma once
// The registry of live render resources, a member of the drawing context. Slots are reused
// lowest first, so the registry stays dense and a walk (eviction, reset, statistics, leak report)
// costs one bit test per slot. The registry owns its resources: removing one deletes it.
//
// One allocation holds the occupancy words (bit i set = slot i live) and then the entry array.
// The capacity is a multiple of 64; every slot below the hint is occupied.
#include <cstdint>

class Zarvo_BasisObjekt;

class Zarvo_ResourcenRegister {
 public:
  Zarvo_ResourcenRegister() = default;
  ~Zarvo_ResourcenRegister();
  Zarvo_ResourcenRegister(const Zarvo_ResourcenRegister&) = delete;
  Zarvo_ResourcenRegister& operator=(const Zarvo_ResourcenRegister&) = delete;

  // Enters the resource in the lowest free slot (growing when full) and writes its slot number.
  uint64_t Einfuegen(Zarvo_BasisObjekt* objekt);
  // Clears the slot and deletes the resource; null does nothing.
  void Entferne(Zarvo_BasisObjekt* objekt);
  // Frees the block; the resources still entered are not deleted.
  void GibBlockFrei();

  // Visits the live slots in ascending order; the visitor may remove the visited resource.
  template <class Besucher>
  void FuerAlle(Besucher&& besucher) const {
    for (uint64_t slot = 0; slot < kapazitaet; ++slot)
      if (Belegt(slot)) besucher(eintraege[slot]);
  }

  bool Belegt(uint64_t slot) const { return slot < kapazitaet && (belegung[slot / 64] >> (slot % 64) & 1); }
  uint64_t Kapazitaet() const { return kapazitaet; }
  uint64_t Hinweis() const { return hinweis; }

 private:
  uint64_t FreierSlot() const;
  uint64_t Wachse();

  uint64_t* belegung = nullptr;
  Zarvo_BasisObjekt** eintraege = nullptr;
  uint64_t kapazitaet = 0;
  uint64_t hinweis = 0;
};
