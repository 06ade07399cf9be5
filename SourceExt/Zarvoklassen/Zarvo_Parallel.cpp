#include "Zarvo_Parallel.h"

#include "Plattform/system/ausnahmen.h"

#include "Zarvo_Ausnahme.h"
#include "Zarvo_ParallelSchlange.h"
#include "Zarvo_ParallelSperre.h"
#include "Zarvo_Start.h"

#include <cxxabi.h>

#include <algorithm>
#include <cassert>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <memory>
#include <new>
#include <string>
#include <typeinfo>

Zarvo_Parallel* g_Parallel = nullptr;
thread_local Zarvo_Parallel::Arbeiter* Zarvo_Parallel::t_aktuellerArbeiter = nullptr;

namespace ctx = boost::context::detail;

namespace {

thread_local Zarvo_Parallel::Auftrag* t_aktuellerAuftrag = nullptr;

// Blocks mapped at once when the first ones are used up; they count as allocated only when used.
constexpr size_t NACHSCHUB_BLOECKE = 64;

// A misuse that no caller can recover from: kept in release builds.
void PruefeAufruf(bool bedingung, const char* text) {
  if (bedingung) return;
  fprintf(stderr, "Zarvo_Parallel: %s\n", text);
  fflush(stderr);
  std::abort();
}

std::string TypName(const std::type_info& typ) {
  int status = 0;
  std::unique_ptr<char, void (*)(void*)> name(abi::__cxa_demangle(typ.name(), nullptr, nullptr, &status), std::free);
  return status == 0 && name ? std::string(name.get()) : std::string(typ.name());
}

void MeldeUnbehandelt(std::exception_ptr ausnahme) noexcept {
  try {
    std::rethrow_exception(ausnahme);
  } catch (const std::exception& fehler) {
    try {
      g_Log.Schreibe("Unbehandelte Ausnahme %s wegen \"%s\" bei Faser-Ausführung.", TypName(typeid(fehler)).c_str(), fehler.what());
    } catch (...) {
    }
  } catch (...) {
    g_Log.Schreibe("Unbehandelte sonstige Ausnahme bei Faser-Ausführung.");
  }
}

// Sets a flag when it goes out of scope, whatever way.
struct SetzeBeimVerlassen {
  std::atomic<bool>& flagge;
  bool wert;
  ~SetzeBeimVerlassen() { flagge.store(wert, std::memory_order_release); }
};

}  // namespace

// Stand-in record of a thread that waits outside a job: setting it forth wakes the thread. The
// waker holds the mutex while it sets the flag and signals, so the waiter cannot return (and end
// the record's life) before the waker is done with it.
struct Zarvo_Parallel::FadenWarter : Auftrag {
  std::mutex mutex;
  std::condition_variable signal;
  bool geweckt = false;

  FadenWarter(uint32_t warteGrund, void* warteObjekt, AuftragsHandle warteAuf) {
    typ = TYP_FADEN;
    grund = warteGrund;
    objekt = warteObjekt;
    erwartet = warteAuf;
  }

  void Blockiere() {
    std::unique_lock<std::mutex> sperre(mutex);
    signal.wait(sperre, [this] { return geweckt; });
  }

  void Wecke() {
    std::lock_guard<std::mutex> sperre(mutex);
    geweckt = true;
    signal.notify_one();
  }
};

// --- current job -------------------------------------------------------------------------------
// Not inlined and fenced: across a fiber switch the compiler must not keep the old thread's slot.

__attribute__((noinline)) Zarvo_Parallel::Auftrag* Zarvo_Parallel::AktuellerAuftrag() {
  std::atomic_signal_fence(std::memory_order_seq_cst);
  return t_aktuellerAuftrag;
}

__attribute__((noinline)) void Zarvo_Parallel::SetzeAktuellenAuftrag(Auftrag* auftrag) {
  std::atomic_signal_fence(std::memory_order_seq_cst);
  t_aktuellerAuftrag = auftrag;
  std::atomic_signal_fence(std::memory_order_seq_cst);
}

__attribute__((noinline)) Zarvo_Parallel::Arbeiter* Zarvo_Parallel::AktuellerArbeiter() {
  std::atomic_signal_fence(std::memory_order_seq_cst);
  return t_aktuellerArbeiter;
}

__attribute__((noinline)) void Zarvo_Parallel::SetzeAktuellenArbeiter(Arbeiter* arbeiter) {
  std::atomic_signal_fence(std::memory_order_seq_cst);
  t_aktuellerArbeiter = arbeiter;
  std::atomic_signal_fence(std::memory_order_seq_cst);
}

