#include <gtest/gtest.h>

#include <bit>
#include <cstring>
#include <fstream>
#include <iterator>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include <unistd.h>

#include "Karte.h"
#include "KartenVergleich.h"
#include "EigenerOrdner.h"
#include "LogMitschnitt.h"
#include "SzenenDatei.h"
#include "TSegmentSchreiber.h"
#include "TSpeicher.h"

using Spiel::SzenenDatei;

namespace {

constexpr const char* BESCHAEDIGT = "!Karte::Lies(): Szenendaten beschädigt, Karte unverändert.";

std::vector<uint8_t> Inhalt(const TSpeicher& s) { return {s.Daten(), s.Daten() + s.Groesse()}; }

TSpeicher AlsSzene(const Karte& karte) {
  TSpeicher s;
  SzenenDatei::Schreibe(s, karte);
  s.Zurueckspulen();
  return s;
}

Karte ZweiMalEins() {
  Karte karte;
  karte.SetzeGroesse(2, 1, 1);
  karte.ZelleBei(0, 0, 0) = {1, {0, 1, 1, 1, 0, 1}};
  karte.ZelleBei(1, 0, 0) = {2, {0, 2, 0, 0, 0, 2}};
  Karte::Objekt objekt;
  objekt.typ = 3;
  objekt.x = 1.5f;
  objekt.y = -2.0f;
  objekt.z = 0.25f;
  for (int k = 0; k < 4; ++k)
    for (int i = 0; i < 4; ++i) objekt.args[k][i] = float(k * 4 + i);
  karte.objekte.push_back(objekt);
  return karte;
}

// A map with a few objects and distinctive cells, to have something to lose.
Karte Vorher() {
  Karte karte;
  karte.SetzeGroesse(3, 2, 4);
  karte.ZelleBei(2, 1, 3).typ = 9;
  karte.BaueBlockGeometrie();
  Karte::Objekt objekt;
  objekt.typ = 7;
  objekt.args[3][3] = 42;
  karte.objekte.assign(3, objekt);
  return karte;
}

class ByteSchreiber {
 public:
  void BE32(uint32_t w) { for (int i = 3; i >= 0; --i) b.push_back(uint8_t(w >> (8 * i))); }
  void BE64(uint64_t w) { BE32(uint32_t(w >> 32)); BE32(uint32_t(w)); }
  void LE32(uint32_t w) { for (int i = 0; i < 4; ++i) b.push_back(uint8_t(w >> (8 * i))); }
  void Text(const char* t) { b.insert(b.end(), t, t + std::strlen(t)); }
  void F32(float f) { BE32(std::bit_cast<uint32_t>(f)); }
  std::vector<uint8_t> b;
};

}  // namespace

TEST(Szenendatei, BytesEinerKleinenKarte) {
  ByteSchreiber e;
  e.Text("SZNE");
  e.BE32(0x80000100);
  e.BE64(8 + 16 + 12 + 56 + 12 + 92 + 4 + 4);
  e.Text("KRTE");
  e.BE32(0x80000101);
  e.BE64(8 + 12 + 56 + 12 + 92 + 4);
  e.LE32(2);
  e.LE32(1);
  e.LE32(1);
  for (uint32_t w : {1, 0, 1, 1, 1, 0, 1, 2, 0, 2, 0, 0, 0, 2}) e.LE32(w);
  e.Text("VCTR");
  e.BE64(1);
  e.BE32(3);
  e.F32(1.5f);
  e.F32(-2.0f);
  e.F32(0.25f);
  e.Text("ARAY");
  e.BE64(4);
  for (int i = 0; i < 16; ++i) e.F32(float(i));
  e.Text("Krte");
  e.Text("Szne");
  const TSpeicher s = AlsSzene(ZweiMalEins());
  EXPECT_EQ(Inhalt(s), e.b);

  TSpeicher lesen = AlsSzene(ZweiMalEins());
  Karte karte;
  ASSERT_TRUE(SzenenDatei::Lies(lesen, karte));
  EXPECT_TRUE(KartenBitgleich(karte, ZweiMalEins()));
  EXPECT_EQ(lesen.Position(), lesen.Groesse());
}

