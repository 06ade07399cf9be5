#include "Plattform/system/Zustandsausgabe.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace pruefbetrieb {
namespace {

int datei = -1;
bool angefordert = false;

bool SchreibeGanz(int ziel, const std::string& text) {
  size_t geschrieben = 0;
  while (geschrieben < text.size()) {
    const ssize_t n = ::write(ziel, text.data() + geschrieben, text.size() - geschrieben);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    geschrieben += size_t(n);
  }
  return true;
}

}  // namespace

bool Zustandsausgabe::Oeffne(const std::string& pfad, std::string& fehler) {
  Schliesse();
  const int neu = ::open(pfad.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NONBLOCK, 0644);
  if (neu < 0) {
    fehler = std::strerror(errno);
    return false;
  }
  // Writes block from now on, so a line is never cut short by a full pipe.
  ::fcntl(neu, F_SETFL, ::fcntl(neu, F_GETFL) & ~O_NONBLOCK);
  datei = neu;
  return true;
}

void Zustandsausgabe::Schliesse() {
  if (datei >= 0) ::close(datei);
  datei = -1;
  angefordert = false;
}

bool Zustandsausgabe::Offen() { return datei >= 0; }

void Zustandsausgabe::Anfordern() {
  if (Offen()) angefordert = true;
}

bool Zustandsausgabe::Gewuenscht() { return angefordert && Offen(); }

bool Zustandsausgabe::Schreibe(std::string_view zeile) {
  angefordert = false;
  if (!Offen()) return false;
  std::string text(zeile);
  std::replace_if(text.begin(), text.end(), [](char c) { return c == '\n' || c == '\r'; }, ' ');
  text += '\n';
  return SchreibeGanz(datei, text);
}

}  // namespace pruefbetrieb
