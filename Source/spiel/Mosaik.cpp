#include "Mosaik.h"

#include <fmt/format.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <vector>

#include "Generator.h"
#include "PatchErbauerIntern.h"
#include "Zarvo_Parallel.h"
#include "Zarvo_Start.h"

namespace Spiel {

namespace {

enum class Zustand : uint8_t { Leer, Laedt, Bereit };

struct Fach {
  std::mutex mutex;
  Zustand zustand = Zustand::Leer;       // under the mutex
  Zarvo_Parallel::AuftragsHandle lader;  // under the mutex, while loading
  std::atomic<Zarvo_Bild*> bild{nullptr};
};

// The eight slots and the placeholder's; the pictures are freed at program exit.
struct Sammlung {
  Fach faecher[MosaikSammlung::ANZAHL + 1];
  std::atomic<uint64_t> ladevorgaenge{0};
  ~Sammlung() {
    for (Fach& fach : faecher) delete fach.bild.load();
  }
};
Sammlung g_sammlung;

std::unique_ptr<Zarvo_Bild> Platzhalter() {
  auto bild = std::make_unique<Zarvo_Bild>(MosaikSammlung::PLATZHALTER_BREITE, MosaikSammlung::PLATZHALTER_HOEHE, PXFMT_A8R8G8B8, 1);
  for (uint32_t y = 0; y < MosaikSammlung::PLATZHALTER_HOEHE; ++y)
    std::fill_n(PatchErbauer::Intern::Zeile(*bild, y), MosaikSammlung::PLATZHALTER_BREITE, MosaikSammlung::PLATZHALTER_FARBE);
  return bild;
}

// The picture of slot `nr`: its file, or the placeholder; null only when memory ran out.
std::unique_ptr<Zarvo_Bild> LiesBild(uint32_t nr) {
  try {
    if (nr < MosaikSammlung::ANZAHL) {
      auto bild = std::make_unique<Zarvo_Bild>();
      g_sammlung.ladevorgaenge.fetch_add(1);
      if (bild->LadeBildAusDatei(MosaikSammlung::Dateipfad(nr))) return bild;  // a failure is logged by the reader
    }
    return Platzhalter();
  } catch (const std::exception&) {
    return nullptr;
  }
}

// Under the slot's mutex: ready with the picture, or empty again without one.
void Speichere(Fach& fach, std::unique_ptr<Zarvo_Bild> bild) {
  fach.lader = {};
  if (!bild) {
    fach.zustand = Zustand::Leer;
    return;
  }
  fach.bild.store(bild.release(), std::memory_order_release);
  fach.zustand = Zustand::Bereit;
}

// The loader job.
void Lade(uint32_t nr) {
  Fach& fach = g_sammlung.faecher[nr];
  if (fach.bild.load(std::memory_order_acquire)) return;
  std::unique_ptr<Zarvo_Bild> bild = LiesBild(nr);
  std::lock_guard<std::mutex> halt(fach.mutex);
  Speichere(fach, std::move(bild));
}

}  // namespace

std::filesystem::path MosaikSammlung::Dateipfad(unsigned int index) {
  return g_System.anwendungsVerzeichnis / "Daten" / fmt::format("mosaik{:02}.png", index);
}

const Zarvo_Bild& MosaikSammlung::HoleBild(unsigned int index) {
  const uint32_t nr = index < ANZAHL ? index : ANZAHL;
  Fach& fach = g_sammlung.faecher[nr];
  if (const Zarvo_Bild* bild = fach.bild.load(std::memory_order_acquire)) return *bild;
  Zarvo_Parallel::AuftragsHandle warte;
  {
    std::lock_guard<std::mutex> halt(fach.mutex);
    if (fach.zustand == Zustand::Laedt) {
      warte = fach.lader;
    } else if (fach.zustand == Zustand::Leer) {
      const Zarvo_Parallel::Auftrag* aktuell = Zarvo_Parallel::AktuellerAuftrag();
      if (aktuell != nullptr && aktuell->kern != nullptr) {
        fach.lader = aktuell->kern->ErzeugeAuftrag(Zarvo_Parallel::TYP_PARALLEL, [nr] { Lade(nr); });  // a throw leaves it empty
        fach.zustand = Zustand::Laedt;
        warte = fach.lader;
      } else {
        // Outside any job (tests, fuzzing): loaded here, other plain threads wait on the mutex.
        Speichere(fach, LiesBild(nr));
      }
    }
  }
  Zarvo_Parallel::WarteAuf(warte);  // the mutex is released: the job suspends, its worker goes on
  const Zarvo_Bild* bild = fach.bild.load(std::memory_order_acquire);
  if (bild == nullptr) throw std::runtime_error(fmt::format("Mosaikbild {} nicht verfügbar", index));
  return *bild;
}

void MosaikSammlung::Zuruecksetzen() {
  for (Fach& fach : g_sammlung.faecher) {
    std::lock_guard<std::mutex> halt(fach.mutex);
    delete fach.bild.exchange(nullptr);
    fach.zustand = Zustand::Leer;
    fach.lader = {};
  }
  g_sammlung.ladevorgaenge.store(0);
}

uint64_t MosaikSammlung::Ladevorgaenge() { return g_sammlung.ladevorgaenge.load(); }

// ---- painting ----

namespace PatchErbauer::Intern {

namespace {

constexpr uint64_t MAX_FENSTER_ZELLEN = uint64_t(1) << 20;  // beyond it, cells are computed per texel

struct Zelle {
  float x, y;  // jittered centre in picture coordinates
  uint32_t farbe;
};

float Bruch(float v) { return v - std::floor(v); }

// The picture's pixel at (x, y); 0xFF000000 where it cannot be read.
uint32_t BildPixel(const Zarvo_Bild& bild, int x, int y) {
  if (bild.IstLeer() || bild.Format() != PXFMT_A8R8G8B8 || x < 0 || y < 0 || uint64_t(x) >= bild.Breite() ||
      uint64_t(y) >= bild.Hoehe())
    return 0xFF000000u;
  return Zeile(bild, uint64_t(y))[x];
}

// Cell (i, j) of an nx x ny grid: its centre jittered by a fixed hash of the centre, and the
// picture's colour at the unjittered centre.
Zelle BerechneZelle(int i, int j, int nx, int ny, const Zarvo_Bild& bild) {
  const float cs = (float(i) + 0.5f) / float(nx), ct = (float(j) + 0.5f) / float(ny);
  const float X = cs * cs * 841.0f, Y = ct * ct * 841.0f;
  const float A = 23.48274f * X - 21.41475f * Y, B = 27.44729f * Y - 25.46365f * X;
  const float dx = Bruch(A) * 0.6f - 0.3f, dy = Bruch(B) * 0.6f - 0.3f;
  const float W = float(bild.Breite()), H = float(bild.Hoehe());
  const int px = int(std::min(std::max(cs * W, 0.0f), std::max(W - 1.0f, 0.0f)));
  const int py = int(std::min(std::max(ct * H, 0.0f), std::max(H - 1.0f, 0.0f)));
  return {cs + dx / float(nx), ct + dy / float(ny), BildPixel(bild, px, py)};
}

// The picture's frame: s = ((x − o) · achse2)/breite, t = ((x − o) · (−achse1))/hoehe with o its
// top-left corner.
struct Bildrahmen {
  V3 o, achse2, minusAchse1;
  float breite, hoehe;
  explicit Bildrahmen(const Generator::MosaikPatch& m)
      : o(m.position - m.achse2 * (m.breite / 2.0f) + m.achse1 * (m.hoehe / 2.0f)),
        achse2(m.achse2),
        minusAchse1(m.achse1 * -1.0f),
        breite(m.breite),
        hoehe(m.hoehe) {}
  float S(const V3& x) const { return (x - o).Punkt(achse2) / breite; }
  float T(const V3& x) const { return (x - o).Punkt(minusAchse1) / hoehe; }
};

// The cells kept in a table: columns c0..c1, rows r0..r1 (none when c0 > c1).
struct Fenster {
  int c0 = 0, c1 = -1, r0 = 0, r1 = -1;
  uint64_t Zellen() const { return c0 > c1 || r0 > r1 ? 0 : uint64_t(c1 - c0 + 1) * uint64_t(r1 - r0 + 1); }
  bool Enthaelt(int i, int j) const { return i >= c0 && i <= c1 && j >= r0 && j <= r1; }
};

// The picture coordinates' range over the face's four corners.
struct Bereich {
  float smin = INFINITY, smax = -INFINITY, tmin = INFINITY, tmax = -INFINITY;
  float spanne = 0;  // the largest magnitude that entered, for rounding bounds
  bool endlich = true;
};

Bereich EckenBereich(const Generator::FlaechenPatch& f, const Bildrahmen& rahmen) {
  Bereich b;
  for (const V3& ecke : {f.p, f.p + f.a, f.p + f.b, f.p + f.b + f.c}) {
    const float s = rahmen.S(ecke), t = rahmen.T(ecke);
    b.endlich = b.endlich && std::isfinite(s) && std::isfinite(t);
    b.smin = std::min(b.smin, s);
    b.smax = std::max(b.smax, s);
    b.tmin = std::min(b.tmin, t);
    b.tmax = std::max(b.tmax, t);
    const float gross = std::max(std::fabs(ecke.x), std::max(std::fabs(ecke.y), std::fabs(ecke.z)));
    b.spanne = std::max(b.spanne, gross);
  }
  return b;
}

// Whether a texel of the face can have 0 <= s < 1 and 0 <= t < 1, with room for rounding.
bool KannTreffen(const Bereich& b, const Bildrahmen& rahmen) {
  if (!b.endlich) return true;
  const float o = std::max(std::fabs(rahmen.o.x), std::max(std::fabs(rahmen.o.y), std::fabs(rahmen.o.z)));
  const float streuS = 1e-3f + 1e-5f * (std::fabs(b.smin) + std::fabs(b.smax)) +
                       1e-6f * (b.spanne + o) * rahmen.achse2.Laenge() / rahmen.breite;
  const float streuT = 1e-3f + 1e-5f * (std::fabs(b.tmin) + std::fabs(b.tmax)) +
                       1e-6f * (b.spanne + o) * rahmen.minusAchse1.Laenge() / rahmen.hoehe;
  return !(b.smax < -streuS || b.smin > 1.0f + streuS || b.tmax < -streuT || b.tmin > 1.0f + streuT);
}

// The cells the face can reach: its corners' range widened by one cell, clipped to −1..n; empty
// when not finite or larger than the table limit.
Fenster ReichbareZellen(const Bereich& b, int nx, int ny) {
  Fenster f;
  if (!b.endlich) return f;
  auto zelle = [](float v, int n) { return int(std::floor(std::clamp(v, 0.0f, 1.0f) * float(n))); };
  f.c0 = std::max(zelle(b.smin, nx) - 1, -1);
  f.c1 = std::min(zelle(b.smax, nx) + 1, nx);
  f.r0 = std::max(zelle(b.tmin, ny) - 1, -1);
  f.r1 = std::min(zelle(b.tmax, ny) + 1, ny);
  if (f.Zellen() > MAX_FENSTER_ZELLEN) return {};
  return f;
}

}  // namespace

void MaleMosaik(const Generator::FlaechenPatch& f, const Generator::MosaikPatch& m, std::span<V3> relief, Zarvo_Bild& farbe,
                bool voll) {
  if (!MosaikMalbar(m)) return;
  const uint32_t S = uint32_t(farbe.Breite());
  if (farbe.Format() != PXFMT_A8R8G8B8 || farbe.Hoehe() != S || S == 0 || relief.size() != size_t(S) * S) return;
  const Bildrahmen rahmen(m);
  const int nx = int(std::ceil(m.breite * 32.0f)), ny = int(std::ceil(m.hoehe * 32.0f));
  const Bereich ecken = EckenBereich(f, rahmen);
  if (!voll && !KannTreffen(ecken, rahmen)) return;  // before the picture is fetched

  const Zarvo_Bild& bild = MosaikSammlung::HoleBild(m.bild);
  const Fenster fenster = voll ? Fenster{-1, nx, -1, ny} : ReichbareZellen(ecken, nx, ny);
  std::vector<Zelle> tabelle;
  tabelle.reserve(fenster.Zellen());
  for (int j = fenster.r0; j <= fenster.r1; ++j)
    for (int i = fenster.c0; i <= fenster.c1; ++i) tabelle.push_back(BerechneZelle(i, j, nx, ny, bild));
  const int fensterBreite = fenster.c1 - fenster.c0 + 1;
  // The 3 x 3 cells around (ci, cj), rows outer: from the table when it holds them all, else each
  // computed (the same values).
  auto nachbarschaft = [&](int ci, int cj, Zelle (&z)[9]) {
    if (fenster.Enthaelt(ci - 1, cj - 1) && fenster.Enthaelt(ci + 1, cj + 1)) {
      for (int dj = 0; dj < 3; ++dj) {
        const Zelle* zeile = &tabelle[size_t(cj - 1 + dj - fenster.r0) * size_t(fensterBreite) + size_t(ci - 1 - fenster.c0)];
        for (int di = 0; di < 3; ++di) z[3 * dj + di] = zeile[di];
      }
      return;
    }
    for (int dj = 0; dj < 3; ++dj)
      for (int di = 0; di < 3; ++di) z[3 * dj + di] = BerechneZelle(ci - 1 + di, cj - 1 + dj, nx, ny, bild);
  };

  const Schicht schichten[2] = {Umgebung(rahmen.achse2, rahmen.o.Punkt(rahmen.achse2) + m.breite / 2.0f, m.breite / 2.0f),
                                Umgebung(rahmen.minusAchse1, rahmen.o.Punkt(rahmen.minusAchse1) + m.hoehe / 2.0f, m.hoehe / 2.0f)};
  LaufeTexel(Flaechenpunkte(f, S), schichten, voll, [&](uint32_t i, uint32_t j, const V3& x) {
    const float s = rahmen.S(x), t = rahmen.T(x);
    if (!(s >= 0.0f && s < 1.0f && t >= 0.0f && t < 1.0f)) return;
    const int ci = std::min(int(s * float(nx)), nx - 1), cj = std::min(int(t * float(ny)), ny - 1);
    Zelle z[9];
    nachbarschaft(ci, cj, z);
    // d1 the nearest (a candidate wins only when strictly nearer), d2 the nearest of those that
    // did not win at their turn; without branches, the winners being unpredictable.
    float d1 = 1e6f, d2 = 1e6f;
    uint32_t c = 0;
    for (const Zelle& k : z) {
      const float ex = s - k.x, ey = t - k.y, d = ex * ex + ey * ey;
      const bool gewinnt = d < d1;
      d2 = gewinnt ? d2 : std::min(d2, d);
      c = gewinnt ? k.farbe : c;
      d1 = gewinnt ? d : d1;
    }
    if (!(c > 0x20000000u)) return;  // transparent there: the wall shows
    uint32_t& pixel = Zeile(farbe, j)[i];
    V3& eintrag = relief[size_t(j) * S + i];
    if (d1 >= d2 * 0.5f) {  // the joint between two tiles, at the wall surface
      pixel = 0x10888888u;
      eintrag = x;
    } else {
      pixel = c | 0xFF000000u;
      eintrag = x + m.richtung * 0.002f;
    }
  });
}

}  // namespace PatchErbauer::Intern

void Generator::BaueMosaik(const FlaechenPatch& flaeche, const MosaikPatch& mosaik, std::span<BVektor3<float>> positionen,
                           Zarvo_Bild& farbe) {
  PatchErbauer::Intern::MaleMosaik(flaeche, mosaik, positionen, farbe, false);
}

}  // namespace Spiel
