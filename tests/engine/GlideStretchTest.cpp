// The look-ahead stretch on its own: for random states, glides and rates, the distances in force
// at every sample of a stretch and the positions it leaves must be those of the per-sample rule.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <random>

#include "engine/BankKernel.h"
#include "engine/GlideStretch.h"
#include "engine/LoopPositions.h"
#include "engine/ParameterMapping.h"
#include "engine/ReadPosition.h"

namespace {

using bankkernel::kAhead;
using State = ResonatorBank::State;
using Block = ResonatorBank::Block;

// String 0's loop is exactly 401 samples at this rate.
constexpr float kWholeLoop = 44110.0f;

struct Case {
    float rate, tuning, detune, tuningTarget, detuneTarget;
    double transposition;
    std::int32_t write;
};

Case randomCase(std::mt19937& rng) {
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    static constexpr float kRates[] = {8000.0f, 44100.0f, 96000.0f, 192000.0f, 418400.0f};
    Case c;
    c.rate = rng() % 4 == 0 ? 4000.0f + unit(rng) * 400000.0f : kRates[rng() % 5];
    c.transposition = std::ldexp(1.0, static_cast<int>(rng() % 5) - 2);
    c.tuning = mapping::tuningRatio(unit(rng));
    c.tuningTarget = rng() % 3 == 0 ? c.tuning : mapping::tuningRatio(unit(rng));
    c.detune = unit(rng);
    c.detuneTarget = rng() % 3 == 0 ? c.detune : unit(rng);
    // Near the end of the lines, near the start (reads wrapped to the far end) or anywhere.
    const int where = static_cast<int>(rng() % 3);
    c.write = where == 0   ? 16383 - static_cast<std::int32_t>(rng() % 40)
              : where == 1 ? static_cast<std::int32_t>(rng() % 4000)
                           : static_cast<std::int32_t>(rng() % 16384);
    return c;
}

bool same(float a, float b) {
    return std::bit_cast<std::uint32_t>(a) == std::bit_cast<std::uint32_t>(b) ||
           (std::isnan(a) && std::isnan(b));
}

// The read positions of a sample from the glide values the sample before it left.
void exactReads(const Block& b, float tuning, float detune, std::int32_t previousWrite,
                std::int32_t* read) {
    for (int i = 0; i < 12; ++i)
        read[i] =
            (strings::readPosition(previousWrite, strings::loopLength(i, b.rate.rate, tuning,
                                                                      detune, b.transposition)) +
             1) &
            strings::kLineMask;
}

// Fills one stretch from `c` and checks every sample of it against the rule.
void checkStretch(const Case& c) {
    auto st = std::make_unique<State>();
    Block& b = st->block;
    b.rate = strings::rateTerms(c.rate);
    b.transposition = c.transposition;
    b.tuningTarget = c.tuningTarget;
    b.detuneTarget = c.detuneTarget;
    st->tuning = c.tuning;
    st->detune = c.detune;
    st->write = c.write;
    float tuning = c.tuning, detune = c.detune;
    exactReads(b, tuning, detune, (c.write - 1) & strings::kLineMask, st->read);
    std::int32_t expected[12];
    std::copy(st->read, st->read + 12, expected);

    bankkernel::fillAhead<false>(*st, b);
    const State::Ahead& a = st->ahead;
    ASSERT_EQ(a.count, std::min(kAhead, 16384 - c.write));
    for (std::int32_t k = 0; k < a.count; ++k) {
        // An entry is written at or before the sample that reads it.
        const std::int32_t current = a.entry[k];
        ASSERT_LE(current, k);
        const std::int32_t w = c.write + k;
        std::int32_t distance[12];
        bankkernel::deltasFor(expected, w, distance);
        for (int i = 0; i < 12; ++i) {
            ASSERT_EQ(a.at[current][i], distance[i]) << "sample " << k << ", string " << i;
            ASSERT_FALSE(a.pairs && bankkernel::readsNextFrame(distance[i], i));
        }
        bankkernel::glideDetune(detune, b.detuneTarget);
        bankkernel::glideTuning(tuning, b.tuningTarget);
        ASSERT_TRUE(same(a.tuning[k], tuning)) << a.tuning[k] << " instead of " << tuning;
        ASSERT_TRUE(same(a.detune[k], detune)) << a.detune[k] << " instead of " << detune;
        exactReads(b, tuning, detune, w, expected);
    }
    for (int i = 0; i < 12; ++i)
        ASSERT_EQ(a.after[i], expected[i]) << "string " << i;
}

TEST(GlideStretch, DistancesAtEverySampleAreThoseOfThePerSampleRule) {
    std::mt19937 rng(7);
    for (int round = 0; round < 4000; ++round) {
        const Case c = randomCase(rng);
        SCOPED_TRACE(::testing::Message()
                     << "round " << round << ", rate " << c.rate << ", write " << c.write
                     << ", tuning " << c.tuning << " -> " << c.tuningTarget << ", detune "
                     << c.detune << " -> " << c.detuneTarget);
        checkStretch(c);
        if (HasFatalFailure()) return;
    }
}

// Values no parameter gives: non-finite glides, loops longer than the line, rates that make
// every loop a whole number; the stretch must still follow the rule.
TEST(GlideStretch, HostileValuesFollowTheRuleToo) {
    constexpr float kInf = std::numeric_limits<float>::infinity();
    constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
    const Case cases[] = {
        {44100.0f, 1.0f, 0.0f, kInf, 0.0f, 1.0, 100},
        {44100.0f, 1.0f, 0.0f, 1.0f, kNaN, 1.0, 16380},
        {44100.0f, kNaN, 0.5f, 1.0f, 0.5f, 1.0, 5},
        {44100.0f, 1.0f, 0.0f, -1.0f, 0.0f, 1.0, 300},
        {418400.0f, 0.943877f, 1.0f, 0.943877f, 0.0f, 0.25, 12000},
        {1.0e9f, 1.0f, 0.0f, 1.0f, 0.0f, 1.0, 7},
        {kWholeLoop, 1.0f, 0.0f, 1.0f, 0.0f, 1.0, 400},
        {kWholeLoop, 1.0f, 0.0f, 1.0f, 0.0f, 1.0, 16352},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "rate " << c.rate << ", write " << c.write);
        checkStretch(c);
    }
}

} // namespace

