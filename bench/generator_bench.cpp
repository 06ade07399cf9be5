// The patch generator on the shipped level: every visible face (as its full square) and every
// plate, lever, gate, button, tree and mosaic requested as the scene's rebuild rules form them,
// the viewer at the start cell. Frames run back to back (UebernimmFertigePatches, then
// AktualisierePatches) until every request within reach is built at its target level with no
// job pending, with 1 and with 8 workers, on the recording device and on the OpenGL device under
// the virtual display. The baseline runs the 1-worker run's exact job list (kind, key, level,
// generation, payload) through the same builders serially in a plain loop on one thread.
// Reported: wall times and their ratios, the worst UebernimmFertigePatches frame with its mix
// and split, the page count, and which builders ran (the game's where StandardErbauer() has
// them, else the test builder with the real sizes). "--klein": only requests near the viewer and
// only the recording device (the ctest smoke run).
#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <type_traits>
#include <variant>
#include <string>
#include <vector>

#include "Generator.h"
#include "Karte.h"
#include "Objektregeln.h"
#include "Plattform/d3d9/d3d9.h"
#include "Raster.h"
#include "Szene.h"
#include "SzenenDatei.h"
#include "TestErbauer.h"
#include "Zarvo_Parallel.h"
#include "Zarvo_Screen3D.h"
#include "Zarvo_Start.h"
#include "einheit/NullBildschirm.h"

