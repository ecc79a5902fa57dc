// A one-line message over the editor that goes away by itself: the only way the preset bar
// tells the user that a file was refused, without a modal box or anything on the host's
// thread. It takes no mouse input, so what lies under it keeps working.
#pragma once

#include <cstdint>
#include <string>

#include "toolkit/CParamDisplay.h"

class CNotice : public CParamDisplay {
  public:
    explicit CNotice(const CRect& size);

    // Shows the text from `now` (milliseconds of the platform's tick count) for `duration`.
    void show(const char* text, std::uint32_t now, std::uint32_t duration);
    // Hides the notice once its time is up; call on every refresh.
    void expire(std::uint32_t now);
    const std::string& getText() const { return text; }

    void getDisplayText(char* out) const override;
    bool isTypeOf(const char* type) const override;
    CView* newCopy() const override { return new CNotice(*this); }

  private:
    std::string text;
    std::uint32_t shownAt = 0;
    std::uint32_t shownFor = 0;
};
