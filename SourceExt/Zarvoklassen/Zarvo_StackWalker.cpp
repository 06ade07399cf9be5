#include "Zarvo_StackWalker.h"

#include "Zarvo_Start.h"

// Through "%s": a frame text may hold '%' (operator% is a function name).
void Zarvo_StackWalker::Ausgabe(const char* text) { g_Log.Schreibe("%s", text); }