namespace {

using Generator = Spiel::Generator;
using V3 = BVektor3<float>;
using Uhr = std::chrono::steady_clock;

bool g_klein = false;

struct Anfrage {
  uint32_t key;
  Generator::PatchBeschreibung beschreibung;
  V3 mitte, halbeGroesse;
};

struct Anfragen {
  std::vector<Anfrage> liste;
  V3 betrachter;
};

V3 Richtung(float wert) {
  const Spiel::Objektregeln::Zellposition s = Spiel::Objektregeln::RichtungsSchritt(Spiel::Objektregeln::Richtung(wert));
  return {float(s.x), float(s.y), float(s.z)};
}

V3 Kreuz(V3 a, V3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }

uint64_t AlsU64(float wert) { return wert >= 0.0f && wert < 1.8e19f ? uint64_t(wert) : 0; }

// The face quads of a full cell (corner heights 1), in doubled units.
Generator::FlaechenPatch Quadrat(uint32_t f, float x, float y, float z, uint32_t material) {
  const V3 quadrate[6][4] = {
      {{x, y, z}, {0, 0, 1}, {0, 1, 0}, {0, 0, 1}},
      {{x + 1, y, z + 1}, {0, 0, -1}, {0, 1, 0}, {0, 0, -1}},
      {{x, y, z + 1}, {1, 0, 0}, {0, 1, 0}, {1, 0, 0}},
      {{x + 1, y, z}, {-1, 0, 0}, {0, 1, 0}, {-1, 0, 0}},
      {{x, y, z}, {1, 0, 0}, {0, 0, 1}, {1, 0, 0}},
      {{x + 1, y + 1, z}, {-1, 0, 0}, {0, 0, 1}, {-1, 0, 0}},
  };
  const V3* q = quadrate[f];
  return {q[0] * 2, q[1] * 2, q[2] * 2, q[3] * 2, material};
}

std::optional<Anfrage> ObjektAnfrage(const Karte::Objekt& o, uint32_t key) {
  if (o.typ < 1 || o.typ > 6) return std::nullopt;
  const V3 s = Spiel::Raster::Einrasten(Karte::ObjektTypen[o.typ], {o.x, o.y, o.z}) * 2;
  const float(&a)[4][4] = o.args;
  switch (o.typ) {
    case 1: return Anfrage{key, Generator::DruckplattenPatch{s}, s, {0.6f, 0.2f, 0.6f}};
    case 2: {
      const V3 d0 = Richtung(a[0][0]), d1 = Richtung(a[0][1]);
      return Anfrage{key, Generator::HebelPatch{s, d0, d1, Kreuz(d0, d1)}, s, {0.4f, 0.4f, 0.4f}};
    }
    case 3: return Anfrage{key, Generator::GitterPatch{s, Richtung(a[0][0]), Richtung(a[0][1])}, s, {1, 1, 1}};
    case 4: {
      const float r = a[1][0];
      return Anfrage{key, Generator::KnopfPatch{s, Richtung(a[0][0]), r}, s, {2 * r, 2 * r, 2 * r}};
    }
    case 5:
      return Anfrage{key, Generator::BaumPatch{s, a[0][0], a[0][1], a[2][0], a[2][1], AlsU64(a[1][0])}, s + V3(5, 8, 5),
                     {10, 16, 10}};
    default: {
      const V3 d0 = Richtung(a[0][0]), d1 = Richtung(a[0][1]), e = Kreuz(d0, d1), gg = Kreuz(e, d1);
      const uint32_t bild = a[2][0] >= 0 && a[2][0] < 4e9f ? uint32_t(a[2][0]) : 0;
      const V3 halb{2 * (std::fabs(e.x) * a[1][0] + std::fabs(d1.x) * a[1][1] + 0.2f * std::fabs(gg.x)),
                    2 * (std::fabs(e.y) * a[1][0] + std::fabs(d1.y) * a[1][1] + 0.2f * std::fabs(gg.y)),
                    2 * (std::fabs(e.z) * a[1][0] + std::fabs(d1.z) * a[1][1] + 0.2f * std::fabs(gg.z))};
      return Anfrage{key, Generator::MosaikPatch{s, d0, d1, e, 2 * a[1][0], 2 * a[1][1], bild}, s, halb};
    }
  }
}

const Anfragen& SchlossAnfragen() {
  static const Anfragen anfragen = [] {
    Anfragen ergebnis;
    Karte karte;
    if (Spiel::SzenenDatei::Lade(std::filesystem::path(MORVELUNT_DATEN_ZIEL) / "szene.dat", karte) !=
        Spiel::SzenenDatei::Ergebnis::Geladen)
      return ergebnis;
    for (const Karte::Objekt& o : karte.objekte)
      if (o.typ == 0) {
        const Spiel::Objektregeln::Zellposition z = Spiel::Objektregeln::StartZelle(o);
        ergebnis.betrachter = V3(float(z.x) + 0.5f, float(z.y) + 0.5f, float(z.z) + 0.5f) * 2;
        break;
      }
    for (uint32_t y = 0; y < karte.Y; ++y)
      for (uint32_t z = 0; z < karte.Z; ++z)
        for (uint32_t x = 0; x < karte.X; ++x)
          for (uint32_t f = 0; f < 6; ++f) {
            const uint32_t wert = karte.ZelleBei(x, y, z).flaechen[f];
            if (wert == 0) continue;
            const uint32_t material = (wert == 2 || wert >= 11) ? 1 : 0;
            const Generator::FlaechenPatch q = Quadrat(f, float(x), float(y), float(z), material);
            V3 lo = q.p, hi = q.p;
            for (const V3& e : {q.p + q.a, q.p + q.b, q.p + q.b + q.c}) {
              lo = {std::min(lo.x, e.x), std::min(lo.y, e.y), std::min(lo.z, e.z)};
              hi = {std::max(hi.x, e.x), std::max(hi.y, e.y), std::max(hi.z, e.z)};
            }
            ergebnis.liste.push_back({f << 29 | z << 19 | y << 10 | x, q, (lo + hi) * 0.5f, (hi - lo) * 0.5f});
          }
    for (uint32_t i = 0; i < karte.objekte.size(); ++i)
      if (auto a = ObjektAnfrage(karte.objekte[i], 0xC0000000u | i)) ergebnis.liste.push_back(*a);
    if (g_klein) {  // the smoke run: what lies within 12 units
      std::vector<Anfrage> nah;
      for (const Anfrage& a : ergebnis.liste) {
        const V3 d = a.mitte - ergebnis.betrachter;
        if (d.Punkt(d) < 144) nah.push_back(a);
      }
      ergebnis.liste = std::move(nah);
    }
    return ergebnis;
  }();
  return anfragen;
}

// ---- builders: the game's where it has them, else the test builder at the real sizes ----

struct Auftrag {
  uint32_t key, stufe, generation;
  Generator::PatchBeschreibung beschreibung;
};

struct Erbauerwahl {
  TestErbauer test;
  Generator::Erbauer basis;  // what runs
  std::string namen;
  std::mutex mutex;
  std::vector<Auftrag> auftraege;  // every call, for the serial baseline
  bool protokolliere = false;

