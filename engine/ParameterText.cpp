#include "engine/ParameterText.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "engine/DecimalLogarithm.h"
#include "engine/ParameterMapping.h"
#include "engine/Parameters.h"

namespace paramtext {

namespace {

constexpr const char* kNames[kNumParams] = {" Output ",    " Mix ",  " Decay ",  " Damp ",
                                            " Transpose ", " Tune ", " Detune ", " Bypass "};
constexpr const char* kLabels[kNumParams] = {" dB ", " % ",     " % ", " % ",
                                             " st ", " cents ", " % ", "  "};
constexpr const char* kUnknown = " - ";

float percent(float x) {
    return static_cast<float>(100.0 * static_cast<double>(x));
}

} // namespace

const char* name(std::int32_t index) {
    return isParameterIndex(index) ? kNames[index] : kUnknown;
}

const char* label(std::int32_t index) {
    return isParameterIndex(index) ? kLabels[index] : kUnknown;
}

bool formatNumber(float value, int decimals, char* text) {
    const double v = value;
    const bool negative = v < 0.0;
    const double magnitude = std::fabs(v);
    // NaN fails this test too. An empty text keeps a host from showing a stale buffer.
    if (!(magnitude <= (negative ? 9999999.0 : 99999999.0))) {
        text[0] = 0;
        return false;
    }
    const double whole = std::floor(magnitude);
    // Only the lowest digits fit the host's short text field.
    const auto integerPart =
        static_cast<unsigned long>(whole) % (negative ? 1000000UL : 10000000UL);
    // Exact: the fraction of a float has at most 24 significant bits, times 10 fits a double.
    const int fractionDigit = static_cast<int>((magnitude - whole) * 10.0);
    if (decimals > 0)
        std::sprintf(text, "%s%lu.%d", negative ? "-" : "", integerPart, fractionDigit);
    else
        std::sprintf(text, "%s%lu", negative ? "-" : "", integerPart);
    return true;
}

void display(std::int32_t index, float x, char* text) {
    switch (index) {
    case kOutput: {
        const float gain = mapping::outputGain(x);
        if (static_cast<double>(gain) <= 0.00001) {
            std::strcpy(text, "-oo");
            return;
        }
        // Our own log10: the run-time's differs between systems in the last bits.
        formatNumber(static_cast<float>(20.0 * declog::log10(static_cast<double>(gain))), 1, text);
        return;
    }
    case kMix:
    case kDecay:
    case kDamp:
    case kDetune:
        formatNumber(percent(x), 1, text);
        return;
    case kTranspose:
        formatNumber(static_cast<float>(mapping::transposeStep(x) - 24), 0, text);
        return;
    case kTune:
        formatNumber(static_cast<float>(200.0 * (static_cast<double>(x) - 0.5)), 1, text);
        return;
    case kBypass:
        std::strcpy(text, mapping::bypassValue(x) != 0 ? " bypassed " : " process ");
        return;
    default:
        std::strcpy(text, kUnknown);
        return;
    }
}

} // namespace paramtext
