#include "Zarvo_SpriteStapel.h"

#include <algorithm>

#include "Zarvo_AlphaZustand.h"
#include "Zarvo_IndexBuffer.h"
#include "Zarvo_PixelShader.h"
#include "Zarvo_Programm.h"
#include "Zarvo_Sampler.h"
#include "Zarvo_Screen3D.h"
#include "Zarvo_ShaderTools.h"
#include "Zarvo_TexturAtlas.h"
#include "Zarvo_Textur.h"
#include "Zarvo_VertexBuffer.h"
#include "Zarvo_VertexEingabe.h"
#include "Zarvo_ZeichenKontext.h"

namespace {

// The vertex shader of both variants; the normal-map one also hands on the rotation.
#define SPRITE_VERTEX_SHADER(NORMAL_DEKLARATION, NORMAL_AUSGABE)                                              \
  "float2 gQuellGroesse;\n"                                                                                   \
  "float2 gZielGroesse;\n"                                                                                    \
  "$rein float2 vertexPos;\n"                                                                                 \
  "$rein float3 instZielPos;\n"                                                                               \
  "$rein float2 instGroesse;\n"                                                                               \
  "$rein float4 instGrafik;\n"                                                                                \
  "$rein float4 instFarbe;\n"                                                                                 \
  "$rein float2 instParam;\n"                                                                                 \
  "$raus float4 fragPos;\n"                                                                                   \
  "$raus float4 fragFarbe;\n"                                                                                 \
  "$raus float2 fragTex;\n"                                                                                   \
  "$raus float4 fragTexGrenz;\n" NORMAL_DEKLARATION                                                           \
  "$main() {\n"                                                                                               \
  "  float s, c;\n"                                                                                           \
  "  sincos(instParam.x, s, c);\n"                                                                            \
  "  float2 vx = float2(c, s);\n"                                                                             \
  "  float2 vy = float2(-s, c);\n"                                                                            \
  "  float2 q = (vertexPos - instParam.y) * instGroesse;\n"                                                   \
  "  float2 p = instZielPos.xy + q.x * vx + q.y * vy;\n"                                                      \
  "#if GRAFIK_DIRECTX == 9\n"                                                                                 \
  "  p += float2(-0.5, -0.5);\n"                                                                              \
  "#endif\n"                                                                                                  \
  "  fragPos = float4(p * gZielGroesse * float2(2, -2) + float2(-1, 1), instZielPos.z, 1);\n"                 \
  "  fragFarbe = instFarbe;\n"                                                                                \
  "  fragTex = (instGrafik.xy + vertexPos * instGrafik.zw) * gQuellGroesse;\n"                                \
  "  float r = min(abs(instGroesse.x) / instGrafik.z, abs(instGroesse.y) / instGrafik.w);\n"                  \
  "  r = exp2(floor(log2(r)));\n"                                                                             \
  "  r = 0.5 / clamp(r, 1.0 / 16.0, 1.0);\n"                                                                  \
  "  fragTexGrenz = (instGrafik.xyxy + float4(0, 0, 1, 1) * instGrafik.zwzw + float4(1, 1, -1, -1) * r)\n"    \
  "               * gQuellGroesse.xyxy;\n" NORMAL_AUSGABE                                                     \
  "}\n"

constexpr char VS_EINFACH[] = SPRITE_VERTEX_SHADER("", "");
constexpr char VS_NORMALKARTE[] =
    SPRITE_VERTEX_SHADER("$raus float4 fragRotMatrix;\n", "  fragRotMatrix = float4(vx, vy);\n");
#undef SPRITE_VERTEX_SHADER

// Pixel inputs count from TEXCOORD0, in the order of the vertex outputs after the position.
#define SPRITE_PIXEL_EINGABEN    \
  "DEF_SAMPLER_2D(Textur);\n"   \
  "$rein float4 fragFarbe;\n"   \
  "$rein float2 fragTex;\n"     \
  "$rein float4 fragTexGrenz;\n" \
  "$raus float4 ergFarbe;\n"

constexpr char PS_EINFACH[] =
    SPRITE_PIXEL_EINGABEN
    "$main() {\n"
    "  float2 t = clamp(fragTex, fragTexGrenz.xy, fragTexGrenz.zw);\n"
    "  float4 farbe = SAMPLE_2D(Textur, t) * fragFarbe;\n"
    "  farbe.rgb *= abs(farbe.a);\n"
    "  farbe.a = max(0, farbe.a);\n"
    "  ergFarbe = farbe;\n"
    "}\n";

// The unchanged copy: the clamped sample times the sprite colour, without premultiplying, so that
// texels with alpha below 1 keep their colour when copied into a target.
constexpr char PS_KOPIE[] =
    SPRITE_PIXEL_EINGABEN
    "$main() {\n"
    "  float2 t = clamp(fragTex, fragTexGrenz.xy, fragTexGrenz.zw);\n"
    "  ergFarbe = SAMPLE_2D(Textur, t) * fragFarbe;\n"
    "}\n";
#undef SPRITE_PIXEL_EINGABEN

constexpr char PS_NORMALKARTE[] =
    "DEF_SAMPLER_2D(Textur);\n"
    "$rein float4 fragFarbe;\n"
    "$rein float2 fragTex;\n"
    "$rein float4 fragTexGrenz;\n"
    "$rein float4 fragRotMatrix;\n"
    "$raus float4 ergFarbe;\n"
    "$main() {\n"
    "  float2 t = clamp(fragTex, fragTexGrenz.xy, fragTexGrenz.zw);\n"
    "  float4 texel = SAMPLE_2D(Textur, t) * fragFarbe;\n"
    "  texel.xy = texel.xy * 2 - 1;\n"
    "  texel.xy = texel.x * fragRotMatrix.xy + texel.y * fragRotMatrix.zw;\n"
    "  texel.xy = texel.xy * 0.5 + 0.5;\n"
    "  texel.rgb *= abs(texel.a);\n"
    "  ergFarbe = texel;\n"
    "}\n";

// Vertex data types of the input layout.
constexpr uint32_t FLOAT2 = 1;
constexpr uint32_t FLOAT3 = 2;
constexpr uint32_t FLOAT4 = 3;

struct SpriteProgramm {
  Zarvo_ShaderPaar shader;
  uint32_t quellGroesse = 0;
  uint32_t zielGroesse = 0;
  uint32_t textur = 0;
};

struct GemeinsameResourcen {
  uint64_t nutzer = 0;
  Zarvo_VertexEingabe* eingabe = nullptr;
  SpriteProgramm einfach;
  SpriteProgramm normalKarte;
  SpriteProgramm kopie;
  Zarvo_VertexBuffer* quad = nullptr;
  Zarvo_IndexBuffer* quadIndizes = nullptr;
  Zarvo_AlphaZustand* alpha = nullptr;
  Zarvo_Sampler* sampler = nullptr;

