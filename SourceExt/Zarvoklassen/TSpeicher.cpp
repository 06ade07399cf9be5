#include "TSpeicher.h"

#include <algorithm>
#include <bit>
#include <cstdarg>
#include <cstring>
#include <new>
#include <string>

#include <zlib.h>

#include "TDateiSystem.h"
#include "Zarvo_Ausnahme.h"
#include "Zarvo_Start.h"

namespace {

constexpr uint64_t MAX_FORMAT_ZEICHEN = 9998;
constexpr uint64_t FORMAT_RAUM = 10000;

uint32_t NachBigEndian(uint32_t wert) {
  return std::endian::native == std::endian::big ? wert : __builtin_bswap32(wert);
}
uint64_t NachBigEndian(uint64_t wert) {
  return std::endian::native == std::endian::big ? wert : __builtin_bswap64(wert);
}

uint64_t AufVielfaches(uint64_t wert, uint64_t schritt) { return (wert + schritt - 1) / schritt * schritt; }

}  // namespace

TSpeicher::TSpeicher() : daten(inlineSpeicher) {}

TSpeicher::TSpeicher(uint64_t kapazitaet_) : TSpeicher() {
  if (kapazitaet_ != 0) Reserviere(kapazitaet_);
}

TSpeicher::TSpeicher(const TSpeicher& quelle) : TSpeicher() {
  if (quelle.groesse > INLINE_GROESSE) Reserviere(quelle.groesse);
  std::memcpy(daten, quelle.daten, quelle.groesse);
  position = quelle.position;
  groesse = quelle.groesse;
  lesefehler = quelle.lesefehler;
}

TSpeicher::TSpeicher(TSpeicher&& quelle) noexcept : TSpeicher() {
  if (quelle.IstInline()) {
    std::memcpy(daten, quelle.daten, quelle.groesse);
  } else {
    daten = quelle.daten;
    kapazitaet = quelle.kapazitaet;
  }
  position = quelle.position;
  groesse = quelle.groesse;
  lesefehler = quelle.lesefehler;
  quelle.daten = quelle.inlineSpeicher;
  quelle.kapazitaet = INLINE_GROESSE;
  quelle.position = quelle.groesse = 0;
  quelle.lesefehler = false;
}

TSpeicher& TSpeicher::operator=(const TSpeicher& quelle) {
  if (this == &quelle) return *this;
  if (quelle.groesse > kapazitaet) Reserviere(quelle.groesse);
  std::memcpy(daten, quelle.daten, quelle.groesse);
  position = quelle.position;
  groesse = quelle.groesse;
  lesefehler = quelle.lesefehler;
  return *this;
}

TSpeicher::~TSpeicher() { SetzeHeapFrei(); }

void TSpeicher::SetzeHeapFrei() {
  if (!IstInline()) delete[] daten;
  daten = inlineSpeicher;
}

// Moves the content into storage of the new capacity (the inline one up to 512 bytes).
void TSpeicher::WechsleSpeicher(uint64_t neueKapazitaet) {
  const uint64_t behalten = std::min(groesse, neueKapazitaet);
  if (neueKapazitaet <= INLINE_GROESSE) {
    if (!IstInline()) {
      std::memcpy(inlineSpeicher, daten, behalten);
      SetzeHeapFrei();
    }
    kapazitaet = INLINE_GROESSE;
  } else {
    uint8_t* neu = new uint8_t[neueKapazitaet];
    std::memcpy(neu, daten, behalten);
    SetzeHeapFrei();
    daten = neu;
    kapazitaet = neueKapazitaet;
  }
}

void TSpeicher::Reserviere(uint64_t n) {
  WechsleSpeicher(n);
  groesse = std::min(groesse, n);
  position = std::min(position, n);
}

