#pragma once
// Draws sprite instances with one instanced draw call per batch: a quad of four corners in vertex
// stream 0 and the 60-byte instance records in stream 1. Every batch owns its dynamic instance
// buffer; the vertex input, the two shader programs (plain and normal map), the quad buffers,
// the premultiplied blend state and the sampler are one set per process, made by the first batch
// and released by the last. Like every device resource they belong to the screen's drawing
// context, so batches end before the screen closes.
//
// The shaders write premultiplied alpha: colour = texel × sprite colour, rgb × |alpha|, alpha
// clamped at 0 (a negative alpha adds); the normal-map variant turns the texel's xy by the
// sprite's rotation. A third program copies unchanged (texel × sprite colour, no premultiplying);
// a batch selects it with `kopieren`, for copying images into render targets as they are.
#include <cstdint>

#include "Zarvo_SpriteListe.h"

class Zarvo_AlphaZustand;
class Zarvo_Textur;
class Zarvo_VertexBuffer;

class Zarvo_SpriteStapel {
 public:
  static constexpr uint64_t INSTANZ_BYTES = sizeof(Zarvo_SpriteInstanz);
  static constexpr uint32_t BUFFER_FLAGS = 0x300;  // dynamic, volatile

  explicit Zarvo_SpriteStapel(uint64_t kapazitaet);
  ~Zarvo_SpriteStapel();
  Zarvo_SpriteStapel(const Zarvo_SpriteStapel&) = delete;
  Zarvo_SpriteStapel& operator=(const Zarvo_SpriteStapel&) = delete;

  // Keeps the buffer when it holds n instances; otherwise a buffer of exactly n (none for 0).
  void SetKapazitaet(uint64_t n);
  uint64_t GibKapazitaet() const;

  // Binds program, texture, constants, states and streams for drawing the list. False when there
  // is nothing to draw with (an atlas without texture, no drawing context): nothing is bound.
  bool StarteZeichnen(Zarvo_SpriteListe& liste);
  // The same for a bare texture; the normal-map program when `normalKarte`.
  bool StarteZeichnen(Zarvo_Textur* textur, bool normalKarte);
  // Uploads the instances chunk by chunk (a buffer of the capacity each) and draws each chunk.
  void ZeichneInstanzen(const Zarvo_SpriteListe& liste);
  void ZeichneInstanzen(const Zarvo_SpriteInstanz* instanzen, uint64_t anzahl);
  // StarteZeichnen and ZeichneInstanzen when the list is not empty.
  void Zeichne(Zarvo_SpriteListe& liste);

  // Reference count of the shared set: the first user creates it, the last releases it.
  static void ErzeugeGemeinsameResourcen();
  static void GibGemeinsameResourcenFrei();

  // The shader sources in the engine's dialect.
  static const char* VertexShaderQuelle(bool normalKarte);
  static const char* PixelShaderQuelle(bool normalKarte);
  // The pixel shader of the copy program; its vertex shader is the plain one.
  static const char* KopierPixelShaderQuelle();

  const Zarvo_VertexBuffer* InstanzBuffer() const { return instanzBuffer; }

  // When set, it replaces the shared premultiplied blending.
  Zarvo_AlphaZustand* alphaZustand = nullptr;
  // When set, every list is drawn with the copy program (also from normal-map atlases).
  bool kopieren = false;

 private:
  void GibBufferFrei();

  Zarvo_VertexBuffer* instanzBuffer = nullptr;
};
