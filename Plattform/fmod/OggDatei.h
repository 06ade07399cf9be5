#pragma once
// One Ogg Vorbis file opened for decoding, in the format of its first link. Decoding stops at a
// chained link whose channel count or rate differs, as at the end of the file.
#include "Plattform/fmod/fmod.h"

#include <vorbis/vorbisfile.h>

#include <cstddef>
#include <memory>
#include <vector>

namespace FMOD {

class OggDatei {
 public:
  // Opens and checks the file: FMOD_ERR_FILE_NOTFOUND when it cannot be opened, FMOD_ERR_FILE_BAD
  // when it is no Ogg Vorbis or its header is broken, FMOD_ERR_FORMAT for more than 2 channels, a
  // rate outside 8..192 kHz or no samples.
  static FMOD_RESULT Oeffne(const char* pfad, std::unique_ptr<OggDatei>& datei);
  ~OggDatei();
  OggDatei(const OggDatei&) = delete;
  OggDatei& operator=(const OggDatei&) = delete;

  // Decodes 16-bit little-endian frames into `ziel` until `bytes` are filled or the data ends.
  // Returns the bytes written; 0 at the end.
  size_t Lies(char* ziel, size_t bytes);
  // Back to the first sample; false when the file cannot seek or decoding failed. libvorbisfile
  // 1.3.7 lets a seek succeed after a link failed to set up, and the next read then divides by
  // zero inside libvorbis, so a failed decoder is never used again.
  bool ZumAnfang();
  // Decodes the whole file; FMOD_ERR_FORMAT when it yields no samples or too many.
  FMOD_RESULT LiesGanz(std::vector<char>& daten);

  int Kanaele() const { return kanaele; }
  long Rate() const { return rate; }
  size_t BytesProFrame() const { return size_t(kanaele) * 2; }

 private:
  OggDatei() = default;

  OggVorbis_File datei{};
  bool offen = false;
  bool amEnde = false;
  bool kaputt = false;  // a read failed: the decoder is not used again
  int kanaele = 0;
  long rate = 0;
  int glied = -1;  // the link whose format was last checked
};

}  // namespace FMOD