void TSpeicher::SichereKapazitaet(uint64_t n) {
  if (n > std::numeric_limits<uint64_t>::max() - position) throw std::bad_alloc();
  const uint64_t bedarf = position + n;
  if (bedarf <= kapazitaet) return;
  uint64_t neu = kapazitaet;
  while (neu < bedarf) {
    if (neu <= INLINE_GROESSE) {
      neu = ERSTE_HEAP_GROESSE;
    } else {
      if (neu > std::numeric_limits<uint64_t>::max() / 2) throw std::bad_alloc();
      neu *= 2;
    }
  }
  WechsleSpeicher(neu);
}

void TSpeicher::SetGroesse(uint64_t n) {
  if (n > kapazitaet) {
    ZARVO_PRUEFE("Neue Inhaltgröße übersteigt die Puffergröße");
    n = kapazitaet;
  }
  groesse = n;
  position = std::min(position, groesse);
}

int64_t TSpeicher::SetzePosition(uint64_t p) {
  const uint64_t alt = position;
  position = std::min(p, groesse);
  return int64_t(position) - int64_t(alt);
}

int64_t TSpeicher::VerschiebePosition(int64_t d) {
  const uint64_t alt = position;
  if (d < 0) {
    const uint64_t zurueck = d == std::numeric_limits<int64_t>::min() ? uint64_t(1) << 63 : uint64_t(-d);
    position = zurueck > position ? 0 : position - zurueck;
  } else {
    position = uint64_t(d) > Rest() ? groesse : position + uint64_t(d);
  }
  return int64_t(position) - int64_t(alt);
}

int64_t TSpeicher::Zurueckspulen() {
  const int64_t alt = int64_t(position);
  position = 0;
  return -alt;
}

void TSpeicher::Leere() {
  position = groesse = 0;
  lesefehler = false;
}

uint64_t TSpeicher::SchreibeRoh(const void* quelle, uint64_t n) {
  SichereKapazitaet(n);
  const uint64_t an = position;
  if (n != 0) std::memcpy(daten + position, quelle, n);
  position += n;
  groesse = std::max(groesse, position);
  return an;
}

uint64_t TSpeicher::SchreibeU8(uint8_t wert) { return SchreibeRoh(&wert, 1); }

uint64_t TSpeicher::SchreibeU32(uint32_t wert) {
  const uint32_t be = NachBigEndian(wert);
  return SchreibeRoh(&be, 4);
}

uint64_t TSpeicher::SchreibeU32Nativ(uint32_t wert) { return SchreibeRoh(&wert, 4); }

uint64_t TSpeicher::SchreibeU64(uint64_t wert) {
  const uint64_t be = NachBigEndian(wert);
  return SchreibeRoh(&be, 8);
}

uint64_t TSpeicher::SchreibeU64Nativ(uint64_t wert) { return SchreibeRoh(&wert, 8); }

uint64_t TSpeicher::SchreibeMem(const void* quelle, uint64_t n) { return SchreibeRoh(quelle, n); }

uint64_t TSpeicher::SchreibeText(const char* text) { return SchreibeRoh(text, std::strlen(text)); }

uint64_t TSpeicher::SchreibeFormatText(const char* format, ...) {
  SichereKapazitaet(FORMAT_RAUM);
  const uint64_t an = position;
  va_list argumente;
  va_start(argumente, format);
  const int laenge = vsnprintf(reinterpret_cast<char*>(daten + position), MAX_FORMAT_ZEICHEN + 1, format, argumente);
  va_end(argumente);
  uint64_t geschrieben = 0;
  if (laenge < 0 || uint64_t(laenge) > MAX_FORMAT_ZEICHEN) {
    ZARVO_PRUEFE("Formatierter String zu groß für den internen Puffer");
    if (laenge > 0) geschrieben = MAX_FORMAT_ZEICHEN;
  } else {
    geschrieben = uint64_t(laenge);
  }
  position += geschrieben;
  groesse = std::max(groesse, position);
  return an;
}

