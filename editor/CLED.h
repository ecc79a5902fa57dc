// An indicator drawn from a two-image bitmap: off above, on below. It shows "on" for
// values above 0.5 and has no mouse or key handling.
#pragma once

#include "toolkit/CControl.h"

class CLED : public CControl {
  public:
    CLED(const CRect& size, CBitmap* bitmap);
    CLED(const CLED& other);
    ~CLED() override;

    void draw(CDrawContext* context) override;
    bool isTypeOf(const char* type) const override;
    CView* newCopy() const override { return new CLED(*this); }

  private:
    CBitmap* bitmap;
    CPoint offImageOffset;
    CPoint onImageOffset;
    CRect drawingRect;
};
