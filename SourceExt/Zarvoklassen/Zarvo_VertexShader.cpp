#include "Zarvo_VertexShader.h"

#include "Zarvo_Start.h"
#include "Zarvo_ZeichenKontext.h"

namespace {
const Zarvo_HighLevelShaderBasis::Stufe STUFE{false, "Zarvo_VertexShader", "VertexShader", "vs"};
}

std::atomic<int> Zarvo_VertexShader::dumpZaehler{0};

Zarvo_VertexShader::~Zarvo_VertexShader() { GibFrei(); }

void Zarvo_VertexShader::GibFrei() {
  if (geraeteShader) geraeteShader->Release();
  if (code) code->Release();
  if (meldungen) meldungen->Release();
  geraeteShader = nullptr;
  code = meldungen = nullptr;
}

bool Zarvo_VertexShader::UebersetzeAusString(const char* quelltext, const Zarvo_ShaderDefines& defines, bool leise) {
  GibFrei();
  const int dumpNummer = g_DebugShader.boolWert ? dumpZaehler.fetch_add(1) : -1;
  if (!UebersetzeStufe(STUFE, quelltext, defines, leise, kontext.impl.vertexProfil, dumpNummer, &code, &meldungen)) return false;
  return InternErzeugeShader(leise);
}

bool Zarvo_VertexShader::InternErzeugeShader(bool leise) {
  d3d9::IDirect3DDevice9* geraet = kontext.impl.geraet;
  bool erzeugt = false;
  if (geraet != nullptr && code != nullptr) {
    if (geraeteShader) geraeteShader->Release();
    geraeteShader = nullptr;
    erzeugt = d3d9::SUCCEEDED(geraet->CreateVertexShader(static_cast<const d3d9::DWORD*>(code->GetBufferPointer()), &geraeteShader));
  }
  if (!SchliesseErzeugungAb(STUFE, erzeugt, leise)) return false;
  zustand = ZUSTAND_BEREIT;
  return true;
}

const char* Zarvo_VertexShader::GibMeldungen() const {
  return meldungen ? static_cast<const char*>(meldungen->GetBufferPointer()) : nullptr;
}