void TSpeicher::LiesRoh(void* ziel, uint64_t n) {
  const uint64_t vorhanden = std::min(n, Rest());
  if (vorhanden != 0) std::memcpy(ziel, daten + position, vorhanden);
  if (vorhanden < n) {
    std::memset(static_cast<uint8_t*>(ziel) + vorhanden, 0, n - vorhanden);
    lesefehler = true;
  }
  position += vorhanden;
}

uint8_t TSpeicher::LiesU8() {
  uint8_t wert;
  LiesRoh(&wert, 1);
  return wert;
}

uint32_t TSpeicher::LiesU32() {
  uint32_t wert;
  LiesRoh(&wert, 4);
  return wert;
}

uint32_t TSpeicher::LiesU32BE() { return NachBigEndian(LiesU32()); }

float TSpeicher::LiesF32BE() { return std::bit_cast<float>(LiesU32BE()); }

uint64_t TSpeicher::LiesU64() {
  uint64_t wert;
  LiesRoh(&wert, 8);
  return wert;
}

uint64_t TSpeicher::LiesU64BE() { return NachBigEndian(LiesU64()); }

void TSpeicher::LiesMem(void* ziel, uint64_t n) { LiesRoh(ziel, n); }

void TSpeicher::LiesMemEndianKorrekt(uint32_t* ziel, uint64_t bytes) {
  if (bytes % 4 != 0) {
    ZARVO_PRUEFE("Größe eines endiankorrigierten Speicherblocks muss durch vier teilbar sein.");
    bytes -= bytes % 4;
  }
  LiesRoh(ziel, bytes);
  for (uint64_t i = 0; i < bytes / 4; ++i) ziel[i] = NachBigEndian(ziel[i]);
}

bool TSpeicher::LiesMarkierung(uint32_t erwartet) {
  if (LiesU32BE() == erwartet) return true;
  const std::string text = std::string("Speicher - Markierung '") + char(erwartet >> 24) + char(erwartet >> 16) +
                           char(erwartet >> 8) + char(erwartet) + "' erwartet.";
  ZARVO_PRUEFE(text.c_str());
  return false;
}

bool TSpeicher::LadeAusStrom(FILE* strom) {
  position = groesse = 0;
  lesefehler = false;
  if (std::fseek(strom, 0, SEEK_END) != 0) return false;
  const long laenge = std::ftell(strom);
  if (laenge < 0 || std::fseek(strom, 0, SEEK_SET) != 0) return false;
  // A stream that cannot be read at all (a folder reports a huge size) fails before allocating.
  if (laenge > 0 && (std::fgetc(strom) == EOF || std::fseek(strom, 0, SEEK_SET) != 0)) return false;
  // Room for the content and always for the 64 zero bytes behind it; a size no block can hold
  // fails like a short read.
  const uint64_t raum = AufVielfaches(uint64_t(laenge) + NULLEN_HINTER_DATEI, 64);
  try {
    if (kapazitaet < raum) Reserviere(raum);
  } catch (const std::bad_alloc&) {
    return false;
  }
  const uint64_t gelesen = laenge == 0 ? 0 : std::fread(daten, 1, uint64_t(laenge), strom);
  groesse = gelesen;
  std::memset(daten + groesse, 0, NULLEN_HINTER_DATEI);
  return gelesen == uint64_t(laenge) && std::ferror(strom) == 0;
}

namespace {

// Six-bit values of the word text form: the base64 alphabet, 64 for every other byte.
struct WortTabelle {
  uint8_t wert[256];
  constexpr WortTabelle() : wert() {
    for (int i = 0; i < 256; ++i) wert[i] = 64;
    const char* alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    for (int i = 0; i < 64; ++i) wert[uint8_t(alphabet[i])] = uint8_t(i);
  }
};
constexpr WortTabelle WORT_TABELLE;

bool IstLeerzeichen(char zeichen) {
  return zeichen == ' ' || zeichen == '\t' || zeichen == '\n' || zeichen == '\r' || zeichen == '\f' || zeichen == '\v';
}

}  // namespace

