#include "XScribble.h"

#include <X11/Xlib.h>

void scribbleAndExpose(Display* display, unsigned long window, int x, int y, int width,
                       int height) {
    GC gc = XCreateGC(display, window, 0, nullptr);
    XSetForeground(display, gc, BlackPixel(display, DefaultScreen(display)));
    XFillRectangle(display, window, gc, x, y, static_cast<unsigned>(width),
                   static_cast<unsigned>(height));
    XFreeGC(display, gc);
    // A window without a background keeps its pixels: only the expose reaches the editor.
    XClearArea(display, window, 0, 0, 0, 0, True);
    XSync(display, False);
}