// --- the pool of free blocks -------------------------------------------------------------------

template <class Aufruf>
decltype(auto) Zarvo_Parallel::AmPool(Aufruf&& aufruf) {
  if constexpr (win32::MIT_FADEN_PRUEFER) {
    std::lock_guard<std::mutex> sperre(poolPruefSperre);
    return aufruf(pool);
  } else {
    return aufruf(pool);
  }
}

// --- life of the core --------------------------------------------------------------------------

uint32_t Zarvo_Parallel::ProzessorAnzahl() {
  win32::SYSTEM_INFO info{};
  win32::GetSystemInfo(&info);
  return info.dwNumberOfProcessors;
}

Zarvo_Parallel::Zarvo_Parallel(uint32_t anzahlParallel) {
  win32::SYSTEM_INFO info{};
  win32::GetSystemInfo(&info);
  if (SEITEN_GROESSE % info.dwPageSize != 0) ZARVO_AUSNAHME("Die Seitengröße passt nicht zu den Auftragsblöcken.");

  char* erste = BildeAbbildung(ERSTE_BLOECKE);
  std::vector<Auftrag*> bloecke;
  bloecke.reserve(ERSTE_BLOECKE);
  for (size_t i = 0; i < ERSTE_BLOECKE; ++i) {
    bloecke.push_back(RichteBlockEin(erste + i * BLOCK_GROESSE));
    win32::MeldeUebergabe(bloecke.back());
  }
  AmPool([&](auto& p) { return p.enqueue_bulk(bloecke.data(), bloecke.size()); });
  alloks.store(ERSTE_BLOECKE, std::memory_order_relaxed);

  const uint32_t n = win32::ZaehleProzessoren(anzahlParallel);
  g_Log.Schreibe("Starting parallel execution core: %d parallel threads, %d I/O threads", int(n), 1);
  schlangen[TYP_HAUPT - 1] = std::make_unique<Warteschlange>(1);
  schlangen[TYP_PARALLEL - 1] = std::make_unique<Warteschlange>(n);
  schlangen[TYP_EA - 1] = std::make_unique<Warteschlange>(1);
  hauptArbeiter.kern = this;
  hauptArbeiter.schlange = schlangen[TYP_HAUPT - 1].get();
  StarteArbeiter(parallelArbeiter, parallelFaeden, schlangen[TYP_PARALLEL - 1].get(), n);
  StarteArbeiter(eaArbeiter, eaFaeden, schlangen[TYP_EA - 1].get(), 1);
  g_Parallel = this;
}

void Zarvo_Parallel::StarteArbeiter(std::vector<Arbeiter*>& liste, std::vector<std::thread>& faeden, Warteschlange* schlange,
                                    uint32_t anzahl) {
  for (uint32_t i = 0; i < anzahl; ++i) {
    Arbeiter* arbeiter = new Arbeiter;
    arbeiter->kern = this;
    arbeiter->schlange = schlange;
    arbeiter->fach = i;
    liste.push_back(arbeiter);
    faeden.emplace_back([this, arbeiter] {
      // The crash handler's alternate signal stack, so an overflow on this thread is reported.
      unsigned long garantie = 0;
      win32::SetThreadStackGuarantee(&garantie);
      ArbeiterSchleife(arbeiter);
    });
  }
}

Zarvo_Parallel::~Zarvo_Parallel() {
  for (size_t i = 0; i < parallelFaeden.size(); ++i) schlangen[TYP_PARALLEL - 1]->SetzeHinten(nullptr);
  for (size_t i = 0; i < eaFaeden.size(); ++i) schlangen[TYP_EA - 1]->SetzeHinten(nullptr);
  for (std::thread& faden : parallelFaeden) faden.join();
  for (std::thread& faden : eaFaeden) faden.join();
  VerwerfeUngestartete();

  g_Parallel = nullptr;
  g_Log.Schreibe("Am Ende waren es %lld Alloks", (long long)alloks.load(std::memory_order_relaxed));

  for (Arbeiter* arbeiter : parallelArbeiter) delete arbeiter;
  for (Arbeiter* arbeiter : eaArbeiter) delete arbeiter;
  // Started jobs still parked are left as they are: their stacks cannot be unwound.
  for (Auftrag* auftrag : alleBloecke) {
    win32::ZerstoerePruefFaser(auftrag->eigenerStapel.pruefFaser);
    if (auftrag->zustand.load(std::memory_order_relaxed) == FREI) auftrag->~Auftrag();
  }
  for (void* abbildung : abbildungen) win32::VirtualFreeStapel(abbildung);
}

