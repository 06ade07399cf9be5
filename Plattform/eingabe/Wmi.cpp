#include "Plattform/eingabe/Wmi.h"

#include <cwchar>
#include <string>
#include <vector>

#include "Plattform/eingabe/Quelle.h"

namespace win32 {

const GUID CLSID_WbemLocator{0x4590F811, 0x1D3A, 0x11D0, {'W', 'B', 'E', 'M', 'L', 'O', 'C', 0}};
const GUID IID_IWbemLocator{0xDC12A687, 0x737F, 0x11CF, {'W', 'B', 'E', 'M', 'I', 'I', 'D', 0}};

namespace {

using eingabe::Aufruf;
using eingabe::AktiveQuelle;

bool Scheitert(Aufruf aufruf) { return AktiveQuelle().Scheitert(aufruf, -1); }

class Objekt final : public IWbemClassObject {
 public:
  explicit Objekt(eingabe::PnpEintrag eintrag) : eintrag_(std::move(eintrag)) { eingabe::ObjektErzeugt(); }
  ULONG Release() override {
    delete this;
    return 0;
  }
  HRESULT Get(const WCHAR* name, LONG, VARIANT* wert, LONG*, LONG*) override {
    if (!name || !wert) return E_FAIL;
    if (Scheitert(Aufruf::Get)) return E_FAIL;
    if (std::wcscmp(name, L"DeviceID") != 0) return WBEM_E_NOT_FOUND;
    VariantInit(wert);
    if (!eintrag_.istText) {
      wert->vt = VT_I4;
      wert->lVal = 0;
      return S_OK;
    }
    wert->vt = VT_BSTR;
    wert->bstrVal = SysAllocString(eintrag_.geraeteId.c_str());
    return S_OK;
  }

 private:
  ~Objekt() override { eingabe::ObjektFreigegeben(); }
  eingabe::PnpEintrag eintrag_;
};

class Aufzaehlung final : public IEnumWbemClassObject {
 public:
  explicit Aufzaehlung(std::vector<eingabe::PnpEintrag> eintraege) : eintraege_(std::move(eintraege)) {
    eingabe::ObjektErzeugt();
  }
  ULONG Release() override {
    delete this;
    return 0;
  }
  HRESULT Next(LONG, ULONG anzahl, IWbemClassObject** objekte, ULONG* geliefert) override {
    if (!objekte || !geliefert) return E_FAIL;
    *geliefert = 0;
    if (Scheitert(Aufruf::Next)) return E_FAIL;
    while (*geliefert < anzahl && naechster_ < eintraege_.size())
      objekte[(*geliefert)++] = new Objekt(eintraege_[naechster_++]);
    return *geliefert == anzahl ? WBEM_S_NO_ERROR : WBEM_S_FALSE;
  }

 private:
  ~Aufzaehlung() override { eingabe::ObjektFreigegeben(); }
  std::vector<eingabe::PnpEintrag> eintraege_;
  size_t naechster_ = 0;
};

class Dienste final : public IWbemServices {
 public:
  Dienste() { eingabe::ObjektErzeugt(); }
  ULONG Release() override {
    delete this;
    return 0;
  }
  HRESULT CreateInstanceEnum(BSTR klasse, LONG, void*, IEnumWbemClassObject** aufzaehlung) override {
    if (!klasse || !aufzaehlung) return E_FAIL;
    *aufzaehlung = nullptr;
    if (Scheitert(Aufruf::CreateInstanceEnum)) return E_FAIL;
    std::vector<eingabe::PnpEintrag> eintraege;
    if (std::wcscmp(klasse, L"Win32_PNPEntity") == 0) eintraege = AktiveQuelle().PnpGeraete();
    *aufzaehlung = new Aufzaehlung(std::move(eintraege));
    return S_OK;
  }

 private:
  ~Dienste() override { eingabe::ObjektFreigegeben(); }
};

class Lokator final : public IWbemLocator {
 public:
  Lokator() { eingabe::ObjektErzeugt(); }
  ULONG Release() override {
    delete this;
    return 0;
  }
  HRESULT ConnectServer(BSTR namensraum, BSTR, BSTR, BSTR, LONG, BSTR, void*, IWbemServices** dienste) override {
    if (!namensraum || !dienste) return E_FAIL;
    *dienste = nullptr;
    if (Scheitert(Aufruf::ConnectServer)) return E_FAIL;
    if (std::wcscmp(namensraum, L"\\\\.\\root\\cimv2") != 0) return E_FAIL;
    *dienste = new Dienste;
    return S_OK;
  }

 private:
  ~Lokator() override { eingabe::ObjektFreigegeben(); }
};

}  // namespace

void VariantInit(VARIANT* wert) { *wert = {VT_EMPTY, nullptr, 0}; }

HRESULT VariantClear(VARIANT* wert) {
  if (!wert) return E_FAIL;
  if (wert->vt == VT_BSTR) SysFreeString(wert->bstrVal);
  VariantInit(wert);
  return S_OK;
}

BSTR SysAllocString(const WCHAR* text) {
  if (!text) return nullptr;
  const size_t laenge = std::wcslen(text);
  BSTR kopie = new WCHAR[laenge + 1];
  std::wmemcpy(kopie, text, laenge + 1);
  eingabe::ObjektErzeugt();
  return kopie;
}

void SysFreeString(BSTR text) {
  if (!text) return;
  delete[] text;
  eingabe::ObjektFreigegeben();
}

HRESULT CoInitialize(void*) { return Scheitert(Aufruf::CoInitialize) ? E_FAIL : S_OK; }
void CoUninitialize() {}

HRESULT CoCreateInstance(const GUID& klasse, void*, DWORD, const GUID& iid, void** objekt) {
  if (!objekt) return E_FAIL;
  *objekt = nullptr;
  if (!(klasse == CLSID_WbemLocator) || !(iid == IID_IWbemLocator)) return E_FAIL;
  if (Scheitert(Aufruf::CoCreateInstance)) return E_FAIL;
  *objekt = static_cast<IWbemLocator*>(new Lokator);
  return S_OK;
}

HRESULT CoSetProxyBlanket(void* stellvertreter, DWORD, DWORD, WCHAR*, DWORD, DWORD, void*, DWORD) {
  if (!stellvertreter) return E_FAIL;
  return Scheitert(Aufruf::CoSetProxyBlanket) ? E_FAIL : S_OK;
}

}  // namespace win32
