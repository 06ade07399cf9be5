#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "EigenerOrdner.h"
#include "LogMitschnitt.h"
#include "TSpeicher.h"
#include "WortText.h"

namespace {

std::vector<uint8_t> Inhalt(const TSpeicher& s) { return {s.Daten(), s.Daten() + s.Groesse()}; }

std::vector<uint8_t> Rauschen(size_t n, uint32_t saat) {
  std::mt19937 zufall(saat);
  std::vector<uint8_t> daten(n);
  for (uint8_t& b : daten) b = uint8_t(zufall());
  return daten;
}

}  // namespace

TEST(Speicher, WachstumInlineDannZehntausendDannDoppelt) {
  TSpeicher s;
  EXPECT_TRUE(s.IstInline());
  EXPECT_EQ(s.Kapazitaet(), 512u);
  std::vector<uint8_t> bytes(20001, 7);
  s.SchreibeMem(bytes.data(), 512);
  EXPECT_TRUE(s.IstInline());
  s.Zurueckspulen();
  s.SchreibeMem(bytes.data(), 600);
  EXPECT_EQ(s.Kapazitaet(), 10000u);
  s.SchreibeMem(bytes.data(), 20001 - 600);
  EXPECT_EQ(s.Kapazitaet(), 40000u);
  EXPECT_EQ(s.Groesse(), 20001u);
  EXPECT_EQ(Inhalt(s), bytes);
}

TEST(Speicher, ReserviereKlemmtUndGehtZurueckInline) {
  TSpeicher s(2000);
  EXPECT_EQ(s.Kapazitaet(), 2000u);
  for (int i = 0; i < 1000; ++i) s.SchreibeU8(uint8_t(i));
  s.Reserviere(100);
  EXPECT_TRUE(s.IstInline());
  EXPECT_EQ(s.Kapazitaet(), 512u);
  EXPECT_EQ(s.Groesse(), 100u);
  EXPECT_EQ(s.Position(), 100u);
  EXPECT_EQ(s.Daten()[99], 99);
}

TEST(Speicher, KopieUndVerschiebung) {
  TSpeicher gross;
  const std::vector<uint8_t> daten = Rauschen(3000, 1);
  gross.SchreibeMem(daten.data(), daten.size());
  gross.SetzePosition(17);
  TSpeicher kopie(gross);
  EXPECT_EQ(kopie.Kapazitaet(), 3000u);
  EXPECT_EQ(kopie.Position(), 17u);
  EXPECT_EQ(Inhalt(kopie), daten);
  TSpeicher verschoben(std::move(gross));
  EXPECT_EQ(Inhalt(verschoben), daten);
  EXPECT_TRUE(gross.IstInline());
  EXPECT_EQ(gross.Groesse(), 0u);
  TSpeicher klein;
  klein.SchreibeText("abc");
  TSpeicher kleinVerschoben(std::move(klein));
  EXPECT_EQ(Inhalt(kleinVerschoben), (std::vector<uint8_t>{'a', 'b', 'c'}));
  klein = kopie;
  EXPECT_EQ(Inhalt(klein), daten);
}

TEST(Speicher, ByteOrdnungDerSchreiber) {
  const uint32_t abcd = VierZeichen("ABCD");
  TSpeicher s;
  s.SchreibeU32(abcd);
  s.SchreibeU32Nativ(abcd);
  s.SchreibeU64(0x0102030405060708ull);
  s.SchreibeU64Nativ(0x0102030405060708ull);
  const std::vector<uint8_t> erwartet = {'A', 'B', 'C', 'D', 'D', 'C', 'B', 'A', 1, 2, 3, 4, 5, 6, 7, 8, 8, 7, 6, 5, 4, 3, 2, 1};
  EXPECT_EQ(Inhalt(s), erwartet);
  s.Zurueckspulen();
  EXPECT_EQ(s.LiesU32BE(), abcd);
  EXPECT_EQ(s.LiesU32(), abcd);
  EXPECT_EQ(s.LiesU64BE(), 0x0102030405060708ull);
  EXPECT_EQ(s.LiesU64(), 0x0102030405060708ull);
  EXPECT_FALSE(s.HatLesefehler());
}

