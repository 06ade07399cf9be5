#pragma once
// Engine time. All time is counted in performance-counter ticks (TZeit). Zarvo_Timer turns the
// counter into a game clock: it can run faster or slower, be paused and be limited per step, and
// it fires one-shot callbacks once its time has passed their due time. The global instance
// g_Zeit (Zarvo_Start.h) is the frame clock, ticked once per frame by the main loop; its time is
// the current time of graphics, widgets and game.
#include <cstdint>
#include <functional>
#include <vector>

using TZeit = int64_t;

// Counter constants: the frequency as i64, f32 and f64 with their inverses. Seconds become ticks
// by multiplying with the frequency, ticks seconds with the inverse. They are constant-initialised
// from the platform's fixed frequency; InitZeitFrequenz sets them again from the platform.
extern int64_t g_ZeitFrequenz;
extern float g_ZeitFrequenzF;
extern float g_ZeitInversF;
extern double g_ZeitFrequenzD;
extern double g_ZeitInversD;

void InitZeitFrequenz();

// Ticks of the given seconds at the f32 frequency, truncated (how the callers convert delays).
TZeit SekundenAlsTicks(float sekunden);

// The current counter value.
TZeit LiesZaehler();

class Zarvo_Timer {
 public:
  // Running, speed 1, no step bound, time 0; then one advance of 0.02 s.
  Zarvo_Timer();

  // The per-frame tick: half the real time of the last two frame intervals, times the speed,
  // bounded by the max step; nothing while paused.
  void Aktualisiere();
  // Advances the time by `schritt` and fires the timers whose due time lies strictly before it.
  void Fortschreiten(TZeit schritt);

  // One-shot callback `verzoegerung` ticks from now; returns its id (ids count from 0).
  uint64_t NeuerTimer(TZeit verzoegerung, std::function<void()> rueckruf);
  // Removes a timer; while timers fire the removal is deferred to the end of the walk.
  void EntferneTimer(uint64_t id);

  void Pausiere() { pausiert = true; }
  void Fortsetzen() { pausiert = false; }
  void SetMaxSchritt(TZeit ticks) { maxSchritt = ticks > 0 ? ticks : 0; }
  void SetGeschwindigkeit(double faktor) { geschwindigkeit = faktor; }

  bool IstPausiert() const { return pausiert; }
  size_t AnzahlTimer() const { return timer.size(); }

  struct Eintrag {
    uint64_t id;
    TZeit faellig;
    std::function<void()> rueckruf;
  };

  // Read directly by the users: the clock's time and the step of the latest tick.
  TZeit zeit = 0;
  TZeit letzterSchritt = 0;

 private:
  void EntferneErsten(uint64_t id);

  bool pausiert = false;
  int64_t zaehlerJetzt = 0;
  int64_t zaehlerVorher = 0;
  double geschwindigkeit = 1.0;
  TZeit maxSchritt = 0;
  std::vector<Eintrag> timer;
  bool feuert = false;
  std::vector<uint64_t> aufgeschobeneEntfernungen;
  uint64_t naechsteId = 0;
};
