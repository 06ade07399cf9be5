#include "Zarvo_Konsolenbefehl.h"

#include "Zarvo_Start.h"

namespace {
// Constant-initialised, so registration works whatever global registers first.
std::map<std::string, Zarvo_Konsolenbefehl*>* befehlsRegister = nullptr;
}  // namespace

Zarvo_Konsolenbefehl::Zarvo_Konsolenbefehl(const char* name_, Handler handler_) : name(name_), handler(handler_) {
  if (!befehlsRegister) befehlsRegister = new std::map<std::string, Zarvo_Konsolenbefehl*>();
  (*befehlsRegister)[name] = this;
}

Zarvo_Konsolenbefehl::~Zarvo_Konsolenbefehl() {
  if (!befehlsRegister) return;
  auto eintrag = befehlsRegister->find(name);
  if (eintrag != befehlsRegister->end() && eintrag->second == this) befehlsRegister->erase(eintrag);
}

const std::map<std::string, Zarvo_Konsolenbefehl*>* Zarvo_Konsolenbefehl::Register() { return befehlsRegister; }

void Zarvo_Konsolenbefehl::GibRegisterFrei() {
  delete befehlsRegister;
  befehlsRegister = nullptr;
}

std::string Zarvo_Konsolenbefehl::Vervollstaendige(const std::string& praefix) {
  if (!befehlsRegister) return {};
  for (auto eintrag = befehlsRegister->lower_bound(praefix); eintrag != befehlsRegister->end(); ++eintrag)
    if (eintrag->first.compare(0, praefix.size(), praefix) == 0) return eintrag->first;
  return {};
}

void Zarvo_Konsolenbefehl::Ausfuehren(const std::string& zeile) {
  if (!befehlsRegister) {
    g_Log.Schreibe("!Keine Konsolenbefehle definiert.");
    return;
  }
  size_t leerzeichen = zeile.find(' ');
  std::string befehl = zeile.substr(0, leerzeichen);
  std::string argumente = leerzeichen == std::string::npos ? std::string() : zeile.substr(leerzeichen + 1);
  auto eintrag = befehlsRegister->find(befehl);
  if (eintrag == befehlsRegister->end()) {
    g_Log.Schreibe("!Unbekannter Befehl \"%s\"", befehl.c_str());
    return;
  }
  eintrag->second->handler(argumente);
}

void Zarvo_Konsolenbefehl::ZeigeListe(std::string&) {
  g_Log.Schreibe("Definierte Konsolenbefehle sind:");
  if (!befehlsRegister) {
    g_Log.Schreibe("!Keine Konsolenbefehle definiert.");
    return;
  }
  for (const auto& eintrag : *befehlsRegister) g_Log.Schreibe(" - %s", eintrag.first.c_str());
}