  bool Angelegt() const { return eingabe != nullptr; }
};

GemeinsameResourcen g_gemeinsam;

Zarvo_VertexEingabe* BaueEingabe(Zarvo_ZeichenKontext& kontext) {
  Zarvo_VertexEingabe* eingabe = kontext.ErzeugeVertexEingabe();
  eingabe->AddKanal(0, FLOAT2, 0, false);   // vertexPos
  eingabe->AddKanal(1, FLOAT3, 0, true);    // instZielPos
  eingabe->AddKanal(1, FLOAT2, 12, true);   // instGroesse
  eingabe->AddKanal(1, FLOAT4, 20, true);   // instGrafik
  eingabe->AddKanal(1, FLOAT4, 36, true);   // instFarbe
  eingabe->AddKanal(1, FLOAT2, 52, true);   // instParam
  eingabe->Beenden();
  return eingabe;
}

void LiesGriffe(SpriteProgramm& p) {
  p.quellGroesse = p.shader.programm->GibKonstante("gQuellGroesse");
  p.zielGroesse = p.shader.programm->GibKonstante("gZielGroesse");
  p.textur = p.shader.programm->GibSampler("Textur");
}

SpriteProgramm BaueProgramm(Zarvo_ZeichenKontext& kontext, Zarvo_VertexEingabe* eingabe, bool normalKarte) {
  SpriteProgramm p;
  p.shader = Zarvo_ShaderTools::ErzeugeProgrammAusText(kontext, eingabe, Zarvo_SpriteStapel::VertexShaderQuelle(normalKarte),
                                                       Zarvo_SpriteStapel::PixelShaderQuelle(normalKarte));
  LiesGriffe(p);
  return p;
}

// The copy program shares the plain program's vertex shader; its pair holds no vertex shader.
SpriteProgramm BaueKopierProgramm(Zarvo_ZeichenKontext& kontext, Zarvo_VertexEingabe* eingabe, const SpriteProgramm& einfach) {
  SpriteProgramm p;
  p.shader.pixelShader = kontext.ErzeugePixelShader();
  p.shader.pixelShader->UebersetzeAusString(PS_KOPIE, {}, false);
  p.shader.programm = kontext.ErzeugeProgramm(eingabe, einfach.shader.vertexShader, p.shader.pixelShader);
  LiesGriffe(p);
  return p;
}

void LegeGemeinsameAn(Zarvo_ZeichenKontext& kontext) {
  GemeinsameResourcen& g = g_gemeinsam;
  g.eingabe = BaueEingabe(kontext);
  g.einfach = BaueProgramm(kontext, g.eingabe, false);
  g.normalKarte = BaueProgramm(kontext, g.eingabe, true);
  g.kopie = BaueKopierProgramm(kontext, g.eingabe, g.einfach);
  float ecken[8] = {0, 0, 1, 0, 0, 1, 1, 1};
  g.quad = kontext.ErzeugeVertexBuffer(sizeof ecken, 0, {ecken, sizeof ecken, 0});
  uint16_t indizes[6] = {0, 1, 2, 1, 3, 2};
  g.quadIndizes = kontext.ErzeugeIndexBuffer(0, Zarvo_IndexBuffer::INDEX16, {indizes, sizeof indizes, 0});
  g.alpha = kontext.ErzeugeAlphaZustand(Zarvo_AlphaZustand::Beschreibung(0, 1, 4));  // add, one, 1 - source alpha
  Zarvo_SamplerBeschr sampler{};
  sampler.filter = Zarvo_Sampler::FILTER_ANISOTROP;
  sampler.adresse = 0x15;  // clamp U, V, W
  sampler.maxAnisotropie = 16;
  g.sampler = kontext.ErzeugeSampler(sampler);
}

// The set, made now when a batch exists but none was made for lack of a drawing context.
bool SichereGemeinsame(Zarvo_ZeichenKontext& kontext) {
  if (!g_gemeinsam.Angelegt() && g_gemeinsam.nutzer > 0) LegeGemeinsameAn(kontext);
  return g_gemeinsam.Angelegt();
}

}  // namespace

