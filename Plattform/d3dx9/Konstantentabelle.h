#pragma once
// The constant table of one compiled shader: top-level constants in register order, each with its
// struct members and array elements (absolute registers throughout).
#include <deque>
#include <string>
#include <unordered_set>
#include <vector>

#include "Plattform/d3dx9/d3dx9.h"

namespace d3dx9 {

struct Konstante {
  std::string name;
  D3DXCONSTANT_DESC desc{};
  std::vector<Konstante> glieder;   // struct members (of element 0 for arrays)
  std::vector<Konstante> elemente;  // array elements when Elements > 1
};

// Fills the elements of `k` (and recursively of its members) from element 0's layout: element i
// lies `RegisterCount / Elements` registers per step further.
void ErgaenzeElemente(Konstante& k);
// Member registers relative to their parent -> absolute, then the elements.
void Verankere(Konstante& k);

class Konstantentabelle final : public ID3DXConstantTable {
 public:
  explicit Konstantentabelle(std::vector<Konstante> konstanten);
  HRESULT GetDesc(D3DXCONSTANTTABLE_DESC* desc) override;
  D3DXHANDLE GetConstant(D3DXHANDLE parent, UINT index) override;
  D3DXHANDLE GetConstantElement(D3DXHANDLE array, UINT index) override;
  HRESULT GetConstantDesc(D3DXHANDLE constant, D3DXCONSTANT_DESC* desc, UINT* count) override;
  UINT Release() override;

 private:
  void Merke(const Konstante& k);
  const Konstante* Finde(D3DXHANDLE handle) const;

  std::vector<Konstante> konstanten_;
  std::unordered_set<const void*> gueltig_;
};

}  // namespace d3dx9
