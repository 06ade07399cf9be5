#pragma once
// A widget renderer that records every call: the slot, the widget and the clip rectangle in
// force (the last SetzeClipping not yet undone). Spur() gives a compact trace, one entry per
// call, "slot name" with the widget's label, text or kind ("13 Weiter", "12 Seite", "1").
#include <string>
#include <vector>

#include "Abstand.h"
#include "Button.h"
#include "EingabeZeile.h"
#include "Hinweis.h"
#include "Oberflaeche.h"
#include "Renderer.h"
#include "Seite.h"
#include "Text.h"
#include "ZahlEingabe.h"

class GuiAufzeichner : public Gui::Renderer {
 public:
  struct Aufruf {
    int slot;
    Gui::Basis* komponente;  // null for slots 1 and 4
    bool geclippt;
    BVektor3<float> clipPosition;
    BVektor3<float> clipGroesse;
  };

  void BeginneZeichnen() override { Nimm(1, nullptr); }
  void SetzeClipping(Gui::Basis& k, const BVektor3<float>& position, const BVektor3<float>& groesse) override {
    geclippt = true;
    clipPosition = position;
    clipGroesse = groesse;
    Nimm(2, &k);
  }
  void EntferneClipping(Gui::Basis& k) override {
    Nimm(3, &k);
    geclippt = false;
    clipPosition = {};
    clipGroesse = {};
  }
  void BeendeZeichnen() override { Nimm(4, nullptr); }
  void Slot5(Gui::Basis& k) override { Nimm(5, &k); }
  void Slot6(Gui::Basis& k) override { Nimm(6, &k); }
  void Slot7(Gui::Basis& k) override { Nimm(7, &k); }
  void ZeichneEingabeZeile(Gui::EingabeZeile& k) override { Nimm(8, &k); }
  void Slot9(Gui::Basis& k) override { Nimm(9, &k); }
  void Slot10(Gui::Basis& k) override { Nimm(10, &k); }
  void ZeichneHinweis(Gui::Hinweis& k) override { Nimm(11, &k); }
  void ZeichneSeite(Gui::Seite& k) override { Nimm(12, &k); }
  void ZeichneButton(Gui::Button& k) override { Nimm(13, &k); }
  void Slot14(Gui::Basis& k) override { Nimm(14, &k); }
  void ZeichneText(Gui::Text& k) override { Nimm(15, &k); }
  void ZeichneHintergrund(Gui::Basis& k) override { Nimm(16, &k); }

  // The entries joined by ", ".
  std::string Spur() const {
    std::string spur;
    for (const Aufruf& a : aufrufe) {
      if (!spur.empty()) spur += ", ";
      spur += std::to_string(a.slot);
      if (a.komponente) spur += " " + Name(*a.komponente);
    }
    return spur;
  }

  // Label, text or kind of a widget.
  static std::string Name(const Gui::Basis& k) {
    if (auto* b = dynamic_cast<const Gui::Button*>(&k)) return b->beschriftung;
    if (auto* t = dynamic_cast<const Gui::Text*>(&k)) return t->text;
    if (auto* z = dynamic_cast<const Gui::EingabeZeile*>(&k)) return z->GibText();
    if (auto* h = dynamic_cast<const Gui::Hinweis*>(&k)) return h->text;
    if (dynamic_cast<const Gui::ZahlEingabe*>(&k)) return "Zahl";
    if (dynamic_cast<const Gui::Seite*>(&k)) return "Seite";
    if (dynamic_cast<const Gui::Oberflaeche*>(&k)) return "Oberflaeche";
    if (dynamic_cast<const Gui::Abstand*>(&k)) return "Abstand";
    if (dynamic_cast<const Gui::VaterBasis*>(&k)) return "Vater";
    return "Basis";
  }

  void Leere() { aufrufe.clear(); }

  std::vector<Aufruf> aufrufe;

 private:
  void Nimm(int slot, Gui::Basis* k) { aufrufe.push_back({slot, k, geclippt, clipPosition, clipGroesse}); }

  bool geclippt = false;
  BVektor3<float> clipPosition{};
  BVektor3<float> clipGroesse{};
};
