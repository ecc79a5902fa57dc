// The save and load buttons: a left click reports 1.0, the right button alone 0.5 (the
// endian-reversed variant of a load). The value is back at 0 before the mouse is released,
// and the keyboard never triggers it. Images: normal, hover, active.
#pragma once

#include "toolkit/CButtons.h"

class CSaveLoadButton : public CKickButton {
  public:
    CSaveLoadButton(const CRect& size, CControlListener* listener, int32_t tag,
                    int32_t heightOfOneImage, CBitmap* background, const CPoint& offset);
    ~CSaveLoadButton() override = default;

    void draw(CDrawContext* context) override;
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseEntered(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseExited(CPoint& where, const CButtonState& buttons) override;
    int32_t onKeyDown(CKeyCode& key) override;
    int32_t onKeyUp(CKeyCode& key) override;

    bool isHover() const { return hover; }

  private:
    bool hover = false;
};
