#include "Plattform/d3dx9/HlslNachSpirv.h"

#include <glslang/Public/ResourceLimits.h>
#include <glslang/Public/ShaderLang.h>
#include <glslang/SPIRV/GlslangToSpv.h>

#include <cstdlib>
#include <mutex>

namespace d3dx9 {

namespace {

void StarteGlslang() {
  static std::once_flag einmal;
  std::call_once(einmal, [] {
    glslang::InitializeProcess();
    std::atexit([] { glslang::FinalizeProcess(); });
  });
}

constexpr EShMessages REGELN =
    EShMessages(EShMsgSpvRules | EShMsgVulkanRules | EShMsgReadHlsl | EShMsgHlslDX9Compatible);

void HaengeAn(std::string& ziel, const char* text) {
  if (text == nullptr || *text == '\0') return;
  ziel += text;
  if (ziel.back() != '\n') ziel += '\n';
}

}  // namespace

SpirvErgebnis HlslNachSpirv(const std::string& quelle, bool vertex, bool debugInfo) {
  StarteGlslang();
  SpirvErgebnis ergebnis;
  const EShLanguage stufe = vertex ? EShLangVertex : EShLangFragment;
  glslang::TShader shader(stufe);
  const char* text = quelle.c_str();
  const int laenge = int(quelle.size());
  shader.setStringsWithLengths(&text, &laenge, 1);
  shader.setEntryPoint("main");
  shader.setEnvInput(glslang::EShSourceHlsl, stufe, glslang::EShClientVulkan, 100);
  shader.setEnvClient(glslang::EShClientVulkan, glslang::EShTargetVulkan_1_0);
  shader.setEnvTarget(glslang::EShTargetSpv, glslang::EShTargetSpv_1_0);
  shader.setEnvTargetHlslFunctionality1();
  const bool geparst = shader.parse(GetDefaultResources(), 100, false, REGELN);
  HaengeAn(ergebnis.meldungen, shader.getInfoLog());
  if (!geparst) return ergebnis;
  glslang::TProgram programm;
  programm.addShader(&shader);
  const bool gelinkt = programm.link(REGELN);
  HaengeAn(ergebnis.meldungen, programm.getInfoLog());
  if (!gelinkt) return ergebnis;
  glslang::SpvOptions optionen;
  optionen.generateDebugInfo = debugInfo;
  optionen.disableOptimizer = false;
  optionen.validate = false;
  spv::SpvBuildLogger logger;
  glslang::GlslangToSpv(*programm.getIntermediate(stufe), ergebnis.spirv, &logger, &optionen);
  HaengeAn(ergebnis.meldungen, logger.getAllMessages().c_str());
  ergebnis.ok = !ergebnis.spirv.empty();
  return ergebnis;
}

}  // namespace d3dx9
