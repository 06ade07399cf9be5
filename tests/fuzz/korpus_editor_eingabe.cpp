// Writes the seed corpus of fuzz_editor_eingabe: one script per binding group (camera and layer,
// block mode, object mode, undo), a box, a drag and an edited dialog.
#include <filesystem>
#include <string>

#include "KorpusDatei.h"
#include "EditorSkript.h"

using namespace editorskript;

namespace {

using korpus::Schreibe;

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  const std::filesystem::path ordner = std::filesystem::path(argv[1]) / "fuzz_editor_eingabe";
  std::filesystem::create_directories(ordner);
  bool gut = true;

  Schreiber kamera;
  kamera.Knopf(2, true).Bewege(10, 8).Knopf(2, false).Taste(GLFW_KEY_PAGE_DOWN, true).Bilder(16);
  kamera.Taste(GLFW_KEY_PAGE_DOWN, false).Taste(GLFW_KEY_W, true).Taste(GLFW_KEY_D, true).Bilder(8);
  kamera.Taste(GLFW_KEY_W, false).Taste(GLFW_KEY_D, false).Tippe(GLFW_KEY_KP_ADD).Rad(1).Rad(-3).Tippe(GLFW_KEY_SPACE);
  gut &= Schreibe(ordner, "kamera", kamera);

  Schreiber block;
  block.Bilder(32).Klick(128, 160).Knopf(1, true).Knopf(1, false).Komma().Tippe(GLFW_KEY_KP_0).Klick(20, 250);
  block.Taste(GLFW_KEY_LEFT_CONTROL, true).Tippe(GLFW_KEY_Y).Taste(GLFW_KEY_LEFT_CONTROL, false);
  gut &= Schreibe(ordner, "block", block);

  Schreiber quader;
  quader.Bilder(32).Maus(110, 150).Taste(GLFW_KEY_LEFT_SHIFT, true).Knopf(0, true).Bewege(20, 10).Bilder(3);
  quader.Knopf(0, false).Taste(GLFW_KEY_LEFT_SHIFT, false);
  gut &= Schreibe(ordner, "quader", quader);

  Schreiber objekt;
  objekt.Bilder(32).Tippe(GLFW_KEY_2).Tippe(GLFW_KEY_PERIOD).Tippe(GLFW_KEY_COMMA).Klick(128, 170);
  objekt.Knopf(1, true).Knopf(1, false).Klick(90, 150).Tippe(GLFW_KEY_DELETE).Maus(60, 150).Tippe(GLFW_KEY_DELETE);
  objekt.Taste(GLFW_KEY_RIGHT_CONTROL, true).Tippe(GLFW_KEY_Y).Taste(GLFW_KEY_RIGHT_CONTROL, false);
  gut &= Schreibe(ordner, "objekt", objekt);

  Schreiber ziehen;
  ziehen.Bilder(32).Tippe(GLFW_KEY_2).Maus(128, 170).Knopf(0, true).Bewege(12, 6).Bewege(6, -4).Knopf(0, false);
  ziehen.Taste(GLFW_KEY_LEFT_SHIFT, true).Knopf(0, true).Bewege(0, -10).Knopf(0, false).Taste(GLFW_KEY_LEFT_SHIFT, false);
  gut &= Schreibe(ordner, "ziehen", ziehen);

  Schreiber dialog;
  dialog.Bilder(32).Tippe(GLFW_KEY_2);
  for (uint8_t x = 40; x < 220; x += 30) dialog.Maus(x, 150).Tippe(GLFW_KEY_END);
  dialog.Feld(0, 3.5f).Feld(1, -0.0f).Feld(2, 1e30f).Abbruch().Bilder(8).Tippe(GLFW_KEY_END).Feld(0, 2.0f).Speichern();
  dialog.Tippe(GLFW_KEY_ESCAPE).Bilder(8).Klick(128, 128);
  gut &= Schreibe(ordner, "dialog", dialog);

  return gut ? 0 : 1;
}
