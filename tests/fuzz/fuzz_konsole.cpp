// A typed console line, run as the console runs it.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "Zarvo_KonsoleBasisAnzeige.h"
#include "Zarvo_Konsolenbefehl.h"
#include "Zarvo_Start.h"
#include "Zarvo_Variable.h"

namespace {

// Takes the log's lines on the main thread and checks their form.
class Senke : public Zarvo_KonsoleBasisAnzeige {
 public:
  Senke() : Zarvo_KonsoleBasisAnzeige(&g_Log) {}
  void NeueZeile(std::string_view zeile) override {
    if (zeile.empty() || zeile.back() != '\n' || zeile.size() > Zarvo_Log::MAX_ZEILE) __builtin_trap();
  }
  bool GibZustand() override { return false; }
};

std::vector<std::pair<Zarvo_Variable*, std::string>> Standardwerte() {
  std::vector<std::pair<Zarvo_Variable*, std::string>> werte;
  for (const auto& [name, variable] : *Zarvo_Variable::Register()) werte.emplace_back(variable, variable->text);
  return werte;
}

// The log runs without a file (nothing is written to disk), its lines go to the sink.
Senke& StarteLog() {
  g_tLogfile.SetzeBool(false);
  g_Log.Starte(std::filesystem::temp_directory_path(), "fuzz_konsole.log");
  static Senke senke;
  return senke;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* daten, size_t groesse) {
  static const auto standard = Standardwerte();
  static Senke& senke = StarteLog();
  (void)senke;
  for (const auto& [variable, text] : standard) variable->SetzeText(text);
  g_tLogfile.SetzeBool(false);

  Zarvo_Konsolenbefehl::Ausfuehren(std::string(reinterpret_cast<const char*>(daten), groesse));

  // "quit" only sets the flag; the run goes on.
  g_System.beenden = false;
  return 0;
}
