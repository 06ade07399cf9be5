#pragma once
// The game's four sounds, synthesised from fixed seeds.
#include <vector>

struct Klang {
  std::vector<float> proben;  // interleaved
  int kanaele;
};

// Gate opens: a latch clank, then a rattling slide over a low rumble, fading out (1.6 s).
Klang GitterAuf();
// Gate closes: the slide, ending in a heavier, lower clank (1.4 s).
Klang GitterZu();
// Switch: a press click with a low thud, then a softer release click (0.3 s).
Klang Schalter();
// Music: 16 bars of Am-F-C-G at 80 bpm (48 s), stereo, seamless as a loop.
Klang Musik();
