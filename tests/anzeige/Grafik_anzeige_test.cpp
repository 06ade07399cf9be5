// Textures, cube textures, render targets, depth buffers, buffers and vertex inputs through the
// engine classes on the OpenGL device under a virtual display: every pixel format on both upload
// paths, mip levels, cube faces, partial writes, render targets of five formats, instanced
// batches with both index sizes, drawing after a display change and shutdown with live
// resources. Textures are shown by a shader that draws the sampled colour and, beside it, the
// sampled alpha as grey; pixels are read back with LiesBildschirmInhalt.
#include <squish.h>

#include <array>
#include <cmath>
#include <functional>
#include <stdexcept>

#include "Screen3DFenster.h"
#include "Zarvo_Renderziel.h"
#include "Zarvo_Textur.h"
#include "Zarvo_WuerfelTextur.h"
#include "Zarvo_ZBuffer.h"
#include "BildschirmOeffnen.h"

using namespace anzeige;

namespace {

constexpr uint32_t DYN = Zarvo_BasisObjekt::FLAG_DYNAMISCH;
constexpr uint32_t RZ = Zarvo_BasisObjekt::FLAG_RENDERZIEL;
constexpr uint32_t FLUECHTIG = Zarvo_BasisObjekt::FLAG_FLUECHTIG;
constexpr uint32_t MIPS = Zarvo_BasisObjekt::FLAG_MIPMAPS;
constexpr uint32_t FELD = 64;  // edge of the square a texture level is shown in

using Rgba = std::array<float, 4>;

// Pixel register 0.x chooses what is shown of the sampled value: its RGB (0) or its alpha as grey (1).
const char* const PS_KANAELE = R"(#version 330 core
layout(std140) uniform PixelRegister { vec4 c[224]; };
uniform sampler2D s0;
in vec4 v_TEXCOORD0;
layout(location = 0) out vec4 farbe;
void main() {
  vec4 t = texture(s0, v_TEXCOORD0.xy);
  farbe = c[0].x > 0.5 ? vec4(t.aaa, 1.0) : vec4(t.rgb, 1.0);
}
)";

const char* const PS_WUERFEL = R"(#version 330 core
uniform samplerCube s0;
in vec4 v_TEXCOORD0;
layout(location = 0) out vec4 farbe;
void main() { farbe = texture(s0, v_TEXCOORD0.xyz); }
)";

// A square per instance: corners (stream 0, FLOAT2) scaled by the instance's UBYTE4 value / 100
// and moved by its SHORT2N offset, coloured by its UBYTE4N colour.
const char* const VS_INSTANZ = R"(#version 330 core
in vec4 a_POSITION0;
in vec4 a_TEXCOORD0;
in vec4 a_TEXCOORD1;
in vec4 a_TEXCOORD2;
out vec4 v_TEXCOORD0;
void main() {
  gl_Position = vec4(a_POSITION0.xy * (a_TEXCOORD2.x / 100.0) + a_TEXCOORD0.xy, 0.5, 1.0);
  v_TEXCOORD0 = a_TEXCOORD1;
}
)";

uint32_t Unorm(float wert, int bits) { return uint32_t(std::lround(double(wert) * ((1u << bits) - 1))); }
float Stufe(float wert, int bits) { return float(Unorm(wert, bits)) / float((1u << bits) - 1); }

// Half float of a normal value or zero, rounded to nearest.
uint16_t Halb(float wert) {
  if (wert == 0.0f) return 0;
  uint32_t bits;
  std::memcpy(&bits, &wert, 4);
  const uint32_t exponent = (bits >> 23 & 0xFF) - 127 + 15;
  return uint16_t((bits >> 16 & 0x8000) | exponent << 10 | (bits & 0x7FFFFF) >> 13) + ((bits >> 12) & 1);
}

template <class T>
void Schreibe(uint8_t* ziel, std::initializer_list<T> werte) {
  std::memcpy(ziel, werte.begin(), werte.size() * sizeof(T));
}

// An uncompressed format: writes one texel of the value and gives what sampling returns
// (the value at the format's precision, missing channels 1, A8 as (0, 0, 0, a)).
struct Format {
  const char* name;
  Zarvo_Pixelformat format;
  std::function<Rgba(const Rgba& w, uint8_t* texel)> kodiere;
};

