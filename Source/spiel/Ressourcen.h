#pragma once
// The game's process-wide graphics resources: the game sprite atlas (buttons, cursors, inventory
// icons and a plain patch, from "grafik.png" and "GuiGrafik.png"), the 24-pixel text font
// generated from "calibrib.ttf", and the named meshes, of which there is one, the rough stone
// block "Stein". All files come from "Daten" in the application directory.
//
// Lade builds everything into locals and only then replaces what an earlier Lade left, so a load
// that throws keeps the old resources (or none). Only Freigeben releases them: no destructor runs
// after the program's end, when the drawing context is gone. Between the two the accessors reach
// them; before Lade and after Freigeben they give null.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "Modell.h"
#include "Plattform/system/Zufall.h"
#include "Zarvo_Bild.h"

class Zarvo_Font3D;
class Zarvo_SpriteAtlas;
class Zarvo_TexturBasis;

namespace Spiel {

// A mesh with its colour and normal texture; it owns all three and gives them back to the
// drawing context's registry.
struct ModellEintrag {
  ModellEintrag() = default;
  ModellEintrag(Modell modell, Zarvo_TexturBasis* farbe, Zarvo_TexturBasis* normale);
  ~ModellEintrag();
  ModellEintrag(ModellEintrag&& anderer) noexcept;
  ModellEintrag& operator=(ModellEintrag&& anderer) noexcept;
  ModellEintrag(const ModellEintrag&) = delete;
  ModellEintrag& operator=(const ModellEintrag&) = delete;

  Modell modell;
  Zarvo_TexturBasis* farbe = nullptr;
  Zarvo_TexturBasis* normale = nullptr;

 private:
  void GibTexturenFrei();
  Zarvo_ZeichenKontext* kontext = nullptr;
};

// A mesh on the CPU.
struct Gitter {
  std::vector<WeltVertex> vertices;
  std::vector<uint32_t> indizes;
};

// The stone block on the CPU: its mesh and both 64 x 64 images with their mip chains.
struct SteinDaten {
  std::vector<WeltVertex> vertices;
  std::vector<uint32_t> indizes;
  Zarvo_Bild farbe;
  Zarvo_Bild normale;
};

class Ressourcen {
 public:
  static constexpr uint64_t ATLAS_KANTE = 1024;
  static constexpr uint64_t ATLAS_SPRITES = 1000;
  static constexpr uint64_t SCHRIFTGROESSE = 24;
  static constexpr uint64_t STEIN_KANTE = 64;

  // Loads atlas, font and stone (replacing earlier ones). Throws Zarvo_Ausnahme for an image that
  // is missing, unreadable or too small, and for a font that cannot be generated.
  static void Lade();
  // Releases meshes, textures, font and atlas.
  static void Freigeben();

  static Zarvo_SpriteAtlas* Atlas();
  static Zarvo_Font3D* Schrift();
  // Null for an unknown name.
  static const ModellEintrag* GibModell(const std::string& name);

  // The stone's vertices, indices and images; `zufall` (0..32767) gives one colour per pixel.
  static SteinDaten BaueStein(int (*zufall)() = win32::rand);
  // The box the stone is shaped from: 7 x 7 vertices per face, each triangle wound along its
  // face's outward normal. The stone moves each vertex by its position alone.
  static Gitter SteinKasten();
  // The stone uploaded to the screen's drawing context.
  static ModellEintrag ErzeugeSteinModell();

  // A static vertex buffer of 24 bytes per vertex and a 32-bit index buffer on the screen's
  // drawing context, with the local bounds. Empty arrays make no buffers.
  static Modell LadeModellHoch(std::span<const WeltVertex> vertices, std::span<const uint32_t> indizes);
};

}  // namespace Spiel