// Jobs queued but never started (type 1 without a MachSofort to run them, or queued behind the
// workers' stop marks) are destroyed unrun, their callables with them.
void Zarvo_Parallel::VerwerfeUngestartete() {
  for (std::unique_ptr<Warteschlange>& schlange : schlangen) {
    for (Auftrag* auftrag : schlange->NimmAlle()) {
      if (!auftrag || auftrag->zustand.load(std::memory_order_acquire) != EINGEREIHT) continue;
      win32::ZerstoerePruefFaser(auftrag->eigenerStapel.pruefFaser);
      auftrag->eigenerStapel.pruefFaser = nullptr;
      GibBlockZurueck(auftrag, nullptr);
    }
  }
}

Zarvo_Parallel::Lagebericht Zarvo_Parallel::GibLagebericht() {
  Lagebericht bericht{};
  for (int i = 0; i < 3; ++i) bericht.eingereiht[i] = schlangen[i]->Laenge();
  uint64_t beendet = verworfen.load(std::memory_order_relaxed) + hauptArbeiter.beendet.load(std::memory_order_relaxed);
  for (const std::vector<Arbeiter*>* liste : {&parallelArbeiter, &eaArbeiter})
    for (const Arbeiter* arbeiter : *liste) beendet += arbeiter->beendet.load(std::memory_order_relaxed);
  bericht.lebend = naechsteId.load(std::memory_order_relaxed) - 1 - beendet;
  return bericht;
}

// --- blocks ------------------------------------------------------------------------------------

char* Zarvo_Parallel::BildeAbbildung(size_t anzahl) {
  void* abbildung = win32::VirtualAllocStapel(anzahl, BLOCK_GROESSE, SEITEN_GROESSE, 2 * SEITEN_GROESSE);
  if (!abbildung) throw std::bad_alloc();
  abbildungen.push_back(abbildung);
  return static_cast<char*>(abbildung);
}

Zarvo_Parallel::Auftrag* Zarvo_Parallel::RichteBlockEin(char* block) {
  static_assert(sizeof(FadenWarter) <= SEITEN_GROESSE && sizeof(Auftrag) <= SEITEN_GROESSE);
  Auftrag* auftrag = new (block) Auftrag;
  auftrag->kern = this;
  alleBloecke.push_back(auftrag);
  return auftrag;
}

// A thread in a worker loop of this core takes from its loop's reserve; any other from the pool.
Zarvo_Parallel::Auftrag* Zarvo_Parallel::NimmBlock() {
  Arbeiter* arbeiter = AktuellerArbeiter();
  if (arbeiter && arbeiter->kern == this) return NimmAusVorrat(*arbeiter);
  Auftrag* auftrag = nullptr;
  if (AmPool([&](auto& p) { return p.try_dequeue(auftrag); })) {
    win32::MeldeUebernahme(auftrag);
    return auftrag;
  }
  return NeuerBlock();
}

namespace {

// The lines a new job's record and the top of its stack are written to, fetched ahead.
void HoleVorausZumSchreiben(Zarvo_Parallel::Auftrag* auftrag) {
  const char* anfang = reinterpret_cast<const char*>(auftrag);
  for (size_t versatz = 0; versatz < sizeof(Zarvo_Parallel::Auftrag); versatz += 64) __builtin_prefetch(anfang + versatz, 1);
  __builtin_prefetch(anfang + Zarvo_Parallel::BLOCK_GROESSE - 64, 1);
}

}  // namespace

Zarvo_Parallel::Auftrag* Zarvo_Parallel::NimmAusVorrat(Arbeiter& arbeiter) {
  if (arbeiter.vorratAnzahl == 0)
    arbeiter.vorratAnzahl = AmPool([&](auto& p) { return p.try_dequeue_bulk(arbeiter.vorrat, Arbeiter::VORRAT); });
  if (arbeiter.vorratAnzahl == 0) return NeuerBlock();
  Auftrag* auftrag = arbeiter.vorrat[--arbeiter.vorratAnzahl];
  win32::MeldeUebernahme(auftrag);
  if (arbeiter.vorratAnzahl != 0) HoleVorausZumSchreiben(arbeiter.vorrat[arbeiter.vorratAnzahl - 1]);
  return auftrag;
}

