// Shader translation and compilation per shipped shader (and a sprite-like sample pair), each
// beside a baseline in the same run:
//   Vorbereiten/<shader>        BereiteQuelltextVor (preprocessor and dialect)
//   GccE/<shader>               `gcc -E -P -x c -` as a child process over prelude and source
//   Uebersetzen/<shader>        BereiteQuelltextVor + D3DXCompileShader (glslang, registers, SPIRV-Cross)
//   GccEUndGlslang/<shader>     the child gcc, then glslang alone (HLSL -> SPIR-V, the compiler's own
//                               settings) on the translated text (gcc's output still holds the markers)
//   Glslang/<shader>            glslang alone, for the share of the register pass and SPIRV-Cross
//   ErsteUebersetzung/<shader>  the first BereiteQuelltextVor + D3DXCompileShader of the process, once
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "MitgelieferteShader.h"
#include "Plattform/d3dx9/HlslNachSpirv.h"
#include "Plattform/d3dx9/d3dx9.h"
#include "Zarvo_HighLevelShaderBasis.h"

extern char** environ;

namespace {

// One shader of a pair, as the benchmark cases name it.
struct MitgelieferterShader {
  std::string name;  // "<pair>.vs" or "<pair>.ps"
  bool pixel;
  std::string quelle;
};

// A sprite-like pair: instance inputs, a rotation, an atlas lookup with clamped coordinates.
const char* const MUSTER_VS = R"(
float4 gQuellGroesse;
float4 gZielGroesse;
$rein float2 vertexPos;
$rein float4 instZielPos;
$rein float4 instGroesse;
$rein float4 instGrafik;
$rein float4 instFarbe;
$rein float4 instParam;
$raus float4 fragPos;
$raus float4 fragFarbe;
$raus float2 fragTex;
$raus float4 fragTexGrenz;
$main() {
  float s, c;
  sincos(instParam.x, s, c);
  float2 p = (vertexPos - instParam.yy) * instGroesse.xy;
  p = float2(p.x * c - p.y * s, p.x * s + p.y * c) + instZielPos.xy;
#if GRAFIK_DIRECTX == 9
  p += float2(-0.5, 0.5);
#endif
  fragPos = float4(p * gZielGroesse.xy + float2(-1, 1), instZielPos.z, 1);
  fragFarbe = instFarbe;
  fragTex = (instGrafik.xy + vertexPos * instGrafik.zw) * gQuellGroesse.xy;
  fragTexGrenz = (instGrafik.xyxy + float4(0, 0, 1, 1) * instGrafik.zwzw + float4(0.5, 0.5, -0.5, -0.5)) * gQuellGroesse.xyxy;
}
)";
const char* const MUSTER_PS = R"(
DEF_SAMPLER_2D(Textur);
$rein float4 fragFarbe;
$rein float2 fragTex;
$rein float4 fragTexGrenz;
$raus float4 ergFarbe;
$main() {
  float2 t = clamp(fragTex, fragTexGrenz.xy, fragTexGrenz.zw);
  ergFarbe = SAMPLE_2D(Textur, t) * fragFarbe;
}
)";

std::vector<MitgelieferterShader> Shader() {
  std::vector<MitgeliefertesShaderPaar> paare = {{"Muster", MUSTER_VS, MUSTER_PS}};
  for (MitgeliefertesShaderPaar& p : MitgelieferteShader(MORVELUNT_DATEN_QUELLE)) paare.push_back(std::move(p));
  std::vector<MitgelieferterShader> alle;
  for (const MitgeliefertesShaderPaar& p : paare) {
    if (!p.vertex.empty()) alle.push_back({p.name + ".vs", false, p.vertex});
    if (!p.pixel.empty()) alle.push_back({p.name + ".ps", true, p.pixel});
  }
  return alle;
}

// What gcc reads: the prelude and the source, as the dialect feeds them (shipped shaders have no
// defines).
std::string GccEingabe(const MitgelieferterShader& s) {
  const auto [anfang, ende] = Zarvo_HighLevelShaderBasis::GibVorspann();
  return std::string(anfang, ende) + s.quelle;
}

// A temporary file that gcc reads as its standard input.
class EingabeDatei {
 public:
  explicit EingabeDatei(const std::string& inhalt) {
    std::string muster = (std::filesystem::temp_directory_path() / "shader-bench-XXXXXX").string();
    const int fd = mkstemp(muster.data());
    if (fd >= 0) close(fd);
    pfad = muster;
    std::ofstream(pfad, std::ios::binary) << inhalt;
  }
  ~EingabeDatei() { std::filesystem::remove(pfad); }
  const std::string& Pfad() const { return pfad; }

 private:
  std::string pfad;
};