TEST(Speicher, PositionenWerdenGeklemmt) {
  TSpeicher s;
  s.SchreibeU64(0);
  s.SetzePosition(4);
  EXPECT_EQ(s.VerschiebePosition(-10), -4);
  EXPECT_EQ(s.Position(), 0u);
  s.SetzePosition(4);
  EXPECT_EQ(s.VerschiebePosition(10), 4);
  EXPECT_EQ(s.Position(), 8u);
  EXPECT_EQ(s.SetzePosition(100), 0);
  EXPECT_EQ(s.Zurueckspulen(), -8);
}

TEST(Speicher, SetGroesseUeberKapazitaetMeldetUndKlemmt) {
  LogMitschnitt log;
  TSpeicher s;
  s.SetGroesse(600);
  EXPECT_EQ(s.Groesse(), 512u);
  EXPECT_TRUE(log.EnthaeltTeil("Neue Inhaltgröße übersteigt die Puffergröße"));
  EXPECT_TRUE(log.EnthaeltTeil("TSpeicher::SetGroesse"));
}

// Every read one byte short of its length: what exists is copied, the rest is zero, the cursor
// stops at the size and the flag stays set until cleared.
TEST(Speicher, LesenUeberDasEndeFuelltNullenUndSetztFlag) {
  struct Fall {
    const char* name;
    uint64_t laenge;
    std::function<uint64_t(TSpeicher&)> lies;  // the value read, zero-extended
  };
  const Fall faelle[] = {
      {"LiesU8", 1, [](TSpeicher& s) { return uint64_t(s.LiesU8()); }},
      {"LiesU32", 4, [](TSpeicher& s) { return uint64_t(s.LiesU32()); }},
      {"LiesU32BE", 4, [](TSpeicher& s) { return uint64_t(s.LiesU32BE()); }},
      {"LiesF32BE", 4, [](TSpeicher& s) { return uint64_t(std::bit_cast<uint32_t>(s.LiesF32BE())); }},
      {"LiesU64", 8, [](TSpeicher& s) { return s.LiesU64(); }},
      {"LiesU64BE", 8, [](TSpeicher& s) { return s.LiesU64BE(); }},
      {"LiesMem", 8, [](TSpeicher& s) { uint64_t w = ~0ull; s.LiesMem(&w, 8); return w; }},
      {"LiesMemEndianKorrekt", 8,
       [](TSpeicher& s) { uint32_t w[2] = {~0u, ~0u}; s.LiesMemEndianKorrekt(w, 8); return uint64_t(w[0]) << 32 | w[1]; }},
  };
  for (const Fall& f : faelle) {
    TSpeicher s;
    for (uint64_t i = 0; i < f.laenge - 1; ++i) s.SchreibeU8(0xFF);
    s.Zurueckspulen();
    const uint64_t wert = f.lies(s);
    EXPECT_TRUE(s.HatLesefehler()) << f.name;
    EXPECT_EQ(s.Position(), s.Groesse()) << f.name;
    // The last byte in reading order is the missing one; for the big-endian readers it is the
    // lowest, for the machine-order ones the highest.
    const uint64_t alleEins = f.laenge == 8 ? ~0ull : (1ull << (8 * f.laenge)) - 1;
    const bool bigEndian = std::string(f.name).find("BE") != std::string::npos ||
                           std::string(f.name) == "LiesMemEndianKorrekt";
    const uint64_t erwartet = f.laenge == 1 ? 0 : bigEndian ? alleEins & ~0xFFull : alleEins >> 8;
    if (std::string(f.name) == "LiesMemEndianKorrekt") {
      EXPECT_EQ(wert, 0xFFFFFFFFFFFFFF00ull) << f.name;
    } else {
      EXPECT_EQ(wert, erwartet) << f.name;
    }
    s.LoescheLesefehler();
    EXPECT_FALSE(s.HatLesefehler());
    s.SchreibeU8(1);
    s.LiesU8();
    s.Leere();
    EXPECT_FALSE(s.HatLesefehler()) << f.name;
  }
}

TEST(Speicher, LiesMemEndianKorrektMitZehnBytes) {
  LogMitschnitt log;
  TSpeicher s;
  const uint8_t bytes[10] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
  s.SchreibeMem(bytes, 10);
  s.Zurueckspulen();
  uint32_t worte[3] = {0, 0, 0xAAAAAAAA};
  s.LiesMemEndianKorrekt(worte, 10);
  EXPECT_EQ(worte[0], 0x01020304u);
  EXPECT_EQ(worte[1], 0x05060708u);
  EXPECT_EQ(worte[2], 0xAAAAAAAAu);
  EXPECT_EQ(s.Position(), 8u);
  EXPECT_TRUE(log.EnthaeltTeil("Größe eines endiankorrigierten Speicherblocks muss durch vier teilbar sein."));
}

