#include <gtest/gtest.h>

#include "LogMitschnitt.h"
#include "Zarvo_Ausnahme.h"

namespace {

int wurfZeile = 0;

template <class F>
Zarvo_Ausnahme Fange(F&& f) {
  try {
    f();
  } catch (const Zarvo_Ausnahme& ausnahme) {
    return ausnahme;
  }
  ADD_FAILURE() << "keine Zarvo_Ausnahme";
  return Zarvo_Ausnahme("", "", "", 0);
}

}  // namespace

namespace Werfer {

void Frei() {
  wurfZeile = __LINE__ + 1;
  ZARVO_AUSNAHME("frei");
}

class Klasse {
 public:
  Klasse() {
    wurfZeile = __LINE__ + 1;
    ZARVO_AUSNAHME("Konstruktor");
  }
  explicit Klasse(int) {}
  const char* Methode(int) const {
    wurfZeile = __LINE__ + 1;
    ZARVO_AUSNAHME("Methode");
  }
  static void Statisch() {
    wurfZeile = __LINE__ + 1;
    ZARVO_AUSNAHME("statisch");
  }
  void operator()() {
    wurfZeile = __LINE__ + 1;
    ZARVO_AUSNAHME("Aufruf");
  }
  bool operator<(const Klasse&) const {
    wurfZeile = __LINE__ + 1;
    ZARVO_AUSNAHME("kleiner");
  }
  operator int() const {
    wurfZeile = __LINE__ + 1;
    ZARVO_AUSNAHME("Umwandlung");
  }
};

template <class T>
class Vorlage {
 public:
  std::pair<T, int> Methode() {
    wurfZeile = __LINE__ + 1;
    ZARVO_AUSNAHME("Vorlage");
  }
};

template <class T>
T FreieVorlage(T) {
  wurfZeile = __LINE__ + 1;
  ZARVO_AUSNAHME("freie Vorlage");
}

void MitLambda() {
  [] {
    wurfZeile = __LINE__ + 1;
    ZARVO_AUSNAHME("Lambda");
  }();
}

void Pruefe() {
  wurfZeile = __LINE__ + 1;
  ZARVO_PRUEFE("Zeiger != nullptr");
}

}  // namespace Werfer

TEST(ZarvoAusnahme, MakroFormenGebenDateiFunktionUndZeile) {
  struct Fall {
    std::function<void()> wurf;
    const char* meldung;
    const char* funktion;
  };
  const Fall faelle[] = {
      {[] { Werfer::Frei(); }, "frei", "Werfer::Frei"},
      {[] { Werfer::Klasse k; }, "Konstruktor", "Werfer::Klasse::Klasse"},
      {[] { Werfer::Klasse(1).Methode(2); }, "Methode", "Werfer::Klasse::Methode"},
      {[] { Werfer::Klasse::Statisch(); }, "statisch", "Werfer::Klasse::Statisch"},
      {[] { Werfer::Klasse(1)(); }, "Aufruf", "Werfer::Klasse::operator()"},
      {[] { (void)(Werfer::Klasse(1) < Werfer::Klasse(1)); }, "kleiner", "Werfer::Klasse::operator<"},
      {[] { (void)int(Werfer::Klasse(1)); }, "Umwandlung", "Werfer::Klasse::operator int"},
      {[] { Werfer::Vorlage<int>().Methode(); }, "Vorlage", "Werfer::Vorlage<T>::Methode"},
      {[] { Werfer::FreieVorlage(1.5); }, "freie Vorlage", "Werfer::FreieVorlage"},
      {[] { Werfer::MitLambda(); }, "Lambda", "Werfer::MitLambda"},
  };
  for (const Fall& f : faelle) {
    Zarvo_Ausnahme ausnahme = Fange(f.wurf);
    EXPECT_EQ(ausnahme.meldung, f.meldung);
    EXPECT_EQ(ausnahme.funktion, f.funktion) << f.meldung;
    EXPECT_EQ(ausnahme.datei, "Ausnahme_test") << f.meldung;  // outside SourceExt and Source: the bare name
    EXPECT_EQ(ausnahme.zeile, wurfZeile) << f.meldung;
  }
}

