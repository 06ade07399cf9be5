#pragma once
// The game's particles: a pool of at most 8192 camera-facing quads, integrated on the game clock
// and written each step into one dynamic vertex buffer, which the world renderer draws with the
// program "partikel" after the main pass. Something places a particle with FuegeHinzu; it lives
// until its life runs out.
//
// Each live particle gives four corners. Corner k (0..3) sits at the particle's centre, offset in
// view space by size x (cos(rotation - k pi/2), sin(rotation - k pi/2)): a square of half-diagonal
// `size` turned by the rotation, its corners clockwise on screen, drawn as the triangles
// (4q, 4q+1, 4q+2) and (4q, 4q+2, 4q+3). A corner reaches the device as a 24-byte world vertex:
// position, the offset as (u, v), and the float k + 4 (r + 32 (g + 32 (b + 32 a))) with each
// colour channel in five bits, whole and exact in f32.
#include <cstdint>
#include <span>
#include <vector>

#include "Modell.h"
#include "SlotPool.h"
#include "Zarvo_Timer.h"

class Zarvo_IndexBuffer;
class Zarvo_VertexBuffer;
class Zarvo_ZeichenKontext;

namespace Spiel {

// One particle, 27 f32.
struct Partikel {
  float position[3];
  float geschwindigkeit[3];
  float beschleunigung[3];
  float reibung;  // velocity x reibung^dt per step; exactly 1 keeps it
  float textur[2];
  float weitere[2];
  float farbe[4];  // r, g, b, a
  float farbAenderung[4];  // per second
  float leben;             // seconds left
  float groesse;
  float groessenAenderung;   // per second
  float drehung;             // radians
  float drehGeschwindigkeit;  // radians per second
};
static_assert(sizeof(Partikel) == 27 * sizeof(float));

class PartikelSystem {
 public:
  static constexpr uint32_t MAX_PARTIKEL = 8192;
  static constexpr uint32_t ECKEN = 4 * MAX_PARTIKEL;
  static constexpr uint64_t VERTEX_BYTES = uint64_t(ECKEN) * sizeof(WeltVertex);  // 0xC0000
  static constexpr uint64_t BYTES_JE_PARTIKEL = 4 * sizeof(WeltVertex);

  // One staged corner, 15 f32.
  struct Ecke {
    float position[3];
    float versatz[2];  // view space
    float farbe[4];
    float textur[2];
    float weitere[2];
    float groesse;
    float drehung;
  };
  static_assert(sizeof(Ecke) == 60);

  // Both buffers on the screen's drawing context (none without one); the index buffer filled.
  PartikelSystem();
  ~PartikelSystem();
  PartikelSystem(const PartikelSystem&) = delete;
  PartikelSystem& operator=(const PartikelSystem&) = delete;

  // One step of `schritt` game-clock ticks: every live particle in slot order moves (with the
  // velocity before the step), slows, changes colour, size and rotation and ages; one whose life
  // is no longer above 0 is freed. Then the corners are staged and, when any particle lives,
  // live x 96 bytes are uploaded. A step of 0 (a paused clock) changes no particle.
  void Aktualisiere(TZeit schritt);
  // Places the particle in the lowest free slot and returns the slot; -1 when all slots are
  // live, or for a record with a non-finite field, a negative drag or a life that is not above 0.
  int64_t FuegeHinzu(const Partikel& partikel);

  // Live particles as of the last step (the renderer draws twice as many triangles).
  uint32_t Anzahl() const { return anzahlLebend; }
  const SlotPool<Partikel>& Pool() const { return pool; }
  // The corners of the last step, four per live particle in slot order, staged and as uploaded.
  std::span<const Ecke> Ecken() const { return {ecken.data(), size_t(anzahlLebend) * 4}; }
  std::span<const WeltVertex> Vertices() const { return {vertices.data(), size_t(anzahlLebend) * 4}; }

  // The integration of one particle over dt seconds.
  static void Integriere(Partikel& p, float dt);
  // The view-space offset of corner k.
  static void EckVersatz(float groesse, float drehung, uint32_t k, float (&versatz)[2]);
  // The corner word: k + 4 (r + 32 (g + 32 (b + 32 a))), channels trunc(clamp(c, 0, 1) x 31 + 0.5).
  static float EckWort(uint32_t k, const float (&farbe)[4]);

  Zarvo_VertexBuffer* vertexBuffer = nullptr;
  Zarvo_IndexBuffer* indexBuffer = nullptr;

 private:
  void StageEcken();
  void LadeHoch();

  Zarvo_ZeichenKontext* kontext = nullptr;
  SlotPool<Partikel> pool;
  std::vector<Ecke> ecken;            // ECKEN entries
  std::vector<WeltVertex> vertices;  // ECKEN entries
  uint32_t anzahlLebend = 0;
};

}  // namespace Spiel
