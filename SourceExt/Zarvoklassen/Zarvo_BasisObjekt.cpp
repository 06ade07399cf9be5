#include "Zarvo_BasisObjekt.h"

#include "Zarvo_Start.h"

namespace {
uint64_t g_NaechsteAllocId = 0;  // never reset
}

Zarvo_BasisObjekt::Zarvo_BasisObjekt(uint32_t flags) : allocId(g_NaechsteAllocId++), letzteNutzung(g_Zeit.zeit), flags(flags) {}

void Zarvo_BasisObjekt::Benutzen() { StempleNutzung(); }

void Zarvo_BasisObjekt::StempleNutzung() { letzteNutzung = g_Zeit.zeit; }
