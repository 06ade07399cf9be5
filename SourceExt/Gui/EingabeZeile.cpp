#include "EingabeZeile.h"

#include <algorithm>

#include "Ereignis.h"
#include "Oberflaeche.h"
#include "Renderer.h"
#include "Utf8.h"
#include "Zarvo_Start.h"

namespace Gui {

namespace {

bool IstAsciiBuchstabeOderZiffer(uint32_t c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool IstSurrogat(uint32_t c) { return c >= 0xD800 && c <= 0xDFFF; }

constexpr uint32_t GROESSTER_CODEPUNKT = 0x10FFFF;

}  // namespace

EingabeZeile::EingabeZeile(uint64_t, std::string anfangsText) {
  dehnung = {0.5f, 0, 0};
  SetText(std::move(anfangsText));
  cursor = laenge;
}

void EingabeZeile::Zeichne(Renderer& renderer) { renderer.ZeichneEingabeZeile(*this); }

std::string EingabeZeile::GetTyp() const { return "eingabe"; }

void EingabeZeile::SetVater(VaterBasis* neuerVater, Oberflaeche* neueOberflaeche) {
  Basis::SetVater(neuerVater, neueOberflaeche);
  if (neueOberflaeche && IstFokussiert()) neueOberflaeche->SetHoverEingefroren(true);
}

bool EingabeZeile::IstFokussierbar() const { return aktiv; }

bool EingabeZeile::IstEingabefeld() const { return aktiv; }

std::string_view EingabeZeile::TextVorCursor() const {
  return std::string_view(text).substr(0, CodepunktVersatz(text, cursor));
}

void EingabeZeile::SetText(std::string neu) {
  if (neu == text) return;
  text = std::move(neu);
  laenge = ZaehleCodepunkte(text);
  cursor = std::min(cursor, laenge);
  geaendertUm = g_Zeit.zeit;
  // Copies: the callback may destroy this line.
  const auto rueckruf = beiAenderung;
  const std::string kopie = text;
  if (rueckruf) rueckruf(kopie);
}

void EingabeZeile::LoescheZeichen(uint64_t position, uint64_t anzahl) {
  if (cursor > position) cursor = cursor - position > anzahl ? cursor - anzahl : position;
  const uint64_t ende = position < laenge && anzahl < laenge - position ? position + anzahl : laenge;
  const size_t von = CodepunktVersatz(text, position);
  const size_t bis = std::max(von, CodepunktVersatz(text, ende));
  SetText(text.substr(0, von) + text.substr(bis));
}

bool EingabeZeile::NimmtZeichen(uint32_t c) const {
  if (laenge >= maxLaenge || c < 32 || IstSurrogat(c) || c > GROESSTER_CODEPUNKT) return false;
  if (filter && c < 128 && !IstAsciiBuchstabeOderZiffer(c) && c != ' ' && c != '_') return false;
  return true;
}

void EingabeZeile::BeiUnicode(BasisEreignis& ereignis) {
  auto* zeichenEreignis = dynamic_cast<UnicodeEreignis*>(&ereignis);
  if (!zeichenEreignis || !NimmtZeichen(zeichenEreignis->zeichen)) return;
  text.insert(CodepunktVersatz(text, cursor), KodiereUtf8(zeichenEreignis->zeichen));
  ++laenge;
  ++cursor;
  geaendertUm = g_Zeit.zeit;
  ereignis.SetzeBehandelt();
  const auto rueckruf = beiAenderung;
  const std::string kopie = text;
  if (rueckruf) rueckruf(kopie);
}

bool EingabeZeile::ZusatzGehalten() const {
  return GibOberflaeche() && (GibOberflaeche()->TastenZustandVon(Taste::ZUSATZ) & TastenZustand::GEHALTEN);
}

void EingabeZeile::Bestaetige(bool druck) {
  if (!druck) return;
  // Copies first: unfreezing the hover may move the focus, and a focus callback may destroy
  // this line.
  const auto rueckruf = beiBestaetigung;
  const std::string kopie = text;
  Oberflaeche* o = GibOberflaeche();
  if (o && o->HoverEingefroren()) o->TaueHoverAuf();
  if (rueckruf) rueckruf(kopie);
}

void EingabeZeile::BeiTaste(BasisEreignis& ereignis) {
  auto* tastenEreignis = dynamic_cast<TasteEreignis*>(&ereignis);
  if (!tastenEreignis) return;
  const bool druck = tastenEreignis->IstDruck();
  Oberflaeche* o = GibOberflaeche();
  switch (tastenEreignis->code) {
    case Taste::MAUS_1:
      ereignis.SetzeBehandelt();
      if (druck && o) o->SetHoverEingefroren(true);
      return;
    case Taste::KLICK:
      ereignis.SetzeBehandelt();
      Bestaetige(druck);
      return;
    case Taste::ESCAPE:
      if (!o || !o->HoverEingefroren()) return;
      ereignis.SetzeBehandelt();
      if (druck) o->TaueHoverAuf();
      return;
    case Taste::LINKS:
      if (cursor == 0) return;
      ereignis.SetzeBehandelt();
      if (druck) --cursor;
      return;
    case Taste::RECHTS:
      if (cursor >= laenge) return;
      ereignis.SetzeBehandelt();
      if (druck) ++cursor;
      return;
    case Taste::RUECKSCHRITT:
      if (cursor == 0) return;
      ereignis.SetzeBehandelt();
      if (druck) ZusatzGehalten() ? LoescheZeichen(0, cursor) : LoescheZeichen(cursor - 1, 1);
      return;
    case Taste::ENTFERNEN:
      if (cursor >= laenge) return;
      ereignis.SetzeBehandelt();
      if (druck) LoescheZeichen(cursor, ZusatzGehalten() ? laenge - cursor : 1);
      return;
    default:
      return;
  }
}

}  // namespace Gui