// Runs `gcc -E -P -x c -` on the file; false when it cannot start or fails.
bool GccE(const std::string& eingabe, std::string& ausgabe) {
  int rohr[2];
  if (pipe(rohr) != 0) return false;
  posix_spawn_file_actions_t aktionen;
  posix_spawn_file_actions_init(&aktionen);
  posix_spawn_file_actions_addopen(&aktionen, 0, eingabe.c_str(), O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&aktionen, rohr[1], 1);
  posix_spawn_file_actions_addclose(&aktionen, rohr[0]);
  posix_spawn_file_actions_addclose(&aktionen, rohr[1]);
  char* argumente[] = {const_cast<char*>("gcc"), const_cast<char*>("-E"), const_cast<char*>("-P"), const_cast<char*>("-x"),
                       const_cast<char*>("c"), const_cast<char*>("-"), nullptr};
  pid_t kind = 0;
  const int gestartet = posix_spawnp(&kind, "gcc", &aktionen, nullptr, argumente, environ);
  posix_spawn_file_actions_destroy(&aktionen);
  close(rohr[1]);
  ausgabe.clear();
  char puffer[16384];
  for (ssize_t n; gestartet == 0 && (n = read(rohr[0], puffer, sizeof puffer)) > 0;) ausgabe.append(puffer, size_t(n));
  close(rohr[0]);
  int status = 0;
  if (gestartet != 0 || waitpid(kind, &status, 0) != kind) return false;
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// BereiteQuelltextVor + D3DXCompileShader as the shader classes run them; false on failure.
bool Uebersetze(const MitgelieferterShader& s) {
  const TSpeicher hlsl = Zarvo_HighLevelShaderBasis::BereiteQuelltextVor(s.quelle.c_str(), {}, s.pixel);
  const char* text = reinterpret_cast<const char*>(hlsl.Daten());
  d3dx9::ID3DXBuffer* code = nullptr;
  d3dx9::ID3DXBuffer* meldungen = nullptr;
  d3dx9::ID3DXConstantTable* tabelle = nullptr;
  const d3d9::HRESULT hr = d3dx9::D3DXCompileShader(text, d3d9::UINT(std::strlen(text)), nullptr, nullptr, "main",
                                                    s.pixel ? "ps_3_0" : "vs_3_0", 0, &code, &meldungen, &tabelle);
  for (auto* puffer : {code, meldungen})
    if (puffer) puffer->Release();
  if (tabelle) tabelle->Release();
  return hr == d3d9::D3D_OK;
}

// The translated text as the compiler hands it to glslang.
std::string GlslangEingabe(const MitgelieferterShader& s) {
  const TSpeicher hlsl = Zarvo_HighLevelShaderBasis::BereiteQuelltextVor(s.quelle.c_str(), {}, s.pixel);
  return std::string("#define POSITION0 POSITION\n#line 1\n") + reinterpret_cast<const char*>(hlsl.Daten());
}

void Registriere(const MitgelieferterShader& s) {
  benchmark::RegisterBenchmark(("Vorbereiten/" + s.name).c_str(), [s](benchmark::State& state) {
    for (auto _ : state) {
      TSpeicher hlsl = Zarvo_HighLevelShaderBasis::BereiteQuelltextVor(s.quelle.c_str(), {}, s.pixel);
      benchmark::DoNotOptimize(hlsl.Daten());
    }
  })->Unit(benchmark::kMicrosecond)->UseRealTime();
  benchmark::RegisterBenchmark(("GccE/" + s.name).c_str(), [s](benchmark::State& state) {
    const EingabeDatei datei(GccEingabe(s));
    std::string ausgabe;
    for (auto _ : state)
      if (!GccE(datei.Pfad(), ausgabe)) return state.SkipWithError("gcc -E failed");
  })->Unit(benchmark::kMicrosecond)->UseRealTime();
  benchmark::RegisterBenchmark(("Uebersetzen/" + s.name).c_str(), [s](benchmark::State& state) {
    for (auto _ : state)
      if (!Uebersetze(s)) return state.SkipWithError("compile failed");
  })->Unit(benchmark::kMicrosecond)->UseRealTime();
  benchmark::RegisterBenchmark(("GccEUndGlslang/" + s.name).c_str(), [s](benchmark::State& state) {
    const EingabeDatei datei(GccEingabe(s));
    const std::string text = GlslangEingabe(s);
    std::string ausgabe;
    for (auto _ : state) {
      if (!GccE(datei.Pfad(), ausgabe)) return state.SkipWithError("gcc -E failed");
      if (!d3dx9::HlslNachSpirv(text, !s.pixel, false).ok) return state.SkipWithError("glslang failed");
    }
  })->Unit(benchmark::kMicrosecond)->UseRealTime();
  benchmark::RegisterBenchmark(("Glslang/" + s.name).c_str(), [s](benchmark::State& state) {
    const std::string text = GlslangEingabe(s);
    for (auto _ : state)
      if (!d3dx9::HlslNachSpirv(text, !s.pixel, false).ok) return state.SkipWithError("glslang failed");
  })->Unit(benchmark::kMicrosecond)->UseRealTime();
}

// The process's first compile (glslang's start-up included), timed before anything else compiles.
void RegistriereErsteUebersetzung(const MitgelieferterShader& s) {
  const auto start = std::chrono::steady_clock::now();
  const bool ok = Uebersetze(s);
  const double sekunden = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  benchmark::RegisterBenchmark(("ErsteUebersetzung/" + s.name).c_str(), [ok, sekunden](benchmark::State& state) {
    if (!ok) return state.SkipWithError("compile failed");
    for (auto _ : state) state.SetIterationTime(sekunden);
  })->Unit(benchmark::kMicrosecond)->UseManualTime()->Iterations(1);
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<MitgelieferterShader> alle = Shader();
  RegistriereErsteUebersetzung(alle.front());
  for (const MitgelieferterShader& s : alle) Registriere(s);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
