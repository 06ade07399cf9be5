#pragma once
// The mosaic pictures: "mosaik00.png" to "mosaik07.png" in the folder "Daten" of the application
// directory, each loaded once, on first use, from inside the face job that needs it, and kept
// for the rest of the run. The faces paint them (Generator::BaueMosaik, in Mosaik.cpp).
//
// Slots. Each of the eight slots, and a ninth holding the placeholder that every index of 8 or
// more gets, is empty, loading or ready:
//  - a small mutex per slot guards empty → loading; the first requester creates the loader under
//    it (a type-2 job on the current job's core; outside any job the load runs on the calling
//    thread) and every later requester waits on the stored loader's handle, with the mutex
//    released (a fiber wait, the worker goes on);
//  - a ready slot is read without a lock: the loader stores the picture's pointer with release,
//    readers load it with acquire.
// A file that cannot be read (the reader logs why) becomes the 128 x 64 placeholder of colour
// 0xFF880088; the ninth slot makes it without reading a file. A loader creation that throws
// leaves the slot empty, so the next request tries again.
#include <cstdint>
#include <filesystem>

#include "Zarvo_Bild.h"

namespace Spiel {

class MosaikSammlung {
 public:
  static constexpr uint32_t ANZAHL = 8;
  static constexpr uint32_t PLATZHALTER_FARBE = 0xFF880088u;
  static constexpr uint32_t PLATZHALTER_BREITE = 128, PLATZHALTER_HOEHE = 64;

  // The picture of a slot (the placeholder for an index of 8 or more), loaded on first use.
  // Called from worker jobs; may wait for the slot's loader.
  static const Zarvo_Bild& HoleBild(unsigned int index);
  // g_System.anwendungsVerzeichnis / "Daten" / "mosaik{:02}.png".
  static std::filesystem::path Dateipfad(unsigned int index);

  // For tests: every slot empty again (no job may be running), and the number of files read.
  static void Zuruecksetzen();
  static uint64_t Ladevorgaenge();
};

}  // namespace Spiel
