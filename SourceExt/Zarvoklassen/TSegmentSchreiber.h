#pragma once
// Writes one tagged segment into a TSpeicher: id, version (bit 31 set: a length follows), the u64
// length from the length field to the end of the end marker, the payload, and the end marker (the
// id with its last three letters lower-cased), all big-endian. The constructor writes the head,
// Beende or the destructor the tail and the length; segments nest as scopes do.
#include <cstdint>

class TSpeicher;

class TSegmentSchreiber {
 public:
  TSegmentSchreiber(TSpeicher& speicher, uint32_t id, uint32_t version);
  ~TSegmentSchreiber();
  TSegmentSchreiber(const TSegmentSchreiber&) = delete;
  TSegmentSchreiber& operator=(const TSegmentSchreiber&) = delete;

  void Beende();

  static constexpr uint32_t MIT_LAENGE = 0x80000000u;
  // The end marker of an id: characters two to four lower-cased (C-locale letters only).
  static uint32_t EndMarkierung(uint32_t id);

 private:
  void Init(uint32_t id, uint32_t version);

  TSpeicher* speicher;
  uint32_t id = 0;
  uint64_t laengenPosition = 0;
  bool beendet = false;
};
