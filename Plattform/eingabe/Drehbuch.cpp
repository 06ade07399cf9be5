#include "Plattform/eingabe/Drehbuch.h"

#include <GLFW/glfw3.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>

#include "Plattform/eingabe/Aufnahme.h"
#include "Plattform/eingabe/FensterSchliessen.h"

namespace eingabe {
namespace {

using Uhr = std::chrono::steady_clock;

int Aktion(bool ab) { return ab ? GLFW_PRESS : GLFW_RELEASE; }

}  // namespace

std::unique_ptr<Drehbuch> Drehbuch::Oeffne(const std::string& pfad, Anschluesse anschluesse, std::string& fehler) {
  const int datei = ::open(pfad.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (datei < 0) {
    fehler = std::strerror(errno);
    return nullptr;
  }
  struct stat info {};
  if (::fstat(datei, &info) != 0 || S_ISDIR(info.st_mode)) {
    fehler = "ein Ordner, keine Datei";
    ::close(datei);
    return nullptr;
  }
  return std::unique_ptr<Drehbuch>(new Drehbuch(datei, std::move(anschluesse)));
}

Drehbuch::Drehbuch(int datei, Anschluesse anschluesse) : datei(datei), anschluesse(std::move(anschluesse)) {
  if (!this->anschluesse.schliessen) {
    this->anschluesse.schliessen = [this](void* fenster) {
      if (fenster && !SchliesseGlfwFenster(fenster)) Melde("!Drehbuch: das Fenster nimmt kein WM_DELETE_WINDOW an");
    };
  }
}

Drehbuch::~Drehbuch() {
  if (&AktiveQuelle() == this) SetzeQuelle(nullptr);
  ::close(datei);
}

void Drehbuch::Bildbeginn() {
  if (geschlossen) return;
  if (restBilder > 0) {
    --restBilder;
    return;
  }
  const Uhr::time_point frist = Uhr::now() + anschluesse.warteGrenze;
  std::string zeile;
  for (;;) {
    const Lesen gelesen = NaechsteZeile(zeile, frist);
    if (gelesen == Lesen::Ende) Melde("Drehbuch: Ende der Eingabe nach " + std::to_string(zeilenNummer) + " Zeilen");
    if (gelesen != Lesen::Zeile) {
      Schliesse();
      return;
    }
    DrehbuchBefehl befehl;
    std::string fehler;
    if (!LiesDrehbuchZeile(zeile, zeilenNummer, befehl, fehler)) {
      Melde(fehler);
      Schliesse();
      return;
    }
    if (Fuehre(befehl)) return;
  }
}

Drehbuch::Lesen Drehbuch::NaechsteZeile(std::string& zeile, Uhr::time_point frist) {
  for (;;) {
    switch (zeilen.Naechste(zeile, zeilenNummer)) {
      case DrehbuchZeilen::Ergebnis::Zeile:
        return Lesen::Zeile;
      case DrehbuchZeilen::Ergebnis::ZuLang:
        Melde(DrehbuchFehler(zeilenNummer, "Zeile laenger als " + std::to_string(DrehbuchZeilen::MAX_LAENGE) + " Zeichen",
                             zeile));
        return Lesen::Abbruch;
      case DrehbuchZeilen::Ergebnis::Keine:
        break;
    }
    if (eingabeZuEnde) return zeilen.Rest(zeile, zeilenNummer) ? Lesen::Zeile : Lesen::Ende;
    const Lesen gelesen = LiesMehr(frist);
    if (gelesen == Lesen::Abbruch) return gelesen;
  }
}

Drehbuch::Lesen Drehbuch::LiesMehr(Uhr::time_point frist) {
  for (;;) {
    const Uhr::time_point jetzt = Uhr::now();
    if (jetzt >= frist) {
      Melde("!Drehbuch: keine Zeile nach Zeile " + std::to_string(zeilenNummer) + " innerhalb von " +
            std::to_string(anschluesse.warteGrenze.count()) + " ms");
      return Lesen::Abbruch;
    }
    const auto rest = std::chrono::ceil<std::chrono::milliseconds>(frist - jetzt).count();
    pollfd warten{datei, POLLIN, 0};
    const int bereit = ::poll(&warten, 1, int(std::min<long long>(rest, INT_MAX)));
    if (bereit < 0 && errno != EINTR) {
      Melde(std::string("!Drehbuch: ") + std::strerror(errno));
      return Lesen::Abbruch;
    }
    if (bereit <= 0) continue;
    char block[LESE_BLOCK];
    const ssize_t n = ::read(datei, block, sizeof block);
    if (n > 0) {
      zeilen.Fuettere(std::string_view(block, size_t(n)));
      return Lesen::Zeile;
    }
    if (n == 0) {
      eingabeZuEnde = true;
      return Lesen::Ende;
    }
    if (errno != EAGAIN && errno != EINTR) {
      Melde(std::string("!Drehbuch: Lesefehler nach Zeile ") + std::to_string(zeilenNummer) + ": " + std::strerror(errno));
      return Lesen::Abbruch;
    }
  }
}

bool Drehbuch::Fuehre(const DrehbuchBefehl& befehl) {
  using Art = DrehbuchBefehl::Art;
  switch (befehl.art) {
    case Art::Nichts:
      return false;
    case Art::Taste:
      Taste(befehl.wert, 0, Aktion(befehl.ab));
      return false;
    case Art::Text:
      Zeichen(uint32_t(befehl.wert));
      return false;
    case Art::Maus:
      cursorX = befehl.x;
      cursorY = befehl.y;
      Cursor(cursorX, cursorY);
      return false;
    case Art::Knopf:
      Knopf(befehl.wert, Aktion(befehl.ab));
      return false;
    case Art::Rad:
      Rollen(0, befehl.wert);
      return false;
    case Art::Zustand:
      if (anschluesse.zustand) anschluesse.zustand();
      return false;
    case Art::Schliessen:
      Schliesse();
      return true;
    case Art::Bild:
      restBilder = befehl.wert - 1;
      return true;
  }
  return false;
}

void Drehbuch::Schliesse() {
  if (geschlossen) return;
  geschlossen = true;
  anschluesse.schliessen(gehaktesFenster);
}

void Drehbuch::Melde(const std::string& zeile) {
  if (anschluesse.meldung) anschluesse.meldung(zeile);
}

void Drehbuch::HaengeRueckrufeAn(void* fenster) { gehaktesFenster = fenster; }

void Drehbuch::LoeseRueckrufe(void* fenster) {
  if (gehaktesFenster == fenster) gehaktesFenster = nullptr;
}

void Drehbuch::LiesCursor(void*, double& x, double& y) {
  x = cursorX;
  y = cursorY;
}

void Drehbuch::SetzeCursor(void*, double x, double y) {
  cursorX = x;
  cursorY = y;
}

}  // namespace eingabe