// The side-by-side bounds decide exactly as the one-string ones, which the bank tests prove, on
// random ranges and on ranges a few ulps either side of a whole loop; what they call bounded is.
TEST(GlideStretch, SideBySideBoundsDecideAsTheOneStringOnes) {
    std::mt19937 rng(43);
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    int vouched = 0, boundedLanes = 0;
    for (int round = 0; round < 4000; ++round) {
        Block b{};
        float rate = std::uniform_real_distribution<float>(4000.0f, 420000.0f)(rng);
        b.transposition = std::ldexp(1.0, static_cast<int>(rng() % 5) - 2);
        float t0 = mapping::tuningRatio(unit(rng)), d0 = unit(rng);
        float t1 = t0 + (rng() % 2 ? 1.0f : -1.0f) * unit(rng) * 6.4e-4f;
        float d1 = d0 + (rng() % 2 ? 1.0f : -1.0f) * unit(rng) * 0.02f;
        if (round < 64) { // string 0 at 401 samples, a few ulps under or over
            rate = kWholeLoop;
            b.transposition = 1.0;
            t0 = t1 = 1.0f;
            const double ulp =
                0x1p-37 / (kWholeLoop * strings::kDetuneSpread * strings::kDetuneWeight[0]);
            d0 = static_cast<float>((round % 16 - 8) * ulp);
            d1 = static_cast<float>((round % 16 - 8 + round / 16 % 3) * ulp);
        }
        b.rate = strings::rateTerms(rate);
        const bankkernel::GlideRange g{std::min(t0, t1), std::max(t0, t1), std::min(d0, d1),
                                       std::max(d0, d1)};
        for (int q = 0; q < 3; ++q) {
            strings::Int4 bounded;
            const strings::Int4 loops = bankkernel::sureLoops(b, q, g, bounded);
            for (int lane = 0; lane < 4; ++lane) {
                const int string = 4 * q + lane;
                ASSERT_EQ(loops[lane], bankkernel::sureLoop(b, string, g))
                    << "round " << round << ", string " << string;
                vouched += loops[lane] > 0;
                if (!bounded[lane]) continue;
                // Exact rows leave out their range checks on this word: every length the range
                // can give must lie between 1 and 16000 samples.
                ++boundedLanes;
                for (float t : {t0, t1, 0.5f * (t0 + t1)})
                    for (float d : {d0, d1, 0.5f * (d0 + d1)}) {
                        const double length =
                            strings::loopLength(string, rate, t, d, b.transposition);
                        ASSERT_TRUE(length >= 1.0 && length <= 16000.0)
                            << "round " << round << ", string " << string << ": " << length;
                    }
            }
        }
    }
    EXPECT_GT(vouched, 15000);
    EXPECT_GT(boundedLanes, 40000);
}

