#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "editor/DisplayText.h"

namespace {

template <typename F> std::string text(F f, float v) {
    char buffer[16];
    f(v, buffer);
    return buffer;
}

TEST(DisplayText, DecibelsOfTheOutputGain) {
    using displaytext::decibels;
    EXPECT_EQ(text(decibels, 1.0f), "0.0dB");    // Output 0.5
    EXPECT_EQ(text(decibels, 4.0f), "12.0dB");   // Output 1.0
    EXPECT_EQ(text(decibels, 0.25f), "-12.0dB"); // Output 0.25
    EXPECT_EQ(text(decibels, 0.0f), "-oo dB");
    EXPECT_EQ(text(decibels, 1e-8f), "-oo dB");
    EXPECT_EQ(text(decibels, 0.9f), "-0.9dB"); // -0.915: the sign comes from the format
    EXPECT_EQ(text(decibels, 0.8f), "-1.9dB"); // -1.938: truncated, not rounded
    EXPECT_EQ(text(decibels, 2.0f), "6.0dB");
    EXPECT_EQ(text(decibels, std::numeric_limits<float>::quiet_NaN()), "-oo dB");
}

TEST(DisplayText, SemitonesCentsAndPercent) {
    using namespace displaytext;
    EXPECT_EQ(text(semitones, 0.0f), "b24");
    EXPECT_EQ(text(semitones, 0.5f), "0");
    EXPECT_EQ(text(semitones, 1.0f), "#24");
    EXPECT_EQ(text(semitones, 25.0f / 48.0f), "#1");
    EXPECT_EQ(text(semitones, 0.49f), "0");
    EXPECT_EQ(text(cents, 0.0f), "-100c");
    EXPECT_EQ(text(cents, 0.5f), "0c");
    EXPECT_EQ(text(cents, 1.0f), "100c");
    EXPECT_EQ(text(cents, 0.499f), "0c"); // -0.2 truncates toward zero
    EXPECT_EQ(text(percent, 0.25f), "25%");
    EXPECT_EQ(text(percent, 0.999f), "99%");
    EXPECT_EQ(text(percent, 1.0f), "100%");
}

} // namespace
