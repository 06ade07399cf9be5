// The start-up objects of the engine, in the order in which they come into being.
#include "Zarvo_Start.h"

#include "Zarvo_AbsturzFilter.h"
#include "Zarvo_Screen3D.h"
#include "Zarvo_ZeichenKontext.h"

#include "Plattform/system/Zaehler.h"

namespace {

struct BefehlsRegisterFreigabe {
  ~BefehlsRegisterFreigabe() { Zarvo_Konsolenbefehl::GibRegisterFrei(); }
};

struct ZeitFrequenz {
  ZeitFrequenz() { InitZeitFrequenz(); }
};

struct AbsturzFilterInstallation {
  AbsturzFilterInstallation() { InstalliereAbsturzFilter(); }
  ~AbsturzFilterInstallation() { EntferneAbsturzFilter(); }
};

struct TimerAufloesung {
  TimerAufloesung() { win32::timeBeginPeriod(1); }
};

constexpr uint32_t NUR_LESEN = Zarvo_Variable::NUR_LESEN;
constexpr uint32_t GESPEICHERT = Zarvo_Variable::GESPEICHERT;

}  // namespace

// Constant-initialised: usable by every object below, destroyed after all of them.
constinit Zarvo_Log g_Log;

Zarvo_System g_System;
Zarvo_Timer g_Zeit;

static BefehlsRegisterFreigabe befehlsRegisterFreigabe;
std::filesystem::path g_KonfigPfad;

Zarvo_ProfilManager g_Profil;

Zarvo_Variable g_tKonfig("t_konfig", Zarvo_Variable::TEXT, "programm.cfg", NUR_LESEN, nullptr);
Zarvo_Variable g_tDebug("t_debug", true, NUR_LESEN | GESPEICHERT, nullptr);
Zarvo_Variable g_tLogfile("t_logfile", true, NUR_LESEN | GESPEICHERT, nullptr);

static ZeitFrequenz zeitFrequenz;

Zarvo_Konsolenbefehl g_BefehlQuit("quit", [](std::string&) { g_System.Beende(); });
static AbsturzFilterInstallation absturzFilterInstallation;
Zarvo_Konsolenbefehl g_BefehlSet("set", Zarvo_Variable::KonsolenBefehl);
Zarvo_Konsolenbefehl g_BefehlHelp("help", Zarvo_Konsolenbefehl::ZeigeListe);

static TimerAufloesung timerAufloesung;

Zarvo_Variable g_DisplayBreite("displaywidth", 0, Zarvo_Screen3D::DarstellungGeaendert);
Zarvo_Variable g_DisplayHoehe("displayheight", 0, Zarvo_Screen3D::DarstellungGeaendert);
Zarvo_Variable g_DisplayTiefe("displaydepth", 32, Zarvo_Screen3D::DarstellungGeaendert);
Zarvo_Variable g_Vollbild("fullscreen", true, GESPEICHERT, Zarvo_Screen3D::DarstellungGeaendert);
Zarvo_Variable g_VSync("vsync", true, GESPEICHERT, Zarvo_Screen3D::DarstellungGeaendert);
Zarvo_Variable g_DebugShader("debugShader", false, GESPEICHERT, nullptr);
Zarvo_Konsolenbefehl g_BefehlReinitVideo("reinitvideo", Zarvo_Screen3D::SetDarstellung);
Zarvo_Konsolenbefehl g_BefehlVideoRam("videoram", [](std::string&) {
  if (Zarvo_ZeichenKontext* kontext = Zarvo_Screen3D::GibZeichenKontext()) kontext->LogStatistik();
});
Zarvo_Variable g_Sprache("sprache", -1, nullptr);
