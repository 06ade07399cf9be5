// The widget toolkit driven by a script of input operations on a fixed tree whose callbacks hide,
// destroy and re-add widgets; the style values come from the input too (NaN, infinities, huge
// values). After every operation the text lines' cursor and length match their text and the
// surface names only live widgets; at the end the surface is destroyed and the frame clock holds
// exactly the timers it held before.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <memory>
#include <string>

#include "Button.h"
#include "EingabeZeile.h"
#include "FuzzLog.h"
#include "GuiBaum.h"
#include "GuiSkript.h"
#include "Hinweis.h"
#include "Oberflaeche.h"
#include "Renderer.h"
#include "Seite.h"
#include "Stil.h"
#include "Text.h"
#include "Utf8.h"
#include "ZahlEingabe.h"

using namespace guiskript;

namespace {

class Leser {
 public:
  Leser(const uint8_t* daten_, size_t groesse_) : daten(daten_), groesse(groesse_) {}
  bool Ende() const { return stelle >= groesse; }
  uint8_t Byte() { return stelle < groesse ? daten[stelle++] : 0; }

 private:
  const uint8_t* daten;
  size_t groesse;
  size_t stelle = 0;
};

class ModalSeite : public Gui::VaterBasis {
 public:
  bool IstModal() const override { return true; }
};

// A widget that clears the harness's pointer to it when it is destroyed.
template <class W, class Zeiger = W>
class Wach : public W {
 public:
  template <class... A>
  explicit Wach(Zeiger*& zeiger_, A&&... argumente) : W(std::forward<A>(argumente)...), zeiger(zeiger_) {
    zeiger = this;
  }
  ~Wach() override { zeiger = nullptr; }

 private:
  Zeiger*& zeiger;
};

// Reads what a renderer reads: positions, sizes, visibility, a tooltip's owner, the text before
// a line's cursor.
class LeseRenderer : public Gui::Renderer {
 public:
  void ZeichneHintergrund(Gui::Basis& k) override {
    const BVektor3<float> p = k.AbsolutePosition();
    summe += p.x + p.y + k.GespeicherteGroesse().x + float(k.IstSichtbarImBaum());
  }
  void ZeichneHinweis(Gui::Hinweis& h) override {
    if (h.Besitzer()) summe += h.Besitzer()->AbsolutePosition().x + h.Besitzer()->GespeicherteGroesse().y;
    ZeichneHintergrund(h);
  }
  void ZeichneEingabeZeile(Gui::EingabeZeile& z) override {
    summe += float(z.TextVorCursor().size());
    ZeichneHintergrund(z);
  }
  float summe = 0;
};

struct Welt {
  std::unique_ptr<Gui::Oberflaeche> o;
  Gui::Seite* tasten = nullptr;
  Gui::VaterBasis* modal = nullptr;
  Gui::ZahlEingabe* zahl = nullptr;
  Gui::Button* ok = nullptr;
  Gui::Button* weg = nullptr;
  Gui::Button* q = nullptr;
  Gui::Button* w = nullptr;
  Gui::Button* e = nullptr;
  Gui::Text* traeger = nullptr;
  Gui::EingabeZeile* zeile = nullptr;

  void BaueTraeger() {
    new Wach<Gui::Text>(traeger, "Hinweisträger", 1);
    traeger->hinweisText = "Hinweis";
    tasten->FuegeHinzu(traeger);
  }
  void BaueZeile() {
    new Wach<Gui::EingabeZeile>(zeile, 0, "ab\xC3\xA9");
    zeile->filter = true;
    zeile->beiBestaetigung = [this](const std::string&) { delete zeile; };
    tasten->FuegeHinzu(zeile);
  }
  // The modal page: a number field that hides the page above 100, "OK" (Escape) hides it and
  // destroys it 0.1 s later, "weg" destroys it at once.
  void BaueModal() {
    new Wach<ModalSeite, Gui::VaterBasis>(modal);
    modal->SetPosition({200, 150, 0}, false);
    modal->SetGroesse({400, 300, 0}, false);
    modal->SetLayout(new Gui::Anordnung{1, 0.5f, 0.5f});
    o->FuegeHinzu(modal);
    new Wach<Gui::ZahlEingabe>(zahl, 1.0f, 0.0f);
    zahl->beiWert = [this](float v) {
      if (v > 100 && modal) modal->SetSichtbar(false);
    };
    modal->FuegeHinzu(zahl);
    new Wach<Gui::Button>(ok, "OK");
    ok->SetTaste(Gui::Taste::ESCAPE);
    ok->beiKlick = [this] {
      modal->SetSichtbar(false);
      o->VernichteKomponenteNachZeit(modal, 0.1f);
    };
    modal->FuegeHinzu(ok);
    new Wach<Gui::Button>(weg, "weg");
    weg->beiKlick = [this] { delete modal; };
    modal->FuegeHinzu(weg);
  }
  // The hotkey page: Q toggles the tooltip owner, W destroys it, E builds the missing owner and
  // line again and moves the line between the page and the surface.
  void BaueTasten() {
    new Wach<Gui::Seite>(tasten, 0u, BVektor3<float>{});
    tasten->SetGroesse({800, 100, 0}, false);
    o->FuegeHinzu(tasten);
    new Wach<Gui::Button>(q, "Q");
    q->SetTaste(TASTE_Q);
    q->beiKlick = [this] {
      if (traeger) traeger->SetSichtbar(!traeger->IstSichtbar());
    };
    q->beiFokusWechsel = [this](bool erhalten) {
      if (erhalten && modal) modal->SetSichtbar(true);
    };
    tasten->FuegeHinzu(q);
    new Wach<Gui::Button>(w, "W");
    w->SetTaste(TASTE_W);
    w->beiKlick = [this] { delete traeger; };
    tasten->FuegeHinzu(w);
    new Wach<Gui::Button>(e, "E");
    e->SetTaste(TASTE_E);
    e->beiKlick = [this] {
      if (!traeger) BaueTraeger();
      if (!zeile) BaueZeile();
      if (zeile->GibVater() == tasten) o->FuegeHinzu(zeile);
      else tasten->FuegeHinzu(zeile);
    };
    tasten->FuegeHinzu(e);
    BaueTraeger();
    BaueZeile();
  }