const std::vector<Format>& Formate() {
  static const std::vector<Format> formate = {
      {"A8R8G8B8", PXFMT_A8R8G8B8,
       [](const Rgba& w, uint8_t* t) {
         Schreibe<uint32_t>(t, {Unorm(w[3], 8) << 24 | Unorm(w[0], 8) << 16 | Unorm(w[1], 8) << 8 | Unorm(w[2], 8)});
         return Rgba{Stufe(w[0], 8), Stufe(w[1], 8), Stufe(w[2], 8), Stufe(w[3], 8)};
       }},
      {"R5G6B5", PXFMT_R5G6B5,
       [](const Rgba& w, uint8_t* t) {
         Schreibe<uint16_t>(t, {uint16_t(Unorm(w[0], 5) << 11 | Unorm(w[1], 6) << 5 | Unorm(w[2], 5))});
         return Rgba{Stufe(w[0], 5), Stufe(w[1], 6), Stufe(w[2], 5), 1};
       }},
      {"A2B10G10R10", PXFMT_A2B10G10R10,
       [](const Rgba& w, uint8_t* t) {
         Schreibe<uint32_t>(t, {Unorm(w[3], 2) << 30 | Unorm(w[2], 10) << 20 | Unorm(w[1], 10) << 10 | Unorm(w[0], 10)});
         return Rgba{Stufe(w[0], 10), Stufe(w[1], 10), Stufe(w[2], 10), Stufe(w[3], 2)};
       }},
      {"R16F", PXFMT_R16F,
       [](const Rgba& w, uint8_t* t) {
         Schreibe<uint16_t>(t, {Halb(w[0])});
         return Rgba{w[0], 1, 1, 1};
       }},
      {"G16R16F", PXFMT_G16R16F,
       [](const Rgba& w, uint8_t* t) {
         Schreibe<uint16_t>(t, {Halb(w[0]), Halb(w[1])});
         return Rgba{w[0], w[1], 1, 1};
       }},
      {"A16B16G16R16F", PXFMT_A16B16G16R16F,
       [](const Rgba& w, uint8_t* t) {
         Schreibe<uint16_t>(t, {Halb(w[0]), Halb(w[1]), Halb(w[2]), Halb(w[3])});
         return w;
       }},
      {"R32F", PXFMT_R32F,
       [](const Rgba& w, uint8_t* t) {
         Schreibe<float>(t, {w[0]});
         return Rgba{w[0], 1, 1, 1};
       }},
      {"G32R32F", PXFMT_G32R32F,
       [](const Rgba& w, uint8_t* t) {
         Schreibe<float>(t, {w[0], w[1]});
         return Rgba{w[0], w[1], 1, 1};
       }},
      {"A32B32G32R32F", PXFMT_A32B32G32R32F,
       [](const Rgba& w, uint8_t* t) {
         Schreibe<float>(t, {w[0], w[1], w[2], w[3]});
         return w;
       }},
      {"G16R16", PXFMT_G16R16,
       [](const Rgba& w, uint8_t* t) {
         Schreibe<uint16_t>(t, {uint16_t(Unorm(w[0], 16)), uint16_t(Unorm(w[1], 16))});
         return Rgba{Stufe(w[0], 16), Stufe(w[1], 16), 1, 1};
       }},
      {"A16B16G16R16", PXFMT_A16B16G16R16,
       [](const Rgba& w, uint8_t* t) {
         Schreibe<uint16_t>(t, {uint16_t(Unorm(w[0], 16)), uint16_t(Unorm(w[1], 16)), uint16_t(Unorm(w[2], 16)), uint16_t(Unorm(w[3], 16))});
         return Rgba{Stufe(w[0], 16), Stufe(w[1], 16), Stufe(w[2], 16), Stufe(w[3], 16)};
       }},
      {"A8", PXFMT_A8,
       [](const Rgba& w, uint8_t* t) {
         *t = uint8_t(Unorm(w[3], 8));
         return Rgba{0, 0, 0, Stufe(w[3], 8)};
       }},
  };
  return formate;
}

const Format& FormatVon(Zarvo_Pixelformat format) {
  for (const Format& f : Formate())
    if (f.format == format) return f;
  throw std::logic_error("format without an encoder");
}

// A distinct value per texel of a 4 x 4 level.
Rgba Wert(uint32_t x, uint32_t y) { return {float(1 + x + 4 * y) / 17.0f, float(16 - x) / 17.0f, float(x + 1) / 5.0f, float(y + 1) / 5.0f}; }

// An image of one format whose texel (x, y) holds wert(x, y); `erwartet` gets what sampling returns.
Zarvo_Bild Kodiert(const Format& f, uint32_t breite, uint32_t hoehe, const std::function<Rgba(uint32_t, uint32_t)>& wert,
                   std::vector<Rgba>& erwartet) {
  Zarvo_Bild bild(breite, hoehe, f.format, 1);
  const uint64_t bytes = Zarvo_Bild::BytesProZeile(f.format, 1);
  erwartet.assign(size_t(breite) * hoehe, {});
  for (uint32_t y = 0; y < hoehe; ++y)
    for (uint32_t x = 0; x < breite; ++x) erwartet[y * breite + x] = f.kodiere(wert(x, y), bild.Pixel() + y * bild.Zeilenbytes() + x * bytes);
  return bild;
}

class GrafikAnzeige : public Screen3DZeichnen {
 protected:
  void SetUp() override {
    Screen3DZeichnen::SetUp();
    ASSERT_EQ(geraet->CreatePixelShader(Shader(ShaderStufe::Pixel, PS_KANAELE, {}, "PixelRegister", {{"s0", 0}}).data(), &psKanaele), D3D_OK);
    for (uint32_t k = 0; k < stufenSampler.size(); ++k) {
      Zarvo_SamplerBeschr punkt{};
      punkt.adresse = 0x15;  // clamp; point filters with a point mip filter
      punkt.maxMipLevel = float(k);
      stufenSampler[k] = Kontext().ErzeugeSampler(punkt);
    }
  }
  void TearDown() override {
    if (geraet) {
      Kontext().SetTextur(PIXEL_STUFE_0, nullptr, nullptr);
      Kontext().impl.SetPixelShader(nullptr);
      if (psKanaele) psKanaele->Release();
    }
    Screen3DZeichnen::TearDown();
  }

  void LeereSchirm() {
    const float schwarz[4] = {0, 0, 0, 1};
    Kontext().SetRenderZiel(nullptr);
    Kontext().Leeren(3, schwarz);
  }
  // Level `stufe` of the texture magnified into square `feld` of the top row (its RGB) and the
  // square below it (its alpha), with the sampler whose most detailed level is `stufe`.
  void ZeigeStufe(Zarvo_BasisObjekt* textur, uint32_t stufe, uint32_t feld) {
    for (uint32_t alpha : {0u, 1u}) {
      Kontext().SetRenderBereich(FELD * feld, alpha * FELD, FELD, FELD);
      Kontext().SetProgrammKonstante(NUR_PIXEL_REGISTER, float(alpha), 0, 0, 0);
      Kontext().SetTextur(PIXEL_STUFE_0, stufenSampler[stufe], textur);
      Zeichne(TexturQuad(), psKanaele);
    }
    Kontext().SetRenderBereich(0, 0, ~uint64_t(0), ~uint64_t(0));
  }
  // Texel (x, y) of a level of edge `kante` shown in square `feld`, as read back (0..255 RGBA).
  static std::array<int, 4> Gelesen(const Zarvo_Bild& schirm, uint32_t feld, uint32_t kante, uint32_t x, uint32_t y) {
    const uint32_t px = FELD * feld + (2 * x + 1) * FELD / (2 * kante), py = (2 * y + 1) * FELD / (2 * kante);
    const uint32_t farbe = Pixel(schirm, px, py), alpha = Pixel(schirm, px, py + FELD);
    return {int(farbe >> 16 & 0xFF), int(farbe >> 8 & 0xFF), int(farbe & 0xFF), int(alpha & 0xFF)};
  }
  static void PruefeTexel(const std::array<int, 4>& gelesen, const Rgba& erwartet, int toleranz, const std::string& wo) {
    for (int c = 0; c < 4; ++c) EXPECT_NEAR(gelesen[c], std::lround(erwartet[c] * 255.0f), toleranz) << wo << " channel " << c;
  }

