#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>

#include "engine/ParameterText.h"
#include "engine/Parameters.h"

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

} // namespace
