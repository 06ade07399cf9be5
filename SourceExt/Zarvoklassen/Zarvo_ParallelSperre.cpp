#include "Zarvo_ParallelSperre.h"

#include <algorithm>
#include <cassert>

// --- wait list ---------------------------------------------------------------------------------

void Zarvo_Parallel::WarteListe::Fuege(Auftrag* auftrag) {
  if (ende != eintraege + INLINE)
    *ende++ = auftrag;
  else
    ueberlauf.push_back(auftrag);
}

Zarvo_Parallel::Auftrag* Zarvo_Parallel::WarteListe::NimmErsten() {
  Auftrag* erster = eintraege[0];
  Auftrag* letzter = nullptr;
  if (!ueberlauf.empty()) {
    letzter = ueberlauf.back();
    ueberlauf.pop_back();
  } else {
    letzter = *--ende;
  }
  if (ende != eintraege) eintraege[0] = letzter;
  return erster;
}

void Zarvo_Parallel::WarteListe::NimmAlleNach(WarteListe& ziel) {
  ziel.ende = std::copy(eintraege, ende, ziel.eintraege);
  ziel.ueberlauf.swap(ueberlauf);
  Leere();
}

void Zarvo_Parallel::WarteListe::Leere() {
  ende = eintraege;
  ueberlauf.clear();
}

// --- reader/writer lock ------------------------------------------------------------------------

void Zarvo_Parallel::LeseSchreibSperre::SperreGemeinsam() {
  for (;;) {
    {
      SpinWaechter spinWaechter(&spin);
      if (GemeinsamFrei()) {
        ++leser;
        return;
      }
    }
    Suspendiere(GRUND_GEMEINSAM, this, {});
  }
}

void Zarvo_Parallel::LeseSchreibSperre::SperreExklusiv() {
  for (;;) {
    {
      SpinWaechter spinWaechter(&spin);
      if (ExklusivFrei()) {
        exklusiv = true;
        return;
      }
    }
    Suspendiere(GRUND_EXKLUSIV, this, {});
  }
}

bool Zarvo_Parallel::LeseSchreibSperre::ListeWennBesetzt(Auftrag* auftrag, bool exklusivGewuenscht) {
  SpinWaechter spinWaechter(&spin);
  if (exklusivGewuenscht ? ExklusivFrei() : GemeinsamFrei()) return false;
  (exklusivGewuenscht ? exklusivWartende : gemeinsamWartende).Fuege(auftrag);
  return true;
}

void Zarvo_Parallel::LeseSchreibSperre::GibGemeinsamFrei() {
  Auftrag* schreiber = nullptr;
  {
    SpinWaechter spinWaechter(&spin);
    assert(leser > 0 && "shared release without a shared hold");
    --leser;
    if (leser == 0 && !exklusivWartende.Leer()) schreiber = exklusivWartende.NimmErsten();
  }
  if (schreiber) SetzeFort(schreiber);
}

void Zarvo_Parallel::LeseSchreibSperre::GibExklusivFrei() {
  Auftrag* schreiber = nullptr;
  WarteListe leserListe;
  {
    SpinWaechter spinWaechter(&spin);
    assert(exklusiv && "exclusive release without an exclusive hold");
    exklusiv = false;
    if (!exklusivWartende.Leer())
      schreiber = exklusivWartende.NimmErsten();
    else
      gemeinsamWartende.NimmAlleNach(leserListe);
  }
  if (schreiber)
    SetzeFort(schreiber);
  else
    leserListe.FuerAlle(SetzeFort);
}

// --- wait counter ------------------------------------------------------------------------------

void Zarvo_Parallel::WarteZaehler::Warte() {
  for (;;) {
    {
      SpinWaechter spinWaechter(&spin);
      if (anzahl.load(std::memory_order_acquire) == 0) return;
    }
    Suspendiere(GRUND_ZAEHLER, this, {});
  }
}

bool Zarvo_Parallel::WarteZaehler::ListeWennNichtNull(Auftrag* auftrag) {
  SpinWaechter spinWaechter(&spin);
  if (anzahl.load(std::memory_order_acquire) == 0) return false;
  wartende.Fuege(auftrag);
  return true;
}

// The step to 0 is made under the spin byte and the waiters are set forth under it; releasing the
// byte is the last touch of the counter, whose owner may destroy it right after.
uint64_t Zarvo_Parallel::WarteZaehler::Vermindere() {
  uint64_t bisher = anzahl.load(std::memory_order_relaxed);
  for (;;) {
    assert(bisher != 0 && "Vermindere on a counter of 0");
    if (bisher == 0) return 0;
    if (bisher > 1) {
      if (anzahl.compare_exchange_weak(bisher, bisher - 1, std::memory_order_acq_rel, std::memory_order_relaxed)) return bisher;
      continue;
    }
    SpinWaechter spinWaechter(&spin);
    if (!anzahl.compare_exchange_strong(bisher, 0, std::memory_order_acq_rel, std::memory_order_relaxed)) continue;
    wartende.FuerAlle(SetzeFort);
    wartende.Leere();
    return 0;
  }
}

void Zarvo_Parallel::WarteZaehler::Leere() {
  SpinWaechter spinWaechter(&spin);
  wartende.Leere();
}