  // ---- instanced squares ----
  struct Instanz {
    int16_t x, y;        // SHORT2N offset in clip space
    uint8_t farbe[4];    // UBYTE4N colour R, G, B, A
    uint8_t groesse[4];  // UBYTE4: half edge in hundredths of clip space
  };
  static_assert(sizeof(Instanz) == 12);
  static Instanz NeueInstanz(float x, float y, uint32_t argb, uint8_t groesse) {
    return {int16_t(std::lround(x * 32767)), int16_t(std::lround(y * 32767)),
            {uint8_t(argb >> 16), uint8_t(argb >> 8), uint8_t(argb), 255}, {groesse, 0, 0, 0}};
  }
  // Five squares of distinct colours and sizes.
  static std::vector<Instanz> FuenfInstanzen() {
    const uint32_t farben[5] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFF00, 0xFFFF00FF};
    std::vector<Instanz> v;
    for (int i = 0; i < 5; ++i) v.push_back(NeueInstanz(-0.8f + 0.4f * float(i), i % 2 ? -0.5f : 0.5f, farben[i], uint8_t(6 + i)));
    return v;
  }

  // The corner buffer, 16- and 32-bit indices of the square, the instance input and its shader.
  void BaueStapel() {
    const float ecken[8] = {-1, 1, 1, 1, -1, -1, 1, -1};
    eckenBuffer = Kontext().ErzeugeVertexBuffer(0, 0, {const_cast<float*>(ecken), sizeof ecken, 0});
    const uint16_t i16[6] = {0, 1, 2, 1, 3, 2};
    const uint32_t i32[6] = {0, 1, 2, 1, 3, 2};
    indizes16 = Kontext().ErzeugeIndexBuffer(0, 1, {const_cast<uint16_t*>(i16), sizeof i16, 0});
    indizes32 = Kontext().ErzeugeIndexBuffer(0, 2, {const_cast<uint32_t*>(i32), sizeof i32, 0});
    instanzEingabe = Kontext().ErzeugeVertexEingabe();
    instanzEingabe->AddKanal(0, 1, 0, false);  // FLOAT2 corner
    instanzEingabe->AddKanal(1, 6, 0, true);   // SHORT2N offset
    instanzEingabe->AddKanal(1, 5, 4, true);   // UBYTE4N colour
    instanzEingabe->AddKanal(1, 4, 8, true);   // UBYTE4 size
    instanzEingabe->Beenden();
    ASSERT_NE(instanzEingabe->deklaration, nullptr);
    ASSERT_EQ(geraet->CreateVertexShader(Shader(ShaderStufe::Vertex, VS_INSTANZ,
                                                {{"a_POSITION0", D3DDECLUSAGE_POSITION, 0}, {"a_TEXCOORD0", D3DDECLUSAGE_TEXCOORD, 0},
                                                 {"a_TEXCOORD1", D3DDECLUSAGE_TEXCOORD, 1}, {"a_TEXCOORD2", D3DDECLUSAGE_TEXCOORD, 2}})
                                             .data(),
                                         &vsInstanz),
              D3D_OK);
  }
  void GibStapelFrei() {
    Kontext().SetVertexBuffer(0, nullptr, 0, 0);
    Kontext().SetVertexBuffer(1, nullptr, 0, 0);
    Kontext().SetIndexBuffer(nullptr);
    Kontext().impl.SetVertexShader(vsFarbe);
    Kontext().impl.SetDeklaration(eingabe->deklaration);
    for (Zarvo_BasisObjekt* o : std::initializer_list<Zarvo_BasisObjekt*>{eckenBuffer, indizes16, indizes32, instanzEingabe}) Kontext().GibFrei(o);
    if (vsInstanz) vsInstanz->Release();
    vsInstanz = nullptr;
  }
  // `instanzen` squares from `daten` (0: a plain draw reading stream 1 per vertex).
  void ZeichneStapel(Zarvo_VertexBuffer* daten, Zarvo_IndexBuffer* indizes, uint32_t instanzen) {
    Kontext().SetVertexBuffer(0, eckenBuffer, 0, 8);
    Kontext().SetVertexBuffer(1, daten, 0, sizeof(Instanz));
    Kontext().SetIndexBuffer(indizes);
    ASSERT_TRUE(Kontext().impl.SetDeklaration(instanzEingabe->deklaration));
    ASSERT_TRUE(Kontext().impl.SetVertexShader(vsInstanz));
    ASSERT_TRUE(Kontext().impl.SetPixelShader(psFarbe));
    if (instanzen == 0) Kontext().impl.ZeichneIndexElemente(2, instanzEingabe->streamAnzahl, 8);
    else Kontext().impl.ZeichneIndexInstanzen(2, instanzen, instanzEingabe->streamAnzahl, instanzEingabe->instanzMaske, 8);
  }
  Zarvo_VertexBuffer* InstanzBuffer(const std::vector<Instanz>& v) {
    return Kontext().ErzeugeVertexBuffer(0, 0, {const_cast<Instanz*>(v.data()), v.size() * sizeof(Instanz), 0});
  }
  // Each square's centre shows its colour when `sichtbar`, else black; just past its edge is black.
  void PruefeQuadrate(const Zarvo_Bild& schirm, const std::vector<Instanz>& v, bool sichtbar, uint64_t x0 = 0, uint64_t y0 = 0,
                      uint64_t b = 0, uint64_t h = 0) {
    if (b == 0) b = B, h = H;
    for (const Instanz& i : v) {
      const float x = float(i.x) / 32767, y = float(i.y) / 32767, halb = float(i.groesse[0]) / 100;
      const auto px = [&](float cx) { return x0 + uint64_t((cx + 1) / 2 * float(b)); };
      const auto py = [&](float cy) { return y0 + uint64_t((1 - cy) / 2 * float(h)); };
      const uint32_t farbe = 0xFF000000u | uint32_t(i.farbe[0]) << 16 | uint32_t(i.farbe[1]) << 8 | i.farbe[2];
      EXPECT_EQ(Pixel(schirm, px(x), py(y)), sichtbar ? farbe : 0xFF000000u) << "square at " << x << "," << y;
      EXPECT_EQ(Pixel(schirm, px(x + halb + 0.03f), py(y)), 0xFF000000u) << "right of the square at " << x << "," << y;
      EXPECT_EQ(Pixel(schirm, px(x), py(y - halb - 0.04f)), 0xFF000000u) << "below the square at " << x << "," << y;
    }
  }

  IDirect3DPixelShader9* psKanaele = nullptr;
  std::array<Zarvo_Sampler*, 5> stufenSampler{};
  Zarvo_VertexBuffer* eckenBuffer = nullptr;
  Zarvo_IndexBuffer* indizes16 = nullptr;
  Zarvo_IndexBuffer* indizes32 = nullptr;
  Zarvo_VertexEingabe* instanzEingabe = nullptr;
  IDirect3DVertexShader9* vsInstanz = nullptr;
};

}  // namespace

