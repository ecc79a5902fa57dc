// The toolkit's drawing operations on a Cairo context.
#pragma once

#include <cairo.h>

#include "toolkit/CDrawContext.h"

class CairoDrawContext : public CDrawContext {
  public:
    // With a scale factor other than 1 the context is scaled by it: views draw in frame pixels.
    explicit CairoDrawContext(cairo_t* cairo, double scaleFactor = 1);

    cairo_t* getCairo() const { return cairo; }

    void drawRect(const CRect& rect, CDrawStyle style = kDrawStroked) override;
    void drawLine(const CPoint& from, const CPoint& to) override;
    void drawString(const char* text, const CRect& box, CHoriTxtAlign align = kCenterText,
                    bool antialias = true) override;
    CCoord getStringWidth(const char* text) override;
    void drawBitmap(const CBitmap& bitmap, const CRect& dest, const CPoint& offset,
                    float alpha) override;
    void pushClip(const CRect& rect) override;
    void popClip() override;

  private:
    void applyColor(const CColor& color);
    void applyFont();

    cairo_t* cairo;
};
