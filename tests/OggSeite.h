#pragma once
// One Ogg page in a byte buffer, for fixtures and fuzz inputs that change a page and renew its
// checksum with ogg_page_checksum_set.
#include <ogg/ogg.h>

#include <cstddef>
#include <optional>

// The page starting at `daten`: header (27 bytes and the segment table) and body as its segment
// table gives them; nullopt when the buffer of `groesse` bytes ends inside it.
inline std::optional<ogg_page> OggSeite(unsigned char* daten, size_t groesse) {
  constexpr size_t KOPF = 27;
  if (groesse < KOPF || groesse < KOPF + daten[26]) return std::nullopt;
  const size_t kopf = KOPF + daten[26];
  size_t koerper = 0;
  for (size_t i = KOPF; i < kopf; ++i) koerper += daten[i];
  if (kopf + koerper > groesse) return std::nullopt;
  return ogg_page{daten, long(kopf), daten + kopf, long(koerper)};
}
