#include "formats/common/ParameterText.h"

#include <algorithm>
#include <bit>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>

#include "engine/ParameterMapping.h"
#include "engine/ParameterText.h"
#include "engine/Parameters.h"

namespace lyreformat {

std::string trimmed(const char* text) {
    std::string s = text ? text : "";
    const auto first = s.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    return s.substr(first, s.find_last_not_of(' ') - first + 1);
}

namespace {

constexpr int kTransposeSteps = 48;

std::string lowerCase(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// What the effect shows for `x`, as the number it names (-oo as minus infinity).
std::optional<double> shownNumber(int32_t index, float x) {
    char text[64] = {};
    paramtext::display(index, x, text);
    const std::string shown = trimmed(text);
    if (shown == "-oo") return -HUGE_VAL;
    char* end = nullptr;
    const double v = std::strtod(shown.c_str(), &end);
    if (end == shown.c_str()) return std::nullopt;
    // "-0.0" lies below "0.0": otherwise a typed 0 could land on the last value shown as -0.0.
    if (v == 0.0 && std::signbit(v)) return -std::numeric_limits<double>::denorm_min();
    return v;
}

// "25", "25 %", "25%": the number, if what follows it is nothing or the parameter's unit.
std::optional<double> typedNumber(int32_t index, const std::string& typed) {
    const std::string s = trimmed(typed.c_str());
    if (s == "-oo" || lowerCase(s) == "-inf") return -HUGE_VAL;
    char* end = nullptr;
    const double v = std::strtod(s.c_str(), &end);
    if (end == s.c_str() || !std::isfinite(v)) return std::nullopt;
    const std::string rest = lowerCase(trimmed(end));
    if (!rest.empty() && rest != lowerCase(trimmed(paramtext::label(index)))) return std::nullopt;
    return v;
}

// The normalised value in [0, 1] whose shown number is nearest to `target`, for a text that
// never falls as x rises: a bisection over the floats of [0, 1] in bit order.
double nearestContinuous(int32_t index, double target) {
    auto shownAt = [&](std::uint32_t bits) {
        return shownNumber(index, std::bit_cast<float>(bits)).value_or(-HUGE_VAL);
    };
    std::uint32_t lo = 0, hi = std::bit_cast<std::uint32_t>(1.0f);
    if (shownAt(hi) <= target) return 1.0;
    if (shownAt(lo) >= target) return 0.0;
    // Invariant: shown(lo) < target <= shown(hi).
    while (hi - lo > 1) {
        const std::uint32_t mid = lo + (hi - lo) / 2;
        (shownAt(mid) < target ? lo : hi) = mid;
    }
    const bool lowerIsNearer = target - shownAt(lo) < shownAt(hi) - target;
    return static_cast<double>(std::bit_cast<float>(lowerIsNearer ? lo : hi));
}

} // namespace

std::string valueText(int32_t index, double value) {
    char text[64] = {};
    paramtext::display(index, static_cast<float>(std::clamp(value, 0.0, 1.0)), text);
    return trimmed(text);
}

std::optional<double> typedValue(int32_t index, const char* text) {
    if (!isParameterIndex(index) || !text) return std::nullopt;
    const std::string typed = text;
    if (index == kBypass) {
        const std::string word = lowerCase(trimmed(typed.c_str()));
        char shown[64] = {};
        for (double x : {0.0, 1.0}) {
            paramtext::display(kBypass, static_cast<float>(x), shown);
            if (word == lowerCase(trimmed(shown)) || word == (x == 0.0 ? "0" : "1")) return x;
        }
        return std::nullopt;
    }
    const std::optional<double> target = typedNumber(index, typed);
    if (!target) return std::nullopt;
    if (index == kTranspose) {
        // The step whose text is nearest: every step's own value is step / 48.
        int best = 0;
        for (int step = 1; step <= kTransposeSteps; ++step) {
            const double x = static_cast<double>(step) / kTransposeSteps;
            const double bestX = static_cast<double>(best) / kTransposeSteps;
            if (std::fabs(*shownNumber(index, static_cast<float>(x)) - *target) <
                std::fabs(*shownNumber(index, static_cast<float>(bestX)) - *target))
                best = step;
        }
        return static_cast<double>(best) / kTransposeSteps;
    }
    return nearestContinuous(index, *target);
}

double transposeNormalized(double semitones) {
    constexpr double kHalf = kTransposeSteps / 2;
    if (std::isnan(semitones)) semitones = 0.0;
    return (std::clamp(std::round(semitones), -kHalf, kHalf) + kHalf) / kTransposeSteps;
}

double transposeSemitones(float normalized) {
    return mapping::transposeStep(normalized) - kTransposeSteps / 2;
}

} // namespace lyreformat
