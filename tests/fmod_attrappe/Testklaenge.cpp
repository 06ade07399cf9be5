#include "fmod_attrappe/Testklaenge.h"

#include "OggSchreiber.h"

#include "OggSeite.h"

#include <cmath>
#include <fstream>
#include <unistd.h>

namespace Testklaenge {

std::vector<unsigned char> Sinus(double sekunden, int kanaele, double frequenz, float pegel, bool nurLinks) {
  const size_t frames = size_t(sekunden * 44100.0);
  std::vector<float> proben(frames * size_t(kanaele));
  for (size_t i = 0; i < frames; ++i) {
    const float wert = pegel * float(std::sin(2.0 * M_PI * frequenz * double(i) / 44100.0));
    for (int k = 0; k < kanaele; ++k) proben[i * size_t(kanaele) + size_t(k)] = (nurLinks && k > 0) ? 0.0f : wert;
  }
  return OggSchreiber::Kodiere(proben, kanaele, 44100, 0.4f, 1234);
}

std::vector<unsigned char> MitRate(std::vector<unsigned char> datei, uint32_t rate) {
  // The first page holds only the identification header; its rate is at byte 12 of the packet.
  ogg_page seite = OggSeite(datei.data(), datei.size()).value();
  for (int i = 0; i < 4; ++i) seite.body[12 + i] = (unsigned char)(rate >> (8 * i));
  ogg_page_checksum_set(&seite);
  return datei;
}

namespace {

void Schreibe(const std::filesystem::path& pfad, const std::vector<unsigned char>& daten) {
  std::ofstream(pfad, std::ios::binary).write(reinterpret_cast<const char*>(daten.data()), std::streamsize(daten.size()));
}

std::filesystem::path Erzeuge() {
  const auto ordner = std::filesystem::temp_directory_path() / ("morvelunt_klaenge_" + std::to_string(getpid()));
  std::filesystem::create_directories(ordner);
  Schreibe(ordner / "sinus_1s.ogg", Sinus(1.0, 1, 440.0, 0.5f));
  Schreibe(ordner / "sinus_0_1s.ogg", Sinus(0.1, 1, 440.0, 0.5f));
  Schreibe(ordner / "sinus_0_2s.ogg", Sinus(0.2, 1, 440.0, 0.5f));
  Schreibe(ordner / "links_2s.ogg", Sinus(2.0, 2, 440.0, 0.5f, true));
  Schreibe(ordner / "drei_kanaele.ogg", Sinus(0.2, 3, 440.0, 0.5f));
  Schreibe(ordner / "leer.ogg", OggSchreiber::Kodiere({}, 1, 44100, 0.4f, 7));
  const std::string text = "Dies ist keine Klangdatei, sondern Text.\n";
  Schreibe(ordner / "text.ogg", std::vector<unsigned char>(text.begin(), text.end()));
  auto ganz = Sinus(0.2, 1, 440.0, 0.5f);
  Schreibe(ordner / "abgeschnitten.ogg", std::vector<unsigned char>(ganz.begin(), ganz.begin() + 200));
  auto zweites = OggSchreiber::Kodiere(std::vector<float>(2 * 44100, 0.25f), 2, 44100, 0.4f, 99);
  ganz.insert(ganz.end(), zweites.begin(), zweites.end());
  Schreibe(ordner / "verkettet.ogg", ganz);
  Schreibe(ordner / "rate_3hz.ogg", MitRate(Sinus(0.1, 1, 440.0, 0.5f), 3));
  Schreibe(ordner / "rate_4ghz.ogg", MitRate(Sinus(0.1, 1, 440.0, 0.5f), 4000000000u));
  return ordner;
}

}  // namespace

std::filesystem::path Ordner() {
  struct Aufraeumer {
    std::filesystem::path ordner = Erzeuge();
    ~Aufraeumer() {
      std::error_code fehler;
      std::filesystem::remove_all(ordner, fehler);
    }
  };
  static const Aufraeumer aufraeumer;
  return aufraeumer.ordner;
}

std::string Pfad(const char* name) { return (Ordner() / name).string(); }

}  // namespace Testklaenge
