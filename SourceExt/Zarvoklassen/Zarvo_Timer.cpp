#include "Zarvo_Timer.h"

#include "Plattform/system/Zaehler.h"

#include <algorithm>

int64_t g_ZeitFrequenz = win32::ZAEHLER_FREQUENZ;
float g_ZeitFrequenzF = float(win32::ZAEHLER_FREQUENZ);
float g_ZeitInversF = 1.0f / float(win32::ZAEHLER_FREQUENZ);
double g_ZeitFrequenzD = double(win32::ZAEHLER_FREQUENZ);
double g_ZeitInversD = 1.0 / double(win32::ZAEHLER_FREQUENZ);

void InitZeitFrequenz() {
  int64_t frequenz = 0;
  if (!win32::QueryPerformanceFrequency(&frequenz) || frequenz == 0) return;
  g_ZeitFrequenz = frequenz;
  g_ZeitFrequenzF = float(frequenz);
  g_ZeitInversF = 1.0f / g_ZeitFrequenzF;
  g_ZeitFrequenzD = double(frequenz);
  g_ZeitInversD = 1.0 / g_ZeitFrequenzD;
}

TZeit SekundenAlsTicks(float sekunden) { return TZeit(g_ZeitFrequenzF * sekunden); }

TZeit LiesZaehler() {
  int64_t wert = 0;
  win32::QueryPerformanceCounter(&wert);
  return wert;
}

Zarvo_Timer::Zarvo_Timer() : zaehlerJetzt(LiesZaehler()) { Fortschreiten(SekundenAlsTicks(0.02f)); }

void Zarvo_Timer::Aktualisiere() {
  int64_t alterVorher = zaehlerVorher;
  zaehlerVorher = zaehlerJetzt;
  zaehlerJetzt = LiesZaehler();
  if (pausiert) {
    letzterSchritt = 0;
    return;
  }
  TZeit schritt = TZeit(double((zaehlerJetzt - alterVorher) >> 1) * g_ZeitInversD * geschwindigkeit * g_ZeitFrequenzD);
  if (maxSchritt > 0) schritt = std::min(schritt, maxSchritt);
  Fortschreiten(schritt);
}

void Zarvo_Timer::Fortschreiten(TZeit schritt) {
  zeit += schritt;
  letzterSchritt = schritt;
  feuert = true;
  for (size_t i = 0; i < timer.size();) {
    const Eintrag& eintrag = timer[i];
    bool entfernt = std::find(aufgeschobeneEntfernungen.begin(), aufgeschobeneEntfernungen.end(), eintrag.id) !=
                    aufgeschobeneEntfernungen.end();
    if (entfernt || eintrag.faellig >= zeit) {
      ++i;
      continue;
    }
    // The callback may add timers and so move the vector: take the callable out first.
    std::function<void()> rueckruf = std::move(timer[i].rueckruf);
    if (rueckruf) rueckruf();
    timer.erase(timer.begin() + std::ptrdiff_t(i));
  }
  feuert = false;
  while (!aufgeschobeneEntfernungen.empty()) {
    uint64_t id = aufgeschobeneEntfernungen.back();
    aufgeschobeneEntfernungen.pop_back();
    EntferneErsten(id);
  }
}

uint64_t Zarvo_Timer::NeuerTimer(TZeit verzoegerung, std::function<void()> rueckruf) {
  uint64_t id = naechsteId++;
  timer.push_back({id, zeit + verzoegerung, std::move(rueckruf)});
  return id;
}

void Zarvo_Timer::EntferneTimer(uint64_t id) {
  if (feuert) aufgeschobeneEntfernungen.push_back(id);
  else EntferneErsten(id);
}

void Zarvo_Timer::EntferneErsten(uint64_t id) {
  auto stelle = std::find_if(timer.begin(), timer.end(), [id](const Eintrag& e) { return e.id == id; });
  if (stelle != timer.end()) timer.erase(stelle);
}
