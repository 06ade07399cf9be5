#include "TestErbauer.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace {

using Generator = Spiel::Generator;

uint32_t Mische(uint32_t key, uint32_t stufe, uint32_t generation, uint32_t x, uint32_t y, uint32_t art) {
  uint64_t h = (uint64_t(key) << 32 | generation) ^ (uint64_t(stufe) << 56) ^ (uint64_t(art) << 60);
  h ^= (uint64_t(y) << 16 | x) * 0x9E3779B97F4A7C15ull;
  h ^= h >> 30;
  h *= 0xBF58476D1CE4E5B9ull;
  h ^= h >> 27;
  h *= 0x94D049BB133111EBull;
  h ^= h >> 31;
  return uint32_t(h);
}

// Mostly opaque; about one pixel in 16 at alpha 0x10 and one in 16 at 0x20.
uint32_t Alpha(uint32_t h) {
  const uint32_t wahl = h >> 28;
  return wahl == 0 ? 0x10 : wahl == 1 ? 0x20 : 0xFF;
}

// A pattern that shows where a tile lands (ramps in x and y, a key colour) and noise in the low
// bits that makes every pixel count.
uint32_t Muster(uint32_t key, uint32_t stufe, uint32_t generation, uint32_t x, uint32_t y, uint32_t art) {
  const uint32_t h = Mische(key, stufe, generation, x, y, art);
  const uint32_t grund = Mische(key, stufe, generation, 0, 0, art + 2) & 0xFF;
  const uint32_t rampeX = (x >> 2) & 0xF8, rampeY = (y >> 2) & 0xF8;  // one ramp per 1024 pixels
  const uint32_t a = rampeX | (h & 7), b = rampeY | (h >> 3 & 7), c = grund ^ (h >> 6 & 0x1F);
  const uint32_t rgb = art == 1 ? (a << 16 | b << 8 | c) : (c << 16 | a << 8 | b);
  return Alpha(h) << 24 | rgb;
}

Zarvo_Bild Bild(uint32_t key, uint32_t stufe, uint32_t generation, uint32_t seite, bool normal) {
  Zarvo_Bild bild(seite, seite, PXFMT_A8R8G8B8, 1);
  for (uint32_t y = 0; y < seite; ++y) {
    auto* zeile = reinterpret_cast<uint32_t*>(bild.Pixel() + y * bild.Zeilenbytes());
    for (uint32_t x = 0; x < seite; ++x)
      zeile[x] = normal ? TestErbauer::NormalPixel(key, stufe, generation, x, y) : TestErbauer::FarbPixel(key, stufe, generation, x, y);
  }
  return bild;
}

// A grid of nx x ny cells over the parallelogram ecke + u·achseU + t·achseV, texture (u, t).
void Gitter(Generator::FertigerPatch& d, uint32_t nx, uint32_t ny, BVektor3<float> ecke, BVektor3<float> achseU,
            BVektor3<float> achseV) {
  const uint32_t basis = uint32_t(d.vertices.size());
  for (uint32_t j = 0; j <= ny; ++j)
    for (uint32_t i = 0; i <= nx; ++i) {
      const float u = float(i) / float(nx), t = float(j) / float(ny);
      const BVektor3<float> p = ecke + achseU * u + achseV * t;
      d.vertices.push_back({p.x, p.y, p.z, u, t, 0});
    }
  for (uint32_t j = 0; j < ny; ++j)
    for (uint32_t i = 0; i < nx; ++i) {
      const uint32_t k0 = basis + j * (nx + 1) + i, k2 = k0 + nx + 1;
      d.indices.insert(d.indices.end(), {k0, k0 + 1, k2, k0 + 1, k2 + 1, k2});
    }
}

// The face quad p, p + a, p + b, p + b + c as an n x n grid of the bilinear surface.
void FlaechenGitter(Generator::FertigerPatch& d, const Generator::FlaechenPatch& f, uint32_t n) {
  for (uint32_t j = 0; j <= n; ++j)
    for (uint32_t i = 0; i <= n; ++i) {
      const float u = float(i) / float(n), t = float(j) / float(n);
      const BVektor3<float> p = f.p + f.b * t + (f.a + (f.c - f.a) * t) * u;
      d.vertices.push_back({p.x, p.y, p.z, u, t, 0});
    }
  for (uint32_t j = 0; j < n; ++j)
    for (uint32_t i = 0; i < n; ++i) {
      const uint32_t k0 = j * (n + 1) + i, k2 = k0 + n + 1;
      d.indices.insert(d.indices.end(), {k0, k0 + 1, k2, k0 + 1, k2 + 1, k2});
    }
}

