#pragma once
// Named console commands, registered by global objects at start-up and run by typed lines
// ("name arguments"). The registry is ordered by name; a second command of a name replaces the first.
#include <map>
#include <string>

class Zarvo_Konsolenbefehl {
 public:
  using Handler = void (*)(std::string& argumente);

  Zarvo_Konsolenbefehl(const char* name, Handler handler);
  ~Zarvo_Konsolenbefehl();
  Zarvo_Konsolenbefehl(const Zarvo_Konsolenbefehl&) = delete;
  Zarvo_Konsolenbefehl& operator=(const Zarvo_Konsolenbefehl&) = delete;

  // Runs one console line: the name up to the first blank, the rest as arguments.
  static void Ausfuehren(const std::string& zeile);
  // The console command "help".
  static void ZeigeListe(std::string& argumente);
  static std::string Vervollstaendige(const std::string& praefix);
  static const std::map<std::string, Zarvo_Konsolenbefehl*>* Register();
  // Releases the registry (program end).
  static void GibRegisterFrei();

  std::string name;
  Handler handler;
};
