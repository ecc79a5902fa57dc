#include "editor/DisplayText.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "engine/DecimalLogarithm.h"

namespace displaytext {

namespace {

// Truncation toward zero, defined for any value a control can hold (NaN shows as 0).
int wholePart(double v) {
    if (std::isnan(v)) return 0;
    return static_cast<int>(std::clamp(v, -1e9, 1e9));
}

} // namespace

void percent(float value, char* text) {
    std::snprintf(text, 16, "%d%%", wholePart(static_cast<double>(value) * 100.0));
}

void cents(float value, char* text) {
    std::snprintf(text, 16, "%dc", wholePart(static_cast<double>(value) * 200.0 - 100.0));
}

void semitones(float value, char* text) {
    const int s = wholePart(static_cast<double>(value) * 48.0 + 0.5) - 24;
    if (s > 0)
        std::snprintf(text, 16, "#%d", s);
    else if (s < 0)
        std::snprintf(text, 16, "b%d", -s);
    else
        std::snprintf(text, 16, "0");
}

void decibels(float gain, char* text) {
    if (!(static_cast<double>(gain) > 1e-8)) {
        std::snprintf(text, 16, "-oo dB");
        return;
    }
    // The logarithm rounded to float, from our own log10 so that every platform shows the same
    // digit where the value sits at a truncation boundary.
    const double a =
        20.0 * static_cast<double>(static_cast<float>(declog::log10(static_cast<double>(gain))));
    const int i = wholePart(a);
    const int f = wholePart(std::fabs((a - i) * 10.0));
    // Between -1 and 0 the integer part is 0 and carries no sign of its own.
    std::snprintf(text, 16, a < 0.0 && a > -1.0 ? "-%d.%ddB" : "%d.%ddB", i, f);
}

} // namespace displaytext
