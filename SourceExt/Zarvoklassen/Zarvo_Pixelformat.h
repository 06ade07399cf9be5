#pragma once
// The pixel formats of images and regions. The values are stored and index tables, so their order
// is fixed. Layouts are little-endian; A8R8G8B8 is B, G, R, A in memory. The three DXT formats
// are 4x4 blocks of 8 (DXT1) or 16 bytes.
#include <cstdint>

enum Zarvo_Pixelformat : uint32_t {
  PXFMT_A8R8G8B8 = 0,       // u32: B bits 0-7, G 8-15, R 16-23, A 24-31
  PXFMT_R5G6B5 = 1,         // u16: R bits 11-15, G 5-10, B 0-4
  PXFMT_A2B10G10R10 = 2,    // u32: R bits 0-9, G 10-19, B 20-29, A 30-31
  PXFMT_R16F = 3,           // half R
  PXFMT_G16R16F = 4,        // halves R, G
  PXFMT_A16B16G16R16F = 5,  // halves R, G, B, A
  PXFMT_R32F = 6,           // float R
  PXFMT_G32R32F = 7,        // floats R, G
  PXFMT_A32B32G32R32F = 8,  // floats R, G, B, A
  PXFMT_G16R16 = 9,         // u32: R bits 0-15, G 16-31, unsigned normalised
  PXFMT_A16B16G16R16 = 10,  // u64: R, G, B, A in 16-bit steps from bit 0, unsigned normalised
  PXFMT_DXT1 = 11,
  PXFMT_DXT3 = 12,
  PXFMT_DXT5 = 13,
  PXFMT_A8 = 14,            // one byte
};

inline constexpr uint32_t PXFMT_ANZAHL = 15;

inline constexpr bool IstDxtFormat(Zarvo_Pixelformat format) {
  return format == PXFMT_DXT1 || format == PXFMT_DXT3 || format == PXFMT_DXT5;
}

// Bytes of one 4x4 block of a DXT format.
inline constexpr uint64_t DxtBlockBytes(Zarvo_Pixelformat format) { return format == PXFMT_DXT1 ? 8 : 16; }