Zarvo_Parallel::Auftrag* Zarvo_Parallel::NeuerBlock() {
  std::lock_guard<std::mutex> sperre(vorratMutex);
  if (vorratRest == 0) {
    vorrat = BildeAbbildung(NACHSCHUB_BLOECKE);
    vorratRest = NACHSCHUB_BLOECKE;
  }
  Auftrag* auftrag = RichteBlockEin(vorrat);
  vorrat += BLOCK_GROESSE;
  --vorratRest;
  alloks.fetch_add(1, std::memory_order_relaxed);
  return auftrag;
}

void Zarvo_Parallel::GibBlockZurueck(Auftrag* auftrag, Arbeiter* arbeiter) {
  auftrag->id.store(FREIE_ID, std::memory_order_release);
  auftrag->typ = TYP_FREI;
  auftrag->zustand.store(FREI, std::memory_order_release);
  auftrag->funktion.Leere();
  win32::ZerstoerePruefFaser(auftrag->eigenerStapel.pruefFaser);
  auftrag->eigenerStapel.pruefFaser = nullptr;
  if (arbeiter)
    arbeiter->beendet.fetch_add(1, std::memory_order_relaxed);
  else
    verworfen.fetch_add(1, std::memory_order_relaxed);
  win32::MeldeUebergabe(auftrag);
  AmPool([&](auto& p) { return p.enqueue(auftrag); });
}

// --- creating and running jobs -----------------------------------------------------------------

Zarvo_Parallel::Auftrag* Zarvo_Parallel::NimmNeuenBlock(uint32_t typ) {
  const bool typGueltig = typ >= TYP_HAUPT && typ <= TYP_EA;
  assert(typGueltig && "job type outside 1-3");
  if (!typGueltig) return nullptr;
  return NimmBlock();
}

void Zarvo_Parallel::GibNeuenBlockZurueck(Auftrag* auftrag) {
  win32::MeldeUebergabe(auftrag);
  AmPool([&](auto& p) { return p.enqueue(auftrag); });
}

Zarvo_Parallel::AuftragsHandle Zarvo_Parallel::Starte(Auftrag* auftrag, uint32_t typ) {
  const uint64_t id = naechsteId.fetch_add(1, std::memory_order_relaxed);
  // The spin byte is left alone: a waiter holding a stale handle may hold it.
  auftrag->typ = typ;
  auftrag->prioritaet = 0;
  auftrag->faserKontext = nullptr;
  auftrag->arbeiterKontext = nullptr;
  auftrag->wartende = nullptr;
  auftrag->naechsterWartender = nullptr;
  auftrag->warteAnzahl.store(0, std::memory_order_relaxed);
  auftrag->grund = GRUND_KEINER;
  auftrag->objekt = nullptr;
  auftrag->erwartet = {};
  auftrag->zustand.store(EINGEREIHT, std::memory_order_release);
  auftrag->id.store(id, std::memory_order_release);
  ErzeugeKontext(auftrag);
  ReiheEin(auftrag);
  return {auftrag, id};
}

void Zarvo_Parallel::ErzeugeKontext(Auftrag* auftrag) {
  char* block = reinterpret_cast<char*>(auftrag);
  char* boden = block + 2 * SEITEN_GROESSE;
  auftrag->eigenerStapel = {boden, STAPEL_GROESSE, win32::ErzeugePruefFaser()};
  win32::GibStapelFrei(boden, STAPEL_GROESSE);
  auftrag->faserKontext = ctx::make_fcontext(block + BLOCK_GROESSE, STAPEL_GROESSE, &FaserEinstieg);
}

Zarvo_Parallel::Uebergabe Zarvo_Parallel::WechsleKontext(void* ziel, void* daten, const win32::FaserStapel& zielStapel,
                                                         win32::FaserStapel* herkunft, bool endgueltig) {
  void* falschStapel = nullptr;
  win32::BeginneFaserWechsel(endgueltig ? nullptr : &falschStapel, zielStapel);
  ctx::transfer_t zurueck = ctx::jump_fcontext(ziel, daten);
  win32::BeendeFaserWechsel(falschStapel, herkunft);
  return {zurueck.fctx, zurueck.data};
}

void Zarvo_Parallel::ReiheEin(Auftrag* auftrag) {
  if (auftrag->typ == TYP_FADEN) {
    SetzeFort(auftrag);
    return;
  }
  if (auftrag->typ < TYP_HAUPT || auftrag->typ > TYP_EA) return;
  schlangen[auftrag->typ - 1]->SetzeHinten(auftrag);
}

