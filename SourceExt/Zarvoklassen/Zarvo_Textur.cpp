#include "Zarvo_Textur.h"

#include "Zarvo_Ausnahme.h"
#include "Zarvo_Bild.h"
#include "Zarvo_Start.h"
#include "Zarvo_WuerfelTextur.h"
#include "Zarvo_ZeichenKontext.h"

using namespace d3d9;

Zarvo_Textur::Zarvo_Textur(Zarvo_ZeichenKontext& kontext, uint64_t breite, uint64_t hoehe, uint64_t mipAnzahl, uint32_t flags,
                           const Zarvo_TexturVorgabe& vorgabe)
    : Zarvo_TexturBasis(kontext, 1, flags) {
  this->breite = breite;  // the log lines of the steps name the size as asked
  this->hoehe = hoehe;
  Baue(breite, hoehe, mipAnzahl, &vorgabe.stufen, vorgabe.besitz);
}

Zarvo_Textur::~Zarvo_Textur() { GibGeraeteTexturFrei(); }

void Zarvo_Textur::Melde(Meldung meldung, uint64_t, uint64_t stufe) {
  const int w = int(breite), h = int(hoehe), m = int(wunschMips);
  switch (meldung) {
    case Meldung::FORMAT:
      g_Log.Schreibe("?Zarvo_Textur::Zarvo_Textur( %d, %d, %d, 0x%x, ...): Ungültiges Texturformat", w, h, m, wunschFlags);
      ZARVO_PRUEFE("Ungültiges Texturformat");
      break;
    case Meldung::ZUVIELE_STUFEN:
      g_Log.DebugAusgabe("?Zarvo_Textur::Zarvo_Textur( %d, %d, %d, %d): Zuviele MipMap-Stufen angegeben.", w, h, m, int(wunschFlags));
      break;
    case Meldung::FLUECHTIG:
      g_Log.DebugAusgabe("?Zarvo_Textur::Zarvo_Textur( %d, %d, %d, 0x%x): Renderziel-Texturen sind immer flüchtig.", w, h, m, wunschFlags);
      break;
    case Meldung::DXT_STUFEN:
      g_Log.Schreibe("?Zarvo_Textur::Zarvo_Textur( %d, %d, %d, 0x%x, ...): Keine automatischen MipMaps für komprimierte "
                     "Texturformate. Ich vermute manuelle MipMaps.", w, h, m, wunschFlags);
      break;
    case Meldung::OHNE_INHALT:
      g_Log.Schreibe("!Zarvo_Textur::ZarvoTextur( %d, %d, ...): Textur ohne Initialinhalt muss dynamisch sein", w, h);
      break;
    case Meldung::VORGABE:
      g_Log.Schreibe("!Zarvo_Textur::ZarvoTextur( %d, %d, ...): Vorgabegrafik für Mip-Stufe %d ist ungültig", w, h, int(stufe));
      ZARVO_PRUEFE("Ungültige Vorgabedaten");
      break;
    case Meldung::GROESSE:
      g_Log.Schreibe("!Zarvo_Textur::ZarvoTextur( %d, %d, ...): Ungültige Texturgröße.", w, h);
      ZARVO_PRUEFE("Ungültige Texturgröße.");
      break;
  }
}

bool Zarvo_Textur::PruefeGroesse() const {
  return breite != 0 && hoehe != 0 && breite <= kontext.faehigkeiten[0] && hoehe <= kontext.faehigkeiten[1];
}

HRESULT Zarvo_Textur::ErzeugeGeraeteTextur(uint32_t levels, uint32_t usage) {
  return kontext.impl.geraet->CreateTexture(UINT(breite), UINT(hoehe), levels, usage, d3dFormat, D3DPOOL_DEFAULT, &textur, nullptr);
}

void Zarvo_Textur::MeldeErzeugungsFehler(HRESULT ergebnis) {
  g_Log.Schreibe("!Zarvo_Textur::Benutzen(): Erzeugung der Textur gescheitert. Rückgabewert: %ld", long(ergebnis));
  ZARVO_PRUEFE("Textur-Erzeugung gescheitert.");
}

void Zarvo_Textur::GibGeraeteTexturFrei() {
  if (textur) textur->Release();
  textur = nullptr;
}

IDirect3DSurface9* Zarvo_Textur::HoleOberflaeche(uint32_t, uint64_t stufe) {
  IDirect3DSurface9* flaeche = nullptr;
  if (textur == nullptr || FAILED(textur->GetSurfaceLevel(UINT(stufe), &flaeche))) return nullptr;
  return flaeche;
}

HRESULT Zarvo_Textur::Sperre(uint32_t, uint64_t stufe, D3DLOCKED_RECT& gesperrt, const RECT* rechteck, uint32_t flags) {
  return textur->LockRect(UINT(stufe), &gesperrt, rechteck, flags);
}

void Zarvo_Textur::Entsperre(uint32_t, uint64_t stufe) { textur->UnlockRect(UINT(stufe)); }

void Zarvo_Textur::MeldeTemporaerFehler(uint32_t, uint64_t stufe) {
  g_Log.Schreibe("!Zarvo_Textur::InternSchreibeInhalt( %d, %d, %d, ...): Erzeugen der temporären Textur gescheitert.", int(stufe),
                 int(breite), int(hoehe));
}

Zarvo_TexturBasis* Zarvo_ErzeugeTexturAusBild(Zarvo_ZeichenKontext& kontext, Zarvo_Bild& bild) {
  const uint32_t flags = uint32_t(bild.Format()) | (bild.MipAnzahl() >= 2 ? Zarvo_BasisObjekt::FLAG_MIPMAPS : 0);
  if (!bild.IstCubeMap()) return kontext.ErzeugeTextur(bild.Breite(), bild.Hoehe(), bild.MipAnzahl(), flags, Zarvo_TexturVorgabe(bild, 0));
  Zarvo_WuerfelTexturVorgabe vorgabe;
  for (uint32_t seite = 0; seite < 6; ++seite) {
    Zarvo_Bild* flaeche = bild.Seite(int(seite));
    if (flaeche) Zarvo_WuerfelTextur::FuelleSeite(vorgabe, seite, *flaeche);
  }
  return kontext.ErzeugeWuerfelTextur(bild.Breite(), bild.MipAnzahl(), flags, vorgabe);
}
