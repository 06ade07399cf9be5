#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "Plattform/system/Faden.h"
#include "Zarvo_Parallel.h"
#include "Zarvo_ParallelSperre.h"

// Order of the lock and the counter. Only type-1 jobs, created in one MachSofort body: they all
// run on the MachSofort thread in queue order, so each case has exactly one event list. Every
// case's last job ("auf") opens the gate the holders wait on.
namespace {

using Sperre = Zarvo_Parallel::LeseSchreibSperre;

struct Ablauf {
  Zarvo_Parallel& kern;
  std::vector<std::string> ereignisse;
  std::vector<Zarvo_Parallel::AuftragsHandle> auftraege;
  Sperre sperre;
  Zarvo_Parallel::WarteZaehler tor;
  Zarvo_Parallel::WarteZaehler zaehler;
  uint32_t faden = win32::GetCurrentThreadId();

  explicit Ablauf(Zarvo_Parallel& kern) : kern(kern) { tor.anzahl = 1; }

  void Notiere(const std::string& ereignis) {
    EXPECT_EQ(win32::GetCurrentThreadId(), faden);
    ereignisse.push_back(ereignis);
  }
  void Auftrag(std::function<void()> funktion) { auftraege.push_back(kern.StarteHauptAuftrag(std::move(funktion))); }

  // Holds the lock until the gate opens.
  void Halter(const std::string& name, bool exklusiv) {
    Auftrag([this, name, exklusiv] {
      exklusiv ? sperre.SperreExklusiv() : sperre.SperreGemeinsam();
      Notiere(name + " hat");
      tor.Warte();
      Notiere(name + " gibt");
      exklusiv ? sperre.GibExklusivFrei() : sperre.GibGemeinsamFrei();
    });
  }
  // Asks for the lock and gives it back at once.
  void Frager(const std::string& name, bool exklusiv) {
    Auftrag([this, name, exklusiv] {
      Notiere(name + " will");
      exklusiv ? sperre.SperreExklusiv() : sperre.SperreGemeinsam();
      Notiere(name + " hat");
      exklusiv ? sperre.GibExklusivFrei() : sperre.GibGemeinsamFrei();
    });
  }
  void Oeffner() {
    Auftrag([this] {
      Notiere("auf");
      tor.Vermindere();
    });
  }
};

struct Fall {
  const char* name;
  std::function<void(Ablauf&)> aufbau;
  std::vector<std::string> erwartet;
};

std::vector<std::string> VieleLeser(const char* was, int anzahl) {
  std::vector<std::string> liste;
  for (int i = 1; i <= anzahl; ++i) liste.push_back("R" + std::to_string(i) + was);
  return liste;
}

std::vector<std::string> Verbinde(std::vector<std::vector<std::string>> teile) {
  std::vector<std::string> ganz;
  for (auto& teil : teile) ganz.insert(ganz.end(), teil.begin(), teil.end());
  return ganz;
}

}  // namespace

TEST(ParallelSperre, ReihenfolgeTabelle) {
  const Fall faelle[] = {
      {"Leser, Schreiber, Leser",
       [](Ablauf& a) {
         a.Halter("R1", false);
         a.Halter("R2", false);
         a.Frager("W", true);
         a.Frager("R3", false);
         a.Oeffner();
       },
       {"R1 hat", "R2 hat", "W will", "R3 will", "auf", "R1 gibt", "R2 gibt", "W hat", "R3 hat"}},
      {"Schreiber gibt frei: nur der Schreiber wacht",
       [](Ablauf& a) {
         a.Halter("W1", true);
         a.Frager("W2", true);
         a.Frager("R1", false);
         a.Frager("R2", false);
         a.Oeffner();
       },
       {"W1 hat", "W2 will", "R1 will", "R2 will", "auf", "W1 gibt", "W2 hat", "R1 hat", "R2 hat"}},
      {"Schreiber: erster Platz, der letzte rueckt nach",
       [](Ablauf& a) {
         a.Halter("W1", true);
         a.Frager("W2", true);
         a.Frager("W3", true);
         a.Frager("W4", true);
         a.Oeffner();
       },
       {"W1 hat", "W2 will", "W3 will", "W4 will", "auf", "W1 gibt", "W2 hat", "W4 hat", "W3 hat"}},
      {"40 Leser hinter einem Schreiber",
       [](Ablauf& a) {
         a.Halter("W", true);
         for (int i = 1; i <= 40; ++i) a.Frager("R" + std::to_string(i), false);
         a.Oeffner();
       },
       Verbinde({{"W hat"}, VieleLeser(" will", 40), {"auf", "W gibt"}, VieleLeser(" hat", 40)})},
      {"Zaehler: drei Wartende, drei Verminderungen",
       [](Ablauf& a) {
         a.zaehler.anzahl = 3;
         for (const char* name : {"A", "B", "C"})
           a.Auftrag([&a, name] {
             a.Notiere(std::string(name) + " wartet");
             a.zaehler.Warte();
             a.Notiere(std::string(name) + " weiter");
           });
         for (int i = 0; i < 3; ++i) a.Auftrag([&a] { a.Notiere("gab " + std::to_string(a.zaehler.Vermindere())); });
       },
       {"A wartet", "B wartet", "C wartet", "gab 3", "gab 2", "gab 0", "A weiter", "B weiter", "C weiter"}},
      {"Zaehler auf 0: Warte haelt nicht an",
       [](Ablauf& a) {
         a.Auftrag([&a] {
           a.Auftrag([&a] { a.Notiere("anderer"); });
           a.zaehler.Warte();
           a.Notiere("nach Warte");
         });
       },
       {"nach Warte", "anderer"}},
  };
  for (const Fall& fall : faelle) {
    SCOPED_TRACE(fall.name);
    Zarvo_Parallel kern(1);
    Ablauf ablauf(kern);
    kern.MachSofort([&] {
      fall.aufbau(ablauf);
      for (size_t i = 0; i < ablauf.auftraege.size(); ++i) Zarvo_Parallel::WarteAuf(ablauf.auftraege[i]);
    });
    EXPECT_EQ(ablauf.ereignisse, fall.erwartet);
  }
}

TEST(ParallelSperre, WarteListeDienterstenPlatzUeberBeideTeile) {
  Zarvo_Parallel::WarteListe liste;
  std::vector<Zarvo_Parallel::Auftrag> auftraege(40);
  for (auto& auftrag : auftraege) liste.Fuege(&auftrag);
  EXPECT_EQ(liste.Anzahl(), 40u);
  // The first slot is served; the last listed (in the overflow) moves into it.
  EXPECT_EQ(liste.NimmErsten(), &auftraege[0]);
  EXPECT_EQ(liste.NimmErsten(), &auftraege[39]);
  EXPECT_EQ(liste.NimmErsten(), &auftraege[38]);
  Zarvo_Parallel::WarteListe rest;
  liste.NimmAlleNach(rest);
  EXPECT_TRUE(liste.Leer());
  std::vector<Zarvo_Parallel::Auftrag*> gesehen;
  rest.FuerAlle([&](Zarvo_Parallel::Auftrag* auftrag) { gesehen.push_back(auftrag); });
  ASSERT_EQ(gesehen.size(), 37u);
  EXPECT_EQ(gesehen[0], &auftraege[37]);
  for (size_t i = 1; i < 37; ++i) EXPECT_EQ(gesehen[i], &auftraege[i]);
}