// Grids whose vertex and triangle counts are the real builders' at this level.
void GrossesObjekt(Generator::FertigerPatch& d, uint32_t art, uint32_t stufe, BVektor3<float> c, BVektor3<float> h) {
  const BVektor3<float> ecke = c - h, achseU(2 * h.x, 0, 0), achseV(0, 2 * h.y, 2 * h.z);
  switch (art) {
    case 1:  // gate: 8 bars of 32 x 8 quads
      for (int bar = 0; bar < 8; ++bar) Gitter(d, 8, 32, ecke + achseU * (float(bar) / 8), achseU * 0.1f, achseV);
      break;
    case 3:  // lever: 2 << L around, 1 << L along
      Gitter(d, 2u << stufe, 1u << stufe, ecke, achseU, achseV);
      break;
    case 4:  // button: (2 << L)² cells
      Gitter(d, 2u << stufe, 2u << stufe, ecke, achseU, achseV);
      break;
    default:  // tree: 300 tubes of 6 rings of 7
      for (int segment = 0; segment < 300; ++segment) Gitter(d, 6, 5, ecke + achseV * (float(segment) / 300), achseU, achseV * 0.01f);
      break;
  }
}

}  // namespace

uint32_t TestErbauer::RealeSeite(uint32_t art, uint32_t stufe) {
  switch (art) {
    case 0:
    case 1: return 64u << stufe;
    case 3: return 32u << stufe;
    case 4: return std::max(16u << stufe, 64u);
    default: return 32;
  }
}

uint32_t TestErbauer::FarbPixel(uint32_t key, uint32_t stufe, uint32_t generation, uint32_t x, uint32_t y) {
  return Muster(key, stufe, generation, x, y, 1);
}

uint32_t TestErbauer::NormalPixel(uint32_t key, uint32_t stufe, uint32_t generation, uint32_t x, uint32_t y) {
  return Muster(key, stufe, generation, x, y, 2);
}

Zarvo_Bild TestErbauer::Farbbild(uint32_t key, uint32_t stufe, uint32_t generation, uint32_t seite) {
  return Bild(key, stufe, generation, seite, false);
}

Zarvo_Bild TestErbauer::Normalbild(uint32_t key, uint32_t stufe, uint32_t generation, uint32_t seite) {
  return Bild(key, stufe, generation, seite, true);
}

TestErbauer::TestErbauer() = default;

Generator::Erbauer TestErbauer::Tabelle() {
  Generator::Erbauer tabelle;
  tabelle.flaeche = [this](Generator& g, uint32_t key, uint32_t stufe, uint32_t generation, const Generator::FlaechenPatch& f) {
    return Baue(g, 0, key, stufe, generation, {}, &f);
  };
  tabelle.gitter = [this](Generator& g, uint32_t key, uint32_t stufe, uint32_t generation, const Generator::GitterPatch& p) {
    return Baue(g, 1, key, stufe, generation, p.position, nullptr);
  };
  tabelle.hebel = [this](Generator& g, uint32_t key, uint32_t stufe, uint32_t generation, const Generator::HebelPatch& p) {
    return Baue(g, 3, key, stufe, generation, p.position, nullptr);
  };
  tabelle.knopf = [this](Generator& g, uint32_t key, uint32_t stufe, uint32_t generation, const Generator::KnopfPatch& p) {
    return Baue(g, 4, key, stufe, generation, p.position, nullptr);
  };
  tabelle.baum = [this](Generator& g, uint32_t key, uint32_t stufe, uint32_t generation, const Generator::BaumPatch& p) {
    return Baue(g, 5, key, stufe, generation, p.position, nullptr);
  };
  return tabelle;
}

void TestErbauer::Setze(Einstellung neu) {
  std::lock_guard<std::mutex> halt(mutex);
  einstellung = std::move(neu);
}

