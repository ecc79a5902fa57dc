#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

#include "engine/FactoryPrograms.h"
#include "engine/ParameterMapping.h"
#include "host/workload/X87ControlWord.h"

namespace {

using namespace mapping;

TEST(ParameterMapping, FeedbackGainIsTheSamePerSecondAtEveryTransposition) {
    EXPECT_NEAR(feedbackGain(0.0f, 1.0f), 0.922036, 1e-6);
    EXPECT_NEAR(feedbackGain(1.0f, 1.0f), 0.998042, 1e-6);
    EXPECT_NEAR(feedbackGain(0.0f, 0.25f), 0.722756, 1e-6);
    EXPECT_NEAR(feedbackGain(1.0f, 0.25f), 0.992189, 1e-6);
    EXPECT_NEAR(feedbackGain(0.0f, 4.0f), 0.979912, 1e-6);
    EXPECT_NEAR(feedbackGain(1.0f, 4.0f), 0.99951, 1e-6);
}

TEST(ParameterMapping, FactoryProgramsReachTheBankWithTheirDesignedValues) {
    const double gain[] = {0.959286, 0.975153, 0.987499, 0.961146, 0.950954, 0.98038};
    const double damping[] = {0.856282, 0.967343, 0.938296, 0.63126, 0.882791, 0.856282};
    const float ratio[] = {1.0f, 1.0f, 2.0f, 0.5f, 0.25f, 1.0f};
    for (int p = 0; p < kNumFactoryPrograms; ++p) {
        const float* v = kFactoryPrograms[p].values;
        const float t = transpositionRatio(transposeStep(v[kTranspose]));
        EXPECT_EQ(t, ratio[p]) << kFactoryPrograms[p].name;
        EXPECT_NEAR(feedbackGain(v[kDecay], t), gain[p], 1e-6) << kFactoryPrograms[p].name;
        EXPECT_NEAR(dampingCoefficient(v[kDamp]), damping[p], 1e-6) << kFactoryPrograms[p].name;
    }
}

TEST(ParameterMapping, DampingAndLevelRanges) {
    EXPECT_NEAR(dampingCoefficient(0.0f), 0.99729, 1e-5);
    EXPECT_NEAR(dampingCoefficient(1.0f), 0.542005, 1e-6);
    EXPECT_EQ(outputGain(0.5f), 1.0f);
    EXPECT_EQ(outputGain(1.0f), 4.0f);
    EXPECT_NEAR(tuningRatio(0.0f), 1.0 / 1.05946, 1e-7);
    EXPECT_NEAR(tuningRatio(1.0f), 1.12246 / 1.05946, 1e-7);
}

TEST(ParameterMapping, TranspositionStepsRoundHalfUpInTheNormalRange) {
    EXPECT_EQ(transposeStep(0.0f), 0);
    EXPECT_EQ(transposeStep(0.5f), 24);
    EXPECT_EQ(transposeStep(0.49f), 24);
    EXPECT_EQ(transposeStep(25.0f / 48.0f), 25);
    EXPECT_EQ(transposeStep(1.0f), 48);
    EXPECT_EQ(transpositionRatio(0), 0.25f);
    EXPECT_EQ(transpositionRatio(48), 4.0f);
    EXPECT_EQ(transpositionRatio(36), 2.0f);
    EXPECT_EQ(bypassValue(0.49f), 0);
    EXPECT_EQ(bypassValue(0.5f), 1);
}

TEST(ParameterMapping, HostileValuesGiveAStableLoop) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    // Decay and Damp are clamped: any value keeps the loop gain finite and below one.
    for (float x : {-1e-9f, -1.0f, 1.05f, 2.0f, 1e30f, -1e30f, nan, inf, -inf}) {
        for (float t : {0.25f, 1.0f, 4.0f}) {
            const float g = feedbackGain(x, t);
            EXPECT_TRUE(g >= 0.0f && g < 1.0f) << x;
        }
        const float c = dampingCoefficient(x);
        EXPECT_TRUE(c > 0.5f && c < 1.0f) << x;
    }
    EXPECT_EQ(feedbackGain(-1e-9f, 1.0f), feedbackGain(0.0f, 1.0f));
    EXPECT_EQ(transposeStep(nan), 24);
    EXPECT_EQ(transposeStep(inf), 1073741824);
    EXPECT_EQ(transposeStep(-inf), -1073741824);
    EXPECT_EQ(bypassValue(nan), 0);
    EXPECT_EQ(bypassValue(2.0f), 2);
}

