#include "Zarvo_ProfilManager.h"

namespace {
// Constant-initialised, so registration works whatever global registers first.
std::vector<uint64_t>* idTabelle = nullptr;

struct IdTabelleFreigabe {
  ~IdTabelleFreigabe() {
    delete idTabelle;
    idTabelle = nullptr;
  }
} idTabelleFreigabe;
}  // namespace

uint64_t Zarvo_ProfilManager::RegistriereId() {
  if (!idTabelle) idTabelle = new std::vector<uint64_t>();
  idTabelle->push_back(0);
  return idTabelle->size() - 1;
}

Zarvo_ProfilManager::Zarvo_ProfilManager() {
  offeneBereiche.clear();
  wurzel.datei = "SourceExt\\Zarvoklassen\\Zarvo_ProfilManager";
  wurzel.name = "Gesamt";
  wurzel.zeile = 12;
  wurzel.id = RegistriereId();
}
