#include "toolkit/CFrame.h"

#include <atomic>

#include "toolkit/CDrawContext.h"
#include "toolkit/CNewFileSelector.h"
#include "toolkit/CVSTGUITimer.h"
#include "toolkit/PlatformWindow.h"

namespace {
std::atomic<int32_t> globalKnobMode{kCircularMode};
}

CFrame::CFrame(const CRect& size, void* parentWindow, VSTGUIEditorInterface* editor,
               double scaleFactor)
    : CViewContainer(size), editor(editor), scaleFactor(scaleFactor > 0 ? scaleFactor : 1) {
    frame = this;
    if (parentWindow) {
        platform = std::make_unique<PlatformWindow>(*this, parentWindow);
        if (!platform->isValid()) platform.reset();
    }
    invalid();
}

CFrame::~CFrame() {
    CNewFileSelector::cancelRunning(this);
    platform.reset();
    modalView = focusView = mouseDownView = hoverView = nullptr;
    removeAll();
}

void CFrame::close() {
    // A dialog still up ends here and delivers nothing to the views about to go.
    CNewFileSelector::cancelRunning(this);
    windowTimers.clear();
    platform.reset();
    removeAll(); // the modal view too: it is a child like any other
    forget();
}

void CFrame::setScaleFactor(double factor) {
    if (!(factor > 0) || factor == scaleFactor) return;
    scaleFactor = factor;
    if (platform) platform->setScale(factor);
    invalid();
}

void* CFrame::getSystemWindow() const {
    return platform ? platform->nativeWindow() : nullptr;
}

void CFrame::idle() {
    CNewFileSelector::pollRunning(this);
    invalidateDirtyViews();
    CVSTGUITimer::fireDueTimers();
}

void CFrame::pumpEvents() {
    if (platform) platform->update();
}

int CFrame::eventDescriptor() const {
    return platform ? platform->eventDescriptor() : -1;
}

bool CFrame::setModalView(CView* view) {
    if (view && modalView) return false;
    if (modalView) {
        CView* old = modalView;
        modalView = nullptr;
        removeView(old, false);
    }
    if (view) {
        addView(view);
        modalView = view;
    }
    return true;
}

void CFrame::setFocusView(CView* view) {
    if (view == focusView) return;
    CView* old = focusView;
    focusView = view;
    if (old) old->looseFocus();
    if (focusView) {
        // Typing needs the keyboard: ask the X server to send it to our window.
        if (platform) platform->grabFocus();
        focusView->takeFocus();
    }
}

void CFrame::invalidRect(const CRect& rect) {
    const CRect clipped = rect.intersect(size);
    if (clipped.isEmpty()) return;
    invalidArea = invalidArea.unite(clipped);
    if (platform) platform->requestRedraw();
}

void CFrame::drawInvalidArea(CDrawContext* context) {
    const CRect area = invalidArea;
    invalidArea = CRect();
    if (!area.isEmpty()) drawRect(context, area);
}

int32_t CFrame::getKnobMode() const {
    return editor ? editor->getKnobMode() : getGlobalKnobMode();
}

void CFrame::setGlobalKnobMode(int32_t mode) {
    globalKnobMode = mode;
}
int32_t CFrame::getGlobalKnobMode() {
    return globalKnobMode;
}

bool CFrame::startWindowTimer(uintptr_t id, uint32_t intervalMs, std::function<void()> onTick) {
    if (!platform || !platform->startTimer(id, intervalMs)) return false;
    windowTimers[id] = std::move(onTick);
    return true;
}

void CFrame::stopWindowTimer(uintptr_t id) {
    if (platform) platform->stopTimer(id);
    windowTimers.erase(id);
}

void CFrame::onWindowTimer(uintptr_t id) {
    const auto found = windowTimers.find(id);
    if (found == windowTimers.end()) return;
    auto callback = found->second; // may stop its own timer
    callback();
}

bool CFrame::isAlive(const CView* view) const {
    return view && isChild(view);
}

