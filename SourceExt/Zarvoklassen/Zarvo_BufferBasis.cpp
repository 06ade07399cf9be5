#include "Zarvo_BufferBasis.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "Zarvo_Ausnahme.h"
#include "Zarvo_ZeichenKontext.h"

using namespace d3d9;

Zarvo_BufferBasis::Zarvo_BufferBasis(Zarvo_ZeichenKontext& kontext, uint32_t flags, uint64_t groesse)
    : Zarvo_BasisObjekt(flags), groesse(groesse), kontext(kontext) {}

Zarvo_BufferBasis::~Zarvo_BufferBasis() { std::free(kopie); }

bool Zarvo_BufferBasis::Erzeuge() {
  const bool ok = kontext.ErzeugeMitPlatz(*this, false, [&] { return ErzeugeGeraeteBuffer(); });
  if (!ok && kontext.HatGeraet()) MeldeErzeugungsFehler();
  return ok;
}

bool Zarvo_BufferBasis::Schreibe(const void* daten, uint64_t bytes) {
  void* ziel = nullptr;
  if (FAILED(Sperre(&ziel, (flags & FLAG_DYNAMISCH) ? D3DLOCK_DISCARD : 0))) return false;
  std::memcpy(ziel, daten, std::min(bytes, groesse));
  Entsperre();
  return true;
}

void Zarvo_BufferBasis::Fuelle(const Zarvo_BufferVorgabe& vorgabe) {
  zustand = ZUSTAND_FEHLT;
  Benutzen();  // no copy yet: creation only
  const uint64_t bytes = vorgabe.daten ? std::min(vorgabe.groesse, groesse) : 0;
  // Only an existing device buffer is locked; the kept copy fills a later one.
  if (bytes && HatGeraeteBuffer() && !Schreibe(vorgabe.daten, bytes)) ZARVO_PRUEFE("Schreiben der Initialdaten gescheitert");
  bool uebernommen = false;
  if (!(flags & FLAG_FLUECHTIG) && groesse) {
    if (vorgabe.besitz == 1 && vorgabe.daten && vorgabe.groesse == groesse) {
      kopie = static_cast<uint8_t*>(vorgabe.daten);
      uebernommen = true;
    } else {
      kopie = static_cast<uint8_t*>(std::calloc(1, groesse));
      if (bytes) std::memcpy(kopie, vorgabe.daten, bytes);
    }
  }
  if (vorgabe.besitz == 1 && !uebernommen) std::free(vorgabe.daten);
}

void Zarvo_BufferBasis::Benutzen() {
  StempleNutzung();
  if (zustand != ZUSTAND_FEHLT || !Erzeuge() || kopie == nullptr) return;
  if (!Schreibe(kopie, groesse)) ZARVO_PRUEFE("Schreiben des Bufferinhalts gescheitert");
}

void Zarvo_BufferBasis::Ersetze(const Zarvo_BufferVorgabe& vorgabe) {
  Benutzen();
  const uint64_t bytes = vorgabe.daten ? std::min(vorgabe.groesse, groesse) : 0;
  if (bytes && HatGeraeteBuffer()) {
    void* ziel = nullptr;
    if (SUCCEEDED(Sperre(&ziel, D3DLOCK_DISCARD))) {
      std::memcpy(ziel, vorgabe.daten, bytes);
      Entsperre();
    } else {
      ZARVO_PRUEFE("Schreiben des Bufferinhalts gescheitert");
    }
  }
  if (kopie && bytes) std::memcpy(kopie, vorgabe.daten, bytes);
  if (vorgabe.besitz == 1) std::free(vorgabe.daten);
}

void Zarvo_BufferBasis::VorZuruecksetzen() {
  if (zustand == ZUSTAND_BEREIT) GibGeraeteBufferFrei();
  zustand = ZUSTAND_FEHLT;
}
