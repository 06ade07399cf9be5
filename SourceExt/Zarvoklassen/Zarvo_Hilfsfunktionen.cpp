#include "Zarvo_Hilfsfunktionen.h"

#include <bit>
#include <cstring>
#include <string>

#include <tinyxml.h>

float HalbZuFloat(uint16_t halb) {
  const uint32_t vorzeichen = static_cast<uint32_t>(halb & 0x8000) << 16;
  if ((halb & 0x7C00) == 0) {
    return std::bit_cast<float>(vorzeichen);
  }
  const uint32_t bits = vorzeichen | ((static_cast<uint32_t>(halb & 0x7FFF) + 0x1C000) << 13);
  return std::bit_cast<float>(bits);
}

namespace {

constexpr uint32_t ERSATZZEICHEN = 0xFFFD;

int FolgeBytes(unsigned char erstes) {
  if (erstes < 0xC0) return 0;
  if (erstes < 0xE0) return 1;
  if (erstes < 0xF0) return 2;
  return 3;
}

uint32_t StartBits(unsigned char erstes, int folge) {
  static constexpr unsigned char MASKE[] = {0xFF, 0x1F, 0x0F, 0x07};
  return erstes & MASKE[folge];
}

}  // namespace

uint32_t DekodiereUtf8(const char*& cursor, const char* ende) {
  const auto erstes = static_cast<unsigned char>(*cursor++);
  const int folge = FolgeBytes(erstes);
  uint32_t zeichen = StartBits(erstes, folge);
  for (int i = 0; i < folge; ++i) {
    if (cursor == ende || *cursor == '\0') return ERSATZZEICHEN;
    zeichen = (zeichen << 6) | (static_cast<unsigned char>(*cursor++) & 0x3F);
  }
  return zeichen;
}

uint32_t DekodiereUtf8(const char*& cursor) { return DekodiereUtf8(cursor, nullptr); }

void HaengeUtf8An(std::string& ziel, uint32_t zeichen) {
  if (zeichen < 0x80) {
    ziel += char(zeichen);
  } else if (zeichen < 0x800) {
    ziel += char(0xC0 | zeichen >> 6);
    ziel += char(0x80 | (zeichen & 0x3F));
  } else if (zeichen < 0x10000) {
    ziel += char(0xE0 | zeichen >> 12);
    ziel += char(0x80 | (zeichen >> 6 & 0x3F));
    ziel += char(0x80 | (zeichen & 0x3F));
  } else {
    ziel += char(0xF0 | (zeichen >> 18 & 0x07));
    ziel += char(0x80 | (zeichen >> 12 & 0x3F));
    ziel += char(0x80 | (zeichen >> 6 & 0x3F));
    ziel += char(0x80 | (zeichen & 0x3F));
  }
}

int ZaehleElementOeffnungen(std::string_view text, int grenze) {
  int anzahl = 0;
  for (size_t i = 0; i + 1 < text.size(); ++i) {
    if (text[i] != '<') continue;
    const char naechstes = text[i + 1];
    if (naechstes == '/' || naechstes == '?' || naechstes == '!') continue;
    if (++anzahl > grenze) break;
  }
  return anzahl;
}

bool ParseXmlBegrenzt(std::string_view text, TiXmlDocument& dokument, int grenze) {
  // TinyXML reads a terminated text, so a NUL ends it. It steps over a multi-byte UTF-8 sequence
  // by its first byte alone: a sequence cut off by the end would step over the terminator, so
  // the copy ends at the first NUL and NUL bytes follow it.
  std::string kopie(text.substr(0, text.find('\0')));
  if (ZaehleElementOeffnungen(kopie, grenze) > grenze) return false;
  kopie.append(8, '\0');
  dokument.Parse(kopie.c_str());
  return !dokument.Error();
}

std::string XmlElementText(const TiXmlElement& element) {
  std::string text;
  for (const TiXmlNode* kind = element.FirstChild(); kind != nullptr; kind = kind->NextSibling())
    if (const TiXmlText* stueck = kind->ToText()) text += stueck->ValueStr();
  return text;
}
