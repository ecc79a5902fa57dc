// The toolkit's drawing operations on a GDI+ graphics object, placed the way the Cairo side
// places them (pixel edges on whole coordinates, text on a rounded baseline).
#pragma once

#include <windows.h>

#include "toolkit/platform/win32/GdiplusHeaders.h"

#include <vector>

#include "toolkit/CDrawContext.h"

class GdiplusDrawContext : public CDrawContext {
  public:
    // With a scale factor other than 1 the graphics are scaled by it: views draw in frame
    // pixels.
    explicit GdiplusDrawContext(Gdiplus::Graphics& graphics, double scaleFactor = 1);

    Gdiplus::Graphics& getGraphics() const { return graphics; }

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
    Gdiplus::Graphics& graphics;
    std::vector<Gdiplus::GraphicsState> clips;
};
