#include "toolkit/CKnob.h"

#include <cmath>
#include <numbers>

#include "toolkit/CBitmap.h"
#include "toolkit/CFrame.h"

namespace {
constexpr double kDegrees = 180.0 / std::numbers::pi;
constexpr float kFineFactor = 0.1f;
} // namespace

CKnob::CKnob(const CRect& size, CControlListener* listener, int32_t tag, CBitmap* background,
             CBitmap* handle, const CPoint& offset)
    : CControl(size, listener, tag, background), handle(handle), offset(offset) {
    if (handle) handle->remember();
}

CKnob::CKnob(const CKnob& other) : CControl(other), handle(other.handle), offset(other.offset) {
    if (handle) handle->remember();
}

CKnob::~CKnob() {
    if (handle) handle->forget();
}

CPoint CKnob::handleCenter() const {
    const CPoint center = size.getCenter();
    const CCoord handleSize = handle ? std::max(handle->getWidth(), handle->getHeight()) : 0;
    const CCoord radius = std::min(size.getWidth(), size.getHeight()) / 2 - handleSize / 2 - kInset;
    const float range = maxValue - minValue;
    const float normalized = range != 0 ? (value - minValue) / range : 0;
    const double angle = (kStartAngle - kRangeAngle * normalized) / kDegrees;
    return {center.x + radius * std::cos(angle), center.y - radius * std::sin(angle)};
}

void CKnob::draw(CDrawContext* context) {
    if (background) background->draw(context, size, offset);
    if (handle) {
        const CPoint center = handleCenter();
        const CCoord w = handle->getWidth();
        const CCoord h = handle->getHeight();
        const CPoint topLeft(std::round(center.x - w / 2), std::round(center.y - h / 2));
        handle->draw(context, CRect(topLeft, w, h));
    }
    setDirty(false);
}

double CKnob::angleOf(const CPoint& where) const {
    const CPoint center = size.getCenter();
    return std::atan2(center.y - where.y, where.x - center.x) * kDegrees;
}

float CKnob::valueFromPoint(const CPoint& where) const {
    // Degrees travelled clockwise from the start angle, in [0, 360).
    double travelled = std::fmod(kStartAngle - angleOf(where), 360.0);
    if (travelled < 0) travelled += 360.0;
    double normalized = travelled / kRangeAngle;
    if (travelled > kRangeAngle) // the dead zone at the bottom snaps to the nearer end
        normalized = travelled < (kRangeAngle + 360.0) / 2 ? 1.0 : 0.0;
    return minValue + static_cast<float>(normalized) * (maxValue - minValue);
}

void CKnob::changeTo(float newValue) {
    const float old = value;
    setValue(newValue);
    if (value != old) {
        invalid();
        valueChanged();
    }
}

CMouseEventResult CKnob::onMouseDown(CPoint& where, const CButtonState& buttons) {
    if (!buttons.isLeftButton()) return kMouseEventNotHandled;
    if (checkDefaultValue(buttons)) return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
    beginEdit();
    dragMode = frame ? frame->getKnobMode() : CFrame::getGlobalKnobMode();
    firstPoint = where;
    startValue = value;
    lastAngle = angleOf(where);
    if (dragMode == kCircularMode) changeTo(valueFromPoint(where));
    return kMouseEventHandled;
}

CMouseEventResult CKnob::onMouseMoved(CPoint& where, const CButtonState& buttons) {
    if (!buttons.isLeftButton() || !isEditing()) return kMouseEventNotHandled;
    const float range = maxValue - minValue;
    if (dragMode == kLinearMode) {
        CCoord distance = (where.x - firstPoint.x) + (firstPoint.y - where.y);
        if (buttons & kShift) distance *= kFineFactor;
        changeTo(startValue + static_cast<float>(distance / kLinearRange) * range);
    } else if (dragMode == kRelativCircularMode) {
        const double angle = angleOf(where);
        double delta = angle - lastAngle;
        if (delta > 180) delta -= 360;
        if (delta < -180) delta += 360;
        lastAngle = angle;
        // Counter-clockwise (positive angle) turns the value down.
        changeTo(value - static_cast<float>(delta / kRangeAngle) * range);
    } else {
        changeTo(valueFromPoint(where));
    }
    return kMouseEventHandled;
}

CMouseEventResult CKnob::onMouseUp(CPoint&, const CButtonState&) {
    if (isEditing()) endEdit();
    return kMouseEventHandled;
}

bool CKnob::onWheel(const CPoint&, const float& distance, const CButtonState& buttons) {
    float step = distance * wheelInc * (maxValue - minValue);
    if (buttons & kShift) step *= kFineFactor;
    beginEdit();
    changeTo(value + step);
    endEdit();
    return true;
}

bool CKnob::isTypeOf(const char* type) const {
    return std::strcmp(type, "CKnob") == 0 || CControl::isTypeOf(type);
}
