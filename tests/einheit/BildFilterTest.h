#pragma once
// Fixture of the image filter tests: the screen on the recording device at 1280 x 720 with the
// log recorded, a filter manager over an empty folder for effects loaded from text, readable
// forms of effects, chains and log lines, and a recorder of the device state at every draw.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "EigenerOrdner.h"
#include "FilterVerwaltung.h"
#include "FilterVorlagen.h"
#include "LogMitschnitt.h"
#include "NullBildschirm.h"
#include "Plattform/d3d9/null/NullGeraet.h"
#include "Plattform/d3d9/null/NullObjekte.h"
#include "Zarvo_AlphaZustand.h"
#include "Zarvo_Programm.h"
#include "Zarvo_Renderziel.h"
#include "Zarvo_Textur.h"
#include "Zarvo_ZeichenKontext.h"

namespace bildfiltertest {

inline std::string Zahl(double wert) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", wert);
  return text;
}

// "E[inputs] B(description) F name(input:sampler:constant:addressing:filtering,...)>output/divider/format[/a<src>,<dst>]
// T name(description,default) P name=constant(r,g,b,a)".
inline std::string BeschreibeEffekt(const FilterEffekt& e) {
  std::string text = "E[";
  for (size_t i = 0; i < e.eingaben.size(); ++i) text += (i ? "," : "") + e.eingaben[i];
  text += "]";
  if (!e.beschreibung.empty()) text += " B(" + e.beschreibung + ")";
  for (const auto& f : e.filter) {
    text += " F " + f->name + "(";
    for (size_t i = 0; i < f->eingaben.size(); ++i) {
      const BildFilter::Filter::Eingabe& in = f->eingaben[i];
      text += (i ? "," : "") + in.name + ":" + in.sampler + ":" + in.konstante + ":" + std::to_string(in.adressierung) + ":" +
              std::to_string(in.filterung);
    }
    text += ")>" + f->ausgabeName + "/" + std::to_string(f->teiler) + "/" + std::to_string(f->pixelformat);
    if (f->alphaZustand)
      text += "/a" + std::to_string(f->alphaZustand->beschreibung.ziele[0].farbQuelle) + "," +
              std::to_string(f->alphaZustand->beschreibung.ziele[0].farbZiel);
  }
  for (const FilterEffekt::Textur& t : e.texturen) text += " T " + t.name + "(" + t.beschreibung + "," + t.standard + ")";
  for (const FilterEffekt::Parameter& p : e.parameter)
    text += " P " + p.name + "=" + p.konstante + "(" + Zahl(p.standard[0]) + "," + Zahl(p.standard[1]) + "," + Zahl(p.standard[2]) +
            "," + Zahl(p.standard[3]) + ")";
  return text;
}

// Images as "kind name divider format", steps as "effect/filter [inputs] > output".
inline std::vector<std::string> BeschreibeBilder(const FilterSatz& satz) {
  std::vector<std::string> bilder;
  for (const FilterSatz::Bild& b : satz.bilder)
    bilder.push_back(std::to_string(b.art) + " " + b.name + " " + std::to_string(b.teiler) + " " + std::to_string(b.pixelformat));
  return bilder;
}
inline std::vector<std::string> BeschreibeSchritte(const FilterSatz& satz) {
  std::vector<std::string> schritte;
  for (const FilterSatz::Schritt& s : satz.schritte) {
    std::string text = s.effekt->name + "/" + s.filter->name + " [";
    for (size_t i = 0; i < s.eingaben.size(); ++i) text += (i ? "," : "") + std::to_string(s.eingaben[i]);
    schritte.push_back(text + "] > " + std::to_string(s.ausgabe));
  }
  return schritte;
}

