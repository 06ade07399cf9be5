#pragma once
// One line of the line batch: start, end, colour and thickness in pixels. The record is the
// per-instance vertex layout of the line shader, so its 44 bytes go to the device as they are.
#include <cstddef>
#include <cstdint>

#include "BVektor3.h"
#include "TAlphaFarbe.h"

class Zarvo_VertexEingabe;

struct Zarvo_Linie {
  BVektor3<float> ipos0;
  BVektor3<float> ipos1;
  TAlphaFarbe ifarbe;
  float idicke;

  // Adds the four per-instance channels (ipos0, ipos1, ifarbe, idicke) on `stream`.
  static void TrageKanaeleEin(Zarvo_VertexEingabe& eingabe, uint32_t stream);
};

static_assert(sizeof(Zarvo_Linie) == 44);
static_assert(offsetof(Zarvo_Linie, ipos0) == 0);
static_assert(offsetof(Zarvo_Linie, ipos1) == 12);
static_assert(offsetof(Zarvo_Linie, ifarbe) == 24);
static_assert(offsetof(Zarvo_Linie, idicke) == 40);
