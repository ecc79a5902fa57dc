#include "toolkit/CParamDisplay.h"

#include <cstdio>

#include "toolkit/CBitmap.h"

CParamDisplay::CParamDisplay(const CRect& size, CBitmap* background, int32_t style)
    : CControl(size, nullptr, 0, background), style(style) {}

void CParamDisplay::getDisplayText(char* text) const {
    if (stringConvert)
        stringConvert(value, text);
    else
        std::snprintf(text, kTextSize, "%2.2f", static_cast<double>(value));
}

void CParamDisplay::drawBack(CDrawContext* context) {
    if (background) {
        background->draw(context, size, backOffset);
    } else if (backColor.alpha != 0) {
        context->setFillColor(backColor);
        context->drawRect(size, kDrawFilled);
    }
    if (!(style & kNoFrame) && frameColor.alpha != 0) {
        context->setFrameColor(frameColor);
        context->drawRect(size, kDrawStroked);
    }
}

void CParamDisplay::drawText(CDrawContext* context, const char* text) {
    context->setFont(font);
    context->setFontColor(fontColor);
    context->drawString(text, size, horiAlign, antialias);
}

void CParamDisplay::draw(CDrawContext* context) {
    if (!(style & kNoDrawStyle)) {
        char text[kTextSize] = {};
        getDisplayText(text);
        drawBack(context);
        drawText(context, text);
    }
    setDirty(false);
}

bool CParamDisplay::isTypeOf(const char* type) const {
    return std::strcmp(type, "CParamDisplay") == 0 || CControl::isTypeOf(type);
}
