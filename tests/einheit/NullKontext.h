#pragma once
// A drawing context on the recording device: the log recorded with debug lines on, the frame
// clock at a chosen time (10^9 ticks per second), the waits recorded instead of slept, and small
// resource classes with device memory (a texture-like and a depth-like one).
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "LogMitschnitt.h"
#include "Plattform/d3d9/null/NullGeraet.h"
#include "Zarvo_BasisObjekt.h"
#include "Zarvo_Start.h"
#include "Zarvo_ZeichenKontext.h"

// Default-pool texture of 64 x 64 A8R8G8B8 (16384 bytes), created on use; logs the shortage.
class TestTextur : public Zarvo_BasisObjekt {
 public:
  explicit TestTextur(Zarvo_ZeichenKontext& kontext, std::vector<std::string>* ereignisse = nullptr)
      : kontext(kontext), ereignisse(ereignisse) {
    zustand = ZUSTAND_FEHLT;
  }
  ~TestTextur() override { GibTexturFrei(); }
  void Benutzen() override {
    StempleNutzung();
    if (zustand != ZUSTAND_FEHLT) return;
    const bool ok = kontext.ErzeugeMitPlatz(*this, true, [&] {
      return kontext.impl.geraet->CreateTexture(64, 64, 1, 0, d3d9::D3DFMT_A8R8G8B8, d3d9::D3DPOOL_DEFAULT, &textur, nullptr);
    });
    if (!ok) g_Log.Schreibe("!TestTextur::Benutzen(): Failed to create texture");
  }
  bool BelegtVideoRAM() const override { return true; }
  void VorZuruecksetzen() override {
    if (ereignisse) ereignisse->push_back("Vor");
    if (zustand == ZUSTAND_BEREIT) GibTexturFrei();
    zustand = ZUSTAND_FEHLT;
  }
  void NachZuruecksetzen() override {
    if (ereignisse) ereignisse->push_back("Nach");
  }
  void Auslagern() override { VorZuruecksetzen(); }

  d3d9::IDirect3DTexture9* textur = nullptr;

 private:
  void GibTexturFrei() {
    if (textur) textur->Release();
    textur = nullptr;
  }
  Zarvo_ZeichenKontext& kontext;
  std::vector<std::string>* ereignisse;
};

// Depth-like: created at once and again right after a reset.
class TestTiefe : public TestTextur {
 public:
  using TestTextur::TestTextur;
  void NachZuruecksetzen() override {
    TestTextur::NachZuruecksetzen();
    Benutzen();
  }
};

class NullKontextTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_tDebug.SetzeBool(true);
    g_Zeit.zeit = 100'000'000'000;  // 100 s
    g_System.zustand = 0;
    alteWarte = Zarvo_ZeichenKontextImplDX9::warte;
    Zarvo_ZeichenKontextImplDX9::warte = [this](uint32_t ms) { wartezeiten.push_back(ms); };
    bildschirm.breite = 800;
    bildschirm.hoehe = 600;
  }
  void TearDown() override {
    kontext.reset();
    d3d9::WaehleGl33Backend();
    Zarvo_ZeichenKontextImplDX9::warte = alteWarte;
    g_tDebug.SetzeBool(false);
  }
  void Erzeuge(const d3d9::NullKonfig& konfig = {}) {
    d3d9::WaehleNullBackend(konfig);
    kontext = std::make_unique<Zarvo_ZeichenKontext>(bildschirm);
    welt = d3d9::null::AktuelleWelt();
    geraet = welt->geraet;
  }
  // Lines written since the last call.
  std::vector<std::string> NeueZeilen() {
    std::vector<std::string> neu(log.zeilen.begin() + long(gelesen), log.zeilen.end());
    gelesen = log.zeilen.size();
    return neu;
  }
  static uint64_t Sekunden(double s) { return uint64_t(s * 1e9); }

  LogMitschnitt log;
  size_t gelesen = 0;
  Zarvo_BildschirmZustand bildschirm;
  std::unique_ptr<Zarvo_ZeichenKontext> kontext;
  d3d9::null::Welt* welt = nullptr;
  d3d9::null::Geraet* geraet = nullptr;
  std::vector<uint32_t> wartezeiten;
  std::function<void(uint32_t)> alteWarte;
};
