#include "Plattform/eingabe/RohEingabe.h"

#include <cstring>

#include "Plattform/eingabe/Aufnahme.h"
#include "Plattform/eingabe/Quelle.h"

namespace win32 {
namespace {

using eingabe::Aufruf;
using eingabe::AktiveQuelle;

constexpr UINT FEHLER = UINT(-1);

const eingabe::RohGeraet* SucheGeraet(const std::vector<eingabe::RohGeraet>& liste, HANDLE geraet) {
  for (const eingabe::RohGeraet& g : liste)
    if (reinterpret_cast<HANDLE>(g.handle) == geraet) return &g;
  return nullptr;
}

UINT KopiereName(const std::string& name, void* daten, UINT* groesse) {
  const UINT noetig = UINT(name.size() + 1);
  if (!daten || *groesse < noetig) {
    *groesse = noetig;
    return daten ? FEHLER : 0;
  }
  std::memcpy(daten, name.c_str(), noetig);
  return noetig;
}

}  // namespace

BOOL RegisterRawInputDevices(const RAWINPUTDEVICE* geraete, UINT anzahl, UINT groesse) {
  if (!geraete || anzahl == 0 || groesse != sizeof(RAWINPUTDEVICE)) return FALSE;
  return AktiveQuelle().Scheitert(Aufruf::RegisterRawInputDevices, -1) ? FALSE : TRUE;
}

UINT GetRawInputDeviceList(RAWINPUTDEVICELIST* liste, UINT* anzahl, UINT groesse) {
  if (!anzahl || groesse != sizeof(RAWINPUTDEVICELIST)) return FEHLER;
  eingabe::Quelle& quelle = AktiveQuelle();
  if (quelle.Scheitert(liste ? Aufruf::GeraeteListe : Aufruf::GeraeteAnzahl, -1)) return FEHLER;
  const std::vector<eingabe::RohGeraet> geraete = quelle.RohGeraete();
  if (!liste) {
    *anzahl = UINT(geraete.size());
    return 0;
  }
  if (*anzahl < geraete.size()) {
    *anzahl = UINT(geraete.size());
    return FEHLER;
  }
  for (size_t i = 0; i < geraete.size(); ++i)
    liste[i] = {reinterpret_cast<HANDLE>(geraete[i].handle), geraete[i].typ};
  return UINT(geraete.size());
}

UINT GetRawInputDeviceInfoA(HANDLE geraet, UINT befehl, void* daten, UINT* groesse) {
  if (!groesse) return FEHLER;
  eingabe::Quelle& quelle = AktiveQuelle();
  if (quelle.Scheitert(Aufruf::GeraeteInfo, -1)) return FEHLER;
  const std::vector<eingabe::RohGeraet> geraete = quelle.RohGeraete();
  const eingabe::RohGeraet* g = SucheGeraet(geraete, geraet);
  if (!g) return FEHLER;
  if (befehl == RIDI_DEVICENAME) return KopiereName(g->name, daten, groesse);
  if (befehl != RIDI_DEVICEINFO) return FEHLER;
  if (!daten || *groesse < sizeof(RID_DEVICE_INFO)) {
    *groesse = sizeof(RID_DEVICE_INFO);
    return daten ? FEHLER : 0;
  }
  RID_DEVICE_INFO info{sizeof(RID_DEVICE_INFO), g->typ};
  std::memcpy(daten, &info, sizeof info);
  return sizeof info;
}

UINT GetRawInputData(HANDLE, UINT befehl, void* daten, UINT* groesse, UINT kopfGroesse) {
  if (befehl != RID_INPUT || !groesse || kopfGroesse != sizeof(RAWINPUTHEADER)) return FEHLER;
  if (!daten) {
    *groesse = sizeof(RAWINPUT);
    return 0;
  }
  if (*groesse < sizeof(RAWINPUT)) return FEHLER;
  RAWINPUT paket;
  if (!eingabe::Entnehmen(paket)) return 0;
  std::memcpy(daten, &paket, sizeof paket);
  return sizeof paket;
}

UINT GetRawInputBuffer(RAWINPUT* daten, UINT* groesse, UINT kopfGroesse) {
  if (!groesse || kopfGroesse != sizeof(RAWINPUTHEADER)) return FEHLER;
  if (!daten) {
    *groesse = sizeof(RAWINPUT);
    return 0;
  }
  if (*groesse < RawInputAlign(sizeof(RAWINPUT))) return 0;
  RAWINPUT paket;
  if (!eingabe::Entnehmen(paket)) return 0;
  std::memcpy(daten, &paket, sizeof paket);
  return 1;
}

}  // namespace win32
