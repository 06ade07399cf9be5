#include "Partikel.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "Zarvo_IndexBuffer.h"
#include "Zarvo_Screen3D.h"
#include "Zarvo_VertexBuffer.h"
#include "Zarvo_ZeichenKontext.h"

namespace Spiel {

namespace {

constexpr float VIERTELDREHUNG = 1.5707964f;

bool AllesEndlich(const Partikel& p) {
  float werte[27];
  std::memcpy(werte, &p, sizeof werte);
  return std::all_of(werte, werte + 27, [](float w) { return std::isfinite(w); });
}

// Five bits of a colour channel.
uint32_t Kanal(float c) { return uint32_t(std::clamp(c, 0.0f, 1.0f) * 31.0f + 0.5f); }

std::vector<uint32_t> QuadIndizes() {
  std::vector<uint32_t> indizes;
  indizes.reserve(size_t(PartikelSystem::MAX_PARTIKEL) * 6);
  for (uint32_t q = 0; q < PartikelSystem::MAX_PARTIKEL; ++q)
    for (uint32_t ecke : {0u, 1u, 2u, 0u, 2u, 3u}) indizes.push_back(4 * q + ecke);
  return indizes;
}

}  // namespace

PartikelSystem::PartikelSystem() : kontext(Zarvo_Screen3D::GibZeichenKontext()), ecken(ECKEN), vertices(ECKEN) {
  pool.eintraege.resize(MAX_PARTIKEL);
  pool.lebend.assign(MAX_PARTIKEL / 64, 0);
  pool.kapazitaet = MAX_PARTIKEL;
  if (kontext == nullptr) return;
  vertexBuffer = kontext->ErzeugeVertexBuffer(VERTEX_BYTES, Zarvo_BasisObjekt::FLAG_DYNAMISCH | Zarvo_BasisObjekt::FLAG_FLUECHTIG, {});
  std::vector<uint32_t> indizes = QuadIndizes();
  indexBuffer = kontext->ErzeugeIndexBuffer(0, Zarvo_IndexBuffer::INDEX32, {indizes.data(), indizes.size() * sizeof(uint32_t), 0});
}

PartikelSystem::~PartikelSystem() {
  if (kontext == nullptr) return;
  kontext->GibFrei(indexBuffer);
  kontext->GibFrei(vertexBuffer);
}

int64_t PartikelSystem::FuegeHinzu(const Partikel& partikel) {
  if (!AllesEndlich(partikel) || partikel.reibung < 0.0f || !(partikel.leben > 0.0f)) return -1;
  if (pool.AnzahlLebend() >= MAX_PARTIKEL) return -1;
  const uint64_t slot = pool.Reserviere();
  pool[slot] = partikel;
  pool.SetzeLebend(slot);
  return int64_t(slot);
}

void PartikelSystem::Integriere(Partikel& p, float dt) {
  for (int i = 0; i < 3; ++i) {
    p.position[i] += p.geschwindigkeit[i] * dt;
    p.geschwindigkeit[i] += p.beschleunigung[i] * dt;
  }
  if (p.reibung != 1.0f) {
    const float faktor = std::pow(p.reibung, dt);
    for (float& v : p.geschwindigkeit) v *= faktor;
  }
  for (int i = 0; i < 4; ++i) p.farbe[i] += p.farbAenderung[i] * dt;
  p.drehung += p.drehGeschwindigkeit * dt;
  p.groesse += p.groessenAenderung * dt;
  p.leben -= dt;
}

void PartikelSystem::EckVersatz(float groesse, float drehung, uint32_t k, float (&versatz)[2]) {
  const float winkel = drehung - float(k) * VIERTELDREHUNG;
  versatz[0] = groesse * std::cos(winkel);
  versatz[1] = groesse * std::sin(winkel);
}

float PartikelSystem::EckWort(uint32_t k, const float (&farbe)[4]) {
  const uint32_t farbwert = Kanal(farbe[0]) + 32 * (Kanal(farbe[1]) + 32 * (Kanal(farbe[2]) + 32 * Kanal(farbe[3])));
  return float(k + 4 * farbwert);
}

void PartikelSystem::Aktualisiere(TZeit schritt) {
  const float dt = float(double(schritt) * g_ZeitInversD);
  pool.FuerLebende([&](uint64_t slot, Partikel& p) {
    Integriere(p, dt);
    if (!(p.leben > 0.0f)) pool.GibFrei(slot);
  });
  StageEcken();
  LadeHoch();
}

void PartikelSystem::StageEcken() {
  uint32_t n = 0;
  pool.FuerLebende([&](uint64_t, const Partikel& p) {
    for (uint32_t k = 0; k < 4; ++k) {
      Ecke& e = ecken[size_t(n) * 4 + k];
      std::copy(p.position, p.position + 3, e.position);
      EckVersatz(p.groesse, p.drehung, k, e.versatz);
      std::copy(p.farbe, p.farbe + 4, e.farbe);
      std::copy(p.textur, p.textur + 2, e.textur);
      std::copy(p.weitere, p.weitere + 2, e.weitere);
      e.groesse = p.groesse;
      e.drehung = p.drehung;
      const float wort = EckWort(k, p.farbe);
      WeltVertex& v = vertices[size_t(n) * 4 + k];
      v = {e.position[0], e.position[1], e.position[2], e.versatz[0], e.versatz[1], 0};
      std::memcpy(&v.wort, &wort, sizeof wort);
    }
    ++n;
  });
  anzahlLebend = n;
}

void PartikelSystem::LadeHoch() {
  if (anzahlLebend == 0 || vertexBuffer == nullptr) return;
  vertexBuffer->SchreibeInhalt({vertices.data(), uint64_t(anzahlLebend) * BYTES_JE_PARTIKEL, 0});
}

}  // namespace Spiel
