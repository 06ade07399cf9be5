#pragma once
// xdotool driving a window under the virtual display while the test runs its frames: the command
// runs as a child process, waited for without blocking the frames.
#include <gtest/gtest.h>

#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <functional>
#include <string>

extern char** environ;

namespace anzeige {

class XdotoolBefehl {
 public:
  explicit XdotoolBefehl(const std::string& argumente) {
    const std::string zeile = "exec xdotool " + argumente;
    char* argv[] = {const_cast<char*>("sh"), const_cast<char*>("-c"), const_cast<char*>(zeile.c_str()), nullptr};
    gestartet_ = posix_spawnp(&pid_, "sh", nullptr, nullptr, argv, environ) == 0;
  }
  ~XdotoolBefehl() {
    if (gestartet_ && !fertig_) waitpid(pid_, nullptr, 0);
  }
  XdotoolBefehl(const XdotoolBefehl&) = delete;
  XdotoolBefehl& operator=(const XdotoolBefehl&) = delete;

  bool Gestartet() const { return gestartet_; }
  bool Fertig() {
    if (!gestartet_ || fertig_) return true;
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) == pid_) {
      fertig_ = true;
      erfolg_ = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }
    return fertig_;
  }
  bool Erfolg() const { return erfolg_; }

 private:
  pid_t pid_ = 0;
  bool gestartet_ = false, fertig_ = false, erfolg_ = false;
};

constexpr double XDOTOOL_FRIST_SEKUNDEN = 30.0;  // deadlock guard only

// Runs `frame` until xdotool has ended (successfully) and `fertig` holds; false at the deadline.
inline bool LaufeMitXdotool(const std::string& argumente, const std::function<void()>& frame,
                            const std::function<bool()>& fertig) {
  XdotoolBefehl befehl(argumente);
  EXPECT_TRUE(befehl.Gestartet()) << "xdotool " << argumente;
  const auto frist = std::chrono::steady_clock::now() + std::chrono::duration<double>(XDOTOOL_FRIST_SEKUNDEN);
  bool beendet = false;
  while (std::chrono::steady_clock::now() < frist) {
    frame();
    if (!beendet && befehl.Fertig()) {
      beendet = true;
      EXPECT_TRUE(befehl.Erfolg()) << "xdotool " << argumente;
    }
    if (beendet && fertig()) return true;
  }
  return false;
}

}  // namespace anzeige