TEST_F(GrafikAnzeige, UnkomprimierteFormateAufBeidenWegen) {
  for (const Format& f : Formate())
    for (bool dynamisch : {false, true}) {
      SCOPED_TRACE(std::string(f.name) + (dynamisch ? " locked" : " through a system-memory surface"));
      std::vector<Rgba> erwartet;
      Zarvo_Bild bild = Kodiert(f, 4, 4, Wert, erwartet);
      Zarvo_Textur* t = Kontext().ErzeugeTextur(0, 0, 1, f.format | (dynamisch ? DYN : 0), Zarvo_TexturVorgabe(bild, 0));
      LeereSchirm();
      ZeigeStufe(t, 0, 0);
      const Zarvo_Bild schirm = Bildschirm();
      for (uint32_t y = 0; y < 4; ++y)
        for (uint32_t x = 0; x < 4; ++x)
          PruefeTexel(Gelesen(schirm, 0, 4, x, y), erwartet[y * 4 + x], 1, "texel " + std::to_string(x) + "," + std::to_string(y));
      Kontext().GibFrei(t);
    }
}

// DXT chains of 8 x 8 down to 1 x 1 made by libsquish: each level samples as libsquish decodes it.
TEST_F(GrafikAnzeige, DxtStufenWieLibsquishSieEntpackt) {
  const struct {
    Zarvo_Pixelformat format;
    int flags;
  } arten[] = {{PXFMT_DXT1, squish::kDxt1}, {PXFMT_DXT3, squish::kDxt3}, {PXFMT_DXT5, squish::kDxt5}};
  constexpr uint32_t STUFEN = 4;
  for (const auto& art : arten)
    for (bool dynamisch : {false, true}) {
      SCOPED_TRACE(std::to_string(art.format) + (dynamisch ? " locked" : " through a system-memory surface"));
      Zarvo_Bild bild(8, 8, art.format, STUFEN);
      std::vector<std::vector<uint8_t>> entpackt(STUFEN);
      for (uint32_t l = 0; l < STUFEN; ++l) {
        const uint32_t kante = 8 >> l;
        std::vector<uint8_t> rgba(size_t(kante) * kante * 4);
        for (size_t i = 0; i < rgba.size(); ++i) rgba[i] = uint8_t(i * 37 + l * 91 + (i % 4 == 3 ? 128 : 0));
        if (art.format == PXFMT_DXT1)
          for (size_t i = 3; i < rgba.size(); i += 4) rgba[i] = 255;
        Zarvo_Bild* stufe = bild.HoleMipStufe(l);
        ASSERT_EQ(Zarvo_Bild::BytesProBild(art.format, kante, kante), uint64_t(squish::GetStorageRequirements(int(kante), int(kante), art.flags)));
        squish::CompressImage(rgba.data(), int(kante), int(kante), stufe->Pixel(), art.flags);
        entpackt[l].resize(rgba.size());
        squish::DecompressImage(entpackt[l].data(), int(kante), int(kante), stufe->Pixel(), art.flags);
      }
      Zarvo_Textur* t = Kontext().ErzeugeTextur(0, 0, STUFEN, art.format | MIPS | (dynamisch ? DYN : 0), Zarvo_TexturVorgabe(bild, 0));
      LeereSchirm();
      for (uint32_t l = 0; l < STUFEN; ++l) ZeigeStufe(t, l, l);
      const Zarvo_Bild schirm = Bildschirm();
      for (uint32_t l = 0; l < STUFEN; ++l) {
        const uint32_t kante = 8 >> l;
        for (uint32_t y = 0; y < kante; ++y)
          for (uint32_t x = 0; x < kante; ++x) {
            const uint8_t* p = &entpackt[l][(y * kante + x) * 4];
            PruefeTexel(Gelesen(schirm, l, kante, x, y), {p[0] / 255.0f, p[1] / 255.0f, p[2] / 255.0f, p[3] / 255.0f}, 2,
                        "level " + std::to_string(l) + " texel " + std::to_string(x) + "," + std::to_string(y));
          }
      }
      Kontext().GibFrei(t);
    }
}