const char* Zarvo_SpriteStapel::VertexShaderQuelle(bool normalKarte) { return normalKarte ? VS_NORMALKARTE : VS_EINFACH; }

const char* Zarvo_SpriteStapel::PixelShaderQuelle(bool normalKarte) { return normalKarte ? PS_NORMALKARTE : PS_EINFACH; }

const char* Zarvo_SpriteStapel::KopierPixelShaderQuelle() { return PS_KOPIE; }

void Zarvo_SpriteStapel::ErzeugeGemeinsameResourcen() {
  if (g_gemeinsam.nutzer++ != 0) return;
  if (Zarvo_ZeichenKontext* kontext = Zarvo_Screen3D::GibZeichenKontext()) LegeGemeinsameAn(*kontext);
}

void Zarvo_SpriteStapel::GibGemeinsameResourcenFrei() {
  if (g_gemeinsam.nutzer == 0 || --g_gemeinsam.nutzer != 0) return;
  GemeinsameResourcen& g = g_gemeinsam;
  Zarvo_ZeichenKontext* kontext = Zarvo_Screen3D::GibZeichenKontext();
  if (kontext && g.Angelegt()) {
    kontext->GibFrei(g.sampler);
    kontext->GibFrei(g.alpha);
    kontext->GibFrei(g.quadIndizes);
    kontext->GibFrei(g.quad);
    Zarvo_ShaderTools::GibFrei(*kontext, g.kopie.shader);
    Zarvo_ShaderTools::GibFrei(*kontext, g.normalKarte.shader);
    Zarvo_ShaderTools::GibFrei(*kontext, g.einfach.shader);
    kontext->GibFrei(g.eingabe);
  }
  g = {};
}

Zarvo_SpriteStapel::Zarvo_SpriteStapel(uint64_t kapazitaet) {
  ErzeugeGemeinsameResourcen();
  SetKapazitaet(kapazitaet);
}

Zarvo_SpriteStapel::~Zarvo_SpriteStapel() {
  GibBufferFrei();
  GibGemeinsameResourcenFrei();
}