namespace {

template <bool Wide> void guessedSteps(float* out, float tuning, float target, std::int32_t count) {
    bankkernel::tuningSteps<Wide>(out, tuning, target, count);
}
[[gnu::target("avx2")]] void wideGuessedSteps(float* out, float tuning, float target,
                                              std::int32_t count) {
    bankkernel::tuningSteps<true>(out, tuning, target, count);
}

// Whole glides in stretches of every length, through the limited speed, the easing, the snap and
// across binades, must give each step of the per-sample rule bit for bit.
void checkGlide(bool wide, float tuning, float target, std::int32_t count, int stretches) {
    float expected = tuning;
    for (int s = 0; s < stretches; ++s) {
        float out[kAhead];
        if (wide)
            wideGuessedSteps(out, tuning, target, count);
        else
            guessedSteps<false>(out, tuning, target, count);
        for (std::int32_t k = 0; k < count; ++k) {
            bankkernel::glideTuning(expected, target);
            ASSERT_EQ(std::bit_cast<std::uint32_t>(out[k]), std::bit_cast<std::uint32_t>(expected))
                << "stretch " << s << ", step " << k << ": " << out[k] << " instead of "
                << expected;
        }
        tuning = out[count - 1];
    }
}

} // namespace

TEST(GlideStretch, GuessedTuningStepsAreThoseOfThePerSampleRule) {
    constexpr float kInf = std::numeric_limits<float>::infinity();
    constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
    const float pairs[][2] = {
        {0.943877f, 1.059463f}, {1.059463f, 0.943877f}, // across 1.0 both ways
        {0.45f, 0.55f},         {2.1f, 1.9f},           // across 0.5 and 2.0
        {1.0f, 1.0f + 1e-3f},   {1.0f, 1.0f},           // the snap; nothing to do
        {-0.1f, 0.1f},          {0.1f, -0.1f},          // through zero and its signs
        {1e-30f, 1.0f},         {1.0f, kInf},           // from tiny values; no end
        {kNaN, 1.0f},           {1.0f, kNaN},           {kInf, 1.0f},
    };
    const bool avx2 = __builtin_cpu_supports("avx2");
    for (const auto& p : pairs)
        for (std::int32_t count : {1, 3, 4, 5, 17, kAhead})
            for (bool wide : {false, true}) {
                if (wide && !avx2) continue;
                SCOPED_TRACE(::testing::Message() << p[0] << " to " << p[1] << ", " << count
                                                  << " per stretch, wide " << wide);
                checkGlide(wide, p[0], p[1], count, 12000 / count);
            }
}
