#include <gtest/gtest.h>

#include <cstdio>

#include "EigenerOrdner.h"
#include "LogMitschnitt.h"
#include "TDateiSystem.h"

namespace {

// A stream that counts how often it is closed.
int schliessungen = 0;

FILE* ZaehlenderStrom() {
  cookie_io_functions_t funktionen{};
  funktionen.close = [](void*) {
    ++schliessungen;
    return 0;
  };
  return fopencookie(nullptr, "w", funktionen);
}

TDateiSystem::Datei GibZurueck() { return TDateiSystem::Datei(ZaehlenderStrom()); }

class DateiSystem : public ::testing::Test {
 protected:
  void SetUp() override { schliessungen = 0; }
  EigenerOrdner ordner;
};

TEST_F(DateiSystem, PfadMitZeichenAusserhalbVonAsciiOeffnetSich) {
  const std::filesystem::path pfad = ordner / "Prüfung 漢字 – Größe.bin";
  {
    TDateiSystem::Datei datei = TDateiSystem::OeffneDatei(pfad, "wb");
    ASSERT_TRUE(datei);
    ASSERT_EQ(std::fwrite("\x00\xFF" "abc", 1, 5, datei.Strom()), 5u);
  }
  TDateiSystem::Datei lesen = TDateiSystem::OeffneDatei(pfad, "rb");
  ASSERT_TRUE(lesen);
  char puffer[8] = {};
  EXPECT_EQ(std::fread(puffer, 1, sizeof puffer, lesen.Strom()), 5u);
  EXPECT_EQ(std::string(puffer, 5), std::string("\x00\xFF" "abc", 5));
  std::string inhalt;
  EXPECT_TRUE(TDateiSystem::LiesInhalt(pfad, inhalt));
  EXPECT_EQ(inhalt, std::string("\x00\xFF" "abc", 5));
}

TEST_F(DateiSystem, FehlendeDateiGibtLeerenGriff) {
  TDateiSystem::Datei datei = TDateiSystem::OeffneDatei(ordner / "fehlt.txt", "rb");
  EXPECT_FALSE(datei);
  EXPECT_EQ(datei.Strom(), nullptr);
  std::string inhalt = "bleibt";
  EXPECT_FALSE(TDateiSystem::LiesInhalt(ordner / "fehlt.txt", inhalt));
  EXPECT_FALSE(TDateiSystem::LiesInhalt(ordner.Pfad(), inhalt));  // a folder cannot be read
}

TEST_F(DateiSystem, NieGeoeffneteDateiSchliesstNichts) {
  {
    TDateiSystem::Datei leer;
    TDateiSystem::SchliesseDatei(leer);
    EXPECT_FALSE(leer);
    TDateiSystem::Datei offen(ZaehlenderStrom());
    leer = TDateiSystem::Datei();
  }
  EXPECT_EQ(schliessungen, 1);  // only the open one
}

TEST_F(DateiSystem, VerschobeneDateiWirdGenauEinmalGeschlossen) {
  {
    TDateiSystem::Datei erste = GibZurueck();
    TDateiSystem::Datei zweite(std::move(erste));
    EXPECT_FALSE(erste);
    TDateiSystem::Datei dritte;
    dritte = std::move(zweite);
    EXPECT_FALSE(zweite);
    EXPECT_TRUE(dritte);
    dritte = std::move(dritte);
    EXPECT_TRUE(dritte);
    EXPECT_EQ(schliessungen, 0);
  }
  EXPECT_EQ(schliessungen, 1);
}

TEST_F(DateiSystem, ZuweisungSchliesstDenAltenStromSofort) {
  TDateiSystem::Datei ziel(ZaehlenderStrom());
  ziel = GibZurueck();
  EXPECT_EQ(schliessungen, 1);
  TDateiSystem::SchliesseDatei(ziel);
  TDateiSystem::SchliesseDatei(ziel);
  EXPECT_EQ(schliessungen, 2);
  EXPECT_FALSE(ziel);
}

// A close that cannot flush what was buffered reports it; a file never opened closes fine.
TEST_F(DateiSystem, SchliessenMeldetEinenGescheitertenSchluss) {
  cookie_io_functions_t funktionen{};
  funktionen.write = [](void*, const char*, size_t) -> ssize_t { return -1; };
  funktionen.close = [](void*) { return 0; };
  TDateiSystem::Datei datei(fopencookie(nullptr, "w", funktionen));
  ASSERT_TRUE(datei);
  std::fputs("gepuffert", datei.Strom());
  EXPECT_FALSE(TDateiSystem::SchliesseDatei(datei));
  EXPECT_FALSE(datei);
  EXPECT_TRUE(TDateiSystem::SchliesseDatei(datei));
}

TEST_F(DateiSystem, ZuLangerModusGibtLeerenGriffUndPruefZeile) {
  LogMitschnitt log;
  const std::filesystem::path pfad = ordner / "modus.txt";
  SchreibeDatei(pfad, "x");
  const std::string neunzehn = "rb" + std::string(17, 'b');
  EXPECT_TRUE(TDateiSystem::OeffneDatei(pfad, neunzehn.c_str()));
  EXPECT_TRUE(log.zeilen.empty());
  const std::string zwanzig = neunzehn + "b";
  EXPECT_FALSE(TDateiSystem::OeffneDatei(pfad, zwanzig.c_str()));
  ASSERT_EQ(log.zeilen.size(), 1u);
  EXPECT_TRUE(log.zeilen[0].starts_with(
      "!Ausnahme \"false\" aufgetreten in Funktion TDateiSystem::OeffneDatei (SourceExt\\Zarvoklassen\\TDateiSystem:"))
      << log.zeilen[0];
  EXPECT_TRUE(log.zeilen[0].ends_with(").")) << log.zeilen[0];
}

}  // namespace
