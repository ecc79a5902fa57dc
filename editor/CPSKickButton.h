// A kick button that reports the press (never the release) and shows a hover image.
// Images: normal, hover, pressed. A double-click-only button ignores single clicks and
// reports 0.5 instead of 1.0 when Control is held.
#pragma once

#include "toolkit/CButtons.h"

class CPSKickButton : public CKickButton {
  public:
    CPSKickButton(const CRect& size, CControlListener* listener, int32_t tag,
                  int32_t heightOfOneImage, CBitmap* background, const CPoint& offset,
                  bool doubleClickOnly);
    ~CPSKickButton() override = default;

    void draw(CDrawContext* context) override;
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseUp(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseEntered(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseExited(CPoint& where, const CButtonState& buttons) override;

    bool isHover() const { return hover; }
    bool isPressed() const { return pressed; }

  private:
    bool hover = false;
    bool doubleClickOnly;
    bool pressed = false;
};
