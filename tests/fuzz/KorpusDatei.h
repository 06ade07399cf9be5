#pragma once
// One seed of a corpus generator: the bytes of a script writer, written to <ordner>/<name>.
#include <filesystem>
#include <fstream>

namespace korpus {

// `Schreiber` is any script writer with its bytes in `bytes`.
template <class Schreiber>
bool Schreibe(const std::filesystem::path& ordner, const char* name, const Schreiber& s) {
  std::ofstream datei(ordner / name, std::ios::binary);
  datei.write(reinterpret_cast<const char*>(s.bytes.data()), std::streamsize(s.bytes.size()));
  return bool(datei);
}

}  // namespace korpus
