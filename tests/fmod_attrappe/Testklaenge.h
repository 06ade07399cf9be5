#pragma once
// Small Ogg Vorbis fixtures for the audio tests, written into a fresh temporary folder.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace Testklaenge {

// A sine of `frequenz` Hz and amplitude `pegel`, `sekunden` long; stereo with `nurLinks` puts it
// on the left channel only. 44.1 kHz.
std::vector<unsigned char> Sinus(double sekunden, int kanaele, double frequenz, float pegel, bool nurLinks = false);

// The same file with the sample rate of its identification header replaced; the page checksum
// is renewed, so the decoder takes the header as it stands.
std::vector<unsigned char> MitRate(std::vector<unsigned char> datei, uint32_t rate);

// A folder with the fixture files: "sinus_1s.ogg", "sinus_0_1s.ogg", "sinus_0_2s.ogg",
// "links_2s.ogg" (stereo, left only), "drei_kanaele.ogg", "leer.ogg" (no samples),
// "text.ogg" (plain text), "abgeschnitten.ogg" (cut inside the headers),
// "verkettet.ogg" (0.2 s mono followed by a stereo link), "rate_3hz.ogg" and
// "rate_4ghz.ogg" (0.1 s whose header claims 3 Hz or 4e9 Hz).
std::filesystem::path Ordner();

std::string Pfad(const char* name);

}  // namespace Testklaenge
