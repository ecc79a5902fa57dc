#include "editor/CPSKickButton.h"

CPSKickButton::CPSKickButton(const CRect& size, CControlListener* listener, int32_t tag,
                             int32_t heightOfOneImage, CBitmap* background, const CPoint& offset,
                             bool doubleClickOnly)
    : CKickButton(size, listener, tag, static_cast<CCoord>(heightOfOneImage), background, offset),
      doubleClickOnly(doubleClickOnly) {}

void CPSKickButton::draw(CDrawContext* context) {
    if (background) drawImage(context, pressed ? 2 : hover ? 1 : 0, offset);
    setDirty(false);
}

CMouseEventResult CPSKickButton::onMouseDown(CPoint&, const CButtonState& buttons) {
    if (!buttons.isLeftButton()) return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
    if (doubleClickOnly && !buttons.isDoubleClick())
        return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
    pressed = true;
    value = doubleClickOnly && (buttons & kControl) ? 0.5f : 1.0f;
    if (listener) listener->valueChanged(this);
    invalid();
    return kMouseEventHandled;
}

CMouseEventResult CPSKickButton::onMouseUp(CPoint&, const CButtonState&) {
    value = 0.0f;
    pressed = false;
    invalid();
    return kMouseEventHandled;
}

CMouseEventResult CPSKickButton::onMouseEntered(CPoint&, const CButtonState&) {
    hover = true;
    invalid();
    return kMouseEventHandled;
}

CMouseEventResult CPSKickButton::onMouseExited(CPoint&, const CButtonState&) {
    hover = false;
    invalid();
    return kMouseEventHandled;
}