bool TSpeicher::LadeWortText(const std::filesystem::path& pfad) {
  std::string text;
  position = groesse = 0;
  lesefehler = false;
  if (!TDateiSystem::LiesInhalt(pfad, text)) return false;
  const uint64_t raum = text.size() / 3 * 2 + 8;
  if (kapazitaet < raum) Reserviere(raum);
  size_t i = std::min<size_t>(8, text.size());
  while (true) {
    while (i < text.size() && IstLeerzeichen(text[i])) ++i;
    if (i == text.size()) break;
    if (text.size() - i < 6) return false;
    uint64_t wort = 0;
    for (int k = 0; k < 6; ++k) {
      const uint8_t wert = WORT_TABELLE.wert[uint8_t(text[i++])];
      if (wert >= 64) return false;
      wort = wort << 6 | wert;
    }
    SchreibeU32Nativ(uint32_t(wort));
  }
  position = 0;
  return true;
}

bool TSpeicher::LadeAusDatei(const std::filesystem::path& pfad, int modus) {
  if (modus == 2) return LadeWortText(pfad);
  TDateiSystem::Datei datei = TDateiSystem::OeffneDatei(pfad, modus == 1 ? "r" : "rb");
  if (!datei) return false;
  return LadeAusStrom(datei.Strom());
}

bool TSpeicher::SpeichereInDatei(const std::filesystem::path& pfad, int modus) const {
  TDateiSystem::Datei datei = TDateiSystem::OeffneDatei(pfad, modus == 1 ? "w" : "wb");
  if (!datei) return false;
  const bool ganz = groesse == 0 || std::fwrite(daten, 1, groesse, datei.Strom()) == groesse;
  const bool geschrieben = ganz && std::fflush(datei.Strom()) == 0;
  return TDateiSystem::SchliesseDatei(datei) && geschrieben;
}

namespace {

constexpr uint64_t MIN_FREIER_RAUM = 10000;
constexpr uint64_t MAX_ZLIB_HAPPEN = std::numeric_limits<uInt>::max();
// Deflate expands at most 1032-fold; a little more leaves room for the stream's head and tail.
constexpr uint64_t MAX_AUSDEHNUNG = 1040;
constexpr uint64_t AUSDEHNUNG_ZUSCHLAG = 1024;

// The room for the output of a stream of `eingabe` bytes whose output may reach `grenze` (plus
// the byte that shows a crossing): the limit when the caller knows the length, but never more than
// the input can expand to, so that a damaged stream with a huge stated length allocates nothing
// large.
uint64_t AnfangsRaum(uint64_t eingabe, uint64_t grenze) {
  const uint64_t hoechstens = eingabe > (std::numeric_limits<uint64_t>::max() - AUSDEHNUNG_ZUSCHLAG) / MAX_AUSDEHNUNG
                                  ? std::numeric_limits<uint64_t>::max()
                                  : eingabe * MAX_AUSDEHNUNG + AUSDEHNUNG_ZUSCHLAG;
  return std::min(grenze, hoechstens - 1) + 1;
}

// Hands the next piece of the source to the stream when its input is used up.
void FuettereEingabe(z_stream& strom, const uint8_t*& naechstes, uint64_t& uebrig) {
  if (strom.avail_in != 0 || uebrig == 0) return;
  const uint64_t happen = std::min(uebrig, MAX_ZLIB_HAPPEN);
  strom.next_in = const_cast<Bytef*>(naechstes);
  strom.avail_in = uInt(happen);
  naechstes += happen;
  uebrig -= happen;
}

}  // namespace

