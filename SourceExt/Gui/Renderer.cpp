#include "Renderer.h"

#include "Button.h"
#include "EingabeZeile.h"
#include "Hinweis.h"
#include "Oberflaeche.h"
#include "Seite.h"
#include "Text.h"

namespace Gui {

Renderer::~Renderer() = default;

void Renderer::Slot5(Basis& komponente) { ZeichneHintergrund(komponente); }
void Renderer::Slot6(Basis& komponente) { ZeichneHintergrund(komponente); }
void Renderer::Slot7(Basis& komponente) { ZeichneHintergrund(komponente); }
void Renderer::ZeichneEingabeZeile(EingabeZeile& zeile) { ZeichneHintergrund(zeile); }
void Renderer::Slot9(Basis& komponente) { ZeichneHintergrund(komponente); }
void Renderer::Slot10(Basis& komponente) { ZeichneHintergrund(komponente); }
void Renderer::ZeichneHinweis(Hinweis& hinweis) { ZeichneHintergrund(hinweis); }
void Renderer::ZeichneSeite(Seite& seite) { ZeichneHintergrund(seite); }
void Renderer::ZeichneButton(Button& button) { ZeichneHintergrund(button); }
void Renderer::Slot14(Basis& komponente) { ZeichneHintergrund(komponente); }
void Renderer::ZeichneText(Text& text) { ZeichneHintergrund(text); }

void ZeichneOberflaeche(Oberflaeche& oberflaeche, Renderer& renderer) {
  renderer.BeginneZeichnen();
  oberflaeche.Zeichne(renderer);
  const std::vector<Basis*>& kinder = oberflaeche.Kinder();
  for (size_t i = 0; i < kinder.size(); ++i) {
    Basis& kind = *kinder[i];
    renderer.SetzeClipping(kind, oberflaeche.Position(), oberflaeche.GespeicherteGroesse());
    kind.Zeichne(renderer);
    renderer.EntferneClipping(kind);
  }
  renderer.BeendeZeichnen();
}

}  // namespace Gui
