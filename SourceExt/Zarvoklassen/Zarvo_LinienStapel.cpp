#include "Zarvo_LinienStapel.h"

#include <algorithm>

#include "Zarvo_AlphaZustand.h"
#include "Zarvo_IndexBuffer.h"
#include "Zarvo_Programm.h"
#include "Zarvo_Screen3D.h"
#include "Zarvo_ShaderTools.h"
#include "Zarvo_TiefeZustand.h"
#include "Zarvo_VertexBuffer.h"
#include "Zarvo_VertexEingabe.h"
#include "Zarvo_ZeichenKontext.h"

namespace {

// Per vertex: x 0 at the start, 1 at the end; y -1 into the start cap, 1 into the end cap;
// z -1 and 1 the two sides, 0 the centre line.
const float NETZ_VERTICES[12][3] = {
    {0, -1, -1}, {0, 0, -1}, {1, 0, -1}, {1, 1, -1},  //
    {0, -1, 0},  {0, 0, 0},  {1, 0, 0},  {1, 1, 0},   //
    {0, -1, 1},  {0, 0, 1},  {1, 0, 1},  {1, 1, 1},
};
const uint16_t NETZ_INDIZES[36] = {0, 5, 4, 0, 1, 5, 1, 6, 5, 1, 2, 6, 2, 3, 6, 3, 7,  6,
                                   4, 5, 8, 5, 9, 8, 5, 10, 9, 5, 6, 10, 6, 11, 10, 6, 7, 11};
constexpr uint32_t NETZ_DREIECKE = 12;
constexpr uint32_t NETZ_STRIDE = sizeof NETZ_VERTICES[0];

constexpr uint32_t TYP_FLOAT3 = 2;  // Zarvo_VertexEingabe::AddKanal
constexpr uint32_t INDEX_16 = 1;
constexpr uint32_t BLEND_ADDIEREN = 0, FAKTOR_QUELL_ALPHA = 2, FAKTOR_INV_QUELL_ALPHA = 4;
constexpr uint32_t VERGLEICH_KLEINER_GLEICH = 2;

const char* const VERTEX_SHADER = R"(float4x4 gMatrix;
float2 gBildGroesse;

$rein float3 vpos;
$rein float3 ipos0;
$rein float3 ipos1;
$rein float4 ifarbe;
$rein float idicke;
$raus float4 fpos;
$raus float4 ffarbe;
$raus float3 fabstand;

// Ends closer to the camera plane than this move along the line onto it.
CONST float W_MIN = 1e-5;

// a, or the point of the segment a-b where w reaches W_MIN when a lies behind it (b does not).
float4 KlippeAnKamera(float4 a, float4 b) {
  if (a.w >= W_MIN) return a;
  return lerp(a, b, (W_MIN - a.w) / (b.w - a.w));
}

$main() {
  float4 c0 = mul(gMatrix, float4(ipos0, 1));
  float4 c1 = mul(gMatrix, float4(ipos1, 1));
  float b = 0.5 * idicke + 1;
  ffarbe = ifarbe;
  fabstand = float3(1, vpos.y, vpos.z) * b;
  if (max(c0.w, c1.w) < W_MIN) {
    // Wholly behind the camera: every vertex on one point outside the depth range.
    fpos = float4(0, 0, -1, 1);
    return;
  }
  float4 k0 = KlippeAnKamera(c0, c1);
  float4 k1 = KlippeAnKamera(c1, c0);
  float3 p0 = k0.xyz / k0.w;
  float3 p1 = k1.xyz / k1.w;
  float2 d = p1.xy - p0.xy;
  // A segment that projects to one point shows as a dot of its width.
  float2 richtung = dot(d, d) > 1e-12 ? normalize(d) : float2(1, 0);
  float2 quer = float2(-richtung.y, richtung.x);
  float3 p = lerp(p0, p1, vpos.x);
  p.xy += gBildGroesse * richtung * vpos.y * b;
  p.xy += gBildGroesse * quer * vpos.z * b;
  fpos = float4(p, 1);
}
)";

