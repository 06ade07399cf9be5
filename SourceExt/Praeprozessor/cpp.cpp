// The run: tag list, predefined macros, the main loop over lines and the scan of text lines.
#include "cpp.h"

#include <new>
#include <stdexcept>

#include "CppZustand.h"
#include "Plattform/system/Ortszeit.h"

namespace cpp {
namespace {

bool IstBlank(int c) { return c == ' ' || c == '\t' || c == '\f' || c == '\v'; }

void SchreibeStandard(int zeichen, void*) { putchar(zeichen); }

const char* Text(uintptr_t wert) { return wert ? reinterpret_cast<const char*>(wert) : ""; }

void SetzeDatumUndZeit(Zustand& z) {
  static constexpr const char* MONATE[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                             "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  win32::SYSTEMTIME jetzt{};
  win32::GetLocalTime(&jetzt);
  char puffer[64];
  snprintf(puffer, sizeof puffer, "\"%3s %2d %4d\"", MONATE[(jetzt.wMonth + 11) % 12], jetzt.wDay, jetzt.wYear);
  z.datum = puffer;
  snprintf(puffer, sizeof puffer, "\"%2d:%02d:%02d\"", jetzt.wHour, jetzt.wMinute, jetzt.wSecond);
  z.uhrzeit = puffer;
}

// The sizes of tag 8: "c s i l f d" as numbers separated by blanks or commas; '*' first for the
// pointer size.
void SetzeSizeof(Zustand& z, const std::string& text) {
  size_t i = 0;
  const bool zeiger = !text.empty() && text[0] == '*';
  if (zeiger) ++i;
  std::vector<int> werte;
  while (i < text.size()) {
    if (text[i] >= '0' && text[i] <= '9') {
      int wert = 0;
      while (i < text.size() && text[i] >= '0' && text[i] <= '9' && wert < 1000000) wert = wert * 10 + (text[i++] - '0');
      werte.push_back(wert);
    } else {
      ++i;
    }
  }
  const size_t noetig = zeiger ? 1 : 6;
  if (werte.size() < noetig) return z.melde(39);
  if (werte.size() > noetig) return z.melde(40);
  if (zeiger)
    z.sizeofGroessen[6] = werte[0];
  else
    for (size_t k = 0; k < 6; ++k) z.sizeofGroessen[k] = werte[k];
}

// Callbacks first, so that reports about the other tags reach the sink.
void SetzeRueckrufe(Zustand& z, const CppTag* tags) {
  for (const CppTag* t = tags; t && t->tag != CPPTAG_ENDE; ++t) {
    switch (t->tag) {
      case CPPTAG_EINGABE_NAME: z.eingabeName = Text(t->wert); break;
      case CPPTAG_LESER: z.leser = reinterpret_cast<CppLeser>(t->wert); break;
      case CPPTAG_SCHREIBER: z.schreiber = reinterpret_cast<CppSchreiber>(t->wert); break;
      case CPPTAG_BENUTZERDATEN: z.daten = reinterpret_cast<void*>(t->wert); break;
      case CPPTAG_MELDER: z.melder = reinterpret_cast<CppMelder>(t->wert); break;
      case CPPTAG_OEFFNER: z.oeffner = reinterpret_cast<CppOeffner>(t->wert); break;
      default: break;
    }
  }
  if (!z.schreiber) z.schreiber = SchreibeStandard;
  if (!z.oeffner) z.oeffner = fopen;
}

// The other tags in list order; definitions and removals of macros are returned for later.
void SetzeSchalter(Zustand& z, const CppTag* tags, std::vector<std::pair<bool, std::string>>& makroTags) {
  for (const CppTag* t = tags; t && t->tag != CPPTAG_ENDE; ++t) {
    const bool an = t->wert != 0;
    switch (t->tag) {
      case CPPTAG_AUSGABE_FLAGS: z.ausgabeFlags = an; break;
      case CPPTAG_DEFINE: makroTags.emplace_back(true, Text(t->wert)); break;
      case CPPTAG_FEHLER_IGNORIEREN: z.fehlerIgnorieren = true; break;
      case CPPTAG_INCLUDE_VERZEICHNIS:
        if (int(z.verzeichnisse.size()) >= MAX_VERZEICHNISSE)
          z.melde(56);
        else
          z.verzeichnisse.emplace_back(Text(t->wert));
        break;
      case CPPTAG_OHNE_KENNMAKRO: z.ohneKennmakro = an; break;
      case CPPTAG_OHNE_SONDERMAKROS: z.ohneSondermakros = an; break;
      case CPPTAG_OHNE_ZEILENKOMMENTARE: z.zeilenKommentare = !an; break;
      case CPPTAG_SIZEOF_GROESSEN: SetzeSizeof(z, Text(t->wert)); break;
      case CPPTAG_UNDEFINE: makroTags.emplace_back(false, Text(t->wert)); break;
      case CPPTAG_MAKROS_AUSGEBEN: ++z.ausgabeStufe; break;
      case CPPTAG_ZEILENANGABEN: z.zeilenangaben = an; break;
      case CPPTAG_SCHALTER_17: z.schalter17 = an; break;
      case CPPTAG_ZEILENANGABE_MIT_LINE: z.mitLine = an; break;
      case CPPTAG_KOPFZEILE: z.kopfzeile = an; break;
      case CPPTAG_INCLUDES_MELDEN: z.includesMelden = an; break;
      case CPPTAG_KLAMMERBILANZ: z.klammerbilanz = an; break;
      case CPPTAG_SCHALTER_22: z.schalter22 = an; break;
      case CPPTAG_VERSCHACHTELTE_KOMMENTARE: z.verschachtelteKommentare = an; break;
      case CPPTAG_WARNE_VERSCHACHTELTE_KOMMENTARE: z.warneVerschachtelt = an; break;
      case CPPTAG_FEHLENDE_INCLUDES_MELDEN: z.fehlendeMelden = an; break;
      case CPPTAG_AUSGABE_AN: z.ausgabeAn = an; break;
      case CPPTAG_VORDATEI:
      case CPPTAG_VORDATEI_MERKEN:
        if (int(z.vordateien.size()) < MAX_VORDATEIEN) z.vordateien.emplace_back(Text(t->wert), t->tag == CPPTAG_VORDATEI_MERKEN);
        break;
      case CPPTAG_SCHALTER_29: z.schalter29 = an; break;
      case CPPTAG_FUNKTIONS_EINSCHUB: z.einschub = Text(t->wert); break;
      case CPPTAG_EINSCHUB_FUNKTION: z.einschubFunktionen.emplace_back(Text(t->wert)); break;
      case CPPTAG_FUNKTIONEN_MELDEN: z.funktionenMelden = an; break;
      case CPPTAG_SCHALTER_33: z.schalter33 = an; break;
      case CPPTAG_NEBEN_DATEI_ZUERST: z.nebenDateiZuerst = an; break;
      case CPPTAG_EINGABE_NAME:
      case CPPTAG_LESER:
      case CPPTAG_SCHREIBER:
      case CPPTAG_BENUTZERDATEN:
      case CPPTAG_MELDER:
      case CPPTAG_OEFFNER: break;
      default: z.melde(42); break;
    }
  }
}

void Vordefiniere(Zustand& z, const std::vector<std::pair<bool, std::string>>& makroTags) {
  if (!z.ohneKennmakro && z.ausgabeStufe < 2) z.definiere("__ZARVO_CPP__ 1");
  if (!z.ohneSondermakros) {
    SetzeDatumUndZeit(z);
    const std::pair<const char*, Sonder> SONDER[] = {{"__LINE__", Sonder::Zeile},         {"__FILE__", Sonder::Datei},
                                                     {"__FUNCTION__", Sonder::Funktion}, {"__FUNC_LINE__", Sonder::FunktionsZeile},
                                                     {"__DATE__", Sonder::Datum},        {"__TIME__", Sonder::Uhrzeit}};
    for (const auto& [name, art] : SONDER) z.makros[name].sonder = art;
  }
  for (const auto& [definieren, text] : makroTags) {
    if (definieren)
      z.definiereVor(text);
    else if (!z.makros.erase(text))
      z.melde(41, text.c_str());
  }
}

}  // namespace

void Aufraeumen(Zustand& z) {
  while (!z.eingaben.empty()) z.entferneRahmen();
}

int Lauf(Zustand& z, const CppTag* tags) {
  SetzeRueckrufe(z, tags);
  std::vector<std::pair<bool, std::string>> makroTags;
  SetzeSchalter(z, tags, makroTags);
  Vordefiniere(z, makroTags);
  // Problems in the tag list leave the result as it is.
  z.fehler = 0;
  z.abbruch = false;
  if (z.kopfzeile) z.sende("cpp: MORVELUNT shader preprocessor\n");

  Rahmen haupt;
  haupt.art = Art::Hauptleser;
  haupt.name = z.eingabeName;
  z.eingaben.push_back(std::move(haupt));
  if (!z.leser && !z.oeffneDatei(z.eingabeName, true)) {
    z.melde(48, z.eingabeName.c_str());
    return 1;
  }
  for (size_t i = z.vordateien.size(); i-- > 0;)
    if (!z.oeffneDatei(z.vordateien[i].first, true)) z.melde(48, z.vordateien[i].first.c_str());
  z.hauptschleife();

  if (!z.abbruch && !z.bedingungen.empty()) z.melde(28, int(z.bedingungen.size()));
  if (z.klammerbilanz && !z.abbruch) {
    if (z.klammern[0]) z.melde(49, z.klammern[0]);
    if (z.klammern[1]) z.melde(50, z.klammern[1]);
    if (z.klammern[2]) z.melde(51, z.klammern[2]);
  }
  if (z.ausgabeStufe > 0 && !z.abbruch)
    for (const auto& [name, makro] : z.makros) {
      std::string text = "#define " + name;
      if (makro.parameter >= 0) text += "(" + std::to_string(makro.parameter) + ")";
      for (const Teil& t : makro.koerper)
        text += t.art == Teilart::Text ? t.text : (t.art == Teilart::Zeichenkette ? "#" : "") + std::string("$") + std::to_string(t.index);
      z.schreibe(text + "\n");
    }
  Aufraeumen(z);
  if (z.abbruch) return 1;
  return z.fehler > 0 && !z.fehlerIgnorieren ? 1 : 0;
}

void Zustand::schreibe(const std::string& text) {
  if (!ausgabeAn) return;
  for (const char c : text) schreiber(static_cast<unsigned char>(c), daten);
}

void Zustand::schreibeZeilenangabe(int zeile, const std::string& datei) {
  std::string text = std::string("#") + (mitLine ? "line" : "") + " " + std::to_string(zeile);
  if (datei != ausgabeDatei) text += " \"" + datei + "\"";
  schreibe(text + "\n");
  ausgabeDatei = datei;
  ausgabeZeile = zeile;
}

// An output line of source line `zeile`; with line records, short gaps become empty lines.
void Zustand::gibZeileAus(const std::string& text, int zeile) {
  if (zeilenangaben) {
    const int d = aktuelleDatei();
    const std::string& datei = d >= 0 ? eingaben[d].name : eingabeName;
    if (datei != ausgabeDatei || zeile < ausgabeZeile || zeile - ausgabeZeile >= 5)
      schreibeZeilenangabe(zeile, datei);
    for (; ausgabeZeile < zeile; ++ausgabeZeile) schreibe("\n");
  }
  schreibe(text + "\n");
  ausgabeZeile = zeile + 1;
}

// After "/*": skips to the end of the comment. False at the end of input.
bool Zustand::ueberspringeKommentar(bool& inhalt) {
  int tiefe = 1;
  for (int c = lies(); c != ENDE && !abbruch; c = lies()) {
    if (c == '*' && spaehe() == '/') {
      lies();
      if (--tiefe == 0) return true;
    } else if (c == '/' && spaehe() == '*' && verschachtelteKommentare) {
      lies();
      if (warneVerschachtelt) melde(52);
      ++tiefe;
    }
  }
  (void)inhalt;
  if (!abbruch) melde(27);
  return false;
}

void Zustand::verfolgeFunktion(const std::string& token, int c) {
  if (!token.empty()) {
    if (klammern[1] == 0 && klammern[2] == 0) {
      kandidat = token;
      kandidatStufe = 1;
    }
    return;
  }
  switch (c) {
    case '[': ++klammern[0]; return;
    case ']': --klammern[0]; return;
    case '(':
      if (++klammern[1] == 1 && kandidatStufe == 1) kandidatStufe = 2;
      return;
    case ')':
      if (--klammern[1] == 0 && kandidatStufe == 2) kandidatStufe = 3;
      return;
    case '{':
      if (klammern[2]++ == 0 && kandidatStufe == 3) {
        funktion = kandidat;
        funktionsZeile = aktuelleZeile();
        if (funktionenMelden) {
          char text[64];
          snprintf(text, sizeof text, "#> Function defined at line %d: ", funktionsZeile);
          schreibe(text + funktion + " <#\n");
        }
      }
      kandidatStufe = 0;
      return;
    case '}':
      if (--klammern[2] == 0) funktion.clear();
      return;
    default:
      if (kandidatStufe != 2) kandidatStufe = 0;
  }
}

void Zustand::scanne(int c, std::string& ausgabe, bool& inhalt, bool& kommentar) {
  if (IstNamensAnfang(c)) {
    std::string name(1, char(c));
    while (IstNamensZeichen(spaehe())) name += char(lies());
    std::string unveraendert;
    if (expandiere(name, unveraendert)) return;
    ausgabe += unveraendert;
    inhalt = true;
    verfolgeFunktion(name, 0);
    return;
  }
  if (c >= '0' && c <= '9') {
    ausgabe += char(c);
    for (int d = spaehe(); IstNamensZeichen(d) || d == '.'; d = spaehe()) {
      ausgabe += char(lies());
      if ((d == 'e' || d == 'E') && (spaehe() == '+' || spaehe() == '-')) ausgabe += char(lies());
    }
    inhalt = true;
    if (kandidatStufe != 2) kandidatStufe = 0;
    return;
  }
  if (c == '"' || c == '\'') {
    ausgabe += char(c);
    inhalt = true;
    for (int d = spaehe();; d = spaehe()) {
      if (d == '\n' || d == ENDE) {
        melde(26);
        return;
      }
      ausgabe += char(lies());
      if (d == '\\' && spaehe() != '\n' && spaehe() != ENDE)
        ausgabe += char(lies());
      else if (d == c)
        break;
    }
    if (kandidatStufe != 2) kandidatStufe = 0;
    return;
  }
  if (c == '/' && spaehe() == '*') {
    lies();
    ueberspringeKommentar(inhalt);
    ausgabe += ' ';
    kommentar = true;
    return;
  }
  if (c == '/' && spaehe() == '/' && zeilenKommentare) {
    while (spaehe() != '\n' && spaehe() != ENDE) lies();
    kommentar = true;
    return;
  }
  ausgabe += char(c);
  if (IstBlank(c)) return;
  inhalt = true;
  verfolgeFunktion("", c);
  if (c == '{' && funktion == kandidat && !einschub.empty() && klammern[2] == 1)
    for (const std::string& f : einschubFunktionen)
      if (f == funktion) ausgabe += einschub;
}

void Zustand::hauptschleife() {
  while (!abbruch) {
    std::string blanks;
    int c = lies();
    while (IstBlank(c)) {
      blanks += char(c);
      c = lies();
    }
    if (c == ENDE) break;
    if (c == '#' && letzteArt != Art::Makro) {
      direktive();
      continue;
    }
    if (!aktiv()) {
      while (c != '\n' && c != ENDE) c = lies();
      continue;
    }
    const int zeile = aktuelleZeile();
    std::string ausgabe = blanks;
    bool inhalt = false, kommentar = false;
    for (; c != '\n' && c != ENDE && !abbruch; c = lies()) scanne(c, ausgabe, inhalt, kommentar);
    if (abbruch) {
      schreibe(ausgabe);
      break;
    }
    if (inhalt || !kommentar) gibZeileAus(ausgabe, zeile);
  }
}

}  // namespace cpp

int cppPreProcess(const CppTag* tags) {
  std::unique_ptr<cpp::Zustand> zustand;
  try {
    zustand = std::make_unique<cpp::Zustand>();
  } catch (const std::bad_alloc&) {
    return 1;
  }
  try {
    return cpp::Lauf(*zustand, tags);
  } catch (const std::bad_alloc&) {
  } catch (const std::length_error&) {
  }
  try {
    zustand->melde(65);
    cpp::Aufraeumen(*zustand);
  } catch (...) {
  }
  return 1;
}