TEST(Szenendatei, GroesseDerStandardKarteUndLeereObjektliste) {
  Karte karte;
  karte.BaueStandardKarte();
  for (size_t n : {0u, 16u, 17u}) {
    karte.objekte.resize(n);
    EXPECT_EQ(AlsSzene(karte).Groesse(), 917504u + 92 * n + 64) << n;
  }
  karte.objekte.clear();
  const TSpeicher s = AlsSzene(karte);
  const uint8_t* schwanz = s.Daten() + s.Groesse() - 20;
  EXPECT_EQ(std::string(schwanz, schwanz + 4), "VCTR");
  EXPECT_EQ(std::vector<uint8_t>(schwanz + 4, schwanz + 12), std::vector<uint8_t>(8, 0));
  EXPECT_EQ(std::string(schwanz + 12, schwanz + 20), "KrteSzne");
}

TEST(Szenendatei, BitgenauerRundlaufUndNeueAbmessungen) {
  Karte karte = Vorher();
  karte.ZelleBei(1, 0, 2).typ = 25;  // an unknown type stays as stored
  karte.ZelleBei(0, 1, 0).flaechen[3] = 0xDEADBEEF;
  karte.objekte[1].x = -0.0f;
  karte.objekte[1].args[2][1] = std::bit_cast<float>(0x7FC01234u);
  karte.objekte[2].y = std::bit_cast<float>(0xFF800001u);
  TSpeicher s = AlsSzene(karte);
  Karte andere;
  andere.BaueStandardKarte();
  ASSERT_TRUE(SzenenDatei::Lies(s, andere));
  EXPECT_TRUE(KartenBitgleich(andere, karte));
  EXPECT_EQ(andere.schichten.size(), 2u);
  EXPECT_EQ(andere.schichten[1].X, 3u);
  EXPECT_EQ(Inhalt(AlsSzene(andere)), Inhalt(AlsSzene(karte)));
}

namespace {
// A scene whose records carry `n` argument vectors (vector k filled with 100 + k).
TSpeicher MitVektoren(uint64_t n) {
  TSpeicher s;
  TSegmentSchreiber szne(s, VierZeichen("SZNE"), 256);
  {
    TSegmentSchreiber krte(s, VierZeichen("KRTE"), 257);
    for (uint32_t d : {1u, 1u, 1u}) s.SchreibeU32Nativ(d);
    const Karte::Zelle zelle{};
    s.SchreibeMem(&zelle, sizeof zelle);
    s.SchreibeU32(VierZeichen("VCTR"));
    s.SchreibeU64(2);
    for (int r = 0; r < 2; ++r) {
      for (int i = 0; i < 4; ++i) s.SchreibeU32(0);
      s.SchreibeU32(VierZeichen("ARAY"));
      s.SchreibeU64(n);
      for (uint64_t k = 0; k < n; ++k)
        for (int i = 0; i < 4; ++i) s.SchreibeU32(std::bit_cast<uint32_t>(float(100 + k)));
    }
  }
  szne.Beende();
  s.Zurueckspulen();
  return s;
}
}  // namespace

TEST(Szenendatei, ObjekteMitNullZweiUndFuenfVektoren) {
  for (uint64_t n : {0u, 2u, 4u, 5u}) {
    Karte karte;
    karte.SetzeGroesse(1, 1, 1);
    Karte::Objekt alt;
    for (auto& vektor : alt.args)
      for (float& wert : vektor) wert = -1;
    karte.objekte = {alt};  // the first record keeps unread vectors, the new one has zeros
    TSpeicher s = MitVektoren(n);
    ASSERT_TRUE(SzenenDatei::Lies(s, karte)) << n;
    ASSERT_EQ(karte.objekte.size(), 2u);
    EXPECT_EQ(s.Position(), s.Groesse()) << n;
    for (uint64_t k = 0; k < 4; ++k) {
      const float gelesen = float(100 + k);
      EXPECT_EQ(karte.objekte[0].args[k][2], k < n ? gelesen : -1.0f) << n << " " << k;
      EXPECT_EQ(karte.objekte[1].args[k][2], k < n ? gelesen : 0.0f) << n << " " << k;
    }
  }
}

