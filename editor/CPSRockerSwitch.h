// A two-sided rocker: a press on the left half reports -1, on the right half +1; the
// release returns to 0 unreported. Images: normal, hover left, hover right, pressed left,
// pressed right; the horizontal half alone decides, whatever the style.
#pragma once

#include "toolkit/CButtons.h"

class CPSRockerSwitch : public CRockerSwitch {
  public:
    CPSRockerSwitch(const CRect& size, CControlListener* listener, int32_t tag,
                    int32_t heightOfOneImage, CBitmap* background, const CPoint& offset,
                    int32_t style);
    ~CPSRockerSwitch() override = default;

    void draw(CDrawContext* context) override;
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseUp(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseMoved(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseEntered(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseExited(CPoint& where, const CButtonState& buttons) override;

    int32_t getHoverSide() const { return hoverSide; }
    // The image the control shows now.
    int32_t imageIndex() const;

  private:
    int32_t sideOf(const CPoint& where) const;

    int32_t hoverSide = 0;
};