TEST(Speicher, MarkierungVergleichtUndMeldet) {
  LogMitschnitt log;
  TSpeicher s;
  s.SchreibeU32(VierZeichen("VCTR"));
  s.SchreibeU32(VierZeichen("XXXX"));
  s.Zurueckspulen();
  EXPECT_TRUE(s.LiesMarkierung(VierZeichen("VCTR")));
  EXPECT_FALSE(s.LiesMarkierung(VierZeichen("ARAY")));
  EXPECT_EQ(s.Position(), 8u);
  EXPECT_EQ(log.Anzahl("Speicher - Markierung 'ARAY' erwartet."), 1u);
  EXPECT_TRUE(log.EnthaeltTeil("TSpeicher::LiesMarkierung"));
}

TEST(Speicher, FormatTextWirdBeiNeuntausendNeunhundertAchtundNeunzigAbgeschnitten) {
  LogMitschnitt log;
  TSpeicher s;
  s.SchreibeFormatText("%d-%s", 42, "x");
  EXPECT_EQ(std::string(s.Daten(), s.Daten() + s.Groesse()), "42-x");
  const std::string lang(12000, 'q');
  const uint64_t an = s.SchreibeFormatText("%s", lang.c_str());
  EXPECT_EQ(an, 4u);
  EXPECT_EQ(s.Position(), 4u + 9998u);
  EXPECT_EQ(s.Groesse(), 4u + 9998u);
  EXPECT_EQ(s.Daten()[4 + 9997], 'q');
  EXPECT_TRUE(log.EnthaeltTeil("Formatierter String zu groß für den internen Puffer"));
}

TEST(Speicher, LadenUndSpeichern) {
  EigenerOrdner ordner;
  TSpeicher s;
  SchreibeDatei(ordner.Pfad() / "leer", "");
  EXPECT_TRUE(s.LadeAusDatei(ordner.Pfad() / "leer", 0));
  EXPECT_EQ(s.Groesse(), 0u);
  EXPECT_FALSE(s.LadeAusDatei(ordner.Pfad() / "fehlt", 0));

  // A length that is a multiple of 64 above the capacity still gets its 64 zero bytes.
  const std::vector<uint8_t> daten = Rauschen(1024, 2);
  SchreibeDatei(ordner.Pfad() / "kilo", std::string(daten.begin(), daten.end()));
  TSpeicher kilo;
  ASSERT_TRUE(kilo.LadeAusDatei(ordner.Pfad() / "kilo", 0));
  EXPECT_EQ(Inhalt(kilo), daten);
  EXPECT_EQ(kilo.Position(), 0u);
  ASSERT_GE(kilo.Kapazitaet(), 1024u + 64u);
  for (int i = 0; i < 64; ++i) EXPECT_EQ(kilo.Daten()[1024 + i], 0) << i;

  SchreibeDatei(ordner.Pfad() / "text", "zeile 1\r\nzeile 2\n");
  ASSERT_TRUE(s.LadeAusDatei(ordner.Pfad() / "text", 1));
  EXPECT_EQ(std::string(s.Daten(), s.Daten() + s.Groesse()), "zeile 1\r\nzeile 2\n");

  ASSERT_TRUE(kilo.SpeichereInDatei(ordner.Pfad() / "kopie", 0));
  TSpeicher wieder;
  ASSERT_TRUE(wieder.LadeAusDatei(ordner.Pfad() / "kopie", 0));
  EXPECT_EQ(Inhalt(wieder), daten);
  EXPECT_FALSE(kilo.SpeichereInDatei(ordner.Pfad() / "fehlt" / "x", 0));
}


