#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <set>

#include "EffectFixture.h"
#include "engine/SubnormalFlush.h"

namespace {

// Mix 1, no damping: an impulse comes back from each string as a one-sample spike after
// exactly its loop length, which makes every loop measurable from the output.
std::unique_ptr<Lyrebloom> impulseEffect() {
    auto fx = makeEffect();
    fx->setParameter(kMix, 1.0f);
    fx->setParameter(kDamp, 0.0f);
    return fx;
}

std::set<int> spikes(const std::vector<float>& out, int from, int to) {
    std::set<int> at;
    for (int n = from; n < to; ++n)
        if (std::fabs(out[n]) > 1e-3f) at.insert(n);
    return at;
}

TEST(ResonatorBank, LoopLengthsAt44100HzMeasuredFromTheOutput) {
    auto fx = impulseEffect();
    StereoBlock block(420);
    block.inL[0] = block.inR[0] = 1.0f;
    block.run(*fx);
    // Left hears the even strings' filters and the taps read at the even strings' positions.
    EXPECT_EQ(spikes(block.outL, 1, 420), (std::set<int>{401, 358, 319, 284, 253, 226}));
    EXPECT_EQ(spikes(block.outR, 1, 420), (std::set<int>{379, 338, 301, 268, 239, 213}));
}

TEST(ResonatorBank, LoopsScaleWithTheSampleRateAndTransposition) {
    auto fx = impulseEffect();
    fx->setSampleRate(88200.0f);
    fx->setParameter(kTranspose, 36.0f / 48.0f); // an octave up cancels the doubled rate
    StereoBlock block(420);
    block.inL[0] = block.inR[0] = 1.0f;
    block.run(*fx);
    EXPECT_EQ(spikes(block.outL, 1, 420), (std::set<int>{401, 358, 319, 284, 253, 226}));
}

TEST(ResonatorBank, MixZeroPassesTheDryInputWithTheOffsetAndGain) {
    auto fx = makeEffect();
    fx->setParameter(kMix, 0.0f);
    fx->setParameter(kOutput, 1.0f); // gain 4
    StereoBlock block(64);
    for (int n = 0; n < 64; ++n) {
        block.inL[n] = 0.25f * std::sin(0.3f * n);
        block.inR[n] = -0.5f;
    }
    block.run(*fx);
    for (int n = 0; n < 64; ++n) {
        const float offset = n % 2 == 0 ? 1e-9f : -1e-9f;
        EXPECT_EQ(block.outL[n], static_cast<float>(4.0 * (block.inL[n] + offset)));
        EXPECT_EQ(block.outR[n], static_cast<float>(4.0 * (block.inR[n] + offset)));
    }
}

TEST(ResonatorBank, BypassLetsTheStringsRingOutAndStillBlendsTheDryInput) {
    auto fx = makeEffect();
    fx->setParameter(kMix, 0.5f);
    fx->setParameter(kDecay, 1.0f);
    StereoBlock excite(4096);
    for (int n = 0; n < 4096; ++n)
        excite.inL[n] = excite.inR[n] = (n * 7919 % 200) / 100.0f - 1.0f;
    excite.run(*fx);
    fx->setParameter(kBypass, 1.0f);
    StereoBlock silence(8192);
    silence.run(*fx);
    double early = 0, late = 0;
    for (int n = 0; n < 1024; ++n)
        early += silence.outL[n] * silence.outL[n];
    for (int n = 7168; n < 8192; ++n)
        late += silence.outL[n] * silence.outL[n];
    EXPECT_GT(early, 1e-3); // still ringing
    EXPECT_LT(late, early); // and dying away, since nothing new comes in
    // Fresh strings under bypass: only the dry half of the blend remains.
    fx->resume();
    StereoBlock dry(256);
    for (int n = 0; n < 256; ++n)
        dry.inL[n] = dry.inR[n] = 0.8f;
    dry.run(*fx);
    for (int n = 0; n < 256; ++n)
        EXPECT_NEAR(dry.outL[n], 0.4f, 1e-6f);
}

TEST(ResonatorBank, ResumeSilencesWhateverWasRinging) {
    auto fx = makeEffect();
    fx->setParameter(kMix, 1.0f);
    fx->setParameter(kDecay, 1.0f);
    StereoBlock excite(2048);
    std::fill(excite.inL.begin(), excite.inL.end(), 0.5f);
    excite.run(*fx);
    fx->suspend();
    fx->resume();
    StereoBlock after(2048);
    after.run(*fx);
    for (float v : after.outL)
        ASSERT_LT(std::fabs(v), 1e-6f);
    EXPECT_EQ(fx->bank().writePosition(), 2047); // restarted from the last slot
}

TEST(ResonatorBank, OnlyAChangedTranspositionStepEmptiesTheLines) {
    auto ringing = [] {
        auto fx = makeEffect();
        fx->setParameter(kMix, 1.0f);
        fx->setParameter(kDecay, 1.0f);
        fx->setParameter(kDamp, 0.0f);
        StereoBlock excite(2048);
        std::fill(excite.inL.begin(), excite.inL.end(), 0.5f);
        excite.run(*fx);
        return fx;
    };
    auto energyAfter = [](Lyrebloom& fx) {
        StereoBlock block(1024);
        block.run(fx);
        double e = 0;
        for (int n = 8; n < 1024; ++n)
            e += block.outL[n] * block.outL[n];
        return e;
    };
    auto same = ringing();
    same->setParameter(kTranspose, 0.49f); // same step as 0.5
    const double kept = energyAfter(*same);
    EXPECT_GT(kept, 1e-2);
    EXPECT_EQ(same->getParameter(kTranspose), 0.49f);

    // Only the filter states' last breath goes round again after the lines are emptied.
    auto moved = ringing();
    moved->setParameter(kTranspose, 25.0f / 48.0f);
    EXPECT_LT(energyAfter(*moved), kept * 1e-3);
}

TEST(ResonatorBank, DetuneGlideReachesNinetyNineEightInAbout8300Samples) {
    auto fx = makeEffect();
    fx->setParameter(kDetune, 1.0f);
    int reached = -1;
    for (int n = 0; n < 12000 && reached < 0; ++n) {
        StereoBlock one(1);
        one.run(*fx);
        if (fx->bank().detuneCurrent() >= 0.998f) reached = n + 1;
    }
    EXPECT_GT(reached, 8200);
    EXPECT_LT(reached, 8400);
    StereoBlock more(16);
    more.run(*fx);
    EXPECT_EQ(fx->bank().detuneCurrent(), 1.0f); // snapped once within 0.002
}

TEST(ResonatorBank, TuningGlideMovesAtAConstantSpeedWhileFarThenEasesIn) {
    auto fx = makeEffect();
    fx->setParameter(kTune, 0.0f);
    fx->resume(); // end the glide at the low end
    StereoBlock settle(1);
    settle.run(*fx);
    const float start = fx->bank().tuningCurrent();
    EXPECT_NEAR(start, 1.0 / 1.05946, 1e-7);
    fx->setParameter(kTune, 1.0f);
    StereoBlock block(1000);
    block.run(*fx);
    // 1000 steps of 0.00002, each rounded to float.
    EXPECT_NEAR(fx->bank().tuningCurrent() - start, 0.02, 5e-5);
    // The gap of about 0.1156 closes at constant speed down to 0.08 (sample ~1780), then by
    // 0.025 % per sample, and snaps at 0.0015 (~15900 samples later).
    StereoBlock ease(8780);
    ease.run(*fx);
    const double target = static_cast<float>(1.12246 / 1.05946);
    const double gap = target - fx->bank().tuningCurrent();
    EXPECT_NEAR(gap, 0.08 * std::exp(-2.0), 0.0015);
    StereoBlock rest(10000);
    rest.run(*fx);
    EXPECT_EQ(fx->bank().tuningCurrent(), static_cast<float>(target));
}

TEST(ResonatorBank, ATranspositionResetNeverLeavesADecayingStateSubnormal) {
    // Heavy damping makes each state fall by half a decade per sample once its line is cleared,
    // long before the offset comes back round the 401-sample loop.
    auto fx = makeEffect();
    fx->setParameter(kDamp, 1.0f);
    fx->setParameter(kDecay, 1.0f);
    StereoBlock excite(4096);
    for (int n = 0; n < 4096; ++n)
        excite.inL[n] = excite.inR[n] = n % 3 ? 0.7f : -0.7f;
    excite.run(*fx);
    fx->setParameter(kTranspose, 25.0f / 48.0f);
    for (int n = 0; n < 1000; ++n) {
        StereoBlock one(1);
        one.run(*fx);
        for (int i = 0; i < 12; ++i)
            ASSERT_NE(std::fpclassify(fx->bank().filterState(i)), FP_SUBNORMAL)
                << "string " << i << " at sample " << n;
    }
}

TEST(ResonatorBank, SilenceNeverLeavesSubnormalsInTheLoops) {
    auto fx = makeEffect();
    fx->setParameter(kDecay, 1.0f);
    StereoBlock excite(512);
    excite.inL[0] = 1.0f;
    excite.run(*fx);
    StereoBlock silence(44100 * 4);
    silence.run(*fx);
    for (int i = 0; i < 12; ++i) {
        EXPECT_NE(std::fpclassify(fx->bank().filterState(i)), FP_SUBNORMAL);
        for (int k = 0; k < 16384; ++k)
            ASSERT_NE(std::fpclassify(fx->bank().lineSample(i, k)), FP_SUBNORMAL);
    }
}

TEST(ResonatorBank, AnySampleRateOrParameterValueStaysInsideTheLines) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    for (float rate : {0.0f, -44100.0f, nan, inf, 1e9f, 1e30f, 8000.0f}) {
        auto fx = makeEffect();
        fx->setSampleRate(rate);
        for (int p = 0; p < kNumParams; ++p)
            for (float v : {nan, inf, -inf, 1e30f, -1e30f, -1e-9f, 1.5f}) {
                fx->setParameter(p, v);
                StereoBlock block(64);
                block.inL[0] = 1.0f;
                block.run(*fx);
                for (int i = 0; i < 12; ++i) {
                    ASSERT_GE(fx->bank().readPositionOf(i), 0);
                    ASSERT_LT(fx->bank().readPositionOf(i), 16384);
                }
            }
    }
}

