// Every shader the build ships translates without a preprocessor message and compiles into a
// record the device reads.
#include <gtest/gtest.h>

#include <cstring>

#include "LogMitschnitt.h"
#include "MitgelieferteShader.h"
#include "Plattform/d3d9/shadercode.h"
#include "Plattform/d3dx9/d3dx9.h"

TEST(MitgelieferteShader, JederUebersetztUndKompiliert) {
  const std::vector<testhilfe::MitgelieferterShader> alle = testhilfe::MitgelieferteShader();
  if (alle.empty()) GTEST_SKIP() << "the build ships no shader yet";
  LogMitschnitt log;
  for (const testhilfe::MitgelieferterShader& s : alle) {
    SCOPED_TRACE(s.name);
    log.zeilen.clear();
    const TSpeicher hlsl = Zarvo_HighLevelShaderBasis::BereiteQuelltextVor(s.quelle.c_str(), s.defines, s.pixel);
    g_Log.LeereWarteschlange();
    EXPECT_TRUE(log.zeilen.empty()) << log.zeilen.front();
    const char* text = reinterpret_cast<const char*>(hlsl.Daten());
    d3dx9::ID3DXBuffer* code = nullptr;
    d3dx9::ID3DXBuffer* meldungen = nullptr;
    const d3d9::HRESULT hr = d3dx9::D3DXCompileShader(text, d3d9::UINT(std::strlen(text)), nullptr, nullptr, "main",
                                                      s.pixel ? "ps_3_0" : "vs_3_0", 0, &code, &meldungen, nullptr);
    EXPECT_EQ(hr, d3d9::D3D_OK) << (meldungen ? static_cast<const char*>(meldungen->GetBufferPointer()) : "") << "\n" << text;
    if (meldungen) meldungen->Release();
    if (code == nullptr) continue;
    d3d9::ShaderCode record;
    std::string fehler;
    EXPECT_EQ(d3d9::Dekodiere(code->GetBufferPointer(), code->GetBufferSize(), s.pixel ? d3d9::ShaderStufe::Pixel : d3d9::ShaderStufe::Vertex,
                              record, fehler),
              d3d9::D3D_OK)
        << fehler;
    code->Release();
  }
}
