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

  // A segment whose length is known beforehand, written in pieces: the head stating the length
  // (from the length field to the end of the end marker), and at its end the end marker.
  static void SchreibeKopf(TSpeicher& speicher, uint32_t id, uint32_t version, uint64_t laenge);
  static void SchreibeEnde(TSpeicher& speicher, uint32_t id);
  // The length a head states for `nutzlast` bytes of payload.
  static constexpr uint64_t LaengeFuer(uint64_t nutzlast) { return 8 + nutzlast + 4; }

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