TEST(Szenendatei, VersionenUndFalscheMarkierung) {
  struct Fall {
    const char* name;
    size_t stelle;  // byte changed in the scene of ZweiMalEins
    uint8_t wert;
    const char* meldung;  // expected once, or null for none
  };
  const Fall faelle[] = {
      {"aussen 257", 7, 0x01, "TSegmentLeser - Segment 'SZNE' hat ungueltige Version 257."},
      {"Karte 256", 23, 0x00, nullptr},
      {"falsches VCTR", 16 + 16 + 12 + 56, 'X', "Speicher - Markierung 'VCTR' erwartet."},
      {"falsches ARAY", 16 + 16 + 12 + 56 + 12 + 16, 'X', "Speicher - Markierung 'ARAY' erwartet."},
  };
  for (const Fall& f : faelle) {
    LogMitschnitt log;
    TSpeicher s = AlsSzene(ZweiMalEins());
    s.Daten()[f.stelle] = f.wert;
    Karte karte;
    EXPECT_TRUE(SzenenDatei::Lies(s, karte)) << f.name;
    EXPECT_TRUE(KartenBitgleich(karte, ZweiMalEins())) << f.name;
    if (f.meldung) {
      EXPECT_EQ(log.Anzahl(f.meldung), 1u) << f.name;
    }
    EXPECT_EQ(log.Anzahl("ungueltige Version"), f.meldung && std::string(f.meldung).find("Version") != std::string::npos ? 1u : 0u)
        << f.name;
    EXPECT_FALSE(log.EnthaeltTeil(BESCHAEDIGT)) << f.name;
  }
}

// Damaged data: false, one error line, the map exactly as before.
TEST(Szenendatei, BeschaedigteDatenLassenDieKarteUnveraendert) {
  struct Fall {
    std::string name;
    std::function<void(TSpeicher&)> beschaedige;
  };
  const size_t dims = 32, vctr = 32 + 12 + 56, anzahl = vctr + 4, satz = anzahl + 8;
  auto setzeLE = [](TSpeicher& s, size_t stelle, uint32_t w) { std::memcpy(s.Daten() + stelle, &w, 4); };
  auto setzeBE64 = [](TSpeicher& s, size_t stelle, uint64_t w) {
    for (int i = 0; i < 8; ++i) s.Daten()[stelle + i] = uint8_t(w >> (56 - 8 * i));
  };
  std::vector<Fall> faelle;
  // Truncation at every field boundary, with the outer length kept (so only the inner checks see it).
  for (size_t ende : {4u, 8u, 16u, 20u, 24u, 32u, 36u, 40u, 44u, 72u, 100u, 104u, 112u, 116u, 128u, 132u, 140u, 200u, 204u}) {
    faelle.push_back({"abgeschnitten bei " + std::to_string(ende), [ende](TSpeicher& s) { s.SetGroesse(ende); }});
  }
  struct Abmessung {
    uint32_t x, y, z;
  };
  for (Abmessung a : std::initializer_list<Abmessung>{{0, 1, 1}, {1, 0, 1}, {1, 1, 0}, {1025, 1, 1}, {1, 513, 1}, {1, 1, 1025},
                                                      {1024, 512, 1024}, {0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF}}) {
    faelle.push_back({"Abmessungen " + std::to_string(a.x) + "x" + std::to_string(a.y) + "x" + std::to_string(a.z),
                      [=](TSpeicher& s) {
                        setzeLE(s, dims, a.x);
                        setzeLE(s, dims + 4, a.y);
                        setzeLE(s, dims + 8, a.z);
                      }});
  }
  for (uint64_t n : {2ull, 1000000ull, 1ull << 60, ~0ull})
    faelle.push_back({"Objektzahl " + std::to_string(n), [=](TSpeicher& s) { setzeBE64(s, anzahl, n); }});
  for (uint64_t n : {5ull, 1ull << 40, (1ull << 60) + 4, ~0ull})
    faelle.push_back({"Vektorzahl " + std::to_string(n), [=](TSpeicher& s) { setzeBE64(s, satz + 20, n); }});
  faelle.push_back({"Kartenlaenge hinter dem Puffer", [=](TSpeicher& s) { setzeBE64(s, 24, 1u << 20); }});
  faelle.push_back({"Kartenlaenge unter zwoelf", [=](TSpeicher& s) { setzeBE64(s, 24, 3); }});
  faelle.push_back({"Aussenlaenge hinter dem Puffer", [=](TSpeicher& s) { setzeBE64(s, 8, ~0ull); }});

  for (const Fall& f : faelle) {
    LogMitschnitt log;
    TSpeicher s = AlsSzene(ZweiMalEins());
    f.beschaedige(s);
    s.Zurueckspulen();
    Karte karte = Vorher();
    EXPECT_FALSE(SzenenDatei::Lies(s, karte)) << f.name;
    EXPECT_TRUE(KartenBitgleich(karte, Vorher())) << f.name;
    EXPECT_EQ(log.Anzahl(BESCHAEDIGT), 1u) << f.name;
  }
}

