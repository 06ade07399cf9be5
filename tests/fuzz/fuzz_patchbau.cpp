// The patch builders over payloads read as raw bit patterns, as the level file hands them on:
// a face with up to six objects on it (plates, levers, buttons, mosaics of any size and picture
// index), a gate, a lever, a button or a tree at level 1 or 2. A record with triangles must have
// finite positions, valid indices and square images of its kind's side; anything else is a
// fault. The eight mosaic pictures are tiny files (1 x 1 and 128 x 64, RGB and RGBA) in a
// temporary "Daten".
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>

#include "Baum.h"
#include "FuzzLog.h"
#include "Generator.h"
#include "Mosaik.h"
#include "PatchErbauer.h"
#include "PatchbauEingabe.h"
#include "Szene.h"
#include "Zarvo_Start.h"
#include "bild/testbilder.h"
#include "einheit/NullBildschirm.h"

namespace {

using Spiel::Generator;
using V3 = BVektor3<float>;
using namespace patchbaueingabe;

constexpr uint32_t FLAECHEN_KEY = 1;

struct Umgebung {
  NullBildschirm bildschirm{64, 64};
  Spiel::Szene::InstanzPool pool;
  Generator generator{pool, Generator::Erbauer{}};
};
Umgebung* umgebung = nullptr;

void SchreibeBilder(const std::filesystem::path& daten) {
  std::filesystem::create_directories(daten);
  for (uint32_t i = 0; i < 8; ++i) {
    const bool gross = i % 2 == 1, alpha = i % 4 >= 2;
    const uint32_t b = gross ? 128 : 1, h = gross ? 64 : 1;
    testbilder::PngOptionen o;
    o.breite = b;
    o.hoehe = h;
    o.farbtyp = alpha ? 6 : 2;
    const testbilder::Bytes png = testbilder::SchreibePng(o, testbilder::FotoPixel(b, h, alpha ? 4 : 3, i + 1));
    char name[16];
    std::snprintf(name, sizeof name, "mosaik%02u.png", i);
    std::ofstream(daten / name, std::ios::binary).write(reinterpret_cast<const char*>(png.data()), std::streamsize(png.size()));
  }
}

V3 Vektor(Leser& l) {
  const float x = l.Float(), y = l.Float();
  return {x, y, l.Float()};
}

Generator::PatchBeschreibung LiesNachbar(Nachbar art, Leser& l) {
  switch (art) {
    case PLATTE: return Generator::DruckplattenPatch{Vektor(l)};
    case NACHBAR_HEBEL: {
      const V3 p = Vektor(l), d0 = Vektor(l), e1 = Vektor(l);
      return Generator::HebelPatch{p, d0, e1, Vektor(l)};
    }
    case NACHBAR_KNOPF: {
      const V3 p = Vektor(l), d = Vektor(l);
      return Generator::KnopfPatch{p, d, l.Float()};
    }
    default: {
      const V3 p = Vektor(l), d0 = Vektor(l), a1 = Vektor(l), a2 = Vektor(l);
      const float b = l.Float(), h = l.Float();
      return Generator::MosaikPatch{p, d0, a1, a2, b, h, l.Wort()};
    }
  }
}

Generator::FertigerPatch BaueFlaeche(Generator& g, uint32_t stufe, Leser& l) {
  const V3 p = Vektor(l), a = Vektor(l), b = Vektor(l), c = Vektor(l);
  const Generator::FlaechenPatch f{p, a, b, c, l.Wort()};
  g.FordereAn(FLAECHEN_KEY, f);
  const uint32_t nachbarn = l.Byte() % (MAX_NACHBARN + 1);
  for (uint32_t i = 0; i < nachbarn; ++i) {
    const Nachbar art = Nachbar(l.Byte() % NACHBARN_ARTEN);
    const V3 mitte = Vektor(l), halb = Vektor(l);
    g.FordereAn(FLAECHEN_KEY + 1 + i, LiesNachbar(art, l), mitte, halb);
  }
  Generator::FertigerPatch d = Spiel::PatchErbauer::Flaeche(g, FLAECHEN_KEY, stufe, 1, f);
  for (uint32_t key = FLAECHEN_KEY; key <= FLAECHEN_KEY + nachbarn; ++key) g.Verwirf(key);
  return d;
}

uint64_t Seite(Art art, uint32_t stufe) {
  switch (art) {
    case FLAECHE:
    case GITTER: return 64u << stufe;
    case HEBEL: return 32u << stufe;
    case KNOPF: return std::max(16u << stufe, 64u);
    default: return 32;
  }
}

void Pruefe(const Generator::FertigerPatch& d, Art art, uint32_t stufe) {
  if (d.indices.empty()) return;
  if (d.indices.size() % 3 != 0) std::abort();
  for (uint32_t i : d.indices)
    if (i >= d.vertices.size()) std::abort();
  for (const Spiel::WeltVertex& v : d.vertices)
    if (!std::isfinite(v.x) || !std::isfinite(v.y) || !std::isfinite(v.z)) std::abort();
  const uint64_t S = Seite(art, stufe);
  for (const Zarvo_Bild* b : {&d.farbe, &d.normale})
    if (b->Breite() != S || b->Hoehe() != S || b->Format() != PXFMT_A8R8G8B8 || b->IstLeer()) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  StarteStillesLog();
  static const std::filesystem::path ordner = std::filesystem::temp_directory_path() / "fuzz_patchbau";
  SchreibeBilder(ordner / "Daten");
  g_System.anwendungsVerzeichnis = ordner;
  umgebung = new Umgebung;
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* daten, size_t groesse) {
  Leser l(daten, groesse);
  const Art art = Art(l.Byte() % ARTEN);
  const uint32_t stufe = 1 + (l.Byte() & 1);
  Generator& g = umgebung->generator;
  Generator::FertigerPatch d;
  switch (art) {
    case FLAECHE: d = BaueFlaeche(g, stufe, l); break;
    case GITTER: {
      const V3 p = Vektor(l), a = Vektor(l);
      d = Spiel::PatchErbauer::Gitter(g, 1, stufe, 1, {p, a, Vektor(l)});
      break;
    }
    case HEBEL: {
      const V3 p = Vektor(l), d0 = Vektor(l), e1 = Vektor(l);
      d = Spiel::PatchErbauer::Hebel(g, 1, stufe, 1, {p, d0, e1, Vektor(l)});
      break;
    }
    case KNOPF: {
      const V3 p = Vektor(l), r = Vektor(l);
      d = Spiel::PatchErbauer::Knopf(g, 1, stufe, 1, {p, r, l.Float()});
      break;
    }
    default: {
      const V3 p = Vektor(l);
      const float a = l.Float(), b = l.Float(), c = l.Float(), e = l.Float();
      const uint64_t seed = l.Wort() | uint64_t(l.Wort()) << 32;
      d = Spiel::BaumErzeuger::Erzeuge(g, 1, stufe, 1, {p, a, b, c, e, seed});
      break;
    }
  }
  Pruefe(d, art, stufe);
  g_Log.LeereWarteschlange();
  return 0;
}
