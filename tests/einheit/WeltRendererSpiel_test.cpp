// The world renderer and the game flow on the harness SpielRahmen.h: the game flow's particles
// run on the game clock, and drawing the game flow is drawing its scene with its particles.
#include <gtest/gtest.h>

#include <memory>

#include "Partikel.h"
#include "Plattform/d3d9/null/NullGeraet.h"
#include "SpielRahmen.h"
#include "WeltRenderer.h"

namespace {

class WeltRendererImSpiel : public SpielRahmen {
 protected:
  // A particle drifting along +x at 1 unit/s, four units ahead of the camera.
  Spiel::Partikel VorDerKamera() const {
    const BMatrix& v = spiel->GibAnsicht();
    const V3 ort = Spiel::Kamera::Position(v) + V3{v(2, 0), v(2, 1), v(2, 2)} * 4.0f;
    Spiel::Partikel p{};
    p.position[0] = ort.x, p.position[1] = ort.y, p.position[2] = ort.z;
    p.geschwindigkeit[0] = 1;
    p.reibung = 1;
    p.farbe[0] = p.farbe[3] = 1;
    p.leben = 0.5f;
    p.groesse = 0.25f;
    return p;
  }
};

// Each frame steps the particles by the game clock's step; a paused clock leaves them as they
// are; a life of 0.5 s ends after 32 frames of 1/64 s.
TEST_F(WeltRendererImSpiel, PartikelLaufenAufDerSpieluhr) {
  StarteMit(Flur(1));
  Spiel::PartikelSystem& partikel = S().GibPartikel();
  const Spiel::Partikel start = VorDerKamera();
  ASSERT_EQ(partikel.FuegeHinzu(start), 0);
  Bild();
  ASSERT_EQ(S().GibUhr().letzterSchritt, BILD_TICKS);
  EXPECT_EQ(partikel.Anzahl(), 1u);
  EXPECT_FLOAT_EQ(partikel.Pool()[0].position[0], start.position[0] + DT);
  EXPECT_FLOAT_EQ(partikel.Pool()[0].leben, 0.5f - DT);

  S().GibUhr().Pausiere();
  Bilder(3);
  EXPECT_FLOAT_EQ(partikel.Pool()[0].position[0], start.position[0] + DT);
  EXPECT_FLOAT_EQ(partikel.Pool()[0].leben, 0.5f - DT);
  EXPECT_EQ(partikel.Anzahl(), 1u);
  S().GibUhr().Fortsetzen();

  Bilder(30);
  EXPECT_EQ(partikel.Anzahl(), 1u);
  Bild();
  EXPECT_EQ(partikel.Anzahl(), 0u);
  EXPECT_FALSE(partikel.Pool().IstLebend(0));
}

// Drawing the game flow records the very calls of drawing its scene with its particles, and one
// draw more than the scene without them.
TEST_F(WeltRendererImSpiel, ZeichnetSzeneUndPartikelDesSpiels) {
  StarteMit(Flur(1));
  Spiel::WeltRenderer renderer;
  FilterSatz leer;
  ASSERT_GE(S().GibPartikel().FuegeHinzu(VorDerKamera()), 0);
  Bild();
  d3d9::null::Welt* welt = d3d9::null::AktuelleWelt();
  const auto aufrufe = [&](auto&& zeichne) {
    welt->Leere();
    zeichne();
    return welt->aufrufe;
  };
  const BMatrix& v = S().GibAnsicht();
  // The first frame makes the targets; each compared frame follows the same frame, so the
  // context's state caches start alike.
  renderer.Zeichne(Szene(), &S().GibPartikel(), v, leer);
  const std::vector<d3d9::null::Aufruf> spiel = aufrufe([&] { renderer.Zeichne(S(), v, leer); });
  const std::vector<d3d9::null::Aufruf> szene =
      aufrufe([&] { renderer.Zeichne(Szene(), &S().GibPartikel(), v, leer); });
  ASSERT_EQ(spiel.size(), szene.size());
  for (size_t i = 0; i < spiel.size(); ++i) {
    EXPECT_EQ(spiel[i].methode, szene[i].methode) << i;
    EXPECT_EQ(spiel[i].argumente, szene[i].argumente) << i << " " << spiel[i].methode;
  }
  const auto zeichnungen = [&](const std::vector<d3d9::null::Aufruf>& liste) {
    size_t n = 0;
    for (const d3d9::null::Aufruf& a : liste) n += a.methode == "DrawIndexedPrimitive";
    return n;
  };
  const size_t ohnePartikel = zeichnungen(aufrufe([&] { renderer.Zeichne(Szene(), nullptr, v, leer); }));
  EXPECT_EQ(zeichnungen(spiel), ohnePartikel + 1);
}

}  // namespace