TEST(ResonatorBank, InRangeParametersKeepTheOutputFiniteUnderLoudInput) {
    auto fx = makeEffect();
    fx->setParameter(kDecay, 1.0f);
    fx->setParameter(kDamp, 0.0f);
    fx->setParameter(kMix, 1.0f);
    fx->setParameter(kOutput, 1.0f);
    fx->setParameter(kDecay, -1e-9f); // a hair below zero must not poison the lines
    StereoBlock block(44100);
    for (int n = 0; n < 44100; ++n)
        block.inL[n] = block.inR[n] = n % 2 ? 1.0f : -1.0f;
    block.run(*fx);
    for (float v : block.outL)
        ASSERT_TRUE(std::isfinite(v));
    fx->setParameter(kDecay, 1.0f);
    block.run(*fx);
    double peak = 0;
    for (float v : block.outL)
        peak = std::max(peak, static_cast<double>(std::fabs(v)));
    EXPECT_TRUE(std::isfinite(peak));
    EXPECT_LT(peak, 1e3);
}

} // namespace

#if defined(__SSE2__) || defined(_M_X64)
// A host already in flush-to-zero mode is left alone, one without it gets its own mode back, and
// the output is the same either way.
TEST(ResonatorBank, TheHostsFloatingPointModeIsKeptAndDoesNotChangeTheOutput) {
    constexpr unsigned kExceptionFlags = 0x3F;
    const unsigned original = _mm_getcsr();
    std::vector<float> outputs[2];
    for (int flushing = 0; flushing < 2; ++flushing) {
        const unsigned host =
            flushing ? (original | SubnormalFlush::kBoth) : (original & ~SubnormalFlush::kBoth);
        _mm_setcsr(host);
        auto fx = makeEffect();
        fx->setParameter(kDamp, 1.0f);
        fx->setParameter(kDecay, 1.0f);
        for (int block = 0; block < 40; ++block) {
            StereoBlock b(block % 2 ? 1 : 300);
            for (std::size_t n = 0; n < b.inL.size(); ++n)
                b.inL[n] = b.inR[n] = block < 4 ? 0.7f : 0.0f;
            if (block == 20) fx->setParameter(kTranspose, 25.0f / 48.0f);
            b.run(*fx);
            // Only the mode bits belong to the host; the sticky exception flags record
            // whatever arithmetic ran meanwhile.
            EXPECT_EQ(_mm_getcsr() & ~kExceptionFlags, host & ~kExceptionFlags)
                << "block " << block;
            outputs[flushing].insert(outputs[flushing].end(), b.outL.begin(), b.outL.end());
        }
    }
    _mm_setcsr(original);
    ASSERT_EQ(outputs[0].size(), outputs[1].size());
    EXPECT_EQ(0,
              std::memcmp(outputs[0].data(), outputs[1].data(), outputs[0].size() * sizeof(float)));
}
#endif
