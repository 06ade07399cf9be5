#pragma once
// Configuration variables. A variable is a global object registered under its name at start-up;
// it holds its value as text and in every typed reading at once (int, float, bool, vector,
// colour), so any variable can be read as any type. Every change can be vetoed by the
// variable's callback (phase 0, proposed text) and is announced to it afterwards (phase 1).
// Variables flagged GESPEICHERT are saved to "spiel.cfg" (Zarvo_Konfig); NUR_LESEN ones can be
// assigned by "set" only in debug mode. The registry is ordered by name; it does not own them.
#include "TAlphaFarbe.h"
#include "TVektor.h"

#include <cstdint>
#include <map>
#include <string>

class Zarvo_Variable {
 public:
  enum Typ : uint32_t { TEXT = 0, BOOL = 1, INT = 2, FLOAT = 3, VEKTOR = 4, FARBE = 5 };
  enum Flag : uint32_t { NUR_LESEN = 1, GESPEICHERT = 2 };
  // phase 0: before the change, false vetoes it; phase 1: after it, result ignored.
  using Rueckruf = bool (*)(Zarvo_Variable& variable, uint32_t phase, const std::string& text);

  // Int form: type int, flags GESPEICHERT.
  Zarvo_Variable(const char* name, int32_t standard, Rueckruf rueckruf);
  // Bool form.
  Zarvo_Variable(const char* name, bool standard, uint32_t flags, Rueckruf rueckruf);
  // Any type, default given as text.
  Zarvo_Variable(const char* name, Typ typ, const char* standardText, uint32_t flags, Rueckruf rueckruf);
  // Removes the registry entry when it still points to this variable.
  ~Zarvo_Variable();
  Zarvo_Variable(const Zarvo_Variable&) = delete;
  Zarvo_Variable& operator=(const Zarvo_Variable&) = delete;

  void SetzeInt(int32_t wert);
  void SetzeBool(bool wert);
  void SetzeText(const std::string& wert);
  // Regenerates the text from the typed value.
  void AktualisiereText();

  void Registriere();
  static Zarvo_Variable* Finde(const std::string& name);
  // First name, in name order, that begins with `praefix`; empty when none.
  static std::string Vervollstaendige(const std::string& praefix);
  // The console command "set".
  static void KonsolenBefehl(std::string& argumente);
  // The registry, null before the first registration.
  static const std::map<std::string, Zarvo_Variable*>* Register();

  std::string name;
  uint32_t typ = TEXT;
  uint32_t flags = 0;
  Rueckruf rueckruf = nullptr;
  std::string text;
  int32_t intWert = 0;
  float floatWert = 0;
  bool boolWert = false;
  TVektor vektor;
  TAlphaFarbe farbe;

 private:
  // The text after a change to `wert`: the value itself for a string variable, else regenerated.
  void ErneuereText(const std::string& wert);
  bool Erlaubt(const std::string& vorschlag);
  void Melde(const std::string& vorschlag);
};
