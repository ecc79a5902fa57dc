#include "XEmbedProbe.h"

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

namespace xprobe {

unsigned long onlyChild(Display* display, unsigned long window) {
    Window root = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display, window, &root, &parent, &children, &count)) return 0;
    const Window child = count == 1 ? children[0] : 0;
    if (children) XFree(children);
    return child;
}

long xembedFlags(Display* display, unsigned long window) {
    const Atom info = XInternAtom(display, "_XEMBED_INFO", False);
    Atom type = 0;
    int format = 0;
    unsigned long items = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(display, window, info, 0, 2, False, info, &type, &format, &items, &after,
                           &data) != Success ||
        !data)
        return -1;
    const long flags = items == 2 && format == 32 ? reinterpret_cast<long*>(data)[1] : -1;
    XFree(data);
    return flags;
}

void pressButton(Display* display, bool down) {
    XTestFakeButtonEvent(display, 1, down ? True : False, CurrentTime);
    XSync(display, False);
}

int windowWidth(Display* display, unsigned long window) {
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display, window, &attributes)) return -1;
    return attributes.width;
}

void watchChildren(Display* display, unsigned long window) {
    XSelectInput(display, window, SubstructureNotifyMask);
    XSync(display, False);
}

bool childDestroyed(Display* display, unsigned long window) {
    XSync(display, False);
    XEvent event;
    bool destroyed = false;
    while (XCheckTypedWindowEvent(display, window, DestroyNotify, &event))
        destroyed = true;
    return destroyed;
}

} // namespace xprobe
