// A DirectInput game controller on one of the back end's joysticks.
#include <algorithm>
#include <cmath>
#include <deque>
#include <vector>

#include "Plattform/eingabe/DiGeraete.h"
#include "Plattform/eingabe/Quelle.h"

namespace dinput {
namespace {

using eingabe::Aufruf;
using eingabe::AktiveQuelle;

DWORD AchsWert(float wert) { return DWORD(LONG(std::lround(std::clamp(wert, -1.0f, 1.0f) * 32767.0f))); }

class Joystick final : public IDirectInputDevice8A {
 public:
  explicit Joystick(int jid) : jid_(jid) { eingabe::ObjektErzeugt(); }

  ULONG Release() override {
    delete this;
    return 0;
  }

  HRESULT SetDataFormat(const DIDATAFORMAT* format) override {
    if (format != &c_dfDIJoystick2) return DIERR_INVALIDPARAM;
    return Gelingt(Aufruf::JoystickFormat);
  }

  HRESULT SetCooperativeLevel(HWND, DWORD) override { return Gelingt(Aufruf::JoystickKooperation); }

  HRESULT SetProperty(DIPROP eigenschaft, const DIPROPHEADER* kopf) override {
    if (!kopf) return DIERR_INVALIDPARAM;
    switch (eigenschaft) {
      case DIPROP_BUFFERSIZE: return SetzePuffer(*reinterpret_cast<const DIPROPDWORD*>(kopf));
      case DIPROP_RANGE: return Gelingt(Aufruf::JoystickBereich);
      case DIPROP_APPDATA: return SetzeAppDaten(*reinterpret_cast<const DIPROPPOINTER*>(kopf));
      default: return DIERR_INVALIDPARAM;
    }
  }

  HRESULT GetProperty(DIPROP, DIPROPHEADER*) override { return DIERR_INVALIDPARAM; }

  HRESULT GetCapabilities(DIDEVCAPS* faehigkeiten) override {
    if (!faehigkeiten) return DIERR_INVALIDPARAM;
    if (AktiveQuelle().Scheitert(Aufruf::JoystickFaehigkeiten, jid_)) return DIERR_GENERIC;
    eingabe::Quelle& quelle = AktiveQuelle();
    faehigkeiten->dwDevType = quelle.IstGamepad(jid_) ? DI8DEVTYPE_GAMEPAD : DI8DEVTYPE_JOYSTICK;
    faehigkeiten->dwAxes = DWORD(quelle.JoystickAchsen(jid_).size());
    faehigkeiten->dwButtons = DWORD(KnopfAnzahl());
    faehigkeiten->dwPOVs = DWORD(quelle.JoystickHats(jid_));
    return DI_OK;
  }

  HRESULT EnumObjects(LPDIENUMDEVICEOBJECTSCALLBACKA rueckruf, void* wert, DWORD flags) override {
    if (!rueckruf) return DIERR_INVALIDPARAM;
    if ((flags & DIDFT_AXIS) == 0) return DI_OK;
    const size_t achsen = AktiveQuelle().JoystickAchsen(jid_).size();
    for (size_t n = 0; n < achsen; ++n) {
      DIDEVICEOBJECTINSTANCEA objekt{};
      objekt.dwSize = sizeof objekt;
      objekt.dwOfs = DIJOFS_ACHSE0 + DWORD(4 * n);
      objekt.dwType = DIDFT_AXIS | DWORD(n) << 8;
      if (rueckruf(&objekt, wert) == DIENUM_STOP) break;
    }
    return DI_OK;
  }

  HRESULT Poll() override {
    if (AktiveQuelle().Scheitert(Aufruf::JoystickPoll, jid_)) return DIERR_GENERIC;
    if (!erfasst_) return DIERR_NOTACQUIRED;
    if (!AktiveQuelle().JoystickDa(jid_)) {
      KommeZurRuhe();
      return DIERR_INPUTLOST;
    }
    VergleicheMit(AktiveQuelle().JoystickAchsen(jid_), AktiveQuelle().JoystickKnoepfe(jid_));
    return DI_OK;
  }

  HRESULT GetDeviceData(DWORD datenGroesse, DIDEVICEOBJECTDATA* daten, DWORD* anzahl, DWORD) override {
    if (!anzahl || datenGroesse != sizeof(DIDEVICEOBJECTDATA)) return DIERR_INVALIDPARAM;
    if (AktiveQuelle().Scheitert(Aufruf::JoystickDaten, jid_)) return DIERR_GENERIC;
    if (!erfasst_ && puffer_.empty()) {
      *anzahl = 0;
      return verschwunden_ ? DIERR_INPUTLOST : DIERR_NOTACQUIRED;
    }
    const DWORD n = daten ? std::min<DWORD>(*anzahl, DWORD(puffer_.size())) : 0;
    for (DWORD i = 0; i < n; ++i) {
      daten[i] = puffer_.front();
      puffer_.pop_front();
    }
    *anzahl = n;
    return DI_OK;
  }