// Whether the lines match the expected ones; an expected line ending in '*' matches by prefix.
inline ::testing::AssertionResult ZeilenPassen(const std::vector<std::string>& zeilen, const std::vector<std::string>& erwartet) {
  bool gleich = zeilen.size() == erwartet.size();
  for (size_t i = 0; gleich && i < zeilen.size(); ++i) {
    const std::string& e = erwartet[i];
    gleich = !e.empty() && e.back() == '*' ? zeilen[i].rfind(e.substr(0, e.size() - 1), 0) == 0 : zeilen[i] == e;
  }
  if (gleich) return ::testing::AssertionSuccess();
  ::testing::AssertionResult fehler = ::testing::AssertionFailure();
  fehler << "lines:";
  for (const std::string& z : zeilen) fehler << "\n  " << z;
  fehler << "\nexpected:";
  for (const std::string& z : erwartet) fehler << "\n  " << z;
  return fehler;
}

// What the device had in force at one draw.
struct Zeichnung {
  const d3d9::null::Oberflaeche* ziel = nullptr;
  d3d9::D3DVIEWPORT9 viewport{};
  std::array<d3d9::Objekt*, 16> texturen{};
  std::array<std::map<d3d9::DWORD, d3d9::DWORD>, 16> sampler;
  std::array<float, d3d9::null::Geraet::VERTEX_REGISTER * 4> vertexRegister{};
  std::array<float, d3d9::null::Geraet::PIXEL_REGISTER * 4> pixelRegister{};
  std::map<d3d9::DWORD, d3d9::DWORD> renderStates;
};

class BildFilterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(bildschirm.Offen());
    belegtAmAnfang = bildschirm.Belegt();
    verwaltung = std::make_unique<FilterVerwaltung>(ordner.Pfad());
    welt->beiZeichnung = [this](d3d9::null::Geraet& g) { Merke(g); };
  }
  void TearDown() override { welt->beiZeichnung = nullptr; }

  // Loads an effect from text; lines written so far are dropped.
  const FilterEffekt* Lade(const std::string& name, const std::string& text) {
    const FilterEffekt* effekt = verwaltung->LadeEffektAusText(name, text);
    log.zeilen.clear();
    return effekt;
  }
  // The lines written since the last call.
  std::vector<std::string> NeueZeilen() {
    std::vector<std::string> neu;
    neu.swap(log.zeilen);
    return neu;
  }

  void Merke(const d3d9::null::Geraet& g) {
    Zeichnung z;
    z.ziel = dynamic_cast<const d3d9::null::Oberflaeche*>(g.renderZiele[0]);
    z.viewport = g.viewport;
    for (size_t i = 0; i < 16; ++i) {
      z.texturen[i] = g.texturen[i];
      z.sampler[i] = g.samplerStates[i];
    }
    z.vertexRegister = g.vertexRegister;
    z.pixelRegister = g.pixelRegister;
    z.renderStates = g.renderStates;
    zeichnungen.push_back(std::move(z));
  }

  // A 1280 x 720 (or other) texture of the engine, e.g. the HDR image.
  Zarvo_Textur* Textur(uint64_t w, uint64_t h, uint32_t format) {
    return kontext->ErzeugeTextur(w, h, 1, format | Zarvo_BasisObjekt::FLAG_FLUECHTIG | Zarvo_BasisObjekt::FLAG_RENDERZIEL, {});
  }
  static d3d9::Objekt* Geraetetextur(const Zarvo_Textur* textur) {
    return textur && textur->textur ? dynamic_cast<d3d9::Objekt*>(textur->textur) : nullptr;
  }
  int Erzeugt() const { return welt->Anzahl("CreateTexture"); }

  LogMitschnitt log;
  NullBildschirm bildschirm{1280, 720};
  Zarvo_ZeichenKontext* kontext = bildschirm.Kontext();
  d3d9::null::Welt* welt = d3d9::null::AktuelleWelt();
  EigenerOrdner ordner;
  std::unique_ptr<FilterVerwaltung> verwaltung;
  std::vector<Zeichnung> zeichnungen;
  int belegtAmAnfang = 0;
};

}  // namespace bildfiltertest
