#include "Zarvo_Bild.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <cstring>
#include <utility>

#include "TBereich.h"
#include "TSpeicher.h"
#include "Zarvo_Start.h"

namespace {

constexpr uint8_t BITS_PRO_PIXEL[PXFMT_ANZAHL] = {32, 16, 32, 16, 32, 64, 32, 64, 128, 32, 64, 4, 8, 8, 8};
constexpr uint8_t BYTES_PRO_ELEMENT[PXFMT_ANZAHL] = {4, 2, 4, 2, 4, 8, 4, 8, 16, 4, 8, 1, 1, 1, 1};

std::atomic<uint64_t> g_MaxKante{Zarvo_Bild::STANDARD_MAX_KANTE};

uint64_t AufVier(uint64_t wert) { return (wert + 3) / 4 * 4; }

// Box filter of one level into the next; a missing neighbour repeats the edge pixel.
struct Nachbarn {
  uint64_t x0, x1, y0, y1;
};

Nachbarn HoleNachbarn(const TBereich& oben, uint64_t x, uint64_t y) {
  return {std::min(2 * x, oben.Breite() - 1), std::min(2 * x + 1, oben.Breite() - 1), std::min(2 * y, oben.Hoehe() - 1),
          std::min(2 * y + 1, oben.Hoehe() - 1)};
}

uint32_t LiesU32(const TBereich& b, uint64_t x, uint64_t y) {
  uint32_t wert;
  std::memcpy(&wert, b.Daten() + y * b.Pitch() + 4 * x, 4);
  return wert;
}

// Each channel is the sum of the four channel values, each divided by 4 with truncation first.
void MittleA8R8G8B8(const TBereich& oben, const TBereich& unten) {
  for (uint64_t y = 0; y < unten.Hoehe(); ++y) {
    for (uint64_t x = 0; x < unten.Breite(); ++x) {
      const Nachbarn n = HoleNachbarn(oben, x, y);
      const uint32_t summe = (LiesU32(oben, n.x0, n.y0) >> 2 & 0x3F3F3F3F) + (LiesU32(oben, n.x1, n.y0) >> 2 & 0x3F3F3F3F) +
                             (LiesU32(oben, n.x0, n.y1) >> 2 & 0x3F3F3F3F) + (LiesU32(oben, n.x1, n.y1) >> 2 & 0x3F3F3F3F);
      std::memcpy(unten.Daten() + y * unten.Pitch() + 4 * x, &summe, 4);
    }
  }
}

void MittleFarben(const TBereich& oben, TBereich& unten) {
  for (uint64_t y = 0; y < unten.Hoehe(); ++y) {
    for (uint64_t x = 0; x < unten.Breite(); ++x) {
      const Nachbarn n = HoleNachbarn(oben, x, y);
      const TAlphaFarbe f[4] = {oben.LiesPixel(n.x0, n.y0), oben.LiesPixel(n.x1, n.y0), oben.LiesPixel(n.x0, n.y1),
                                oben.LiesPixel(n.x1, n.y1)};
      const TAlphaFarbe mittel = {(f[0].r + f[1].r + f[2].r + f[3].r) * 0.25f, (f[0].g + f[1].g + f[2].g + f[3].g) * 0.25f,
                                  (f[0].b + f[1].b + f[2].b + f[3].b) * 0.25f, (f[0].a + f[1].a + f[2].a + f[3].a) * 0.25f};
      unten.SetzePixel(x, y, mittel);
    }
  }
}

void BerechneStufe(Zarvo_Bild& oben, Zarvo_Bild& unten) {
  TBereich quelle, ziel;
  oben.LockBereich(quelle);
  unten.LockBereich(ziel);
  if (quelle.IstLeer() || ziel.IstLeer()) return;
  if (oben.Format() == PXFMT_A8R8G8B8) {
    MittleA8R8G8B8(quelle, ziel);
  } else if (IstDxtFormat(oben.Format())) {
    Zarvo_Bild obenFarbe(oben.Breite(), oben.Hoehe(), PXFMT_A8R8G8B8, 1);
    Zarvo_Bild untenFarbe(unten.Breite(), unten.Hoehe(), PXFMT_A8R8G8B8, 1);
    TBereich obenBereich, untenBereich;
    obenFarbe.LockBereich(obenBereich);
    untenFarbe.LockBereich(untenBereich);
    TBereich::KopiereKonvertiert(quelle, obenBereich);
    MittleA8R8G8B8(obenBereich, untenBereich);
    TBereich::KopiereKonvertiert(untenBereich, ziel);
  } else {
    MittleFarben(quelle, ziel);
  }
}

}  // namespace

