#pragma once
// The process-wide audio system of the game. Its definition is linked only into the game, after
// the engine's start-up objects (Zarvo_Start.cpp), so it is built after them and ends before them.
#include "Zarvo_Audio.h"

extern Zarvo_Audio g_Audio;
