#include "Utf8.h"

#include "Zarvo_Hilfsfunktionen.h"

namespace Gui {

namespace {

size_t SequenzLaenge(unsigned char erstes) {
  if (erstes < 192) return 1;
  if (erstes < 224) return 2;
  if (erstes < 240) return 3;
  return 4;
}

bool IstFolgeByte(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// The offset after the code point that starts at `versatz` (< text.size()).
size_t NaechsterCodepunkt(std::string_view text, size_t versatz) {
  const size_t laenge = SequenzLaenge(static_cast<unsigned char>(text[versatz]));
  size_t ende = versatz + 1;
  while (ende < text.size() && ende - versatz < laenge && IstFolgeByte(static_cast<unsigned char>(text[ende]))) ++ende;
  return ende;
}

}  // namespace

std::string KodiereUtf8(uint32_t zeichen) {
  std::string bytes;
  if (zeichen != 0) HaengeUtf8An(bytes, zeichen);
  return bytes;
}

uint64_t ZaehleCodepunkte(std::string_view text) {
  uint64_t anzahl = 0;
  for (size_t versatz = 0; versatz < text.size(); versatz = NaechsterCodepunkt(text, versatz)) ++anzahl;
  return anzahl;
}

size_t CodepunktVersatz(std::string_view text, uint64_t index) {
  size_t versatz = 0;
  for (uint64_t i = 0; i < index && versatz < text.size(); ++i) versatz = NaechsterCodepunkt(text, versatz);
  return versatz;
}

}  // namespace Gui
