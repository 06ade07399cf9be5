#pragma once
// A grid over the generator's request boxes, so that a neighbour search visits the requests near a
// box instead of all of them. Cells are ZELLE doubled units wide; a box is entered in every cell
// its closed extent overlaps. Boxes that would cover more than GROSS cells, or that are not
// finite, go into one list that every search visits. A search hands back candidates (each once);
// the caller applies the exact distance test. The owner keeps it beside the request table, under
// the same lock.
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "BVektor3.h"

namespace Spiel {

class NachbarRaster {
 public:
  static constexpr float ZELLE = 4.0f;
  static constexpr int64_t GROSS = 64;

  void Fuege(uint32_t key, BVektor3<float> mitte, BVektor3<float> halbeGroesse);
  // Takes the key out of the cells of the box it was entered with.
  void Entferne(uint32_t key, BVektor3<float> mitte, BVektor3<float> halbeGroesse);
  // Every key whose box may lie within `abstand` of the given box, sorted and without repeats.
  void SammleKandidaten(std::vector<uint32_t>& kandidaten, BVektor3<float> mitte, BVektor3<float> halbeGroesse,
                        float abstand) const;
  size_t AnzahlGrosse() const { return grosse.size(); }

 private:
  struct Bereich {
    int64_t lo[3], hi[3];
    bool gross;  // too many cells, or not finite
  };
  static Bereich Zellen(BVektor3<float> mitte, BVektor3<float> halbeGroesse, float rand, bool suche);
  static uint64_t ZellKey(int64_t x, int64_t y, int64_t z);

  std::unordered_map<uint64_t, std::vector<uint32_t>> zellen;
  std::vector<uint32_t> grosse;
};

}  // namespace Spiel
