// A key as the editor receives it: a character, or a virtual key for keys that have none.
#pragma once

#include <cstdint>

enum CVirtualKey : uint8_t {
    VKEY_BACK = 1,
    VKEY_TAB = 2,
    VKEY_RETURN = 19,
    VKEY_ESCAPE = 23,
    VKEY_END = 25,
    VKEY_HOME = 26,
    VKEY_LEFT = 27,
    VKEY_UP = 28,
    VKEY_RIGHT = 29,
    VKEY_DOWN = 30,
    VKEY_DELETE = 34,
    VKEY_ENTER = 38,
};

enum CKeyModifier : uint8_t {
    kModifierShift = 1 << 0,
    kModifierAlternate = 1 << 1,
    kModifierCommand = 1 << 2,
    kModifierControl = 1 << 3,
};

struct CKeyCode {
    int32_t character = 0;
    uint8_t virt = 0;
    uint8_t modifier = 0;
};

// Answers of a view's key handlers: 1 handled, -1 not handled.
inline constexpr int32_t kKeyHandled = 1;
inline constexpr int32_t kKeyNotHandled = -1;
