// The recording back end's factory and the world tests read.
#include <cstring>
#include <memory>

#include "Plattform/d3d9/null/NullGeraet.h"

namespace d3d9::null {

namespace {
std::shared_ptr<Welt> g_Welt;

uint64_t Adresse(const void* zeiger) { return uint64_t(reinterpret_cast<uintptr_t>(zeiger)); }

class Fabrik final : public IDirect3D9 {
 public:
  explicit Fabrik(std::shared_ptr<Welt> welt) : welt(std::move(welt)) {}

  UINT AddRef() override { return ++ref; }
  UINT Release() override {
    const UINT rest = --ref;
    if (rest == 0) delete this;
    return rest;
  }

  UINT GetAdapterCount() override {
    welt->Merke("GetAdapterCount", {}, D3D_OK);
    return UINT(welt->konfig.adapter.size());
  }

  HRESULT GetAdapterIdentifier(UINT adapter, DWORD flags, D3DADAPTER_IDENTIFIER9* kennung) override {
    HRESULT hr = welt->Vorgabe("GetAdapterIdentifier");
    if (hr == D3D_OK && (kennung == nullptr || adapter >= welt->konfig.adapter.size())) hr = D3DERR_INVALIDCALL;
    if (hr == D3D_OK) {
      std::memset(kennung, 0, sizeof(*kennung));
      std::strncpy(kennung->Driver, "null", sizeof(kennung->Driver) - 1);
      std::strncpy(kennung->Description, welt->konfig.adapter[adapter].c_str(), sizeof(kennung->Description) - 1);
    }
    return welt->Merke("GetAdapterIdentifier", {adapter, flags}, hr);
  }

  HRESULT CheckDeviceFormat(UINT adapter, D3DDEVTYPE typ, D3DFORMAT adapterFormat, DWORD usage, D3DRESOURCETYPE resourcenTyp,
                            D3DFORMAT format) override {
    HRESULT hr = welt->Vorgabe("CheckDeviceFormat");
    if (hr == D3D_OK && (usage & D3DUSAGE_DEPTHSTENCIL)) {
      hr = D3DERR_NOTAVAILABLE;
      for (D3DFORMAT f : welt->konfig.tiefenFormate)
        if (f == format) hr = D3D_OK;
    }
    return welt->Merke("CheckDeviceFormat", {adapter, typ, adapterFormat, usage, resourcenTyp, format}, hr);
  }

  HRESULT GetDeviceCaps(UINT adapter, D3DDEVTYPE typ, D3DCAPS9* caps) override {
    HRESULT hr = welt->Vorgabe("GetDeviceCaps");
    if (hr == D3D_OK && caps == nullptr) hr = D3DERR_INVALIDCALL;
    if (hr == D3D_OK) {
      *caps = welt->konfig.caps;
      caps->DeviceType = typ;
      caps->AdapterOrdinal = adapter;
    }
    return welt->Merke("GetDeviceCaps", {adapter, typ}, hr);
  }

  HRESULT CreateDevice(UINT adapter, D3DDEVTYPE typ, HWND fenster, DWORD verhalten, D3DPRESENT_PARAMETERS* parameter,
                       IDirect3DDevice9** geraet) override {
    HRESULT hr = welt->Vorgabe("CreateDevice");
    if (hr == D3D_OK && (parameter == nullptr || geraet == nullptr || adapter >= welt->konfig.adapter.size()))
      hr = D3DERR_INVALIDCALL;
    if (hr == D3D_OK && parameter->EnableAutoDepthStencil) {
      hr = D3DERR_NOTAVAILABLE;
      for (D3DFORMAT f : welt->konfig.tiefenFormate)
        if (f == parameter->AutoDepthStencilFormat) hr = D3D_OK;
    }
    if (hr == D3D_OK)
      *geraet = new Geraet(welt, *parameter, parameter->EnableAutoDepthStencil ? parameter->AutoDepthStencilFormat : D3DFMT_UNKNOWN);
    return welt->Merke("CreateDevice", {adapter, typ, Adresse(fenster), verhalten}, hr);
  }

 private:
  ~Fabrik() override = default;
  std::shared_ptr<Welt> welt;
  UINT ref = 1;
};
}  // namespace

void NeueWelt(const NullKonfig& konfig) { g_Welt = std::make_shared<Welt>(konfig); }

IDirect3D9* ErzeugeFabrik() { return g_Welt ? new Fabrik(g_Welt) : nullptr; }

Welt* AktuelleWelt() { return g_Welt.get(); }

Welt::Welt(const NullKonfig& konfig) : konfig(konfig) {}

HRESULT Welt::Vorgabe(const std::string& methode) {
  for (auto it = konfig.fehler.begin(); it != konfig.fehler.end(); ++it) {
    if (it->methode != methode) continue;
    const HRESULT ergebnis = it->ergebnis;
    if (--it->anzahl <= 0) konfig.fehler.erase(it);
    return ergebnis;
  }
  return D3D_OK;
}

HRESULT Welt::Merke(const char* methode, std::vector<uint64_t> argumente, HRESULT ergebnis) {
  aufrufe.push_back({methode, std::move(argumente), ergebnis});
  ++zaehler[methode];
  return ergebnis;
}

void Welt::Scheitere(const std::string& methode, int anzahl, HRESULT ergebnis) {
  konfig.fehler.push_back({methode, anzahl, ergebnis});
}

int Welt::Anzahl(const std::string& methode) const {
  auto it = zaehler.find(methode);
  return it == zaehler.end() ? 0 : it->second;
}

std::vector<Aufruf> Welt::Aufrufe(const std::string& methode) const {
  std::vector<Aufruf> treffer;
  for (const Aufruf& a : aufrufe)
    if (a.methode == methode) treffer.push_back(a);
  return treffer;
}

void Welt::Leere() {
  aufrufe.clear();
  zaehler.clear();
}

}  // namespace d3d9::null