const char* const PIXEL_SHADER = R"($rein float4 ffarbe;
$rein float3 fabstand;
$raus float4 farbe;

// Full alpha inside the line, fading over the outer pixel of each side and of the caps.
$main() {
  farbe = float4(ffarbe.rgb, saturate(fabstand.x - length(fabstand.yz)) * ffarbe.a);
}
)";

// The set all batches share.
struct Gemeinsam {
  int referenzen = 0;
  Zarvo_VertexEingabe* eingabe = nullptr;
  Zarvo_VertexBuffer* netzVertices = nullptr;
  Zarvo_IndexBuffer* netzIndizes = nullptr;
  Zarvo_ShaderPaar shader;
  Zarvo_AlphaZustand* alpha = nullptr;
  Zarvo_TiefeZustand* tiefe = nullptr;
  uint32_t matrixHandle = 0;
  uint32_t bildGroesseHandle = 0;
} gemeinsam;

Zarvo_VertexEingabe* ErzeugeEingabe(Zarvo_ZeichenKontext& kontext) {
  Zarvo_VertexEingabe* eingabe = kontext.ErzeugeVertexEingabe();
  eingabe->AddKanal(0, TYP_FLOAT3, 0, false);
  Zarvo_Linie::TrageKanaeleEin(*eingabe, 1);
  eingabe->Beenden();
  return eingabe;
}

void ErzeugeProgramm(Zarvo_ZeichenKontext& kontext) {
  gemeinsam.shader = Zarvo_ShaderTools::ErzeugeProgrammAusText(kontext, gemeinsam.eingabe, VERTEX_SHADER, PIXEL_SHADER);
  gemeinsam.matrixHandle = gemeinsam.shader.programm->GibKonstante("gMatrix");
  gemeinsam.bildGroesseHandle = gemeinsam.shader.programm->GibKonstante("gBildGroesse");
}

// a * b for 4 x 4 matrices stored row by row.
void Multipliziere(const float a[16], const float b[16], float ergebnis[16]) {
  for (int zeile = 0; zeile < 4; ++zeile)
    for (int spalte = 0; spalte < 4; ++spalte) {
      float summe = 0;
      for (int k = 0; k < 4; ++k) summe += a[zeile * 4 + k] * b[k * 4 + spalte];
      ergebnis[zeile * 4 + spalte] = summe;
    }
}

}  // namespace

Zarvo_LinienStapel* Zarvo_LinienStapel::global = nullptr;

Zarvo_LinienStapel::Zarvo_LinienStapel() {
  linien.reserve(BLOCK_GROESSE);
  if (Zarvo_ZeichenKontext* kontext = Zarvo_Screen3D::GibZeichenKontext())
    instanzBuffer = kontext->ErzeugeVertexBuffer(INSTANZ_BUFFER_BYTES, Zarvo_BasisObjekt::FLAG_DYNAMISCH | Zarvo_BasisObjekt::FLAG_FLUECHTIG, {});
  ErzeugeGemeinsameResourcen();
}

Zarvo_LinienStapel::~Zarvo_LinienStapel() {
  if (global == this) global = nullptr;
  if (Zarvo_ZeichenKontext* kontext = Zarvo_Screen3D::GibZeichenKontext()) kontext->GibFrei(instanzBuffer);
  GibGemeinsameResourcenFrei();
}

void Zarvo_LinienStapel::SetzeGlobal(Zarvo_LinienStapel* stapel) { global = stapel; }

void Zarvo_LinienStapel::AddLinie(const BVektor3<float>& von, const BVektor3<float>& bis, const TAlphaFarbe& farbe, float dicke) {
  if (global) global->linien.push_back({von, bis, farbe, dicke});
}

void Zarvo_LinienStapel::Zeichne(const float sicht[16], const float projektion[16]) {
  if (global) global->ZeichneLinien(sicht, projektion);
}

