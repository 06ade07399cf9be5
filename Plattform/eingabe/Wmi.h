#pragma once
// COM- and WMI-shaped stand-in: the plug-and-play instances of the back end ("Win32_PNPEntity"),
// each with its "DeviceID". Every object and string counts as live until released.
#include "Plattform/eingabe/Typen.h"

namespace win32 {

inline constexpr HRESULT WBEM_S_NO_ERROR = 0;
inline constexpr HRESULT WBEM_S_FALSE = 1;
inline constexpr HRESULT WBEM_E_NOT_FOUND = int32_t(0x80041002u);
inline constexpr LONG WBEM_FLAG_RETURN_IMMEDIATELY = 0x10;
inline constexpr LONG WBEM_FLAG_FORWARD_ONLY = 0x20;
inline constexpr DWORD CLSCTX_INPROC_SERVER = 1;
inline constexpr DWORD RPC_C_AUTHN_WINNT = 10;
inline constexpr DWORD RPC_C_AUTHZ_NONE = 0;
inline constexpr DWORD RPC_C_AUTHN_LEVEL_CALL = 3;
inline constexpr DWORD RPC_C_IMP_LEVEL_IMPERSONATE = 3;
inline constexpr DWORD EOAC_NONE = 0;

inline constexpr WORD VT_EMPTY = 0;
inline constexpr WORD VT_I4 = 3;
inline constexpr WORD VT_BSTR = 8;

struct VARIANT {
  WORD vt;
  BSTR bstrVal;
  LONG lVal;
};
void VariantInit(VARIANT* wert);
HRESULT VariantClear(VARIANT* wert);

BSTR SysAllocString(const WCHAR* text);
void SysFreeString(BSTR text);

class IWbemClassObject {
 public:
  virtual ULONG Release() = 0;
  virtual HRESULT Get(const WCHAR* name, LONG flags, VARIANT* wert, LONG* typ, LONG* herkunft) = 0;

 protected:
  virtual ~IWbemClassObject() = default;
};

class IEnumWbemClassObject {
 public:
  virtual ULONG Release() = 0;
  // Up to `anzahl` objects; WBEM_S_FALSE when fewer were left.
  virtual HRESULT Next(LONG wartezeit, ULONG anzahl, IWbemClassObject** objekte, ULONG* geliefert) = 0;

 protected:
  virtual ~IEnumWbemClassObject() = default;
};

class IWbemServices {
 public:
  virtual ULONG Release() = 0;
  virtual HRESULT CreateInstanceEnum(BSTR klasse, LONG flags, void* kontext, IEnumWbemClassObject** aufzaehlung) = 0;

 protected:
  virtual ~IWbemServices() = default;
};

class IWbemLocator {
 public:
  virtual ULONG Release() = 0;
  virtual HRESULT ConnectServer(BSTR namensraum, BSTR benutzer, BSTR kennwort, BSTR gebiet, LONG flags,
                                BSTR autoritaet, void* kontext, IWbemServices** dienste) = 0;

 protected:
  virtual ~IWbemLocator() = default;
};

extern const GUID CLSID_WbemLocator;
extern const GUID IID_IWbemLocator;

HRESULT CoInitialize(void* reserviert);
void CoUninitialize();
HRESULT CoCreateInstance(const GUID& klasse, void* aussen, DWORD kontext, const GUID& iid, void** objekt);
HRESULT CoSetProxyBlanket(void* stellvertreter, DWORD authentisierung, DWORD autorisierung, WCHAR* prinzipal,
                          DWORD stufe, DWORD identitaet, void* ausweis, DWORD faehigkeiten);

}  // namespace win32
