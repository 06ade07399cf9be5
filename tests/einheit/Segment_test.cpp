#include <gtest/gtest.h>

#include <vector>

#include "LogMitschnitt.h"
#include "TSegmentLeser.h"
#include "TSegmentSchreiber.h"
#include "TSpeicher.h"

namespace {

constexpr uint32_t BLKG = VierZeichen("BLKG");
constexpr uint32_t INNR = VierZeichen("INNR");

std::vector<uint8_t> Inhalt(const TSpeicher& s) { return {s.Daten(), s.Daten() + s.Groesse()}; }

// A head with the length field set to `laenge`, then `nutzlast` bytes.
TSpeicher KopfMitLaenge(uint64_t laenge, size_t nutzlast) {
  TSpeicher s;
  s.SchreibeU32(BLKG);
  s.SchreibeU32(0x80000001u);
  s.SchreibeU64(laenge);
  for (size_t i = 0; i < nutzlast; ++i) s.SchreibeU8(uint8_t(i));
  s.Zurueckspulen();
  return s;
}

}  // namespace

TEST(SegmentSchreiber, LeeresSegmentUndBeispiel) {
  TSpeicher leer;
  { TSegmentSchreiber segment(leer, BLKG, 2); }
  EXPECT_EQ(leer.Groesse(), 20u);
  leer.SetzePosition(8);
  EXPECT_EQ(leer.LiesU64BE(), 12u);

  TSpeicher s;
  {
    TSegmentSchreiber segment(s, BLKG, 2);
    for (int i = 0; i < 100; ++i) s.SchreibeU8(uint8_t(i));
  }
  std::vector<uint8_t> erwartet = {'B', 'L', 'K', 'G', 0x80, 0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 112};
  for (int i = 0; i < 100; ++i) erwartet.push_back(uint8_t(i));
  for (char c : {'B', 'l', 'k', 'g'}) erwartet.push_back(uint8_t(c));
  EXPECT_EQ(Inhalt(s), erwartet);
  EXPECT_EQ(s.Position(), 120u);
  EXPECT_EQ(TSegmentSchreiber::EndMarkierung(VierZeichen("PLTZ")), VierZeichen("Pltz"));
  EXPECT_EQ(TSegmentSchreiber::EndMarkierung(VierZeichen("A1b_")), VierZeichen("A1b_"));
}

TEST(SegmentSchreiber, VerschachtelteSegmente) {
  TSpeicher s;
  {
    TSegmentSchreiber aussen(s, BLKG, 1);
    s.SchreibeU32(7);
    {
      TSegmentSchreiber innen(s, INNR, 3);
      s.SchreibeU64(9);
    }
  }
  ASSERT_EQ(s.Groesse(), 16u + 4 + 28 + 4);
  s.SetzePosition(8);
  EXPECT_EQ(s.LiesU64BE(), s.Groesse() - 8);

  s.Zurueckspulen();
  TSegmentLeser aussen(s, BLKG, 1);
  EXPECT_EQ(aussen.Version(), 1u);
  EXPECT_EQ(s.LiesU32BE(), 7u);
  {
    TSegmentLeser innen(s, INNR, 3);
    EXPECT_EQ(innen.Version(), 3u);
    EXPECT_EQ(s.LiesU64BE(), 9u);
  }
  aussen.Beende();
  EXPECT_EQ(s.Position(), s.Groesse());
  EXPECT_FALSE(s.HatLesefehler());
}

TEST(SegmentLeser, VersionenKennungUndSegmentOhneLaenge) {
  LogMitschnitt log;
  TSpeicher s;
  { TSegmentSchreiber a(s, BLKG, 258); }
  { TSegmentSchreiber b(s, BLKG, 259); }
  s.Zurueckspulen();
  { TSegmentLeser a(s, BLKG, 258); EXPECT_EQ(a.Version(), 258u); }
  EXPECT_EQ(log.Anzahl("ungueltige Version"), 0u);
  { TSegmentLeser b(s, BLKG, 258); EXPECT_EQ(b.Version(), 259u); }
  EXPECT_EQ(log.Anzahl("TSegmentLeser - Segment 'BLKG' hat ungueltige Version 259."), 1u);
  EXPECT_EQ(s.Position(), 40u);

  // Without a length the end is unknown: a wrong marker skips to the end of the buffer.
  TSpeicher ohne;
  ohne.SchreibeU32(BLKG);
  ohne.SchreibeU32(5);
  ohne.SchreibeU32(0xAABBCCDD);
  ohne.SchreibeU32(VierZeichen("Blkg"));
  ohne.Zurueckspulen();
  {
    TSegmentLeser leser(ohne, BLKG, 5);
    EXPECT_EQ(leser.Version(), 5u);
    EXPECT_EQ(leser.Ende(), TSegmentLeser::ENDE_UNBEKANNT);
    EXPECT_EQ(ohne.LiesU32BE(), 0xAABBCCDDu);
  }
  EXPECT_EQ(ohne.Position(), 16u);
  ohne.SetzePosition(0);
  { TSegmentLeser leser(ohne, BLKG, 5); }
  EXPECT_EQ(ohne.Position(), 16u);

  for (bool debug : {false, true}) {
    LogMitschnitt falsch;
    falsch.Debug(debug);
    s.Zurueckspulen();
    { TSegmentLeser leser(s, INNR, 300); }
    EXPECT_EQ(falsch.Anzahl("!TSegmentLeser - Startkennung 'INNR' nicht gefunden."), debug ? 1u : 0u);
    EXPECT_EQ(falsch.Anzahl("TSegmentLeser - Startmarkierung 'INNR' erwartet."), 1u);
    EXPECT_EQ(falsch.Anzahl("TSegmentLeser::Init"), 1u);
  }
}

