// The font file reader over arbitrary bytes, on the recording device. A loaded font has a metrics
// record for every atlas slot; measuring, laying out and drawing a text with multi-byte and cut
// UTF-8 sequences then runs on it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "FuzzLog.h"
#include "Plattform/d3d9/null/NullGeraet.h"
#include "TSpeicher.h"
#include "Zarvo_Font3D.h"
#include "Zarvo_Screen3D.h"
#include "Zarvo_SpriteStapel.h"
#include "einheit/FensterAttrappe.h"

namespace {

FensterAttrappe g_fenster;

// "Ab ä€😀", a newline, then a cut three-byte sequence at the very end of the block.
constexpr char TEXT[] = "Ab \xC3\xA4\xE2\x82\xAC\xF0\x9F\x98\x80\nx y\xE2\x82";

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  StarteStillesLog();
  d3d9::WaehleNullBackend({});
  Zarvo_Screen3D::SetzeFenstersystem(&g_fenster);
  if (!Zarvo_Screen3D::Init(0, 0, {320, 240, 0, 0}, 2)) std::abort();
  // Keeps the shared sprite set (and its compiled shaders) for the whole run.
  static Zarvo_SpriteStapel halter(0);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* daten, size_t groesse) {
  d3d9::null::AktuelleWelt()->Leere();  // the recorded calls of the last input
  TSpeicher speicher;
  speicher.SchreibeMem(daten, groesse);
  speicher.Zurueckspulen();
  Zarvo_Font3D font;
  if (!font.LadeAusSpeicher(speicher, "fuzz.fnt")) return 0;
  if (font.Metriken().size() < font.Glyphen().SlotAnzahl()) std::abort();
  auto text = std::make_unique<char[]>(sizeof TEXT);
  std::memcpy(text.get(), TEXT, sizeof TEXT);
  for (float groesse : {font.NativeHoehe(), 12.0f}) {
    font.SetGroesse(groesse);
    font.GibTextBreite(text.get());
    font.SetAusrichtung(Zarvo_Font3D::MITTE, Zarvo_Font3D::UNTEN);
    font.Zeichne(10, 20, text.get());
    font.BrecheUm(text.get(), 40, 30);
    font.ZeichneBlock(0, 0, 40, 30, "%s|%d", text.get(), 7);
    font.ZeichneAlles();
  }
  return 0;
}
