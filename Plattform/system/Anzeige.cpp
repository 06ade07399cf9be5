#include "Plattform/system/Anzeige.h"

#include <cstdlib>

namespace win32 {

bool ClipCursor(const RECT*) { return true; }

void WaehleSoftwareRasterung() { setenv("LIBGL_ALWAYS_SOFTWARE", "1", 1); }

}  // namespace win32
