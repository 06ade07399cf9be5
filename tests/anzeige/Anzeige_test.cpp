// The window and OpenGL stack on a real display: a hidden GLFW window with a 3.3 core context,
// cleared to a known colour and read back. Without a display this fails; it does not skip.
#include <gtest/gtest.h>

#include <epoxy/gl.h>  // before GLFW, which would pull in GL/gl.h
#include <GLFW/glfw3.h>

#include <array>
#include <string>
#include "AnzeigeOeffnen.h"

namespace {

std::string g_glfwFehler;

void MerkeGlfwFehler(int code, const char* text) { g_glfwFehler = std::to_string(code) + ": " + text; }

TEST(Anzeige, VerstecktesFensterLiestFarbeZurueck) {
  glfwSetErrorCallback(MerkeGlfwFehler);
  ASSERT_TRUE(anzeige::GlfwInit()) << "glfwInit: " << g_glfwFehler;

  glfwWindowHint(GLFW_VISIBLE, GLFW_FALSE);
  glfwWindowHint(GLFW_CLIENT_API, GLFW_OPENGL_API);
  glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, 3);
  glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 3);
  glfwWindowHint(GLFW_OPENGL_PROFILE, GLFW_OPENGL_CORE_PROFILE);
  glfwWindowHint(GLFW_OPENGL_FORWARD_COMPAT, GLFW_TRUE);
  GLFWwindow* fenster = glfwCreateWindow(64, 64, "anzeige", nullptr, nullptr);
  ASSERT_NE(fenster, nullptr) << "glfwCreateWindow: " << g_glfwFehler;
  glfwMakeContextCurrent(fenster);

  EXPECT_GE(epoxy_gl_version(), 33);
  EXPECT_TRUE(epoxy_is_desktop_gl());
  GLint profil = 0;
  glGetIntegerv(GL_CONTEXT_PROFILE_MASK, &profil);
  EXPECT_NE(profil & GL_CONTEXT_CORE_PROFILE_BIT, 0);

  int breite = 0, hoehe = 0;
  glfwGetFramebufferSize(fenster, &breite, &hoehe);
  EXPECT_EQ(breite, 64);
  EXPECT_EQ(hoehe, 64);

  glViewport(0, 0, breite, hoehe);
  glClearColor(0.25f, 0.5f, 0.75f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT);
  std::array<unsigned char, 4> pixel{};
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(breite / 2, hoehe / 2, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel.data());
  EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
  EXPECT_EQ(pixel, (std::array<unsigned char, 4>{64, 128, 191, 255}))
      << int(pixel[0]) << " " << int(pixel[1]) << " " << int(pixel[2]) << " " << int(pixel[3]) << " on "
      << reinterpret_cast<const char*>(glGetString(GL_RENDERER));

  glfwDestroyWindow(fenster);
  glfwTerminate();
}

}  // namespace
