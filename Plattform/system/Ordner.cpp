#include "Plattform/system/Ordner.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

namespace win32 {
namespace {

std::optional<std::string> NichtLeer(std::optional<std::string> text) {
  if (text && text->empty()) return std::nullopt;
  return text;
}

// Reads the passwd entry of the effective user and hands one of its fields to `feld`.
template <typename Feld>
std::optional<std::string> PasswdFeld(Feld feld) {
  long groesse = sysconf(_SC_GETPW_R_SIZE_MAX);
  std::vector<char> puffer(groesse > 0 ? size_t(groesse) : 16384);
  passwd eintrag{};
  passwd* ergebnis = nullptr;
  while (getpwuid_r(geteuid(), &eintrag, puffer.data(), puffer.size(), &ergebnis) == ERANGE)
    puffer.resize(puffer.size() * 2);
  if (!ergebnis) return std::nullopt;
  const char* wert = feld(*ergebnis);
  if (!wert || !*wert) return std::nullopt;
  return std::string(wert);
}

// Creates the missing components of `ordner` with mode 0700; true when it is a directory then.
bool LegeOrdnerAn(const std::filesystem::path& ordner) {
  std::error_code fehler;
  if (std::filesystem::is_directory(ordner, fehler)) return true;
  if (std::filesystem::exists(ordner, fehler)) return false;
  std::filesystem::path eltern = ordner.parent_path();
  if (!eltern.empty() && eltern != ordner && !LegeOrdnerAn(eltern)) return false;
  if (mkdir(ordner.c_str(), 0700) == 0 || errno == EEXIST) return std::filesystem::is_directory(ordner, fehler);
  return false;
}

}  // namespace

std::optional<std::filesystem::path> GetModuleFileName() {
  std::vector<char> puffer(256);
  for (;;) {
    ssize_t laenge = readlink("/proc/self/exe", puffer.data(), puffer.size());
    if (laenge < 0) return std::nullopt;
    if (size_t(laenge) < puffer.size()) return std::filesystem::path(std::string(puffer.data(), size_t(laenge)));
    puffer.resize(puffer.size() * 2);
  }
}

Umgebung ProzessUmgebung() {
  Umgebung umgebung;
  umgebung.variable = [](const char* name) -> std::optional<std::string> {
    const char* wert = std::getenv(name);
    if (!wert) return std::nullopt;
    return std::string(wert);
  };
  umgebung.passwdHeim = [] { return PasswdFeld([](const passwd& p) { return p.pw_dir; }); };
  umgebung.passwdName = [] { return PasswdFeld([](const passwd& p) { return p.pw_name; }); };
  return umgebung;
}

std::optional<std::filesystem::path> AnwendungsDatenOrdner(const Umgebung& umgebung, bool anlegen) {
  std::optional<std::filesystem::path> ordner;
  std::optional<std::string> xdg = NichtLeer(umgebung.variable("XDG_DATA_HOME"));
  if (xdg && std::filesystem::path(*xdg).is_absolute()) {
    ordner = std::filesystem::path(*xdg);
  } else if (auto heim = NichtLeer(umgebung.variable("HOME"))) {
    ordner = std::filesystem::path(*heim) / ".local" / "share";
  } else if (auto passwdHeim = NichtLeer(umgebung.passwdHeim())) {
    ordner = std::filesystem::path(*passwdHeim) / ".local" / "share";
  }
  if (!ordner) return std::nullopt;
  std::error_code fehler;
  bool nutzbar = anlegen ? LegeOrdnerAn(*ordner) : std::filesystem::is_directory(*ordner, fehler);
  if (!nutzbar) return std::nullopt;
  return ordner;
}

std::optional<std::string> BenutzerName(const Umgebung& umgebung) {
  if (auto name = NichtLeer(umgebung.passwdName())) return name;
  if (auto name = NichtLeer(umgebung.variable("USER"))) return name;
  return NichtLeer(umgebung.variable("LOGNAME"));
}

std::optional<std::filesystem::path> SHGetFolderPath(int csidl) {
  if ((csidl & 0xff) != CSIDL_APPDATA) return std::nullopt;
  return AnwendungsDatenOrdner(ProzessUmgebung(), (csidl & CSIDL_FLAG_CREATE) != 0);
}

std::optional<std::string> GetUserName() { return BenutzerName(ProzessUmgebung()); }

}  // namespace win32
