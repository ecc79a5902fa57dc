#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <initializer_list>
#include <limits>
#include <string>

#include "editor/DisplayText.h"
#include "engine/DecimalLogarithm.h"
#include "engine/ParameterMapping.h"
#include "engine/ParameterText.h"
#include "engine/Parameters.h"
#include "tests/engine/DecibelBoundaryGains.h"

namespace {

std::string shown(int index, float x) {
    char text[64];
    std::memset(text, 'X', sizeof text);
    paramtext::display(index, x, text);
    return text;
}

std::string number(float v, int decimals) {
    char text[64] = "stale";
    paramtext::formatNumber(v, decimals, text);
    return text;
}

TEST(ParameterText, NamesAndLabelsCarryOneSpaceEachSide) {
    EXPECT_STREQ(paramtext::name(kTranspose), " Transpose ");
    EXPECT_STREQ(paramtext::name(kBypass), " Bypass ");
    EXPECT_STREQ(paramtext::label(kOutput), " dB ");
    EXPECT_STREQ(paramtext::label(kTune), " cents ");
    EXPECT_STREQ(paramtext::label(kBypass), "  ");
    EXPECT_STREQ(paramtext::name(8), " - ");
    EXPECT_STREQ(paramtext::label(-1), " - ");
}

TEST(ParameterText, EdgeValuesOfEveryParameter) {
    EXPECT_EQ(shown(kOutput, 0.0f), "-oo");
    EXPECT_EQ(shown(kOutput, 0.0015f), "-oo"); // gain 9e-6 is below the floor
    EXPECT_EQ(shown(kOutput, 0.25f), "-12.0");
    EXPECT_EQ(shown(kOutput, 0.5f), "0.0");
    EXPECT_EQ(shown(kOutput, 1.0f), "12.0");
    EXPECT_EQ(shown(kMix, 0.0f), "0.0");
    EXPECT_EQ(shown(kMix, 1.0f), "100.0");
    EXPECT_EQ(shown(kDecay, 0.25f), "25.0");
    EXPECT_EQ(shown(kTranspose, 0.0f), "-24");
    EXPECT_EQ(shown(kTranspose, 1.0f), "24");
    EXPECT_EQ(shown(kTranspose, 25.0f / 48.0f), "1");
    EXPECT_EQ(shown(kTranspose, 23.0f / 48.0f), "-1");
    EXPECT_EQ(shown(kTranspose, 0.49f), "0");
    EXPECT_EQ(shown(kTune, 0.0f), "-100.0");
    EXPECT_EQ(shown(kTune, 0.5f), "0.0");
    EXPECT_EQ(shown(kTune, 1.0f), "100.0");
    EXPECT_EQ(shown(kBypass, 0.49f), " process ");
    EXPECT_EQ(shown(kBypass, 0.5f), " bypassed ");
    EXPECT_EQ(shown(9, 0.5f), " - ");
}

TEST(ParameterText, DigitsAreTruncatedNeverRounded) {
    EXPECT_EQ(number(12.7f, 1), "12.6"); // 12.6999998... as a float
    EXPECT_EQ(number(-0.35f, 1), "-0.3");
    EXPECT_EQ(number(0.99f, 1), "0.9");
    EXPECT_EQ(number(-0.04f, 1), "-0.0");
    EXPECT_EQ(number(-7.9f, 0), "-7");
    EXPECT_EQ(shown(kMix, 0.999f), "99.9");
}

TEST(ParameterText, OnlyTheLowestDigitsFitAndHugeValuesShowNothing) {
    EXPECT_EQ(number(12345678.0f, 0), "2345678");
    EXPECT_EQ(number(-1234567.0f, 0), "-234567");
    EXPECT_EQ(number(99999999.0f, 0), ""); // rounds to 1e8 as a float
    EXPECT_EQ(number(-10000000.0f, 0), "");
    EXPECT_EQ(number(std::numeric_limits<float>::quiet_NaN(), 1), "");
    EXPECT_EQ(number(std::numeric_limits<float>::infinity(), 1), "");
}

TEST(ParameterText, OutOfRangeAndNonFiniteValuesStillGiveDefinedTexts) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    EXPECT_EQ(shown(kMix, 2.0f), "200.0");
    EXPECT_EQ(shown(kMix, -0.5f), "-50.0");
    EXPECT_EQ(shown(kTranspose, 2.0f), "72");
    EXPECT_EQ(shown(kTranspose, nan), "0");
    EXPECT_EQ(shown(kTranspose, 1e30f), "");
    EXPECT_EQ(shown(kOutput, inf), "");
    EXPECT_EQ(shown(kOutput, nan), "");
    EXPECT_EQ(shown(kBypass, nan), " process ");
    EXPECT_EQ(shown(kBypass, -2.0f), " bypassed "); // trunc(-1.5) is nonzero
    EXPECT_EQ(shown(kDecay, -1e30f), "");
}

// How many units in the last place of a double apart two values are.
double ulpsApart(double a, double b) {
    const double ulp = std::nextafter(std::fabs(b), INFINITY) - std::fabs(b);
    return std::fabs(a - b) / ulp;
}

