#pragma once
// Whether a widget is part of a widget tree: the tests' and the fuzz target's check that the
// surface names only live widgets (a destroyed widget has left its tree).
#include "VaterBasis.h"

inline bool ImBaum(const Gui::Basis& wurzel, const Gui::Basis* gesucht) {
  if (&wurzel == gesucht) return true;
  if (auto* c = dynamic_cast<const Gui::VaterBasis*>(&wurzel))
    for (const Gui::Basis* k : c->Kinder())
      if (ImBaum(*k, gesucht)) return true;
  return false;
}
