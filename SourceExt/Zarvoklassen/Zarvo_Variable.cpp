#include "Zarvo_Variable.h"

#include "Zarvo_Liste.h"
#include "Zarvo_Start.h"

#include <fmt/format.h>

namespace {

// Constant-initialised, so registration works whatever global registers first.
std::map<std::string, Zarvo_Variable*>* variablenRegister = nullptr;

char TypBuchstabe(uint32_t typ) {
  switch (typ) {
    case Zarvo_Variable::TEXT: return 's';
    case Zarvo_Variable::BOOL: return 'b';
    case Zarvo_Variable::INT: return 'i';
    case Zarvo_Variable::FLOAT: return 'f';
    case Zarvo_Variable::VEKTOR: return 'V';
    case Zarvo_Variable::FARBE: return 'F';
    default: return '?';
  }
}

}  // namespace

Zarvo_Variable::Zarvo_Variable(const char* name_, int32_t standard, Rueckruf rueckruf_)
    : name(name_), typ(INT), flags(GESPEICHERT) {
  SetzeInt(standard);
  rueckruf = rueckruf_;
  Registriere();
}

Zarvo_Variable::Zarvo_Variable(const char* name_, bool standard, uint32_t flags_, Rueckruf rueckruf_)
    : name(name_), typ(BOOL), flags(flags_) {
  SetzeBool(standard);
  rueckruf = rueckruf_;
  Registriere();
}

Zarvo_Variable::Zarvo_Variable(const char* name_, Typ typ_, const char* standardText, uint32_t flags_, Rueckruf rueckruf_)
    : name(name_), typ(typ_), flags(flags_) {
  SetzeText(standardText);
  rueckruf = rueckruf_;
  Registriere();
}

Zarvo_Variable::~Zarvo_Variable() {
  if (!variablenRegister) return;
  auto eintrag = variablenRegister->find(name);
  if (eintrag != variablenRegister->end() && eintrag->second == this) variablenRegister->erase(eintrag);
  if (variablenRegister->empty()) {
    delete variablenRegister;
    variablenRegister = nullptr;
  }
}

void Zarvo_Variable::Registriere() {
  if (!variablenRegister) variablenRegister = new std::map<std::string, Zarvo_Variable*>();
  (*variablenRegister)[name] = this;
}

const std::map<std::string, Zarvo_Variable*>* Zarvo_Variable::Register() { return variablenRegister; }

Zarvo_Variable* Zarvo_Variable::Finde(const std::string& gesucht) {
  if (!variablenRegister) return nullptr;
  auto eintrag = variablenRegister->find(gesucht);
  return eintrag == variablenRegister->end() ? nullptr : eintrag->second;
}

std::string Zarvo_Variable::Vervollstaendige(const std::string& praefix) {
  if (!variablenRegister) return {};
  for (auto eintrag = variablenRegister->lower_bound(praefix); eintrag != variablenRegister->end(); ++eintrag)
    if (eintrag->first.compare(0, praefix.size(), praefix) == 0) return eintrag->first;
  return {};
}

bool Zarvo_Variable::Erlaubt(const std::string& vorschlag) { return !rueckruf || rueckruf(*this, 0, vorschlag); }

void Zarvo_Variable::Melde(const std::string& vorschlag) {
  if (rueckruf) rueckruf(*this, 1, vorschlag);
}

void Zarvo_Variable::SetzeInt(int32_t wert) {
  std::string vorschlag = std::to_string(wert);
  if (!Erlaubt(vorschlag)) return;
  intWert = wert;
  floatWert = float(wert);
  boolWert = wert > 0;
  ErneuereText(vorschlag);
  Melde(vorschlag);
}

void Zarvo_Variable::SetzeBool(bool wert) {
  std::string vorschlag = wert ? "1" : "0";
  if (!Erlaubt(vorschlag)) return;
  float f = wert ? 1.0f : 0.0f;
  intWert = wert;
  floatWert = f;
  boolWert = wert;
  vektor = {f, 0, 0};
  farbe = {f, f, f, 1.0f};
  ErneuereText(vorschlag);
  Melde(vorschlag);
}

void Zarvo_Variable::SetzeText(const std::string& wert) {
  // A copy: `wert` may be this variable's own text.
  const std::string vorschlag = wert;
  if (!Erlaubt(vorschlag)) return;
  intWert = LiesGanzzahl(vorschlag);
  floatWert = LiesGleitzahl(vorschlag);
  boolWert = vorschlag == "on" || vorschlag == "an" || vorschlag == "true" || vorschlag == "ja" || intWert > 0;
  Zarvo_Liste liste = ZerlegeListe(vorschlag);
  vektor = {liste.Zahl(0), liste.Zahl(1), liste.Zahl(2)};
  farbe = {liste.Zahl(0), liste.Zahl(1), liste.Zahl(2), liste.zahlen.size() > 3 ? liste.Zahl(3) : 1.0f};
  ErneuereText(vorschlag);
  Melde(vorschlag);
}

void Zarvo_Variable::AktualisiereText() {
  switch (typ) {
    case BOOL: text = boolWert ? "ja" : "nein"; break;
    case INT: text = std::to_string(intWert); break;
    case FLOAT: text = fmt::format("{:f}", floatWert); break;
    case VEKTOR: text = fmt::format("{}, {}, {}", vektor.x, vektor.y, vektor.z); break;
    case FARBE: text = fmt::format("{}, {}, {}, {}", farbe.r, farbe.g, farbe.b, farbe.a); break;
    default: break;  // a string variable's text is its value
  }
}

void Zarvo_Variable::ErneuereText(const std::string& wert) {
  if (typ == TEXT) text = wert;
  else AktualisiereText();
}

void Zarvo_Variable::KonsolenBefehl(std::string& argumente) {
  Zarvo_Liste liste = ZerlegeListe(argumente);
  if (liste.tokens.empty()) {
    g_Log.Schreibe("Definierte Variablen sind:");
    if (!variablenRegister) {
      g_Log.Schreibe("!Keine Variablen definiert.");
      return;
    }
    for (const auto& [name, v] : *variablenRegister)
      g_Log.Schreibe("%c - %c%c%c - %s: %s", TypBuchstabe(v->typ), (v->flags & GESPEICHERT) ? 'd' : '*',
                     (v->flags & NUR_LESEN) ? 'n' : '*', v->rueckruf ? 'f' : '*', name.c_str(), v->text.c_str());
    return;
  }
  Zarvo_Variable* variable = Finde(liste.tokens[0]);
  if (!variable) {
    g_Log.Schreibe("!Variable %s ist nicht definiert.", liste.tokens[0].c_str());
    return;
  }
  if (liste.tokens.size() == 1) {
    g_Log.Schreibe("%s = %s", variable->name.c_str(), variable->text.c_str());
    return;
  }
  if (variable->flags & NUR_LESEN) {
    if (!g_tDebug.boolWert) {
      g_Log.Schreibe("!Zuweisung unmöglich: Variable \"%s\" ist schreibgeschützt.", variable->name.c_str());
      return;
    }
    g_Log.Schreibe("?Debug-Modus: schreibgeschützte Variable \"%s\" geändert.", variable->name.c_str());
  }
  std::string wert = liste.tokens[1];
  for (size_t i = 2; i < liste.tokens.size(); ++i) wert += ", " + liste.tokens[i];
  variable->SetzeText(wert);
  g_Log.Schreibe("Variable \"%s\" auf Wert \"%s\" gesetzt.", variable->name.c_str(), variable->text.c_str());
}