void Zarvo_Parallel::SetzeFort(Auftrag* auftrag) {
  if (auftrag->typ == TYP_FADEN)
    static_cast<FadenWarter*>(auftrag)->Wecke();
  else
    auftrag->kern->ReiheEin(auftrag);
}

void Zarvo_Parallel::ArbeiterSchleife(Arbeiter* arbeiter) {
  Arbeiter* vorher = AktuellerArbeiter();
  SetzeAktuellenArbeiter(arbeiter);
  Auftrag* vorne = nullptr;  // a job that put itself at the front of this worker's compartment
  while (!arbeiter->stop.load(std::memory_order_acquire)) {
    Auftrag* auftrag = vorne ? vorne : arbeiter->schlange->Nimm(arbeiter->fach);
    if (!auftrag) break;
    vorne = FuehreAus(auftrag, arbeiter);
  }
  if (vorne) arbeiter->schlange->SetzeVorne(vorne, arbeiter->fach);
  SetzeAktuellenArbeiter(vorher);
}

Zarvo_Parallel::Auftrag* Zarvo_Parallel::FuehreAus(Auftrag* auftrag, Arbeiter* arbeiter) {
  auftrag->arbeiterStapel.pruefFaser = win32::AktuellePruefFaser();
  Uebergabe zurueck = WechsleKontext(auftrag->faserKontext, auftrag, auftrag->eigenerStapel, nullptr);
  auftrag->faserKontext = zurueck.kontext;
  return NachRueckkehr(auftrag, arbeiter);
}

// The job has switched away completely: only now may it be listed where a waker finds it. A job
// that asked to go to the front of this worker's compartment is handed back to run next when
// nothing stands before the ring there: the same as putting it at the front and taking it again.
Zarvo_Parallel::Auftrag* Zarvo_Parallel::NachRueckkehr(Auftrag* auftrag, Arbeiter* arbeiter) {
  if (auftrag->zustand.load(std::memory_order_acquire) == FERTIG) {
    GibBlockZurueck(auftrag, arbeiter);
    return nullptr;
  }
  const uint32_t grund = auftrag->grund;
  auftrag->grund = GRUND_KEINER;
  if (grund == GRUND_KEINER) return nullptr;
  if (grund == GRUND_NOCHMAL) {
    if (arbeiter->schlange->VorneLeer(arbeiter->fach)) return auftrag;
    arbeiter->schlange->SetzeVorne(auftrag, arbeiter->fach);
    return nullptr;
  }
  if (!Parke(auftrag, grund)) ReiheEin(auftrag);
  return nullptr;
}

void Zarvo_Parallel::FaserEinstieg(ctx::transfer_t uebergabe) {
  Auftrag* auftrag = static_cast<Auftrag*>(uebergabe.data);
  win32::BeendeFaserWechsel(nullptr, &auftrag->arbeiterStapel);
  {
    SpinWaechter spin(&auftrag->spin);
    auftrag->zustand.store(LAEUFT, std::memory_order_relaxed);
  }
  auftrag->arbeiterKontext = uebergabe.fctx;
  SetzeAktuellenAuftrag(auftrag);
  FuehreFunktionAus(auftrag);
  SetzeAktuellenAuftrag(nullptr);
  BeendeAuftrag(auftrag);
  WechsleKontext(auftrag->arbeiterKontext, auftrag, auftrag->arbeiterStapel, nullptr, true);
  PruefeAufruf(false, "ein beendeter Auftrag wurde fortgesetzt");
}

// Nothing may unwind through the fiber entry: every exception ends here.
void Zarvo_Parallel::FuehreFunktionAus(Auftrag* auftrag) {
  try {
    auftrag->funktion();
  } catch (...) {
    MeldeUnbehandelt(std::current_exception());
  }
  auftrag->funktion.Leere();
}

void Zarvo_Parallel::BeendeAuftrag(Auftrag* auftrag) {
  Auftrag* wartende = nullptr;
  {
    SpinWaechter spin(&auftrag->spin);
    auftrag->zustand.store(FERTIG, std::memory_order_release);
    wartende = auftrag->wartende;
    auftrag->wartende = nullptr;
  }
  while (wartende) {
    Auftrag* warter = wartende;
    wartende = warter->naechsterWartender;
    warter->naechsterWartender = nullptr;
    if (warter->warteAnzahl.fetch_sub(1, std::memory_order_acq_rel) == 1) SetzeFort(warter);
  }
}

