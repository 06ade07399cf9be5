#include "Plattform/eingabe/Pruefbetrieb.h"

#include <charconv>
#include <cstdlib>
#include <memory>

#include "Plattform/d3d9/d3d9.h"
#include "Plattform/eingabe/Drehbuch.h"
#include "Plattform/system/Takt.h"
#include "Plattform/system/Zustandsausgabe.h"

namespace pruefbetrieb {
namespace {

std::unique_ptr<eingabe::Drehbuch> drehbuch;

std::string Benannt(const char* variable, const std::string& wert, const std::string& grund) {
  return std::string(variable) + "=\"" + wert + "\": " + grund;
}

// The rate of MORVELUNT_TAKT, or the error.
std::string LiesTakt(const std::string& wert, unsigned& hz) {
  unsigned long long zahl = 0;
  const char* ende = wert.data() + wert.size();
  const auto [stelle, fehler] = std::from_chars(wert.data(), ende, zahl);
  if (wert.empty() || stelle != ende || (fehler != std::errc() && fehler != std::errc::result_out_of_range))
    return Benannt(VARIABLE_TAKT, wert, "keine Zahl (Bilder pro Sekunde, 1 bis 1000)");
  if (fehler == std::errc::result_out_of_range || zahl < Takt::MIN_HZ || zahl > Takt::MAX_HZ)
    return Benannt(VARIABLE_TAKT, wert, "nicht im Bereich 1 bis 1000");
  hz = unsigned(zahl);
  return "";
}

const char* Umgebung(const char* variable) { return std::getenv(variable); }

}  // namespace

std::string SchalteEin(Meldung meldung) {
  SchalteAus();
  unsigned hz = 0;
  const char* takt = Umgebung(VARIABLE_TAKT);
  if (takt) {
    const std::string fehler = LiesTakt(takt, hz);
    if (!fehler.empty()) return fehler;
  }

  std::unique_ptr<eingabe::Drehbuch> neuesDrehbuch;
  const char* eingabe = Umgebung(VARIABLE_EINGABE);
  if (eingabe) {
    eingabe::Drehbuch::Anschluesse anschluesse;
    anschluesse.meldung = meldung;
    anschluesse.zustand = &Zustandsausgabe::Anfordern;
    std::string fehler;
    neuesDrehbuch = eingabe::Drehbuch::Oeffne(eingabe, std::move(anschluesse), fehler);
    if (!neuesDrehbuch) return Benannt(VARIABLE_EINGABE, eingabe, "nicht zu oeffnen (" + fehler + ")");
  }

  const char* zustand = Umgebung(VARIABLE_ZUSTAND);
  if (zustand) {
    std::string fehler;
    if (!Zustandsausgabe::Oeffne(zustand, fehler))
      return Benannt(VARIABLE_ZUSTAND, zustand, "nicht zum Schreiben zu oeffnen (" + fehler + ")");
  }

  const auto melde = [&](const std::string& zeile) {
    if (meldung) meldung(zeile);
  };
  if (takt) {
    Takt::Starte(hz);
    d3d9::SetzePresentHaken(&Takt::Bild);
    melde("Pruefbetrieb: fester Takt von " + std::to_string(hz) + " Bildern pro Sekunde");
  }
  if (neuesDrehbuch) {
    drehbuch = std::move(neuesDrehbuch);
    eingabe::SetzeQuelle(drehbuch.get());
    melde(std::string("Pruefbetrieb: Eingabe aus \"") + eingabe + "\"");
  }
  if (zustand) melde(std::string("Pruefbetrieb: Zustand nach \"") + zustand + "\"");
  return "";
}

void SchalteAus() {
  if (drehbuch) eingabe::SetzeQuelle(nullptr);
  drehbuch.reset();
  if (Takt::Laeuft()) d3d9::SetzePresentHaken(nullptr);
  Takt::Beende();
  Zustandsausgabe::Schliesse();
}

eingabe::Drehbuch* AktivesDrehbuch() { return drehbuch.get(); }

}  // namespace pruefbetrieb
