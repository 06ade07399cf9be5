// Sound files: bad input through Zarvo_Audio on the real layer, and the game's own files.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "Zarvo_Audio.h"
#include "fmod_attrappe/LogMitschrift.h"
#include "fmod_attrappe/Testklaenge.h"

#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <unistd.h>

using ::testing::ElementsAre;

TEST(AudioDateien, SchlechteEingabeGibtCodeMeldungUndMinusEins) {
  LogMitschrift log;
  Zarvo_Audio audio;
  ASSERT_TRUE(audio.Init());
  struct Fall {
    const char* datei;
    const char* fehler;
  };
  const Fall faelle[] = {
      {"fehlt.ogg", "!  Fehler 23: File not found."},
      {"text.ogg", "!  Fehler 19: Error loading file: not an Ogg Vorbis file, or its header is broken."},
      {"abgeschnitten.ogg", "!  Fehler 19: Error loading file: not an Ogg Vorbis file, or its header is broken."},
      {"leer.ogg", "!  Fehler 25: Unsupported file or audio format."},
      {"drei_kanaele.ogg", "!  Fehler 25: Unsupported file or audio format."},
      {"rate_3hz.ogg", "!  Fehler 25: Unsupported file or audio format."},
      {"rate_4ghz.ogg", "!  Fehler 25: Unsupported file or audio format."},
  };
  for (const Fall& fall : faelle)
    for (bool strom : {false, true}) {
      SCOPED_TRACE(std::string(fall.datei) + (strom ? " als Strom" : " als Sample"));
      const std::string pfad = Testklaenge::Pfad(fall.datei);
      log.zeilen.clear();
      EXPECT_EQ(audio.LadeSample(std::wstring(pfad.begin(), pfad.end()), strom, false), -1);
      EXPECT_THAT(log.zeilen, ElementsAre("!Zarvo_AudioSample::Zarvo_AudioSample(): Erstellen des Samples aus Datei " + pfad + " fehlgeschlagen",
                                          fall.fehler));
    }
  const std::string verkettet = Testklaenge::Pfad("verkettet.ogg");
  EXPECT_EQ(audio.LadeSample(std::wstring(verkettet.begin(), verkettet.end()), false, false), 0);
}

namespace {

struct Dekodiert {
  std::vector<float> proben;
  int kanaele = 0;
  long rate = 0;
  double Sekunden() const { return double(proben.size()) / kanaele / double(rate); }
};

Dekodiert Dekodiere(const std::string& pfad) {
  Dekodiert ergebnis;
  OggVorbis_File datei;
  if (ov_fopen(pfad.c_str(), &datei) != 0) return ergebnis;
  ergebnis.kanaele = ov_info(&datei, -1)->channels;
  ergebnis.rate = ov_info(&datei, -1)->rate;
  for (;;) {
    float** pcm = nullptr;
    int glied = 0;
    long frames = ov_read_float(&datei, &pcm, 4096, &glied);
    if (frames <= 0) break;
    for (long i = 0; i < frames; ++i)
      for (int k = 0; k < ergebnis.kanaele; ++k) ergebnis.proben.push_back(pcm[k][i]);
  }
  ov_clear(&datei);
  return ergebnis;
}

std::vector<char> Bytes(const std::string& pfad) {
  std::ifstream datei(pfad, std::ios::binary);
  return std::vector<char>(std::istreambuf_iterator<char>(datei), {});
}

const std::string DATEN = MORVELUNT_DATEN_ZIEL;
const char* const DATEIEN[] = {"gitter_auf.ogg", "gitter_zu.ogg", "schalter.ogg", "usaganie.ogg"};

}  // namespace

TEST(SpielKlaenge, LaengeKanaeleUndSpitzen) {
  struct Fall {
    const char* datei;
    int kanaele;
    double min, max;
  };
  for (const Fall& fall : {Fall{"gitter_auf.ogg", 1, 1.4, 1.8}, Fall{"gitter_zu.ogg", 1, 1.2, 1.6}, Fall{"schalter.ogg", 1, 0.15, 0.5},
                           Fall{"usaganie.ogg", 2, 30.0, 120.0}}) {
    SCOPED_TRACE(fall.datei);
    Dekodiert klang = Dekodiere(DATEN + "/" + fall.datei);
    ASSERT_FALSE(klang.proben.empty());
    EXPECT_EQ(klang.kanaele, fall.kanaele);
    EXPECT_EQ(klang.rate, 44100);
    EXPECT_GE(klang.Sekunden(), fall.min);
    EXPECT_LE(klang.Sekunden(), fall.max);
    float spitze = 0;
    for (float probe : klang.proben) spitze = std::max(spitze, std::fabs(probe));
    EXPECT_GE(spitze, 0.3f);
    EXPECT_LE(spitze, 0.95f);
  }
}

TEST(SpielKlaenge, MusikschleifeOhneSprung) {
  Dekodiert musik = Dekodiere(DATEN + "/usaganie.ogg");
  ASSERT_EQ(musik.kanaele, 2);
  const size_t frames = musik.proben.size() / 2;
  for (size_t k = 0; k < 2; ++k) {
    float groessterSchritt = 0;
    for (size_t i = frames - size_t(musik.rate); i < frames; ++i)
      groessterSchritt = std::max(groessterSchritt, std::fabs(musik.proben[2 * i + k] - musik.proben[2 * (i - 1) + k]));
    const float naht = std::fabs(musik.proben[k] - musik.proben[2 * (frames - 1) + k]);
    EXPECT_LE(naht, groessterSchritt) << "Kanal " << k;
    EXPECT_GT(groessterSchritt, 0.0f);
  }
}

TEST(SpielKlaenge, ZweiterLaufGibtGleicheBytes) {
  const auto ordner = std::filesystem::temp_directory_path() / ("morvelunt_klaenge_lauf_" + std::to_string(getpid()));
  const std::string befehl = std::string("'") + KLAENGE_PROGRAMM + "' '" + ordner.string() + "'";
  ASSERT_EQ(std::system(befehl.c_str()), 0);
  for (const char* datei : DATEIEN) {
    SCOPED_TRACE(datei);
    std::vector<char> gebaut = Bytes(DATEN + "/" + datei), neu = Bytes((ordner / datei).string());
    EXPECT_FALSE(gebaut.empty());
    EXPECT_TRUE(gebaut == neu);
  }
  std::filesystem::remove_all(ordner);
}
