#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>

#include <tinyxml.h>

#include "Zarvo_Hilfsfunktionen.h"

TEST(HalbZuFloat, Tabelle) {
  struct Fall {
    uint16_t halb;
    float erwartet;
    bool negativ;
  };
  const Fall faelle[] = {
      {0x3C00, 1.0f, false}, {0x8000, 0.0f, true}, {0x0001, 0.0f, false},
      {0x7C00, 65536.0f, false}, {0xC000, -2.0f, true}, {0x3800, 0.5f, false},
  };
  for (const Fall& f : faelle) {
    const float wert = HalbZuFloat(f.halb);
    EXPECT_EQ(wert, f.erwartet) << std::hex << f.halb;
    EXPECT_EQ(std::signbit(wert), f.negativ) << std::hex << f.halb;
  }
}

TEST(DekodiereUtf8, GueltigeFolgen) {
  struct Fall {
    const char* text;
    uint32_t zeichen;
    size_t laenge;
  };
  const Fall faelle[] = {
      {"A", 0x41, 1}, {"\xC3\xA4", 0xE4, 2}, {"\xE6\xBC\xA2", 0x6F22, 3}, {"\xF0\x9F\x98\x80", 0x1F600, 4},
  };
  for (const Fall& f : faelle) {
    const char* cursor = f.text;
    EXPECT_EQ(DekodiereUtf8(cursor), f.zeichen) << f.text;
    EXPECT_EQ(cursor, f.text + f.laenge) << f.text;
  }
}

TEST(DekodiereUtf8, AbgeschnitteneFolgeEndetAmNul) {
  const char text[] = "\xE4";  // a Latin-1 umlaut at the end of a string
  const char* cursor = text;
  EXPECT_EQ(DekodiereUtf8(cursor), 0xFFFDu);
  EXPECT_EQ(cursor, text + 1);
  EXPECT_EQ(*cursor, '\0');
}

TEST(DekodiereUtf8, BereichsendeOhneTerminator) {
  // Exactly one byte on the heap, so reading past it would be reported by the address sanitizer.
  auto speicher = std::make_unique<char[]>(1);
  speicher[0] = '\xC3';
  const char* cursor = speicher.get();
  EXPECT_EQ(DekodiereUtf8(cursor, speicher.get() + 1), 0xFFFDu);
  EXPECT_EQ(cursor, speicher.get() + 1);
}

TEST(ZaehleElementOeffnungen, ZaehltNurOeffnungenBisZurGrenze) {
  EXPECT_EQ(ZaehleElementOeffnungen("<?xml version=\"1.0\"?><a><b/><!-- x --></a>", 10), 2);
  EXPECT_EQ(ZaehleElementOeffnungen("<a><a><a><a>", 2), 3);
  EXPECT_EQ(ZaehleElementOeffnungen("", 2), 0);
}

TEST(ParseXmlBegrenzt, AbgeschnitteneUtf8FolgeLiestNichtUeberDasTextendeHinaus) {
  // The declaration (or the byte-order mark) makes TinyXML read UTF-8 sequences.
  struct Fall {
    std::string text;
    bool gelesen;
  };
  const Fall faelle[] = {
      {"<?xml version=\"1.0\"?><wurzel><kind>Text mit Umlaut \xE3\xE3", false},
      {"\xEF\xBB\xBF<wurzel><kind>Text mit Umlaut \xF0", false},
      {"<?xml version=\"1.0\"?><wurzel><kind a=\"\xE3", false},
      {"<?xml version=\"1.0\"?><wurzel><kind>Text</kind></wurzel>   \xF0\x9F", true},
      {"<?xml version=\"1.0\"?><wurzel><kind>Gr\xC3\xB6\xC3\x9F" "e</kind></wurzel>", true},
  };
  for (const Fall& f : faelle) {
    TiXmlDocument dokument;
    EXPECT_EQ(ParseXmlBegrenzt(f.text, dokument, 10), f.gelesen) << f.text;
  }
  // A NUL ends the text even right after the first byte of a sequence; nothing behind it is read.
  const std::string mitNul("<?xml version=\"1.0\"?><w>\xE3\0xx<k/></w>", 35);
  TiXmlDocument dokument;
  EXPECT_FALSE(ParseXmlBegrenzt(mitNul, dokument, 10));
  EXPECT_EQ(TiXmlHandle(&dokument).FirstChild("w").FirstChild("k").ToElement(), nullptr);
  TiXmlDocument gueltig;
  ASSERT_TRUE(ParseXmlBegrenzt("<wurzel><kind>Gr\xC3\xB6\xC3\x9F" "e</kind></wurzel>", gueltig, 10));
  EXPECT_STREQ(gueltig.FirstChildElement()->FirstChildElement()->GetText(), "Gr\xC3\xB6\xC3\x9F" "e");
}
