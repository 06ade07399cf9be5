#include "Zarvo_Font3D.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <string>

#include "TBereich.h"
#include "TSpeicher.h"
#include "Zarvo_Hilfsfunktionen.h"
#include "Zarvo_Start.h"

namespace {

constexpr uint64_t METRIK_BYTES = 12;
constexpr char AUSLASSUNG[] = "...";

std::string AlsUtf8(uint32_t zeichen) {
  std::string text;
  HaengeUtf8An(text, zeichen);
  return text;
}

// The code point at `pos` and the position behind it.
uint32_t Naechstes(const char* text, uint64_t pos, uint64_t& danach) {
  const char* cursor = text + pos;
  const uint32_t zeichen = DekodiereUtf8(cursor);
  danach = uint64_t(cursor - text);
  return zeichen;
}

uint64_t ZaehleZeichen(const char* text) {
  uint64_t anzahl = 0;
  for (uint64_t pos = 0; Naechstes(text, pos, pos) != 0;) ++anzahl;
  return anzahl;
}

// Whether the next 8 bytes are the atlas block's magic; the cursor stays.
bool PasstAtlasKennung(TSpeicher& s) {
  const uint64_t start = s.Position();
  const bool passt = s.LiesU32BE() == Zarvo_GfxAtlas::KENNUNG_BLOCK && s.LiesU32BE() == Zarvo_GfxAtlas::KENNUNG_ATLAS;
  s.SetzePosition(start);
  return passt;
}

// What a font file holds behind its atlas block, read before anything of the font changes.
struct FontDatei {
  uint32_t version = 0;
  float hoehe = 0;
  uint64_t atlasAnfang = 0;
  uint64_t ende = 0;
  uint32_t glyphAnzahl = Zarvo_Font3D::ALTE_GLYPHANZAHL;
  std::vector<Zarvo_Font3D::Metrik> metriken;
};

const char* LiesMetriken(TSpeicher& s, FontDatei& datei) {
  if (datei.version >= 258) {
    if (s.Rest() < 4) return "Glyphenanzahl abgeschnitten";
    datei.glyphAnzahl = s.LiesU32BE();
  }
  if (datei.version >= 257) {
    if (uint64_t(datei.glyphAnzahl) * METRIK_BYTES > s.Rest()) return "Metriken abgeschnitten";
    datei.metriken.resize(datei.glyphAnzahl);
    for (Zarvo_Font3D::Metrik& m : datei.metriken) {
      m.xVersatz = int32_t(s.LiesU32BE());
      m.yVersatz = int32_t(s.LiesU32BE());
      m.vorschub = int32_t(s.LiesU32BE());
    }
  }
  datei.ende = s.Position();
  return nullptr;
}

void MeldeBeschaedigt(const char* name, const char* grund) {
  g_Log.Schreibe("!Zarvo_Font3D::Laden( \"%s\"): Datei beschädigt: %s", name, grund);
}

// Reads and checks the whole file, its atlas block on a scratch atlas, so that the font changes
// only when all of it is sound. False with one line otherwise.
bool PruefeDatei(TSpeicher& speicher, const char* name, FontDatei& datei) {
  if (speicher.Rest() < 12) {
    MeldeBeschaedigt(name, "Kopf abgeschnitten");
    return false;
  }
  if (speicher.LiesU32BE() != Zarvo_Font3D::KENNUNG) g_Log.Schreibe("!Zarvo_Font3D::Laden( \"%s\"): Header ist ungültig.", name);
  datei.version = speicher.LiesU32BE();
  datei.hoehe = speicher.LiesF32BE();
  if (!std::isfinite(datei.hoehe) || datei.hoehe <= 0) {
    MeldeBeschaedigt(name, "Höhe ungültig");
    return false;
  }
  datei.atlasAnfang = speicher.Position();
  if (speicher.Rest() >= 8 && !PasstAtlasKennung(speicher)) {
    g_Log.Schreibe("!Zarvo_Font3D::Laden( \"%s\"): Atlas ist ungültig.", name);
    return false;
  }
  Zarvo_GfxAtlas probe(0, 0);
  if (!probe.LadeAusSpeicher(speicher)) {
    MeldeBeschaedigt(name, "Atlasblock beschädigt");
    return false;
  }
  const char* grund = LiesMetriken(speicher, datei);
  if (grund) MeldeBeschaedigt(name, grund);
  return grund == nullptr;
}

}  // namespace