TEST(Speicher, WortTextRundlaufUndFehler) {
  EigenerOrdner ordner;
  const std::vector<uint32_t> worte = {0, 1, 0xDEADBEEF, 0xFFFFFFFF, 0x80000000, 12345};
  SchreibeDatei(ordner.Pfad() / "gut", AlsWortText(worte));
  TSpeicher s;
  ASSERT_TRUE(s.LadeAusDatei(ordner.Pfad() / "gut", 2));
  ASSERT_EQ(s.Groesse(), 4 * worte.size());
  for (uint32_t wort : worte) EXPECT_EQ(s.LiesU32(), wort);

  std::string schlecht = AlsWortText(worte);
  schlecht[8 + 2] = '*';
  SchreibeDatei(ordner.Pfad() / "schlecht", schlecht);
  EXPECT_FALSE(s.LadeAusDatei(ordner.Pfad() / "schlecht", 2));
  SchreibeDatei(ordner.Pfad() / "halb", AlsWortText(worte) + "AAA");
  EXPECT_FALSE(s.LadeAusDatei(ordner.Pfad() / "halb", 2));
}

TEST(ZLib, RundlaeufeLeerKleinUndGross) {
  const std::vector<size_t> groessen = {0, 5, 10 * 1024 * 1024};
  for (size_t groesse : groessen) {
    std::vector<uint8_t> daten(groesse);
    for (size_t i = 0; i < groesse; ++i) daten[i] = uint8_t((i * 7) ^ (i >> 9));
    TSpeicher quelle, gepackt, entpackt;
    quelle.SchreibeMem(daten.data(), daten.size());
    ASSERT_TRUE(ZLib_Packen(quelle, gepackt)) << groesse;
    EXPECT_EQ(quelle.Position(), groesse);
    gepackt.Zurueckspulen();
    ASSERT_TRUE(ZLib_Entpacken(gepackt, entpackt)) << groesse;
    EXPECT_EQ(gepackt.Position(), gepackt.Groesse());
    EXPECT_EQ(Inhalt(entpackt), daten) << groesse;
  }
}

TEST(ZLib, RauschenInKnappemPufferPasst) {
  const std::vector<uint8_t> rauschen = Rauschen(512, 3);
  TSpeicher inline512;
  inline512.SchreibeMem(rauschen.data(), rauschen.size());
  const std::vector<uint8_t> gross = Rauschen(70000, 4);
  TSpeicher original;
  original.SchreibeMem(gross.data(), gross.size());
  TSpeicher kopie(original);  // capacity equals size
  for (TSpeicher* quelle : {&inline512, &kopie}) {
    TSpeicher ziel, zurueck;
    ziel.SchreibeText("vor");
    ASSERT_TRUE(ZLib_Packen(*quelle, ziel, 9));
    EXPECT_GT(ziel.Groesse(), quelle->Groesse());
    ziel.SetzePosition(3);
    ASSERT_TRUE(ZLib_Entpacken(ziel, zurueck));
    EXPECT_EQ(Inhalt(zurueck), Inhalt(*quelle));
  }
}

TEST(ZLib, BeschaedigteAbgeschnitteneUndZuGrosseStroeme) {
  LogMitschnitt log;
  std::vector<uint8_t> daten(100000, 'a');
  TSpeicher quelle, gepackt;
  quelle.SchreibeMem(daten.data(), daten.size());
  ASSERT_TRUE(ZLib_Packen(quelle, gepackt));

  TSpeicher kaputt(gepackt);
  kaputt.Daten()[kaputt.Groesse() / 2] ^= 0x55;
  kaputt.Daten()[3] ^= 0xFF;
  kaputt.Zurueckspulen();
  TSpeicher ziel;
  EXPECT_FALSE(ZLib_Entpacken(kaputt, ziel));

  TSpeicher kurz(gepackt);
  kurz.SetGroesse(kurz.Groesse() - 6);
  kurz.Zurueckspulen();
  EXPECT_FALSE(ZLib_Entpacken(kurz, ziel));

  TSpeicher ganz(gepackt);
  ganz.Zurueckspulen();
  EXPECT_FALSE(ZLib_Entpacken(ganz, ziel, 99999));
  EXPECT_LE(ziel.Groesse(), 100000u);
  EXPECT_LT(ziel.Kapazitaet(), 400000u);
  ganz.Zurueckspulen();
  EXPECT_TRUE(ZLib_Entpacken(ganz, ziel, 100000));
  EXPECT_EQ(Inhalt(ziel), daten);
  EXPECT_EQ(log.Anzahl("!ZLib_Entpacken(...): Failed to inflate data."), 3u);
}
