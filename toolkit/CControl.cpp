#include "toolkit/CControl.h"

#include <algorithm>

#include "toolkit/CFrame.h"

CControl::CControl(const CRect& size, CControlListener* listener, int32_t tag, CBitmap* background)
    : CView(size), listener(listener), tag(tag) {
    setBackground(background);
}

void CControl::setValue(float newValue) {
    const float clamped =
        std::clamp(newValue, std::min(minValue, maxValue), std::max(minValue, maxValue));
    if (clamped == value) return;
    value = clamped;
    setDirty();
}

void CControl::valueChanged() {
    if (listener) listener->valueChanged(this);
}

void CControl::beginEdit() {
    editing = true;
    if (frame && frame->getEditor()) frame->getEditor()->beginEdit(tag);
}

void CControl::endEdit() {
    editing = false;
    if (frame && frame->getEditor()) frame->getEditor()->endEdit(tag);
}

bool CControl::checkDefaultValue(const CButtonState& buttons) {
    if (buttons != (kControl | kLButton)) return false;
    const float old = value;
    beginEdit();
    setValue(defaultValue);
    if (value != old) {
        valueChanged();
        invalid();
    }
    endEdit();
    return true;
}

bool CControl::isTypeOf(const char* type) const {
    return std::strcmp(type, "CControl") == 0 || CView::isTypeOf(type);
}
