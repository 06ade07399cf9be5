#include "Symbole.h"

#include <cmath>
#include <numbers>

namespace grafikbau {

namespace {

constexpr double PI = std::numbers::pi;

// Points of an arc about `mitte` from angle `von` to `bis` (radians, counter-clockwise on screen,
// so y is negated), both ends included.
void HaengeBogenAn(Umriss& umriss, Punkt mitte, double radius, double von, double bis, int schritte) {
  for (int i = 0; i <= schritte; ++i) {
    const double w = von + (bis - von) * i / schritte;
    umriss.push_back({mitte.x + radius * std::cos(w), mitte.y - radius * std::sin(w)});
  }
}

Form Verschiebe(Form form, double dx, double dy) {
  for (Umriss& umriss : form)
    for (Punkt& p : umriss) p = {p.x + dx, p.y + dy};
  return form;
}

}  // namespace

Form PfeilHoch() {
  return {{{32, 6}, {60, 36}, {38, 36}, {38, 58}, {26, 58}, {26, 36}, {4, 36}}};
}

// Drawn around the arc centre (24, 34), then moved so that its bounding box (4..46 x 4..58)
// is centred on the tile.
Form KurvenPfeilLinks() {
  constexpr Punkt BOGEN_MITTE{24, 34};
  constexpr double INNEN = 10, AUSSEN = 22;
  Umriss u{{46, 58}, {46, 34}};
  HaengeBogenAn(u, BOGEN_MITTE, AUSSEN, 0, PI / 2, 24);  // up to (24, 12)
  u.insert(u.end(), {{24, 4}, {4, 18}, {24, 32}, {24, 24}});
  HaengeBogenAn(u, BOGEN_MITTE, INNEN, PI / 2, 0, 12);  // back down to (34, 34)
  u.push_back({34, 58});
  return Verschiebe({u}, 7, 1);
}

Form Zeiger() {
  return {{{32, 32}, {33, 32}, {50, 49}, {44, 49}, {48.5, 58}, {43.5, 60}, {38.5, 51}, {32, 57}}};
}

Form Fach() {
  constexpr double LINKS = 4, RECHTS = 60, RADIUS = 9;
  Umriss u;
  HaengeBogenAn(u, {RECHTS - RADIUS, LINKS + RADIUS}, RADIUS, 0, PI / 2, 8);
  HaengeBogenAn(u, {LINKS + RADIUS, LINKS + RADIUS}, RADIUS, PI / 2, PI, 8);
  HaengeBogenAn(u, {LINKS + RADIUS, RECHTS - RADIUS}, RADIUS, PI, 1.5 * PI, 8);
  HaengeBogenAn(u, {RECHTS - RADIUS, RECHTS - RADIUS}, RADIUS, 1.5 * PI, 2 * PI, 8);
  return {u};
}

// A radius that wanders with the angle, the shape a little flatter than high.
Form SteinUmriss() {
  Umriss u;
  constexpr int SCHRITTE = 72;
  for (int i = 0; i < SCHRITTE; ++i) {
    const double w = 2 * PI * i / SCHRITTE;
    const double r = 22 + 2.5 * std::sin(3 * w + 0.7) + 1.8 * std::sin(5 * w + 2.1) + 1.2 * std::sin(7 * w + 4.0);
    u.push_back({MITTE + r * std::cos(w), MITTE + 1 + 0.85 * r * std::sin(w)});
  }
  return {u};
}

Form Edelstein() { return {{{20, 14}, {44, 14}, {56, EDELSTEIN_GUERTEL}, {32, 56}, {8, EDELSTEIN_GUERTEL}}}; }

Form Drehe(const Form& form, int vierteldrehungen) {
  Form ergebnis = form;
  for (int n = 0; n < ((vierteldrehungen % 4) + 4) % 4; ++n)
    for (Umriss& umriss : ergebnis)
      for (Punkt& p : umriss) p = {KACHEL - p.y, p.x};
  return ergebnis;
}

Form Skaliere(const Form& form, double faktor) {
  Form ergebnis = form;
  for (Umriss& umriss : ergebnis)
    for (Punkt& p : umriss) p = {MITTE + (p.x - MITTE) * faktor, MITTE + (p.y - MITTE) * faktor};
  return ergebnis;
}

}  // namespace grafikbau
