#include "toolkit/CView.h"

#include "toolkit/CBitmap.h"
#include "toolkit/CFrame.h"
#include "toolkit/CViewContainer.h"

CView::CView(const CRect& size) : size(size), mouseableArea(size) {}

CView::CView(const CView& other)
    : CBaseObject(), size(other.size), mouseableArea(other.mouseableArea),
      background(other.background), mouseEnabled(other.mouseEnabled), visible(other.visible) {
    if (background) background->remember();
}

CView::~CView() {
    if (background) background->forget();
}

void CView::draw(CDrawContext* context) {
    if (background) background->draw(context, size);
    setDirty(false);
}

CMouseEventResult CView::onMouseDown(CPoint&, const CButtonState&) {
    return kMouseEventNotImplemented;
}
CMouseEventResult CView::onMouseUp(CPoint&, const CButtonState&) {
    return kMouseEventNotImplemented;
}
CMouseEventResult CView::onMouseMoved(CPoint&, const CButtonState&) {
    return kMouseEventNotImplemented;
}
CMouseEventResult CView::onMouseEntered(CPoint&, const CButtonState&) {
    return kMouseEventNotImplemented;
}
CMouseEventResult CView::onMouseExited(CPoint&, const CButtonState&) {
    return kMouseEventNotImplemented;
}
bool CView::onWheel(const CPoint&, const float&, const CButtonState&) {
    return false;
}
int32_t CView::onKeyDown(CKeyCode&) {
    return kKeyNotHandled;
}
int32_t CView::onKeyUp(CKeyCode&) {
    return kKeyNotHandled;
}

void CView::invalid() {
    invalidRect(size);
}

void CView::invalidRect(const CRect& rect) {
    if (frame) frame->invalidRect(rect);
}

void CView::setViewSize(const CRect& newSize) {
    invalid();
    size = newSize;
    mouseableArea = newSize;
    invalid();
}

void CView::setVisible(bool state) {
    if (visible == state) return;
    visible = state;
    invalid();
}

void CView::setBackground(CBitmap* bitmap) {
    if (bitmap) bitmap->remember();
    if (background) background->forget();
    background = bitmap;
    setDirty();
}

bool CView::attached(CViewContainer* parent) {
    parentView = parent;
    frame = parent->getFrame();
    return true;
}

bool CView::removed(CViewContainer*) {
    if (frame) frame->onViewRemoved(this);
    parentView = nullptr;
    frame = nullptr;
    return true;
}
