// The OpenGL back end's factory: one adapter, the GL context of the current GLFW window.
#define GLFW_INCLUDE_NONE
#include <dlfcn.h>
#include <link.h>

#include <GLFW/glfw3.h>

#include <cstring>
#include <string>

#include "Plattform/d3d9/gl33/Gl33.h"
#include "Plattform/d3d9/gl33/Gl33Geraet.h"

namespace d3d9::gl33 {

void SetzeFensterHinweise() {
  glfwWindowHint(GLFW_CLIENT_API, GLFW_OPENGL_API);
  glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, 3);
  glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 3);
  glfwWindowHint(GLFW_OPENGL_PROFILE, GLFW_OPENGL_CORE_PROFILE);
  glfwWindowHint(GLFW_OPENGL_FORWARD_COMPAT, GLFW_TRUE);
  glfwWindowHint(GLFW_DEPTH_BITS, 0);
  glfwWindowHint(GLFW_STENCIL_BITS, 0);
}

namespace {

bool HatKontext() { return glfwGetCurrentContext() != nullptr; }

// The GL driver that the context loaded stays mapped until the process ends: unloaded at exit,
// its allocations would reach the leak checker from nameless modules that no suppression names.
void BehalteTreiberGeladen() {
  dl_iterate_phdr(
      [](dl_phdr_info* info, size_t, void*) {
        const std::string name = info->dlpi_name ? info->dlpi_name : "";
        if (name.find("/dri/") != std::string::npos) dlopen(name.c_str(), RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
        return 0;
      },
      nullptr);
}

// What the device needs of the context; empty when everything is there.
std::string Fehlendes() {
  std::string fehlt;
  if (epoxy_gl_version() < 33 || epoxy_is_desktop_gl() == 0) fehlt += " OpenGL 3.3";
  GLint profil = 0;
  glGetIntegerv(GL_CONTEXT_PROFILE_MASK, &profil);
  if (!(profil & GL_CONTEXT_CORE_PROFILE_BIT)) fehlt += " core profile";
  if (epoxy_gl_version() < 45 && !epoxy_has_gl_extension("GL_ARB_clip_control")) fehlt += " GL_ARB_clip_control";
  if (!epoxy_has_gl_extension("GL_EXT_texture_compression_s3tc")) fehlt += " GL_EXT_texture_compression_s3tc";
  return fehlt;
}

// A depth renderbuffer of the format completes a framebuffer with a colour buffer of the back-buffer format.
bool TiefeVollstaendig(D3DFORMAT farbe, D3DFORMAT tiefe) {
  const GLenum tiefenFormat = TiefenFormat(tiefe);
  if (tiefenFormat == 0) return false;
  GLuint fbo = 0, rb[2] = {};
  glGenFramebuffers(1, &fbo);
  glGenRenderbuffers(2, rb);
  glBindRenderbuffer(GL_RENDERBUFFER, rb[0]);
  glRenderbufferStorage(GL_RENDERBUFFER, farbe == D3DFMT_R5G6B5 ? GL_RGB565 : GL_RGB8, 4, 4);
  glBindRenderbuffer(GL_RENDERBUFFER, rb[1]);
  glRenderbufferStorage(GL_RENDERBUFFER, tiefenFormat, 4, 4);
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, fbo);
  glFramebufferRenderbuffer(GL_DRAW_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, rb[0]);
  glFramebufferRenderbuffer(GL_DRAW_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, rb[1]);
  const bool ok = glCheckFramebufferStatus(GL_DRAW_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
  glDeleteFramebuffers(1, &fbo);
  glDeleteRenderbuffers(2, rb);
  return ok;
}

class Fabrik final : public IDirect3D9 {
 public:
  UINT AddRef() override { return ++ref; }
  UINT Release() override {
    const UINT rest = --ref;
    if (rest == 0) delete this;
    return rest;
  }

  UINT GetAdapterCount() override { return 1; }

  HRESULT GetAdapterIdentifier(UINT adapter, DWORD, D3DADAPTER_IDENTIFIER9* kennung) override {
    if (adapter != 0 || kennung == nullptr || !HatKontext()) return D3DERR_INVALIDCALL;
    std::memset(kennung, 0, sizeof *kennung);
    std::strncpy(kennung->Driver, "OpenGL", sizeof kennung->Driver - 1);
    const auto* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    std::strncpy(kennung->Description, renderer ? renderer : "OpenGL", sizeof kennung->Description - 1);
    return D3D_OK;
  }

  HRESULT CheckDeviceFormat(UINT adapter, D3DDEVTYPE, D3DFORMAT adapterFormat, DWORD usage, D3DRESOURCETYPE, D3DFORMAT format) override {
    if (adapter != 0 || !HatKontext()) return D3DERR_INVALIDCALL;
    if (usage & D3DUSAGE_DEPTHSTENCIL) return TiefeVollstaendig(adapterFormat, format) ? D3D_OK : D3DERR_NOTAVAILABLE;
    return TexturFormat(format, (usage & D3DUSAGE_RENDERTARGET) != 0).intern ? D3D_OK : D3DERR_NOTAVAILABLE;
  }

  HRESULT GetDeviceCaps(UINT adapter, D3DDEVTYPE typ, D3DCAPS9* caps) override {
    if (adapter != 0 || caps == nullptr || !HatKontext()) return D3DERR_INVALIDCALL;
    GLint groesse = 0, ziele = 0;
    GLfloat aniso = 0.0f;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &groesse);
    glGetIntegerv(GL_MAX_DRAW_BUFFERS, &ziele);
    const bool hatAniso = epoxy_has_gl_extension("GL_EXT_texture_filter_anisotropic");
    if (hatAniso) glGetFloatv(GL_MAX_TEXTURE_MAX_ANISOTROPY_EXT, &aniso);
    *caps = {typ, 0, hatAniso ? D3DPTFILTERCAPS_MINFANISOTROPIC : 0u, DWORD(groesse), DWORD(groesse), DWORD(hatAniso ? aniso : 0),
             D3DVS_VERSION(3, 0), D3DPS_VERSION(3, 0), DWORD(std::min(ziele, 4))};
    return D3D_OK;
  }

  HRESULT CreateDevice(UINT adapter, D3DDEVTYPE, HWND fokus, DWORD, D3DPRESENT_PARAMETERS* parameter, IDirect3DDevice9** aus) override {
    if (adapter != 0 || parameter == nullptr || aus == nullptr || parameter->BackBufferWidth == 0 || parameter->BackBufferHeight == 0)
      return D3DERR_INVALIDCALL;
    auto* fenster = static_cast<GLFWwindow*>(fokus);
    if (fenster == nullptr || glfwGetCurrentContext() != fenster) {
      MeldeDiagnose("gl33: the focus window's context is not current");
      return D3DERR_NOTAVAILABLE;
    }
    const std::string fehlt = Fehlendes();
    if (!fehlt.empty()) {
      MeldeDiagnose("gl33: the context lacks" + fehlt);
      return D3DERR_NOTAVAILABLE;
    }
    BehalteTreiberGeladen();
    D3DFORMAT tiefe = D3DFMT_UNKNOWN;
    if (parameter->EnableAutoDepthStencil) {
      if (!TiefeVollstaendig(parameter->BackBufferFormat, parameter->AutoDepthStencilFormat)) return D3DERR_NOTAVAILABLE;
      tiefe = parameter->AutoDepthStencilFormat;
    }
    GLint ziele = 0;
    glGetIntegerv(GL_MAX_DRAW_BUFFERS, &ziele);
    auto gemeinsam = std::make_shared<Fenster>();
    gemeinsam->fenster = fenster;
    auto* geraet = new Geraet(gemeinsam, *parameter, tiefe, UINT(std::min(ziele, 4)));
    if (!geraet->Bereit()) {
      geraet->Release();
      return D3DERR_NOTAVAILABLE;
    }
    *aus = geraet;
    return D3D_OK;
  }

 private:
  ~Fabrik() override = default;
  UINT ref = 1;
};

}  // namespace

IDirect3D9* ErzeugeFabrik() { return new Fabrik; }

}  // namespace d3d9::gl33
