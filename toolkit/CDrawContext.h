// Drawing state over a Cairo context: colours, font, line width, clipping, text.
#pragma once

#include <cairo.h>

#include "toolkit/CFontDesc.h"
#include "toolkit/CGeometry.h"

enum CHoriTxtAlign { kLeftText, kCenterText, kRightText };
enum CDrawStyle { kDrawStroked, kDrawFilled, kDrawFilledAndStroked };

class CDrawContext {
  public:
    explicit CDrawContext(cairo_t* cairo);
    CDrawContext(const CDrawContext&) = delete;
    CDrawContext& operator=(const CDrawContext&) = delete;

    cairo_t* getCairo() const { return cairo; }

    void setFillColor(const CColor& color) { fillColor = color; }
    void setFrameColor(const CColor& color) { frameColor = color; }
    void setFontColor(const CColor& color) { fontColor = color; }
    void setFont(const CFontDesc& newFont) { font = newFont; }
    void setLineWidth(CCoord width) { lineWidth = width; }
    const CFontDesc& getFont() const { return font; }
    const CColor& getFontColor() const { return fontColor; }

    void drawRect(const CRect& rect, CDrawStyle style = kDrawStroked);
    void drawLine(const CPoint& from, const CPoint& to);
    // Draws one line of text vertically centred in the box.
    void drawString(const char* text, const CRect& box, CHoriTxtAlign align = kCenterText,
                    bool antialias = true);
    CCoord getStringWidth(const char* text);

    // Clipping is nested: each push narrows until the matching pop.
    void pushClip(const CRect& rect);
    void popClip();

  private:
    void applyColor(const CColor& color);
    void applyFont();

    cairo_t* cairo;
    CColor fillColor = kWhiteCColor;
    CColor frameColor = kBlackCColor;
    CColor fontColor = kBlackCColor;
    CFontDesc font;
    CCoord lineWidth = 1;
};
