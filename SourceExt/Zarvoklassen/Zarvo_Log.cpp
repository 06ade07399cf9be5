#include "Zarvo_Log.h"

#include "Zarvo_KonsoleBasisAnzeige.h"
#include "Zarvo_Start.h"
#include "Zarvo_Timer.h"

#include "Plattform/system/Faden.h"
#include "Plattform/system/ausnahmen.h"

#include <concurrentqueue/concurrentqueue.h>

#include <algorithm>
#include <new>

struct Zarvo_Log::Warteschlange {
  moodycamel::ConcurrentQueue<std::string> zeilen;
};

namespace {
constexpr size_t PUFFER_GROESSE = 2000;
constexpr size_t MAX_BULK = 20;

// An error line: its message, behind the "(tXXXX): " prefix, begins with '!'.
bool IstFehlerzeile(std::string_view zeile) {
  const size_t praefixEnde = zeile.find("): ");
  return praefixEnde != std::string_view::npos && zeile.substr(praefixEnde + 3).starts_with('!');
}
}  // namespace

void Zarvo_Log::WarteschlangeLoescher::operator()(Warteschlange* schlange) const { delete schlange; }

Zarvo_Log::~Zarvo_Log() { Schliesse(); }

uint16_t Zarvo_Log::FadenKennung(uint32_t fadenId) {
  uint64_t hash = 14695981039346656037ull;
  for (int i = 0; i < 4; ++i) {
    hash ^= (fadenId >> (8 * i)) & 0xFF;
    hash *= 1099511628211ull;
  }
  return uint16_t(hash);
}

size_t Zarvo_Log::BaueZeile(char* puffer, int64_t mikrosekunden, uint32_t fadenId, const char* format, va_list argumente) {
  int praefix = snprintf(puffer, MAX_ZEILE, "%04d:%06d (t%04x): ", int(mikrosekunden / 1000000),
                         int(mikrosekunden % 1000000), unsigned(FadenKennung(fadenId)));
  size_t laenge = praefix < 0 ? 0 : std::min(size_t(praefix), MAX_ZEILE - 1);
  int nachricht = vsnprintf(puffer + laenge, MAX_ZEILE - laenge, format, argumente);
  if (nachricht < 0) {
    puffer[laenge] = '\0';
    nachricht = 0;
  }
  // vsnprintf keeps its terminator inside the MAX_ZEILE bytes: a cut line has MAX_ZEILE - 1 characters.
  laenge = std::min(laenge + size_t(nachricht), MAX_ZEILE - 1);
  if (laenge == 0 || puffer[laenge - 1] != '\n') puffer[laenge++] = '\n';
  puffer[laenge] = '\0';
  return laenge;
}

int64_t Zarvo_Log::MikrosekundenSeitStart() const {
  if (!gestartet || g_ZeitFrequenz == 0) return 0;
  return int64_t(double(LiesZaehler() - startZaehler) * (1.0 / double(g_ZeitFrequenz)) * 1000000.0);
}

void Zarvo_Log::Schreibe(const char* format, ...) {
  va_list argumente;
  va_start(argumente, format);
  FormatiereZeile(format, argumente);
  va_end(argumente);
}

void Zarvo_Log::DebugAusgabe(const char* format, ...) {
  if (!g_tDebug.boolWert) return;
  va_list argumente;
  va_start(argumente, format);
  FormatiereZeile(format, argumente);
  va_end(argumente);
}

void Zarvo_Log::FormatiereZeile(const char* format, va_list argumente) {
  char puffer[PUFFER_GROESSE];
  size_t laenge = BaueZeile(puffer, MikrosekundenSeitStart(), win32::GetCurrentThreadId(), format, argumente);
  SchreibeZeile(std::string_view(puffer, laenge));
}

bool Zarvo_Log::AufHauptfaden() const { return hauptFaden != 0 && win32::GetCurrentThreadId() == hauptFaden; }