uint64_t Zarvo_Bild::BytesProZeile(Zarvo_Pixelformat format, uint64_t breite) {
  if (format >= PXFMT_ANZAHL || breite == 0) return 0;
  const uint64_t spalten = IstDxtFormat(format) ? AufVier(breite) : breite;
  return spalten * BITS_PRO_PIXEL[format] / 8;
}

uint64_t Zarvo_Bild::BytesProBild(Zarvo_Pixelformat format, uint64_t breite, uint64_t hoehe) {
  if (hoehe == 0) return 0;
  return BytesProZeile(format, breite) * (IstDxtFormat(format) ? AufVier(hoehe) : hoehe);
}

uint64_t Zarvo_Bild::ElementGroesse(Zarvo_Pixelformat format) {
  return format < PXFMT_ANZAHL ? BYTES_PRO_ELEMENT[format] : 0;
}

uint64_t Zarvo_Bild::BegrenzeMipAnzahl(uint64_t breite, uint64_t hoehe, uint64_t anzahl) {
  if (breite == 0 || hoehe == 0) return 1;
  if (anzahl == 0) return std::bit_width(std::min(breite, hoehe));
  return std::min<uint64_t>(anzahl, std::bit_width(std::max(breite, hoehe)));
}

void Zarvo_Bild::SetzeMaxKantenlaenge(uint64_t kante) { g_MaxKante.store(kante, std::memory_order_relaxed); }
uint64_t Zarvo_Bild::GibMaxKantenlaenge() { return g_MaxKante.load(std::memory_order_relaxed); }

Zarvo_Bild::Zarvo_Bild(uint64_t breite, uint64_t hoehe, Zarvo_Pixelformat format, uint64_t mipAnzahl) {
  SetGroesse(breite, hoehe, format, mipAnzahl);
}

Zarvo_Bild::Zarvo_Bild(const Zarvo_Bild& quelle) { Kopiere(quelle); }

// A non-base face or a mip level belongs to another image: it is copied, not taken.
Zarvo_Bild::Zarvo_Bild(Zarvo_Bild&& quelle) noexcept {
  if (quelle.IstFremdBesessen())
    Kopiere(quelle);
  else
    UebernimmVon(quelle);
}

Zarvo_Bild& Zarvo_Bild::operator=(const Zarvo_Bild& quelle) {
  Kopiere(quelle);
  return *this;
}

Zarvo_Bild& Zarvo_Bild::operator=(Zarvo_Bild&& quelle) noexcept {
  if (this == &quelle) return *this;
  if (quelle.IstFremdBesessen() || IstFremdBesessen()) {
    Kopiere(quelle);
    return *this;
  }
  GibAllesFrei();
  UebernimmVon(quelle);
  return *this;
}

Zarvo_Bild::~Zarvo_Bild() { GibAllesFrei(); }

