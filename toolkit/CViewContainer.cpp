#include "toolkit/CViewContainer.h"

#include <algorithm>

#include "toolkit/CBitmap.h"
#include "toolkit/CDrawContext.h"

CViewContainer::CViewContainer(const CRect& size) : CView(size) {}

CViewContainer::~CViewContainer() {
    removeAll();
}

bool CViewContainer::addView(CView* view) {
    if (!view || isChild(view, false)) return false;
    children.push_back(view);
    if (isAttached() || frameForChildren()) view->attached(this);
    view->invalid();
    return true;
}

bool CViewContainer::removeView(CView* view, bool withForget) {
    const auto found = std::find(children.begin(), children.end(), view);
    if (found == children.end()) return false;
    view->invalid();
    children.erase(found);
    if (view->isAttached()) view->removed(this);
    if (withForget) view->forget();
    return true;
}

void CViewContainer::removeAll(bool withForget) {
    while (!children.empty())
        removeView(children.back(), withForget);
}

bool CViewContainer::isChild(const CView* view, bool deep) const {
    for (CView* child : children) {
        if (child == view) return true;
        if (deep) {
            if (auto* container = dynamic_cast<CViewContainer*>(child))
                if (container->isChild(view, true)) return true;
        }
    }
    return false;
}

CView* CViewContainer::getView(int32_t index) const {
    if (index < 0 || index >= getNbViews()) return nullptr;
    return children[static_cast<size_t>(index)];
}

CView* CViewContainer::getViewAt(const CPoint& where) const {
    for (auto it = children.rbegin(); it != children.rend(); ++it) {
        CView* child = *it;
        if (!child->isVisible() || !child->getMouseEnabled() || !child->hitTest(where)) continue;
        if (auto* container = dynamic_cast<CViewContainer*>(child)) {
            if (CView* inner = container->getViewAt(where)) return inner;
        }
        return child;
    }
    return nullptr;
}

void CViewContainer::draw(CDrawContext* context) {
    drawRect(context, size);
}

void CViewContainer::drawRect(CDrawContext* context, const CRect& updateRect) {
    const CRect area = updateRect.intersect(size);
    if (area.isEmpty()) return;
    context->pushClip(area);
    if (background) background->draw(context, size);
    for (CView* child : children) {
        if (!child->isVisible() || !child->getViewSize().rectOverlap(area)) continue;
        context->pushClip(area.intersect(child->getViewSize()));
        if (auto* container = dynamic_cast<CViewContainer*>(child))
            container->drawRect(context, area);
        else
            child->draw(context);
        context->popClip();
        child->setDirty(false);
    }
    context->popClip();
    dirty = false;
}

void CViewContainer::setDirty(bool state) {
    dirty = state;
    if (!state)
        for (CView* child : children)
            child->setDirty(false);
}

bool CViewContainer::isDirty() const {
    if (dirty) return true;
    return std::any_of(children.begin(), children.end(),
                       [](const CView* child) { return child->isDirty(); });
}

void CViewContainer::invalidateDirtyViews() {
    if (dirty) {
        invalid();
        return;
    }
    for (CView* child : children) {
        if (auto* container = dynamic_cast<CViewContainer*>(child))
            container->invalidateDirtyViews();
        else if (child->isDirty())
            child->invalid();
    }
}

bool CViewContainer::attached(CViewContainer* parent) {
    CView::attached(parent);
    for (CView* child : children)
        child->attached(this);
    return true;
}

bool CViewContainer::removed(CViewContainer* parent) {
    for (CView* child : children)
        child->removed(this);
    return CView::removed(parent);
}

bool CViewContainer::isTypeOf(const char* type) const {
    return std::strcmp(type, "CViewContainer") == 0 || CView::isTypeOf(type);
}
