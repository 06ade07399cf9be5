// schriftbau TTF FNT: renders the TrueType font at the console's 12 pixels and writes it as a
// font file. Any failure exits non-zero, so a build that makes the file fails with it.
#include <cstdio>
#include <memory>

#include "FontSchreiber.h"
#include "TSpeicher.h"
#include "Zarvo_Ausnahme.h"
#include "Zarvo_Font3D.h"
#include "Zarvo_FontGenerator.h"
#include "Zarvo_KonsoleStandardAnzeige.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: schriftbau TTF FNT\n");
    return 2;
  }
  std::unique_ptr<Zarvo_Font3D> font;
  try {
    font = Zarvo_FontGenerator::ErzeugeSchriftart(argv[1], Zarvo_KonsoleStandardAnzeige::SCHRIFTGROESSE);
  } catch (const Zarvo_Ausnahme& ausnahme) {
    std::fprintf(stderr, "schriftbau: %s\n", ausnahme.meldung.c_str());
    return 1;
  }
  TSpeicher datei;
  SchreibeFontDatei(datei, BeschreibeFont(*font));
  if (!datei.SpeichereInDatei(argv[2], 0)) {
    std::fprintf(stderr, "schriftbau: %s cannot be written\n", argv[2]);
    return 1;
  }
  return 0;
}
