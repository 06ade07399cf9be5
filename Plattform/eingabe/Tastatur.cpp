#include "Plattform/eingabe/Tastatur.h"

#include <cstring>
#include <cwchar>

#include "Plattform/eingabe/Aufnahme.h"
#include "Plattform/eingabe/Quelle.h"
#include "Plattform/eingabe/Tastentabelle.h"

namespace win32 {
namespace {

// Precomposed letter, base letter, combining mark.
struct Zusammensetzung {
  WCHAR fertig;
  WCHAR basis;
  WCHAR zeichen;
};

constexpr WCHAR GRAVIS = 0x300, AKUT = 0x301, ZIRKUMFLEX = 0x302, TREMA = 0x308, CEDILLE = 0x327;

const Zusammensetzung ZUSAMMENSETZUNGEN[] = {
    {0xC0, 'A', GRAVIS},     {0xC1, 'A', AKUT},       {0xC2, 'A', ZIRKUMFLEX}, {0xC4, 'A', TREMA},
    {0xC7, 'C', CEDILLE},    {0xC8, 'E', GRAVIS},     {0xC9, 'E', AKUT},       {0xCA, 'E', ZIRKUMFLEX},
    {0xCB, 'E', TREMA},      {0xCC, 'I', GRAVIS},     {0xCD, 'I', AKUT},       {0xCE, 'I', ZIRKUMFLEX},
    {0xCF, 'I', TREMA},      {0xD2, 'O', GRAVIS},     {0xD3, 'O', AKUT},       {0xD4, 'O', ZIRKUMFLEX},
    {0xD6, 'O', TREMA},      {0xD9, 'U', GRAVIS},     {0xDA, 'U', AKUT},       {0xDB, 'U', ZIRKUMFLEX},
    {0xDC, 'U', TREMA},      {0xDD, 'Y', AKUT},       {0xE0, 'a', GRAVIS},     {0xE1, 'a', AKUT},
    {0xE2, 'a', ZIRKUMFLEX}, {0xE4, 'a', TREMA},      {0xE7, 'c', CEDILLE},    {0xE8, 'e', GRAVIS},
    {0xE9, 'e', AKUT},       {0xEA, 'e', ZIRKUMFLEX}, {0xEB, 'e', TREMA},      {0xEC, 'i', GRAVIS},
    {0xED, 'i', AKUT},       {0xEE, 'i', ZIRKUMFLEX}, {0xEF, 'i', TREMA},      {0xF2, 'o', GRAVIS},
    {0xF3, 'o', AKUT},       {0xF4, 'o', ZIRKUMFLEX}, {0xF6, 'o', TREMA},      {0xF9, 'u', GRAVIS},
    {0xFA, 'u', AKUT},       {0xFB, 'u', ZIRKUMFLEX}, {0xFC, 'u', TREMA},      {0xFD, 'y', AKUT},
    {0xFF, 'y', TREMA},      {0x106, 'C', AKUT},      {0x107, 'c', AKUT},      {0x108, 'C', ZIRKUMFLEX},
    {0x109, 'c', ZIRKUMFLEX}, {0x11C, 'G', ZIRKUMFLEX}, {0x11D, 'g', ZIRKUMFLEX}, {0x122, 'G', CEDILLE},
    {0x123, 'g', CEDILLE},   {0x124, 'H', ZIRKUMFLEX}, {0x125, 'h', ZIRKUMFLEX}, {0x134, 'J', ZIRKUMFLEX},
    {0x135, 'j', ZIRKUMFLEX}, {0x136, 'K', CEDILLE},  {0x137, 'k', CEDILLE},   {0x139, 'L', AKUT},
    {0x13A, 'l', AKUT},      {0x13B, 'L', CEDILLE},   {0x13C, 'l', CEDILLE},   {0x143, 'N', AKUT},
    {0x144, 'n', AKUT},      {0x145, 'N', CEDILLE},   {0x146, 'n', CEDILLE},   {0x154, 'R', AKUT},
    {0x155, 'r', AKUT},      {0x156, 'R', CEDILLE},   {0x157, 'r', CEDILLE},   {0x15A, 'S', AKUT},
    {0x15B, 's', AKUT},      {0x15C, 'S', ZIRKUMFLEX}, {0x15D, 's', ZIRKUMFLEX}, {0x15E, 'S', CEDILLE},
    {0x15F, 's', CEDILLE},   {0x162, 'T', CEDILLE},   {0x163, 't', CEDILLE},   {0x174, 'W', ZIRKUMFLEX},
    {0x175, 'w', ZIRKUMFLEX}, {0x176, 'Y', ZIRKUMFLEX}, {0x177, 'y', ZIRKUMFLEX}, {0x178, 'Y', TREMA},
    {0x179, 'Z', AKUT},      {0x17A, 'z', AKUT},
};

WCHAR Zusammengesetzt(WCHAR basis, WCHAR zeichen) {
  for (const Zusammensetzung& z : ZUSAMMENSETZUNGEN)
    if (z.basis == basis && z.zeichen == zeichen) return z.fertig;
  return 0;
}

UINT ScanZuVk(UINT scan, bool seitengenau) {
  if (seitengenau && scan == 0x2A) return 160;
  if (seitengenau && scan == 0x36) return 161;
  const eingabe::TastenEintrag* e = eingabe::EintragFuerDik(int(scan));
  return e ? e->vk : 0;
}

UINT VkZuScan(UINT vk) {
  if (vk == 144) return 0x45;
  if (vk == 160) return 0x2A;
  if (vk == 161) return 0x36;
  const eingabe::TastenEintrag* e = eingabe::EintragFuerVk(int(vk));
  return e ? e->dik : 0;
}

}  // namespace

UINT MapVirtualKeyA(UINT code, UINT art) { return MapVirtualKeyExA(code, art, GetKeyboardLayout(0)); }

UINT MapVirtualKeyExA(UINT code, UINT art, HKL) {
  switch (art) {
    case MAPVK_VK_TO_VSC: return VkZuScan(code);
    case MAPVK_VSC_TO_VK: return ScanZuVk(code, false);
    case MAPVK_VSC_TO_VK_EX: return ScanZuVk(code, true);
    default: return 0;
  }
}

HKL GetKeyboardLayout(DWORD) { return reinterpret_cast<HKL>(uintptr_t(0x0409)); }

BOOL GetKeyboardState(BYTE* zustand) {
  if (!zustand) return FALSE;
  std::memset(zustand, 0, 256);
  return TRUE;
}

int ToUnicodeEx(UINT, UINT, const BYTE*, WCHAR* puffer, int groesse, UINT, HKL) {
  const RAWKEYBOARD* paket = eingabe::LetztesTastaturPaket();
  if (!paket || !puffer) return 0;
  const bool gedrueckt = (paket->Flags & 1) == 0;
  return eingabe::AktiveQuelle().ZeichenAntwort(paket->ExtraInformation, gedrueckt, puffer, groesse);
}

int FoldStringW(DWORD flags, const WCHAR* quelle, int laenge, WCHAR* ziel, int zielGroesse) {
  if (!quelle || !ziel) return 0;
  if (laenge < 0) laenge = int(std::wcslen(quelle));
  const bool zusammensetzen = (flags & MAP_PRECOMPOSED) != 0;
  int geschrieben = 0;
  for (int i = 0; i < laenge; ++i) {
    WCHAR zeichen = quelle[i];
    if (zusammensetzen && i + 1 < laenge) {
      const WCHAR fertig = Zusammengesetzt(quelle[i], quelle[i + 1]);
      if (fertig) {
        zeichen = fertig;
        ++i;
      }
    }
    if (geschrieben >= zielGroesse) return 0;
    ziel[geschrieben++] = zeichen;
  }
  return geschrieben;
}

}  // namespace win32