TEST_F(GrafikAnzeige, MipStufen) {
  // Given levels of distinct colours: the most detailed level allowed is the one shown.
  const uint32_t farben[4] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF};
  Zarvo_Bild kette(8, 8, PXFMT_A8R8G8B8, 4);
  for (uint32_t l = 0; l < 4; ++l) {
    Zarvo_Bild* s = kette.HoleMipStufe(l);
    for (uint64_t i = 0; i < s->Breite() * s->Hoehe(); ++i) std::memcpy(s->Pixel() + 4 * i, &farben[l], 4);
  }
  Zarvo_Textur* stufen = Kontext().ErzeugeTextur(0, 0, 4, PXFMT_A8R8G8B8 | MIPS, Zarvo_TexturVorgabe(kette, 0));
  // One level under the point mip filter every engine sampler has, drawn small (minified).
  Zarvo_Bild einzeln(16, 16, PXFMT_A8R8G8B8, 1);
  for (uint64_t i = 0; i < 256; ++i) std::memcpy(einzeln.Pixel() + 4 * i, &farben[1], 4);
  Zarvo_Textur* eineStufe = Kontext().ErzeugeTextur(0, 0, 1, PXFMT_A8R8G8B8, Zarvo_TexturVorgabe(einzeln, 0));
  // A 16 x 16 checker with automatic levels: the 1 x 1 level is their average.
  Zarvo_Bild schach(16, 16, PXFMT_A8R8G8B8, 1);
  for (uint32_t y = 0; y < 16; ++y)
    for (uint32_t x = 0; x < 16; ++x) {
      const uint32_t p = (x + y) % 2 ? 0xFFFFFFFF : 0xFF000000;
      std::memcpy(schach.Pixel() + y * schach.Zeilenbytes() + 4 * x, &p, 4);
    }
  Zarvo_Textur* automatisch = Kontext().ErzeugeTextur(0, 0, 0, PXFMT_A8R8G8B8, Zarvo_TexturVorgabe(schach, 0));
  ASSERT_EQ(automatisch->mipAnzahl, 5u);

  LeereSchirm();
  for (uint32_t l = 0; l < 4; ++l) ZeigeStufe(stufen, l, l);
  Kontext().SetRenderBereich(0, 3 * FELD, 4, 4);
  Kontext().SetTextur(PIXEL_STUFE_0, stufenSampler[0], eineStufe);
  Zeichne(TexturQuad(), psTextur);
  Kontext().SetRenderBereich(0, 0, ~uint64_t(0), ~uint64_t(0));
  const Zarvo_Bild schirm = Bildschirm();
  for (uint32_t l = 0; l < 4; ++l) EXPECT_EQ(Pixel(schirm, FELD * l + 2, 2), farben[l]) << "level " << l;
  EXPECT_EQ(Pixel(schirm, 1, 3 * FELD + 1), farben[1]);

  LeereSchirm();
  ZeigeStufe(automatisch, 4, 0);
  const std::array<int, 4> grau = Gelesen(Bildschirm(), 0, 1, 0, 0);
  for (int c = 0; c < 3; ++c) EXPECT_NEAR(grau[c], 128, 3) << "channel " << c;
  for (Zarvo_Textur* t : {stufen, eineStufe, automatisch}) Kontext().GibFrei(t);
}

// A volatile render-target texture with automatic levels: its smallest level follows what was
// last cleared or drawn into it.
TEST_F(GrafikAnzeige, RenderzielMitAutomatischenStufenZeigtNeuenInhalt) {
  Zarvo_Textur* farbe = Kontext().ErzeugeTextur(16, 16, 0, PXFMT_A8R8G8B8 | RZ | FLUECHTIG, {});
  ASSERT_EQ(farbe->mipAnzahl, 5u);
  Zarvo_Renderziel* ziel = Kontext().ErzeugeRenderziel(Zarvo_RenderzielBeschr(farbe, nullptr));
  struct Schritt {
    const char* name;
    float farbe[4];
    bool zeichnen;
    uint32_t erwartet;
  } schritte[] = {{"cleared", {0, 0, 1, 1}, false, 0xFF0000FF}, {"drawn", {1, 0, 0, 1}, true, 0xFFFF0000}, {"drawn again", {0, 1, 0, 1}, true, 0xFF00FF00}};
  for (const Schritt& s : schritte) {
    SCOPED_TRACE(s.name);
    Kontext().SetRenderZiel(ziel);
    if (s.zeichnen) Zeichne(Quad(-1, 1, 1, -1, s.farbe[0], s.farbe[1], s.farbe[2]), psFarbe);
    else Kontext().Leeren(1, s.farbe);
    LeereSchirm();
    ZeigeStufe(farbe, 4, 0);
    EXPECT_EQ(Pixel(Bildschirm(), FELD / 2, FELD / 2), s.erwartet);
  }
  Kontext().GibFrei(ziel);
  Kontext().GibFrei(farbe);
}