TEST(ZarvoAusnahme, KopieTraegtAlleFelder) {
  const Zarvo_Ausnahme original("Meldung", "K::F", "SourceExt\\Zarvoklassen\\K", 42);
  const Zarvo_Ausnahme kopie(original);
  EXPECT_EQ(kopie.meldung, "Meldung");
  EXPECT_EQ(kopie.funktion, "K::F");
  EXPECT_EQ(kopie.datei, "SourceExt\\Zarvoklassen\\K");
  EXPECT_EQ(kopie.zeile, 42);
  Zarvo_Ausnahme gefangen = Fange([] { WirfZarvoAusnahme("m", "f", "d", 7); });
  EXPECT_EQ(gefangen.meldung + gefangen.funktion + gefangen.datei, "mfd");
  EXPECT_EQ(gefangen.zeile, 7);
}

TEST(ZarvoAusnahme, PruefZeileImLog) {
  LogMitschnitt log;
  Werfer::Pruefe();
  const std::string erwartet = "!Ausnahme \"Zeiger != nullptr\" aufgetreten in Funktion Werfer::Pruefe (Ausnahme_test:" +
                               std::to_string(wurfZeile) + ").";
  EXPECT_TRUE(log.Enthaelt(erwartet)) << erwartet;
}

TEST(QuellPfad, AbSourceExtOderSourceOhneEndung) {
  struct Fall {
    const char* datei;
    const char* erwartet;
  };
  const Fall faelle[] = {
      {"/work/mv/SourceExt/Zarvoklassen/TSpeicher.cpp", "SourceExt\\Zarvoklassen\\TSpeicher"},
      {"/work/mv/Source/spiel/Einstieg.cpp", "Source\\spiel\\Einstieg"},
      {"/work/mv/SourceExt/Zarvoklassen/bildfilter/Filter.h", "SourceExt\\Zarvoklassen\\bildfilter\\Filter"},
      {"/src/Source/alt/SourceExt/Gui/Basis.cpp", "SourceExt\\Gui\\Basis"},
      {"/src/SourceExt/alt/Source/spiel/Szene.cpp", "Source\\spiel\\Szene"},
      {"/work/mv/tests/einheit/Ausnahme_test.cpp", "Ausnahme_test"},
      {"/work/SourceExtra/a.cpp", "a"},
      {"Einzeln.cpp", "Einzeln"},
      {"/work/mv/SourceExt/Zarvo.klassen/OhneEndung", "SourceExt\\Zarvo.klassen\\OhneEndung"},
      {"/work/mv/Source/spiel/zwei.punkte.cpp", "Source\\spiel\\zwei.punkte"},
  };
  for (const Fall& f : faelle) EXPECT_EQ(QuellPfad(f.datei), f.erwartet) << f.datei;
}

TEST(FunktionsName, AusDerSignaturBeiderUebersetzer) {
  struct Fall {
    const char* signatur;
    const char* erwartet;
  };
  const Fall faelle[] = {
      {"void TSpeicher::SchreibeFormatText(const char*, ...)", "TSpeicher::SchreibeFormatText"},
      {"N::K::K()", "N::K::K"},
      {"N::K::~K()", "N::K::~K"},
      {"static int N::K::s(int)", "N::K::s"},
      {"const char* N::g()", "N::g"},
      {"const char *N::g()", "N::g"},
      {"N::K *N::K::Selbst()", "N::K::Selbst"},
      {"const std::string &N::K::Name() const", "N::K::Name"},
      {"std::map<int, int> N::V<T>::t(U) [with U = double; T = int]", "N::V<T>::t"},
      {"void N::V<int>::m() [T = int]", "N::V<int>::m"},
      {"void N::K::operator()()", "N::K::operator()"},
      {"bool N::K::operator<(const N::K&) const", "N::K::operator<"},
      {"bool N::K::operator<=(const N::K &) const", "N::K::operator<="},
      {"N::K* N::K::operator->()", "N::K::operator->"},
      {"N::K& N::K::operator>>(int)", "N::K::operator>>"},
      {"N::K::operator int()", "N::K::operator int"},
      {"int N::K::operator int()", "N::K::operator int"},
      {"N::g()::<lambda()>", "N::g"},
      {"auto N::g()::(anonymous class)::operator()() const", "N::g"},
      {"{anonymous}::K::K()", "{anonymous}::K::K"},
      {"(anonymous namespace)::K::K()", "(anonymous namespace)::K::K"},
      {"void (anonymous namespace)::f()", "(anonymous namespace)::f"},
      {"auto (anonymous namespace)::K::m()::(anonymous class)::operator()() const", "(anonymous namespace)::K::m"},
  };
  for (const Fall& f : faelle) EXPECT_EQ(FunktionsName(f.signatur), f.erwartet) << f.signatur;
}
