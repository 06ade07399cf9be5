#pragma once
// Thick, anti-aliased 3D line segments of constant width in pixels (debug and editor overlays).
// The application creates one batch and publishes it with SetzeGlobal; during the frame AddLinie
// collects lines into it, and Zeichne draws them with one instanced draw per 1024 lines and
// empties it. Each line is an instance of a 12-vertex mesh that the vertex shader stretches
// between the projected end points: x picks the end, y reaches over it into the cap, z crosses
// the line. The pixel shader fades the outer pixel of each side and of the caps.
//
// Every batch shares one set of device resources (input layout, mesh, program, blend and depth
// state) through a process-wide reference count: the first batch creates it, the last frees it.
#include <cstdint>
#include <vector>

#include "BVektor3.h"
#include "TAlphaFarbe.h"
#include "Zarvo_Linie.h"

class Zarvo_VertexBuffer;

class Zarvo_LinienStapel {
 public:
  static constexpr uint64_t BLOCK_GROESSE = 1024;        // lines per draw
  static constexpr uint64_t INSTANZ_BUFFER_BYTES = 0x16000;  // 2048 records

  // Reaches the drawing context through the screen.
  Zarvo_LinienStapel();
  ~Zarvo_LinienStapel();
  Zarvo_LinienStapel(const Zarvo_LinienStapel&) = delete;
  Zarvo_LinienStapel& operator=(const Zarvo_LinienStapel&) = delete;

  // The batch AddLinie and Zeichne work on; null withdraws it (both then do nothing).
  static void SetzeGlobal(Zarvo_LinienStapel* stapel);
  static Zarvo_LinienStapel* GibGlobal() { return global; }

  // Appends a line (thickness in pixels) to the global batch.
  static void AddLinie(const BVektor3<float>& von, const BVektor3<float>& bis, const TAlphaFarbe& farbe, float dicke);
  // Draws and empties the global batch. Matrices row by row, acting on column vectors: the
  // shader gets projection * view.
  static void Zeichne(const float sicht[16], const float projektion[16]);

  // Reference-counted creation and release of the shared set.
  static void ErzeugeGemeinsameResourcen();
  static void GibGemeinsameResourcenFrei();

  // The line shaders in the engine's shader dialect.
  static const char* VertexShaderQuelle();
  static const char* PixelShaderQuelle();

  std::vector<Zarvo_Linie> linien;
  uint64_t blockGroesse = BLOCK_GROESSE;
  Zarvo_VertexBuffer* instanzBuffer = nullptr;

 private:
  void ZeichneLinien(const float sicht[16], const float projektion[16]);

  static Zarvo_LinienStapel* global;
};