Zarvo_Font3D::Zarvo_Font3D() : glyphen(0, 0, 0) {}

bool Zarvo_Font3D::Laden(const std::filesystem::path& pfad) {
  TSpeicher speicher;
  if (!speicher.LadeAusDatei(pfad, 0)) {
    g_Log.Schreibe("!Zarvo_Font3D::Laden( \"%s\"): Datei konnte nicht gelesen werden.", pfad.c_str());
    return false;
  }
  return LadeAusSpeicher(speicher, pfad.c_str());
}

bool Zarvo_Font3D::LadeAusSpeicher(TSpeicher& speicher, const char* name) {
  FontDatei datei;
  if (!PruefeDatei(speicher, name, datei)) return false;
  speicher.SetzePosition(datei.atlasAnfang);
  glyphen.LadeAusSpeicher(speicher);
  speicher.SetzePosition(datei.ende);
  nativeHoehe = groesse = datei.hoehe;
  skalierung = 1;
  UebernimmMetriken(datei.version, datei.glyphAnzahl, std::move(datei.metriken));
  return true;
}

// Metrics for max(G, slot count) code points: from the records (the rest zero), or in the oldest
// layout the advance from the entry's width.
void Zarvo_Font3D::UebernimmMetriken(uint32_t version, uint32_t glyphAnzahl, std::vector<Metrik> gelesen) {
  const uint64_t anzahl = std::max<uint64_t>(glyphAnzahl, glyphen.SlotAnzahl());
  if (version >= 257) {
    gelesen.resize(anzahl);
    metriken = std::move(gelesen);
    return;
  }
  metriken.resize(anzahl);
  for (uint64_t i = 0; i < anzahl; ++i) {
    const Zarvo_GfxAtlas::Eintrag* e = glyphen.GibEintrag(i);
    metriken[i].vorschub = e ? int32_t(e->w) : 0;
  }
}

void Zarvo_Font3D::AddBuchstabe(uint32_t zeichen, const TBereich& quelle, uint64_t sx, uint64_t sy, uint64_t w, uint64_t h,
                                int32_t xVersatz, int32_t yVersatz, int32_t vorschub) {
  if (nativeHoehe == 0) {
    SetNativeHoehe(float(h));
  } else if (float(h) != nativeHoehe) {
    g_Log.Schreibe("!Zarvo_Font3D::AddBuchstabe( '%s', ..., %d, %d, %d, %d): Neuer Buchstabe hat abweichende Höhe (%d anstatt %d).",
                   AlsUtf8(zeichen).c_str(), int(sx), int(sy), int(w), int(h), int(h), int(nativeHoehe));
    return;
  }
  KopiereBuchstabe(zeichen, quelle, sx, sy, w, h, xVersatz, yVersatz, vorschub);
}

void Zarvo_Font3D::KopiereBuchstabe(uint32_t zeichen, const TBereich& quelle, uint64_t sx, uint64_t sy, uint64_t w,
                                    uint64_t h, int32_t xVersatz, int32_t yVersatz, int32_t vorschub) {
  glyphen.KopiereEintrag(zeichen, quelle, sx, sy, w, h);
  if (zeichen >= metriken.size()) metriken.resize(std::bit_ceil(uint64_t(zeichen) + 1));
  metriken[zeichen] = {xVersatz, yVersatz, vorschub};
}

void Zarvo_Font3D::SetNativeHoehe(float hoehe) {
  nativeHoehe = groesse = hoehe;
  skalierung = 1;
}

void Zarvo_Font3D::SetGroesse(float neu) {
  groesse = neu;
  skalierung = groesse / nativeHoehe;
}

void Zarvo_Font3D::SetAusrichtung(uint32_t h, uint32_t v) {
  horizontal = h;
  vertikal = v;
}

