#include "Plattform/system/Takt.h"

#include <atomic>

#include "Plattform/system/Zaehler.h"

namespace pruefbetrieb {
namespace {

std::atomic<int64_t> start{0};
std::atomic<unsigned> frequenz{0};  // 0: the clock is off
std::atomic<int64_t> bilder{0};

}  // namespace

void Takt::Starte(unsigned hz) {
  if (hz < MIN_HZ || hz > MAX_HZ) return;
  win32::SetzeZaehlerQuelle(nullptr);
  int64_t jetzt = 0;
  win32::QueryPerformanceCounter(&jetzt);
  start.store(jetzt);
  bilder.store(0);
  frequenz.store(hz);
  win32::SetzeZaehlerQuelle(&Takt::Lies);
}

void Takt::Bild() {
  if (frequenz.load() != 0) bilder.fetch_add(1);
}

void Takt::Beende() {
  if (frequenz.exchange(0) != 0) win32::SetzeZaehlerQuelle(nullptr);
}

bool Takt::Laeuft() { return frequenz.load() != 0; }

int64_t Takt::Bilder() { return bilder.load(); }

int64_t Takt::Lies() {
  const unsigned hz = frequenz.load();
  if (hz == 0) return start.load();
  return start.load() + bilder.load() * win32::ZAEHLER_FREQUENZ / int64_t(hz);
}

}  // namespace pruefbetrieb