void Zarvo_LinienStapel::ZeichneLinien(const float sicht[16], const float projektion[16]) {
  Zarvo_ZeichenKontext* kontext = Zarvo_Screen3D::GibZeichenKontext();
  if (linien.empty() || kontext == nullptr || instanzBuffer == nullptr) return;
  float matrix[16];
  Multipliziere(projektion, sicht, matrix);
  kontext->SetProgramm(gemeinsam.shader.programm);
  kontext->SetProgrammKonstante(gemeinsam.matrixHandle, matrix);
  kontext->SetProgrammKonstante(gemeinsam.bildGroesseHandle, 2.0f / float(kontext->zielBreite), 2.0f / float(kontext->zielHoehe));
  kontext->SetTiefeZustand(gemeinsam.tiefe);
  kontext->SetAlphaZustand(gemeinsam.alpha);
  kontext->SetRueckseite(0);
  kontext->SetVertexBuffer(0, gemeinsam.netzVertices, 0, NETZ_STRIDE);
  kontext->SetVertexBuffer(1, instanzBuffer, 0, sizeof(Zarvo_Linie));
  kontext->SetIndexBuffer(gemeinsam.netzIndizes);
  for (uint64_t start = 0; start < linien.size(); start += blockGroesse) {
    const uint64_t anzahl = std::min<uint64_t>(blockGroesse, linien.size() - start);
    instanzBuffer->SchreibeInhalt({&linien[start], anzahl * sizeof(Zarvo_Linie), 0});
    kontext->ZeichneIndexInstanzen(0, NETZ_DREIECKE, uint32_t(anzahl));
  }
  linien.clear();
}

void Zarvo_LinienStapel::ErzeugeGemeinsameResourcen() {
  if (gemeinsam.referenzen++ > 0) return;
  Zarvo_ZeichenKontext* kontext = Zarvo_Screen3D::GibZeichenKontext();
  if (kontext == nullptr) return;
  gemeinsam.eingabe = ErzeugeEingabe(*kontext);
  gemeinsam.netzVertices =
      kontext->ErzeugeVertexBuffer(sizeof NETZ_VERTICES, 0, {const_cast<float(*)[3]>(NETZ_VERTICES), sizeof NETZ_VERTICES, 0});
  gemeinsam.netzIndizes = kontext->ErzeugeIndexBuffer(0, INDEX_16, {const_cast<uint16_t*>(NETZ_INDIZES), sizeof NETZ_INDIZES, 0});
  ErzeugeProgramm(*kontext);
  gemeinsam.alpha = kontext->ErzeugeAlphaZustand(Zarvo_AlphaZustand::Beschreibung(BLEND_ADDIEREN, FAKTOR_QUELL_ALPHA, FAKTOR_INV_QUELL_ALPHA));
  gemeinsam.tiefe = kontext->ErzeugeTiefeZustand({1, 0, VERGLEICH_KLEINER_GLEICH});
}

void Zarvo_LinienStapel::GibGemeinsameResourcenFrei() {
  if (gemeinsam.referenzen == 0 || --gemeinsam.referenzen > 0) return;
  if (Zarvo_ZeichenKontext* kontext = Zarvo_Screen3D::GibZeichenKontext()) {
    Zarvo_ShaderTools::GibFrei(*kontext, gemeinsam.shader);
    for (Zarvo_BasisObjekt* objekt : std::initializer_list<Zarvo_BasisObjekt*>{
             gemeinsam.eingabe, gemeinsam.netzVertices, gemeinsam.netzIndizes, gemeinsam.alpha, gemeinsam.tiefe})
      kontext->GibFrei(objekt);
  }
  gemeinsam = {};
}

const char* Zarvo_LinienStapel::VertexShaderQuelle() { return VERTEX_SHADER; }
const char* Zarvo_LinienStapel::PixelShaderQuelle() { return PIXEL_SHADER; }
