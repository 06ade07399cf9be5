#include "WeltRenderer.h"

#include <filesystem>
#include <string>

#include "Partikel.h"
#include "SpielAblauf.h"
#include "Szene.h"
#include "WeltRendererMathe.h"
#include "Zarvo_AlphaZustand.h"
#include "Zarvo_Ausnahme.h"
#include "Zarvo_IndexBuffer.h"
#include "Zarvo_LinienStapel.h"
#include "Zarvo_PixelShader.h"
#include "Zarvo_Programm.h"
#include "Zarvo_Renderziel.h"
#include "Zarvo_Sampler.h"
#include "Zarvo_Screen3D.h"
#include "Zarvo_ShaderTools.h"
#include "Zarvo_Start.h"
#include "Zarvo_Textur.h"
#include "Zarvo_TiefeZustand.h"
#include "Zarvo_VertexBuffer.h"
#include "Zarvo_VertexEingabe.h"
#include "Zarvo_VertexShader.h"
#include "Zarvo_ZBuffer.h"
#include "Zarvo_ZeichenKontext.h"

namespace Spiel {

namespace mathe = WeltRendererMathe;

namespace {

constexpr uint32_t TYP_FLOAT1 = 0, TYP_FLOAT2 = 1, TYP_FLOAT3 = 2;  // Zarvo_VertexEingabe::AddKanal
constexpr uint32_t STRIDE = sizeof(WeltVertex);
constexpr uint32_t FLAGS_SCHATTEN = 0xA06;  // render target, volatile, R32F
constexpr uint32_t FLAGS_AMBIENT = 0xA09;   // render target, volatile, G16R16
constexpr uint32_t FLAGS_HAUPT = 0xA05;     // render target, volatile, A16B16G16R16F
constexpr uint32_t KEIN_CULLING = 0, CULLING_GEGEN_UHRZEIGER = 2;
constexpr uint32_t LEERE_FARBE_UND_TIEFE = 3;
constexpr uint32_t BLEND_ADDIEREN = 0, BLEND_MAXIMUM = 4, FAKTOR_EINS = 1, FAKTOR_INV_QUELL_ALPHA = 4;
constexpr uint32_t VERGLEICH_KLEINER_GLEICH = 2;
constexpr float LEERE_SCHATTEN[4] = {1, 0, 0, 0};
constexpr float LEERE_AMBIENT[4] = {0, 0, 0, 0};
constexpr float LEERE_HAUPT[4] = {0.3f, 0.35f, 0.4f, 0};
constexpr float SONNE[4] = {0.5f, 0.4f, 0.3f, 1.0f};
constexpr float UMGEBUNG[4] = {0.1f, 0.2f, 0.4f, 1.0f};

Zarvo_SamplerBeschr SamplerBeschreibung(uint64_t filter) {
  Zarvo_SamplerBeschr b{};
  b.filter = filter;
  b.adresse = 21;  // clamp in U, V and W
  b.maxAnisotropie = 16;
  return b;
}

std::filesystem::path DatenOrdner() { return g_System.anwendungsVerzeichnis / "Daten"; }

template <class T>
void GibFrei(Zarvo_ZeichenKontext& kontext, T*& objekt) {
  kontext.GibFrei(objekt);
  objekt = nullptr;
}

void Kopiere(const float (&von)[4], float (&nach)[4]) {
  for (int i = 0; i < 4; ++i) nach[i] = von[i];
}

}  // namespace

bool WeltRenderer::Programmsatz::Nutzbar() const {
  return programm != nullptr && programm->geraeteVertexShader != nullptr && programm->geraetePixelShader != nullptr;
}

WeltRenderer::WeltRenderer() : kontext(*Zarvo_Screen3D::GibZeichenKontext()), verwaltung(DatenOrdner()) {
  BaueEingabe();
  try {
    LadeShader();
  } catch (...) {
    for (Programmsatz& satz : programme) GibProgrammFrei(satz);
    kontext.GibFrei(eingabe);
    throw;
  }
  schattenTextur = kontext.ErzeugeTextur(mathe::SCHATTEN_KANTE, mathe::SCHATTEN_KANTE, 1, FLAGS_SCHATTEN, {});
  schattenZiel = kontext.ErzeugeRenderziel(Zarvo_RenderzielBeschr(schattenTextur, nullptr));
  schattenSampler = kontext.ErzeugeSampler(SamplerBeschreibung(21));  // linear minification, magnification, mips
  szenenTiefe = kontext.ErzeugeTiefeZustand({1, 1, VERGLEICH_KLEINER_GLEICH});
  partikelTiefe = kontext.ErzeugeTiefeZustand({1, 0, VERGLEICH_KLEINER_GLEICH});
  partikelAlpha = kontext.ErzeugeAlphaZustand(Zarvo_AlphaZustand::Beschreibung(BLEND_ADDIEREN, FAKTOR_EINS, FAKTOR_INV_QUELL_ALPHA));
  TrageEffektEin(schattenSatz, "shadow_postfx");
  ambientTextur = kontext.ErzeugeTextur(mathe::UMGEBUNG_KANTE, mathe::UMGEBUNG_KANTE, 1, FLAGS_AMBIENT, {});
  ambientZiel = kontext.ErzeugeRenderziel(Zarvo_RenderzielBeschr(ambientTextur, nullptr));
  ambientSampler = kontext.ErzeugeSampler(SamplerBeschreibung(5));  // linear, point mips
  ambientAlpha = kontext.ErzeugeAlphaZustand(Zarvo_AlphaZustand::Beschreibung(BLEND_MAXIMUM, FAKTOR_EINS, FAKTOR_EINS));
  TrageEffektEin(ambientSatz, "ambient");
}

WeltRenderer::~WeltRenderer() {
  GibZieleFrei();
  for (Zarvo_BasisObjekt* o : std::initializer_list<Zarvo_BasisObjekt*>{
           ambientAlpha, ambientSampler, ambientZiel, ambientTextur, partikelAlpha, partikelTiefe, szenenTiefe,
           schattenSampler, schattenZiel, schattenTextur, eingabe})
    kontext.GibFrei(o);
  for (Programmsatz& satz : programme) GibProgrammFrei(satz);
}

void WeltRenderer::BaueEingabe() {
  eingabe = kontext.ErzeugeVertexEingabe();
  eingabe->AddKanal(0, TYP_FLOAT3, 0, false);
  eingabe->AddKanal(0, TYP_FLOAT2, 12, false);
  eingabe->AddKanal(0, TYP_FLOAT1, 20, false);
  eingabe->Beenden();
}

void WeltRenderer::TrageEffektEin(FilterSatz& satz, const char* name) {
  const FilterEffekt* effekt = verwaltung.GibEffekt(name);
  if (effekt == nullptr) {
    g_Log.Schreibe("?Spiel::WeltRenderer::WeltRenderer(): Filtereffekt \"%s\" nicht geladen, sein Satz bleibt leer.", name);
    return;
  }
  satz.AddFilter(0, effekt);
}

// ---- programs ----

void WeltRenderer::LadeShader() {
  for (int i = 0; i < ANZAHL_PROGRAMME; ++i) HoleShaderParameter(PROGRAMM_NAMEN[i], programme[i], eingabe);
}

void WeltRenderer::HoleShaderParameter(const char* name, Programmsatz& satz, Zarvo_VertexEingabe* vertexEingabe) {
  const std::filesystem::path ordner = DatenOrdner();
  Programmsatz neu;
  try {
    neu.vertexShader = Zarvo_ShaderTools::ErzeugeVertexShaderAusDatei(kontext, (ordner / (std::string(name) + ".vs")).string(), {});
    neu.pixelShader = Zarvo_ShaderTools::ErzeugePixelShaderAusDatei(kontext, (ordner / (std::string(name) + ".ps")).string(), {});
  } catch (const Zarvo_Ausnahme&) {
    GibProgrammFrei(neu);
    if (satz.programm == nullptr) throw;
    return;  // an edit in progress: the previous program stays
  }
  neu.programm = kontext.ErzeugeProgramm(vertexEingabe, neu.vertexShader, neu.pixelShader);
  const Zarvo_Programm& p = *neu.programm;
  neu.sichtMatrix = p.GibKonstante("SichtMatrix");
  neu.projMatrix = p.GibKonstante("ProjMatrix");
  neu.weltMatrix = p.GibKonstante("WeltMatrix");
  neu.umFarbe = p.GibKonstante("gUmFarbe");
  neu.lichtTransform = p.GibKonstante("gLichtTransform");
  neu.lichtRichtung = p.GibKonstante("gLichtRichtung");
  neu.lichtFarbe = p.GibKonstante("gLichtFarbe");
  neu.segmentSichtbarFlags = p.GibKonstante("SegmentSichtbarFlags");
  neu.texFarbe = p.GibSampler("TexFarbe");
  neu.texNormale = p.GibSampler("TexNormale");
  neu.texSchatten = p.GibSampler("TexSchatten");
  neu.texAmbientHoehe = p.GibSampler("TexAmbientHoehe");
  neu.ambientZentrum = p.GibKonstante("gAmbientZentrum");
  neu.lichtArray = p.GibKonstante("gLichtArray");
  GibProgrammFrei(satz);
  satz = neu;
}

void WeltRenderer::GibProgrammFrei(Programmsatz& satz) {
  kontext.GibFrei(satz.programm);
  kontext.GibFrei(satz.vertexShader);
  kontext.GibFrei(satz.pixelShader);
  satz = Programmsatz{};
}

// ---- frames ----

void WeltRenderer::Zeichne(SpielAblauf& spiel, const BMatrix& sicht, FilterSatz& nachFilter) {
  Zeichne(spiel.GibSzene(), &spiel.GibPartikel(), sicht, nachFilter);
}

void WeltRenderer::Zeichne(Szene& szene, const PartikelSystem* partikel, const BMatrix& sicht, FilterSatz& nachFilter) {
  const uint64_t breite = kontext.bildschirm.breite, hoehe = kontext.bildschirm.hoehe;
  const BMatrix projektion = mathe::SpielProjektion(breite, hoehe);
  Kopiere(SONNE, lichtFarbe);
  Kopiere(UMGEBUNG, umFarbe);
  ZeichnePassagen(szene, sicht, projektion, nachFilter);
  if (partikel != nullptr && partikel->Anzahl() != 0) ZeichnePartikel(*partikel, sicht, projektion);
  verwaltung.WendeFilterAn(nachFilter, hauptTextur, {nullptr, 0, 0, breite, hoehe});
}

void WeltRenderer::ZeichnePassagen(Szene& szene, const BMatrix& sicht, const BMatrix& projektion, FilterSatz& nachFilter) {
  ErneuereZiele();
  ZeichneSchattenPassage(szene, sicht);
  ZeichneHoehenPassage(szene, sicht);
  ZeichneHauptPassage(szene, sicht, projektion, nachFilter);
}

void WeltRenderer::ErneuereZiele() {
  const uint64_t breite = kontext.bildschirm.breite, hoehe = kontext.bildschirm.hoehe;
  if (hauptTextur != nullptr && hauptTextur->breite == breite && hauptTextur->hoehe == hoehe) return;
  GibZieleFrei();
  const mathe::Groesse groesse = mathe::TiefenpufferGroesse(breite, hoehe);
  tiefe = kontext.ErzeugeZBuffer(groesse.breite, groesse.hoehe);
  schattenZiel = kontext.ErzeugeRenderziel(Zarvo_RenderzielBeschr(schattenTextur, tiefe));
  hauptTextur = kontext.ErzeugeTextur(breite, hoehe, 1, FLAGS_HAUPT, {});
  hauptZiel = kontext.ErzeugeRenderziel(Zarvo_RenderzielBeschr(hauptTextur, tiefe));
  ambientZiel = kontext.ErzeugeRenderziel(Zarvo_RenderzielBeschr(ambientTextur, tiefe));
}

// The main target and texture, and the targets that use the depth buffer, then the depth buffer.
void WeltRenderer::GibZieleFrei() {
  GibFrei(kontext, hauptZiel);
  GibFrei(kontext, hauptTextur);
  GibFrei(kontext, ambientZiel);
  GibFrei(kontext, schattenZiel);
  GibFrei(kontext, tiefe);
}

// A map pass: its target, depth and blend state, no culling, colour and depth cleared.
void WeltRenderer::BeginneKartenPassage(Zarvo_Renderziel* ziel, Zarvo_TiefeZustand* tiefeZustand, Zarvo_AlphaZustand* alpha,
                                        const float (&farbe)[4]) {
  kontext.SetRenderZiel(ziel);
  kontext.SetTiefeZustand(tiefeZustand);
  kontext.SetAlphaZustand(alpha);
  kontext.SetRueckseite(KEIN_CULLING);
  kontext.Leeren(LEERE_FARBE_UND_TIEFE, farbe);
}

void WeltRenderer::ZeichneSchattenPassage(Szene& szene, const BMatrix& sicht) {
  BeginneKartenPassage(schattenZiel, szenenTiefe, nullptr, LEERE_SCHATTEN);
  const mathe::Licht licht = mathe::BerechneLicht(sicht);
  lichtTransform = licht.transform;
  lichtRichtung = licht.richtung;
  ZeichneWelt(szene, programme[SCHATTEN], lichtTransform, BMatrix::Einheit());
}

void WeltRenderer::ZeichneHoehenPassage(Szene& szene, const BMatrix& sicht) {
  BeginneKartenPassage(ambientZiel, nullptr, ambientAlpha, LEERE_AMBIENT);
  const mathe::Umgebung umgebung = mathe::BerechneUmgebung(sicht);
  Kopiere(umgebung.zentrum, ambientZentrum);
  ZeichneWelt(szene, programme[HOEHE], umgebung.sicht, umgebung.projektion);
  verwaltung.WendeFilterAn(ambientSatz, ambientTextur, {ambientZiel, 0, 0, mathe::UMGEBUNG_KANTE, mathe::UMGEBUNG_KANTE});
}

void WeltRenderer::ZeichneHauptPassage(Szene& szene, const BMatrix& sicht, const BMatrix& projektion,
                                       const FilterSatz& nachFilter) {
  if (nachFilter.liestErgebnis)
    kontext.SetRenderZiel(hauptZiel);
  else
    kontext.SetRenderZiel(nullptr);
  kontext.SetTiefeZustand(szenenTiefe);
  kontext.SetRueckseite(CULLING_GEGEN_UHRZEIGER);
  kontext.Leeren(LEERE_FARBE_UND_TIEFE, LEERE_HAUPT);
  ZeichneWelt(szene, programme[START], sicht, projektion);
  Zarvo_LinienStapel::Zeichne(sicht.m, projektion.m);
}

// The sun, the surrounding colour and the shadow map, for a program that declares the sun.
void WeltRenderer::SetzeLicht(const Programmsatz& satz) {
  kontext.SetProgrammKonstante(satz.lichtTransform, lichtTransform.m);
  kontext.SetProgrammKonstante(satz.lichtRichtung, lichtRichtung.x, lichtRichtung.y, lichtRichtung.z);
  kontext.SetProgrammKonstante(satz.lichtFarbe, lichtFarbe[0], lichtFarbe[1], lichtFarbe[2], lichtFarbe[3]);
  kontext.SetProgrammKonstante(satz.umFarbe, umFarbe[0], umFarbe[1], umFarbe[2], umFarbe[3]);
  kontext.SetTextur(satz.texSchatten, schattenSampler, schattenTextur);
}

void WeltRenderer::ZeichneWelt(Szene& szene, const Programmsatz& satz, const BMatrix& sicht, const BMatrix& projektion) {
  if (!satz.Nutzbar()) return;
  kontext.SetProgramm(satz.programm);
  kontext.SetProgrammKonstante(satz.sichtMatrix, sicht.m);
  kontext.SetProgrammKonstante(satz.projMatrix, projektion.m);
  kontext.SetAlphaZustand(nullptr);
  kontext.SetTiefeZustand(szenenTiefe);
  if (Programmsatz::Hat(satz.lichtTransform) || Programmsatz::Hat(satz.lichtFarbe)) SetzeLicht(satz);
  if (Programmsatz::HatSampler(satz.texAmbientHoehe)) {
    kontext.SetTextur(satz.texAmbientHoehe, ambientSampler, ambientTextur);
    kontext.SetProgrammKonstante(satz.ambientZentrum, ambientZentrum[0], ambientZentrum[1], ambientZentrum[2], ambientZentrum[3]);
  }
  const bool mitDrahtgitter = drahtgitter != 0 && Programmsatz::Hat(satz.lichtTransform);
  szene.instanzen.FuerLebende([&](uint64_t, const Szene::Instanz& instanz) {
    if (instanz.modell == nullptr || !instanz.modell->HatInhalt()) return;
    kontext.SetProgrammKonstante(satz.weltMatrix, instanz.matrix);
    kontext.SetProgrammKonstante(satz.segmentSichtbarFlags, float(instanz.nachbarmaske), segmentGrenze, 0.0f, 1.0f);
    if (Programmsatz::HatSampler(satz.texFarbe)) {
      kontext.SetTextur(satz.texFarbe, schattenSampler, instanz.farbTextur);
      kontext.SetTextur(satz.texNormale, schattenSampler, instanz.normalTextur);
    }
    if (Programmsatz::Hat(satz.lichtArray)) {
      const mathe::LichtRegister lichter = mathe::LichtArray(szene.GibLichter(), instanz.mitte, instanz.halbeGroesse);
      kontext.SetProgrammKonstante(satz.lichtArray, lichter.data(), mathe::LICHT_REGISTER);
    }
    kontext.SetVertexBuffer(0, instanz.modell->vertexBuffer, 0, STRIDE);
    kontext.SetIndexBuffer(instanz.modell->indexBuffer);
    kontext.ZeichneIndexElemente(0, instanz.dreiecke);
    if (!mitDrahtgitter) return;
    kontext.SetProgrammKonstante(satz.umFarbe, 1.0f, 1.0f, 1.0f, 1.0f);
    kontext.SetFuellModus(true);
    kontext.SetRueckseite(KEIN_CULLING);
    kontext.ZeichneIndexElemente(0, instanz.dreiecke);
    kontext.SetFuellModus(false);
    kontext.SetRueckseite(CULLING_GEGEN_UHRZEIGER);
  });
}

void WeltRenderer::ZeichnePartikel(const PartikelSystem& partikel, const BMatrix& sicht, const BMatrix& projektion) {
  const Programmsatz& satz = programme[PARTIKEL];
  if (!satz.Nutzbar() || partikel.vertexBuffer == nullptr) return;
  kontext.SetProgramm(satz.programm);
  kontext.SetProgrammKonstante(satz.sichtMatrix, sicht.m);
  kontext.SetProgrammKonstante(satz.projMatrix, projektion.m);
  SetzeLicht(satz);
  kontext.SetAlphaZustand(partikelAlpha);
  kontext.SetTiefeZustand(partikelTiefe);
  kontext.SetProgrammKonstante(satz.weltMatrix, BMatrix::Einheit().m);
  kontext.SetVertexBuffer(0, partikel.vertexBuffer, 0, STRIDE);
  kontext.SetIndexBuffer(partikel.indexBuffer);
  kontext.ZeichneIndexElemente(0, partikel.Anzahl() * 2);
}

}  // namespace Spiel
