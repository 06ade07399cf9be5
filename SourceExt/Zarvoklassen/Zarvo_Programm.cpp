#include "Zarvo_Programm.h"

#include <algorithm>

#include "Zarvo_PixelShader.h"
#include "Zarvo_VertexShader.h"

namespace {
uint32_t Register(const Zarvo_HighLevelShaderBasis& shader, const std::string& name, uint32_t fehlt) {
  const auto eintrag = shader.konstanten.find(name);
  return eintrag == shader.konstanten.end() ? fehlt : eintrag->second.register_;
}
}  // namespace

Zarvo_Programm::Zarvo_Programm(Zarvo_VertexEingabe* eingabe, Zarvo_VertexShader* vertexShader, Zarvo_PixelShader* pixelShader)
    : eingabe(eingabe),
      vertexShader(vertexShader),
      pixelShader(pixelShader),
      deklaration(eingabe->deklaration),
      streamAnzahl(eingabe->streamAnzahl),
      instanzMaske(eingabe->instanzMaske),
      geraeteVertexShader(vertexShader->geraeteShader),
      geraetePixelShader(pixelShader->geraeteShader) {
  std::copy(std::begin(eingabe->stride), std::end(eingabe->stride), stride);
  zustand = ZUSTAND_BEREIT;
}

uint32_t Zarvo_Programm::GibKonstante(const std::string& name) const {
  return Register(*vertexShader, name, KEIN_REGISTER) | Register(*pixelShader, name, KEIN_REGISTER) << 12;
}

uint32_t Zarvo_Programm::GibSampler(const std::string& name) const {
  return Register(*pixelShader, name, KEIN_SAMPLER) | Register(*vertexShader, name, KEIN_SAMPLER) << 8;
}
