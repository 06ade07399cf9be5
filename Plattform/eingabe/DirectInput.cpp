#include "Plattform/eingabe/DirectInput.h"

#include <cstring>

#include "Plattform/eingabe/DiGeraete.h"
#include "Plattform/eingabe/Quelle.h"

namespace dinput {

const DIDATAFORMAT c_dfDIKeyboard{1};
const DIDATAFORMAT c_dfDIJoystick2{2};
const GUID IID_IDirectInput8A{0xBF798030, 0x483A, 0x4DA2, {'O', 'P', 'R', 'I', 'X', 'D', 'I', '8'}};
const GUID GUID_SysKeyboard{0x6F1D2B61, 0xD5A0, 0x11CF, {'S', 'Y', 'S', 'K', 'E', 'Y', 'B', 'D'}};

namespace {

using eingabe::Aufruf;
using eingabe::AktiveQuelle;

constexpr GUID JOYSTICK_VORLAGE{0x4A4F5900, 0x0000, 0x0000, {'G', 'L', 'F', 'W', 'J', 'O', 'Y', 0}};

DIDEVICEINSTANCEA Instanz(int jid) {
  eingabe::Quelle& quelle = AktiveQuelle();
  DIDEVICEINSTANCEA instanz{};
  instanz.dwSize = sizeof instanz;
  instanz.guidInstance = JoystickInstanz(jid);
  instanz.guidProduct.Data1 = eingabe::HerstellerProdukt(quelle.JoystickGuid(jid));
  std::memcpy(instanz.guidProduct.Data4, "PIDVID\0\0", 8);
  instanz.dwDevType = quelle.IstGamepad(jid) ? DI8DEVTYPE_GAMEPAD : DI8DEVTYPE_JOYSTICK;
  return instanz;
}

class Schnittstelle final : public IDirectInput8A {
 public:
  Schnittstelle() { eingabe::ObjektErzeugt(); }

  ULONG Release() override {
    delete this;
    return 0;
  }

  HRESULT CreateDevice(const GUID& instanz, IDirectInputDevice8A** geraet, void*) override {
    if (!geraet) return DIERR_INVALIDPARAM;
    *geraet = nullptr;
    if (instanz == GUID_SysKeyboard) {
      if (AktiveQuelle().Scheitert(Aufruf::TastaturErzeugen, -1)) return DIERR_GENERIC;
      *geraet = ErzeugeSystemTastatur();
      return DI_OK;
    }
    const int jid = JoystickAusInstanz(instanz);
    if (jid < 0 || !AktiveQuelle().JoystickDa(jid)) return DIERR_NOTFOUND;
    if (AktiveQuelle().Scheitert(Aufruf::JoystickErzeugen, jid)) return DIERR_GENERIC;
    *geraet = ErzeugeJoystick(jid);
    return DI_OK;
  }

  // One device per joystick present at this moment; no hot-plug.
  HRESULT EnumDevices(DWORD art, LPDIENUMDEVICESCALLBACKA rueckruf, void* wert, DWORD) override {
    if (!rueckruf) return DIERR_INVALIDPARAM;
    if (art != DI8DEVCLASS_GAMECTRL) return DI_OK;
    for (int jid = 0; jid < eingabe::JOYSTICK_ANZAHL; ++jid) {
      if (!AktiveQuelle().JoystickDa(jid)) continue;
      const DIDEVICEINSTANCEA instanz = Instanz(jid);
      if (rueckruf(&instanz, wert) == DIENUM_STOP) break;
    }
    return DI_OK;
  }

 private:
  ~Schnittstelle() override { eingabe::ObjektFreigegeben(); }
};

}  // namespace

GUID JoystickInstanz(int jid) {
  GUID guid = JOYSTICK_VORLAGE;
  guid.Data1 |= DWORD(jid);
  return guid;
}

int JoystickAusInstanz(const GUID& instanz) {
  GUID vorlage = instanz;
  vorlage.Data1 &= ~0xFFu;
  const int jid = int(instanz.Data1 & 0xFF);
  if (!(vorlage == JOYSTICK_VORLAGE) || jid >= eingabe::JOYSTICK_ANZAHL) return -1;
  return jid;
}

HRESULT DirectInput8Create(void*, DWORD version, const GUID& iid, void** schnittstelle, void*) {
  if (!schnittstelle) return DIERR_INVALIDPARAM;
  *schnittstelle = nullptr;
  if (version != DIRECTINPUT_VERSION || !(iid == IID_IDirectInput8A)) return DIERR_INVALIDPARAM;
  if (AktiveQuelle().Scheitert(Aufruf::DirectInput8Create, -1)) return DIERR_GENERIC;
  *schnittstelle = static_cast<IDirectInput8A*>(new Schnittstelle);
  return DI_OK;
}

}  // namespace dinput