CView* CFrame::mouseTarget(const CPoint& where) const {
    if (modalView) {
        if (!modalView->isVisible() || !modalView->hitTest(where)) return nullptr;
        if (auto* container = dynamic_cast<CViewContainer*>(modalView))
            if (CView* inner = container->getViewAt(where)) return inner;
        return modalView;
    }
    return getViewAt(where);
}

bool CFrame::isInputBlocked() const {
    return CNewFileSelector::isDialogRunning(this);
}

CMouseEventResult CFrame::onMouseDown(CPoint& where, const CButtonState& buttons) {
    if (isInputBlocked()) return kMouseEventHandled;
    mouseDownView = nullptr;
    CView* target = mouseTarget(where);
    if (focusView && focusView != target) setFocusView(nullptr);
    if (!target) return kMouseEventNotHandled;
    const CMouseEventResult result = target->onMouseDown(where, buttons);
    // The handler may have closed the view it was called on: track only live views.
    if (result == kMouseEventHandled && isAlive(target)) mouseDownView = target;
    return result;
}

CMouseEventResult CFrame::onMouseUp(CPoint& where, const CButtonState& buttons) {
    CView* target = mouseDownView;
    mouseDownView = nullptr;
    if (!target) return kMouseEventNotHandled;
    return target->onMouseUp(where, buttons);
}

CMouseEventResult CFrame::onMouseMoved(CPoint& where, const CButtonState& buttons) {
    if (isInputBlocked()) return kMouseEventHandled;
    if (mouseDownView) {
        CView* target = mouseDownView;
        const CMouseEventResult result = target->onMouseMoved(where, buttons);
        if (result == kMouseEventNotHandled && mouseDownView == target) mouseDownView = nullptr;
        return result;
    }
    CView* target = mouseTarget(where);
    if (target != hoverView) {
        CView* old = hoverView;
        hoverView = target;
        if (old) old->onMouseExited(where, buttons);
        if (target && hoverView == target) target->onMouseEntered(where, buttons);
    }
    if (!target || hoverView != target) return kMouseEventNotHandled;
    return target->onMouseMoved(where, buttons);
}

CMouseEventResult CFrame::onMouseExited(CPoint& where, const CButtonState& buttons) {
    if (mouseDownView) return kMouseEventHandled; // still dragging outside the window
    CView* old = hoverView;
    hoverView = nullptr;
    if (old) old->onMouseExited(where, buttons);
    return kMouseEventHandled;
}

bool CFrame::onWheel(const CPoint& where, const float& distance, const CButtonState& buttons) {
    if (isInputBlocked()) return true;
    if (mouseDownView) return false;
    CView* target = mouseTarget(where);
    return target && target->onWheel(where, distance, buttons);
}

int32_t CFrame::onKeyDown(CKeyCode& key) {
    if (isInputBlocked()) return kKeyNotHandled;
    if (focusView) {
        const int32_t result = focusView->onKeyDown(key);
        if (result != kKeyNotHandled) return result;
    }
    if (modalView && modalView != focusView) return modalView->onKeyDown(key);
    return kKeyNotHandled;
}

int32_t CFrame::onKeyUp(CKeyCode& key) {
    if (isInputBlocked()) return kKeyNotHandled;
    if (focusView) {
        const int32_t result = focusView->onKeyUp(key);
        if (result != kKeyNotHandled) return result;
    }
    if (modalView && modalView != focusView) return modalView->onKeyUp(key);
    return kKeyNotHandled;
}

void CFrame::onViewRemoved(CView* view) {
    if (view == this) return;
    // No looseFocus here: a view leaving the tree must not report an edit any more.
    if (focusView == view) focusView = nullptr;
    if (mouseDownView == view) mouseDownView = nullptr;
    if (hoverView == view) hoverView = nullptr;
    if (modalView == view) modalView = nullptr;
}

bool CFrame::isTypeOf(const char* type) const {
    return std::strcmp(type, "CFrame") == 0 || CViewContainer::isTypeOf(type);
}