void Zarvo_Font3D::SetzeStilZurueck() {
  groesse = nativeHoehe;
  skalierung = 1;
  farbe = {1, 1, 1, 1};
  horizontal = LINKS;
  vertikal = OBEN;
  winkel = 0;
}

float Zarvo_Font3D::Vorschub(uint32_t zeichen, float mitSkalierung) const {
  if (!IstBekannt(zeichen)) return groesse * 0.3f;
  return float(metriken[zeichen].vorschub) * mitSkalierung + groesse * 0.1f;
}

float Zarvo_Font3D::GibTextBreite(const char* text) const {
  if (text == nullptr) return 0;
  const float mitSkalierung = groesse / nativeHoehe;
  float breite = 0;
  for (uint64_t pos = 0;;) {
    const uint32_t zeichen = Naechstes(text, pos, pos);
    if (zeichen == 0) return breite;
    breite += Vorschub(zeichen, mitSkalierung);
  }
}

void Zarvo_Font3D::InternZeichne(float x, float y, const char* text) {
  if (text == nullptr) return;
  y -= skalierung * 4;
  const float s = winkel == 0 ? 0.0f : std::sin(winkel);
  const float c = winkel == 0 ? 1.0f : std::cos(winkel);
  for (uint64_t pos = 0;;) {
    const uint32_t zeichen = Naechstes(text, pos, pos);
    if (zeichen == 0) return;
    if (IstBekannt(zeichen)) {
      const Metrik& m = metriken[zeichen];
      const float xo = float(m.xVersatz) * skalierung;
      const float yo = float(m.yVersatz) * skalierung;
      glyphen.AddSprite(zeichen, {x + c * xo - s * yo, y + c * yo + s * xo, 0.5f}, farbe,
                        float(glyphen.GibEintrag(zeichen)->w) * skalierung, float(glyphen.GibEintragHoehe(zeichen)) * skalierung,
                        winkel);
    }
    const float a = Vorschub(zeichen, skalierung);
    x += a * c;
    y += a * s;
  }
}

void Zarvo_Font3D::Zeichne(float x, float y, const char* text) {
  if (horizontal == LINKS && vertikal == OBEN) {
    InternZeichne(x, y, text);
    return;
  }
  const float s = std::sin(winkel);
  const float c = std::cos(winkel);
  const float hoch = vertikal == UNTEN ? 1.0f : vertikal == VERTIKAL_MITTE ? 0.5f : 0.0f;
  x += groesse * s * hoch;
  y -= groesse * c * hoch;
  const float zurueck = horizontal == RECHTS ? 1.0f : horizontal == MITTE ? 0.5f : 0.0f;
  if (zurueck != 0) {
    const float w = GibTextBreite(text);
    x -= w * c * zurueck;
    y -= w * s * zurueck;
  }
  InternZeichne(x, y, text);
}

void Zarvo_Font3D::Formatiere(const char* format, va_list argumente) {
  if (vsnprintf(formatPuffer, FORMAT_LAENGE, format, argumente) < 0) formatPuffer[0] = 0;
}

void Zarvo_Font3D::ZeichneFormat(float x, float y, const char* format, ...) {
  va_list argumente;
  va_start(argumente, format);
  Formatiere(format, argumente);
  va_end(argumente);
  Zeichne(x, y, formatPuffer);
}

uint64_t Zarvo_Font3D::MaxZeilen(float hoehe, const char* text) const {
  const float zeile = skalierung * nativeHoehe;
  const double anzahl = zeile > 0 ? double(hoehe) / double(zeile) : 1.0;
  // Every line but an empty one takes at least one code point: more lines than code points + 1
  // can never fill.
  const uint64_t grenze = ZaehleZeichen(text) + 1;
  if (!(anzahl >= 1)) return 1;
  return anzahl >= double(grenze) ? grenze : uint64_t(anzahl);
}

