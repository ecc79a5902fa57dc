#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "engine/FactoryPrograms.h"
#include "engine/ParameterMapping.h"

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

} // namespace
