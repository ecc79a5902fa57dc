// Buttons drawn from multi-image bitmaps (images stacked vertically, one height each).
#pragma once

#include "toolkit/CControl.h"

// Toggles between minimum and maximum on a left click; shows the lower image when on.
class COnOffButton : public CControl {
  public:
    COnOffButton(const CRect& size, CControlListener* listener, int32_t tag, CBitmap* background,
                 int32_t style = 0);

    void draw(CDrawContext* context) override;
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    bool isTypeOf(const char* type) const override;
    CView* newCopy() const override { return new COnOffButton(*this); }

  protected:
    int32_t style;
};

// Holds the maximum while pressed over it; reports the press and the release.
class CKickButton : public CControl {
  public:
    CKickButton(const CRect& size, CControlListener* listener, int32_t tag, CCoord heightOfOneImage,
                CBitmap* background, const CPoint& offset = {});

    void draw(CDrawContext* context) override;
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseUp(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseMoved(CPoint& where, const CButtonState& buttons) override;
    bool isTypeOf(const char* type) const override;
    CView* newCopy() const override { return new CKickButton(*this); }

    CCoord getHeightOfOneImage() const { return heightOfOneImage; }
    const CPoint& getOffset() const { return offset; }

  protected:
    // Draws image `index` of the bitmap, counted from `origin`.
    void drawImage(CDrawContext* context, int32_t index, const CPoint& origin);

    CCoord heightOfOneImage;
    CPoint offset;
};

// Three positions: minimum (-1) on the left or top half, maximum (+1) on the other, 0 at rest.
class CRockerSwitch : public CControl {
  public:
    enum Style { kHorizontal = 1 << 0, kVertical = 1 << 1 };

    CRockerSwitch(const CRect& size, CControlListener* listener, int32_t tag,
                  CCoord heightOfOneImage, CBitmap* background, const CPoint& offset = {},
                  int32_t style = kHorizontal);

    void draw(CDrawContext* context) override;
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseUp(CPoint& where, const CButtonState& buttons) override;
    bool isTypeOf(const char* type) const override;
    CView* newCopy() const override { return new CRockerSwitch(*this); }

    CCoord getHeightOfOneImage() const { return heightOfOneImage; }
    int32_t getStyle() const { return style; }

  protected:
    void drawImage(CDrawContext* context, int32_t index, const CPoint& origin);

    CCoord heightOfOneImage;
    CPoint offset;
    int32_t style;
};

// Draws image k of a vertical strip of images `imageHeight` high into `dest`.
void drawMultiImage(CDrawContext* context, const CBitmap* bitmap, const CRect& dest,
                    const CPoint& origin, CCoord imageHeight, int32_t index);