TEST_F(GrafikAnzeige, WuerfelSeitenNachRichtungUndAusrichtung) {
  // Engine face s filled with its colour, texel (0, 0) white as the marker.
  const uint32_t farben[6] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFF00, 0xFF00FFFF, 0xFFFF00FF};
  std::vector<uint32_t> texel(6 * 64);
  Zarvo_WuerfelTexturVorgabe vorgabe;
  for (uint32_t s = 0; s < 6; ++s) {
    std::fill_n(&texel[s * 64], 64, farben[s]);
    texel[s * 64] = 0xFFFFFFFF;
    vorgabe.seiten[s][0] = TBereich(reinterpret_cast<uint8_t*>(&texel[s * 64]), 8, 8, 32, PXFMT_A8R8G8B8);
  }
  Zarvo_WuerfelTextur* wuerfel = Kontext().ErzeugeWuerfelTextur(8, 1, PXFMT_A8R8G8B8, vorgabe);
  IDirect3DPixelShader9* ps = nullptr;
  ASSERT_EQ(geraet->CreatePixelShader(Shader(ShaderStufe::Pixel, PS_WUERFEL, {}, "", {{"s0", 0}}).data(), &ps), D3D_OK);
  // Engine faces 0..5 are +Y, -Y, +X, -X, +Z, -Z. Toward a face's texel (0, 0) by Direct3D's
  // face axes: +X (1, 1, 1), -X (-1, 1, -1), +Y (-1, 1, -1), -Y (-1, -1, 1), +Z (-1, 1, 1), -Z (1, 1, -1).
  const struct {
    const char* name;
    float r[3];
    uint32_t erwartet;
  } richtungen[] = {
      {"+Y", {0, 1, 0}, farben[0]},           {"-Y", {0, -1, 0}, farben[1]},          {"+X", {1, 0, 0}, farben[2]},
      {"-X", {-1, 0, 0}, farben[3]},          {"+Z", {0, 0, 1}, farben[4]},           {"-Z", {0, 0, -1}, farben[5]},
      {"+X marker", {1, 0.8f, 0.8f}, 0xFFFFFFFF},   {"-X marker", {-1, 0.8f, -0.8f}, 0xFFFFFFFF},
      {"+Y marker", {-0.8f, 1, -0.8f}, 0xFFFFFFFF}, {"-Y marker", {-0.8f, -1, 0.8f}, 0xFFFFFFFF},
      {"+Z marker", {-0.8f, 0.8f, 1}, 0xFFFFFFFF},  {"-Z marker", {0.8f, 0.8f, -1}, 0xFFFFFFFF},
  };
  LeereSchirm();
  Kontext().SetTextur(PIXEL_STUFE_0, stufenSampler[0], wuerfel);
  for (size_t i = 0; i < std::size(richtungen); ++i) {
    Kontext().SetRenderBereich(20 * i, 0, 20, 20);
    const float* r = richtungen[i].r;
    Zeichne(Quad(-1, 1, 1, -1, r[0], r[1], r[2]), ps);
  }
  Kontext().SetRenderBereich(0, 0, ~uint64_t(0), ~uint64_t(0));
  const Zarvo_Bild schirm = Bildschirm();
  for (size_t i = 0; i < std::size(richtungen); ++i) EXPECT_EQ(Pixel(schirm, 20 * i + 10, 10), richtungen[i].erwartet) << richtungen[i].name;
  Kontext().SetTextur(PIXEL_STUFE_0, nullptr, nullptr);
  Kontext().impl.SetPixelShader(nullptr);
  ps->Release();
  Kontext().GibFrei(wuerfel);
}

TEST_F(GrafikAnzeige, TeilschreibenBehaeltDieUebrigenTexel) {
  const uint32_t rot = 0xFFFF0000, gruen = 0xFF00FF00;
  Zarvo_Bild voll(8, 8, PXFMT_A8R8G8B8, 1), ecke(3, 5, PXFMT_A8R8G8B8, 1);
  for (uint64_t i = 0; i < 64; ++i) std::memcpy(voll.Pixel() + 4 * i, &rot, 4);
  for (uint64_t i = 0; i < 15; ++i) std::memcpy(ecke.Pixel() + 4 * i, &gruen, 4);
  Zarvo_Textur* t = Kontext().ErzeugeTextur(0, 0, 1, PXFMT_A8R8G8B8 | DYN, Zarvo_TexturVorgabe(voll, 0));
  TBereich bereich;
  ecke.LockBereich(bereich);
  t->InternSchreibeInhalt(0, bereich);
  LeereSchirm();
  ZeigeStufe(t, 0, 0);
  const Zarvo_Bild schirm = Bildschirm();
  for (uint32_t y = 0; y < 8; ++y)
    for (uint32_t x = 0; x < 8; ++x) {
      const std::array<int, 4> g = Gelesen(schirm, 0, 8, x, y);
      const uint32_t gelesen = uint32_t(g[3]) << 24 | uint32_t(g[0]) << 16 | uint32_t(g[1]) << 8 | uint32_t(g[2]);
      EXPECT_EQ(gelesen, x < 3 && y < 5 ? gruen : rot) << x << "," << y;
    }
  Kontext().GibFrei(t);
}

// Render targets of five formats, each with a larger depth buffer: the upper half drawn, the
// lower half cleared; sampled, the target shows the same way up and the same values as a copy
// uploaded with those values (missing channels 1; an A8 target keeps the alpha drawn).
TEST_F(GrafikAnzeige, RenderzielFormateWieHochgeladeneKopie) {
  const Rgba oben = {0.75f, 0.25f, 0.5f, 1.0f}, unten = {0.25f, 0.5f, 0.75f, 0.5f};
  for (Zarvo_Pixelformat format : {PXFMT_A8R8G8B8, PXFMT_A16B16G16R16F, PXFMT_R32F, PXFMT_G16R16, PXFMT_A8}) {
    const Format& f = FormatVon(format);
    SCOPED_TRACE(f.name);
    Zarvo_Textur* farbe = Kontext().ErzeugeTextur(16, 16, 1, format | RZ, {});
    Zarvo_ZBuffer* tiefe = Kontext().ErzeugeZBuffer(32, 32);
    Zarvo_Renderziel* ziel = Kontext().ErzeugeRenderziel(Zarvo_RenderzielBeschr(farbe, tiefe));
    Kontext().SetRenderZiel(ziel);
    Kontext().Leeren(3, unten.data());
    Zeichne(Quad(-1, 1, 1, 0, oben[0], oben[1], oben[2], oben[3]), psFarbe);
    std::vector<Rgba> erwartet;
    Zarvo_Bild kopieBild = Kodiert(f, 16, 16, [&](uint32_t, uint32_t y) { return y < 8 ? oben : unten; }, erwartet);
    Zarvo_Textur* kopie = Kontext().ErzeugeTextur(0, 0, 1, format, Zarvo_TexturVorgabe(kopieBild, 0));
    LeereSchirm();
    ZeigeStufe(farbe, 0, 0);
    ZeigeStufe(kopie, 0, 1);
    const Zarvo_Bild schirm = Bildschirm();
    for (uint32_t y : {0u, 7u, 8u, 15u}) {
      const std::string wo = "row " + std::to_string(y);
      PruefeTexel(Gelesen(schirm, 0, 16, 3, y), erwartet[y * 16], 1, "target " + wo);
      PruefeTexel(Gelesen(schirm, 1, 16, 3, y), erwartet[y * 16], 1, "copy " + wo);
    }
    for (Zarvo_BasisObjekt* o : std::initializer_list<Zarvo_BasisObjekt*>{ziel, tiefe, farbe, kopie}) Kontext().GibFrei(o);
  }
}

