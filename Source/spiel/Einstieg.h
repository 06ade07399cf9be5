#pragma once
// The program entry: brings up the configuration and the log, runs the application and saves the
// configuration again, whatever happened in between.
#include <functional>

namespace Spiel {

// `lauf` constructs the application, runs it and destroys it. Returns 0, or -1 after a caught
// Zarvo_Ausnahme (logged as "Exception thrown: …"). Other exceptions pass through.
int Einstieg(const std::function<void()>& lauf);

// The run of an application class A: construct, Ausfuehren, destroy.
template <class A>
std::function<void()> LaufVon() {
  return [] {
    A anwendung;
    anwendung.Ausfuehren();
  };
}

}  // namespace Spiel
