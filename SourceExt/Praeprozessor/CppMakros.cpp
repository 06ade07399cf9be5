// Macro definition and expansion. An expansion pushes its text onto the input, where it is read
// again; nested expansions are counted, and a chain of 1000 is reported as recursive, after
// which nothing more is expanded until its outermost text has been read.
#include <cstring>

#include "CppZustand.h"

namespace cpp {
namespace {

bool IstBlank(int c) { return c == ' ' || c == '\t'; }

size_t UeberspringeBlanks(const std::string& s, size_t i) {
  while (i < s.size() && IstBlank(s[i])) ++i;
  return i;
}

size_t LiesNamen(const std::string& s, size_t i, std::string& name) {
  name.clear();
  if (i < s.size() && IstNamensAnfang(static_cast<unsigned char>(s[i])))
    while (i < s.size() && IstNamensZeichen(static_cast<unsigned char>(s[i]))) name += s[i++];
  return i;
}

// A string or character literal starting at s[i]; returns the index after it.
size_t LiteralEnde(const std::string& s, size_t i) {
  const char quote = s[i++];
  while (i < s.size() && s[i] != quote) i += s[i] == '\\' ? 2 : 1;
  return i < s.size() ? i + 1 : s.size();
}

void HaengeText(std::vector<Teil>& teile, const std::string& text) {
  if (text.empty()) return;
  if (!teile.empty() && teile.back().art == Teilart::Text)
    teile.back().text += text;
  else
    teile.push_back({Teilart::Text, text, 0});
}

void EntferneEndblanks(std::vector<Teil>& teile) {
  while (!teile.empty() && teile.back().art == Teilart::Text) {
    std::string& t = teile.back().text;
    while (!t.empty() && IstBlank(t.back())) t.pop_back();
    if (!t.empty()) return;
    teile.pop_back();
  }
}

int ParameterIndex(const std::vector<std::string>& parameter, const std::string& name) {
  for (size_t i = 0; i < parameter.size(); ++i)
    if (parameter[i] == name) return int(i);
  return -1;
}

std::string Zeichenkette(const std::string& argument) {
  std::string text = "\"";
  bool imLiteral = false;
  char quote = 0;
  for (size_t i = 0; i < argument.size(); ++i) {
    const char c = argument[i];
    if (imLiteral && (c == '\\' || c == '"')) text += '\\';
    if (!imLiteral && c == '"') text += '\\';
    if (imLiteral && c == '\\' && i + 1 < argument.size()) {
      text += c;
      text += argument[++i] == '"' ? std::string("\\\"") : std::string(1, argument[i]);
      continue;
    }
    if (c == '"' || c == '\'') {
      if (!imLiteral) {
        imLiteral = true;
        quote = c;
      } else if (c == quote) {
        imLiteral = false;
      }
    }
    text += c;
  }
  return text + "\"";
}

std::string Getrimmt(const std::string& s) {
  size_t a = 0, e = s.size();
  while (a < e && (IstBlank(s[a]) || s[a] == '\n')) ++a;
  while (e > a && (IstBlank(s[e - 1]) || s[e - 1] == '\n')) --e;
  return s.substr(a, e - a);
}

std::string Zusammensetzen(const Makro& m, const std::vector<std::string>& argumente) {
  std::string text;
  for (const Teil& t : m.koerper) {
    if (t.art == Teilart::Text) {
      text += t.text;
      continue;
    }
    const std::string argument = size_t(t.index) < argumente.size() ? argumente[t.index] : std::string();
    text += t.art == Teilart::Parameter ? argument : Zeichenkette(argument);
  }
  return text;
}

}  // namespace

void Zustand::definiere(const std::string& zeile) {
  std::string name;
  size_t i = LiesNamen(zeile, UeberspringeBlanks(zeile, 0), name);
  if (name.empty()) return melde(6);
  Makro m;
  std::vector<std::string> parameter;
  if (i < zeile.size() && zeile[i] == '(') {
    i = UeberspringeBlanks(zeile, i + 1);
    bool erster = true;
    while (i >= zeile.size() || zeile[i] != ')') {
      if (!erster) {
        if (i >= zeile.size() || zeile[i] != ',') return melde(6);
        i = UeberspringeBlanks(zeile, i + 1);
      }
      std::string p;
      i = UeberspringeBlanks(zeile, LiesNamen(zeile, i, p));
      if (p.empty()) return melde(6);
      if (int(parameter.size()) == MAX_PARAMETER) return melde(58);
      parameter.push_back(p);
      erster = false;
    }
    ++i;
    m.parameter = int(parameter.size());
  }

  i = UeberspringeBlanks(zeile, i);
  bool nachVerkettung = false;
  while (i < zeile.size()) {
    const unsigned char c = zeile[i];
    if (IstBlank(c)) {
      i = UeberspringeBlanks(zeile, i);
      if (!nachVerkettung) HaengeText(m.koerper, " ");
      continue;
    }
    if (c == '#' && i + 1 < zeile.size() && zeile[i + 1] == '#') {
      EntferneEndblanks(m.koerper);
      i = UeberspringeBlanks(zeile, i + 2);
      const int folgt = i < zeile.size() ? static_cast<unsigned char>(zeile[i]) : 0;
      if (!IstNamensZeichen(folgt)) {
        if (folgt > ' ' && folgt < 127)
          melde(33, folgt);
        else
          melde(34, folgt);
      }
      nachVerkettung = true;
      continue;
    }
    nachVerkettung = false;
    if (c == '#' && m.parameter >= 0) {
      std::string p;
      const size_t ende = LiesNamen(zeile, UeberspringeBlanks(zeile, i + 1), p);
      const int index = ParameterIndex(parameter, p);
      if (index >= 0) {
        m.koerper.push_back({Teilart::Zeichenkette, "", index});
        i = ende;
        continue;
      }
    }
    if (c == '"' || c == '\'') {
      const size_t ende = LiteralEnde(zeile, i);
      HaengeText(m.koerper, zeile.substr(i, ende - i));
      i = ende;
      continue;
    }
    if (IstNamensZeichen(c)) {
      std::string wort;
      while (i < zeile.size() && IstNamensZeichen(static_cast<unsigned char>(zeile[i]))) wort += zeile[i++];
      const int index = IstNamensAnfang(c) ? ParameterIndex(parameter, wort) : -1;
      if (index >= 0)
        m.koerper.push_back({Teilart::Parameter, "", index});
      else
        HaengeText(m.koerper, wort);
      continue;
    }
    HaengeText(m.koerper, std::string(1, char(c)));
    ++i;
  }
  EntferneEndblanks(m.koerper);

  auto alt = makros.find(name);
  if (alt != makros.end() && (alt->second.parameter != m.parameter || !(alt->second.koerper == m.koerper) ||
                              alt->second.sonder != Sonder::Keins))
    melde(7, name.c_str());
  makros[name] = std::move(m);
}

// 'name' or 'name=value' (value 1 when none is given).
void Zustand::definiereVor(const std::string& text) {
  const size_t gleich = text.find('=');
  if (gleich == std::string::npos)
    definiere(text + " 1");
  else
    definiere(text.substr(0, gleich) + " " + text.substr(gleich + 1));
}

std::string Zustand::sonderText(Sonder art) {
  switch (art) {
    case Sonder::Zeile:
      return std::to_string(aktuelleZeile());
    case Sonder::Datei: {
      const int i = aktuelleDatei();
      return "\"" + (i >= 0 ? eingaben[i].name : eingabeName) + "\"";
    }
    case Sonder::Funktion:
      return funktion.empty() ? "\"<unknown function>\"" : "\"" + funktion + "\"";
    case Sonder::FunktionsZeile:
      return funktion.empty() ? "0" : std::to_string(funktionsZeile);
    case Sonder::Datum:
      return datum;
    case Sonder::Uhrzeit:
      return uhrzeit;
    case Sonder::Keins:
      break;
  }
  return "";
}

// Expands the macro `name` whose name has just been read. True when its text was pushed onto the
// input; otherwise `unveraendert` holds what to write in its place.
bool Zustand::expandiere(const std::string& name, std::string& unveraendert) {
  unveraendert = name;
  auto eintrag = makros.find(name);
  if (eintrag == makros.end() || sperreAb >= 0) return false;
  const Makro m = eintrag->second;
  if (makroTiefe() >= MAX_VERSCHACHTELUNG - 1) {
    int aeusserster = -1;
    for (int i = 0; i < int(eingaben.size()) && aeusserster < 0; ++i)
      if (eingaben[i].art == Art::Makro) aeusserster = i;
    melde(9, name.c_str(), aeusserster >= 0 ? eingaben[aeusserster].name.c_str() : name.c_str());
    sperreAb = aeusserster;
    return false;
  }

  std::string text;
  if (m.sonder != Sonder::Keins) {
    text = sonderText(m.sonder);
  } else if (m.parameter < 0) {
    text = Zusammensetzen(m, {});
  } else {
    std::string gelesen;
    int c = lies();
    while (IstBlank(c) || c == '\n') {
      gelesen += char(c);
      c = lies();
    }
    if (c != '(') {
      if (c != ENDE) gelesen += char(c);
      gibZurueck(gelesen);
      melde(43, name.c_str());
      return false;
    }
    std::vector<std::string> argumente;
    std::string argument;
    int tiefe = 1;
    for (;;) {
      c = lies();
      if (c == ENDE || abbruch) {
        melde(10);
        unveraendert += "(" + gelesen;
        return false;
      }
      gelesen += char(c);
      if (c == '"' || c == '\'') {
        argument += char(c);
        for (int d = lies(); d != ENDE && d != '\n'; d = lies()) {
          gelesen += char(d);
          argument += char(d);
          if (d == '\\') {
            const int e = lies();
            if (e == ENDE) break;
            gelesen += char(e);
            argument += char(e);
          } else if (d == c) {
            break;
          }
        }
        continue;
      }
      if (c == '\n') {
        argument += ' ';
        continue;
      }
      if (c == '(') ++tiefe;
      if (c == ')' && --tiefe == 0) {
        argumente.push_back(Getrimmt(argument));
        break;
      }
      if (c == ',' && tiefe == 1) {
        argumente.push_back(Getrimmt(argument));
        argument.clear();
        if (int(argumente.size()) >= MAX_PARAMETER) {  // a further argument follows
          melde(61);
          return false;
        }
        continue;
      }
      argument += char(c);
    }
    if (m.parameter == 0 && argumente.size() == 1 && argumente[0].empty()) argumente.clear();
    if (int(argumente.size()) != m.parameter) melde(44, name.c_str());
    text = Zusammensetzen(m, argumente);
  }

  makroText += text.size() + 1;
  if (makroText > MAX_MAKROTEXT) {
    melde(59);
    return true;
  }
  schiebeText(Art::Makro, name, std::move(text));
  return true;
}

}  // namespace cpp
