#pragma once
// Direct3D formats as OpenGL textures and renderbuffers.
#include <epoxy/gl.h>

#include "Plattform/d3d9/d3d9.h"

namespace d3d9::gl33 {

// Uploads and mip generation bind textures here, so the draw units keep what the draws bound.
inline constexpr GLenum ARBEITS_EINHEIT = GL_TEXTURE0 + 31;

struct GlFormat {
  GLenum intern = 0;      // 0: not a texture format
  GLenum format = 0;      // client format; 0 for compressed formats
  GLenum typ = 0;
  GLint swizzle[4] = {GL_RED, GL_GREEN, GL_BLUE, GL_ALPHA};
  bool komprimiert = false;
};

GlFormat TexturFormat(D3DFORMAT format, bool renderZiel);
GLenum TiefenFormat(D3DFORMAT format);  // 0 for formats that are not depth formats

}  // namespace d3d9::gl33
