#pragma once
// What the tests that run the real program share: reading a file whole, a file's inode, and the
// application folder of one run (bin64/ with a copy of the program, Daten linking the built files
// but szene.dat, which is copied so that a run may replace it).
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace programm_ordner {

inline std::string LiesDatei(const std::filesystem::path& datei) {
  std::ifstream ein(datei, std::ios::binary);
  std::ostringstream inhalt;
  inhalt << ein.rdbuf();
  return inhalt.str();
}

// 0 when the file does not exist.
inline ino_t Inode(const std::filesystem::path& datei) {
  struct stat info {};
  return ::stat(datei.c_str(), &info) == 0 ? info.st_ino : 0;
}

inline void BaueAnwendung(const std::filesystem::path& anwendung, const std::filesystem::path& programm,
                          const std::filesystem::path& bauVerzeichnis) {
  namespace fs = std::filesystem;
  fs::create_directories(anwendung / "bin64");
  fs::create_directories(anwendung / "Daten");
  fs::copy_file(programm, anwendung / "bin64" / "morvelunt");
  const fs::path gebaut = bauVerzeichnis / "Daten";
  for (const auto& eintrag : fs::directory_iterator(gebaut))
    if (eintrag.path().filename() != "szene.dat") fs::create_symlink(eintrag.path(), anwendung / "Daten" / eintrag.path().filename());
  fs::copy_file(gebaut / "szene.dat", anwendung / "Daten" / "szene.dat");
}

}  // namespace programm_ordner
