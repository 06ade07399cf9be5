#pragma once
// The hierarchical profiler: a tree of named measuring scopes below the root "Gesamt", each with
// an id from a global table (ids count from 0 in registration order). Nothing in the program
// opens scopes yet; the structure is there so that code can be instrumented.
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

class Zarvo_ProfilManager {
 public:
  struct Bereich {
    uint64_t id = 0;
    std::string datei;
    std::string name;
    uint32_t zeile = 0;
    uint64_t statistik[6] = {};
    std::vector<uint64_t> proben;
    std::map<uint64_t, std::unique_ptr<Bereich>> kinder;  // by id
  };

  // Builds the root scope "Gesamt" with the next id.
  Zarvo_ProfilManager();

  // Appends one slot to the id table (created on first use) and returns its index.
  static uint64_t RegistriereId();

  const Bereich& Wurzel() const { return wurzel; }

 private:
  std::vector<Bereich*> offeneBereiche;
  Bereich wurzel;
};
