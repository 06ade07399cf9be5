#include "Zarvo_TexturBasis.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <set>

#include "Zarvo_Ausnahme.h"
#include "Zarvo_Bild.h"
#include "Zarvo_D3DTabellen.h"
#include "Zarvo_ZeichenKontext.h"

using namespace d3d9;

namespace {
uint64_t AufVier(uint64_t n) { return (n + 3) / 4 * 4; }

// floor(log2(max(w, h))) + 1: halvings until both are 0.
uint64_t MoeglicheStufen(uint64_t breite, uint64_t hoehe) {
  uint64_t stufen = 0;
  for (uint64_t groesste = std::max(breite, hoehe); groesste > 0; groesste >>= 1) ++stufen;
  return std::max<uint64_t>(stufen, 1);
}
}  // namespace

Zarvo_TexturVorgabe::Zarvo_TexturVorgabe(Zarvo_Bild& bild, uint32_t besitz) : besitz(besitz) {
  for (uint64_t l = 0; l < uint64_t(STUFEN); ++l) {
    Zarvo_Bild* stufe = bild.HoleMipStufe(l);
    if (stufe == nullptr || stufe->IstLeer()) break;
    stufe->LockBereich(stufen[l]);
  }
}

bool HatDaten(const TBereich& b) { return b.Daten() != nullptr && b.Breite() != 0 && b.Hoehe() != 0 && b.Pitch() != 0; }

Zarvo_TexturBasis::Zarvo_TexturBasis(Zarvo_ZeichenKontext& kontext, uint32_t seiten, uint32_t flags)
    : Zarvo_BasisObjekt(flags), kontext(kontext), seitenAnzahl(seiten), wunschFlags(flags) {}

Zarvo_TexturBasis::~Zarvo_TexturBasis() {
  for (auto& seite : kopien)
    for (uint8_t*& kopie : seite) std::free(kopie);
}

uint64_t Zarvo_TexturBasis::StufenBreite(uint64_t stufe) const { return std::max<uint64_t>(stufe < 64 ? breite >> stufe : 0, 1); }
uint64_t Zarvo_TexturBasis::StufenHoehe(uint64_t stufe) const { return std::max<uint64_t>(stufe < 64 ? hoehe >> stufe : 0, 1); }

uint64_t Zarvo_TexturBasis::KopieBytes(uint64_t stufe) const {
  const uint64_t zeilen = IstDxtFormat(format) ? AufVier(StufenHoehe(stufe)) : StufenHoehe(stufe);
  return Zarvo_Bild::BytesProZeile(format, StufenBreite(stufe)) * zeilen;
}

uint64_t Zarvo_TexturBasis::Bytes() const {
  uint64_t summe = 0;
  for (uint64_t l = 0; l < mipAnzahl; ++l) summe += Zarvo_Bild::BytesProBild(format, StufenBreite(l), StufenHoehe(l));
  return summe * seitenAnzahl;
}

TBereich Zarvo_TexturBasis::KopieAlsBereich(uint32_t seite, uint64_t stufe) const {
  if (seite >= seitenAnzahl || stufe >= uint64_t(MAX_STUFEN) || kopien[seite][stufe] == nullptr) return {};
  return TBereich(kopien[seite][stufe], StufenBreite(stufe), StufenHoehe(stufe), Zarvo_Bild::BytesProZeile(format, StufenBreite(stufe)),
                  format);
}

bool Zarvo_TexturBasis::StufeGueltig(const TBereich& e, uint64_t stufe) const {
  return HatDaten(e) && e.Breite() == StufenBreite(stufe) && e.Hoehe() == StufenHoehe(stufe) && e.Format() == format;
}

