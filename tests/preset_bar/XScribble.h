// Paints over a window from the test's own connection, as a dialog's leftovers would, and
// asks the server to expose it (kept out of the fixture header, away from Xlib's macros).
#pragma once

typedef struct _XDisplay Display;

// Fills the rectangle with black, then exposes the whole window without clearing it.
void scribbleAndExpose(Display* display, unsigned long window, int x, int y, int width, int height);
