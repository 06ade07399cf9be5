#pragma once
// Fixture: the screen on the recording device for each test, with the log recorded.
#include <gtest/gtest.h>

#include "LogMitschnitt.h"
#include "NullBildschirm.h"

class NullBildschirmTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(bildschirm.Offen()); }
  int Belegt() const { return bildschirm.Belegt(); }

  LogMitschnitt log;
  NullBildschirm bildschirm;
  Zarvo_ZeichenKontext* kontext = bildschirm.Kontext();
};
