#pragma once
// The engine's start-up objects. They are all defined in Zarvo_Start.cpp, in the order in which
// they must come into being (C++ orders globals only within one file); their destructors run in
// reverse order at program end.
#include "Zarvo_Konsolenbefehl.h"
#include "Zarvo_Log.h"
#include "Zarvo_ProfilManager.h"
#include "Zarvo_System.h"
#include "Zarvo_Timer.h"
#include "Zarvo_Variable.h"

#include <filesystem>

extern Zarvo_System g_System;
extern Zarvo_Timer g_Zeit;                   // the frame clock
extern std::filesystem::path g_KonfigPfad;   // remembered by Zarvo_Konfig::Lade
extern Zarvo_Log g_Log;
extern Zarvo_ProfilManager g_Profil;

extern Zarvo_Variable g_tKonfig;             // "t_konfig"
extern Zarvo_Variable g_tDebug;              // "t_debug": debug lines, read-only override of "set"
extern Zarvo_Variable g_tLogfile;            // "t_logfile": file logging
extern Zarvo_Konsolenbefehl g_BefehlQuit;
extern Zarvo_Konsolenbefehl g_BefehlSet;
extern Zarvo_Konsolenbefehl g_BefehlHelp;
extern Zarvo_Variable g_DisplayBreite;       // "displaywidth"
extern Zarvo_Variable g_DisplayHoehe;        // "displayheight"
extern Zarvo_Variable g_DisplayTiefe;        // "displaydepth"
extern Zarvo_Variable g_Vollbild;            // "fullscreen"
extern Zarvo_Variable g_VSync;               // "vsync"
extern Zarvo_Variable g_DebugShader;         // "debugShader"
extern Zarvo_Konsolenbefehl g_BefehlReinitVideo;  // "reinitvideo"
extern Zarvo_Konsolenbefehl g_BefehlVideoRam;     // "videoram"
extern Zarvo_Variable g_Sprache;             // "sprache"