// SHORT2N offsets, UBYTE4N colours and UBYTE4 sizes per instance: five squares in place with
// 16- and 32-bit indices; the next plain draw reads the instance stream per vertex and draws one.
TEST_F(GrafikAnzeige, InstanzenMitBeidenIndexGroessen) {
  BaueStapel();
  const std::vector<Instanz> fuenf = FuenfInstanzen();
  Zarvo_VertexBuffer* instanzen = InstanzBuffer(fuenf);
  for (Zarvo_IndexBuffer* indizes : {indizes16, indizes32}) {
    SCOPED_TRACE(indizes == indizes16 ? "16-bit indices" : "32-bit indices");
    LeereSchirm();
    ZeichneStapel(instanzen, indizes, 5);
    PruefeQuadrate(Bildschirm(), fuenf, true);
  }
  // Vertices 0..3 read elements 0..3 (one white square); element 4 would be a fifth instance.
  std::vector<Instanz> einfach(4, NeueInstanz(-0.4f, 0.0f, 0xFFFFFFFF, 10));
  einfach.push_back(NeueInstanz(0.6f, 0.0f, 0xFF00FFFF, 10));
  Zarvo_VertexBuffer* proVertex = InstanzBuffer(einfach);
  LeereSchirm();
  ZeichneStapel(proVertex, indizes16, 0);
  const Zarvo_Bild schirm = Bildschirm();
  PruefeQuadrate(schirm, {einfach[0]}, true);
  PruefeQuadrate(schirm, {einfach[4]}, false);
  PruefeQuadrate(schirm, fuenf, false);
  GibStapelFrei();
  Kontext().GibFrei(instanzen);
  Kontext().GibFrei(proVertex);
}

// After a display change everything draws as before: a static texture comes back from its kept
// copy, buffers from theirs, the render target and depth buffer at once (redrawn, as their
// contents are lost).
TEST_F(GrafikAnzeige, NachDarstellungswechselWieZuvor) {
  BaueStapel();
  const std::vector<Instanz> fuenf = FuenfInstanzen();
  Zarvo_VertexBuffer* instanzen = InstanzBuffer(fuenf);
  std::vector<Rgba> erwartet;
  Zarvo_Bild bild = Kodiert(FormatVon(PXFMT_A8R8G8B8), 4, 4, Wert, erwartet);
  Zarvo_Textur* textur = Kontext().ErzeugeTextur(0, 0, 1, PXFMT_A8R8G8B8, Zarvo_TexturVorgabe(bild, 0));
  Zarvo_Textur* farbe = Kontext().ErzeugeTextur(16, 16, 1, PXFMT_A8R8G8B8 | RZ, {});
  Zarvo_ZBuffer* tiefe = Kontext().ErzeugeZBuffer(32, 32);
  Zarvo_Renderziel* ziel = Kontext().ErzeugeRenderziel(Zarvo_RenderzielBeschr(farbe, tiefe));
  const auto pruefeSzene = [&] {
    Kontext().SetRenderZiel(ziel);
    const float blau[4] = {0, 0, 1, 1};
    Kontext().Leeren(3, blau);
    Zeichne(Quad(-1, 1, 1, 0, 1, 1, 0), psFarbe);  // upper half yellow
    LeereSchirm();
    ZeigeStufe(textur, 0, 0);
    ZeigeStufe(farbe, 0, 1);
    const Zarvo_Bild schirm = Bildschirm();
    for (uint32_t y = 0; y < 4; ++y)
      for (uint32_t x = 0; x < 4; ++x) PruefeTexel(Gelesen(schirm, 0, 4, x, y), erwartet[y * 4 + x], 1, "texture");
    PruefeTexel(Gelesen(schirm, 1, 16, 2, 2), {1, 1, 0, 1}, 0, "target, top");
    PruefeTexel(Gelesen(schirm, 1, 16, 2, 13), {0, 0, 1, 1}, 0, "target, bottom");
    LeereSchirm();
    ZeichneStapel(instanzen, indizes32, 5);
    PruefeQuadrate(Bildschirm(), fuenf, true);
  };
  pruefeSzene();
  g_DisplayBreite.SetzeInt(400);
  g_DisplayHoehe.SetzeInt(300);
  Befehl("reinitvideo");
  PumpeBis(400, 300);
  ASSERT_EQ(aenderungen, 1);
  ASSERT_EQ(Zarvo_Screen3D::Zustand().breite, 400u);
  B = 400, H = 300;
  EXPECT_EQ(textur->zustand, Zarvo_BasisObjekt::ZUSTAND_FEHLT);  // until its next use
  EXPECT_EQ(ziel->zustand, Zarvo_BasisObjekt::ZUSTAND_BEREIT);
  pruefeSzene();
  GibStapelFrei();
  for (Zarvo_BasisObjekt* o : std::initializer_list<Zarvo_BasisObjekt*>{instanzen, textur, ziel, tiefe, farbe}) Kontext().GibFrei(o);
}

