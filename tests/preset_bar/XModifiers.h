// Modifier keys held through XTest around a pointer gesture (kept out of the fixture header,
// whose users must not see Xlib's macros).
#pragma once

#include <functional>

typedef struct _XDisplay Display;

enum class HeldKey { control, shift };

// Presses the modifier, runs the gesture and releases the modifier again.
void withKeyHeld(Display* display, HeldKey key, const std::function<void()>& gesture);
