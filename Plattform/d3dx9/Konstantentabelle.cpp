#include "Plattform/d3dx9/Konstantentabelle.h"

namespace d3dx9 {

namespace {
void Verschiebe(Konstante& k, UINT register_) {
  k.desc.RegisterIndex += register_;
  for (Konstante& g : k.glieder) Verschiebe(g, register_);
  for (Konstante& e : k.elemente) Verschiebe(e, register_);
}
}  // namespace

static void MacheAbsolut(Konstante& k) {
  for (Konstante& g : k.glieder) {
    g.desc.RegisterIndex += k.desc.RegisterIndex;
    MacheAbsolut(g);
  }
}

void Verankere(Konstante& k) {
  MacheAbsolut(k);
  ErgaenzeElemente(k);
}

void ErgaenzeElemente(Konstante& k) {
  for (Konstante& g : k.glieder) ErgaenzeElemente(g);
  if (k.desc.Elements <= 1) return;
  const UINT schritt = k.desc.RegisterCount / k.desc.Elements;
  for (UINT i = 0; i < k.desc.Elements; ++i) {
    Konstante element = k;
    element.elemente.clear();
    element.desc.Elements = 1;
    element.desc.RegisterCount = schritt;
    element.desc.RegisterIndex = k.desc.RegisterIndex;
    for (Konstante& g : element.glieder) Verschiebe(g, i * schritt);
    element.desc.RegisterIndex += i * schritt;
    k.elemente.push_back(std::move(element));
  }
}

Konstantentabelle::Konstantentabelle(std::vector<Konstante> konstanten) : konstanten_(std::move(konstanten)) {
  for (const Konstante& k : konstanten_) Merke(k);
}

void Konstantentabelle::Merke(const Konstante& k) {
  gueltig_.insert(&k);
  for (const Konstante& g : k.glieder) Merke(g);
  for (const Konstante& e : k.elemente) Merke(e);
}

const Konstante* Konstantentabelle::Finde(D3DXHANDLE handle) const {
  return gueltig_.count(handle) ? static_cast<const Konstante*>(handle) : nullptr;
}

HRESULT Konstantentabelle::GetDesc(D3DXCONSTANTTABLE_DESC* desc) {
  if (desc == nullptr) return d3d9::D3DERR_INVALIDCALL;
  desc->Creator = "MORVELUNT HLSL (glslang, SPIRV-Cross)";
  desc->Version = 0xFFFE0300;
  desc->Constants = UINT(konstanten_.size());
  return d3d9::D3D_OK;
}

D3DXHANDLE Konstantentabelle::GetConstant(D3DXHANDLE parent, UINT index) {
  if (parent == nullptr) return index < konstanten_.size() ? &konstanten_[index] : nullptr;
  const Konstante* k = Finde(parent);
  if (k == nullptr || index >= k->glieder.size()) return nullptr;
  return &k->glieder[index];
}

D3DXHANDLE Konstantentabelle::GetConstantElement(D3DXHANDLE array, UINT index) {
  const Konstante* k = Finde(array);
  if (k == nullptr) return nullptr;
  if (k->elemente.empty()) return index == 0 ? k : nullptr;
  return index < k->elemente.size() ? &k->elemente[index] : nullptr;
}

HRESULT Konstantentabelle::GetConstantDesc(D3DXHANDLE constant, D3DXCONSTANT_DESC* desc, UINT* count) {
  const Konstante* k = Finde(constant);
  if (k == nullptr || desc == nullptr) {
    if (count) *count = 0;
    return d3d9::D3DERR_INVALIDCALL;
  }
  *desc = k->desc;
  desc->Name = k->name.c_str();
  if (count) *count = 1;
  return d3d9::D3D_OK;
}

UINT Konstantentabelle::Release() {
  delete this;
  return 0;
}

}  // namespace d3dx9
