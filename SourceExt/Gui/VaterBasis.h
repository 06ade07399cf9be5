#pragma once
// A widget that owns children and, optionally, a layout record that places and sizes them. The
// children are drawn in list order, so the last child is the topmost. Adding a child that has a
// parent moves it; removing one hands ownership back to the caller.
#include <memory>
#include <vector>

#include "Anordnung.h"
#include "Basis.h"

namespace Gui {

class VaterBasis : public Basis {
 public:
  VaterBasis();
  // Frees the layout, then destroys the children from the last to the first.
  ~VaterBasis() override;

  // Draws each child in list order.
  void Zeichne(Renderer& renderer) override;
  // Also sets every child's visibility, changed or not.
  void SetSichtbar(bool sichtbar) override;
  // The layout's size; 100 x 40 without a layout.
  BVektor3<float> GetGroesse() const override;
  // Also attaches or detaches every child, then asks for a layout when attached.
  void SetVater(VaterBasis* vater, Oberflaeche* oberflaeche) override;

  // Appends the child (after removing it from its old parent), attaches it and gives it this
  // container's visibility. Null, the container itself or one of its ancestors is refused.
  virtual void FuegeHinzu(Basis* kind);
  // Erases and detaches the child; a child not in the list is ignored. It is not destroyed.
  virtual void Entferne(Basis* kind);
  // Takes ownership of the record (null: none); the old one is freed.
  virtual void SetLayout(Anordnung* anordnung);
  // A modal container blocks its siblings and everything under them while it is the topmost.
  virtual bool IstModal() const;

  const std::vector<Basis*>& Kinder() const { return kinder; }
  const Anordnung* GibAnordnung() const { return anordnung.get(); }

  // The layout pass: this container's layout (guarded against re-entrance), then the pass on
  // every child container in list order, so parents are laid out before their children.
  void OrdneBaum();

 protected:
  // Destroys the children from the last to the first (each destructor removes itself).
  void ZerstoereKinder();

 private:
  bool IstSelbstOderVorfahr(const Basis* kandidat) const;

  std::vector<Basis*> kinder;
  std::unique_ptr<Anordnung> anordnung;
  bool imLayout = false;
};

}  // namespace Gui
