#pragma once
// What both back ends' objects share: Direct3D's reference rules, the charge of default-pool
// objects against the video-memory budget, and main memory for host copies.
#include <cstdint>
#include <map>
#include <memory>
#include <new>
#include <set>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "Plattform/d3d9/d3d9.h"

namespace d3d9 {

class Objekt;

// Bytes held by default-pool objects and the objects alive; shared by the device and its objects,
// so that objects released after the device still give their bytes back.
struct Konto {
  uint64_t budget = 0;
  uint64_t belegt = 0;
  uint64_t hostGrenze = 0;  // largest host allocation allowed; 0 = no limit
  std::set<Objekt*> lebende;
};

// Base of every object of the device: reference count, device references, pool and charge.
class Objekt {
 public:
  Objekt(std::shared_ptr<Konto> konto, D3DPOOL pool, uint64_t kosten, std::string art);
  virtual ~Objekt();

  UINT MehrRef();
  UINT WenigerRef();
  // The object that owns the count: a level surface's texture, else itself.
  Objekt* Wurzel() { return behaelter ? behaelter : this; }
  // References held by something other than the device.
  UINT FremdeRefs() const { return ref - gebunden - eigen; }

  UINT ref = 1;
  UINT gebunden = 0;  // references of the device's bindings
  UINT eigen = 0;     // the device's own references (back buffer, its depth surface)
  D3DPOOL pool;
  uint64_t kosten;
  std::string art;
  Objekt* behaelter = nullptr;
  std::shared_ptr<Konto> konto;
};

// Moves a device binding from what `platz` holds to `neu`: the device's reference and binding count.
void Binde(Objekt*& platz, Objekt* neu);
// Levels of the full chain down to 1 x 1, and the bytes of `levels` levels.
UINT VolleKette(UINT breite, UINT hoehe);
uint64_t TexturBytes(D3DFORMAT format, UINT breite, UINT hoehe, UINT levels);
// Direct3D 9's render and sampler states after CreateDevice and Reset.
std::map<DWORD, DWORD> VorgabeRenderZustaende();
std::map<DWORD, DWORD> VorgabeSamplerZustaende();

// The names of the default-pool objects something other than the device still references
// (what blocks a Reset), comma-separated.
std::string ResetHindernisse(const Konto& konto);
// Charges `bytes` unless the budget (0 = none) would be passed.
HRESULT Belaste(Konto& konto, uint64_t bytes);

// Makes `speicher` hold `bytes` zeroed bytes of main memory (level contents, lock staging,
// system-memory surfaces, buffer contents). Throws std::bad_alloc when they cannot be had, also
// past the account's host limit, which simulates main memory running out.
void BelegeHostSpeicher(const Konto& konto, std::vector<uint8_t>& speicher, uint64_t bytes);

// Runs `schritt` (returning an HRESULT); main memory running out inside it answers E_OUTOFMEMORY.
template <class Schritt>
HRESULT OhneSpeichermangel(Schritt&& schritt) {
  try {
    return schritt();
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
}

// A new object in three steps, with nothing left behind when one fails: its host part from
// `bau` (E_OUTOFMEMORY when main memory runs out), the charge of `kosten` against the budget, and
// its device memory from `geraeteSpeicher(objekt)`, which answers D3D_OK or the allocation's error.
template <class Schnittstelle, class Bau, class GeraeteSpeicher>
HRESULT ErzeugeObjekt(Konto& konto, uint64_t kosten, Schnittstelle** aus, Bau&& bau, GeraeteSpeicher&& geraeteSpeicher) {
  std::unique_ptr<std::remove_pointer_t<decltype(bau())>> neu;
  HRESULT hr = OhneSpeichermangel([&] {
    neu.reset(bau());
    return D3D_OK;
  });
  if (SUCCEEDED(hr)) hr = Belaste(konto, kosten);
  if (FAILED(hr)) return hr;
  hr = geraeteSpeicher(*neu);
  if (FAILED(hr)) {
    konto.belegt -= kosten;
    return hr;
  }
  neu->kosten = kosten;
  *aus = neu.release();
  return D3D_OK;
}

// The same for objects without device memory of their own.
template <class Schnittstelle, class Bau>
HRESULT ErzeugeObjekt(Konto& konto, uint64_t kosten, Schnittstelle** aus, Bau&& bau) {
  return ErzeugeObjekt(konto, kosten, aus, std::forward<Bau>(bau), [](auto&) { return D3D_OK; });
}

}  // namespace d3d9
