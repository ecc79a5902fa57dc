// Shows a value as text, through a value-to-text function when one is installed.
#pragma once

#include "toolkit/CControl.h"
#include "toolkit/CDrawContext.h"
#include "toolkit/CFontDesc.h"

using CParamDisplayValueToStringProc = void (*)(float value, char* text);

// Style flags shared by the text controls.
enum CParamDisplayStyle : int32_t {
    kNoFrame = 1 << 3,
    kMultipleCheckStyle = 1 << 9,
    kPopupStyle = 1 << 10,
    kCheckStyle = 1 << 11,
    kNoDrawStyle = 1 << 12,
};

class CParamDisplay : public CControl {
  public:
    // Texts are cut to this many bytes, terminator included.
    static constexpr int kTextSize = 256;

    CParamDisplay(const CRect& size, CBitmap* background = nullptr, int32_t style = 0);
    CParamDisplay(const CParamDisplay&) = default;

    void draw(CDrawContext* context) override;

    void setStringConvert(CParamDisplayValueToStringProc convert) { stringConvert = convert; }
    void setFont(const CFontDesc& newFont) {
        font = newFont;
        setDirty();
    }
    const CFontDesc& getFont() const { return font; }
    void setFontColor(const CColor& color) {
        fontColor = color;
        setDirty();
    }
    const CColor& getFontColor() const { return fontColor; }
    void setBackColor(const CColor& color) {
        backColor = color;
        setDirty();
    }
    void setFrameColor(const CColor& color) {
        frameColor = color;
        setDirty();
    }
    void setHoriAlign(CHoriTxtAlign align) {
        horiAlign = align;
        setDirty();
    }
    CHoriTxtAlign getHoriAlign() const { return horiAlign; }
    void setBackOffset(const CPoint& newOffset) {
        backOffset = newOffset;
        setDirty();
    }
    const CPoint& getBackOffset() const { return backOffset; }
    void setStyle(int32_t newStyle) {
        style = newStyle;
        setDirty();
    }
    int32_t getStyle() const { return style; }
    void setAntialias(bool state) { antialias = state; }

    // The text the display shows for its current value.
    virtual void getDisplayText(char* text) const;
    bool isTypeOf(const char* type) const override;
    CView* newCopy() const override { return new CParamDisplay(*this); }

  protected:
    void drawBack(CDrawContext* context);
    void drawText(CDrawContext* context, const char* text);

    CParamDisplayValueToStringProc stringConvert = nullptr;
    CFontDesc font{"Arial", 9};
    CColor fontColor = kWhiteCColor;
    // No back or frame colour of its own until one is set.
    CColor backColor = kTransparentCColor;
    CColor frameColor = kTransparentCColor;
    CHoriTxtAlign horiAlign = kCenterText;
    CPoint backOffset;
    int32_t style;
    bool antialias = true;
};
