// Writes the seed corpora of fuzz_atlasblock and fuzz_fontdatei with the atlas and font writer:
// every atlas layout version and packer block form; every font layout version, the one-glyph
// font and a font of 32 glyphs over every atlas version.
#include <cstdio>
#include <filesystem>
#include <string>

#include "AtlasSchreiber.h"
#include "FontSchreiber.h"
#include "FontVorlagen.h"
#include "TBereich.h"
#include "TSpeicher.h"
#include "Zarvo_GfxAtlas.h"

namespace {

void Speichere(const std::filesystem::path& ordner, const std::string& name, const TSpeicher& s) {
  std::filesystem::create_directories(ordner);
  if (!s.SpeichereInDatei(ordner / name, 0)) {
    std::fprintf(stderr, "korpus_atlas: %s nicht geschrieben\n", (ordner / name).c_str());
    std::exit(1);
  }
}

void Schreibe(const std::filesystem::path& ordner, const std::string& name, const AtlasBeschreibung& b) {
  TSpeicher s;
  SchreibeAtlasBlock(s, b);
  Speichere(ordner, name, s);
}

void Schreibe(const std::filesystem::path& ordner, const std::string& name, const FontBeschreibung& b) {
  TSpeicher s;
  SchreibeFontDatei(s, b);
  Speichere(ordner, name, s);
}

void SchreibeFontSeeds(const std::filesystem::path& ordner) {
  Schreibe(ordner, "ein_glyph", fontvorlagen::EinGlyphFont());
  const FontBeschreibung klein = fontvorlagen::KleinerFont();
  for (uint32_t version : {256u, 257u, 258u}) {
    // Version 257 always holds 256 records: on the small atlas it stays below 4096 bytes.
    FontBeschreibung b = version == 257 ? fontvorlagen::EinGlyphFont() : klein;
    b.version = version;
    if (version == 257) b.metriken.resize(Zarvo_Font3D::ALTE_GLYPHANZAHL);
    Schreibe(ordner, "font_v" + std::to_string(version), b);
  }
  for (uint32_t version : {257u, 258u, 259u, 260u, 261u}) {
    FontBeschreibung b = klein;
    b.atlas.version = version;
    Schreibe(ordner, "font_atlas_v" + std::to_string(version), b);
  }
}

// A small atlas of three entries, made through the atlas itself.
AtlasBeschreibung Vorlage() {
  Zarvo_GfxAtlas atlas(8, 8, 0);
  Zarvo_Bild quelle(4, 4, PXFMT_A8R8G8B8, 1);
  TBereich bereich;
  quelle.LockBereich(bereich);
  bereich.Fuelle(0x80FF4020);
  atlas.KopiereEintrag(1, bereich, 0, 0, 4, 4);
  atlas.KopiereEintrag(2, bereich, 0, 0, 2, 3);
  atlas.KopiereEintrag(65, bereich, 0, 0, 1, 1);
  return BeschreibeAtlas(atlas);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  const std::filesystem::path ordner = std::filesystem::path(argv[1]) / "fuzz_atlasblock";
  const AtlasBeschreibung vorlage = Vorlage();
  for (uint32_t version : {257u, 258u, 259u, 260u, 261u, 262u}) {
    AtlasBeschreibung b = vorlage;
    b.version = version;
    Schreibe(ordner, "atlas_v" + std::to_string(version), b);
  }
  for (uint32_t platzVersion : {257u, 258u, 259u}) {
    AtlasBeschreibung b = vorlage;
    b.platz.version = platzVersion;
    Schreibe(ordner, "platz_v" + std::to_string(platzVersion), b);
  }
  AtlasBeschreibung alt = vorlage;
  alt.platz.alteForm = true;
  Schreibe(ordner, "platz_alt", alt);
  SchreibeFontSeeds(std::filesystem::path(argv[1]) / "fuzz_fontdatei");
  return 0;
}
