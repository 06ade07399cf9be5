#pragma once
// The state file of test runs: the game appends one finished line per request, flushed at once,
// so that a controlling test can read it as soon as the frame is over. A request comes from the
// input script ("zustand"); the game asks after its frame whether one is pending, builds the
// line and hands it over, which clears the request.
#include <string>
#include <string_view>

namespace pruefbetrieb {

class Zustandsausgabe {
 public:
  // Opens `pfad` for appending (created when missing). False with the reason in `fehler` when it
  // cannot be opened for writing (also a FIFO without a reader: nothing here waits).
  static bool Oeffne(const std::string& pfad, std::string& fehler);
  static void Schliesse();
  static bool Offen();

  // A line is wanted after this frame. Ignored while no file is open.
  static void Anfordern();
  // Whether a line is wanted after this frame.
  static bool Gewuenscht();
  // Appends `zeile` and a newline in one write and clears the request; line breaks inside the
  // text become blanks, so a line is always one line. False when nothing is open or the write
  // failed.
  static bool Schreibe(std::string_view zeile);
};

}  // namespace pruefbetrieb
