// The about screen: an invisible click area that opens a picture with the version text as
// the frame's modal view; a left click anywhere on the picture closes it again. Opening
// and closing never reach the listener.
#pragma once

#include "shell/ProjectVersion.h"
#include "toolkit/CSplashScreen.h"

class CAbout : public CSplashScreen {
  public:
    CAbout(const CRect& size, CControlListener* listener, int32_t tag, CBitmap* background,
           const CRect& aboutRect, const CPoint& offset, const CPoint& versionPosition);

    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    const CPoint& getVersionPosition() const { return versionPosition; }

  private:
    CPoint versionPosition;
};

class CSplashScreenMyView : public CControl {
  public:
    static constexpr const char* kVersionText = version::kAboutText;

    CSplashScreenMyView(const CRect& aboutRect, CAbout* about, const CPoint& versionPosition);
    CSplashScreenMyView(const CSplashScreenMyView&) = default;

    void draw(CDrawContext* context) override;
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    bool isTypeOf(const char* type) const override;
    CView* newCopy() const override { return new CSplashScreenMyView(*this); }

    // The box the version text is drawn in, in frame pixels.
    CRect versionBox() const;
    CAbout* getAbout() const { return about; }

  private:
    CAbout* about;
    CPoint versionPosition;
};
