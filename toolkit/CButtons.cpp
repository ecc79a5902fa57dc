#include "toolkit/CButtons.h"

#include "toolkit/CBitmap.h"

void drawMultiImage(CDrawContext* context, const CBitmap* bitmap, const CRect& dest,
                    const CPoint& origin, CCoord imageHeight, int32_t index) {
    if (!bitmap) return;
    bitmap->draw(context, dest, CPoint(origin.x, origin.y + index * imageHeight), 1.0f);
}

COnOffButton::COnOffButton(const CRect& size, CControlListener* listener, int32_t tag,
                           CBitmap* background, int32_t style)
    : CControl(size, listener, tag, background), style(style) {}

void COnOffButton::draw(CDrawContext* context) {
    if (background) {
        const CCoord imageHeight = background->getHeight() / 2;
        drawMultiImage(context, background, size, {}, imageHeight, value == maxValue ? 1 : 0);
    }
    setDirty(false);
}

CMouseEventResult COnOffButton::onMouseDown(CPoint&, const CButtonState& buttons) {
    if (!buttons.isLeftButton()) return kMouseEventNotHandled;
    beginEdit();
    setValue(value == maxValue ? minValue : maxValue);
    invalid();
    valueChanged();
    endEdit();
    return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
}

bool COnOffButton::isTypeOf(const char* type) const {
    return std::strcmp(type, "COnOffButton") == 0 || CControl::isTypeOf(type);
}

CKickButton::CKickButton(const CRect& size, CControlListener* listener, int32_t tag,
                         CCoord heightOfOneImage, CBitmap* background, const CPoint& offset)
    : CControl(size, listener, tag, background), heightOfOneImage(heightOfOneImage),
      offset(offset) {}

void CKickButton::drawImage(CDrawContext* context, int32_t index, const CPoint& origin) {
    drawMultiImage(context, background, size, origin, heightOfOneImage, index);
}

void CKickButton::draw(CDrawContext* context) {
    drawImage(context, value == maxValue ? 1 : 0, offset);
    setDirty(false);
}

CMouseEventResult CKickButton::onMouseDown(CPoint& where, const CButtonState& buttons) {
    if (!buttons.isLeftButton()) return kMouseEventNotHandled;
    beginEdit();
    return onMouseMoved(where, buttons);
}

CMouseEventResult CKickButton::onMouseMoved(CPoint& where, const CButtonState& buttons) {
    if (!buttons.isLeftButton() || !isEditing()) return kMouseEventNotHandled;
    const float next = size.pointInside(where) ? maxValue : minValue;
    if (next != value) {
        setValue(next);
        invalid();
        valueChanged();
    }
    return kMouseEventHandled;
}

CMouseEventResult CKickButton::onMouseUp(CPoint&, const CButtonState&) {
    if (!isEditing()) return kMouseEventNotHandled;
    if (value != minValue) {
        setValue(minValue);
        invalid();
        valueChanged();
    }
    endEdit();
    return kMouseEventHandled;
}

bool CKickButton::isTypeOf(const char* type) const {
    return std::strcmp(type, "CKickButton") == 0 || CControl::isTypeOf(type);
}

CRockerSwitch::CRockerSwitch(const CRect& size, CControlListener* listener, int32_t tag,
                             CCoord heightOfOneImage, CBitmap* background, const CPoint& offset,
                             int32_t style)
    : CControl(size, listener, tag, background), heightOfOneImage(heightOfOneImage), offset(offset),
      style(style) {
    minValue = -1;
    maxValue = 1;
    value = 0;
}

void CRockerSwitch::drawImage(CDrawContext* context, int32_t index, const CPoint& origin) {
    drawMultiImage(context, background, size, origin, heightOfOneImage, index);
}

void CRockerSwitch::draw(CDrawContext* context) {
    // Images: rest, first half pressed, second half pressed.
    const int32_t index = value == minValue ? 1 : value == maxValue ? 2 : 0;
    drawImage(context, index, offset);
    setDirty(false);
}

CMouseEventResult CRockerSwitch::onMouseDown(CPoint& where, const CButtonState& buttons) {
    if (!buttons.isLeftButton()) return kMouseEventNotHandled;
    const bool firstHalf = (style & kVertical) ? where.y < (size.top + size.bottom) / 2
                                               : where.x < (size.left + size.right) / 2;
    beginEdit();
    setValue(firstHalf ? minValue : maxValue);
    invalid();
    valueChanged();
    return kMouseEventHandled;
}

CMouseEventResult CRockerSwitch::onMouseUp(CPoint&, const CButtonState&) {
    setValue(0);
    invalid();
    valueChanged();
    if (isEditing()) endEdit();
    return kMouseEventHandled;
}

bool CRockerSwitch::isTypeOf(const char* type) const {
    return std::strcmp(type, "CRockerSwitch") == 0 || CControl::isTypeOf(type);
}
