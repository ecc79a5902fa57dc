#include "XModifiers.h"

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

void withKeyHeld(Display* display, HeldKey key, const std::function<void()>& gesture) {
    const KeySym keysym = key == HeldKey::control ? XK_Control_L : XK_Shift_L;
    const KeyCode code = XKeysymToKeycode(display, keysym);
    XTestFakeKeyEvent(display, code, True, CurrentTime);
    XSync(display, False);
    gesture();
    XTestFakeKeyEvent(display, code, False, CurrentTime);
    XSync(display, False);
}
