#pragma once
// Encodes float PCM as Ogg Vorbis (VBR). The same samples and serial number give the same bytes.
#include <filesystem>
#include <vector>

class OggSchreiber {
 public:
  // `proben` are interleaved frames of `kanaele` channels in -1..1; quality -0.1..1.
  static std::vector<unsigned char> Kodiere(const std::vector<float>& proben, int kanaele, long rate, float qualitaet,
                                            int serie);
  static bool Speichere(const std::filesystem::path& pfad, const std::vector<unsigned char>& daten);
};
