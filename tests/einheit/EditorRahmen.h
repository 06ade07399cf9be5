#pragma once
// The level editor's harness on SpielRahmen: the frame's job runs the editor's Aktualisiere with a
// line batch published as the main loop publishes it; the lines the frame queued are kept in
// `linien` and the batch emptied, as its draw would. Keys are sent by GLFW key (the key table
// gives the scan codes); scan 179 (keypad comma, no GLFW key) goes in as a raw packet.
//
// Aiming: Ruhig runs frames until the target's glide has settled, so the view stops changing;
// then AufSchirm projects a working-plane point with the last frame's view and ZielePunkt puts
// the mouse there.
#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "Editor.h"
#include "ObjektArgMenu.h"
#include "SpielRahmen.h"
#include "TSpeicher.h"
#include "Zarvo_LinienStapel.h"

class EditorRahmen : public SpielRahmen {
 public:
  // The harness's input and frames, for tables of free functions.
  using SpielRahmen::Bild;
  using SpielRahmen::Bilder;
  using SpielRahmen::Druecke;
  using SpielRahmen::Klicke;
  using SpielRahmen::log;
  using SpielRahmen::Loese;
  using SpielRahmen::Maus;
  using SpielRahmen::MausHoch;
  using SpielRahmen::MausPosition;
  using SpielRahmen::MausRunter;
  using SpielRahmen::Tippe;

 protected:
  void SetUp() override {
    SpielRahmen::SetUp();
    stapel = std::make_unique<Zarvo_LinienStapel>();
    Zarvo_LinienStapel::SetzeGlobal(stapel.get());
  }
  void TearDown() override {
    BeendeEditor();
    Zarvo_LinienStapel::SetzeGlobal(nullptr);
    stapel.reset();
    SpielRahmen::TearDown();
  }

  void Schritt() override {
    SpielRahmen::Schritt();
    if (editor) editor->Aktualisiere();
    linien = stapel->linien;
    stapel->linien.clear();
  }


 public:
  // ---- the editor ----
  void OeffneEditor(Spiel::Generator::Erbauer erbauer = OhneErbauer()) {
    kern->MachSofort([&] { editor = std::make_unique<Spiel::Editor>(audio.get(), kanal, std::move(erbauer)); });
  }
  void BeendeEditor() {
    if (editor) kern->MachSofort([&] { editor.reset(); });
  }
  // Writes the level, opens the editor and lets the glide settle.
  void OeffneMit(const std::string& beschreibung, const std::function<void(Karte&)>& aendere = {}) {
    SchreibeSzene(beschreibung, aendere);
    OeffneEditor();
    Ruhig();
  }
  Spiel::Editor& E() { return *editor; }
  Karte& K() { return editor->GibSzene().karte; }
  size_t Tiefe() const { return editor->GibRueckgaengigTiefe(); }

  // Frames until the target's height moves less than 1e-6 per frame (and two more).
  void Ruhig() {
    float vorher = 1e9f;
    for (int i = 0; i < 64 * 30; ++i) {
      Bild();
      const float y = editor->GibZiel().y;
      if (std::fabs(y - vorher) < 1e-6f) break;
      vorher = y;
    }
    Bilder(2);
  }

  // ---- aiming ----
  V3 AufSchirm(const V3& punkt) {
    float x = -1, y = -1;
    EXPECT_TRUE(Spiel::Kamera::ProjiziereAufBildschirm(punkt, editor->GibAnsicht(), Schirm(), x, y));
    return {x, y, 0};
  }
  // The mouse on a point (doubled units) for the next frame.
  void ZielePunkt(const V3& punkt) {
    const V3 s = AufSchirm(punkt);
    Maus(s.x, s.y);
  }
  // The centre of a cell on the working plane (doubled units).
  V3 ZellMitte(int32_t x, int32_t z) const {
    return {2.0f * float(x) + 1.0f, 2.0f * float(editor->GibSchicht()) + 0.1f, 2.0f * float(z) + 1.0f};
  }

  // ---- keys ----
  // Held over the next `bilder` frames, then released.
  void Halte(int glfwTaste, int bilder) {
    Druecke(glfwTaste);
    Bilder(bilder);
    Loese(glfwTaste);
    Bild();
  }
  static win32::RAWINPUT RohTaste(int make, bool los) {
    win32::RAWINPUT p{};
    p.header = {win32::RIM_TYPEKEYBOARD, sizeof(win32::RAWINPUT), reinterpret_cast<win32::HANDLE>(eingabe::TASTATUR_HANDLE),
                0};
    p.data.keyboard.MakeCode = win32::USHORT(make);
    p.data.keyboard.VKey = 0x6C;
    p.data.keyboard.Flags = win32::USHORT(win32::RI_KEY_E0 | (los ? win32::RI_KEY_BREAK : 0));
    return p;
  }
  // Scan 179: a key outside the virtual-key table is read by its make code.
  void TippeKeypadKomma() {
    Im([] { eingabe::Einreihen(RohTaste(179, false)); });
    Bild();
    Im([] { eingabe::Einreihen(RohTaste(179, true)); });
    Bild();
  }
  void KnopfRunter(int knopf) {
    Im([knopf] { eingabe::Knopf(knopf, GLFW_PRESS); });
  }
  void KnopfHoch(int knopf) {
    Im([knopf] { eingabe::Knopf(knopf, GLFW_RELEASE); });
  }
  void KlickeKnopf(int knopf) {
    KnopfRunter(knopf);
    Bild();
    KnopfHoch(knopf);
    Bild();
  }
  void Rolle(double schritte) {
    Im([schritte] { eingabe::Rollen(0, schritte); });
  }

  // ---- bytes ----
  static std::vector<uint8_t> Bytes(const Karte& karte) {
    TSpeicher s;
    Spiel::SzenenDatei::Schreibe(s, karte);
    return {s.Daten(), s.Daten() + s.Groesse()};
  }
  static std::vector<uint8_t> Bytes(const TSpeicher& s) { return {s.Daten(), s.Daten() + s.Groesse()}; }

  std::unique_ptr<Zarvo_LinienStapel> stapel;
  std::unique_ptr<Spiel::Editor> editor;
  std::vector<Zarvo_Linie> linien;  // what the last frame queued
};
