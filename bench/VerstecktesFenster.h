#pragma once
// The baselines' own GL context: a hidden 64 x 64 window with an OpenGL 3.3 core context, made
// current. Null when GLFW cannot create it.
#define GLFW_INCLUDE_NONE
#include <GLFW/glfw3.h>

inline GLFWwindow* ErzeugeVerstecktesFenster(const char* titel) {
  glfwWindowHint(GLFW_VISIBLE, GLFW_FALSE);
  glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, 3);
  glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 3);
  glfwWindowHint(GLFW_OPENGL_PROFILE, GLFW_OPENGL_CORE_PROFILE);
  glfwWindowHint(GLFW_OPENGL_FORWARD_COMPAT, GLFW_TRUE);
  GLFWwindow* fenster = glfwCreateWindow(64, 64, titel, nullptr, nullptr);
  if (fenster != nullptr) glfwMakeContextCurrent(fenster);
  return fenster;
}
