#pragma once
// Program path, application-data folder and user name. Paths are std::filesystem::path of UTF-8
// bytes; convert with string(), never u8string().
//
// The folder and name rules are pure functions over an injected environment, so tests can run
// every branch; the platform calls feed them the real environment and passwd entry.
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

namespace win32 {

inline constexpr int CSIDL_APPDATA = 0x001a;
inline constexpr int CSIDL_FLAG_CREATE = 0x8000;

// Full path of the running program (/proc/self/exe); empty when it cannot be read.
std::optional<std::filesystem::path> GetModuleFileName();
// CSIDL_APPDATA: $XDG_DATA_HOME, else ~/.local/share; with CSIDL_FLAG_CREATE it is created (0700).
std::optional<std::filesystem::path> SHGetFolderPath(int csidl);
// Name of the effective user; empty when none can be had.
std::optional<std::string> GetUserName();

struct Umgebung {
  std::function<std::optional<std::string>(const char* name)> variable;  // environment variable
  std::function<std::optional<std::string>()> passwdHeim;                // home of the effective user
  std::function<std::optional<std::string>()> passwdName;                // name of the effective user
};

// The real process environment and passwd lookups.
Umgebung ProzessUmgebung();

// $XDG_DATA_HOME if set, non-empty and absolute; else $HOME/.local/share; else the passwd home
// + "/.local/share". Created with mode 0700 when missing and anlegen is set. Empty when no
// candidate exists or the candidate is not (and cannot become) a directory.
std::optional<std::filesystem::path> AnwendungsDatenOrdner(const Umgebung& umgebung, bool anlegen);
// The passwd name, else $USER, else $LOGNAME (each only when non-empty).
std::optional<std::string> BenutzerName(const Umgebung& umgebung);

}  // namespace win32