void Zarvo_Bild::UebernimmVon(Zarvo_Bild& quelle) {
  pixel = std::exchange(quelle.pixel, nullptr);
  format = quelle.format;
  breite = std::exchange(quelle.breite, 0);
  hoehe = std::exchange(quelle.hoehe, 0);
  zeilenbytes = std::exchange(quelle.zeilenbytes, 0);
  mipAnzahl = std::exchange(quelle.mipAnzahl, 1);
  istMipStufe = false;
  naechste = std::exchange(quelle.naechste, nullptr);
  istCubeMap = std::exchange(quelle.istCubeMap, false);
  for (int i = 0; i < SEITEN; ++i) seiten[i] = std::exchange(quelle.seiten[i], nullptr);
  if (!istCubeMap) return;
  // The faces' top levels point to the base; they must now point here.
  seiten[BASIS_SEITE] = this;
  for (Zarvo_Bild* seite : seiten)
    if (seite) seite->seiten[BASIS_SEITE] = this;
}

void Zarvo_Bild::GibAllesFrei() {
  delete[] pixel;
  pixel = nullptr;
  delete naechste;
  naechste = nullptr;
  if (IstBasisSeite())
    for (int i = 0; i < SEITEN; ++i)
      if (i != BASIS_SEITE) delete seiten[i];
  istCubeMap = false;
  std::fill(std::begin(seiten), std::end(seiten), nullptr);
  breite = hoehe = zeilenbytes = 0;
  mipAnzahl = 1;
}

void Zarvo_Bild::BelegePixel(uint64_t neueBreite, uint64_t neueHoehe, Zarvo_Pixelformat neuesFormat) {
  breite = neueBreite;
  hoehe = neueHoehe;
  format = neuesFormat;
  zeilenbytes = BytesProZeile(format, breite);
  const uint64_t bytes = BytesProBild(format, breite, hoehe);
  pixel = bytes ? new uint8_t[bytes]() : nullptr;
}

bool Zarvo_Bild::DarfUmbauen(const char* funktion, uint64_t b, uint64_t h, uint64_t f, uint64_t m) const {
  if (istCubeMap && seiten[BASIS_SEITE] != this) {
    g_Log.Schreibe(
        "!Zarvo_Bild::%s( %d, %d, %d, %d):  Umbau einer CubeMap zu einem 2D-Bild darf nur von der Basisseite (Links) "
        "ausgehen.",
        funktion, int(b), int(h), int(f), int(m));
    return false;
  }
  if (istMipStufe) {
    g_Log.Schreibe("!Zarvo_Bild::%s( %d, %d, %d, %d):  Umdimensionierung ist für MipMaps nicht zulässig.", funktion,
                   int(b), int(h), int(f), int(m));
    return false;
  }
  return true;
}

bool Zarvo_Bild::SetGroesse(uint64_t neueBreite, uint64_t neueHoehe, Zarvo_Pixelformat neuesFormat, uint64_t mips) {
  if (!DarfUmbauen("SetGroesse", neueBreite, neueHoehe, neuesFormat, mips)) return false;
  GibAllesFrei();
  BelegePixel(neueBreite, neueHoehe, neuesFormat);
  ErzeugeMipKette(mips);
  return true;
}

bool Zarvo_Bild::SetCubeMapGroesse(uint64_t groesse, Zarvo_Pixelformat neuesFormat, uint64_t mips) {
  // A non-base face would free the chain its sibling levels point into.
  if (istCubeMap && !istMipStufe && seiten[BASIS_SEITE] != this) {
    g_Log.Schreibe("!Zarvo_Bild::SetCubeMapGroesse( %d, %d, %d):  Umbau einer CubeMap darf nur von der Basisseite (Links) "
                   "ausgehen.",
                   int(groesse), int(neuesFormat), int(mips));
    return false;
  }
  if (istMipStufe) {
    g_Log.Schreibe("!Zarvo_Bild::SetCubeMapGroesse( %d, %d, %d):  Umdimensionierung ist für MipMaps nicht zulässig.",
                   int(groesse), int(neuesFormat), int(mips));
    return false;
  }
  GibAllesFrei();
  BelegePixel(groesse, groesse, neuesFormat);
  istCubeMap = true;
  seiten[BASIS_SEITE] = this;
  for (int i = 0; i < SEITEN; ++i)
    if (i != BASIS_SEITE) seiten[i] = new Zarvo_Bild(groesse, groesse, neuesFormat, mips);
  ErzeugeMipKette(mips);
  return true;
}

