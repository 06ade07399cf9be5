#include "Zarvo_WuerfelTextur.h"

#include "Zarvo_Ausnahme.h"
#include "Zarvo_Bild.h"
#include "Zarvo_D3DTabellen.h"
#include "Zarvo_Start.h"
#include "Zarvo_ZeichenKontext.h"

using namespace d3d9;

Zarvo_WuerfelTextur::Zarvo_WuerfelTextur(Zarvo_ZeichenKontext& kontext, uint64_t kante, uint64_t mipAnzahl, uint32_t flags,
                                         const Zarvo_WuerfelTexturVorgabe& vorgabe)
    : Zarvo_TexturBasis(kontext, 6, flags) {
  if (kante == 0) kante = vorgabe.seiten[0][0].Breite();
  breite = hoehe = kante;
  Baue(kante, kante, mipAnzahl, vorgabe.seiten, vorgabe.besitz);
}

Zarvo_WuerfelTextur::~Zarvo_WuerfelTextur() { GibGeraeteTexturFrei(); }

void Zarvo_WuerfelTextur::FuelleSeite(Zarvo_WuerfelTexturVorgabe& vorgabe, uint32_t seite, Zarvo_Bild& flaeche) {
  const Zarvo_TexturVorgabe stufen(flaeche, 0);
  for (int l = 0; l < Zarvo_TexturVorgabe::STUFEN; ++l) vorgabe.seiten[seite][l] = stufen.stufen[l];
}

void Zarvo_WuerfelTextur::Melde(Meldung meldung, uint64_t seite, uint64_t stufe) {
  const int k = int(breite), m = int(wunschMips);
  switch (meldung) {
    case Meldung::FORMAT:
      g_Log.DebugAusgabe("?Zarvo_WuerfelTextur::Zarvo_WuerfelTextur( %d, %d, %d, 0x%x): Ungültiges Texturformat, PXFMT_A8R8G8B8 angenommen.",
                         k, m, int(wunschFlags & 0xFF), wunschFlags);
      break;
    case Meldung::ZUVIELE_STUFEN:
      g_Log.DebugAusgabe("?Zarvo_WuerfelTextur::Zarvo_WuerfelTextur( %d, %d, %d): Zuviele MipMap-Stufen angegeben.", k, m, int(wunschFlags));
      break;
    case Meldung::FLUECHTIG:
      g_Log.DebugAusgabe("?Zarvo_WuerfelTextur::Zarvo_WuerfelTextur( %d, %d, %d): Renderziel-Texturen sind immer flüchtig.", k, m,
                         int(wunschFlags));
      break;
    case Meldung::DXT_STUFEN:
      g_Log.Schreibe("?Zarvo_WuerfelTextur::Zarvo_WuerfelTextur( %d, %d, 0x%x, ...): Keine automatischen MipMaps für komprimierte "
                     "Texturformate. Ich vermute manuelle MipMaps.", k, m, wunschFlags);
      break;
    case Meldung::OHNE_INHALT:
      g_Log.Schreibe("!Zarvo_WuerfelTextur::Zarvo_WuerfelTextur( %d, %d, 0x%x...): Textur ohne Initialinhalt muss dynamisch sein", k, m,
                     wunschFlags);
      break;
    case Meldung::VORGABE:
      g_Log.Schreibe("!Zarvo_WuerfelTextur::Zarvo_WuerfelTextur( %d, %d, 0x%x, ...): Vorgabegrafik für Seite %d, Mip-Stufe %d ist ungültig",
                     k, m, wunschFlags, int(seite), int(stufe));
      ZARVO_PRUEFE("Ungültige Vorgabedaten");
      break;
    case Meldung::GROESSE:
      g_Log.Schreibe("!Zarvo_WuerfelTextur::Zarvo_WuerfelTextur( %d, %d, 0x%x, ...): Ungültige Texturgröße.", k, m, wunschFlags);
      ZARVO_PRUEFE("Ungültige Texturgröße.");
      break;
  }
}

bool Zarvo_WuerfelTextur::PruefeGroesse() const {
  return breite != 0 && breite <= kontext.faehigkeiten[0] && breite <= kontext.faehigkeiten[1];
}

HRESULT Zarvo_WuerfelTextur::ErzeugeGeraeteTextur(uint32_t levels, uint32_t usage) {
  return kontext.impl.geraet->CreateCubeTexture(UINT(breite), levels, usage, d3dFormat, D3DPOOL_DEFAULT, &textur, nullptr);
}

void Zarvo_WuerfelTextur::MeldeErzeugungsFehler(HRESULT) {
  g_Log.Schreibe("!Zarvo_WuerfelTextur::Benutzen(): Erzeugung der CubeMap gescheitert.");
  ZARVO_PRUEFE("CubeMap-Erzeugung gescheitert.");
}

void Zarvo_WuerfelTextur::GibGeraeteTexturFrei() {
  if (textur) textur->Release();
  textur = nullptr;
}

IDirect3DSurface9* Zarvo_WuerfelTextur::HoleOberflaeche(uint32_t seite, uint64_t stufe) {
  IDirect3DSurface9* flaeche = nullptr;
  if (textur == nullptr || FAILED(textur->GetCubeMapSurface(Zarvo::GetD3DSeite(seite), UINT(stufe), &flaeche))) return nullptr;
  return flaeche;
}

HRESULT Zarvo_WuerfelTextur::Sperre(uint32_t seite, uint64_t stufe, D3DLOCKED_RECT& gesperrt, const RECT* rechteck, uint32_t flags) {
  return textur->LockRect(Zarvo::GetD3DSeite(seite), UINT(stufe), &gesperrt, rechteck, flags);
}

void Zarvo_WuerfelTextur::Entsperre(uint32_t seite, uint64_t stufe) { textur->UnlockRect(Zarvo::GetD3DSeite(seite), UINT(stufe)); }

void Zarvo_WuerfelTextur::MeldeTemporaerFehler(uint32_t seite, uint64_t stufe) {
  g_Log.Schreibe("!Zarvo_WuerfelTextur::InternSchreibeInhalt( %d, %d, %d, %d, ...): Erzeugen der temporären Textur gescheitert.",
                 int(seite), int(stufe), int(breite), int(breite));
}
