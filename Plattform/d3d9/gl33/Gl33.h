#pragma once
// The OpenGL 3.3 core back end. Its focus window is the GLFWwindow* whose context is current.
#include "Plattform/d3d9/d3d9.h"

namespace d3d9::gl33 {

// GLFW hints for a window this back end can draw into: 3.3 core, forward compatible, no window
// depth or stencil (the device keeps its own). Call before glfwCreateWindow.
void SetzeFensterHinweise();

IDirect3D9* ErzeugeFabrik();

}  // namespace d3d9::gl33
