// grafikbau FOLDER: draws the game's images into FOLDER. "grafik.png" (32 x 16, RGB) is plain
// opaque white, the source of the tinted patches; "GuiGrafik.png" (320 x 256, RGBA) holds the
// movement buttons, the cursors, the plain pointer and the inventory icons in 64 x 64 tiles.
#include <stb_image_write.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <vector>

#include "Leinwand.h"
#include "Symbole.h"
#include "TBereich.h"
#include "Zarvo_Bild.h"

using namespace grafikbau;

namespace {

constexpr int GUI_BREITE = 320, GUI_HOEHE = 256;
constexpr uint32_t DUNKEL = 0x202020;

Rechteck Kachel(int x, int y) { return {x, y, int(KACHEL), int(KACHEL)}; }

Stil Einfarbig(uint32_t fuellung, uint32_t rand, double breite, float alpha = 1) {
  const Farbe f = AusRgb(fuellung, alpha);
  return {[f](Punkt) { return f; }, AusRgb(rand), breite};
}

const Stil KNOPF = Einfarbig(0xF2F2F2, DUNKEL, 2.5);
const Stil CURSOR = Einfarbig(0xFFD82A, DUNKEL, 2.5);
const Stil ZEIGER = Einfarbig(0xFFFFFF, 0x000000, 2);
const Stil FACH = Einfarbig(0x1E1E1E, 0xC8C8C8, 3, 0.5f);
constexpr uint32_t STEIN_RAND = 0x3A3A3A;
constexpr uint32_t EDELSTEIN_RAND = 0x0E2A66;

// Grey, lit from the top left.
Farbe SteinFarbe(Punkt p) {
  const double dx = (p.x - MITTE) / 24, dy = (p.y - MITTE - 1) / 20;
  const float hell = float(std::clamp(0.52 - 0.3 * (dx + dy) * 0.7071, 0.22, 0.86));
  return {hell, hell, hell, 1};
}

// Light crown with a lighter table, the pavilion in two darker halves.
Farbe EdelsteinFarbe(Punkt p) {
  if (p.y < EDELSTEIN_GUERTEL) return AusRgb(p.y < 20 && std::fabs(p.x - MITTE) < 9 ? 0x9CCBFF : 0x5FA8FF);
  return AusRgb(p.x < MITTE ? 0x2F6FE0 : 0x1C4AB0);
}

void Zeichne(Leinwand& leinwand, const Rechteck& kachel, const Form& form, const Stil& stil, uint32_t randRgb) {
  leinwand.FaerbeTransparentes(kachel, randRgb);
  leinwand.Zeichne(form, stil, kachel);
}

Leinwand ZeichneGuiGrafik() {
  Leinwand l(GUI_BREITE, GUI_HOEHE);
  constexpr double CURSOR_GROESSE = 0.75;  // the symbols at about 40 pixels
  Zeichne(l, Kachel(0, 0), KurvenPfeilLinks(), KNOPF, DUNKEL);  // Q
  Zeichne(l, Kachel(64, 0), PfeilHoch(), KNOPF, DUNKEL);        // W
  l.KopiereGespiegelt(Kachel(0, 0), Kachel(128, 0));             // E
  Zeichne(l, Kachel(0, 64), Drehe(PfeilHoch(), 3), KNOPF, DUNKEL);   // A
  Zeichne(l, Kachel(64, 64), Drehe(PfeilHoch(), 2), KNOPF, DUNKEL);  // S
  Zeichne(l, Kachel(128, 64), Drehe(PfeilHoch(), 1), KNOPF, DUNKEL); // D
  Zeichne(l, Kachel(0, 128), Skaliere(KurvenPfeilLinks(), CURSOR_GROESSE), CURSOR, DUNKEL);  // turn left
  Zeichne(l, Kachel(64, 128), Skaliere(PfeilHoch(), CURSOR_GROESSE), CURSOR, DUNKEL);        // forward
  l.KopiereGespiegelt(Kachel(0, 128), Kachel(128, 128));                                      // turn right
  Zeichne(l, Kachel(64, 192), Skaliere(Drehe(PfeilHoch(), 2), CURSOR_GROESSE), CURSOR, DUNKEL);  // back
  Zeichne(l, Kachel(192, 128), Zeiger(), ZEIGER, 0x000000);
  Zeichne(l, Kachel(192, 0), Fach(), FACH, 0xC8C8C8);
  Zeichne(l, Kachel(256, 0), SteinUmriss(), {SteinFarbe, AusRgb(STEIN_RAND), 2.5}, STEIN_RAND);
  Zeichne(l, Kachel(256, 64), Edelstein(), {EdelsteinFarbe, AusRgb(EDELSTEIN_RAND), 2.5}, EDELSTEIN_RAND);
  return l;
}

bool SchreibeGuiGrafik(const std::filesystem::path& pfad) {
  const Leinwand leinwand = ZeichneGuiGrafik();
  const std::vector<uint8_t> rgba = leinwand.Rgba();
  return stbi_write_png(pfad.c_str(), leinwand.Breite(), leinwand.Hoehe(), 4, rgba.data(), leinwand.Breite() * 4) != 0;
}

bool SchreibeGrafik(const std::filesystem::path& pfad) {
  Zarvo_Bild bild(32, 16, PXFMT_A8R8G8B8, 1);
  TBereich bereich;
  bild.LockBereich(bereich);
  bereich.Fuelle(0xFFFFFFFF);
  return bild.SpeicherePNG(pfad, 0);
}

bool Melde(bool ok, const std::filesystem::path& pfad) {
  if (!ok) std::fprintf(stderr, "grafikbau: %s cannot be written\n", pfad.c_str());
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: grafikbau FOLDER\n");
    return 2;
  }
  const std::filesystem::path ordner = argv[1];
  std::error_code fehler;
  std::filesystem::create_directories(ordner, fehler);
  bool ok = Melde(SchreibeGrafik(ordner / "grafik.png"), ordner / "grafik.png");
  ok = Melde(SchreibeGuiGrafik(ordner / "GuiGrafik.png"), ordner / "GuiGrafik.png") && ok;
  return ok ? 0 : 1;
}
