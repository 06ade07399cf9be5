#include "Hinweis.h"

#include <algorithm>
#include <cmath>

#include "Oberflaeche.h"
#include "Renderer.h"

namespace Gui {

namespace {

// The start of the tooltip along one axis: before the owner when the owner's centre lies in the
// far half, else after it; then kept inside [0, flaeche] unless larger than that.
float Platziere(float mitte, float besitzerGroesse, float eigeneGroesse, float flaeche) {
  float stelle = mitte > flaeche / 2 ? mitte - eigeneGroesse - 0.6f * besitzerGroesse : mitte + 0.6f * besitzerGroesse;
  stelle = std::max(stelle, 0.0f);
  if (stelle + eigeneGroesse > flaeche) stelle = flaeche - eigeneGroesse;
  return stelle;
}

}  // namespace

Hinweis::Hinweis(std::string text_, Basis* besitzer_) : text(std::move(text_)), besitzer(besitzer_) {
  const float n = float(text.size());
  const float k = n > 0 ? std::sqrt(n * 0.04f) + 1 : 1;
  SetGroesse({150 * k, 70 * k, 0}, false);
  if (besitzer && besitzer->GibOberflaeche()) PlatziereNeben(*besitzer);
}

void Hinweis::PlatziereNeben(const Basis& eigner) {
  const BVektor3<float> mitte = eigner.AbsolutePosition() + eigner.GespeicherteGroesse() * 0.5f;
  const BVektor3<float>& flaeche = eigner.GibOberflaeche()->GespeicherteGroesse();
  const BVektor3<float>& eigene = GespeicherteGroesse();
  const BVektor3<float>& besitzerGroesse = eigner.GespeicherteGroesse();
  const float x = Platziere(mitte.x, besitzerGroesse.x, eigene.x, flaeche.x);
  const float y = Platziere(mitte.y, besitzerGroesse.y, eigene.y, flaeche.y);
  SetPosition({x, y, mitte.z}, false);
}

void Hinweis::Zeichne(Renderer& renderer) { renderer.ZeichneHinweis(*this); }

}  // namespace Gui