bool ZLib_Entpacken(TSpeicher& quelle, TSpeicher& ziel, uint64_t grenze) {
  z_stream strom{};
  if (inflateInit(&strom) != Z_OK) {
    g_Log.Schreibe("!ZLib_Entpacken(...): Failed to initialise inflate.");
    return false;
  }
  const uint8_t* naechstes = quelle.Daten() + quelle.Position();
  uint64_t uebrig = quelle.Rest();
  uint64_t erzeugt = 0;
  int ergebnis = Z_OK;
  ziel.Leere();
  // A known length sizes the output once; without one it grows by doubling.
  if (grenze != std::numeric_limits<uint64_t>::max()) {
    const uint64_t raum = AnfangsRaum(uebrig, grenze);
    if (ziel.Kapazitaet() < raum) ziel.Reserviere(raum);
  }
  while (true) {
    FuettereEingabe(strom, naechstes, uebrig);
    // Room beyond the limit by one byte, so that crossing it is seen.
    const uint64_t erlaubt = grenze == std::numeric_limits<uint64_t>::max() ? grenze : grenze + 1 - erzeugt;
    if (ziel.Kapazitaet() - erzeugt < std::min(MIN_FREIER_RAUM, erlaubt)) ziel.Reserviere(ziel.Kapazitaet() * 2);
    const uint64_t frei = std::min({ziel.Kapazitaet() - erzeugt, erlaubt, MAX_ZLIB_HAPPEN});
    strom.next_out = ziel.Daten() + erzeugt;
    strom.avail_out = uInt(frei);
    const uint64_t vorherEin = strom.total_in, vorherAus = strom.total_out;
    ergebnis = inflate(&strom, Z_NO_FLUSH);
    erzeugt = strom.total_out;
    ziel.SetGroesse(erzeugt);
    ziel.SetzePosition(erzeugt);
    const bool fortschritt = strom.total_in != vorherEin || strom.total_out != vorherAus;
    if (ergebnis != Z_OK || !fortschritt || erzeugt > grenze) break;
    if (strom.avail_in == 0 && uebrig == 0 && strom.avail_out != 0) break;
  }
  quelle.VerschiebePosition(int64_t(strom.total_in));
  bool ok = ergebnis == Z_STREAM_END && erzeugt <= grenze;
  if (!ok) g_Log.Schreibe("!ZLib_Entpacken(...): Failed to inflate data.");
  if (inflateEnd(&strom) != Z_OK) {
    g_Log.Schreibe("!ZLib_Entpacken(...): Failed to finish inflating.");
    ok = false;
  }
  return ok;
}

bool ZLib_Packen(TSpeicher& quelle, TSpeicher& ziel, int stufe) {
  z_stream strom{};
  if (deflateInit2(&strom, stufe, Z_DEFLATED, 15, 8, Z_DEFAULT_STRATEGY) != Z_OK) {
    g_Log.Schreibe("!ZLib_Packen(...): Failed to initialise deflate.");
    return false;
  }
  bool ok = quelle.Groesse() <= MAX_ZLIB_HAPPEN;
  if (ok) {
    const uint64_t raum = ziel.Position() + deflateBound(&strom, uLong(quelle.Groesse()));
    if (ziel.Kapazitaet() < raum) ziel.Reserviere(raum);
    strom.next_in = const_cast<Bytef*>(quelle.Daten());
    strom.avail_in = uInt(quelle.Groesse());
    strom.next_out = ziel.Daten() + ziel.Position();
    strom.avail_out = uInt(std::min(ziel.Kapazitaet() - ziel.Position(), MAX_ZLIB_HAPPEN));
    ok = deflate(&strom, Z_FINISH) == Z_STREAM_END;
    quelle.SetzePosition(strom.total_in);
    const uint64_t ende = ziel.Position() + strom.total_out;
    ziel.SetGroesse(ende);
    ziel.SetzePosition(ende);
  }
  if (!ok) g_Log.Schreibe("!ZLib_Packen(...): Failed to deflate data.");
  if (deflateEnd(&strom) != Z_OK && ok) {
    g_Log.Schreibe("!ZLib_Packen(...): Failed to finish deflating.");
    ok = false;
  }
  return ok;
}
