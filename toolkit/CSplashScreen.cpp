#include "toolkit/CSplashScreen.h"

#include "toolkit/CBitmap.h"
#include "toolkit/CFrame.h"

namespace {

// The picture shown by the base class; any left click on it ends the splash.
class CSplashScreenView : public CView {
  public:
    CSplashScreenView(const CRect& size, CSplashScreen& owner) : CView(size), owner(owner) {}
    ~CSplashScreenView() override { owner.splashViewDestroyed(this); }

    void draw(CDrawContext* context) override {
        if (CBitmap* bitmap = owner.getBackground())
            bitmap->draw(context, size, owner.getSplashOffset());
        setDirty(false);
    }
    CMouseEventResult onMouseDown(CPoint&, const CButtonState& buttons) override {
        if (!buttons.isLeftButton()) return kMouseEventNotHandled;
        owner.unSplash(); // destroys this view
        return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
    }

  private:
    CSplashScreen& owner;
};

} // namespace

CSplashScreen::CSplashScreen(const CRect& size, CControlListener* listener, int32_t tag,
                             CBitmap* background, const CRect& toDisplay, const CPoint& offset)
    : CControl(size, listener, tag, background), toDisplay(toDisplay), offset(offset) {}

CSplashScreen::~CSplashScreen() = default;

void CSplashScreen::draw(CDrawContext*) {
    setDirty(false);
}

CMouseEventResult CSplashScreen::onMouseDown(CPoint&, const CButtonState& buttons) {
    if (!buttons.isLeftButton()) return kMouseEventNotHandled;
    setValue(value == minValue ? maxValue : minValue);
    if (value == minValue) {
        unSplash();
        return kMouseEventHandled;
    }
    if (frame && !modalView) {
        auto* view = new CSplashScreenView(toDisplay, *this);
        if (frame->setModalView(view))
            modalView = view;
        else
            view->forget();
    }
    invalid();
    return kMouseEventHandled;
}

void CSplashScreen::unSplash() {
    setValue(minValue);
    if (!modalView) return;
    CView* view = modalView;
    modalView = nullptr;
    if (frame) {
        frame->invalid();
        if (frame->getModalView() == view) frame->setModalView(nullptr);
    }
    view->forget();
}

void CSplashScreen::splashViewDestroyed(CView* view) {
    if (modalView == view) modalView = nullptr;
}

bool CSplashScreen::removed(CViewContainer* parent) {
    // The picture cannot outlive the control that shows it.
    if (modalView) {
        CView* view = modalView;
        modalView = nullptr;
        if (frame && frame->getModalView() == view) frame->setModalView(nullptr);
        view->forget();
    }
    return CControl::removed(parent);
}

void CSplashScreen::valueChanged(CControl*) {}

bool CSplashScreen::isTypeOf(const char* type) const {
    return std::strcmp(type, "CSplashScreen") == 0 || CControl::isTypeOf(type);
}