  Gui::Basis* ZielVon(uint8_t index) {
    switch (index % (ZIEL_ANZAHL + 1)) {
      case ZEILE: return zeile;
      case ZAHL_ZEILE: return zahl ? &zahl->Zeile() : nullptr;
      case OK: return ok;
      case WEG: return weg;
      case Q: return q;
      case W: return w;
      case E: return e;
      case HINWEIS_TRAEGER: return traeger;
      default: return nullptr;
    }
  }
};


void PruefeZeile(const Gui::EingabeZeile* z) {
  if (!z) return;
  if (z->Cursor() > z->Laenge() || z->Laenge() != Gui::ZaehleCodepunkte(z->GibText())) std::abort();
}

void Pruefe(Welt& welt) {
  Gui::Oberflaeche& o = *welt.o;
  auto lebt = [&](const Gui::Basis* w) { return w == nullptr || ImBaum(o, w); };
  if (!lebt(o.Fokus()) || !lebt(o.Hover()) || !lebt(o.HinweisBesitzer()) || !lebt(o.GezeigterHinweis())) std::abort();
  for (const Gui::Basis* k : o.Kinder())
    if (auto* h = dynamic_cast<const Gui::Hinweis*>(k); h && !lebt(h->Besitzer())) std::abort();
  PruefeZeile(welt.zeile);
  PruefeZeile(welt.zahl ? &welt.zahl->Zeile() : nullptr);
}

float Koordinate(uint8_t byte, float faktor) {
  return byte == 255 ? std::numeric_limits<float>::quiet_NaN() : float(byte) * faktor;
}

void FuehreAus(Welt& welt, Leser& leser) {
  Gui::Oberflaeche& o = *welt.o;
  switch (leser.Byte() % OP_ANZAHL) {
    case TASTE: {
      const uint64_t code = (uint64_t(leser.Byte()) | uint64_t(leser.Byte()) << 8) % 301;
      o.VerarbeiteTaste(code, leser.Byte());
      break;
    }
    case ZEICHEN: {
      const uint8_t auswahl = leser.Byte();
      uint32_t zeichen = 0;
      if (auswahl < ZEICHEN_ANZAHL) {
        zeichen = ZEICHEN_TABELLE[auswahl];
      } else {
        for (int i = 0; i < 4; ++i) zeichen = zeichen << 8 | leser.Byte();
      }
      o.SetLetzteEingabe(g_Zeit.zeit);
      Gui::UnicodeEreignis ereignis(zeichen);
      o.VerteileEreignis(ereignis);
      break;
    }
    case MAUS: {
      const float x = Koordinate(leser.Byte(), 4);
      o.SetMausPosition({x, Koordinate(leser.Byte(), 3), 0});
      break;
    }
    case SCHRITT: {
      const uint8_t index = leser.Byte() % SCHRITT_ANZAHL;
      const float sekunden[] = {0, 0, 0.1f, 0.5f, 2};
      g_Zeit.Fortschreiten(index == 1 ? 1 : SekundenAlsTicks(sekunden[index]));
      break;
    }
    case TEXT: {
      const uint8_t ziel = leser.Byte();
      std::string text(leser.Byte() % 16, '\0');
      for (char& c : text) c = char(leser.Byte());
      Gui::EingabeZeile* zeile = ziel % 2 == 0 ? welt.zeile : welt.zahl ? &welt.zahl->Zeile() : nullptr;
      if (zeile) zeile->SetText(text);
      break;
    }
    case SEITE_NEU:
      delete welt.modal;
      welt.BaueModal();
      break;
    case FOKUS: o.SetFokus(welt.ZielVon(leser.Byte())); break;
    case BILD: {
      LeseRenderer renderer;
      Gui::ZeichneOberflaeche(o, renderer);
      break;
    }
  }
}

TEigenschaften StilAus(Leser& leser, float& skalierung) {
  TEigenschaften stil;
  for (const char* schluessel : STIL_SCHLUESSEL) Gui::SetzeStil(stil, schluessel, STIL_WERTE[leser.Byte() % STIL_WERT_ANZAHL]);
  skalierung = STIL_WERTE[leser.Byte() % STIL_WERT_ANZAHL];
  return stil;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  StarteStillesLog();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* daten, size_t groesse) {
  const size_t timerVorher = g_Zeit.AnzahlTimer();
  Leser leser(daten, groesse);
  {
    Welt welt;
    float skalierung = 1;
    TEigenschaften stil = StilAus(leser, skalierung);
    welt.o = std::make_unique<Gui::Oberflaeche>(std::filesystem::path(), BVektor3<float>{800, 600, 0});
    welt.o->eigenschaften = std::move(stil);
    welt.o->SetGuiSkalierung(skalierung);
    welt.BaueTasten();
    welt.BaueModal();
    g_Zeit.Fortschreiten(1);
    for (int schritte = 0; !leser.Ende() && schritte < 512; ++schritte) {
      FuehreAus(welt, leser);
      Pruefe(welt);
    }
  }
  if (g_Zeit.AnzahlTimer() != timerVorher) std::abort();
  return 0;
}