// Every derived value that goes through the math library, over a grid of parameter values,
// with the x87 control word set to `word` for the whole computation. Counts the calls after
// which the word was no longer `word`.
std::vector<float> derivedValues(std::uint16_t word, int& wordChanges) {
    const std::uint16_t original = lyreworkload::readX87ControlWord();
    std::vector<float> values;
    values.reserve(20001 * 6 + 49);
    lyreworkload::clearX87Exceptions();
    lyreworkload::writeX87ControlWord(word);
    auto keep = [&](float v) {
        values.push_back(v);
        if (lyreworkload::readX87ControlWord() != word) {
            ++wordChanges;
            lyreworkload::writeX87ControlWord(word);
        }
    };
    for (int step = 0; step <= 48; ++step)
        keep(transpositionRatio(step));
    for (int k = 0; k <= 20000; ++k) {
        const float x = static_cast<float>(k / 20000.0);
        keep(feedbackGain(x, 0.25f));
        keep(feedbackGain(x, 1.0f));
        keep(feedbackGain(x, 2.0f / 3.0f));
        keep(feedbackGain(x, 4.0f));
        keep(dampingCoefficient(x));
        keep(tuningRatio(x));
    }
    lyreworkload::writeX87ControlWord(original);
    return values;
}

std::size_t differences(const std::vector<float>& a, const std::vector<float>& b) {
    std::size_t count = 0;
    for (std::size_t i = 0; i < a.size() && i < b.size(); ++i)
        count += std::memcmp(&a[i], &b[i], sizeof(float)) != 0;
    return count;
}

// Some hosts leave the x87 unit at 24-bit precision, or with another rounding; the 32-bit and
// 64-bit Windows math libraries compute pow there. The derived values must not notice, and
// the host must get its control word back.
TEST(ParameterMapping, DerivedValuesIgnoreTheHostsX87ControlWord) {
    if (!lyreworkload::kHasX87) GTEST_SKIP() << "this processor has no x87 unit";
    const std::uint16_t original = lyreworkload::readX87ControlWord();
    int changes = 0;
    const std::vector<float> reference = derivedValues(original, changes);
    ASSERT_EQ(changes, 0);
    for (int bits : {24, 53, 64}) {
        const std::vector<float> values =
            derivedValues(*lyreworkload::withPrecision(original, bits), changes);
        EXPECT_EQ(differences(values, reference), 0u) << bits << "-bit precision";
        EXPECT_EQ(changes, 0) << bits << "-bit precision";
    }
    // 24 bits, rounding toward zero, and the precision exception unmasked: pow sets that flag
    // on almost every call, and it must not fire in the host's code afterwards.
    const std::uint16_t hostile =
        static_cast<std::uint16_t>((*lyreworkload::withPrecision(original, 24) | 0x0C00) & ~0x20);
    const std::vector<float> values = derivedValues(hostile, changes);
    EXPECT_EQ(differences(values, reference), 0u);
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(lyreworkload::readX87ControlWord(), original);
}

#if defined(_WIN32) && (defined(__i386__) || defined(__x86_64__))
// The check above is not idle here: without the guard the run-time's pow does follow the
// control word.
TEST(ParameterMapping, TheRunTimesPowFollowsTheX87PrecisionWithoutTheGuard) {
    const std::uint16_t original = lyreworkload::readX87ControlWord();
    auto powers = [](std::uint16_t word) {
        std::vector<double> out;
        lyreworkload::writeX87ControlWord(word);
        for (int k = 0; k <= 2000; ++k) {
            volatile double exponent = 1.0 - k / 2000.0;
            out.push_back(std::pow(1.84, exponent));
        }
        return out;
    };
    const std::vector<double> full = powers(original);
    const std::vector<double> reduced = powers(*lyreworkload::withPrecision(original, 24));
    lyreworkload::writeX87ControlWord(original);
    std::size_t differing = 0;
    for (std::size_t i = 0; i < full.size(); ++i)
        differing += full[i] != reduced[i];
    EXPECT_GT(differing, 100u);
}
#endif

} // namespace
