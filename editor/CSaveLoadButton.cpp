#include "editor/CSaveLoadButton.h"

CSaveLoadButton::CSaveLoadButton(const CRect& size, CControlListener* listener, int32_t tag,
                                 int32_t heightOfOneImage, CBitmap* background,
                                 const CPoint& offset)
    : CKickButton(size, listener, tag, static_cast<CCoord>(heightOfOneImage), background, offset) {}

void CSaveLoadButton::draw(CDrawContext* context) {
    if (background) drawImage(context, value != 0.0f ? 2 : hover ? 1 : 0, offset);
    setDirty(false);
}

CMouseEventResult CSaveLoadButton::onMouseDown(CPoint&, const CButtonState& buttons) {
    if ((!buttons.isLeftButton() && !buttons.isRightButton()) || !listener)
        return kMouseEventNotHandled;
    value = buttons == kRButton ? 0.5f : 1.0f;
    listener->valueChanged(this);
    value = 0.0f;
    invalid();
    return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
}

CMouseEventResult CSaveLoadButton::onMouseEntered(CPoint&, const CButtonState&) {
    hover = true;
    invalid();
    return kMouseEventHandled;
}

CMouseEventResult CSaveLoadButton::onMouseExited(CPoint&, const CButtonState&) {
    hover = false;
    invalid();
    return kMouseEventHandled;
}

int32_t CSaveLoadButton::onKeyDown(CKeyCode&) {
    return kKeyNotHandled;
}
int32_t CSaveLoadButton::onKeyUp(CKeyCode&) {
    return kKeyNotHandled;
}