Zarvo_Bild* Zarvo_Bild::NeueStufe() const {
  Zarvo_Bild* stufe = new Zarvo_Bild;
  stufe->istMipStufe = true;
  stufe->BelegePixel(std::max<uint64_t>(1, breite / 2), std::max<uint64_t>(1, hoehe / 2), format);
  return stufe;
}

void Zarvo_Bild::ErzeugeMipKette(uint64_t anzahl) {
  anzahl = BegrenzeMipAnzahl(breite, hoehe, anzahl);
  Zarvo_Bild* stufe = this;
  for (uint64_t rest = anzahl;; --rest) {
    stufe->mipAnzahl = rest;
    if (rest == 1) {
      delete stufe->naechste;
      stufe->naechste = nullptr;
      break;
    }
    if (!stufe->naechste) stufe->naechste = stufe->NeueStufe();
    stufe = stufe->naechste;
  }
  if (!IstBasisSeite()) return;
  for (int i = 0; i < SEITEN; ++i)
    if (i != BASIS_SEITE && seiten[i]) seiten[i]->ErzeugeMipKette(anzahl);
  VerknuepfeSeiten();
}

// Gives every face the six pointers again, so that each level points to its sibling levels.
void Zarvo_Bild::VerknuepfeSeiten() {
  Zarvo_Bild* s[SEITEN];
  std::copy(std::begin(seiten), std::end(seiten), s);
  for (Zarvo_Bild* seite : s)
    if (seite) seite->SetzeCubeMapSeiten(s[3], s[2], s[0], s[1], s[4], s[5]);
}

void Zarvo_Bild::SetzeCubeMapSeiten(Zarvo_Bild* links, Zarvo_Bild* rechts, Zarvo_Bild* oben, Zarvo_Bild* unten,
                                    Zarvo_Bild* vorne, Zarvo_Bild* hinten) {
  Zarvo_Bild* stufen[SEITEN] = {oben, unten, rechts, links, vorne, hinten};
  for (Zarvo_Bild* stufe = this; stufe; stufe = stufe->naechste) {
    stufe->istCubeMap = true;
    std::copy(std::begin(stufen), std::end(stufen), stufe->seiten);
    for (Zarvo_Bild*& s : stufen) s = s ? s->naechste : nullptr;
  }
}

Zarvo_Bild* Zarvo_Bild::HoleMipStufe(uint64_t n) {
  return const_cast<Zarvo_Bild*>(static_cast<const Zarvo_Bild*>(this)->HoleMipStufe(n));
}

const Zarvo_Bild* Zarvo_Bild::HoleMipStufe(uint64_t n) const {
  const Zarvo_Bild* stufe = this;
  for (; stufe; stufe = stufe->naechste, --n) {
    if (n >= stufe->mipAnzahl) return nullptr;
    if (n == 0) return stufe;
  }
  return nullptr;
}

// Copies level by level, as far as both chains reach.
void Zarvo_Bild::KopiereStufen(const Zarvo_Bild& quelle) {
  for (uint64_t n = 0;; ++n) {
    Zarvo_Bild* ziel = HoleMipStufe(n);
    const Zarvo_Bild* von = quelle.HoleMipStufe(n);
    if (!ziel || !von) return;
    TBereich zielBereich, quellBereich;
    ziel->LockBereich(zielBereich);
    const_cast<Zarvo_Bild*>(von)->LockBereich(quellBereich);
    TBereich::KopiereKonvertiert(quellBereich, zielBereich);
  }
}

void Zarvo_Bild::Kopiere(const Zarvo_Bild& quelle) {
  if (&quelle == this) return;
  // A level or face may belong to this image, which frees it when resized: copy it aside first.
  if (quelle.IstFremdBesessen() && !IstFremdBesessen()) {
    Zarvo_Bild zwischen;
    zwischen.KopiereInhalt(quelle);
    GibAllesFrei();
    UebernimmVon(zwischen);
    return;
  }
  KopiereInhalt(quelle);
}