// Segments written without length: a map end marker cut off is damage found before the map
// changes; an outer end marker cut off behind a whole map still loads the map.
TEST(Szenendatei, SegmenteOhneLaengeMitAbgeschnittenerEndmarkierung) {
  auto ohneLaenge = [](bool mitKrteEnde) {
    ByteSchreiber e;
    e.Text("SZNE");
    e.BE32(256);
    e.Text("KRTE");
    e.BE32(257);
    for (uint32_t w : {1, 1, 1, 2, 0, 0, 0, 0, 0, 0}) e.LE32(w);
    e.Text("VCTR");
    e.BE64(0);
    if (mitKrteEnde) e.Text("Krte");
    TSpeicher s;
    s.SchreibeMem(e.b.data(), e.b.size());
    s.Zurueckspulen();
    return s;
  };
  {
    LogMitschnitt log;
    TSpeicher s = ohneLaenge(false);
    Karte karte = Vorher();
    EXPECT_FALSE(SzenenDatei::Lies(s, karte));
    EXPECT_TRUE(KartenBitgleich(karte, Vorher()));
    EXPECT_EQ(log.Anzahl(BESCHAEDIGT), 1u);
  }
  {
    LogMitschnitt log;
    TSpeicher s = ohneLaenge(true);
    Karte karte = Vorher();
    EXPECT_TRUE(SzenenDatei::Lies(s, karte));
    EXPECT_EQ(karte.X, 1u);
    EXPECT_EQ(karte.ZelleBei(0, 0, 0).typ, Karte::Mauer);
    EXPECT_TRUE(karte.objekte.empty());
    EXPECT_EQ(log.Anzahl("TSegmentLeser - Segment 'SZNE' ist abgeschnitten."), 1u);
    EXPECT_EQ(log.Anzahl(BESCHAEDIGT), 0u);
  }
}

TEST(Szenendatei, LiesObjekteAlleinBleibtBeiSchadenUnveraendert) {
  TSpeicher s;
  s.SchreibeU32(VierZeichen("VCTR"));
  s.SchreibeU64(1);
  s.SchreibeU32(1);
  s.Zurueckspulen();
  Karte karte = Vorher();
  LogMitschnitt log;
  EXPECT_FALSE(karte.LiesObjekte(s));
  EXPECT_TRUE(KartenBitgleich(karte, Vorher()));
  EXPECT_EQ(log.Anzahl(BESCHAEDIGT), 1u);
}

