#include "Zarvo_Renderziel.h"

#include <algorithm>

#include "Zarvo_Ausnahme.h"
#include "Zarvo_Textur.h"
#include "Zarvo_WuerfelTextur.h"
#include "Zarvo_ZBuffer.h"

using namespace d3d9;

Zarvo_RenderzielBeschr::Zarvo_RenderzielBeschr(Zarvo_BasisObjekt* farbe, Zarvo_ZBuffer* tiefe) : tiefe(tiefe) {
  farbBuffer[0] = farbe;
  if (auto* textur = dynamic_cast<Zarvo_TexturBasis*>(farbe)) {
    breite = textur->breite;
    hoehe = textur->hoehe;
  }
  if (tiefe && (tiefe->breite < breite || tiefe->hoehe < hoehe)) ZARVO_PRUEFE("ZBuffer zu klein für Renderziel");
}

Zarvo_Renderziel::Zarvo_Renderziel(Zarvo_ZeichenKontext& kontext, const Zarvo_RenderzielBeschr& beschreibung)
    : beschreibung(beschreibung), kontext(kontext) {
  ErzeugeDaten();
}

void Zarvo_Renderziel::Benutzen() {
  if (zustand == ZUSTAND_FEHLT) ErzeugeDaten();
}

void Zarvo_Renderziel::ErzeugeDaten() {
  GibFlaechenFrei();
  uint64_t anzahl = beschreibung.anzahl;
  if (anzahl < 1 || anzahl > Zarvo_RenderzielBeschr::NUTZBARE_FARBBUFFER) {
    ZARVO_PRUEFE("Ungültige Anzahl Renderziel-FarbBuffer");
    anzahl = std::min(anzahl, Zarvo_RenderzielBeschr::NUTZBARE_FARBBUFFER);
  }
  bool vollstaendig = true;
  for (uint64_t i = 0; i < anzahl; ++i) {
    Zarvo_BasisObjekt* buffer = beschreibung.farbBuffer[i];
    auto* textur = dynamic_cast<Zarvo_Textur*>(buffer);
    auto* wuerfel = dynamic_cast<Zarvo_WuerfelTextur*>(buffer);
    if (textur == nullptr && wuerfel == nullptr) {
      SchreibePruefZeile("Renderziel-FarbBuffer ist keine Textur", "Zarvo_Renderziel::ErzeugeDaten", QuellPfad(__FILE__), __LINE__);
      continue;
    }
    buffer->Benutzen();
    // A colour buffer whose device texture is missing leaves the target in state 2 for a retry.
    farbFlaechen[i] = textur ? textur->HoleOberflaeche(0, 0) : wuerfel->HoleOberflaeche(beschreibung.seiten[i], 0);
    if (farbFlaechen[i] == nullptr) vollstaendig = false;
  }
  if (beschreibung.tiefe) {
    beschreibung.tiefe->Benutzen();
    tiefenFlaeche = beschreibung.tiefe->flaeche;
    if (tiefenFlaeche == nullptr) vollstaendig = false;
  }
  zustand = vollstaendig ? ZUSTAND_BEREIT : ZUSTAND_FEHLT;
}

void Zarvo_Renderziel::GibFlaechenFrei() {
  for (auto* slots : {farbFlaechen, weitereFlaechen})
    for (int i = 0; i < SLOTS; ++i) {
      if (slots[i]) slots[i]->Release();
      slots[i] = nullptr;
    }
  tiefenFlaeche = nullptr;
  if (zustand == ZUSTAND_BEREIT) zustand = ZUSTAND_FEHLT;
}
