#include "editor/CAbout.h"

#include "toolkit/CBitmap.h"
#include "toolkit/CDrawContext.h"
#include "toolkit/CFrame.h"

namespace {
constexpr CCoord kVersionBoxWidth = 100;
constexpr CCoord kVersionBoxHeight = 15;
} // namespace

CAbout::CAbout(const CRect& size, CControlListener* listener, int32_t tag, CBitmap* background,
               const CRect& aboutRect, const CPoint& offset, const CPoint& versionPosition)
    : CSplashScreen(size, listener, tag, background, aboutRect, offset),
      versionPosition(versionPosition) {}

CMouseEventResult CAbout::onMouseDown(CPoint&, const CButtonState& buttons) {
    if (!buttons.isLeftButton()) return kMouseEventNotHandled;
    value = value == 0.0f ? 1.0f : 0.0f;
    if (value == 0.0f) return kMouseEventHandled;
    auto* view = new CSplashScreenMyView(toDisplay, this, versionPosition);
    if (frame && frame->setModalView(view)) {
        // The frame now holds the view's only reference; closing releases it.
    } else {
        view->forget();
        value = 0.0f;
    }
    invalid();
    return kMouseEventHandled;
}

CSplashScreenMyView::CSplashScreenMyView(const CRect& aboutRect, CAbout* about,
                                         const CPoint& versionPosition)
    : CControl(aboutRect, nullptr, 0, about ? about->getBackground() : nullptr), about(about),
      versionPosition(versionPosition) {}

CRect CSplashScreenMyView::versionBox() const {
    return CRect(CPoint(size.left + versionPosition.x, size.top + versionPosition.y),
                 kVersionBoxWidth, kVersionBoxHeight);
}

void CSplashScreenMyView::draw(CDrawContext* context) {
    if (background) background->draw(context, size, CPoint(0, 0), 1.0f);
    context->setFont(CFontDesc("Arial", 9));
    context->setFontColor(kBlackCColor);
    context->drawString(kVersionText, versionBox(), kLeftText, true);
    setDirty(false);
}

CMouseEventResult CSplashScreenMyView::onMouseDown(CPoint&, const CButtonState& buttons) {
    if (!buttons.isLeftButton()) return kMouseEventNotHandled;
    if (about) about->unSplash();
    CFrame* owner = frame;
    if (owner) {
        owner->invalid();
        owner->setModalView(nullptr);
    }
    forget(); // the last reference: this view is gone
    return kMouseEventHandled;
}

bool CSplashScreenMyView::isTypeOf(const char* type) const {
    return std::strcmp(type, "CSplashScreenMyView") == 0 || CControl::isTypeOf(type);
}
