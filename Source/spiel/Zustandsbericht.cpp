#include "Zustandsbericht.h"

#include <tinyxml.h>

#include <cstdio>
#include <string>

#include "Buttons.h"
#include "Button.h"
#include "Editor.h"
#include "FilterEffekt.h"
#include "FilterSatz.h"
#include "Hauptschleife.h"
#include "Anwendung.h"
#include "Kamera.h"
#include "ObjektArgMenu.h"
#include "Oberflaeche.h"
#include "PauseMenu.h"
#include "Plattform/fmod/fmod.h"
#include "Seite.h"
#include "SpielAblauf.h"
#include "Zarvo_KonsoleStandardAnzeige.h"
#include "Zarvo_Screen3D.h"
#include "Zarvo_Start.h"

namespace Spiel {

namespace {

std::string Zahl(double wert) {
  char puffer[64];
  std::snprintf(puffer, sizeof puffer, "%.6g", wert);
  return puffer;
}

void Setze(TiXmlElement& e, const char* name, double wert) { e.SetAttribute(name, Zahl(wert)); }
void Setze(TiXmlElement& e, const char* name, const std::string& wert) { e.SetAttribute(name, wert); }

TiXmlElement* Kind(TiXmlNode& vater, const char* name) {
  return vater.InsertEndChild(TiXmlElement(name))->ToElement();
}

void SetzeZelle(TiXmlElement& e, const Szene::Zellposition& z) {
  Setze(e, "x", z.x);
  Setze(e, "y", z.y);
  Setze(e, "z", z.z);
}

// The screen point of a world point (doubled units) with the given view.
void SetzeSchirmPunkt(TiXmlElement& e, const BVektor3<float>& ort, const BMatrix& ansicht) {
  float x = -1, y = -1;
  const bool sichtbar = Kamera::ProjiziereAufBildschirm(ort, ansicht, Kamera::LiesSchirm(), x, y);
  Setze(e, "sx", x);
  Setze(e, "sy", y);
  Setze(e, "sichtbar", sichtbar ? 1 : 0);
}

void SchreibeKopf(TiXmlElement& wurzel, const Hauptschleife& schleife) {
  const Zarvo_BildschirmZustand& schirm = Zarvo_Screen3D::Zustand();
  Setze(wurzel, "bild", double(schleife.GibBildNummer()));
  Setze(wurzel, "zaehler", std::to_string(LiesZaehler()));
  Setze(wurzel, "fps", schleife.GibFps());
  Setze(wurzel, "breite", schirm.breite);
  Setze(wurzel, "hoehe", schirm.hoehe);
  Setze(wurzel, "modus", schleife.GibModus() == Hauptschleife::Modus::SPIEL ? "spiel" : "editor");
  const Zarvo_KonsoleStandardAnzeige* konsole = schleife.GibAnwendung().GibKonsole();
  Setze(wurzel, "konsole", konsole && konsole->IstSichtbar() ? 1 : 0);
  Setze(wurzel, "konsoleEingabe", konsole ? konsole->Eingabe() : "");
  Setze(wurzel, "blende", schleife.GibBlende());
  const SpielAblauf* spiel = schleife.GibSpiel();
  Setze(wurzel, "pausiert", spiel && spiel->GibUhr().IstPausiert() ? 1 : 0);
  Setze(wurzel, "cursor", double(schleife.GibCursor()));
  Setze(wurzel, "stapel", double(schleife.GibStapelSpitze()));
}

// Each active effect; the set's "staerke" (the pause fade) on the "pause" filter.
void SchreibeFilter(TiXmlElement& wurzel, const FilterSatz& satz) {
  const FilterSatz::Parameter* staerke = nullptr;
  for (const FilterSatz::Parameter& p : satz.parameter)
    if (p.name == "staerke") staerke = &p;
  for (const auto& [id, effekt] : satz.effekte) {
    TiXmlElement* f = Kind(wurzel, "filter");
    Setze(*f, "id", id);
    Setze(*f, "effekt", effekt ? effekt->name : "");
    if (staerke && effekt && effekt->name == "pause") Setze(*f, "staerke", staerke->wert[0]);
  }
}

void SchreibeSzene(TiXmlElement& wurzel, const Szene& szene, const BMatrix& ansicht) {
  for (size_t i = 0; i < szene.GibHebel().size(); ++i) {
    const Szene::Hebel& h = szene.GibHebel()[i];
    TiXmlElement* e = Kind(wurzel, "hebel");
    SetzeZelle(*e, h.zelle);
    Setze(*e, "zustand", h.zustand);
    SetzeSchirmPunkt(*e, h.position, ansicht);
  }
  // Two buttons may share a cell (a keypad's rows): the index tells them apart.
  for (size_t i = 0; i < szene.GibKnoepfe().size(); ++i) {
    const Szene::Knopf& k = szene.GibKnoepfe()[i];
    TiXmlElement* e = Kind(wurzel, "knopf");
    Setze(*e, "nr", double(i));
    SetzeZelle(*e, k.zelle);
    SetzeSchirmPunkt(*e, k.position, ansicht);
  }
  for (const Szene::Gitter& g : szene.GibGitter()) {
    TiXmlElement* e = Kind(wurzel, "gitter");
    SetzeZelle(*e, g.zelle);
    Setze(*e, "zustand", g.zustand);
  }
  for (const Szene::Ausloeser& a : szene.GibAusloeser()) {
    TiXmlElement* e = Kind(wurzel, "ausloeser");
    SetzeZelle(*e, {int32_t(a.x), int32_t(a.y), int32_t(a.z)});
    Setze(*e, "anzahl", a.anzahl);
  }
  szene.GibGegenstaende().FuerLebende([&](uint64_t slot, const Szene::Gegenstand& g) {
    TiXmlElement* e = Kind(wurzel, "gegenstand");
    Setze(*e, "slot", double(slot));
    Setze(*e, "typ", g.def);
    Setze(*e, "x", g.position.x);
    Setze(*e, "y", g.position.y);
    Setze(*e, "z", g.position.z);
    SetzeSchirmPunkt(*e, g.position * 2.0f, ansicht);
  });
  TiXmlElement* generator = Kind(wurzel, "generator");
  Setze(*generator, "offen", double(szene.generator.Offen()));
  Setze(*generator, "anforderungen", double(szene.generator.AnzahlAnforderungen()));
  Setze(*generator, "patches", double(szene.generator.AnzahlPatches()));
}

void SchreibeSpiel(TiXmlElement& wurzel, const SpielAblauf& spiel) {
  TiXmlElement* spieler = Kind(wurzel, "spieler");
  SetzeZelle(*spieler, spiel.GibZelle());
  Setze(*spieler, "blick", spiel.GibBlick());
  Setze(*spieler, "getragen", spiel.GibGetragen().da ? double(spiel.GibGetragen().typ) : -1.0);
  SchreibeSzene(wurzel, spiel.GibSzene(), spiel.GibAnsicht());
}

void SchreibeEditor(TiXmlElement& wurzel, const Editor& editor) {
  TiXmlElement* e = Kind(wurzel, "editor");
  Setze(*e, "modus", editor.GibModus());
  Setze(*e, "schicht", editor.GibSchicht());
  SetzeZelle(*e, editor.GibCursorZelle());
  Setze(*e, "auswahl", double(editor.GibAuswahl().size()));
  Setze(*e, "undo", double(editor.GibRueckgaengigTiefe()));
  Setze(*e, "dialog", editor.GibDialog() ? 1 : 0);
  SchreibeSzene(wurzel, editor.GibSzene(), editor.GibAnsicht());
}

std::string SeitenTyp(const Gui::Basis& seite) {
  if (dynamic_cast<const PauseMenu*>(&seite)) return "PauseMenu";
  if (dynamic_cast<const ObjektArgMenu*>(&seite)) return "ObjektArgMenu";
  if (dynamic_cast<const Gui::Seite*>(&seite)) return "Seite";
  return seite.GetTyp();
}

void SetzeRechteck(TiXmlElement& e, const Gui::Basis& b) {
  const BVektor3<float> p = b.AbsolutePosition(), g = b.GespeicherteGroesse();
  Setze(e, "x", p.x);
  Setze(e, "y", p.y);
  Setze(e, "w", g.x);
  Setze(e, "h", g.y);
}

void SchreibeKnoepfe(TiXmlElement& seite, const Gui::Basis& b) {
  if (const auto* knopf = dynamic_cast<const Gui::Button*>(&b)) {
    TiXmlElement* e = Kind(seite, "button");
    Setze(*e, "text", knopf->beschriftung);
    SetzeRechteck(*e, *knopf);
  }
  if (const auto* vater = dynamic_cast<const Gui::VaterBasis*>(&b))
    for (const Gui::Basis* kind : vater->Kinder()) SchreibeKnoepfe(seite, *kind);
}

void SchreibeSeiten(TiXmlElement& wurzel, const Gui::Oberflaeche& oberflaeche) {
  for (const Gui::Basis* kind : oberflaeche.Kinder()) {
    TiXmlElement* e = Kind(wurzel, "seite");
    Setze(*e, "typ", SeitenTyp(*kind));
    Setze(*e, "sichtbar", kind->IstSichtbar() ? 1 : 0);
    const auto* vater = dynamic_cast<const Gui::VaterBasis*>(kind);
    Setze(*e, "modal", vater && vater->IstModal() ? 1 : 0);
    SetzeRechteck(*e, *kind);
    SchreibeKnoepfe(*e, *kind);
  }
}

void SchreibeKlaenge(TiXmlElement& wurzel) {
  for (const auto& [datei, anzahl] : FMOD::NimmGestarteteKlaenge()) {
    TiXmlElement* e = Kind(wurzel, "klang");
    const size_t schnitt = datei.find_last_of('/');
    Setze(*e, "datei", schnitt == std::string::npos ? datei : datei.substr(schnitt + 1));
    Setze(*e, "anzahl", anzahl);
  }
}

}  // namespace

std::string Zustandsbericht(const Hauptschleife& schleife) {
  TiXmlElement wurzel("zustand");
  SchreibeKopf(wurzel, schleife);
  if (const FilterSatz* satz = schleife.GibNachFilter()) SchreibeFilter(wurzel, *satz);
  if (const SpielAblauf* spiel = schleife.GibSpiel()) SchreibeSpiel(wurzel, *spiel);
  if (const Editor* editor = schleife.GibEditor()) SchreibeEditor(wurzel, *editor);
  if (const Buttons* bruecke = schleife.GibBruecke()) SchreibeSeiten(wurzel, *bruecke->GibOberflaeche());
  SchreibeKlaenge(wurzel);
  TiXmlPrinter drucker;
  drucker.SetStreamPrinting();
  wurzel.Accept(&drucker);
  return drucker.Str();
}

}  // namespace Spiel