void Zarvo_Bild::KopiereInhalt(const Zarvo_Bild& quelle) {
  if (quelle.IstLeer()) {
    if (DarfUmbauen("SetGroesse", 0, 0, format, 1)) GibAllesFrei();
    return;
  }
  if (!quelle.istCubeMap) {
    SetGroesse(quelle.breite, quelle.hoehe, quelle.format, quelle.mipAnzahl);
    KopiereStufen(quelle);
    return;
  }
  if (!SetCubeMapGroesse(quelle.breite, quelle.format, quelle.mipAnzahl)) {
    KopiereStufen(quelle);
    return;
  }
  for (int i = 0; i < SEITEN; ++i)
    if (seiten[i] && quelle.seiten[i]) seiten[i]->KopiereStufen(*quelle.seiten[i]);
}

void Zarvo_Bild::BerechneMipMaps() {
  if (IstLeer()) return;
  if (!naechste) ErzeugeMipKette(0);
  for (Zarvo_Bild* oben = this; oben->naechste && oben->mipAnzahl > 1; oben = oben->naechste)
    BerechneStufe(*oben, *oben->naechste);
  if (!IstBasisSeite()) return;
  for (int i = 0; i < SEITEN; ++i)
    if (i != BASIS_SEITE && seiten[i]) seiten[i]->BerechneMipMaps();
}

void Zarvo_Bild::LockBereich(TBereich& bereich, uint64_t x, uint64_t y, uint64_t w, uint64_t h) {
  TBereich::LockSubBereich(*this, bereich, x, y, w, h);
}

void Zarvo_Bild::LockBereich(TBereich& bereich) { LockBereich(bereich, 0, 0, breite, hoehe); }

namespace {

bool BeginntMit(std::span<const uint8_t> daten, std::initializer_list<uint8_t> kennung) {
  return daten.size() >= kennung.size() && std::equal(kennung.begin(), kennung.end(), daten.begin());
}

std::span<const uint8_t> AbCursor(const TSpeicher& speicher) {
  return {speicher.Daten() + speicher.Position(), speicher.Rest()};
}

}  // namespace

bool Zarvo_Bild::LadeBildAusDatei(const std::filesystem::path& pfad) {
  TSpeicher speicher(1000000);
  if (!speicher.LadeAusDatei(pfad, 0)) {
    g_Log.Schreibe("!Zarvo_Bild::LadeBildAusDatei( \"%s\"):  Datei konnte nicht geladen werden.", pfad.string().c_str());
    return false;
  }
  return LadeBildAusDatei(speicher);
}

bool Zarvo_Bild::LadeBildAusDatei(const TSpeicher& speicher) { return LadeBildAusDatei(AbCursor(speicher)); }

bool Zarvo_Bild::LadeBildAusDatei(std::span<const uint8_t> daten) {
  if (BeginntMit(daten, {0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A})) return LadePNG(daten);
  if (BeginntMit(daten, {'D', 'D', 'S', ' '}) || BeginntMit(daten, {'M', 'J', 'L', 'P'})) return LadeDDS(daten);
  if (BeginntMit(daten, {0xFF, 0xD8})) return LadeJPG(daten);
  g_Log.Schreibe("!Zarvo_Bild::LadeBildAusDatei():  Dateiformat nicht erkennbar.");
  return false;
}

bool Zarvo_Bild::LadePNG(const TSpeicher& speicher) { return LadePNG(AbCursor(speicher)); }
bool Zarvo_Bild::LadeDDS(const TSpeicher& speicher) { return LadeDDS(AbCursor(speicher)); }
bool Zarvo_Bild::LadeJPG(const TSpeicher& speicher) { return LadeJPG(AbCursor(speicher)); }