TEST(Szenendatei, GanzeDateiFehltBeschaedigtGeladen) {
  EigenerOrdner ordner;
  const auto pfad = ordner.Pfad() / "szene.dat";
  LogMitschnitt log;
  Karte karte = Vorher();
  EXPECT_EQ(SzenenDatei::Lade(pfad, karte), SzenenDatei::Ergebnis::Fehlt);
  EXPECT_TRUE(log.zeilen.empty());
  EXPECT_TRUE(KartenBitgleich(karte, Vorher()));

  ASSERT_TRUE(SzenenDatei::Speichere(pfad, ZweiMalEins()));
  EXPECT_FALSE(std::filesystem::exists(ordner.Pfad() / "szene.dat.neu"));
  EXPECT_EQ(SzenenDatei::Lade(pfad, karte), SzenenDatei::Ergebnis::Geladen);
  EXPECT_TRUE(KartenBitgleich(karte, ZweiMalEins()));

  std::filesystem::resize_file(pfad, std::filesystem::file_size(pfad) - 9);
  karte = Vorher();
  EXPECT_EQ(SzenenDatei::Lade(pfad, karte), SzenenDatei::Ergebnis::Beschaedigt);
  EXPECT_TRUE(KartenBitgleich(karte, Vorher()));
  EXPECT_EQ(log.Anzahl(BESCHAEDIGT), 1u);

  // A folder in place of the file cannot be read whole.
  std::filesystem::create_directory(ordner.Pfad() / "ordner.dat");
  EXPECT_EQ(SzenenDatei::Lade(ordner.Pfad() / "ordner.dat", karte), SzenenDatei::Ergebnis::Beschaedigt);
  EXPECT_TRUE(KartenBitgleich(karte, Vorher()));
}

// The save sends the cells from the map's layers straight to the file: the file holds exactly the
// bytes of the scene in a buffer, which is sized once for them.
TEST(Szenendatei, SpeichernSchreibtDieBytesDesPuffers) {
  Karte standard;
  standard.BaueStandardKarte();
  Karte ohneObjekte = Vorher();
  ohneObjekte.objekte.clear();
  for (const Karte* karte : {&standard, &ohneObjekte}) {
    for (size_t objekte : {size_t(0), size_t(3)}) {
      Karte k = *karte;
      k.objekte.resize(objekte);
      if (objekte) k.objekte[2].args[1][3] = -7.5f;
      EigenerOrdner ordner;
      const auto pfad = ordner.Pfad() / "szene.dat";
      ASSERT_TRUE(SzenenDatei::Speichere(pfad, k));
      std::ifstream datei(pfad, std::ios::binary);
      const std::vector<uint8_t> gespeichert{std::istreambuf_iterator<char>(datei), std::istreambuf_iterator<char>()};
      TSpeicher puffer;
      SzenenDatei::Schreibe(puffer, k);
      EXPECT_EQ(gespeichert, Inhalt(puffer));
      EXPECT_EQ(puffer.Groesse(), SzenenDatei::Groesse(k));
      if (puffer.Groesse() > TSpeicher::INLINE_GROESSE) EXPECT_EQ(puffer.Kapazitaet(), puffer.Groesse());
    }
  }
}

// A save that cannot open its temporary file, or whose write fails, keeps the old file.
TEST(Szenendatei, GescheitertesSpeichernBehaeltDieAlteDatei) {
  struct Fall {
    const char* name;
    std::function<void(const std::filesystem::path& ordner)> verhindere;
  };
  const Fall faelle[] = {
      {"schreibgeschuetzter Ordner",
       [](const std::filesystem::path& ordner) {
         std::filesystem::permissions(ordner, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
         // root may write there anyway, so the temporary name is blocked as well
         if (::geteuid() == 0) std::filesystem::create_directory(ordner / "szene.dat.neu");
       }},
      {"volle Platte",
       [](const std::filesystem::path& ordner) { std::filesystem::create_symlink("/dev/full", ordner / "szene.dat.neu"); }},
  };
  for (const Fall& f : faelle) {
    EigenerOrdner ordner;
    const auto pfad = ordner.Pfad() / "szene.dat";
    ASSERT_TRUE(SzenenDatei::Speichere(pfad, ZweiMalEins()));
    const auto alteGroesse = std::filesystem::file_size(pfad);
    f.verhindere(ordner.Pfad());
    LogMitschnitt log;
    Karte neu;
    neu.BaueStandardKarte();
    EXPECT_FALSE(SzenenDatei::Speichere(pfad, neu)) << f.name;
    EXPECT_EQ(log.Anzahl("!SzenenDatei::Speichere()"), 1u) << f.name;
    EXPECT_EQ(std::filesystem::file_size(pfad), alteGroesse) << f.name;
    Karte karte;
    EXPECT_EQ(SzenenDatei::Lade(pfad, karte), SzenenDatei::Ergebnis::Geladen) << f.name;
    EXPECT_TRUE(KartenBitgleich(karte, ZweiMalEins())) << f.name;
  }
}