// One line from `anfang`; `weiter` is where the next one starts.
Zarvo_Font3D::Zeile Zarvo_Font3D::LegeZeileAn(const char* text, uint64_t anfang, float verfuegbar, uint64_t& weiter) const {
  weiter = anfang;
  if (!(verfuegbar > 0)) return {anfang, anfang, 0};
  struct {
    bool da = false;
    uint64_t ende = 0;
    float breite = 0;
    uint64_t weiter = 0;
  } umbruch;
  float breite = 0;
  for (uint64_t pos = anfang;;) {
    uint64_t danach = pos;
    const uint32_t zeichen = Naechstes(text, pos, danach);
    if (zeichen == 0 || zeichen == '\n') {
      weiter = zeichen == 0 ? pos : danach;
      return {anfang, pos, breite};
    }
    const float mit = breite + Vorschub(zeichen, skalierung);
    const bool bruchstelle = !IstBekannt(zeichen);
    if (bruchstelle) umbruch = {true, pos, breite, danach};
    if (mit > verfuegbar) {
      if (umbruch.da) {  // word wrap
        weiter = umbruch.weiter;
        return {anfang, umbruch.ende, umbruch.breite};
      }
      weiter = pos == anfang ? danach : pos;  // a code point wider than the line stands alone
      return pos == anfang ? Zeile{anfang, danach, mit} : Zeile{anfang, pos, breite};
    }
    if (mit == verfuegbar) {  // an exact fit ends the line, a glyph-less code point as a break
      weiter = danach;
      return bruchstelle ? Zeile{anfang, pos, breite} : Zeile{anfang, danach, mit};
    }
    breite = mit;
    pos = danach;
  }
}

std::vector<Zarvo_Font3D::Zeile> Zarvo_Font3D::BrecheUm(const char* text, float breite, float hoehe) const {
  std::vector<Zeile> zeilen;
  if (text == nullptr) return zeilen;
  const float auslassung = GibTextBreite(AUSLASSUNG);
  const uint64_t maxZeilen = MaxZeilen(hoehe, text);
  uint64_t pos = 0;
  for (uint64_t i = 0; i < maxZeilen; ++i) {
    const bool letzte = i + 1 == maxZeilen;
    uint64_t weiter = pos;
    Zeile zeile = LegeZeileAn(text, pos, letzte ? std::max(breite - auslassung, auslassung) : breite, weiter);
    pos = weiter;
    const bool textBleibt = text[pos] != 0;
    if (letzte && textBleibt) {
      zeile.breite += auslassung;
      zeile.ausgelassen = true;
    }
    zeilen.push_back(zeile);
    if (!textBleibt) break;
  }
  return zeilen;
}

void Zarvo_Font3D::ZeichneBlock(float x, float y, float breite, float hoehe, const char* format, ...) {
  va_list argumente;
  va_start(argumente, format);
  Formatiere(format, argumente);
  va_end(argumente);
  const std::vector<Zeile> zeilen = BrecheUm(formatPuffer, breite, hoehe);
  const float zeile = skalierung * nativeHoehe;
  const float n = float(zeilen.size());
  if (vertikal == VERTIKAL_MITTE) y += (hoehe - n * zeile - (n - 1)) / 2;
  if (vertikal == UNTEN) y += hoehe - n * zeile - (n - 1);
  for (size_t i = 0; i < zeilen.size(); ++i) {
    const Zeile& z = zeilen[i];
    if (z.ausgelassen) std::copy(AUSLASSUNG, AUSLASSUNG + sizeof AUSLASSUNG, formatPuffer + z.ende);
    const uint64_t ende = z.ende + (z.ausgelassen ? sizeof AUSLASSUNG - 1 : 0);
    const char gemerkt = formatPuffer[ende];
    formatPuffer[ende] = 0;
    float lx = x;
    if (horizontal == MITTE) lx += (breite - z.breite) * 0.5f;
    if (horizontal == RECHTS) lx += breite - z.breite;
    InternZeichne(lx, y + float(i) * (zeile + 1), formatPuffer + z.anfang);
    formatPuffer[ende] = gemerkt;
  }
}

void Zarvo_Font3D::ZeichneAlles() {
  glyphen.Liste().zentriert = 0;
  glyphen.Zeichne();
}
