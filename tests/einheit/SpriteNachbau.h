#pragma once
// Replays the sprite draws of the recording device on the CPU, into the bytes of render target 0,
// from the 60-byte instance records in stream 1 and the level-0 bytes of the texture at stage 0:
// per target pixel whose centre lies in an unrotated sprite, the nearest source texel (clamped
// half a texel inside the source rectangle) times the sprite colour, as the copy program writes
// it. Blending: off or (one, zero) replaces, (one, 1 - source alpha) composes premultiplied;
// other draws are counted as not replayed. Only A8R8G8B8 targets and textures.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "Plattform/d3d9/null/NullGeraet.h"
#include "Plattform/d3d9/null/NullObjekte.h"
#include "Zarvo_SpriteListe.h"

class SpriteNachbau {
 public:
  explicit SpriteNachbau(d3d9::null::Welt& welt) : welt(welt) {
    welt.beiZeichnung = [this](d3d9::null::Geraet& geraet) { Zeichne(geraet); };
  }
  ~SpriteNachbau() { welt.beiZeichnung = nullptr; }
  SpriteNachbau(const SpriteNachbau&) = delete;
  SpriteNachbau& operator=(const SpriteNachbau&) = delete;

  int zeichnungen = 0;       // draws replayed
  int nichtNachgebaut = 0;   // sprite draws that could not be replayed
  uint64_t sprites = 0;      // instances replayed

 private:
  void Zeichne(d3d9::null::Geraet& g) {
    using namespace d3d9;
    if (g.streamStride[1] != sizeof(Zarvo_SpriteInstanz)) return;  // not a sprite draw
    auto* ziel = dynamic_cast<null::Oberflaeche*>(g.renderZiele[0]);
    auto* textur = dynamic_cast<null::Textur*>(g.texturen[0]);
    auto* strom = dynamic_cast<null::VertexPuffer*>(g.streams[1]);
    const auto blend = [&](D3DRENDERSTATETYPE z, DWORD vorgabe) {
      const auto it = g.renderStates.find(z);
      return it == g.renderStates.end() ? vorgabe : it->second;
    };
    const bool blendAn = blend(D3DRS_ALPHABLENDENABLE, 0) != 0;
    const DWORD quelle = blend(D3DRS_SRCBLEND, D3DBLEND_ONE), zielFaktor = blend(D3DRS_DESTBLEND, D3DBLEND_ZERO);
    const bool ersetzt = !blendAn || (quelle == D3DBLEND_ONE && zielFaktor == D3DBLEND_ZERO);
    const bool vormultipliziert = blendAn && quelle == D3DBLEND_ONE && zielFaktor == D3DBLEND_INVSRCALPHA;
    if (!ziel || !textur || !strom || ziel->format != D3DFMT_A8R8G8B8 || textur->Ebene(0)->format != D3DFMT_A8R8G8B8 ||
        (!ersetzt && !vormultipliziert)) {
      ++nichtNachgebaut;
      return;
    }
    const uint64_t anzahl = std::min<uint64_t>(g.streamFrequenz[0] & 0x3FFFFFFF, strom->bytes.size() / sizeof(Zarvo_SpriteInstanz));
    for (uint64_t i = 0; i < anzahl; ++i) {
      Zarvo_SpriteInstanz s;
      std::memcpy(&s, strom->bytes.data() + i * sizeof s, sizeof s);
      if (s.winkel != 0) {
        ++nichtNachgebaut;
        continue;
      }
      ZeichneSprite(s, *textur->Ebene(0), *ziel, ersetzt);
      ++sprites;
    }
    ++zeichnungen;
  }

  static void ZeichneSprite(const Zarvo_SpriteInstanz& s, const d3d9::null::Oberflaeche& quelle, d3d9::null::Oberflaeche& ziel,
                            bool ersetzt) {
    const float x0 = s.x - s.drehpunkt * s.breite, y0 = s.y - s.drehpunkt * s.hoehe;
    const float xa = std::min(x0, x0 + s.breite), xe = std::max(x0, x0 + s.breite);
    const float ya = std::min(y0, y0 + s.hoehe), ye = std::max(y0, y0 + s.hoehe);
    const int64_t px0 = std::max<int64_t>(0, int64_t(std::ceil(xa - 0.5f)));
    const int64_t py0 = std::max<int64_t>(0, int64_t(std::ceil(ya - 0.5f)));
    for (int64_t py = py0; py < int64_t(ziel.hoehe) && float(py) + 0.5f < ye; ++py)
      for (int64_t px = px0; px < int64_t(ziel.breite) && float(px) + 0.5f < xe; ++px) {
        const float u = s.quellX + (float(px) + 0.5f - x0) / s.breite * s.quellBreite;
        const float v = s.quellY + (float(py) + 0.5f - y0) / s.hoehe * s.quellHoehe;
        const int64_t tx = std::clamp<int64_t>(int64_t(std::floor(u)), int64_t(s.quellX), int64_t(s.quellX + s.quellBreite) - 1);
        const int64_t ty = std::clamp<int64_t>(int64_t(std::floor(v)), int64_t(s.quellY), int64_t(s.quellY + s.quellHoehe) - 1);
        if (tx < 0 || ty < 0 || tx >= int64_t(quelle.breite) || ty >= int64_t(quelle.hoehe)) continue;
        const uint8_t* texel = quelle.bytes.data() + uint64_t(ty) * quelle.Abstand() + uint64_t(tx) * 4;
        uint8_t* pixel = ziel.bytes.data() + uint64_t(py) * ziel.Abstand() + uint64_t(px) * 4;
        const float farbe[4] = {s.b, s.g, s.r, s.a};  // memory order B, G, R, A
        float neu[4];
        for (int k = 0; k < 4; ++k) neu[k] = std::clamp(float(texel[k]) / 255.0f * farbe[k], 0.0f, 1.0f);
        for (int k = 0; k < 4; ++k) {
          const float wert = ersetzt ? neu[k] : neu[k] + float(pixel[k]) / 255.0f * (1.0f - neu[3]);
          pixel[k] = uint8_t(std::lround(std::clamp(wert, 0.0f, 1.0f) * 255.0f));
        }
      }
  }

  d3d9::null::Welt& welt;
};
