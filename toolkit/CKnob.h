// A rotary knob that draws only its handle over a piece of its background bitmap.
// Circular mode follows the pointer's angle, relative circular adds angle changes,
// linear adds horizontal and vertical drag distance.
#pragma once

#include "toolkit/CControl.h"
#include "toolkit/VSTGUIEditorInterface.h"

class CKnob : public CControl {
  public:
    CKnob(const CRect& size, CControlListener* listener, int32_t tag, CBitmap* background,
          CBitmap* handle, const CPoint& offset = {});
    CKnob(const CKnob& other);
    ~CKnob() override;

    void draw(CDrawContext* context) override;
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseUp(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseMoved(CPoint& where, const CButtonState& buttons) override;
    bool onWheel(const CPoint& where, const float& distance, const CButtonState& buttons) override;

    void setBackOffset(const CPoint& newOffset) { offset = newOffset; }
    const CPoint& getBackOffset() const { return offset; }
    CBitmap* getHandleBitmap() const { return handle; }
    // Where the handle's centre is drawn for the current value.
    CPoint handleCenter() const;
    // The value the circular mode assigns to a point.
    float valueFromPoint(const CPoint& where) const;

    bool isTypeOf(const char* type) const override;
    CView* newCopy() const override { return new CKnob(*this); }

    // Drag distance in pixels for the full range in linear mode (Shift makes it finer).
    static constexpr CCoord kLinearRange = 200;
    static constexpr double kStartAngle = 225; // degrees, value 0 at lower left
    static constexpr double kRangeAngle = 270; // clockwise to lower right
    static constexpr CCoord kInset = 3;

  private:
    double angleOf(const CPoint& where) const;
    void changeTo(float newValue);

    CBitmap* handle;
    CPoint offset;
    int32_t dragMode = kLinearMode;
    CPoint firstPoint;
    float startValue = 0;
    double lastAngle = 0;
};
