#include "Zarvo_AudioInstanz.h"

Zarvo_Audio g_Audio;
