#pragma once
// A receiver of log lines on the main thread, such as the console overlay. Constructing one makes
// it the log's display, replacing any earlier one; destroying it clears the log's display.
#include <string>
#include <string_view>

class Zarvo_Log;

class Zarvo_KonsoleBasisAnzeige {
 public:
  explicit Zarvo_KonsoleBasisAnzeige(Zarvo_Log* log);
  virtual ~Zarvo_KonsoleBasisAnzeige();
  Zarvo_KonsoleBasisAnzeige(const Zarvo_KonsoleBasisAnzeige&) = delete;
  Zarvo_KonsoleBasisAnzeige& operator=(const Zarvo_KonsoleBasisAnzeige&) = delete;

  // One finished line, its newline included.
  virtual void NeueZeile(std::string_view zeile) = 0;
  // A state flag the game queries (the overlay answers whether its input line is active).
  virtual bool GibZustand() = 0;

  // Writes ">line" to the log, then runs the line as a console command.
  void FuehreZeileAus(const std::string& zeile);

 protected:
  Zarvo_Log* log;
};
