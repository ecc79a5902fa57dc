#include "editor/CNotice.h"

#include <algorithm>
#include <cstring>

CNotice::CNotice(const CRect& size) : CParamDisplay(size) {
    setMouseEnabled(false);
    setVisible(false);
}

void CNotice::show(const char* newText, std::uint32_t now, std::uint32_t duration) {
    text = newText ? newText : "";
    shownAt = now;
    shownFor = duration;
    setVisible(true);
    setDirty();
}

void CNotice::expire(std::uint32_t now) {
    // Unsigned difference: right across the tick count's wrap.
    if (isVisible() && now - shownAt >= shownFor) setVisible(false);
}

void CNotice::getDisplayText(char* out) const {
    const std::size_t length = std::min(text.size(), static_cast<std::size_t>(kTextSize - 1));
    std::memcpy(out, text.data(), length);
    out[length] = 0;
}

bool CNotice::isTypeOf(const char* type) const {
    return std::strcmp(type, "CNotice") == 0 || CParamDisplay::isTypeOf(type);
}
