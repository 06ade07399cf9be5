#pragma once
// A small minidump reader for the checks: the header, the directory and the streams the crash
// handler writes. Every read is bounds-checked; a fault becomes `fehler`.
#include "Plattform/system/minidump.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

struct GelesenesModul {
  uint64_t basis;
  uint32_t groesse;
  std::string name;
  std::vector<unsigned char> buildId;  // empty without a "BpEL" record
};

struct GelesenerDump {
  std::string fehler;  // empty when the file could be read
  uint64_t dateiGroesse = 0;
  uint64_t hoechstesEnde = 0;  // the end of the last byte any stream or the directory uses
  win32::MINIDUMP_HEADER kopf{};
  std::map<uint32_t, win32::MINIDUMP_LOCATION_DESCRIPTOR> stroeme;
  std::vector<win32::MINIDUMP_THREAD> faeden;
  std::vector<win32::MINIDUMP_MEMORY_DESCRIPTOR> speicher;
  win32::MINIDUMP_EXCEPTION_STREAM ausnahme{};
  win32::CONTEXT_AMD64 fadenKontext{};
  std::vector<GelesenesModul> module;
  std::string maps;
};

GelesenerDump LiesMinidump(const std::filesystem::path& pfad);
