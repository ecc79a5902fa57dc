// Drawing state (colours, font, line width) and the drawing operations the views use. Each
// platform draws with its own graphics library behind these operations.
#pragma once

#include <cmath>

#include "toolkit/CFontDesc.h"
#include "toolkit/CGeometry.h"

class CBitmap;

enum CHoriTxtAlign { kLeftText, kCenterText, kRightText };
enum CDrawStyle { kDrawStroked, kDrawFilled, kDrawFilledAndStroked };

class CDrawContext {
  public:
    CDrawContext() = default;
    virtual ~CDrawContext() = default;
    CDrawContext(const CDrawContext&) = delete;
    CDrawContext& operator=(const CDrawContext&) = delete;

    void setFillColor(const CColor& color) { fillColor = color; }
    void setFrameColor(const CColor& color) { frameColor = color; }
    void setFontColor(const CColor& color) { fontColor = color; }
    void setFont(const CFontDesc& newFont) { font = newFont; }
    void setLineWidth(CCoord width) { lineWidth = width; }
    const CFontDesc& getFont() const { return font; }
    const CColor& getFontColor() const { return fontColor; }
    // Device pixels per frame pixel: drawing is given in frame pixels and lands scaled.
    double getScaleFactor() const { return scaleFactor; }
    // The frame coordinate nearest to a whole device pixel.
    CCoord snapToDevice(CCoord value) const;

    virtual void drawRect(const CRect& rect, CDrawStyle style = kDrawStroked) = 0;
    virtual void drawLine(const CPoint& from, const CPoint& to) = 0;
    // Draws one line of text vertically centred in the box.
    virtual void drawString(const char* text, const CRect& box, CHoriTxtAlign align = kCenterText,
                            bool antialias = true) = 0;
    virtual CCoord getStringWidth(const char* text) = 0;
    // Draws the part of `bitmap` that starts at `offset` into `dest`.
    virtual void drawBitmap(const CBitmap& bitmap, const CRect& dest, const CPoint& offset,
                            float alpha) = 0;

    // Clipping is nested: each push narrows until the matching pop.
    virtual void pushClip(const CRect& rect) = 0;
    virtual void popClip() = 0;

  protected:
    CColor fillColor = kWhiteCColor;
    CColor frameColor = kBlackCColor;
    CColor fontColor = kBlackCColor;
    CFontDesc font;
    CCoord lineWidth = 1;
    double scaleFactor = 1;
};

inline CCoord CDrawContext::snapToDevice(CCoord value) const {
    return std::round(value * scaleFactor) / scaleFactor;
}
