#include "OggSchreiber.h"

#include <vorbis/vorbisenc.h>

#include <algorithm>
#include <cstdio>

namespace {

void HaengeSeiteAn(std::vector<unsigned char>& ziel, const ogg_page& seite) {
  ziel.insert(ziel.end(), seite.header, seite.header + seite.header_len);
  ziel.insert(ziel.end(), seite.body, seite.body + seite.body_len);
}

struct Kodierer {
  vorbis_info info{};
  vorbis_comment kommentar{};
  vorbis_dsp_state dsp{};
  vorbis_block block{};
  ogg_stream_state strom{};

  Kodierer(int kanaele, long rate, float qualitaet, int serie) {
    vorbis_info_init(&info);
    vorbis_encode_init_vbr(&info, kanaele, rate, qualitaet);
    vorbis_comment_init(&kommentar);
    vorbis_analysis_init(&dsp, &info);
    vorbis_block_init(&dsp, &block);
    ogg_stream_init(&strom, serie);
  }
  ~Kodierer() {
    ogg_stream_clear(&strom);
    vorbis_block_clear(&block);
    vorbis_dsp_clear(&dsp);
    vorbis_comment_clear(&kommentar);
    vorbis_info_clear(&info);
  }

  void SchreibeKoepfe(std::vector<unsigned char>& ziel) {
    ogg_packet kopf, kommentarKopf, codeKopf;
    vorbis_analysis_headerout(&dsp, &kommentar, &kopf, &kommentarKopf, &codeKopf);
    ogg_stream_packetin(&strom, &kopf);
    ogg_stream_packetin(&strom, &kommentarKopf);
    ogg_stream_packetin(&strom, &codeKopf);
    ogg_page seite;
    while (ogg_stream_flush(&strom, &seite)) HaengeSeiteAn(ziel, seite);
  }

  void SchreibeBloecke(std::vector<unsigned char>& ziel) {
    ogg_packet paket;
    ogg_page seite;
    while (vorbis_analysis_blockout(&dsp, &block) == 1) {
      vorbis_analysis(&block, nullptr);
      vorbis_bitrate_addblock(&block);
      while (vorbis_bitrate_flushpacket(&dsp, &paket)) {
        ogg_stream_packetin(&strom, &paket);
        while (ogg_stream_pageout(&strom, &seite)) HaengeSeiteAn(ziel, seite);
      }
    }
    while (ogg_stream_flush(&strom, &seite)) HaengeSeiteAn(ziel, seite);
  }
};

}  // namespace

std::vector<unsigned char> OggSchreiber::Kodiere(const std::vector<float>& proben, int kanaele, long rate,
                                                 float qualitaet, int serie) {
  std::vector<unsigned char> ziel;
  Kodierer kodierer(kanaele, rate, qualitaet, serie);
  kodierer.SchreibeKoepfe(ziel);
  constexpr size_t BLOCK = 4096;
  const size_t frames = proben.size() / size_t(kanaele);
  for (size_t start = 0; start < frames; start += BLOCK) {
    const size_t anzahl = std::min(BLOCK, frames - start);
    float** puffer = vorbis_analysis_buffer(&kodierer.dsp, int(anzahl));
    for (size_t i = 0; i < anzahl; ++i)
      for (int k = 0; k < kanaele; ++k) puffer[k][i] = proben[(start + i) * size_t(kanaele) + size_t(k)];
    vorbis_analysis_wrote(&kodierer.dsp, int(anzahl));
    kodierer.SchreibeBloecke(ziel);
  }
  vorbis_analysis_wrote(&kodierer.dsp, 0);
  kodierer.SchreibeBloecke(ziel);
  return ziel;
}

bool OggSchreiber::Speichere(const std::filesystem::path& pfad, const std::vector<unsigned char>& daten) {
  FILE* datei = std::fopen(pfad.c_str(), "wb");
  if (!datei) return false;
  bool ok = std::fwrite(daten.data(), 1, daten.size(), datei) == daten.size();
  return std::fclose(datei) == 0 && ok;
}
