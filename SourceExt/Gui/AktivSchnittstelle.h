#pragma once
// The aktiv flag that buttons and text lines share: inactive ones do not take the focus.
namespace Gui {

class AktivSchnittstelle {
 public:
  virtual ~AktivSchnittstelle();
  virtual void SetAktiv(bool neu) { aktiv = neu; }
  bool IstAktiv() const { return aktiv; }

 protected:
  bool aktiv = true;
};

}  // namespace Gui
