#include "Zarvo_KonsoleStandardAnzeige.h"

#include <algorithm>

#include "TBereich.h"
#include "Zarvo_Bild.h"
#include "Zarvo_Font3D.h"
#include "Zarvo_FontGenerator.h"
#include "Zarvo_Hilfsfunktionen.h"
#include "Zarvo_Konsolenbefehl.h"
#include "Zarvo_Screen3D.h"
#include "Zarvo_SpriteListe.h"
#include "Zarvo_SpriteStapel.h"
#include "Zarvo_Start.h"
#include "Zarvo_TexturAtlas.h"
#include "Zarvo_Variable.h"

namespace {

constexpr uint64_t HINTERGRUND_KANTE = 16;
constexpr uint32_t HINTERGRUND_PIXEL = 0x80FFFFFF;
constexpr uint64_t HINTERGRUND_KAPAZITAET = 50;
constexpr float TEXT_X = 5;
constexpr float EINGABE_Y = 403;

constexpr TAlphaFarbe PANEL_FARBE{0.2f, 0.3f, 0.5f, 0.5f};
constexpr TAlphaFarbe EINGABE_BALKEN_FARBE{0.5f, 0.5f, 0.5f, 0.5f};
constexpr TAlphaFarbe ROT{1, 0, 0, 1};
constexpr TAlphaFarbe GELB{1, 1, 0, 1};
constexpr TAlphaFarbe GRUEN{0, 1, 0, 1};
constexpr TAlphaFarbe WEISS{1, 1, 1, 1};

bool IstFolgeByte(char c) { return (uint8_t(c) & 0xC0) == 0x80; }

// Byte positions of the character boundaries around `pos`.
uint64_t VorigeGrenze(const std::string& text, uint64_t pos) {
  if (pos == 0) return 0;
  do --pos;
  while (pos > 0 && IstFolgeByte(text[pos]));
  return pos;
}
uint64_t NaechsteGrenze(const std::string& text, uint64_t pos) {
  if (pos >= text.size()) return text.size();
  do ++pos;
  while (pos < text.size() && IstFolgeByte(text[pos]));
  return pos;
}

bool IstZiffer(char c) { return c >= '0' && c <= '9'; }
bool IstHexZiffer(char c) { return IstZiffer(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

// Reads `anzahl` characters of a class at `pos`; false when they are not there.
bool Folgt(std::string_view text, uint64_t& pos, uint64_t anzahl, bool (*klasse)(char)) {
  for (uint64_t i = 0; i < anzahl; ++i, ++pos)
    if (pos >= text.size() || !klasse(text[pos])) return false;
  return true;
}
bool Folgt(std::string_view text, uint64_t& pos, std::string_view woertlich) {
  if (text.substr(pos, woertlich.size()) != woertlich) return false;
  pos += woertlich.size();
  return true;
}

TAlphaFarbe FarbeDerStufe(char stufe) {
  switch (stufe) {
    case '!': return ROT;
    case '?': return GELB;
    case '>': return GRUEN;
    default: return WEISS;
  }
}

}  // namespace

Zarvo_KonsoleStandardAnzeige::Zarvo_KonsoleStandardAnzeige(const std::filesystem::path& schriftPfad)
    : Zarvo_KonsoleBasisAnzeige(&g_Log) {
  BaueHintergrund();
  LadeSchrift(schriftPfad);
}

Zarvo_KonsoleStandardAnzeige::~Zarvo_KonsoleStandardAnzeige() = default;

void Zarvo_KonsoleStandardAnzeige::BaueHintergrund() {
  Zarvo_Bild bild(HINTERGRUND_KANTE, HINTERGRUND_KANTE, PXFMT_A8R8G8B8, 1);
  TBereich bereich;
  bild.LockBereich(bereich);
  bereich.Fuelle(HINTERGRUND_PIXEL);
  hintergrundAtlas = std::make_unique<Zarvo_TexturAtlas>(HINTERGRUND_KANTE, 0);
  hintergrundAtlas->KopiereEintrag(0, bereich, 0, 0, HINTERGRUND_KANTE, HINTERGRUND_KANTE);
  hintergrundListe = std::make_unique<Zarvo_SpriteListe>(hintergrundAtlas.get(), 3);
  hintergrundStapel = std::make_unique<Zarvo_SpriteStapel>(HINTERGRUND_KAPAZITAET);
}

// A font file that fails to load leaves the font empty; its own line reports it.
void Zarvo_KonsoleStandardAnzeige::LadeSchrift(const std::filesystem::path& pfad) {
  if (pfad.extension() == ".fnt") {
    schrift = std::make_unique<Zarvo_Font3D>();
    schrift->Laden(pfad);
    return;
  }
  schrift = Zarvo_FontGenerator::ErzeugeSchriftart(pfad, SCHRIFTGROESSE);
}

void Zarvo_KonsoleStandardAnzeige::NeueZeile(std::string_view zeile) {
  if (!zeile.empty() && zeile.back() == '\n') zeile.remove_suffix(1);
  zeilen.emplace_back(zeile);
  if (scrollPosition == int64_t(zeilen.size()) - 2) ++scrollPosition;  // the newest line was shown
  if (zeilen.size() <= MAX_ZEILEN) return;
  zeilen.erase(zeilen.begin(), zeilen.begin() + ENTFERNTE_ZEILEN);
  scrollPosition = std::max<int64_t>(scrollPosition - int64_t(ENTFERNTE_ZEILEN), 0);
}

void Zarvo_KonsoleStandardAnzeige::SetSichtbar(bool neu) {
  if (!neu && eingabeAktiv) {
    SetEingabeAktiv(false);
    return;
  }
  sichtbar = neu;
}

void Zarvo_KonsoleStandardAnzeige::SetEingabeAktiv(bool aktiv) { sichtbar = eingabeAktiv = aktiv; }

bool Zarvo_KonsoleStandardAnzeige::HandleButton(OPRIX::Device*, int taste, bool gedrueckt) {
  if (!gedrueckt) return false;
  switch (taste) {
    case TASTE_BILD_HOCH: Scrolle(-1); return true;
    case TASTE_BILD_RUNTER: Scrolle(1); return true;
    case TASTE_RUECKSCHRITT: LoescheZeichenVorCursor(); return true;
    case TASTE_ENTFERNEN: LoescheZeichenAmCursor(); return true;
    case TASTE_LINKS: cursor = VorigeGrenze(eingabe, cursor); return true;
    case TASTE_RECHTS: cursor = NaechsteGrenze(eingabe, cursor); return true;
    case TASTE_HOCH: VerlaufZurueck(); return true;
    case TASTE_RUNTER: VerlaufVor(); return true;
    case TASTE_ENTER:
    case TASTE_ZIFFERN_ENTER: FuehreEingabeAus(); return true;
    case TASTE_TAB: Tab(); return true;
    default: return false;
  }
}

// Page up stops at line 10, page down at the newest line.
void Zarvo_KonsoleStandardAnzeige::Scrolle(int64_t schritt) {
  if (schritt < 0 && scrollPosition > OBERSTE_SCROLLPOSITION) --scrollPosition;
  if (schritt > 0 && scrollPosition < int64_t(zeilen.size()) - 1) ++scrollPosition;
}

void Zarvo_KonsoleStandardAnzeige::LoescheZeichenVorCursor() {
  const uint64_t anfang = VorigeGrenze(eingabe, cursor);
  eingabe.erase(anfang, cursor - anfang);
  cursor = anfang;
}

void Zarvo_KonsoleStandardAnzeige::LoescheZeichenAmCursor() {
  if (cursor >= eingabe.size()) return;
  eingabe.erase(cursor, NaechsteGrenze(eingabe, cursor) - cursor);
}

void Zarvo_KonsoleStandardAnzeige::VerlaufZurueck() {
  if (verlauf.empty() || verlaufPosition == 0) return;
  if (verlaufPosition == verlauf.size()) gemerkteEingabe = eingabe;
  --verlaufPosition;
  eingabe = verlauf[verlaufPosition];
  cursor = eingabe.size();
}

void Zarvo_KonsoleStandardAnzeige::VerlaufVor() {
  if (verlaufPosition >= verlauf.size()) return;
  ++verlaufPosition;
  eingabe = verlaufPosition == verlauf.size() ? gemerkteEingabe : verlauf[verlaufPosition];
  cursor = eingabe.size();
}

void Zarvo_KonsoleStandardAnzeige::FuehreEingabeAus() {
  if (!eingabe.empty()) {
    verlauf.push_back(eingabe);
    FuehreZeileAus(verlauf.back());
  }
  eingabe.clear();
  cursor = 0;
  scrollPosition = int64_t(zeilen.size()) - 1;
  verlaufPosition = verlauf.size();
}

// An empty line starts "set "; otherwise the cursor moves behind the next space (accepting the
// completion shown after the cursor), one being appended when there is none.
void Zarvo_KonsoleStandardAnzeige::Tab() {
  if (eingabe.empty()) {
    eingabe = "set ";
    cursor = eingabe.size();
    return;
  }
  const size_t leer = eingabe.find(' ', cursor);
  if (leer == std::string::npos) {
    eingabe.push_back(' ');
    cursor = eingabe.size();
    return;
  }
  cursor = leer + 1;
}

bool Zarvo_KonsoleStandardAnzeige::HandleText(OPRIX::Device*, unsigned int zeichen) {
  if (zeichen == 0) return false;
  if (zeichen != ' ' && !schrift->HatGlyphe(zeichen)) return false;
  std::string bytes;
  HaengeUtf8An(bytes, zeichen);
  eingabe.insert(cursor, bytes);
  cursor += bytes.size();
  Vervollstaendige();
  return true;
}

// The word before the cursor (from the line start or the last space) replaces the rest of itself
// after the cursor with the rest of the first command (at the line start) or variable name that
// begins with it.
void Zarvo_KonsoleStandardAnzeige::Vervollstaendige() {
  if (cursor == 0) return;
  const size_t leer = eingabe.rfind(' ', cursor - 1);
  const uint64_t anfang = leer == std::string::npos ? 0 : leer + 1;
  const std::string wort = eingabe.substr(anfang, cursor - anfang);
  if (wort.empty()) return;
  const size_t wortEnde = eingabe.find(' ', cursor);
  eingabe.erase(cursor, (wortEnde == std::string::npos ? eingabe.size() : wortEnde) - cursor);
  const std::string kandidat = anfang == 0 ? Zarvo_Konsolenbefehl::Vervollstaendige(wort) : Zarvo_Variable::Vervollstaendige(wort);
  if (kandidat.size() > wort.size()) eingabe.insert(cursor, kandidat, wort.size());
}

void Zarvo_KonsoleStandardAnzeige::Zeichne() {
  if (!sichtbar) return;
  BereiteZeichnenVor();
  hintergrundStapel->Zeichne(*hintergrundListe);
  hintergrundListe->Leeren();
  schrift->ZeichneAlles();
}

void Zarvo_KonsoleStandardAnzeige::BereiteZeichnenVor() {
  if (!sichtbar) return;
  schrift->SetzeStilZurueck();
  const float breite = float(Zarvo_Screen3D::Zustand().breite);
  hintergrundListe->AddSprite(0, {0, 0, 0.5f}, PANEL_FARBE, breite, PANEL_HOEHE, 0);
  hintergrundListe->AddSprite(0, {0, PANEL_HOEHE, 0.5f}, EINGABE_BALKEN_FARBE, breite, schrift->Groesse() + 6, 0);
  ZeichneZeilen();
  ZeichneEingabe();
}

// From the bottom line up, one font size per line, while lines and room are left.
void Zarvo_KonsoleStandardAnzeige::ZeichneZeilen() {
  const float hoehe = schrift->Groesse();
  int64_t index = std::min(scrollPosition, int64_t(zeilen.size()) - 1);
  for (float y = PANEL_HOEHE - hoehe; y >= 0 && index >= 0; y -= hoehe, --index) ZeichneZeile(y, zeilen[size_t(index)]);
}

void Zarvo_KonsoleStandardAnzeige::ZeichneZeile(float y, const std::string& zeile) {
  const uint64_t anfang = NachrichtAnfang(zeile);
  const char stufe = anfang < zeile.size() ? zeile[anfang] : 0;
  schrift->farbe = FarbeDerStufe(stufe);
  if (stufe != '!' && stufe != '?') {
    schrift->Zeichne(TEXT_X, y, zeile.c_str());
    return;
  }
  std::string ohneStufe = zeile;
  ohneStufe.erase(anfang, 1);
  schrift->Zeichne(TEXT_X, y, ohneStufe.c_str());
}

void Zarvo_KonsoleStandardAnzeige::ZeichneEingabe() {
  schrift->farbe = GRUEN;
  schrift->ZeichneFormat(TEXT_X, EINGABE_Y, ">%s", eingabe.c_str());
  const std::string vorCursor = eingabe.substr(0, std::min<uint64_t>(cursor, eingabe.size()));
  const float x = schrift->GibTextBreite(">") + schrift->GibTextBreite(vorCursor.c_str()) + TEXT_X;
  hintergrundListe->AddSprite(0, {x, PANEL_HOEHE, 0.5f}, GELB, 2, schrift->Groesse() + 6, 0);
}

uint64_t Zarvo_KonsoleStandardAnzeige::NachrichtAnfang(std::string_view zeile) {
  uint64_t pos = 0;
  if (!Folgt(zeile, pos, 4, IstZiffer)) return 0;
  while (pos < zeile.size() && IstZiffer(zeile[pos])) ++pos;  // past 9999 s the seconds grow
  const bool praefix = Folgt(zeile, pos, ":") && Folgt(zeile, pos, 6, IstZiffer) && Folgt(zeile, pos, " (t") &&
                       Folgt(zeile, pos, 4, IstHexZiffer) && Folgt(zeile, pos, "): ");
  return praefix ? pos : 0;
}