TEST(DecimalLogarithm, ExactAtPowersOfTenAndDefinedForEveryDouble) {
    double power = 1.0;
    for (int k = 0; k <= 22; ++k, power *= 10.0) // 10^k is exact up to 10^22
        EXPECT_LE(ulpsApart(declog::log10(power), k), 1.0) << k;
    EXPECT_EQ(declog::log10(1.0), 0.0);
    EXPECT_EQ(declog::log10(0.0), -INFINITY);
    EXPECT_EQ(declog::log10(-0.0), -INFINITY);
    EXPECT_EQ(declog::log10(INFINITY), INFINITY);
    EXPECT_TRUE(std::isnan(declog::log10(-1.0)));
    EXPECT_TRUE(std::isnan(declog::log10(std::numeric_limits<double>::quiet_NaN())));
    // Subnormals: the smallest double is 2^-1074.
    EXPECT_LE(
        ulpsApart(declog::log10(std::numeric_limits<double>::denorm_min()), -323.30621534311580),
        1.0);
    EXPECT_LE(ulpsApart(declog::log10(0.1), -1.0), 1.0);
    EXPECT_LE(ulpsApart(declog::log10(2.0), 0.30102999566398120), 1.0);
}

TEST(DecimalLogarithm, StaysWithinAnUlpOrTwoOfTheRunTimeEverywhere) {
    // Exponents from subnormal to huge, mantissas across each octave.
    int compared = 0;
    for (double x = 1e-310; x < 1e300; x *= 1.0137) {
        ASSERT_LE(ulpsApart(declog::log10(x), std::log10(x)), 2.0) << x;
        ++compared;
    }
    EXPECT_GT(compared, 90000);
}

std::string hostDecibels(float gain) {
    char text[64] = "stale";
    paramtext::formatNumber(static_cast<float>(20.0 * declog::log10(gain)), 1, text);
    return text;
}

std::string editorDecibels(float gain) {
    char text[16];
    displaytext::decibels(gain, text);
    return text;
}

// The neighbouring float on the other side of the rounding midpoint nearest to v.
float otherRounding(double v) {
    const float f = static_cast<float>(v);
    const float down = std::nextafter(f, -INFINITY), up = std::nextafter(f, INFINITY);
    return std::fabs(v - 0.5 * (double(f) + down)) < std::fabs(v - 0.5 * (double(f) + up)) ? down
                                                                                           : up;
}

// Every gain whose logarithm sits next to a rounding midpoint shows the same text whichever
// way a log10 with a last-bit difference rounds it; everywhere else the float does not move.
// So the texts cannot depend on which (accurate) log10 the system has.
TEST(DecibelText, GainsAtRoundingMidpointsShowTheSameTextEitherWay) {
    for (float gain : boundary::kHostGains) {
        const double v = 20.0 * declog::log10(gain);
        const float nearer = static_cast<float>(v), other = otherRounding(v);
        EXPECT_LT(std::fabs(v - 0.5 * (double(nearer) + other)),
                  64.0 * (std::nextafter(std::fabs(v), INFINITY) - std::fabs(v)))
            << "not next to a midpoint: " << gain;
        char a[64], b[64];
        paramtext::formatNumber(nearer, 1, a);
        paramtext::formatNumber(other, 1, b);
        EXPECT_STREQ(a, b) << gain;
        EXPECT_EQ(hostDecibels(gain), a);
    }
    for (float gain : boundary::kEditorGains) {
        const double v = declog::log10(gain);
        const float nearer = static_cast<float>(v), other = otherRounding(v);
        EXPECT_LT(std::fabs(v - 0.5 * (double(nearer) + other)),
                  64.0 * (std::nextafter(std::fabs(v), INFINITY) - std::fabs(v)))
            << "not next to a midpoint: " << gain;
        // The editor's own format from either float.
        auto format = [](float log) {
            const double a = 20.0 * static_cast<double>(log);
            const int i = static_cast<int>(a);
            const int f = static_cast<int>(std::fabs((a - i) * 10.0));
            char text[32];
            std::snprintf(text, sizeof text, a < 0.0 && a > -1.0 ? "-%d.%ddB" : "%d.%ddB", i, f);
            return std::string(text);
        };
        EXPECT_EQ(format(nearer), format(other)) << gain;
        EXPECT_EQ(editorDecibels(gain), format(nearer)) << gain;
    }
}

TEST(DecibelText, TruncationBoundariesOfTheOutputKnob) {
    EXPECT_EQ(shown(kOutput, 0.5f), "0.0");
    EXPECT_EQ(editorDecibels(1.0f), "0.0dB");
    // 0.2594 gives a gain of 0.26915348, 20 log10 = -11.4000001: the host's double stays on
    // the far side of the boundary; the editor rounds the logarithm to the float nearest to it
    // (-0.569999993) first, which lands just inside -11.3.
    EXPECT_EQ(shown(kOutput, 0.2594f), "-11.4");
    EXPECT_EQ(editorDecibels(mapping::outputGain(0.2594f)), "-11.3dB");
    // The two floats either side of -1 dB (10^-0.05 = 0.89125094): past it the sign of a value
    // between -1 and 0 comes from the format alone.
    EXPECT_EQ(editorDecibels(0.8912509f), "-1.0dB");
    EXPECT_EQ(editorDecibels(0.8912510f), "-0.9dB");
    EXPECT_EQ(shown(kOutput, 0.00159f), "-99.9"); // gain 1.01e-5, just above the floor
}

#if defined(__GLIBC__)
// On Linux the texts are what glibc's log10 gave before: float(20 log10 g) is the same float
// for every gain the host text shows (all 156,777,044 floats in (1e-5, 4] were compared once;
// this checks every 61st).
TEST(DecibelText, HostTextsEqualTheOnesMadeWithGlibcLog10) {
    int compared = 0;
    for (float g = std::nextafter(1e-5f, 1.0f); g <= 4.0f;) {
        const double gain = g;
        ASSERT_EQ(static_cast<float>(20.0 * declog::log10(gain)),
                  static_cast<float>(20.0 * std::log10(gain)))
            << g;
        ++compared;
        for (int skip = 0; skip < 61; ++skip)
            g = std::nextafter(g, 8.0f);
    }
    EXPECT_GT(compared, 2500000);
}
#endif

} // namespace
