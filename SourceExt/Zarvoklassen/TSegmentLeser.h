#pragma once
// Reads one tagged segment (see TSegmentSchreiber) from a TSpeicher. The constructor reads and
// checks the head, Beende or the destructor the end marker. A reader that stops early, or finds
// anything but the marker at its end, jumps to the recorded end, so unread payload is skipped.
//
// Damage (a head or marker cut off, a length below 12 or reaching past the buffer) writes the
// consistency line, sets the buffer's read-error flag and clamps the end into the buffer, so the
// cursor never runs backwards past the head. A wrong id or a newer version is reported and
// reading goes on.
#include <cstdint>
#include <limits>

class TSpeicher;

class TSegmentLeser {
 public:
  static constexpr uint64_t ENDE_UNBEKANNT = std::numeric_limits<uint64_t>::max();
  static constexpr uint64_t MIN_LAENGE = 12;  // the length field and the end marker

  TSegmentLeser(TSpeicher& speicher, uint32_t id, uint32_t hoechsteVersion);
  ~TSegmentLeser();
  TSegmentLeser(const TSegmentLeser&) = delete;
  TSegmentLeser& operator=(const TSegmentLeser&) = delete;

  // Reads and checks the end marker; returns the expected marker.
  uint32_t Beende();

  uint32_t Version() const { return version; }
  uint64_t Ende() const { return ende; }

 private:
  void Init(uint32_t id, uint32_t hoechsteVersion);
  void LiesLaenge();
  void MeldeAbgeschnitten();

  TSpeicher* speicher;
  uint32_t id = 0;
  uint32_t version = 0;
  uint64_t ende = ENDE_UNBEKANNT;
  bool beendet = false;
};
