#include "editor/CPSRockerSwitch.h"

CPSRockerSwitch::CPSRockerSwitch(const CRect& size, CControlListener* listener, int32_t tag,
                                 int32_t heightOfOneImage, CBitmap* background,
                                 const CPoint& offset, int32_t style)
    : CRockerSwitch(size, listener, tag, static_cast<CCoord>(heightOfOneImage), background, offset,
                    style) {}

int32_t CPSRockerSwitch::sideOf(const CPoint& where) const {
    const CCoord middle = (size.left + size.right) / 2;
    return where.x < middle ? -1 : 1;
}

int32_t CPSRockerSwitch::imageIndex() const {
    if (value == -1.0f) return 3;
    if (value == 1.0f) return 4;
    return hoverSide == -1 ? 1 : hoverSide == 1 ? 2 : 0;
}

void CPSRockerSwitch::draw(CDrawContext* context) {
    // The rocker's images always start at the top of its bitmap.
    if (background) drawImage(context, imageIndex(), CPoint(0, 0));
    setDirty(false);
}

CMouseEventResult CPSRockerSwitch::onMouseDown(CPoint& where, const CButtonState& buttons) {
    if (!buttons.isLeftButton()) return kMouseEventNotHandled;
    value = static_cast<float>(sideOf(where));
    invalid();
    if (listener) listener->valueChanged(this);
    return kMouseEventHandled;
}

CMouseEventResult CPSRockerSwitch::onMouseUp(CPoint&, const CButtonState&) {
    value = 0.0f;
    invalid();
    return kMouseEventHandled;
}

CMouseEventResult CPSRockerSwitch::onMouseMoved(CPoint& where, const CButtonState& buttons) {
    if (buttons.isLeftButton()) return kMouseEventHandled;
    return onMouseEntered(where, buttons);
}

CMouseEventResult CPSRockerSwitch::onMouseEntered(CPoint& where, const CButtonState&) {
    hoverSide = sideOf(where);
    invalid();
    return kMouseEventHandled;
}

CMouseEventResult CPSRockerSwitch::onMouseExited(CPoint&, const CButtonState&) {
    hoverSide = 0;
    invalid();
    return kMouseEventHandled;
}
