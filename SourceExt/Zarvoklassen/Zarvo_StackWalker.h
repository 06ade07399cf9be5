#pragma once
// The engine's stack walker: every frame text goes to the engine log; symbol and error reports
// are dropped.
#include "StackWalker.h"

class Zarvo_StackWalker : public StackWalker {
 protected:
  void MeldeSymbolInit() override {}
  void MeldeFehler(const char*, uint32_t, uint64_t) override {}
  void Ausgabe(const char* text) override;
};
