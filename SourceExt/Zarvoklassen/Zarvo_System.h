#pragma once
// Process-wide values: where the program's files are (application directory), where the user's
// files go (user-data directory, "<application data>/MORVELUNT"), the user's name, the activity
// state of the window with its listener, and the quit flag. The global object g_System
// (Zarvo_Start.h) fills them at start-up through BerechnePfade; messages that arise then are
// logged (the log keeps them until it starts), and a missing program path is recorded for the
// program entry to report.
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

extern const char* const SPIEL_TITEL;  // "MORVELUNT"

// Receivers of the system's notifications (their one operation is the third virtual slot).
class Zarvo_SystemBeobachter {
 public:
  virtual ~Zarvo_SystemBeobachter() = default;
  virtual void Benachrichtigt() = 0;
};
class Zarvo_ZustandsBeobachter {
 public:
  virtual ~Zarvo_ZustandsBeobachter() = default;
  virtual void ZustandGeaendert(const uint32_t* neuerZustand) = 0;
};

struct Zarvo_SystemPfade {
  bool programmPfadFehlt = false;
  std::filesystem::path anwendungsVerzeichnis;
  std::filesystem::path benutzerDaten;
  std::string benutzerName;
  std::vector<std::string> meldungen;  // log lines, in order
};

// The start-up rules as a pure function of what the platform reported: the program path, the
// application-data folder and the user name. Creates the user-data directory when missing.
Zarvo_SystemPfade BerechnePfade(const std::optional<std::filesystem::path>& programm,
                                const std::optional<std::filesystem::path>& anwendungsDaten,
                                const std::optional<std::string>& benutzer);

class Zarvo_System {
 public:
  // Asks the platform and fills the values (BerechnePfade); logs its messages.
  Zarvo_System();

  void Uebernimm(Zarvo_SystemPfade pfade);
  // Throws "Unable to obtain path to game executable." when the program path was missing.
  void PruefeProgrammPfad() const;
  // State: 2 when flag A is false, else 0 with flag B set and 1 without; listener told on change.
  void AktualisiereAktivZustand();
  void SetzeFlagA(bool wert);
  void SetzeFlagB(bool wert);
  void Beende() { beenden = true; }
  void Benachrichtige();

  uint32_t zustand = 0;
  bool flagA = true;
  bool flagB = true;
  bool beenden = false;
  bool programmPfadFehlt = false;
  std::filesystem::path benutzerDaten;
  std::filesystem::path anwendungsVerzeichnis;
  std::string benutzerName;
  Zarvo_SystemBeobachter* beobachter = nullptr;
  Zarvo_ZustandsBeobachter* zustandsBeobachter = nullptr;
};
