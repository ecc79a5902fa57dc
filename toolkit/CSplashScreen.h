// An invisible click area that shows its bitmap as the frame's modal view, over the
// rectangle `toDisplay`, until the picture is clicked.
#pragma once

#include "toolkit/CControl.h"

class CSplashScreen : public CControl, public CControlListener {
  public:
    CSplashScreen(const CRect& size, CControlListener* listener, int32_t tag, CBitmap* background,
                  const CRect& toDisplay, const CPoint& offset = {});
    ~CSplashScreen() override;

    void draw(CDrawContext* context) override;
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    bool removed(CViewContainer* parent) override;
    // Ends the splash: the value returns to its minimum and the picture goes away.
    virtual void unSplash();
    void valueChanged(CControl* control) override;
    using CControl::valueChanged;

    const CRect& getSplashRect() const { return toDisplay; }
    const CPoint& getSplashOffset() const { return offset; }
    CView* getSplashView() const { return modalView; }
    void splashViewDestroyed(CView* view);
    bool isTypeOf(const char* type) const override;

  protected:
    CRect toDisplay;
    CPoint offset;
    CView* modalView = nullptr;
};
