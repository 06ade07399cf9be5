#pragma once
// Win32 display services the screen uses, on POSIX: the cursor clip (X11 has none to release,
// so releasing succeeds at once) and the switch to the software rasteriser.
namespace win32 {

struct RECT {
  long left, top, right, bottom;
};

// Confines the cursor to a rectangle; null releases it. Nothing is confined here: always true.
bool ClipCursor(const RECT* rechteck);

// From now on OpenGL contexts come from the software rasteriser (LIBGL_ALWAYS_SOFTWARE=1); must
// run before the window with its context is created.
void WaehleSoftwareRasterung();

}  // namespace win32
