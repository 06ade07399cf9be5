// The shipped level played through with the game's own builders, keys and mouse: the lever opens
// the gates of rooms B and C, the stone of room B is taken, the plate behind gate (4, 1, 19)
// closes it after the player and opens it again from its side, and the stone laid on the plate
// holds it open.
#include <gtest/gtest.h>

#include <chrono>

#include "SpielRahmen.h"

namespace {

constexpr uint32_t TYP_HEBEL = 2, TYP_GITTER = 3;

class MitgelieferteSzene : public SpielRahmen {
 protected:
  // Each key pressed, then frames until the player stands again.
  void Gehe(std::initializer_list<int> tasten) {
    for (int taste : tasten) {
      Tippe(taste);
      ASSERT_GT(BilderBis([this] { return Steht(); }, 80), 0) << char(taste);
    }
  }
};

TEST_F(MitgelieferteSzene, HebelPlatteUndSteinHaltenDasGitterOffen) {
  NimmMitgelieferteSzene();
  Starte();
  Bilder(2);
  const Zelle b{3, 1, 15}, c{4, 1, 19}, platte{4, 1, 20};
  ASSERT_EQ(S().GibZelle(), (Zelle{3, 1, 3}));
  ASSERT_EQ(S().GibBlick(), 2u);

  // 1. To the lever's cell, facing it (-X); the lever and both gates built (waiting there, where
  // they are the nearest patches, is what keeps this short under the sanitizers).
  Gehe({GLFW_KEY_W, GLFW_KEY_W, GLFW_KEY_W, GLFW_KEY_W, GLFW_KEY_W, GLFW_KEY_W, GLFW_KEY_W, GLFW_KEY_W, GLFW_KEY_W,
        GLFW_KEY_W, GLFW_KEY_W, GLFW_KEY_A, GLFW_KEY_Q});
  ASSERT_EQ(S().GibZelle(), (Zelle{2, 1, 14}));
  ASSERT_EQ(S().GibBlick(), 0u);
  const auto anfang = std::chrono::steady_clock::now();
  ASSERT_TRUE(WarteAufInstanzen({KeyBei(TYP_HEBEL, {2, 1, 14}), KeyBei(TYP_GITTER, b), KeyBei(TYP_GITTER, c)}));
  RecordProperty("instanzen_ms", int(std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - anfang).count()));
  ASSERT_EQ(GitterZustand(b), 0.0f);
  ASSERT_EQ(GitterZustand(c), 0.0f);

  // 2. The lever pulled.
  const V3 hebel = Szene().GibHebel()[0].position;
  ASSERT_EQ(Szene().GibHebel()[0].zelle, (Zelle{2, 1, 14}));
  KlickeAufWeltpunkt(hebel);
  EXPECT_GT(BilderBis([&] { return GitterZustand(b) == 1.0f && GitterZustand(c) == 1.0f; }, 80), 0);
  EXPECT_EQ(Szene().GibHebel()[0].zustand, 1.0f);
  EXPECT_EQ(Gespielt("gitter_auf.ogg"), 2u) << "one for each gate";

  // 3. Through gate (3, 1, 15) to (5, 1, 16); the stone of room B taken.
  Maus(640, 360);
  Gehe({GLFW_KEY_E, GLFW_KEY_D, GLFW_KEY_W, GLFW_KEY_W, GLFW_KEY_D, GLFW_KEY_D});
  ASSERT_EQ(S().GibZelle(), (Zelle{5, 1, 16}));
  const V3 stein{5.25f, 1.05f, 17.25f};
  bool gefunden = false;
  Szene().GibGegenstaende().FuerLebende([&](uint64_t, const Spiel::Szene::Gegenstand& g) {
    gefunden = gefunden || (g.position - stein).Laenge() < 1e-5f;
  });
  ASSERT_TRUE(gefunden);
  KlickeAufWeltpunkt(stein * 2.0f, {640, 600, 0});
  ASSERT_TRUE(S().GibGetragen().da);

  // 4. Through gate (4, 1, 19) onto the plate, and on: the gate shuts behind.
  Maus(640, 360);
  Gehe({GLFW_KEY_A, GLFW_KEY_W, GLFW_KEY_W, GLFW_KEY_W, GLFW_KEY_W});
  ASSERT_EQ(S().GibZelle(), platte);
  EXPECT_EQ(Anzahl(platte), 1);
  const size_t zuVorher = Gespielt("gitter_zu.ogg");
  Tippe(GLFW_KEY_W);
  ASSERT_EQ(S().GibZelle(), (Zelle{4, 1, 21}));
  EXPECT_EQ(Anzahl(platte), 0);
  const int zu = BilderBis([&] { return GitterZustand(c) == 0.0f; }, 64 * 10);
  EXPECT_GE(zu, 440);
  EXPECT_LE(zu, 460);
  EXPECT_EQ(Gespielt("gitter_zu.ogg"), zuVorher + 1);

  // 5. Back onto the plate: the gate opens again.
  Tippe(GLFW_KEY_S);
  ASSERT_EQ(S().GibZelle(), platte);
  const int auf = BilderBis([&] { return GitterZustand(c) == 1.0f; }, 64 * 4);
  EXPECT_GT(auf, 0);
  EXPECT_LE(auf, 130);

  // 6. From (4, 1, 21) facing -Z, the stone put down onto the plate: the gate stays open.
  Gehe({GLFW_KEY_W, GLFW_KEY_Q, GLFW_KEY_Q});
  ASSERT_EQ(S().GibZelle(), (Zelle{4, 1, 21}));
  ASSERT_EQ(S().GibBlick(), 3u);
  Maus(640, 520);
  Bilder(2);
  Klicke();
  EXPECT_FALSE(S().GibGetragen().da);
  bool aufDerPlatte = false;
  Szene().GibGegenstaende().FuerLebende([&](uint64_t, const Spiel::Szene::Gegenstand& g) {
    aufDerPlatte = aufDerPlatte || (!g.bewegt && int32_t(g.position.x) == 4 && int32_t(g.position.y) == 1 && int32_t(g.position.z) == 20);
  });
  EXPECT_TRUE(aufDerPlatte);
  EXPECT_EQ(Anzahl(platte), 1);
  Bilder(64 * 8);
  EXPECT_EQ(GitterZustand(c), 1.0f) << "held open by the stone";
  EXPECT_EQ(S().GibZelle(), (Zelle{4, 1, 21}));
}

}  // namespace
