#include "TSegmentSchreiber.h"

#include "TSpeicher.h"

namespace {
uint32_t Klein(uint32_t zeichen) { return zeichen >= 'A' && zeichen <= 'Z' ? zeichen - 'A' + 'a' : zeichen; }
}  // namespace

uint32_t TSegmentSchreiber::EndMarkierung(uint32_t id) {
  return (id & 0xFF000000u) | Klein((id >> 16) & 0xFF) << 16 | Klein((id >> 8) & 0xFF) << 8 | Klein(id & 0xFF);
}

TSegmentSchreiber::TSegmentSchreiber(TSpeicher& speicher_, uint32_t id_, uint32_t version) : speicher(&speicher_) {
  Init(id_, version);
}

TSegmentSchreiber::~TSegmentSchreiber() {
  if (!beendet) Beende();
}

void TSegmentSchreiber::SchreibeKopf(TSpeicher& speicher, uint32_t id, uint32_t version, uint64_t laenge) {
  speicher.SchreibeU32(id);
  speicher.SchreibeU32(version | MIT_LAENGE);
  speicher.SchreibeU64(laenge);
}

void TSegmentSchreiber::SchreibeEnde(TSpeicher& speicher, uint32_t id) { speicher.SchreibeU32(EndMarkierung(id)); }

void TSegmentSchreiber::Init(uint32_t id_, uint32_t version) {
  id = id_;
  beendet = false;
  SchreibeKopf(*speicher, id, version, 0);
  laengenPosition = speicher->Position() - 8;
}

void TSegmentSchreiber::Beende() {
  SchreibeEnde(*speicher, id);
  const uint64_t ende = speicher->Position();
  speicher->SetzePosition(laengenPosition);
  speicher->SchreibeU64(ende - laengenPosition);
  speicher->SetzePosition(ende);
  beendet = true;
}
