#pragma once
// A slot pool: records in an array, one live bit per slot, the capacity and a first-free hint.
// A slot's index is its identity; slots keep their index when the pool grows. The render
// instances, the animation table and the scene items all follow these rules:
//  - Reserviere finds the lowest clear bit of the first word, from the hint's word on, that is
//    not full; when every word is full the capacity grows to max(2 x capacity, 64) rounded up to
//    a multiple of 64 (records and bits move, the new bits clear). The slot stays free until
//    SetzeLebend, which also raises the hint by one.
//  - GibFrei clears the bit of a live slot and lowers the hint to it.
// Growing moves the records: nobody keeps a T& across a reservation.
#include <algorithm>
#include <bit>
#include <cstdint>
#include <vector>

namespace Spiel {

template <class T>
struct SlotPool {
  std::vector<T> eintraege;
  std::vector<uint64_t> lebend;
  uint64_t kapazitaet = 0;
  uint64_t ersterFreier = 0;

  uint64_t Reserviere() {
    for (;;) {
      for (uint64_t w = ersterFreier / 64; w < lebend.size(); ++w)
        if (lebend[w] != ~uint64_t(0)) return w * 64 + uint64_t(std::countr_one(lebend[w]));
      Wachse();
    }
  }
  void SetzeLebend(uint64_t id) {
    if (id >= kapazitaet) return;
    lebend[id / 64] |= uint64_t(1) << (id % 64);
    ++ersterFreier;
  }
  // False (and nothing changes) for an id that is not a live slot of the pool.
  bool GibFrei(uint64_t id) {
    if (!IstLebend(id)) return false;
    lebend[id / 64] &= ~(uint64_t(1) << (id % 64));
    ersterFreier = std::min(ersterFreier, id);
    return true;
  }
  // Every slot free; capacity and records stay.
  void GibAlleFrei() {
    std::fill(lebend.begin(), lebend.end(), 0);
    ersterFreier = 0;
  }
  bool IstLebend(uint64_t id) const { return id < kapazitaet && (lebend[id / 64] >> (id % 64) & 1); }
  uint64_t AnzahlLebend() const {
    uint64_t n = 0;
    for (uint64_t wort : lebend) n += uint64_t(std::popcount(wort));
    return n;
  }

  T& operator[](uint64_t id) { return eintraege[id]; }
  const T& operator[](uint64_t id) const { return eintraege[id]; }

  // Calls f(id, record) for every live slot in ascending order. f may free slots (a slot it
  // frees is not visited later) but must not reserve.
  template <class F>
  void FuerLebende(F&& f) {
    Laufe(*this, f);
  }
  template <class F>
  void FuerLebende(F&& f) const {
    Laufe(*this, f);
  }

 private:
  template <class Pool, class F>
  static void Laufe(Pool& pool, F& f) {
    for (uint64_t w = 0; w < pool.lebend.size(); ++w) {
      uint64_t bits = pool.lebend[w];
      while (bits != 0) {
        const int bit = std::countr_zero(bits);
        f(w * 64 + uint64_t(bit), pool.eintraege[w * 64 + uint64_t(bit)]);
        bits = bit == 63 ? 0 : pool.lebend[w] & (~uint64_t(0) << (bit + 1));  // the live slots above it
      }
    }
  }
  void Wachse() {
    const uint64_t neu = (std::max<uint64_t>(2 * kapazitaet, 64) + 63) / 64 * 64;
    eintraege.resize(neu);
    lebend.resize(neu / 64, 0);
    kapazitaet = neu;
  }
};

}  // namespace Spiel