void Zarvo_Log::SchreibeZeile(std::string_view zeile) {
  if (absturzModus.load(std::memory_order_acquire)) {
    SchreibeAbsturzZeile(zeile, true);
    return;
  }
  if (!aktiv.load(std::memory_order_acquire)) {
    if (!gestartet) BehalteVorStart(zeile);
    return;
  }
  if (!AufHauptfaden()) {
    try {
      warteschlange->zeilen.enqueue(std::string(zeile));
    } catch (const std::bad_alloc&) {
      // No producer or no memory: the line is dropped.
    }
    return;
  }
  if (g_tLogfile.boolWert && datei) {
    fwrite(zeile.data(), 1, zeile.size(), datei);
    fflush(datei);
  }
  if (anzeige) anzeige->NeueZeile(zeile);
  if (echo) fwrite(zeile.data(), 1, zeile.size(), stdout);
}

void Zarvo_Log::BehalteVorStart(std::string_view zeile) {
  uint32_t faden = win32::GetCurrentThreadId();
  uint32_t erster = 0;
  if (!vorStartFaden.compare_exchange_strong(erster, faden) && erster != faden) return;
  if (IstFehlerzeile(zeile)) fwrite(zeile.data(), 1, zeile.size(), stderr);
  if (!vorStart) vorStart = std::make_unique<std::vector<std::string>>();
  if (vorStart->size() < MAX_VOR_START) vorStart->emplace_back(zeile);
}

void Zarvo_Log::Starte(const std::filesystem::path& verzeichnis, const char* dateiName) {
  echo = false;
  dateiDeskriptor.store(-1);
  if (datei) fclose(datei);
  datei = nullptr;
  pfad.reset();
  if (g_tLogfile.boolWert) {
    pfad = std::make_unique<std::filesystem::path>(verzeichnis / dateiName);
    datei = fopen(pfad->c_str(), "wb");
    dateiDeskriptor.store(win32::_fileno(datei));
  }
  if (!warteschlange) warteschlange.reset(new Warteschlange());
  hauptFaden = win32::GetCurrentThreadId();
  startZaehler = LiesZaehler();
  bool warGestartet = gestartet;
  gestartet = true;
  aktiv.store(true, std::memory_order_release);
  Schreibe("Log-Start");
  if (!warGestartet && vorStart) {
    std::unique_ptr<std::vector<std::string>> behalten = std::move(vorStart);
    for (const std::string& zeile : *behalten) SchreibeZeile(zeile);
  }
}

void Zarvo_Log::LeereWarteschlange() {
  if (!warteschlange || !AufHauptfaden()) return;
  moodycamel::ConsumerToken token(warteschlange->zeilen);
  std::string zeilen[MAX_BULK];
  for (;;) {
    size_t anzahl = warteschlange->zeilen.try_dequeue_bulk(token, zeilen, MAX_BULK);
    if (anzahl == 0) break;
    for (size_t i = 0; i < anzahl; ++i) SchreibeZeile(zeilen[i]);
  }
}

void Zarvo_Log::Schliesse() {
  LeereWarteschlange();
  aktiv.store(false, std::memory_order_release);
  dateiDeskriptor.store(-1);
  if (datei) fclose(datei);
  datei = nullptr;
  pfad.reset();
  warteschlange.reset();
  vorStart.reset();
}

void Zarvo_Log::SchreibeAbsturzZeile(std::string_view zeile, bool auchFehlerStrom) {
  int deskriptor = dateiDeskriptor.load();
  if (deskriptor >= 0) win32::_write(deskriptor, zeile.data(), zeile.size());
  if (auchFehlerStrom) win32::_write(win32::STDERR_DESKRIPTOR, zeile.data(), zeile.size());
}

void Zarvo_Log::BeginneAbsturz() {
  if (absturzModus.load()) return;
  if (warteschlange) {
    // Each bulk lands in fresh strings over slots that are never destroyed: moving a line in
    // allocates nothing, and no earlier line's buffer is freed.
    alignas(std::string) static unsigned char plaetze[MAX_BULK][sizeof(std::string)];
    std::string* zeilen = reinterpret_cast<std::string*>(plaetze);
    moodycamel::ConsumerToken token(warteschlange->zeilen);
    for (;;) {
      for (size_t i = 0; i < MAX_BULK; ++i) new (plaetze[i]) std::string();
      size_t anzahl = warteschlange->zeilen.try_dequeue_bulk(token, zeilen, MAX_BULK);
      if (anzahl == 0) break;
      for (size_t i = 0; i < anzahl; ++i) SchreibeAbsturzZeile(zeilen[i], false);
    }
  }
  absturzModus.store(true, std::memory_order_release);
}
