#pragma once
// The in-game console: a translucent panel at the top of the screen with the log's latest lines
// above an input line with a cursor. It is the log's display (every line the main thread logs
// lands in its scroll-back of at most 500 lines) and a keyboard handler (the application makes it
// the input handler while its input is active, and draws it once per frame).
//
// Typing completes inline: the word before the cursor is completed with the first console
// command (at the start of the line) or configuration variable (after a space) that begins with
// it, the completion standing after the cursor; Tab accepts it. Enter logs the line as ">line"
// and runs it as a console command; Up and Down browse the entered lines; PgUp and PgDn scroll.
// The line always holds whole UTF-8 characters: editing keys step over a character's bytes.
//
// Log lines are coloured by the level of their message (the character behind the log's time and
// thread prefix): '!' red and '?' yellow, that character not drawn; '>' green; others white.
#include <cstdint>
#include <deque>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "InputHandler.h"
#include "Zarvo_KonsoleBasisAnzeige.h"

class Zarvo_Font3D;
class Zarvo_SpriteListe;
class Zarvo_SpriteStapel;
class Zarvo_TexturAtlas;

class Zarvo_KonsoleStandardAnzeige : public Zarvo_KonsoleBasisAnzeige, public OPRIX::InputHandler {
 public:
  static constexpr uint64_t MAX_ZEILEN = 500;
  static constexpr uint64_t ENTFERNTE_ZEILEN = 100;   // dropped at once when the scroll-back is full
  static constexpr int64_t OBERSTE_SCROLLPOSITION = 10;
  static constexpr float PANEL_HOEHE = 400;
  static constexpr uint64_t SCHRIFTGROESSE = 12;      // a TrueType font is generated at this size

  // Keys (DirectInput scan codes).
  static constexpr int TASTE_RUECKSCHRITT = 14, TASTE_TAB = 15, TASTE_ENTER = 28, TASTE_ZIFFERN_ENTER = 156,
                       TASTE_HOCH = 200, TASTE_BILD_HOCH = 201, TASTE_LINKS = 203, TASTE_RECHTS = 205,
                       TASTE_RUNTER = 208, TASTE_BILD_RUNTER = 209, TASTE_ENTFERNEN = 211;

  // Becomes the log's display, then loads the font: a ".fnt" file is read (a failure leaves the
  // font empty: the panel is drawn without text), any other path generated as TrueType (which
  // throws on failure). Hidden, input not active.
  explicit Zarvo_KonsoleStandardAnzeige(const std::filesystem::path& schriftPfad);
  ~Zarvo_KonsoleStandardAnzeige() override;

  // Log display: the line without its newline joins the scroll-back.
  void NeueZeile(std::string_view zeile) override;
  // Whether the input line is active.
  bool GibZustand() override { return IstEingabeAktiv(); }

  // false while input is active ends input (and hides); true shows without input.
  void SetSichtbar(bool sichtbar);
  // true shows and takes input, false hides and ends input.
  void SetEingabeAktiv(bool aktiv);
  bool IstEingabeAktiv() const { return eingabeAktiv != 0; }
  bool IstSichtbar() const { return sichtbar != 0; }

  // Key presses: editing, history, scrolling, Enter and Tab (consumed); releases and other keys
  // are not consumed.
  bool HandleButton(OPRIX::Device* geraet, int taste, bool gedrueckt) override;
  // A typed character: inserted with completion (consumed); 0 and characters without a glyph,
  // other than the space, are not consumed.
  bool HandleText(OPRIX::Device* geraet, unsigned int zeichen) override;

  // Queues and draws panel, lines, input line and cursor while visible.
  void Zeichne();
  // Zeichne's queueing without the drawing: the panel sprites stay in Hintergrund(), the glyphs
  // in the font's list (tests read them there).
  void BereiteZeichnenVor();

  const std::deque<std::string>& Zeilen() const { return zeilen; }
  int64_t ScrollPosition() const { return scrollPosition; }
  const std::string& Eingabe() const { return eingabe; }
  uint64_t Cursor() const { return cursor; }
  const std::vector<std::string>& Verlauf() const { return verlauf; }
  uint64_t VerlaufPosition() const { return verlaufPosition; }
  const Zarvo_Font3D& Schrift() const { return *schrift; }
  const Zarvo_SpriteListe& Hintergrund() const { return *hintergrundListe; }

  // The offset of the message behind a "%04d:%06d (t%04x): " log prefix; 0 without one.
  static uint64_t NachrichtAnfang(std::string_view zeile);

 private:
  void LadeSchrift(const std::filesystem::path& pfad);
  void BaueHintergrund();

  void Scrolle(int64_t schritt);
  void LoescheZeichenVorCursor();
  void LoescheZeichenAmCursor();
  void VerlaufZurueck();
  void VerlaufVor();
  void FuehreEingabeAus();
  void Vervollstaendige();
  void Tab();

  void ZeichneZeilen();
  void ZeichneZeile(float y, const std::string& zeile);
  void ZeichneEingabe();

  // Fields in this order: lines logged while the later ones are built already land here.
  std::deque<std::string> zeilen;
  int64_t scrollPosition = 0;  // index of the bottom line; -1 on an empty scroll-back after Enter
  uint8_t sichtbar = 0;
  uint8_t eingabeAktiv = 0;
  std::string eingabe;
  uint64_t cursor = 0;
  std::vector<std::string> verlauf;
  uint64_t verlaufPosition = 0;
  std::string gemerkteEingabe;
  std::unique_ptr<Zarvo_TexturAtlas> hintergrundAtlas;
  std::unique_ptr<Zarvo_SpriteListe> hintergrundListe;
  std::unique_ptr<Zarvo_SpriteStapel> hintergrundStapel;
  std::unique_ptr<Zarvo_Font3D> schrift;
};
