// Zarvo_Audio on real OpenAL Soft outputs. Each test runs in a process of its own with its own
// ALSOFT_DRIVERS or ALSOFT_CONF, since OpenAL Soft reads them once per process.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "Zarvo_Audio.h"
#include "fmod_attrappe/LogMitschrift.h"
#include "fmod_attrappe/Testklaenge.h"

#include <chrono>
#include <cstring>
#include <fstream>
#include <iterator>
#include <thread>

using ::testing::Contains;
using Uhr = std::chrono::steady_clock;

namespace {

double Sekunden(Uhr::time_point seit) { return std::chrono::duration<double>(Uhr::now() - seit).count(); }

// Runs frames of 10 ms until `fertig` or `grenze` seconds have passed; returns the seconds.
template <class F>
double ArbeiteBis(Zarvo_Audio& audio, F fertig, double grenze) {
  const auto start = Uhr::now();
  while (!fertig() && Sekunden(start) < grenze) {
    audio.Arbeiten();
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return Sekunden(start);
}

bool Spielt(Zarvo_AudioSound& sound) {
  bool spielt = false;
  return sound.kanal.isPlaying(&spielt) == FMOD_OK && spielt;
}

}  // namespace

TEST(AudioAusgabe, OhneTreiberStummInEchtzeit) {
  LogMitschrift log;
  Zarvo_Audio audio;
  EXPECT_TRUE(audio.GibTreiber().empty());
  ASSERT_TRUE(audio.Init());
  EXPECT_THAT(log.zeilen, Contains("?Zarvo_Audio::Init(): Keine Audio-Treiber verfügbar, es gibt keinen Ton."));
  const std::string pfad = Testklaenge::Pfad("sinus_0_2s.ogg");
  Zarvo_AudioSound sound = audio.SpieleEffekt(std::wstring(pfad.begin(), pfad.end()), audio.GibMasterKanal());
  ASSERT_FALSE(sound.IstNull());
  double dauer = ArbeiteBis(audio, [&] { return !Spielt(sound); }, 2.0);
  EXPECT_FALSE(Spielt(sound));
  // Mixed in real time: the 0.2 s effect cannot end much sooner; later only under load.
  EXPECT_GT(dauer, 0.15);
}

TEST(AudioAusgabe, NullTreiber) {
  Zarvo_Audio audio;
  ASSERT_EQ(audio.GibTreiber().size(), 1u);
  EXPECT_EQ(audio.GibTreiber()[0].name, "No Output");
  EXPECT_TRUE(audio.GibTreiber()[0].gueltig);
  EXPECT_TRUE(audio.Init());
  EXPECT_NE(audio.ErzeugeKanal(), nullptr);
}

namespace {

struct Wav {
  int kanaele = 0, rate = 0, bits = 0;
  std::vector<char> daten;
};

Wav LiesWav(const std::string& pfad) {
  std::ifstream datei(pfad, std::ios::binary);
  std::vector<char> bytes((std::istreambuf_iterator<char>(datei)), {});
  Wav wav;
  auto liesU32 = [&](size_t pos) {
    uint32_t wert = 0;
    std::memcpy(&wert, bytes.data() + pos, 4);
    return wert;
  };
  for (size_t pos = 12; pos + 8 <= bytes.size();) {
    const std::string id(bytes.data() + pos, 4);
    size_t laenge = liesU32(pos + 4);
    if (id == "fmt ") {
      uint16_t kanaele, bits;
      std::memcpy(&kanaele, bytes.data() + pos + 10, 2);
      std::memcpy(&bits, bytes.data() + pos + 22, 2);
      wav.kanaele = kanaele;
      wav.rate = int(liesU32(pos + 12));
      wav.bits = bits;
    } else if (id == "data") {
      laenge = std::min(laenge, bytes.size() - pos - 8);
      wav.daten.assign(bytes.begin() + long(pos) + 8, bytes.begin() + long(pos + 8 + laenge));
    }
    pos += 8 + laenge + (laenge & 1);
  }
  return wav;
}

}  // namespace

TEST(AudioAusgabe, WaveSchreiberNimmtEffektUndMusikAuf) {
  const char* ziel = std::getenv("MORVELUNT_WAV");
  ASSERT_NE(ziel, nullptr);
  std::remove(ziel);
  const auto start = Uhr::now();
  {
    Zarvo_Audio audio;
    ASSERT_FALSE(audio.GibTreiber().empty());
    ASSERT_TRUE(audio.Init());
    Zarvo_AudioKanal* kanal = audio.ErzeugeKanal();
    const std::wstring daten = L"" MORVELUNT_DATEN_ZIEL_W;
    int64_t musik = audio.LadeSample(daten + L"/usaganie.ogg", true, false);
    ASSERT_NE(audio.GibSample(musik), nullptr);
    audio.GibSample(musik)->SetWiederholen();
    Zarvo_AudioSound musikSound = audio.GibSample(musik)->SpieleAb(audio.GibMasterKanal());
    EXPECT_FALSE(audio.SpieleEffekt(daten + L"/schalter.ogg", kanal).IstNull());
    ArbeiteBis(audio, [] { return false; }, 2.0);
    EXPECT_TRUE(musikSound.Stopp());
    audio.Beenden();
  }
  const double lauf = Sekunden(start);
  Wav wav = LiesWav(ziel);
  ASSERT_EQ(wav.bits, 16);
  ASSERT_GT(wav.kanaele, 0);
  ASSERT_GT(wav.rate, 0);
  const double dauer = double(wav.daten.size()) / (2.0 * wav.kanaele * wav.rate);
  EXPECT_GT(dauer, 1.5);
  EXPECT_LT(dauer, lauf + 0.5);
  int groesste = 0;
  for (size_t i = 0; i + 1 < wav.daten.size(); i += 2) {
    int16_t probe;
    std::memcpy(&probe, wav.daten.data() + i, 2);
    groesste = std::max(groesste, std::abs(int(probe)));
  }
  EXPECT_GT(groesste, 1000);
}
