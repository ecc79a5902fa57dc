// Mouse buttons, modifier keys and the answers a view gives to a mouse event.
#pragma once

#include <cstdint>

enum CButton : int32_t {
    kLButton = 1 << 1,
    kMButton = 1 << 2,
    kRButton = 1 << 3,
    kShift = 1 << 4,
    kControl = 1 << 5,
    kAlt = 1 << 6,
    kApple = 1 << 7,
    kDoubleClick = 1 << 10,
};

class CButtonState {
  public:
    CButtonState(int32_t state = 0) : state(state) {}
    operator int32_t() const { return state; }
    bool isLeftButton() const { return (state & kLButton) != 0; }
    bool isRightButton() const { return (state & kRButton) != 0; }
    bool isDoubleClick() const { return (state & kDoubleClick) != 0; }
    int32_t getButtonState() const { return state & (kLButton | kMButton | kRButton); }
    int32_t getModifierState() const { return state & (kShift | kControl | kAlt | kApple); }

  private:
    int32_t state;
};

enum CMouseEventResult : int32_t {
    kMouseEventNotImplemented = 0,
    kMouseEventHandled = 1,
    kMouseEventNotHandled = 2,
    kMouseDownEventHandledButDontNeedMovedOrUpEvents = 3,
};