void Zarvo_TexturBasis::Baue(uint64_t w, uint64_t h, uint64_t mipWunsch, const TBereich (*vorgaben)[MAX_STUFEN], uint32_t besitz) {
  breite = w ? w : vorgaben[0][0].Breite();
  hoehe = h ? h : vorgaben[0][0].Hoehe();
  mipAnzahl = wunschMips = mipWunsch;
  format = Zarvo_Pixelformat(flags & 0xFF);
  if (format >= PXFMT_ANZAHL) {
    Melde(Meldung::FORMAT, 0, 0);
    format = PXFMT_A8R8G8B8;
    flags &= ~0xFFu;
  }
  const uint64_t moeglich = MoeglicheStufen(breite, hoehe);
  if (mipAnzahl == 0) mipAnzahl = moeglich;
  if (mipAnzahl > moeglich) {
    Melde(Meldung::ZUVIELE_STUFEN, 0, 0);
    mipAnzahl = moeglich;
  }
  mipAnzahl = std::min<uint64_t>(mipAnzahl, MAX_STUFEN);
  if ((flags & FLAG_RENDERZIEL) && !(flags & FLAG_FLUECHTIG)) {
    Melde(Meldung::FLUECHTIG, 0, 0);
    flags |= FLAG_FLUECHTIG;
  }
  if (IstDxtFormat(format) && !(flags & FLAG_MIPMAPS)) {
    Melde(Meldung::DXT_STUFEN, 0, 0);
    flags |= FLAG_MIPMAPS;
  }
  const bool hatInhalt = HatDaten(vorgaben[0][0]);
  if (!hatInhalt && !(flags & (FLAG_DYNAMISCH | FLAG_RENDERZIEL))) {
    Melde(Meldung::OHNE_INHALT, 0, 0);
    flags |= FLAG_DYNAMISCH;
  }
  bool gueltig[6][MAX_STUFEN] = {};
  if (hatInhalt)
    for (uint32_t s = 0; s < seitenAnzahl; ++s)
      for (uint64_t l = 0; l < GegebeneStufen(); ++l) {
        gueltig[s][l] = StufeGueltig(vorgaben[s][l], l);
        if (!gueltig[s][l]) Melde(Meldung::VORGABE, s, l);
      }
  if (!PruefeGroesse()) {
    Melde(Meldung::GROESSE, 0, 0);
    ungueltig = true;
  }
  d3dFormat = Zarvo::GetD3DPixelFormat(format);
  zustand = ZUSTAND_FEHLT;
  StempleNutzung();

  if (!ungueltig && Erzeuge()) {
    for (uint32_t s = 0; s < seitenAnzahl; ++s)
      for (uint64_t l = 0; l < GegebeneStufen(); ++l)
        if (gueltig[s][l]) SchreibeInhalt(s, l, vorgaben[s][l]);
    if (hatInhalt && AutoMips()) {
      Benutzen();
      if (GeraeteBasis()) GeraeteBasis()->GenerateMipSubLevels();
    }
  }
  BehalteKopien(vorgaben, besitz, gueltig);
}

void Zarvo_TexturBasis::BehalteKopien(const TBereich (*vorgaben)[MAX_STUFEN], uint32_t besitz, const bool (*gueltig)[MAX_STUFEN]) {
  std::set<uint8_t*> uebernommen;
  if (!(flags & FLAG_FLUECHTIG) && !ungueltig)
    for (uint32_t s = 0; s < seitenAnzahl; ++s)
      for (uint64_t l = 0; l < GegebeneStufen(); ++l) {
        const TBereich& e = vorgaben[s][l];
        const uint64_t zeile = Zarvo_Bild::BytesProZeile(format, StufenBreite(l));
        // A buffer at a foreign pitch would later be read at the row size: copy it instead.
        if (besitz == 1 && gueltig[s][l] && e.Pitch() == zeile && !uebernommen.count(e.Daten())) {
          kopien[s][l] = e.Daten();
          uebernommen.insert(e.Daten());
          continue;
        }
        kopien[s][l] = static_cast<uint8_t*>(std::calloc(1, KopieBytes(l)));
        TBereich ziel(kopien[s][l], StufenBreite(l), StufenHoehe(l), zeile, format);
        if (gueltig[s][l]) TBereich::KopiereKonvertiert(e, ziel);
      }
  if (besitz != 1) return;
  std::set<uint8_t*> freigegeben;
  for (uint32_t s = 0; s < seitenAnzahl; ++s)
    for (int l = 0; l < MAX_STUFEN; ++l) {
      uint8_t* daten = vorgaben[s][l].Daten();
      if (daten == nullptr || uebernommen.count(daten) || !freigegeben.insert(daten).second) continue;
      std::free(daten);
    }
}

bool Zarvo_TexturBasis::Erzeuge() {
  uint32_t usage = 0;
  if (flags & FLAG_DYNAMISCH) usage |= D3DUSAGE_DYNAMIC;
  if (AutoMips()) usage |= D3DUSAGE_AUTOGENMIPMAP;
  if (flags & FLAG_RENDERZIEL) usage |= D3DUSAGE_RENDERTARGET;
  const uint32_t levels = (flags & FLAG_MIPMAPS) ? uint32_t(mipAnzahl) : (mipAnzahl >= 2 ? 0 : 1);
  HRESULT ergebnis = D3D_OK;
  const bool ok = kontext.ErzeugeMitPlatz(*this, true, [&] { return ergebnis = ErzeugeGeraeteTextur(levels, usage); });
  if (!ok && kontext.HatGeraet()) MeldeErzeugungsFehler(ergebnis);
  return ok;
}

