// A view holding child views. Children keep frame coordinates: a container does not shift
// its children, it only groups, draws and routes to them.
#pragma once

#include <vector>

#include "toolkit/CView.h"

class CViewContainer : public CView {
  public:
    explicit CViewContainer(const CRect& size);
    ~CViewContainer() override;

    // Takes over the caller's reference; the container forgets the view on removal.
    bool addView(CView* view);
    bool removeView(CView* view, bool withForget = true);
    void removeAll(bool withForget = true);
    bool isChild(const CView* view, bool deep = true) const;
    int32_t getNbViews() const { return static_cast<int32_t>(children.size()); }
    CView* getView(int32_t index) const;
    // The topmost visible, mouse-enabled view under the point (descending into containers).
    CView* getViewAt(const CPoint& where) const;

    void draw(CDrawContext* context) override;
    // Draws what lies in `updateRect`: own background, then the children that overlap it.
    virtual void drawRect(CDrawContext* context, const CRect& updateRect);
    void setDirty(bool state = true) override;
    bool isDirty() const override;
    // Invalidates every dirty view below this container.
    void invalidateDirtyViews();

    bool attached(CViewContainer* parent) override;
    bool removed(CViewContainer* parent) override;
    bool isTypeOf(const char* type) const override;

  protected:
    virtual CFrame* frameForChildren() const { return frame; }
    std::vector<CView*> children;
};
