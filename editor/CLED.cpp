#include "editor/CLED.h"

#include "toolkit/CBitmap.h"

CLED::CLED(const CRect& size, CBitmap* bitmap)
    : CControl(size, nullptr, 0, nullptr), bitmap(bitmap), drawingRect(size) {
    if (bitmap) {
        bitmap->remember();
        onImageOffset = CPoint(0, bitmap->getHeight() / 2);
    }
    setValue(0);
}

CLED::CLED(const CLED& other)
    : CControl(other), bitmap(other.bitmap), offImageOffset(other.offImageOffset),
      onImageOffset(other.onImageOffset), drawingRect(other.drawingRect) {
    if (bitmap) bitmap->remember();
}

CLED::~CLED() {
    if (bitmap) bitmap->forget();
}

void CLED::draw(CDrawContext* context) {
    if (bitmap) bitmap->draw(context, drawingRect, value > 0.5f ? onImageOffset : offImageOffset);
    setDirty(false);
}

bool CLED::isTypeOf(const char* type) const {
    return std::strcmp(type, "CLED") == 0 || CControl::isTypeOf(type);
}