// --- waiting -----------------------------------------------------------------------------------

void Zarvo_Parallel::Unterbreche(Auftrag* auftrag) {
  PruefeAufruf(auftrag != nullptr && auftrag == AktuellerAuftrag(), "Unterbreche ohne laufenden Auftrag aufgerufen");
  SetzeAktuellenAuftrag(nullptr);
  Uebergabe zurueck = WechsleKontext(auftrag->arbeiterKontext, auftrag, auftrag->arbeiterStapel, &auftrag->arbeiterStapel);
  auftrag->arbeiterKontext = zurueck.kontext;
  SetzeAktuellenAuftrag(auftrag);
}

void Zarvo_Parallel::Suspendiere(uint32_t grund, void* objekt, AuftragsHandle erwartet) {
  Auftrag* auftrag = AktuellerAuftrag();
  if (auftrag) {
    auftrag->grund = grund;
    auftrag->objekt = objekt;
    auftrag->erwartet = erwartet;
    Unterbreche(auftrag);
    return;
  }
  FadenWarter warter(grund, objekt, erwartet);
  if (Parke(&warter, grund)) warter.Blockiere();
}

bool Zarvo_Parallel::Parke(Auftrag* auftrag, uint32_t grund) {
  switch (grund) {
    case GRUND_AUFTRAG:
      return ListeAlsWartenden(auftrag->erwartet, auftrag);
    case GRUND_GEMEINSAM:
      return static_cast<LeseSchreibSperre*>(auftrag->objekt)->ListeWennBesetzt(auftrag, false);
    case GRUND_EXKLUSIV:
      return static_cast<LeseSchreibSperre*>(auftrag->objekt)->ListeWennBesetzt(auftrag, true);
    case GRUND_ZAEHLER:
      return static_cast<WarteZaehler*>(auftrag->objekt)->ListeWennNichtNull(auftrag);
    default:
      return false;
  }
}

namespace {
bool IstAktiv(uint32_t zustand) { return zustand == Zarvo_Parallel::EINGEREIHT || zustand == Zarvo_Parallel::LAEUFT; }
}  // namespace

// A first look without the spin byte: a job seen finished stays finished (its id changes only
// after that), and one seen running is checked again under the spin byte before it is waited for.
bool Zarvo_Parallel::LaeuftNoch(AuftragsHandle handle) {
  return handle.auftrag->id.load(std::memory_order_acquire) == handle.id &&
         IstAktiv(handle.auftrag->zustand.load(std::memory_order_acquire));
}

bool Zarvo_Parallel::ListeAlsWartenden(AuftragsHandle erwartet, Auftrag* warter) {
  Auftrag* ziel = erwartet.auftrag;
  SpinWaechter spin(&ziel->spin);
  if (ziel->id.load(std::memory_order_acquire) != erwartet.id || !IstAktiv(ziel->zustand.load(std::memory_order_acquire)))
    return false;
  warter->naechsterWartender = ziel->wartende;
  ziel->wartende = warter;
  warter->warteAnzahl.fetch_add(1, std::memory_order_relaxed);
  return true;
}

void Zarvo_Parallel::WarteAuf(AuftragsHandle handle) {
  if (!handle.auftrag || !LaeuftNoch(handle)) return;
  Suspendiere(GRUND_AUFTRAG, nullptr, handle);
}

void Zarvo_Parallel::MachSofort(std::function<void()> funktion, Zarvo_QuellOrt) {
  PruefeAufruf(AktuellerAuftrag() == nullptr, "MachSofort innerhalb eines Auftrags aufgerufen");
  bool frei = false;
  PruefeAufruf(machSofortLaeuft.compare_exchange_strong(frei, true), "MachSofort auf zwei Threads zugleich aufgerufen");
  SetzeBeimVerlassen wiederFrei{machSofortLaeuft, false};  // also when creating the job throws
  std::exception_ptr fehler;
  ErzeugeAuftrag(TYP_HAUPT, [this, &funktion, &fehler] {
    SetzeBeimVerlassen stop{hauptArbeiter.stop, true};
    try {
      funktion();
    } catch (...) {
      fehler = std::current_exception();
    }
  });
  ArbeiterSchleife(&hauptArbeiter);
  hauptArbeiter.stop.store(false, std::memory_order_relaxed);
  if (fehler) std::rethrow_exception(fehler);
}