// The 800 x 600 window: a texture and a render target sampled and an instanced batch drawn in
// one frame, read back as expected.
class GrafikAnzeige800 : public GrafikAnzeige {
 protected:
  GrafikAnzeige800() { B = 800, H = 600; }
};

TEST_F(GrafikAnzeige800, TexturRenderzielUndInstanzenInEinemBild) {
  int w = 0, h = 0;
  glfwGetWindowSize(Fenster(), &w, &h);
  ASSERT_EQ(w, 800);
  ASSERT_EQ(h, 600);
  BaueStapel();
  const std::vector<Instanz> fuenf = FuenfInstanzen();
  Zarvo_VertexBuffer* instanzen = InstanzBuffer(fuenf);
  std::vector<Rgba> erwartet;
  Zarvo_Bild bild = Kodiert(FormatVon(PXFMT_A8R8G8B8), 4, 4, Wert, erwartet);
  Zarvo_Textur* textur = Kontext().ErzeugeTextur(0, 0, 1, PXFMT_A8R8G8B8, Zarvo_TexturVorgabe(bild, 0));
  Zarvo_Textur* farbe = Kontext().ErzeugeTextur(16, 16, 1, PXFMT_A8R8G8B8 | RZ, {});
  Zarvo_Renderziel* ziel = Kontext().ErzeugeRenderziel(Zarvo_RenderzielBeschr(farbe, nullptr));
  Kontext().SetRenderZiel(ziel);
  const float gruen[4] = {0, 1, 0, 1};
  Kontext().Leeren(1, gruen);
  Zeichne(Quad(-1, 1, 0, -1, 1, 0, 1), psFarbe);  // left half magenta

  LeereSchirm();
  ZeigeStufe(textur, 0, 0);
  ZeigeStufe(farbe, 0, 1);
  // The batch below the two squares.
  Kontext().SetRenderBereich(0, 200, 800, 400);
  ZeichneStapel(instanzen, indizes16, 5);
  const Zarvo_Bild schirm = Bildschirm();
  for (uint32_t y = 0; y < 4; ++y)
    for (uint32_t x = 0; x < 4; ++x) PruefeTexel(Gelesen(schirm, 0, 4, x, y), erwartet[y * 4 + x], 1, "texture");
  PruefeTexel(Gelesen(schirm, 1, 16, 2, 8), {1, 0, 1, 1}, 0, "target, left");
  PruefeTexel(Gelesen(schirm, 1, 16, 13, 8), {0, 1, 0, 1}, 0, "target, right");
  PruefeQuadrate(schirm, fuenf, true, 0, 200, 800, 400);
  GibStapelFrei();
  for (Zarvo_BasisObjekt* o : std::initializer_list<Zarvo_BasisObjekt*>{instanzen, textur, ziel, farbe}) Kontext().GibFrei(o);
}

// Closing the screen with resources still alive, some of them bound: one leak line per resource,
// then the device goes with no GL error and no crash.
TEST_F(Screen3DFenster, SchliessenMitLebendenResourcen) {
  g_Vollbild.SetzeBool(false);
  ASSERT_TRUE(anzeige::OeffneBildschirm(320, 240));
  Zarvo_ZeichenKontext& k = Kontext();
  Zarvo_Bild bild(8, 8, PXFMT_A8R8G8B8, 1);
  Zarvo_Textur* textur = k.ErzeugeTextur(0, 0, 0, PXFMT_A8R8G8B8, Zarvo_TexturVorgabe(bild, 0));
  k.ErzeugeWuerfelTextur(8, 1, PXFMT_A8R8G8B8 | DYN, {});
  Zarvo_Textur* farbe = k.ErzeugeTextur(16, 16, 1, PXFMT_A8R8G8B8 | RZ, {});
  Zarvo_ZBuffer* tiefe = k.ErzeugeZBuffer(32, 32);
  Zarvo_Renderziel* ziel = k.ErzeugeRenderziel(Zarvo_RenderzielBeschr(farbe, tiefe));
  std::vector<uint8_t> daten(96, 1);
  Zarvo_VertexBuffer* vb = k.ErzeugeVertexBuffer(0, 0, {daten.data(), daten.size(), 0});
  Zarvo_IndexBuffer* ib = k.ErzeugeIndexBuffer(0, 1, {daten.data(), daten.size(), 0});
  Zarvo_VertexEingabe* eingabe = k.ErzeugeVertexEingabe();
  eingabe->AddKanal(0, 2, 0, false);
  eingabe->Beenden();
  Zarvo_Sampler* sampler = k.ErzeugeSampler({});
  k.SetRenderZiel(ziel);
  k.SetTextur(PIXEL_STUFE_0, sampler, textur);
  k.SetVertexBuffer(0, vb, 0, 12);
  k.SetIndexBuffer(ib);
  ASSERT_TRUE(k.impl.SetDeklaration(eingabe->deklaration));
  log.zeilen.clear();
  Zarvo_Screen3D::Schliessen();
  EXPECT_FALSE(Zarvo_Screen3D::IstInitialisiert());
  for (const char* klasse : {"Zarvo_Textur", "Zarvo_WuerfelTextur", "Zarvo_ZBuffer", "Zarvo_Renderziel", "Zarvo_VertexBuffer",
                             "Zarvo_IndexBuffer", "Zarvo_VertexEingabe", "Zarvo_Sampler"})
    EXPECT_EQ(log.Anzahl(std::string("class ") + klasse + " mit AllocID "), klasse == std::string("Zarvo_Textur") ? 2u : 1u) << klasse;
  EXPECT_EQ(log.Anzahl("nicht freigegeben."), 9u);
}
