#pragma once
// A pixel shader: translated from the dialect, compiled, created on the device, with the map of
// its constant and sampler names to registers.
#include <atomic>

#include "Plattform/d3d9/d3d9.h"
#include "Zarvo_BasisObjekt.h"
#include "Zarvo_HighLevelShaderBasis.h"

class Zarvo_ZeichenKontext;

class Zarvo_PixelShader : public Zarvo_BasisObjekt, public Zarvo_HighLevelShaderBasis {
 public:
  explicit Zarvo_PixelShader(Zarvo_ZeichenKontext& kontext) : kontext(kontext) {}
  ~Zarvo_PixelShader() override;
  bool BelegtVideoRAM() const override { return false; }

  // Translates, compiles and creates; quiet: no log lines, a translation exception is swallowed.
  bool UebersetzeAusString(const char* quelltext, const Zarvo_ShaderDefines& defines, bool leise);
  bool InternErzeugeShader(bool leise);
  // The compiler's messages, or null.
  const char* GibMeldungen() const;

  d3d9::IDirect3DPixelShader9* geraeteShader = nullptr;
  d3dx9::ID3DXBuffer* code = nullptr;
  d3dx9::ID3DXBuffer* meldungen = nullptr;

 private:
  static std::atomic<int> dumpZaehler;
  void GibFrei();
  Zarvo_ZeichenKontext& kontext;
};
