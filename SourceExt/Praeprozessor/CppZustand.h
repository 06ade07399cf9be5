#pragma once
// The state of one preprocessor run: the input stack (files, the main reader, macro text and
// given-back text), the macro table, the conditional stack and the counters. Everything lives in
// this object; nothing is static and mutable.
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "cpp.h"

namespace cpp {

constexpr int ENDE = -1;             // end of input (or of an expanded text)
constexpr int MAX_BEDINGUNGEN = 31;  // nested #if levels
constexpr int MAX_PARAMETER = 31;    // macro parameters and arguments
constexpr int MAX_VERSCHACHTELUNG = 1000;
constexpr int MAX_DATEINAME = 512;
constexpr int MAX_VERZEICHNISSE = 16;
constexpr int MAX_INCLUDES = 32;
constexpr int MAX_VORDATEIEN = 20;
constexpr int MAX_STAPEL = 64;       // #if value and operator stacks
constexpr size_t MAX_MAKROTEXT = size_t(4) << 20;
constexpr size_t MAX_RUECKGABE = size_t(1) << 20;
// Line numbers stop here (also a #line beyond it), so counting on and `zeile + 1` never overflow.
constexpr int MAX_ZEILE = 0x7FFFFFFE;
// Message lines one run writes at most: a message that would pass this is left out with all that
// follow (one notice says so), so nested expansions that each warn cannot flood the sink.
constexpr size_t MAX_MELDEZEILEN = 10000;

inline int FolgeZeile(int zeile) { return zeile < MAX_ZEILE ? zeile + 1 : MAX_ZEILE; }

enum class Art { Hauptleser, Datei, Makro, Rueckgabe, Text };

// One input on the stack. Files and the main reader deliver one logical line at a time into
// `puffer`; macro text and given-back text are whole in `puffer`.
struct Rahmen {
  Art art = Art::Text;
  std::string name;   // file name, or the macro's name
  int zeile = 0;      // line of the text in `puffer` (files)
  int naechsteZeile = 1;
  FILE* datei = nullptr;
  std::string puffer;
  size_t pos = 0;
  // Raw reading of a file or the reader.
  std::string roh;
  size_t rohPos = 0;
  bool rohEnde = false;
  int rohZurueck = ENDE - 1;  // one given-back raw character, or none
};

enum class Teilart { Text, Parameter, Zeichenkette };
struct Teil {
  Teilart art = Teilart::Text;
  std::string text;
  int index = 0;
  bool operator==(const Teil& b) const { return art == b.art && text == b.text && index == b.index; }
};

enum class Sonder { Keins, Zeile, Datei, Funktion, FunktionsZeile, Datum, Uhrzeit };

struct Makro {
  int parameter = -1;  // -1: object-like
  std::vector<Teil> koerper;
  Sonder sonder = Sonder::Keins;
};

// Flags of one conditional level.
enum : uint8_t { BED_AKTIV = 1, BED_GENOMMEN = 2, BED_ELSE = 4, BED_ELTERN_AKTIV = 8 };

struct Zustand {
  // Callbacks and settings.
  CppLeser leser = nullptr;
  CppSchreiber schreiber = nullptr;
  CppMelder melder = nullptr;
  CppOeffner oeffner = nullptr;
  void* daten = nullptr;
  std::string eingabeName = "<stdin>";
  std::vector<std::string> verzeichnisse;
  std::vector<std::pair<std::string, bool>> vordateien;
  std::vector<std::string> einschubFunktionen;
  std::string einschub;
  bool fehlerIgnorieren = false, ohneKennmakro = false, ohneSondermakros = false;
  bool zeilenKommentare = true, zeilenangaben = true, mitLine = true, kopfzeile = true;
  bool includesMelden = false, klammerbilanz = false, verschachtelteKommentare = false;
  bool warneVerschachtelt = false, fehlendeMelden = true, ausgabeAn = true, nebenDateiZuerst = true;
  bool funktionenMelden = false, ausgabeFlags = false;
  bool schalter17 = false, schalter22 = false, schalter29 = false, schalter33 = false;
  int ausgabeStufe = 0;
  int sizeofGroessen[7] = {1, 2, 4, 8, 4, 8, 8};  // char short int long float double pointer

  // Run state.
  std::vector<Rahmen> eingaben;
  std::map<std::string, Makro> makros;
  std::vector<uint8_t> bedingungen;
  std::string datum, uhrzeit;
  int fehler = 0;
  bool abbruch = false;
  size_t meldezeilen = 0;
  bool meldungenAbgeschnitten = false;
  size_t makroText = 0;
  int sperreAb = -1;        // index of the outermost frame of a recursive chain; -1: none
  Art letzteArt = Art::Text;
  int letzterRahmen = -1;
  int includes = 0;
  int makroRahmen = 0;     // macro frames on the input stack
  // Function tracking and output.
  std::string funktion;
  int funktionsZeile = 0;
  std::string kandidat;
  int kandidatStufe = 0;    // 1: name seen, 2: '(' open, 3: list closed
  int klammern[3] = {0, 0, 0};  // [] () {}
  int ausgabeZeile = 0;
  std::string ausgabeDatei;

  // Messages (CppMeldungen.cpp).
  void melde(int nummer, ...);
  std::vector<int> umgebendeEingaben(int datei) const;
  void sende(const char* format, ...);

  // Input (CppEingabe.cpp).
  int lies();
  void gibZurueck(const std::string& text);
  void gibZurueck(int zeichen);
  void schiebeText(Art art, const std::string& name, std::string text);
  bool oeffneDatei(const std::string& name, bool vordatei);
  int aktuelleDatei() const;
  int aktuelleZeile() const;
  void entferneRahmen();
  bool fuelle(Rahmen& r);
  int rohZeichen(Rahmen& r);

  // Directives (CppDirektiven.cpp).
  void direktive();
  bool aktiv() const { return bedingungen.empty() || (bedingungen.back() & BED_AKTIV); }
  std::string liesDirektivenZeile();
  void includeDirektive(const std::string& rest);

  // Macros (CppMakros.cpp).
  void definiere(const std::string& zeile);
  void definiereVor(const std::string& text);
  bool expandiere(const std::string& name, std::string& ausgabe);
  std::string expandiereText(const std::string& text, bool imIf);
  std::string definiert();
  int spaehe() const;
  std::string sonderText(Sonder art);
  int makroTiefe() const;

  // Expressions (CppAusdruck.cpp).
  int32_t werteAus(const std::string& zeile);

  // Text (cpp.cpp).
  void hauptschleife();
  void scanne(int c, std::string& ausgabe, bool& inhalt, bool& kommentar);
  bool ueberspringeKommentar(bool& inhalt);
  void schreibe(const std::string& text);
  void gibZeileAus(const std::string& text, int zeile);
  void schreibeZeilenangabe(int zeile, const std::string& datei);
  void verfolgeFunktion(const std::string& token, int c);
};

void Aufraeumen(Zustand& z);
int Lauf(Zustand& z, const CppTag* tags);
bool IstNamensAnfang(int c);
bool IstNamensZeichen(int c);

}  // namespace cpp