  Erbauerwahl() {
    TestErbauer::Einstellung e;
    e.gross = true;
    test.Setze(e);
    const Generator::Erbauer standard = Generator::StandardErbauer(), ersatz = test.Tabelle();
    basis = standard;
    Waehle(basis.flaeche, ersatz.flaeche, "Flaeche");
    Waehle(basis.gitter, ersatz.gitter, "Gitter");
    Waehle(basis.hebel, ersatz.hebel, "Hebel");
    Waehle(basis.knopf, ersatz.knopf, "Knopf");
    Waehle(basis.baum, ersatz.baum, "Baum");
  }
  template <class F>
  void Waehle(F& eintrag, const F& ersatz, const char* name) {
    if (!namen.empty()) namen += ", ";
    namen += std::string(name) + (eintrag ? "=Spiel" : "=Test");
    if (!eintrag) eintrag = ersatz;
  }
  // The table the generator gets: each call logged, then the chosen builder.
  Generator::Erbauer Tabelle() {
    Generator::Erbauer t;
    t.flaeche = Protokolliert(basis.flaeche);
    t.gitter = Protokolliert(basis.gitter);
    t.hebel = Protokolliert(basis.hebel);
    t.knopf = Protokolliert(basis.knopf);
    t.baum = Protokolliert(basis.baum);
    return t;
  }
  template <class Nutzlast>
  Generator::ErbauerFunktion<Nutzlast> Protokolliert(const Generator::ErbauerFunktion<Nutzlast>& f) {
    return [this, f](Generator& g, uint32_t key, uint32_t stufe, uint32_t generation, const Nutzlast& p) {
      if (protokolliere) {
        std::lock_guard<std::mutex> halt(mutex);
        auftraege.push_back({key, stufe, generation, p});
      }
      return f(g, key, stufe, generation, p);
    };
  }
};

Erbauerwahl& Wahl() {
  static Erbauerwahl wahl;
  return wahl;
}

// ---- one run ----

struct Lauf {
  double sekunden = 0;
  uint64_t frames = 0;
  uint64_t seiten = 0;
  Generator::Uebernahme schlimmster;
  bool fertig = false;
};

struct Ergebnisse {
  std::optional<Lauf> null1, null8, gl1, gl8;
  std::optional<double> seriell;
} g_ergebnisse;

bool AllesGebaut(Generator& g, const Anfragen& anfragen) {
  if (g.Offen() != 0) return false;
  for (const Anfrage& a : anfragen.liste) {
    const size_t art = a.beschreibung.index();
    if (art == 2 || art == 6) continue;  // build nothing of their own
    const V3 d = a.mitte - anfragen.betrachter;
    const float d2 = d.Punkt(d);
    if (!(d2 <= Generator::FERN_QUADRAT)) continue;
    const Generator::Patch* p = g.GibPatch(a.key);
    const std::optional<Generator::Anforderung> r = g.LiesAnforderung(a.key);
    if (!p || !r || p->auftrag || p->stufe != Generator::StufeFuerAbstand(d2) || p->generation != r->generation) return false;
  }
  return true;
}

Lauf LaufeGenerator(uint32_t arbeiter, bool protokolliere) {
  const Anfragen& anfragen = SchlossAnfragen();
  Lauf lauf;
  Zarvo_Parallel kern(arbeiter);
  Spiel::Szene::InstanzPool pool;
  Erbauerwahl& wahl = Wahl();
  wahl.protokolliere = protokolliere;
  if (protokolliere) wahl.auftraege.clear();
  auto generator = std::make_unique<Generator>(pool, wahl.Tabelle());
  kern.MachSofort([&] {
    for (const Anfrage& a : anfragen.liste) generator->FordereAn(a.key, a.beschreibung, a.mitte, a.halbeGroesse);
    const Uhr::time_point start = Uhr::now();
    const Uhr::time_point grenze = start + std::chrono::minutes(10);
    for (; Uhr::now() < grenze; ++lauf.frames) {
      generator->UebernimmFertigePatches();
      if (generator->LetzteUebernahme().sekundenGesamt > lauf.schlimmster.sekundenGesamt)
        lauf.schlimmster = generator->LetzteUebernahme();
      generator->AktualisierePatches(anfragen.betrachter);
      if (AllesGebaut(*generator, anfragen)) {
        lauf.fertig = true;
        break;
      }
    }
    lauf.sekunden = std::chrono::duration<double>(Uhr::now() - start).count();
    lauf.seiten = generator->Seiten().size();
    generator.reset();
  });
  wahl.protokolliere = false;
  return lauf;
}

void Melde(benchmark::State& state, const Lauf& lauf) {
  state.SetIterationTime(lauf.sekunden);
  state.counters["Frames"] = double(lauf.frames);
  state.counters["Seiten"] = double(lauf.seiten);
  const Generator::Uebernahme& u = lauf.schlimmster;
  state.counters["MaxFrame_ms"] = u.sekundenGesamt * 1e3;
  state.counters["MaxDatensaetze"] = u.datensaetze;
  state.counters["MaxKacheln"] = u.kacheln;
  state.counters["MaxPaare"] = u.paare;
  state.counters["MaxPlatz_ms"] = u.sekundenPlatz * 1e3;
  state.counters["MaxNeueSeiten_ms"] = u.sekundenNeueSeiten * 1e3;
  state.counters["MaxModelle_ms"] = u.sekundenModelle * 1e3;
  state.counters["MaxStaging_ms"] = u.sekundenStaging * 1e3;
  state.counters["MaxZeichnen_ms"] = u.sekundenZeichnen * 1e3;
  state.SetLabel(Wahl().namen);
  if (!lauf.fertig) state.SkipWithError("not every request built within 10 minutes");
}

void NullGeraet(benchmark::State& state) {
  if (SchlossAnfragen().liste.empty()) return state.SkipWithError("no szene.dat");
  const uint32_t arbeiter = uint32_t(state.range(0));
  NullBildschirm bildschirm(320, 240);
  if (!bildschirm.Offen()) return state.SkipWithError("no screen on the recording device");
  Lauf lauf;
  for (auto _ : state) {
    lauf = LaufeGenerator(arbeiter, arbeiter == 1);
    Melde(state, lauf);
  }
  (arbeiter == 1 ? g_ergebnisse.null1 : g_ergebnisse.null8) = lauf;
}

void Gl33Geraet(benchmark::State& state) {
  if (SchlossAnfragen().liste.empty()) return state.SkipWithError("no szene.dat");
  const uint32_t arbeiter = uint32_t(state.range(0));
  d3d9::WaehleGl33Backend();
  g_Vollbild.SetzeBool(false);
  if (!Zarvo_Screen3D::Init(0, 0, {320, 240, 0, 0}, 0)) return state.SkipWithError("no screen (DISPLAY?)");
  Lauf lauf;
  for (auto _ : state) {
    lauf = LaufeGenerator(arbeiter, false);
    Melde(state, lauf);
  }
  Zarvo_Screen3D::Schliessen();
  (arbeiter == 1 ? g_ergebnisse.gl1 : g_ergebnisse.gl8) = lauf;
}

// The 1-worker run's jobs through the same builders in a plain loop, on a generator that holds
// the requests (the builders read them).
void SeriellBasis(benchmark::State& state) {
  Erbauerwahl& wahl = Wahl();
  if (wahl.auftraege.empty()) return state.SkipWithError("run NullGeraet/1 first (its job list is the baseline)");
  NullBildschirm bildschirm(320, 240);
  Spiel::Szene::InstanzPool pool;
  Generator generator(pool, Generator::Erbauer{});
  for (const Anfrage& a : SchlossAnfragen().liste) generator.FordereAn(a.key, a.beschreibung, a.mitte, a.halbeGroesse);
  double sekunden = 0;
  for (auto _ : state) {
    const Uhr::time_point start = Uhr::now();
    uint64_t vertices = 0;
    for (const Auftrag& auftrag : wahl.auftraege)
      std::visit(
          [&](const auto& p) {
            using Art = std::decay_t<decltype(p)>;
            Generator::FertigerPatch d;
            if constexpr (std::is_same_v<Art, Generator::FlaechenPatch>) d = wahl.basis.flaeche(generator, auftrag.key, auftrag.stufe, auftrag.generation, p);
            if constexpr (std::is_same_v<Art, Generator::GitterPatch>) d = wahl.basis.gitter(generator, auftrag.key, auftrag.stufe, auftrag.generation, p);
            if constexpr (std::is_same_v<Art, Generator::HebelPatch>) d = wahl.basis.hebel(generator, auftrag.key, auftrag.stufe, auftrag.generation, p);
            if constexpr (std::is_same_v<Art, Generator::KnopfPatch>) d = wahl.basis.knopf(generator, auftrag.key, auftrag.stufe, auftrag.generation, p);
            if constexpr (std::is_same_v<Art, Generator::BaumPatch>) d = wahl.basis.baum(generator, auftrag.key, auftrag.stufe, auftrag.generation, p);
            vertices += d.vertices.size();
          },
          auftrag.beschreibung);
    sekunden = std::chrono::duration<double>(Uhr::now() - start).count();
    state.SetIterationTime(sekunden);
    benchmark::DoNotOptimize(vertices);
  }
  state.counters["Auftraege"] = double(wahl.auftraege.size());
  state.SetLabel(wahl.namen);
  g_ergebnisse.seriell = sekunden;
}

BENCHMARK(NullGeraet)->Arg(1)->Arg(8)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(SeriellBasis)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(Gl33Geraet)->Arg(1)->Arg(8)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

void DruckeVerhaeltnis(const char* name, const std::optional<Lauf>& eins, const std::optional<Lauf>& acht) {
  if (!eins || !acht) return;
  std::printf("%s: 1 Arbeiter %.1f ms, 8 Arbeiter %.1f ms, Beschleunigung %.2f, Seiten %llu\n", name, eins->sekunden * 1e3,
              acht->sekunden * 1e3, eins->sekunden / acht->sekunden, static_cast<unsigned long long>(acht->seiten));
  for (const auto& [arbeiter, lauf] : {std::pair{1, &*eins}, std::pair{8, &*acht}}) {
    const Generator::Uebernahme& u = lauf->schlimmster;
    std::printf("  schlimmster Frame (%d Arbeiter): %.1f ms, %u Datensaetze, %u Kacheln, %u Paare; HolePlatz %.2f ms, "
                "neue Seiten %.2f ms, Modelle %.2f ms, Staging %.2f ms, Zeichnen %.2f ms\n",
                arbeiter, u.sekundenGesamt * 1e3, u.datensaetze, u.kacheln, u.paare, u.sekundenPlatz * 1e3,
                u.sekundenNeueSeiten * 1e3, u.sekundenModelle * 1e3, u.sekundenStaging * 1e3, u.sekundenZeichnen * 1e3);
  }
  if (g_ergebnisse.seriell && *g_ergebnisse.seriell > 0)
    std::printf("  seriell %.1f ms: Generator(1)/seriell %.2f, seriell/Generator(8) %.2f\n", *g_ergebnisse.seriell * 1e3,
                eins->sekunden / *g_ergebnisse.seriell, *g_ergebnisse.seriell / acht->sekunden);
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<char*> argumente;
  for (int i = 0; i < argc; ++i) {
    if (std::strcmp(argv[i], "--klein") == 0)
      g_klein = true;
    else
      argumente.push_back(argv[i]);
  }
  int anzahl = int(argumente.size());
  benchmark::AddCustomContext("Anfragen", std::to_string(SchlossAnfragen().liste.size()));
  benchmark::AddCustomContext("Erbauer", Wahl().namen);
  benchmark::Initialize(&anzahl, argumente.data());
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::printf("Erbauer: %s; %zu Anfragen\n", Wahl().namen.c_str(), SchlossAnfragen().liste.size());
  DruckeVerhaeltnis("Aufzeichnungsgeraet", g_ergebnisse.null1, g_ergebnisse.null8);
  DruckeVerhaeltnis("OpenGL", g_ergebnisse.gl1, g_ergebnisse.gl8);
  return 0;
}
