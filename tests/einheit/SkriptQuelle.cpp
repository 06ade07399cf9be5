#include "SkriptQuelle.h"

#include <cstdio>

#include "Plattform/eingabe/Aufnahme.h"

namespace {
SkriptQuelle* aktuelle = nullptr;
}

SkriptQuelle::SkriptQuelle() {
  aktuelle = this;
  eingabe::LeereWarteschlange();
  eingabe::SetzeQuelle(this);
}

SkriptQuelle::~SkriptQuelle() {
  eingabe::SetzeQuelle(nullptr);
  eingabe::LeereWarteschlange();
  aktuelle = nullptr;
}

void SkriptQuelle::Pumpe() {
  if (!aktuelle) return;
  std::vector<std::function<void()>> ereignisse;
  ereignisse.swap(aktuelle->naechsterPump);
  for (auto& e : ereignisse) e();
}

std::string SkriptQuelle::JoystickGuid(int jid) {
  const SkriptPad* p = Pad(jid);
  if (!p) return {};
  char guid[64];
  std::snprintf(guid, sizeof guid, "03000000%02x%02x0000%02x%02x000010010000", p->hersteller & 0xFF,
                p->hersteller >> 8, p->produkt & 0xFF, p->produkt >> 8);
  return guid;
}
