#include "TSegmentLeser.h"

#include <fmt/format.h>

#include "TSegmentSchreiber.h"
#include "TSpeicher.h"
#include "Zarvo_Ausnahme.h"
#include "Zarvo_Start.h"

namespace {

constexpr uint64_t KOPF_OHNE_LAENGE = 8;

struct Zeichen4 {
  char c[4];
};
Zeichen4 Buchstaben(uint32_t id) { return {{char(id >> 24), char(id >> 16), char(id >> 8), char(id)}}; }

}  // namespace

TSegmentLeser::TSegmentLeser(TSpeicher& speicher_, uint32_t id_, uint32_t hoechsteVersion) : speicher(&speicher_) {
  Init(id_, hoechsteVersion);
}

TSegmentLeser::~TSegmentLeser() {
  if (!beendet) Beende();
}

void TSegmentLeser::MeldeAbgeschnitten() {
  const Zeichen4 z = Buchstaben(id);
  ZARVO_PRUEFE(fmt::format("TSegmentLeser - Segment '{}{}{}{}' ist abgeschnitten.", z.c[0], z.c[1], z.c[2], z.c[3]).c_str());
  speicher->SetzeLesefehler();
}

void TSegmentLeser::Init(uint32_t id_, uint32_t hoechsteVersion) {
  id = id_;
  beendet = false;
  ende = ENDE_UNBEKANNT;
  const bool kopfPasst = speicher->Rest() >= KOPF_OHNE_LAENGE;
  const uint32_t gelesen = speicher->LiesU32BE();
  version = speicher->LiesU32BE();
  if (!kopfPasst) {
    MeldeAbgeschnitten();
    ende = speicher->Groesse();
  } else if (version & TSegmentSchreiber::MIT_LAENGE) {
    version &= ~TSegmentSchreiber::MIT_LAENGE;
    LiesLaenge();
  }
  const Zeichen4 z = Buchstaben(id);
  if (gelesen != id) {
    g_Log.DebugAusgabe("!TSegmentLeser - Startkennung '%c%c%c%c' nicht gefunden.", z.c[0], z.c[1], z.c[2], z.c[3]);
    ZARVO_PRUEFE(fmt::format("TSegmentLeser - Startmarkierung '{}{}{}{}' erwartet.", z.c[0], z.c[1], z.c[2], z.c[3]).c_str());
  }
  if (version > hoechsteVersion) {
    ZARVO_PRUEFE(fmt::format("TSegmentLeser - Segment '{}{}{}{}' hat ungueltige Version {}.", z.c[0], z.c[1], z.c[2],
                             z.c[3], version)
                     .c_str());
  }
}

// The end lies at the length position plus the length; a length that does not fit is damage,
// and the end is clamped to [behind the length field, buffer size].
void TSegmentLeser::LiesLaenge() {
  const uint64_t laengenPosition = speicher->Position();
  const bool feldPasst = speicher->Rest() >= 8;
  const uint64_t laenge = speicher->LiesU64BE();
  const uint64_t verfuegbar = speicher->Groesse() - laengenPosition;
  if (feldPasst && laenge >= MIN_LAENGE && laenge <= verfuegbar) {
    ende = laengenPosition + laenge;
    return;
  }
  MeldeAbgeschnitten();
  ende = laengenPosition + std::min(std::max<uint64_t>(laenge, 8), verfuegbar);
}

uint32_t TSegmentLeser::Beende() {
  const uint32_t erwartet = TSegmentSchreiber::EndMarkierung(id);
  beendet = true;
  const bool anMarkierung = ende == ENDE_UNBEKANNT || (ende >= 4 && speicher->Position() == ende - 4);
  if (anMarkierung) {
    if (speicher->Rest() < 4) MeldeAbgeschnitten();
    if (speicher->LiesU32BE() == erwartet) return erwartet;
  }
  const Zeichen4 z = Buchstaben(id);
  g_Log.DebugAusgabe("!TSegmentLeser - Segment '%c%c%c%c' nicht korrekt beendet.", z.c[0], z.c[1], z.c[2], z.c[3]);
  speicher->SetzePosition(ende);
  return erwartet;
}
