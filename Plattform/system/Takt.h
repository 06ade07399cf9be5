#pragma once
// A fixed frame clock for tests and measurements. While it runs, the performance counter is a
// count of frames: it starts at the real reading taken when the clock starts and advances by
// exactly 1e9/hz ticks at each frame (the caller calls Bild once per frame, at the device's
// Present), so every frame lasts 1/hz seconds for everything that reads the counter: the frame
// clock, the game clock, key repeat and the frame rate. Between two frames the counter stands
// still; nothing may wait in a loop for time to pass.
//
// After n frames the counter reads start + n * 1e9 / hz (integer division), so it never drifts;
// for a rate that divides 1e9 every step is the same number of ticks.
#include <cstdint>

namespace pruefbetrieb {

class Takt {
 public:
  static constexpr unsigned MIN_HZ = 1;
  static constexpr unsigned MAX_HZ = 1000;

  // Replaces the performance counter (win32::SetzeZaehlerQuelle); hz in MIN_HZ..MAX_HZ.
  static void Starte(unsigned hz);
  // One frame has ended: the counter moves on by one step. Nothing while the clock is off.
  static void Bild();
  // The real counter again; nothing when the clock is off (another counter source stays).
  static void Beende();

  static bool Laeuft();
  // Frames since Starte.
  static int64_t Bilder();

 private:
  static int64_t Lies();
};

}  // namespace pruefbetrieb
