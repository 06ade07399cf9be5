#include <gtest/gtest.h>

#include "Zarvo_ProfilManager.h"
#include "Zarvo_Start.h"

TEST(ProfilManager, WurzelGesamtMitIdNullUndFortlaufendeIds) {
  const Zarvo_ProfilManager::Bereich& wurzel = g_Profil.Wurzel();
  EXPECT_EQ(wurzel.id, 0u);
  EXPECT_EQ(wurzel.name, "Gesamt");
  EXPECT_EQ(wurzel.datei, "SourceExt\\Zarvoklassen\\Zarvo_ProfilManager");
  EXPECT_EQ(wurzel.zeile, 12u);
  for (uint64_t wert : wurzel.statistik) EXPECT_EQ(wert, 0u);
  EXPECT_TRUE(wurzel.proben.empty());
  EXPECT_TRUE(wurzel.kinder.empty());

  const uint64_t erste = Zarvo_ProfilManager::RegistriereId();
  EXPECT_GT(erste, 0u);
  EXPECT_EQ(Zarvo_ProfilManager::RegistriereId(), erste + 1);
  Zarvo_ProfilManager zweiter;
  EXPECT_EQ(zweiter.Wurzel().id, erste + 2);
  EXPECT_EQ(zweiter.Wurzel().name, "Gesamt");
}
