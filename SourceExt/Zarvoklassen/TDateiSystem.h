#pragma once
// Scoped file streams opened by path (UTF-8 bytes, case-sensitive).
#include <cstdio>
#include <filesystem>
#include <string>

class TDateiSystem {
 public:
  // Owns one stream; closes it when it goes out of scope. Move-only, so a file returned by value
  // is closed exactly once.
  class Datei {
   public:
    Datei() = default;
    explicit Datei(FILE* strom) : strom(strom) {}
    Datei(Datei&& andere) noexcept;
    Datei& operator=(Datei&& andere) noexcept;
    Datei(const Datei&) = delete;
    Datei& operator=(const Datei&) = delete;
    ~Datei();

    FILE* Strom() const { return strom; }
    explicit operator bool() const { return strom != nullptr; }

   private:
    friend class TDateiSystem;
    FILE* strom = nullptr;
  };

  static constexpr int MAX_MODUS_LAENGE = 20;  // mode texts are shorter than this

  // Null handle when the file cannot be opened or the mode text is too long.
  static Datei OeffneDatei(const std::filesystem::path& pfad, const char* modus);
  // Reads a whole file in mode "rb"; false when it cannot be opened or read.
  static bool LiesInhalt(const std::filesystem::path& pfad, std::string& inhalt);
  // Closes the stream when one is open; the destructor's work. False when the close failed (a
  // write still buffered could not be flushed); true when nothing was open.
  static bool SchliesseDatei(Datei& datei);
};
