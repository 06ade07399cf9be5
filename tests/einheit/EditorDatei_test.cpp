// The editor's scene file: opening a missing, shipped or damaged file, saving on leaving, a
// failed save, and a damaged file moved aside instead of overwritten.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "EditorTestBasis.h"
#include "SzenenDatei.h"

namespace {

std::vector<uint8_t> LiesDatei(const std::filesystem::path& pfad) {
  std::ifstream datei(pfad, std::ios::binary);
  return {std::istreambuf_iterator<char>(datei), {}};
}
void SchreibeDatei(const std::filesystem::path& pfad, const std::vector<uint8_t>& bytes) {
  std::ofstream datei(pfad, std::ios::binary | std::ios::trunc);
  datei.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

class EditorDatei : public EditorTest {
 public:
  std::filesystem::path Beiseite(const std::string& endung = "") const {
    return ordner / "Daten" / ("szene.dat.beschaedigt" + endung);
  }
  // A block set at cell (4, 1, 9) of the map in hand.
  void EineAenderung() {
    KlickeAuf(ZellMitte(4, 9));
    ASSERT_EQ(Tiefe(), 1u);
  }
};

TEST_F(EditorDatei, OhneDateiDieStandardkarteUndBeimVerlassenEineDatei) {
  OeffneEditor();
  Ruhig();
  EXPECT_EQ(K().X, 64u);
  EXPECT_EQ(K().Y, 16u);
  EXPECT_EQ(K().Z, 32u);
  EXPECT_EQ(K().ZelleBei(10, 0, 10).typ, 1u);
  EXPECT_FALSE(E().DateiBeschaedigt());
  EXPECT_EQ(log.Anzahl("!"), 0u);
  const Karte karte = K();
  BeendeEditor();
  Karte gelesen;
  ASSERT_EQ(Spiel::SzenenDatei::Lade(SzenenPfad(), gelesen), Spiel::SzenenDatei::Ergebnis::Geladen);
  EXPECT_TRUE(KartenBitgleich(gelesen, karte));
}

TEST_F(EditorDatei, MitgelieferteSzeneUnveraendertByteGleich) {
  NimmMitgelieferteSzene();
  const std::vector<uint8_t> vorher = LiesDatei(SzenenPfad());
  ASSERT_GT(vorher.size(), 64u);
  OeffneEditor();
  Bilder(3);
  BeendeEditor();
  EXPECT_FALSE(std::filesystem::is_symlink(SzenenPfad())) << "a new file, the shipped one untouched";
  EXPECT_EQ(LiesDatei(SzenenPfad()), vorher);
  EXPECT_EQ(LiesDatei(std::filesystem::path(MORVELUNT_DATEN_ZIEL) / "szene.dat"), vorher);
}

TEST_F(EditorDatei, FehlgeschlagenesSpeichernBehaeltDieAlteDatei) {
  OeffneFixture();
  const std::vector<uint8_t> vorher = LiesDatei(SzenenPfad());
  EineAenderung();
  std::filesystem::create_directory(ordner / "Daten" / "szene.dat.neu");  // blocks the temporary file
  BeendeEditor();
  EXPECT_EQ(LiesDatei(SzenenPfad()), vorher);
  EXPECT_EQ(log.Anzahl("!SzenenDatei::Speichere()"), 1u);
}

// ---- a damaged file ----

struct Schaden {
  const char* name;
  std::function<void(std::vector<uint8_t>&)> anwenden;
};

const Schaden SCHAEDEN[] = {
    {"one byte cut", [](std::vector<uint8_t>& b) { b.pop_back(); }},
    {"width past the limit", [](std::vector<uint8_t>& b) { b[33] = 0x40; }},  // X = 16 + 0x4000
    {"huge object count",
     [](std::vector<uint8_t>& b) {
       // "VCTR" and the count stand before the records and the two end markers.
       const size_t zaehler = b.size() - 8 - 92 * OBJEKTE - 8;
       for (size_t i = 0; i < 8; ++i) b[zaehler + i] = i < 3 ? 0 : 0xFF;
     }},
};

class EditorBeschaedigt : public EditorDatei {
 public:
  // The fixture's file damaged; the editor opened on it.
  std::vector<uint8_t> OeffneBeschaedigt(const Schaden& schaden) {
    SchreibeSzene(FIXTURE, MitTyp9);
    std::vector<uint8_t> bytes = LiesDatei(SzenenPfad());
    schaden.anwenden(bytes);
    SchreibeDatei(SzenenPfad(), bytes);
    log.zeilen.clear();
    OeffneEditor();
    Ruhig();
    return bytes;
  }
};

TEST_F(EditorBeschaedigt, MeldungUndHinweis) {
  for (const Schaden& s : SCHAEDEN) {
    SCOPED_TRACE(s.name);
    OeffneBeschaedigt(s);
    EXPECT_TRUE(E().DateiBeschaedigt());
    EXPECT_EQ(K().X, 64u) << "the default map";
    EXPECT_GE(log.Anzahl("!"), 2u) << "the loader's line and the editor's";
    EXPECT_EQ(log.Anzahl("!Spiel::Editor"), 1u);
    EXPECT_TRUE(log.Enthaelt(
        "!Spiel::Editor: 'szene.dat' ist beschädigt; bearbeitet wird die Standardkarte, die Datei bleibt erhalten."));
    const Editor::Text* hinweis = TextBei(10, 70);
    ASSERT_NE(hinweis, nullptr);
    EXPECT_EQ(hinweis->text, "Achtung: szene.dat ist beschädigt - Standardkarte");
    BeendeEditor();
  }
}

TEST_F(EditorBeschaedigt, UnveraendertBleibtDieDatei) {
  for (const Schaden& s : SCHAEDEN) {
    SCOPED_TRACE(s.name);
    const std::vector<uint8_t> bytes = OeffneBeschaedigt(s);
    Bilder(3);
    BeendeEditor();
    EXPECT_EQ(LiesDatei(SzenenPfad()), bytes);
    EXPECT_FALSE(std::filesystem::exists(Beiseite()));
  }
}

TEST_F(EditorBeschaedigt, NachEinerAenderungBeiseiteGelegt) {
  for (const Schaden& s : SCHAEDEN) {
    SCOPED_TRACE(s.name);
    const std::vector<uint8_t> bytes = OeffneBeschaedigt(s);
    EineAenderung();
    const Karte karte = K();
    BeendeEditor();
    EXPECT_EQ(LiesDatei(Beiseite()), bytes);
    Karte gelesen;
    ASSERT_EQ(Spiel::SzenenDatei::Lade(SzenenPfad(), gelesen), Spiel::SzenenDatei::Ergebnis::Geladen);
    EXPECT_TRUE(KartenBitgleich(gelesen, karte));
    std::filesystem::remove(Beiseite());
  }
}

TEST_F(EditorBeschaedigt, BelegterNameGehtWeiterZuZwei) {
  const std::vector<uint8_t> bytes = OeffneBeschaedigt(SCHAEDEN[0]);
  SchreibeDatei(Beiseite(), {1, 2, 3});
  EineAenderung();
  BeendeEditor();
  EXPECT_EQ(LiesDatei(Beiseite()), (std::vector<uint8_t>{1, 2, 3}));
  EXPECT_EQ(LiesDatei(Beiseite("2")), bytes);
}

TEST_F(EditorBeschaedigt, OhneFreienNamenWirdNichtsGeschrieben) {
  const std::vector<uint8_t> bytes = OeffneBeschaedigt(SCHAEDEN[1]);
  for (int n = 1; n <= 100; ++n) SchreibeDatei(Beiseite(n == 1 ? "" : std::to_string(n)), {});
  EineAenderung();
  BeendeEditor();
  EXPECT_EQ(LiesDatei(SzenenPfad()), bytes);
  EXPECT_EQ(log.Anzahl("nichts wurde gespeichert"), 1u);
  EXPECT_FALSE(std::filesystem::exists(Beiseite("101")));
}

TEST_F(EditorBeschaedigt, VorhandeneAberUnlesbareDatei) {
  std::filesystem::create_directory(SzenenPfad());  // exists, does not read
  OeffneEditor();
  Ruhig();
  EXPECT_TRUE(E().DateiBeschaedigt());
  EineAenderung();
  BeendeEditor();
  EXPECT_TRUE(std::filesystem::is_directory(Beiseite()));
  EXPECT_TRUE(std::filesystem::is_regular_file(SzenenPfad()));
}

}  // namespace
