// The base of everything on screen: a rectangle in frame pixels that draws itself and may
// answer mouse, wheel and key events.
#pragma once

#include <cstring>

#include "toolkit/CBaseObject.h"
#include "toolkit/CButtonState.h"
#include "toolkit/CGeometry.h"
#include "toolkit/CKeyCode.h"

class CBitmap;
class CDrawContext;
class CFrame;
class CViewContainer;

class CView : public CBaseObject {
  public:
    explicit CView(const CRect& size);
    ~CView() override;
    CView(const CView& other);
    CView& operator=(const CView&) = delete;

    // Draws the background bitmap, if any, and clears the dirty mark.
    virtual void draw(CDrawContext* context);

    virtual CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons);
    virtual CMouseEventResult onMouseUp(CPoint& where, const CButtonState& buttons);
    virtual CMouseEventResult onMouseMoved(CPoint& where, const CButtonState& buttons);
    virtual CMouseEventResult onMouseEntered(CPoint& where, const CButtonState& buttons);
    virtual CMouseEventResult onMouseExited(CPoint& where, const CButtonState& buttons);
    virtual bool onWheel(const CPoint& where, const float& distance, const CButtonState& buttons);
    virtual int32_t onKeyDown(CKeyCode& key);
    virtual int32_t onKeyUp(CKeyCode& key);

    // Dirty views are redrawn by the frame's next idle pass.
    virtual void setDirty(bool state = true) { dirty = state; }
    virtual bool isDirty() const { return dirty; }
    // Asks the frame to redraw this view's rectangle.
    virtual void invalid();
    void invalidRect(const CRect& rect);

    const CRect& getViewSize() const { return size; }
    virtual void setViewSize(const CRect& newSize);
    const CRect& getMouseableArea() const { return mouseableArea; }
    void setMouseableArea(const CRect& area) { mouseableArea = area; }
    bool hitTest(const CPoint& where) const { return mouseableArea.pointInside(where); }

    void setMouseEnabled(bool state) { mouseEnabled = state; }
    bool getMouseEnabled() const { return mouseEnabled; }
    void setVisible(bool state);
    bool isVisible() const { return visible; }

    virtual void setBackground(CBitmap* bitmap);
    CBitmap* getBackground() const { return background; }

    // Parent and frame are set while the view is attached.
    virtual bool attached(CViewContainer* parent);
    virtual bool removed(CViewContainer* parent);
    bool isAttached() const { return parentView != nullptr; }
    CViewContainer* getParentView() const { return parentView; }
    CFrame* getFrame() const { return frame; }

    // Keyboard focus: the focused view is offered keys first.
    virtual void takeFocus() {}
    virtual void looseFocus() {}

    virtual bool isTypeOf(const char* type) const { return std::strcmp(type, "CView") == 0; }
    virtual CView* newCopy() const { return nullptr; }

  protected:
    CRect size;
    CRect mouseableArea;
    CBitmap* background = nullptr;
    CViewContainer* parentView = nullptr;
    CFrame* frame = nullptr;
    bool dirty = false;
    bool mouseEnabled = true;
    bool visible = true;
};
