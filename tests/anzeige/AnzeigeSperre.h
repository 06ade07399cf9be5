#pragma once
// Keyboard focus and pointer belong to the whole display: test processes on one display (ctest -j,
// several build trees) that need them, or that open visible or full-screen windows, take turns
// through a lock file named after it.
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

class AnzeigeSperre {
 public:
  AnzeigeSperre() {
    const char* anzeige = std::getenv("DISPLAY");
    std::string name = std::string("/tmp/morvelunt-eingabe-anzeige-") + (anzeige ? anzeige : "") + ".lock";
    datei_ = open(name.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (datei_ >= 0) flock(datei_, LOCK_EX);
  }
  ~AnzeigeSperre() {
    if (datei_ >= 0) close(datei_);
  }

 private:
  int datei_ = -1;
};
