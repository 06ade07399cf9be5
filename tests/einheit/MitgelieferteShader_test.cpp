// Every shader pair the build ships translates, compiles and is created on the recording device.
#include <gtest/gtest.h>

#include "GrafikHilfen.h"
#include "MitgelieferteShader.h"
#include "Zarvo_PixelShader.h"
#include "Zarvo_VertexShader.h"

namespace {

using MitgelieferteShaderTest = NullKontextTest;

TEST_F(MitgelieferteShaderTest, JedesPaarUebersetzt) {
  const std::vector<MitgeliefertesShaderPaar> paare = MitgelieferteShader(MORVELUNT_DATEN_QUELLE);
  ASSERT_FALSE(paare.empty());
  for (const MitgeliefertesShaderPaar& paar : paare) {
    SCOPED_TRACE(paar.name);
    ASSERT_FALSE(paar.vertex.empty() || paar.pixel.empty()) << "a pair needs both stages";
    Zarvo_VertexShader* vs = kontext->ErzeugeVertexShader();
    Zarvo_PixelShader* ps = kontext->ErzeugePixelShader();
    EXPECT_TRUE(vs->UebersetzeAusString(paar.vertex.c_str(), {}, true)) << (vs->GibMeldungen() ? vs->GibMeldungen() : "");
    EXPECT_TRUE(ps->UebersetzeAusString(paar.pixel.c_str(), {}, true)) << (ps->GibMeldungen() ? ps->GibMeldungen() : "");
    EXPECT_NE(vs->geraeteShader, nullptr);
    EXPECT_NE(ps->geraeteShader, nullptr);
    kontext->GibFrei(vs);
    kontext->GibFrei(ps);
  }
}

}  // namespace
