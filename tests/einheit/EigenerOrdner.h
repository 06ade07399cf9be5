#pragma once
// A fresh temporary folder per test, removed with everything in it at the end of the test.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <string_view>

class EigenerOrdner {
 public:
  EigenerOrdner() {
    std::string muster = (std::filesystem::temp_directory_path() / "morvelunt-test-XXXXXX").string();
    if (mkdtemp(muster.data()) == nullptr) throw std::runtime_error("mkdtemp fehlgeschlagen");
    pfad = muster;
  }
  ~EigenerOrdner() {
    std::error_code fehler;
    std::filesystem::permissions(pfad, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, fehler);
    std::filesystem::remove_all(pfad, fehler);
  }
  EigenerOrdner(const EigenerOrdner&) = delete;
  EigenerOrdner& operator=(const EigenerOrdner&) = delete;

  const std::filesystem::path& Pfad() const { return pfad; }
  std::filesystem::path operator/(const std::string& name) const { return pfad / name; }

 private:
  std::filesystem::path pfad;
};

inline void SchreibeDatei(const std::filesystem::path& pfad, std::string_view inhalt) {
  std::ofstream strom(pfad, std::ios::binary);
  strom << inhalt;
}

inline std::string LiesDatei(const std::filesystem::path& pfad) {
  std::ifstream strom(pfad, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(strom), std::istreambuf_iterator<char>());
}
