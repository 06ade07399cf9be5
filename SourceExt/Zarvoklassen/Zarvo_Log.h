#pragma once
// The engine log. Every message of engine and game becomes one line "%04d:%06d (t%04x): text\n"
// (seconds and microseconds since Starte, a 16-bit hash of the thread id). The first character of
// a message is its level by convention: '!' error, '?' warning, '>' echoed console input.
//
// Only the main thread writes: to "spiel.log" (flushed after every line, so the file survives a
// crash), to the display (the console overlay) and, with echo, to stdout. Lines of other threads
// wait in a lock-free queue until the main loop drains it once per frame. Lines written before
// Starte are kept (at most 100) and follow "Log-Start"; error lines among them also go to stderr
// at once. The global instance is g_Log (Zarvo_Start.h), constant-initialised, so it is usable
// before any other start-up object exists.
#include <cstdarg>
#include <cstdint>
#include <atomic>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class Zarvo_KonsoleBasisAnzeige;

class Zarvo_Log {
 public:
  static constexpr size_t MAX_ZEILE = 1998;         // line bytes with the newline
  static constexpr size_t MAX_VOR_START = 100;      // lines kept before Starte

  constexpr Zarvo_Log() = default;
  ~Zarvo_Log();
  Zarvo_Log(const Zarvo_Log&) = delete;
  Zarvo_Log& operator=(const Zarvo_Log&) = delete;

  // Formats and writes one line, always.
  void Schreibe(const char* format, ...) __attribute__((format(printf, 2, 3)));
  // The same, only while "t_debug" is set; otherwise nothing is formatted.
  void DebugAusgabe(const char* format, ...) __attribute__((format(printf, 2, 3)));
  void FormatiereZeile(const char* format, va_list argumente) __attribute__((format(printf, 2, 0)));
  // Dispatches one finished line (newline included).
  void SchreibeZeile(std::string_view zeile);

  // Opens the log: the file (only while "t_logfile" is set, replacing an old one), the main
  // thread, the start counter; writes "Log-Start" and then the kept lines.
  void Starte(const std::filesystem::path& verzeichnis, const char* dateiName);
  // Writes the queued lines of other threads; on any other thread than the main one it does nothing.
  void LeereWarteschlange();
  // Drains the queue, becomes inactive, closes the file.
  void Schliesse();
  // Crash mode: drains the queue on the calling thread, without allocating or freeing; from then
  // on every line of any thread goes straight to the file and to stderr, past queue and display.
  void BeginneAbsturz();

  bool IstAktiv() const { return aktiv.load(std::memory_order_acquire); }
  bool HatDatei() const { return datei != nullptr; }
  const std::filesystem::path* Pfad() const { return pfad.get(); }
  // The current display (the console overlay), or null.
  Zarvo_KonsoleBasisAnzeige* Anzeige() const { return anzeige; }

  // Formats the prefix and message into `puffer` (MAX_ZEILE + 2 bytes); returns the line length
  // with its newline. `mikrosekunden` and `fadenId` are what the prefix shows.
  static size_t BaueZeile(char* puffer, int64_t mikrosekunden, uint32_t fadenId, const char* format, va_list argumente)
      __attribute__((format(printf, 4, 0)));
  // Low 16 bits of the FNV-1a 64 hash over the four bytes of the thread id, lowest first.
  static uint16_t FadenKennung(uint32_t fadenId);

 private:
  friend class Zarvo_KonsoleBasisAnzeige;
  struct Warteschlange;
  struct WarteschlangeLoescher {  // defined where Warteschlange is complete
    void operator()(Warteschlange* schlange) const;
  };

  bool AufHauptfaden() const;
  void BehalteVorStart(std::string_view zeile);
  int64_t MikrosekundenSeitStart() const;
  void SchreibeAbsturzZeile(std::string_view zeile, bool auchFehlerStrom);

  std::atomic<bool> aktiv{false};
  Zarvo_KonsoleBasisAnzeige* anzeige = nullptr;
  uint32_t hauptFaden = 0;
  std::unique_ptr<Warteschlange, WarteschlangeLoescher> warteschlange;
  std::unique_ptr<std::filesystem::path> pfad;
  FILE* datei = nullptr;
  int64_t startZaehler = 0;
  bool echo = false;
  bool gestartet = false;
  std::atomic<uint32_t> vorStartFaden{0};  // the thread whose lines are kept before Starte
  std::unique_ptr<std::vector<std::string>> vorStart;
  std::atomic<bool> absturzModus{false};
  std::atomic<int> dateiDeskriptor{-1};  // the file's descriptor for crash mode
};
