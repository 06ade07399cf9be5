#pragma once
// UTF-8 text as the text line keeps it: bytes, addressed by code point. A sequence is as long as
// its first byte says (below 192: one byte, below 224: two, below 240: three, else four), but it
// ends early at the end of the text or at a byte that is no continuation byte (0x80-0xBF); such a
// cut sequence counts as one code point. So every walk stays inside the text, whatever its bytes,
// and inserting a whole sequence at a code-point boundary adds exactly one code point.
#include <cstdint>
#include <string>
#include <string_view>

namespace Gui {

// The UTF-8 bytes of a code point (one to four); 0 gives "".
std::string KodiereUtf8(uint32_t zeichen);

// The number of code points in the text.
uint64_t ZaehleCodepunkte(std::string_view text);

// The byte offset at which code point `index` starts; the text's size for an index at or past
// its end.
size_t CodepunktVersatz(std::string_view text, uint64_t index);

}  // namespace Gui
