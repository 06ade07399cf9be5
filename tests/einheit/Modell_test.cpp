// Meshes uploaded through the screen's drawing context on the recording device.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "Modell.h"
#include "NullBildschirmTest.h"
#include "Plattform/d3d9/null/NullObjekte.h"
#include "Ressourcen.h"
#include "Zarvo_IndexBuffer.h"
#include "Zarvo_VertexBuffer.h"
#include "Zarvo_ZeichenKontext.h"

using namespace d3d9;
using Spiel::WeltVertex;

namespace {

using ModellTest = NullBildschirmTest;

TEST_F(ModellTest, Grenzen) {
  struct Fall {
    std::vector<WeltVertex> vertices;
    float mitte[3], halb[3];
  } faelle[] = {
      {{{-1, 0, 0, 0, 0, 0}, {3, 0, 0, 0, 0, 0}}, {1, 0, 0}, {2, 0, 0}},
      {{{5, -2, 7, 0, 0, 0}}, {5, -2, 7}, {0, 0, 0}},
      {{{0, 0, 0, 0, 0, 0}, {0, 4, 0, 0, 0, 0}, {0, 4, 9, 0, 0, 0}}, {0, 8.0f / 3, 3}, {0, 8.0f / 3, 6}},
  };
  const std::vector<uint32_t> indizes = {0, 0, 0};
  for (const Fall& f : faelle) {
    Spiel::Modell m = Spiel::Ressourcen::LadeModellHoch(f.vertices, indizes);
    for (int a = 0; a < 3; ++a) {
      EXPECT_FLOAT_EQ(m.mitte[a], f.mitte[a]) << a;
      EXPECT_FLOAT_EQ(m.halbeAusdehnung[a], f.halb[a]) << a;
    }
  }
}

TEST_F(ModellTest, BufferUndFreigabe) {
  const std::vector<WeltVertex> vertices = {{0, 0, 0, 0, 0, 1}, {1, 0, 0, 1, 0, 2}, {0, 1, 0, 0, 1, 3}, {1, 1, 0, 1, 1, 4}};
  const std::vector<uint32_t> indizes = {0, 1, 2, 2, 1, 3};
  const int vorher = Belegt();
  {
    Spiel::Modell m = Spiel::Ressourcen::LadeModellHoch(vertices, indizes);
    ASSERT_TRUE(m.HatInhalt());
    EXPECT_EQ(m.vertexBuffer->groesse, 24u * 4);
    EXPECT_EQ(m.indexBuffer->groesse, 4u * 6);
    EXPECT_EQ(m.indexBuffer->indexFormat, Zarvo_IndexBuffer::INDEX32);
    EXPECT_EQ(m.vertexBuffer->flags & Zarvo_BasisObjekt::FLAG_DYNAMISCH, 0u);
    const auto& vb = *dynamic_cast<null::VertexPuffer*>(m.vertexBuffer->buffer);
    EXPECT_EQ(0, std::memcmp(vb.bytes.data(), vertices.data(), 96));
    const auto ib = null::AktuelleWelt()->Aufrufe("CreateIndexBuffer").back().argumente;
    EXPECT_EQ(ib[2], uint64_t(D3DFMT_INDEX32));
    EXPECT_EQ(Belegt(), vorher + 2);
    Spiel::Modell verschoben = std::move(m);
    EXPECT_FALSE(m.HatInhalt());
    EXPECT_EQ(Belegt(), vorher + 2);
  }
  EXPECT_EQ(Belegt(), vorher);
  EXPECT_FALSE(log.EnthaeltTeil("!Ausnahme"));
}

TEST_F(ModellTest, LeeresModell) {
  const int vorher = Belegt();
  Spiel::Modell m = Spiel::Ressourcen::LadeModellHoch({}, {});
  EXPECT_FALSE(m.HatInhalt());
  EXPECT_EQ(Belegt(), vorher);
  for (int a = 0; a < 3; ++a) EXPECT_EQ(m.mitte[a], 0.0f);
  const std::vector<WeltVertex> einer = {{2, 3, 4, 0, 0, 0}};
  Spiel::Modell ohneIndizes = Spiel::Ressourcen::LadeModellHoch(einer, {});
  EXPECT_FALSE(ohneIndizes.HatInhalt());
  EXPECT_EQ(ohneIndizes.mitte[1], 3.0f);
  EXPECT_FALSE(log.EnthaeltTeil("!Ausnahme"));
}

}  // namespace
