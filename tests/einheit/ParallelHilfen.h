#pragma once
// Shared pieces of the parallel core's tests: a log recorder.
#include <gtest/gtest.h>

#include <filesystem>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "Zarvo_KonsoleBasisAnzeige.h"
#include "Zarvo_Start.h"

// Starts the log on the calling thread (the test's main thread) and keeps every line it shows.
class LogMitschnitt : public Zarvo_KonsoleBasisAnzeige {
 public:
  LogMitschnitt() : Zarvo_KonsoleBasisAnzeige(&g_Log) {
    const std::filesystem::path ordner = std::filesystem::temp_directory_path() / "morvelunt-parallel-test";
    std::filesystem::create_directories(ordner);
    g_Log.Starte(ordner, "test.log");
  }
  void NeueZeile(std::string_view zeile) override {
    std::lock_guard<std::mutex> sperre(mutex);
    zeilen.emplace_back(zeile);
  }
  bool GibZustand() override { return false; }

  // Writes the queued lines of other threads, then counts the lines holding `text`.
  size_t Zaehle(const std::string& text) {
    g_Log.LeereWarteschlange();
    std::lock_guard<std::mutex> sperre(mutex);
    size_t anzahl = 0;
    for (const std::string& zeile : zeilen) anzahl += zeile.find(text) != std::string::npos;
    return anzahl;
  }

 private:
  std::mutex mutex;
  std::vector<std::string> zeilen;
};
