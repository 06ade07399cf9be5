#include "Plattform/d3d9/gl33/Gl33Formate.h"

namespace d3d9::gl33 {

namespace {
GlFormat Format(GLenum intern, GLenum format, GLenum typ, GLint r = GL_RED, GLint g = GL_GREEN, GLint b = GL_BLUE, GLint a = GL_ALPHA) {
  GlFormat f;
  f.intern = intern;
  f.format = format;
  f.typ = typ;
  f.swizzle[0] = r;
  f.swizzle[1] = g;
  f.swizzle[2] = b;
  f.swizzle[3] = a;
  return f;
}
GlFormat Komprimiert(GLenum intern) {
  GlFormat f;
  f.intern = intern;
  f.komprimiert = true;
  return f;
}
}  // namespace

GlFormat TexturFormat(D3DFORMAT format, bool renderZiel) {
  switch (format) {
    case D3DFMT_A8R8G8B8: return Format(GL_RGBA8, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV);
    case D3DFMT_X8R8G8B8: return Format(GL_RGB8, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV);
    case D3DFMT_R5G6B5: return Format(GL_RGB565, GL_RGB, GL_UNSIGNED_SHORT_5_6_5);
    case D3DFMT_A2B10G10R10: return Format(GL_RGB10_A2, GL_RGBA, GL_UNSIGNED_INT_2_10_10_10_REV);
    // Missing channels read 1, as on Direct3D 9.
    case D3DFMT_R16F: return Format(GL_R16F, GL_RED, GL_HALF_FLOAT, GL_RED, GL_ONE, GL_ONE, GL_ONE);
    case D3DFMT_G16R16F: return Format(GL_RG16F, GL_RG, GL_HALF_FLOAT, GL_RED, GL_GREEN, GL_ONE, GL_ONE);
    case D3DFMT_A16B16G16R16F: return Format(GL_RGBA16F, GL_RGBA, GL_HALF_FLOAT);
    case D3DFMT_R32F: return Format(GL_R32F, GL_RED, GL_FLOAT, GL_RED, GL_ONE, GL_ONE, GL_ONE);
    case D3DFMT_G32R32F: return Format(GL_RG32F, GL_RG, GL_FLOAT, GL_RED, GL_GREEN, GL_ONE, GL_ONE);
    case D3DFMT_A32B32G32R32F: return Format(GL_RGBA32F, GL_RGBA, GL_FLOAT);
    case D3DFMT_G16R16: return Format(GL_RG16, GL_RG, GL_UNSIGNED_SHORT, GL_RED, GL_GREEN, GL_ONE, GL_ONE);
    case D3DFMT_A16B16G16R16: return Format(GL_RGBA16, GL_RGBA, GL_UNSIGNED_SHORT);
    case D3DFMT_DXT1: return Komprimiert(GL_COMPRESSED_RGBA_S3TC_DXT1_EXT);
    case D3DFMT_DXT3: return Komprimiert(GL_COMPRESSED_RGBA_S3TC_DXT3_EXT);
    case D3DFMT_DXT5: return Komprimiert(GL_COMPRESSED_RGBA_S3TC_DXT5_EXT);
    case D3DFMT_A8:
      // A render target keeps the shader's alpha in A; an uploaded A8 lives in R.
      if (renderZiel) return Format(GL_RGBA8, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, GL_ZERO, GL_ZERO, GL_ZERO, GL_ALPHA);
      return Format(GL_R8, GL_RED, GL_UNSIGNED_BYTE, GL_ZERO, GL_ZERO, GL_ZERO, GL_RED);
    default: return {};
  }
}

GLenum TiefenFormat(D3DFORMAT format) {
  switch (format) {
    case D3DFMT_D32: return GL_DEPTH_COMPONENT32;
    case D3DFMT_D24X8: return GL_DEPTH_COMPONENT24;
    case D3DFMT_D16: return GL_DEPTH_COMPONENT16;
    default: return 0;
  }
}

}  // namespace d3d9::gl33