void Zarvo_TexturBasis::Benutzen() {
  StempleNutzung();
  if (zustand != ZUSTAND_FEHLT || ungueltig || !Erzeuge()) return;
  if (!(flags & FLAG_FLUECHTIG)) SchreibeKopienZurueck();
}

void Zarvo_TexturBasis::SchreibeKopienZurueck() {
  for (uint32_t s = 0; s < seitenAnzahl; ++s)
    for (uint64_t l = 0; l < GegebeneStufen(); ++l)
      if (kopien[s][l]) SchreibeInhalt(s, l, KopieAlsBereich(s, l));
  if (AutoMips() && GeraeteBasis()) GeraeteBasis()->GenerateMipSubLevels();
}

void Zarvo_TexturBasis::VorZuruecksetzen() {
  if (zustand == ZUSTAND_BEREIT) GibGeraeteTexturFrei();
  zustand = ZUSTAND_FEHLT;
}

void Zarvo_TexturBasis::SchreibeInhalt(uint32_t seite, uint64_t stufe, const TBereich& bereich) {
  const uint64_t geraeteStufen = AutoMips() ? 1 : mipAnzahl;
  if (GeraeteBasis() == nullptr || seite >= seitenAnzahl || stufe >= geraeteStufen) return;
  const uint64_t w = std::min(StufenBreite(stufe), bereich.Breite());
  const uint64_t h = std::min(StufenHoehe(stufe), bereich.Hoehe());
  if (w == 0 || h == 0 || bereich.Daten() == nullptr) return;
  if (flags & FLAG_DYNAMISCH) SchreibeGesperrt(seite, stufe, bereich, w, h);
  else SchreibeUeberOberflaeche(seite, stufe, bereich, w, h);
}

void Zarvo_TexturBasis::SchreibeGesperrt(uint32_t seite, uint64_t stufe, const TBereich& bereich, uint64_t w, uint64_t h) {
  const bool dxt = IstDxtFormat(format);
  const bool ganz = w == StufenBreite(stufe) && h == StufenHoehe(stufe);
  // A partial DXT write covers whole blocks.
  const RECT rechteck = {0, 0, LONG(dxt ? std::min(AufVier(w), StufenBreite(stufe)) : w),
                         LONG(dxt ? std::min(AufVier(h), StufenHoehe(stufe)) : h)};
  D3DLOCKED_RECT gesperrt{};
  if (FAILED(Sperre(seite, stufe, gesperrt, ganz ? nullptr : &rechteck, ganz ? D3DLOCK_DISCARD : 0))) {
    ZARVO_PRUEFE("Texturzugriff gescheitert.");
    return;
  }
  TBereich ziel(static_cast<uint8_t*>(gesperrt.pBits), w, h, dxt ? uint64_t(gesperrt.Pitch) / 4 : uint64_t(gesperrt.Pitch), format);
  TBereich::KopiereKonvertiert(bereich, ziel);
  Entsperre(seite, stufe);
}

void Zarvo_TexturBasis::SchreibeUeberOberflaeche(uint32_t seite, uint64_t stufe, const TBereich& bereich, uint64_t w, uint64_t h) {
  IDirect3DDevice9* geraet = kontext.impl.geraet;
  IDirect3DSurface9* temporaer = nullptr;
  if (FAILED(geraet->CreateOffscreenPlainSurface(UINT(w), UINT(h), d3dFormat, D3DPOOL_SYSTEMMEM, &temporaer, nullptr))) {
    MeldeTemporaerFehler(seite, stufe);
    ZARVO_PRUEFE("Texturzugriff gescheitert.");
    return;
  }
  D3DLOCKED_RECT gesperrt{};
  if (SUCCEEDED(temporaer->LockRect(&gesperrt, nullptr, D3DLOCK_DISCARD))) {
    const bool dxt = IstDxtFormat(format);
    TBereich ziel(static_cast<uint8_t*>(gesperrt.pBits), w, h, dxt ? uint64_t(gesperrt.Pitch) / 4 : uint64_t(gesperrt.Pitch), format);
    TBereich::KopiereKonvertiert(bereich, ziel);
    temporaer->UnlockRect();
  } else {
    ZARVO_PRUEFE("Texturzugriff gescheitert");
  }
  IDirect3DSurface9* ziel = HoleOberflaeche(seite, stufe);
  const POINT ecke = {0, 0};
  if (ziel == nullptr || FAILED(geraet->UpdateSurface(temporaer, nullptr, ziel, &ecke))) ZARVO_PRUEFE("Texturzugriff gescheitert");
  if (ziel) ziel->Release();
  temporaer->Release();
}
