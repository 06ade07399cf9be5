// The shader record: a round trip and the decoder's refusals.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "Plattform/d3d9/shadercode.h"

using namespace d3d9;

namespace {

ShaderCode Beispiel() {
  ShaderCode code;
  code.stufe = ShaderStufe::Vertex;
  code.quelle = "#version 330 core\nvoid main() { gl_Position = vec4(0.0); }\n";
  code.registerBlock = "VertexRegister";
  code.registerBlockBytes = 256 * 16;
  code.sampler = {{"s_hoehe", 2}};
  code.eingaben = {{"a_POSITION0", D3DDECLUSAGE_POSITION, 0}, {"a_TEXCOORD3", D3DDECLUSAGE_TEXCOORD, 3}};
  code.geraeteBlock = "ZarvoGeraet";
  return code;
}

std::vector<uint8_t> Bytes(const ShaderCode& code) {
  const std::vector<DWORD> woerter = Kodiere(code);
  std::vector<uint8_t> bytes(woerter.size() * 4);
  std::memcpy(bytes.data(), woerter.data(), bytes.size());
  return bytes;
}

void SetzeZahl(std::vector<uint8_t>& bytes, size_t stelle, uint32_t wert) { std::memcpy(bytes.data() + stelle, &wert, 4); }

}  // namespace

TEST(ShaderCode, RundreiseErhaeltJedesFeld) {
  const ShaderCode original = Beispiel();
  const std::vector<DWORD> woerter = Kodiere(original);
  ShaderCode gelesen;
  std::string fehler;
  ASSERT_EQ(Dekodiere(woerter.data(), woerter.size() * 4, ShaderStufe::Vertex, gelesen, fehler), D3D_OK) << fehler;
  EXPECT_EQ(gelesen.quelle, original.quelle);
  EXPECT_EQ(gelesen.registerBlock, original.registerBlock);
  EXPECT_EQ(gelesen.registerBlockBytes, original.registerBlockBytes);
  ASSERT_EQ(gelesen.sampler.size(), 1u);
  EXPECT_EQ(gelesen.sampler[0].name, "s_hoehe");
  EXPECT_EQ(gelesen.sampler[0].register_, 2u);
  ASSERT_EQ(gelesen.eingaben.size(), 2u);
  EXPECT_EQ(gelesen.eingaben[1].name, "a_TEXCOORD3");
  EXPECT_EQ(gelesen.eingaben[1].usage, uint32_t(D3DDECLUSAGE_TEXCOORD));
  EXPECT_EQ(gelesen.eingaben[1].index, 3u);
  EXPECT_EQ(gelesen.geraeteBlock, "ZarvoGeraet");
  // The devices trust the header's length.
  EXPECT_EQ(Dekodiere(woerter.data(), SIZE_MAX, ShaderStufe::Vertex, gelesen, fehler), D3D_OK);
}

TEST(ShaderCode, AttributOrteNachSemantik) {
  EXPECT_EQ(AttributOrt(D3DDECLUSAGE_POSITION, 0), 0);
  EXPECT_EQ(AttributOrt(D3DDECLUSAGE_TEXCOORD, 0), 1);
  EXPECT_EQ(AttributOrt(D3DDECLUSAGE_TEXCOORD, 14), 15);
  EXPECT_EQ(AttributOrt(D3DDECLUSAGE_TEXCOORD, 15), -1);
  EXPECT_EQ(AttributOrt(3 /* NORMAL */, 0), -1);
}

TEST(ShaderCode, DecoderVerweigert) {
  struct Fall {
    const char* name;
    std::function<void(ShaderCode&)> aendereCode;
    std::function<void(std::vector<uint8_t>&)> aendereBytes;
    ShaderStufe erwartet = ShaderStufe::Vertex;
  };
  const auto nichts = [](ShaderCode&) {};
  const auto unveraendert = [](std::vector<uint8_t>&) {};
  const std::vector<Fall> faelle = {
      {"falsche Magie", nichts, [](std::vector<uint8_t>& b) { b[0] ^= 1; }},
      {"falsche Version", nichts, [](std::vector<uint8_t>& b) { SetzeZahl(b, 4, 2); }},
      {"Laenge kuerzer als der Kopf", nichts, [](std::vector<uint8_t>& b) { SetzeZahl(b, 8, 8); }},
      {"Laenge ueber das Ende", nichts, [](std::vector<uint8_t>& b) { SetzeZahl(b, 8, uint32_t(b.size() + 4)); }},
      {"abgeschnitten", nichts, [](std::vector<uint8_t>& b) { b.resize(b.size() - 24); SetzeZahl(b, 8, uint32_t(b.size())); }},
      {"Quelltext ohne NUL", nichts, [](std::vector<uint8_t>& b) { b[16 + 4 + Beispiel().quelle.size()] = 'x'; }},
      {"Quelltextlaenge ueber das Ende", nichts, [](std::vector<uint8_t>& b) { SetzeZahl(b, 16, 0x7FFFFFFF); }},
      {"falsche Stufe", nichts, unveraendert, ShaderStufe::Pixel},
      {"Sampler-Register ausserhalb", [](ShaderCode& c) { c.sampler[0].register_ = 4; }, unveraendert},
      {"Pixel-Sampler 16", [](ShaderCode& c) { c.stufe = ShaderStufe::Pixel; c.eingaben.clear(); c.sampler[0].register_ = 16; c.registerBlockBytes = 224 * 16; },
       unveraendert, ShaderStufe::Pixel},
      {"Pixel-Registerblock zu gross", [](ShaderCode& c) { c.stufe = ShaderStufe::Pixel; c.eingaben.clear(); c.sampler.clear(); },
       unveraendert, ShaderStufe::Pixel},
      {"Vertex-Registerblock zu gross", [](ShaderCode& c) { c.registerBlockBytes = 4097; }, unveraendert},
      {"Block ohne Groesse", [](ShaderCode& c) { c.registerBlockBytes = 0; }, unveraendert},
      {"unbekannte Usage", [](ShaderCode& c) { c.eingaben[0].usage = 3; }, unveraendert},
      {"Usage-Index ohne Ort", [](ShaderCode& c) { c.eingaben[1].index = 15; }, unveraendert},
      {"Pixelshader mit Eingaben", [](ShaderCode& c) { c.stufe = ShaderStufe::Pixel; c.registerBlockBytes = 16; }, unveraendert,
       ShaderStufe::Pixel},
  };
  for (const Fall& fall : faelle) {
    ShaderCode code = Beispiel();
    fall.aendereCode(code);
    std::vector<uint8_t> bytes = Bytes(code);
    fall.aendereBytes(bytes);
    ShaderCode gelesen;
    gelesen.quelle = "unberuehrt";
    std::string fehler;
    EXPECT_EQ(Dekodiere(bytes.data(), bytes.size(), fall.erwartet, gelesen, fehler), D3DERR_INVALIDCALL) << fall.name;
    EXPECT_FALSE(fehler.empty()) << fall.name;
    EXPECT_EQ(gelesen.quelle, "unberuehrt") << fall.name;
  }
  std::string fehler;
  ShaderCode gelesen;
  EXPECT_EQ(Dekodiere(nullptr, 0, ShaderStufe::Vertex, gelesen, fehler), D3DERR_INVALIDCALL);
  const uint8_t kurz[8] = {};
  EXPECT_EQ(Dekodiere(kurz, sizeof kurz, ShaderStufe::Vertex, gelesen, fehler), D3DERR_INVALIDCALL);
}