  // Acquiring takes the current state as the base of later changes.
  HRESULT Acquire() override {
    if (verschwunden_ || !AktiveQuelle().JoystickDa(jid_)) return DIERR_INPUTLOST;
    if (AktiveQuelle().Scheitert(Aufruf::JoystickAcquire, jid_)) return DIERR_GENERIC;
    if (!erfasst_) {
      achsen_ = AktiveQuelle().JoystickAchsen(jid_);
      knoepfe_ = AktiveQuelle().JoystickKnoepfe(jid_);
    }
    erfasst_ = true;
    return DI_OK;
  }

 private:
  ~Joystick() override { eingabe::ObjektFreigegeben(); }

  HRESULT Gelingt(Aufruf aufruf) { return AktiveQuelle().Scheitert(aufruf, jid_) ? DIERR_GENERIC : DI_OK; }

  size_t KnopfAnzahl() {
    const size_t knoepfe = AktiveQuelle().JoystickKnoepfe(jid_).size();
    const size_t hatKnoepfe = 4 * size_t(std::max(0, AktiveQuelle().JoystickHats(jid_)));
    return knoepfe > hatKnoepfe ? knoepfe - hatKnoepfe : 0;
  }

  HRESULT SetzePuffer(const DIPROPDWORD& wert) {
    if (AktiveQuelle().Scheitert(Aufruf::JoystickPuffer, jid_)) return DIERR_GENERIC;
    pufferGroesse_ = wert.dwData;
    return DI_OK;
  }

  HRESULT SetzeAppDaten(const DIPROPPOINTER& wert) {
    if (wert.diph.dwHow != DIPH_BYID) return DIERR_INVALIDPARAM;
    const size_t achse = DIDFT_GETINSTANCE(wert.diph.dwObj);
    if (achse >= AktiveQuelle().JoystickAchsen(jid_).size()) return DIERR_NOTFOUND;
    if (appDaten_.size() <= achse) appDaten_.resize(achse + 1, 0);
    appDaten_[achse] = wert.uData;
    return DI_OK;
  }

  void Melde(DWORD versatz, DWORD wert, uintptr_t appDaten) {
    if (puffer_.size() >= pufferGroesse_) return;
    puffer_.push_back({versatz, wert, 0, ++folge_, appDaten});
  }

  void VergleicheMit(const std::vector<float>& achsen, const std::vector<unsigned char>& knoepfe) {
    const size_t knopfAnzahl = std::min<size_t>(KnopfAnzahl(), DIJOFS_BUTTON_ANZAHL);
    for (size_t n = 0; n < knopfAnzahl && n < knoepfe.size(); ++n) {
      const bool alt = n < knoepfe_.size() && knoepfe_[n];
      if (bool(knoepfe[n]) != alt) Melde(DIJOFS_BUTTON0 + DWORD(n), knoepfe[n] ? 0x80 : 0, 0);
    }
    for (size_t n = 0; n < achsen.size(); ++n) {
      const DWORD alt = n < achsen_.size() ? AchsWert(achsen_[n]) : AchsWert(0);
      const DWORD neu = AchsWert(achsen[n]);
      if (neu != alt) Melde(DIJOFS_ACHSE0 + DWORD(4 * n), neu, n < appDaten_.size() ? appDaten_[n] : 0);
    }
    achsen_ = achsen;
    knoepfe_ = knoepfe;
  }

  void KommeZurRuhe() {
    VergleicheMit(std::vector<float>(achsen_.size(), 0.0f), std::vector<unsigned char>(knoepfe_.size(), 0));
    verschwunden_ = true;
    erfasst_ = false;
  }

  int jid_;
  bool erfasst_ = false;
  bool verschwunden_ = false;
  DWORD pufferGroesse_ = 0;
  DWORD folge_ = 0;
  std::vector<uintptr_t> appDaten_;
  std::vector<float> achsen_;
  std::vector<unsigned char> knoepfe_;
  std::deque<DIDEVICEOBJECTDATA> puffer_;
};

}  // namespace

IDirectInputDevice8A* ErzeugeJoystick(int jid) { return new Joystick(jid); }

}  // namespace dinput
