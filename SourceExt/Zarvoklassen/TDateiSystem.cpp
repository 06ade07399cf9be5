#include "TDateiSystem.h"

#include <cstring>
#include <utility>

#include "Zarvo_Ausnahme.h"

TDateiSystem::Datei::Datei(Datei&& andere) noexcept : strom(std::exchange(andere.strom, nullptr)) {}

TDateiSystem::Datei& TDateiSystem::Datei::operator=(Datei&& andere) noexcept {
  if (this != &andere) {
    SchliesseDatei(*this);
    strom = std::exchange(andere.strom, nullptr);
  }
  return *this;
}

TDateiSystem::Datei::~Datei() { SchliesseDatei(*this); }

TDateiSystem::Datei TDateiSystem::OeffneDatei(const std::filesystem::path& pfad, const char* modus) {
  if (std::strlen(modus) >= MAX_MODUS_LAENGE) {
    ZARVO_PRUEFE("false");
    return Datei();
  }
  return Datei(std::fopen(pfad.string().c_str(), modus));
}

bool TDateiSystem::LiesInhalt(const std::filesystem::path& pfad, std::string& inhalt) {
  Datei datei = OeffneDatei(pfad, "rb");
  if (!datei) return false;
  inhalt.clear();
  char block[16384];
  size_t gelesen;
  while ((gelesen = std::fread(block, 1, sizeof block, datei.Strom())) > 0) {
    inhalt.append(block, gelesen);
  }
  return std::ferror(datei.Strom()) == 0;
}

bool TDateiSystem::SchliesseDatei(Datei& datei) {
  if (datei.strom == nullptr) return true;
  const bool geschlossen = std::fclose(datei.strom) == 0;
  datei.strom = nullptr;
  return geschlossen;
}