TEST(SegmentLeser, UnvollstaendigGelesenesLandetHinterDerMarkierung) {
  TSpeicher s;
  {
    TSegmentSchreiber segment(s, BLKG, 1);
    s.SchreibeU32(1);
    s.SchreibeU32(VierZeichen("Blkg"));  // payload that looks like the marker
    s.SchreibeU32(3);
  }
  s.SchreibeU32(0x12345678);
  for (bool debug : {false, true}) {
    LogMitschnitt log;
    log.Debug(debug);
    s.Zurueckspulen();
    {
      TSegmentLeser leser(s, BLKG, 1);
      s.LiesU32BE();
    }
    EXPECT_EQ(s.Position(), 32u);
    EXPECT_EQ(s.LiesU32BE(), 0x12345678u);
    EXPECT_EQ(log.Anzahl("!TSegmentLeser - Segment 'BLKG' nicht korrekt beendet."), debug ? 1u : 0u);
    EXPECT_FALSE(s.HatLesefehler());
  }
}

// Damaged lengths never move the cursor back into the head, and report the damage.
TEST(SegmentLeser, BeschaedigteLaengen) {
  struct Fall {
    const char* name;
    uint64_t laenge;
    uint64_t endeErwartet;
  };
  const Fall faelle[] = {
      {"null", 0, 16}, {"elf", 11, 19}, {"hinter dem Puffer", 1000, 56}, {"alle Einsen", ~0ull, 56},
  };
  for (const Fall& f : faelle) {
    LogMitschnitt log;
    TSpeicher s = KopfMitLaenge(f.laenge, 40);
    uint64_t vorher;
    {
      TSegmentLeser leser(s, BLKG, 1);
      EXPECT_EQ(leser.Ende(), f.endeErwartet) << f.name;
      vorher = s.Position();
    }
    EXPECT_GE(s.Position(), vorher) << f.name;
    EXPECT_TRUE(s.HatLesefehler()) << f.name;
    EXPECT_EQ(log.Anzahl("TSegmentLeser - Segment 'BLKG' ist abgeschnitten."), 1u) << f.name;
  }
}

TEST(SegmentLeser, AbgeschnitteneKoepfeUndMarkierungen) {
  TSpeicher ganz;
  { TSegmentSchreiber segment(ganz, BLKG, 1); ganz.SchreibeU32(5); }
  for (uint64_t laenge = 0; laenge < ganz.Groesse(); ++laenge) {
    LogMitschnitt log;
    TSpeicher s(ganz);
    s.SetGroesse(laenge);
    s.Zurueckspulen();
    { TSegmentLeser leser(s, BLKG, 1); s.LiesU32BE(); }
    EXPECT_TRUE(s.HatLesefehler()) << laenge;
    EXPECT_EQ(s.Position(), s.Groesse()) << laenge;
    EXPECT_GE(log.Anzahl("ist abgeschnitten."), 1u) << laenge;
  }
  // Without a length, a marker cut off is damage too.
  TSpeicher ohne;
  ohne.SchreibeU32(BLKG);
  ohne.SchreibeU32(1);
  ohne.SchreibeU8('B');
  ohne.Zurueckspulen();
  LogMitschnitt log;
  { TSegmentLeser leser(ohne, BLKG, 1); }
  EXPECT_TRUE(ohne.HatLesefehler());
  EXPECT_EQ(ohne.Position(), ohne.Groesse());
  EXPECT_EQ(log.Anzahl("ist abgeschnitten."), 1u);
}
