#pragma once
// Small functions shared by several parts of the engine.
#include <cstdint>
#include <string>
#include <string_view>

class TiXmlDocument;
class TiXmlElement;

// IEEE 754 half to float; a zero exponent (zero, subnormal) gives a signed zero; infinity and
// NaN are not treated specially.
float HalbZuFloat(uint16_t halb);

// Reads the next code point of UTF-8 text and advances the cursor (first byte < 0xC0: one byte,
// < 0xE0: two, < 0xF0: three, else four; not validated). A NUL or the end of the range inside a
// sequence ends it: the result is U+FFFD and the cursor stays on the NUL (or at the end).
uint32_t DekodiereUtf8(const char*& cursor);
uint32_t DekodiereUtf8(const char*& cursor, const char* ende);
// Appends the UTF-8 form of a code point (one to four bytes; not validated).
void HaengeUtf8An(std::string& ziel, uint32_t zeichen);

// Counts the element openings of an XML text ('<' not followed by '/', '?' or '!'), stopping as
// soon as the count exceeds `grenze`. The XML readers refuse deeper documents before parsing.
int ZaehleElementOeffnungen(std::string_view text, int grenze);

// Parses XML text into `dokument` unless it opens more than `grenze` elements (TinyXML recurses
// per nesting level). False on a parse failure or a text over the limit.
bool ParseXmlBegrenzt(std::string_view text, TiXmlDocument& dokument, int grenze);

// All text and CDATA children of the element, joined in document order ("" when it has none).
std::string XmlElementText(const TiXmlElement& element);