std::vector<TestErbauer::Aufruf> TestErbauer::Aufrufe() const {
  std::lock_guard<std::mutex> halt(mutex);
  return aufrufe;
}

size_t TestErbauer::AnzahlAufrufe() const {
  std::lock_guard<std::mutex> halt(mutex);
  return aufrufe.size();
}

TestErbauer::Aufruf TestErbauer::Melde(uint32_t art, uint32_t key, uint32_t stufe, uint32_t generation, Einstellung& kopie) {
  std::lock_guard<std::mutex> halt(mutex);
  const Aufruf aufruf{art, key, stufe, generation, aufrufe.size()};
  aufrufe.push_back(aufruf);
  kopie = einstellung;
  return aufruf;
}

Generator::FertigerPatch TestErbauer::Baue(Generator& generator, uint32_t art, uint32_t key, uint32_t stufe,
                                           uint32_t generation, const BVektor3<float>& position,
                                           const Generator::FlaechenPatch* flaeche) {
  Einstellung e;
  const Aufruf aufruf = Melde(art, key, stufe, generation, e);
  // Waiting suspends the job; no lock of ours is held here.
  if (e.tor && (!e.amTor || e.amTor(aufruf))) e.tor->Warte();
  if (e.zusatz) e.zusatz(generator, aufruf);
  const Fehler fehler = e.fehler ? e.fehler(aufruf) : Fehler::Keiner;
  if (fehler == Fehler::Wirf) throw std::runtime_error("Testerbauer wirft");

  Generator::FertigerPatch d;
  d.key = key;
  d.stufe = stufe;
  d.generation = generation;
  const uint32_t seite = e.seite ? e.seite(aufruf) : RealeSeite(art, stufe);
  if (flaeche) {
    FlaechenGitter(d, *flaeche, e.gross ? 8u << stufe : 1);
  } else {
    const std::optional<Generator::Anforderung> anforderung = generator.LiesAnforderung(key);
    const BVektor3<float> c = anforderung ? anforderung->mitte - position : BVektor3<float>();
    const BVektor3<float> h = anforderung ? anforderung->halbeGroesse : BVektor3<float>();
    if (e.gross) {
      GrossesObjekt(d, art, stufe, c, h);
    } else {
      const BVektor3<float> ecken[4] = {{c.x - h.x, c.y - h.y, c.z - h.z}, {c.x + h.x, c.y - h.y, c.z - h.z},
                                        {c.x - h.x, c.y + h.y, c.z + h.z}, {c.x + h.x, c.y + h.y, c.z + h.z}};
      for (int i = 0; i < 4; ++i) d.vertices.push_back({ecken[i].x, ecken[i].y, ecken[i].z, float(i & 1), float(i >> 1), 0});
      d.indices = {0, 1, 2, 1, 3, 2};
    }
    d.transform[3] = position.x;
    d.transform[7] = position.y;
    d.transform[11] = position.z;
  }
  switch (fehler) {
    case Fehler::Leer: return d;
    case Fehler::NichtQuadratisch:
      d.farbe = Zarvo_Bild(seite, seite / 2, PXFMT_A8R8G8B8, 1);
      d.normale = Zarvo_Bild(seite, seite / 2, PXFMT_A8R8G8B8, 1);
      return d;
    case Fehler::KeineZweierpotenz:
      d.farbe = Zarvo_Bild(96, 96, PXFMT_A8R8G8B8, 1);
      d.normale = Zarvo_Bild(96, 96, PXFMT_A8R8G8B8, 1);
      return d;
    case Fehler::FalschesFormat:
      d.farbe = Zarvo_Bild(seite, seite, PXFMT_R5G6B5, 1);
      d.normale = Zarvo_Bild(seite, seite, PXFMT_R5G6B5, 1);
      return d;
    case Fehler::UngleicheGroessen:
      d.farbe = Farbbild(key, stufe, generation, seite);
      d.normale = Normalbild(key, stufe, generation, seite / 2);
      return d;
    case Fehler::OhneDreiecke: d.indices.clear(); break;
    default: break;
  }
  d.farbe = Farbbild(key, stufe, generation, seite);
  d.normale = Normalbild(key, stufe, generation, seite);
  return d;
}
