// X calls the editor test needs beyond the fixture's, kept out of the test's own file (Xlib's
// macros clash with GoogleTest's names).
#pragma once

typedef struct _XDisplay Display;

namespace xprobe {

// The only child of `window`, or 0 when it has none or several.
unsigned long onlyChild(Display* display, unsigned long window);
// The flags word of the window's _XEMBED_INFO, or -1 without one.
long xembedFlags(Display* display, unsigned long window);
void pressButton(Display* display, bool down);
// The window's width, or -1 when it cannot be read.
int windowWidth(Display* display, unsigned long window);
// From now on, the server tells this connection when a child of `window` goes.
void watchChildren(Display* display, unsigned long window);
// Whether a child of a watched `window` has been destroyed since (takes those notices).
bool childDestroyed(Display* display, unsigned long window);

} // namespace xprobe