void Zarvo_SpriteStapel::GibBufferFrei() {
  Zarvo_ZeichenKontext* kontext = Zarvo_Screen3D::GibZeichenKontext();
  if (instanzBuffer && kontext) kontext->GibFrei(instanzBuffer);
  instanzBuffer = nullptr;
}

void Zarvo_SpriteStapel::SetKapazitaet(uint64_t n) {
  if (n != 0 && instanzBuffer && instanzBuffer->groesse >= n * INSTANZ_BYTES) return;
  GibBufferFrei();
  Zarvo_ZeichenKontext* kontext = Zarvo_Screen3D::GibZeichenKontext();
  if (n != 0 && kontext) instanzBuffer = kontext->ErzeugeVertexBuffer(n * INSTANZ_BYTES, BUFFER_FLAGS, {});
}

uint64_t Zarvo_SpriteStapel::GibKapazitaet() const { return instanzBuffer ? instanzBuffer->groesse / INSTANZ_BYTES : 0; }

bool Zarvo_SpriteStapel::StarteZeichnen(Zarvo_SpriteListe& liste) {
  SetKapazitaet(liste.Instanzen().size());
  Zarvo_TexturAtlas* atlas = liste.Atlas();
  if (atlas == nullptr) return false;
  return StarteZeichnen(atlas->GibTextur(), atlas->Flags() & Zarvo_GfxAtlas::FLAG_NORMALKARTE);
}

bool Zarvo_SpriteStapel::StarteZeichnen(Zarvo_Textur* textur, bool normalKarte) {
  Zarvo_ZeichenKontext* kontext = Zarvo_Screen3D::GibZeichenKontext();
  if (textur == nullptr || kontext == nullptr || !SichereGemeinsame(*kontext)) return false;
  const GemeinsameResourcen& g = g_gemeinsam;
  const SpriteProgramm& p = kopieren ? g.kopie : normalKarte ? g.normalKarte : g.einfach;
  kontext->SetProgramm(p.shader.programm);
  kontext->SetTextur(p.textur, g.sampler, textur);
  kontext->SetProgrammKonstante(p.quellGroesse, 1.0f / float(textur->breite), 1.0f / float(textur->hoehe));
  kontext->SetProgrammKonstante(p.zielGroesse, 1.0f / float(kontext->zielBreite), 1.0f / float(kontext->zielHoehe));
  kontext->SetAlphaZustand(alphaZustand ? alphaZustand : g.alpha);
  kontext->SetTiefeZustand(nullptr);
  kontext->SetRueckseite(0);  // mirrored sprites turn their back
  kontext->SetVertexBuffer(0, g.quad, 0, 8);
  kontext->SetVertexBuffer(1, instanzBuffer, 0, INSTANZ_BYTES);
  kontext->SetIndexBuffer(g.quadIndizes);
  return true;
}

void Zarvo_SpriteStapel::ZeichneInstanzen(const Zarvo_SpriteListe& liste) {
  ZeichneInstanzen(liste.Instanzen().data(), liste.Instanzen().size());
}

void Zarvo_SpriteStapel::ZeichneInstanzen(const Zarvo_SpriteInstanz* instanzen, uint64_t anzahl) {
  Zarvo_ZeichenKontext* kontext = Zarvo_Screen3D::GibZeichenKontext();
  if (kontext == nullptr || anzahl == 0) return;
  // Without a buffer the chunks would be empty: one of the whole count first.
  if (GibKapazitaet() == 0) {
    SetKapazitaet(anzahl);
    kontext->SetVertexBuffer(1, instanzBuffer, 0, INSTANZ_BYTES);
  }
  const uint64_t stueck = GibKapazitaet();
  if (stueck == 0) return;
  for (uint64_t start = 0; start < anzahl; start += stueck) {
    const uint64_t n = std::min(stueck, anzahl - start);
    instanzBuffer->SchreibeInhalt({const_cast<Zarvo_SpriteInstanz*>(instanzen + start), n * INSTANZ_BYTES, 0});
    kontext->ZeichneIndexInstanzen(0, 2, uint32_t(n));
  }
}

void Zarvo_SpriteStapel::Zeichne(Zarvo_SpriteListe& liste) {
  if (liste.IstLeer()) return;
  if (StarteZeichnen(liste)) ZeichneInstanzen(liste);
}
