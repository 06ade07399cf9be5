#pragma once
// The patch builders of block faces, gates, levers and buttons. Each turns one descriptor at one
// detail level (1..4) into a record: a mesh and two square A8R8G8B8 images of side S, a colour
// image and a normal map, and the instance's transform (row by row, translation in column four);
// the generator's job hands it in.
//
// - Flaeche (kind 0): a grid of (8 << L)² cells with S = 64 << L, coloured by material and
//   facing, and a relief (one world position per texel) into which it paints the objects on it:
//   the mosaic, the nearest pressure plate, up to four levers' base plates and four buttons'
//   sockets (the requests within 0.2 of the face, in key order). The normal map is computed from
//   the relief and the mesh is moved onto it.
// - Gitter (kind 1): eight six-sided bars (2376 vertices, 4096 triangles at every level), the
//   upper left quarter of the images painted with the runtime's rand() greys and facet normals.
// - Hebel (kind 3): a tube 0.2 long and 0.02 thick closing to a point, S = 32 << L, tilted 45°
//   toward its swing direction, its foot 0.02 inside the wall.
// - Knopf (kind 4): a cap on a square grid of (2 << L)² cells, S = max(16 << L, 64).
//
// Refusals: a level outside 1..4, a non-finite float the builder reads, a gate or lever whose two
// directions are (nearly) parallel, a button size outside (0, 2048], and a result with a
// non-finite position give a record with no triangles and no images.
//
// Builders run on several workers at once. They read other requests only through the
// generator's SucheNachbarn and LiesAnforderung (one shared acquisition each, never while painting
// or waiting for a picture); the gate draws from the calling thread's rand().
#include <cstdint>

#include "Generator.h"

namespace Spiel::PatchErbauer {

Generator::FertigerPatch Flaeche(Generator& generator, uint32_t key, uint32_t stufe, uint32_t generation,
                                 const Generator::FlaechenPatch& payload);
Generator::FertigerPatch Gitter(Generator& generator, uint32_t key, uint32_t stufe, uint32_t generation,
                                const Generator::GitterPatch& payload);
Generator::FertigerPatch Hebel(Generator& generator, uint32_t key, uint32_t stufe, uint32_t generation,
                               const Generator::HebelPatch& payload);
Generator::FertigerPatch Knopf(Generator& generator, uint32_t key, uint32_t stufe, uint32_t generation,
                               const Generator::KnopfPatch& payload);

}  // namespace Spiel::PatchErbauer
