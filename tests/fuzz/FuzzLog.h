#pragma once
// Starts the log without a file and without debug lines, so reports of bad input cost little.
#include <filesystem>

#include "Zarvo_Start.h"

inline void StarteStillesLog() {
  g_tLogfile.boolWert = false;
  g_tDebug.boolWert = false;
  g_Log.Starte(std::filesystem::temp_directory_path(), "fuzz.log");
}
