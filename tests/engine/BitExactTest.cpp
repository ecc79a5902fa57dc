// The shipped bank against the plain reference bank: the same parameter changes, resets, sample
// rates and buffers go to both, and every output sample and every piece of state must be the same
// bit pattern. Only not-a-number values may differ, and only in their payload bits.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <random>
#include <vector>

#include "bench/baseline/BankDriver.h"
#include "bench/baseline/BaselineBank.h"
#include "engine/BankKernel.h"
#include "engine/LoopPositions.h"
#include "engine/ParameterMapping.h"
#include "engine/Parameters.h"
#include "engine/ResonatorBank.h"

namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

bool sameBits(float a, float b) {
    return std::bit_cast<std::uint32_t>(a) == std::bit_cast<std::uint32_t>(b) ||
           (std::isnan(a) && std::isnan(b));
}

// memcmp first; only if that fails, look for a pair that is not two NaNs.
::testing::AssertionResult sameSamples(const std::vector<float>& shipped,
                                       const std::vector<float>& reference) {
    if (std::memcmp(shipped.data(), reference.data(), shipped.size() * sizeof(float)) == 0)
        return ::testing::AssertionSuccess();
    for (std::size_t n = 0; n < shipped.size(); ++n)
        if (!sameBits(shipped[n], reference[n]))
            return ::testing::AssertionFailure()
                   << "sample " << n << ": " << shipped[n] << " instead of " << reference[n];
    return ::testing::AssertionSuccess();
}

// Staggered: the right output starts one sample after the left one, so the two overlap.
// Staggered and Staggered3: the right output starts one or three samples after the left one;
// Lagging: the left output starts two samples after the left input, in the same buffer.
enum class Routing {
    Stereo,
    MonoIn,
    MonoOut,
    InPlace,
    InPlaceMono,
    Crossed,
    Staggered,
    Staggered3,
    Lagging
};
constexpr int kRoutingCount = 9;

// One bank with its own buffers, driven the way the effect drives it.
template <class Bank> struct Rig {
    std::unique_ptr<Bank> bank = std::make_unique<Bank>();
    std::vector<float> inL, inR, outL, outR;

    BankDriver<Bank> driver{*bank};

    void process(const std::vector<float>& left, const std::vector<float>& right, Routing routing,
                 std::int32_t frames, float rate) {
        inL = left;
        inR = right;
        outL.assign(left.size(), 0.5f);
        outR.assign(left.size(), 0.25f);
        float* l = inL.data();
        float* r = inR.data();
        switch (routing) {
        case Routing::Stereo:
            bank->process(l, r, outL.data(), outR.data(), frames, rate);
            break;
        case Routing::MonoIn:
            bank->process(l, l, outL.data(), outR.data(), frames, rate);
            break;
        case Routing::MonoOut:
            bank->process(l, r, outL.data(), outL.data(), frames, rate);
            break;
        case Routing::InPlace:
            bank->process(l, r, l, r, frames, rate);
            break;
        case Routing::InPlaceMono:
            bank->process(l, r, l, l, frames, rate);
            break;
        case Routing::Staggered:
            outL.push_back(0.5f);
            bank->process(l, r, outL.data(), outL.data() + 1, frames, rate);
            break;
        case Routing::Crossed:
            bank->process(l, r, r, l, frames, rate);
            break;
        case Routing::Staggered3:
            outL.insert(outL.end(), 3, 0.5f);
            bank->process(l, r, outL.data(), outL.data() + 3, frames, rate);
            break;
        case Routing::Lagging:
            inL.insert(inL.end(), 2, 0.125f);
            bank->process(inL.data(), r, inL.data() + 2, outR.data(), frames, rate);
            break;
        }
    }
};

struct Pair {
    Rig<ResonatorBank> shipped;
    Rig<BaselineBank> reference;

    void setParameter(int index, float x) {
        shipped.driver.setParameter(index, x);
        reference.driver.setParameter(index, x);
    }
    // Raw derived values, bypassing the mapping: the bank must cope with anything.
    template <class Setter> void setControls(Setter set) {
        set(shipped.bank->controls());
        set(reference.bank->controls());
    }
    void requestTranspositionReset() {
        shipped.bank->requestTranspositionReset();
        reference.bank->requestTranspositionReset();
    }
    void requestFullReset() {
        shipped.bank->requestFullReset();
        reference.bank->requestFullReset();
    }

    ::testing::AssertionResult process(const std::vector<float>& left,
                                       const std::vector<float>& right, Routing routing,
                                       std::int32_t frames, float rate) {
        shipped.process(left, right, routing, frames, rate);
        reference.process(left, right, routing, frames, rate);
        for (auto [a, b] : {std::pair{&shipped.inL, &reference.inL},
                            {&shipped.inR, &reference.inR},
                            {&shipped.outL, &reference.outL},
                            {&shipped.outR, &reference.outR}})
            if (auto same = sameSamples(*a, *b); !same) return same;
        return sameState(false);
    }

    ::testing::AssertionResult sameState(bool withLines) const {
        const ResonatorBank& s = *shipped.bank;
        const BaselineBank& r = *reference.bank;
        if (s.writePosition() != r.writePosition())
            return ::testing::AssertionFailure() << "write position " << s.writePosition();
        if (!sameBits(s.tuningCurrent(), r.tuningCurrent()) ||
            !sameBits(s.detuneCurrent(), r.detuneCurrent()))
            return ::testing::AssertionFailure() << "glide values";
        for (int i = 0; i < 12; ++i) {
            if (s.readPositionOf(i) != r.readPositionOf(i))
                return ::testing::AssertionFailure()
                       << "read position of string " << i << ": " << s.readPositionOf(i)
                       << " instead of " << r.readPositionOf(i);
            if (!sameBits(s.filterState(i), r.filterState(i)))
                return ::testing::AssertionFailure() << "filter state of string " << i;
            for (int p = 0; withLines && p < 16384; ++p)
                if (!sameBits(s.lineSample(i, p), r.lineSample(i, p)))
                    return ::testing::AssertionFailure() << "line " << i << " at " << p;
        }
        return ::testing::AssertionSuccess();
    }
};

std::vector<float> signal(std::mt19937& rng, std::size_t frames) {
    std::vector<float> v(frames);
    std::uniform_real_distribution<float> level(-1.0f, 1.0f);
    switch (rng() % 4) {
    case 0:
        break; // silence: the strings ring out on the offset alone
    case 1:
        if (frames) v[rng() % frames] = 1.0f;
        break;
    default:
        for (float& x : v)
            x = level(rng);
        break;
    }
    return v;
}

float parameterValue(std::mt19937& rng) {
    static constexpr float kOdd[] = {0.0f, 1.0f, 0.5f, 0.49f, 25.0f / 48.0f, -1e-9f, 1.5f};
    if (rng() % 4 == 0) return kOdd[rng() % std::size(kOdd)];
    return std::uniform_real_distribution<float>(0.0f, 1.0f)(rng);
}

float sampleRate(std::mt19937& rng) {
    static constexpr float kRates[] = {44100.0f,  48000.0f, 96000.0f, 22050.0f,
                                       192000.0f, 8000.0f,  44000.0f, 88200.0f};
    if (rng() % 3 == 0) return std::uniform_real_distribution<float>(4000.0f, 400000.0f)(rng);
    return kRates[rng() % std::size(kRates)];
}

// Random sessions: parameter sweeps start glides, resets end them (so steady stretches follow),
// transposition steps clear the lines, block sizes and routings change from block to block.
void runSession(std::uint32_t seed, int events) {
    SCOPED_TRACE(::testing::Message() << "seed " << seed);
    std::mt19937 rng(seed);
    Pair pair;
    for (int p = 0; p < kNumParams; ++p)
        pair.setParameter(p, rng() % 2 ? 0.5f : 0.25f);
    pair.requestFullReset();
    static constexpr std::int32_t kFrames[] = {1, 2, 3, 7, 32, 64, 100, 511, 512, 1000, 4096};
    float rate = 44100.0f;
    for (int event = 0; event < events; ++event) {
        const unsigned pick = rng() % 16;
        if (pick < 5) {
            pair.setParameter(static_cast<int>(rng() % kNumParams), parameterValue(rng));
        } else if (pick < 6) {
            pair.requestFullReset();
        } else if (pick < 7) {
            rate = sampleRate(rng);
        } else {
            const std::int32_t frames = rng() % 40 == 0 ? -static_cast<std::int32_t>(rng() % 3)
                                                        : kFrames[rng() % std::size(kFrames)];
            const std::size_t length = static_cast<std::size_t>(std::max(frames, 1));
            const auto routing = static_cast<Routing>(rng() % kRoutingCount);
            const int repeats = 1 + static_cast<int>(rng() % 4);
            for (int k = 0; k < repeats; ++k)
                ASSERT_TRUE(
                    pair.process(signal(rng, length), signal(rng, length), routing, frames, rate))
                    << "event " << event << ", " << frames << " frames at " << rate << " Hz";
        }
    }
    EXPECT_TRUE(pair.sameState(true));
}

TEST(BitExact, RandomSessionsMatchTheReferenceSampleForSample) {
    for (std::uint32_t seed = 1; seed <= 6; ++seed)
        runSession(seed, 120);
}

TEST(BitExact, PlainKernelsMatchTheReferenceToo) {
    ResonatorBank::useWideKernels(false);
    for (std::uint32_t seed = 11; seed <= 13; ++seed)
        runSession(seed, 120);
    ResonatorBank::useWideKernels(true);
}

// Where the processor has AVX-512 the default set takes steady runs four samples at a time; the
// 256-bit set on its own must match as well.
TEST(BitExact, Avx2KernelsMatchTheReferenceToo) {
    using Set = ResonatorBank::KernelSet;
    if (ResonatorBank::useKernels(Set::Avx2) != Set::Avx2) {
        ResonatorBank::useWideKernels(true);
        GTEST_SKIP() << "no AVX2 here";
    }
    for (std::uint32_t seed = 21; seed <= 23; ++seed)
        runSession(seed, 120);
    ResonatorBank::useWideKernels(true);
}

TEST(BitExact, HostileRatesAndDerivedValuesMatchTheReference) {
    const float rates[] = {0.0f, kNaN, 1e9f, -44100.0f, kInf, 1e30f, 1e-30f, 418400.0f};
    const float odd[] = {kNaN, kInf, -kInf, 0.0f, -0.0f, 1e30f, -1e30f, 1e-40f, 2.0f};
    std::mt19937 rng(99);
    for (float rate : rates) {
        SCOPED_TRACE(::testing::Message() << "rate " << rate);
        Pair pair;
        for (int p = 0; p < kNumParams; ++p)
            pair.setParameter(p, 0.5f);
        pair.requestFullReset();
        for (int round = 0; round < 24; ++round) {
            const float v = odd[rng() % std::size(odd)];
            switch (round % 6) {
            case 0:
                pair.setParameter(static_cast<int>(rng() % kNumParams), v);
                break;
            case 1:
                pair.setControls([&](BankControls& c) { c.tuningTarget.store(v); });
                break;
            case 2:
                pair.setControls([&](BankControls& c) { c.detuneTarget.store(v); });
                break;
            case 3:
                pair.setControls([&](BankControls& c) { c.transposition.store(v); });
                pair.requestTranspositionReset();
                break;
            case 4:
                pair.setControls([&](BankControls& c) {
                    c.damping.store(v);
                    c.feedbackGain.store(rng() % 2 ? 0.99f : v);
                });
                break;
            case 5:
                pair.setControls([&](BankControls& c) { c.mix.store(v); });
                pair.requestFullReset();
                break;
            }
            const auto routing = static_cast<Routing>(round % kRoutingCount);
            auto left = signal(rng, 300);
            if (round == 20) left[17] = kNaN;
            ASSERT_TRUE(pair.process(left, signal(rng, 300), routing, 300, rate)) << round;
        }
        EXPECT_TRUE(pair.sameState(true));
    }
}

// Every parameter at half way, a full reset, and one block of noise to set the strings ringing.
::testing::AssertionResult ringMidway(Pair& pair, std::mt19937& rng) {
    for (int p = 0; p < kNumParams; ++p)
        pair.setParameter(p, 0.5f);
    pair.requestFullReset();
    return pair.process(signal(rng, 512), signal(rng, 512), Routing::Stereo, 512, 44100.0f);
}

// Hosts that hand over one sample at a time take a path of their own while the positions advance.
// Long enough for the write position and every read position to wrap on that path, with the
// routing, the gain and the bypass changing on the way, for both kernel sets.
TEST(BitExact, OneSampleBlocksMatchTheReferenceThroughWraps) {
    for (bool wide : {true, false}) {
        ResonatorBank::useWideKernels(wide);
        SCOPED_TRACE(::testing::Message() << "wide kernels " << wide);
        Pair pair;
        std::mt19937 rng(23);
        ASSERT_TRUE(ringMidway(pair, rng));
        static constexpr Routing kRoutings[] = {Routing::Stereo, Routing::MonoOut, Routing::InPlace,
                                                Routing::Crossed, Routing::InPlaceMono};
        std::uniform_real_distribution<float> level(-1.0f, 1.0f);
        for (int n = 0; n < 34000; ++n) {
            if (n == 6000) pair.setParameter(kOutput, 0.8f);
            if (n == 9000 || n == 12000) pair.setParameter(kBypass, n == 9000 ? 1.0f : 0.0f);
            if (n == 30000) pair.setParameter(kTune, 0.7f); // a glide leaves that path
            const Routing routing = kRoutings[n / 7000];
            ASSERT_TRUE(pair.process({level(rng)}, {level(rng)}, routing, 1, 44100.0f))
                << "sample " << n;
        }
        EXPECT_TRUE(pair.sameState(true));
    }
    ResonatorBank::useWideKernels(true);
}

// A host that splits every block at automation points runs whole glides one sample at a time:
// that path steps from the look-ahead directly and has to hand over to the steady one when the
// glide arrives, through target changes, bypass, mono routing, a reset and a longer block.
TEST(BitExact, GlidesInOneSampleBlocksMatchTheReferenceUntilTheyArrive) {
    for (bool wide : {true, false}) {
        ResonatorBank::useWideKernels(wide);
        SCOPED_TRACE(::testing::Message() << "wide kernels " << wide);
        Pair pair;
        std::mt19937 rng(29);
        ASSERT_TRUE(ringMidway(pair, rng));
        pair.setParameter(kTune, 0.9f);
        pair.setParameter(kDetune, 0.1f);
        const ResonatorBank& bank = *pair.shipped.bank;
        const auto arrived = [&] {
            return sameBits(bank.tuningCurrent(),
                            pair.shipped.bank->controls().tuningTarget.load()) &&
                   sameBits(bank.detuneCurrent(),
                            pair.shipped.bank->controls().detuneTarget.load());
        };
        int n = 0;
        for (; n < 60000 && !arrived(); ++n) {
            if (n == 700) pair.setParameter(kTune, 0.2f); // turns back half-way
            if (n == 1500 || n == 1700) pair.setParameter(kBypass, n == 1500 ? 1.0f : 0.0f);
            if (n == 2500) pair.requestTranspositionReset();
            const std::int32_t frames = n == 3000 ? 300 : 1;
            const Routing routing = n >= 4000 && n < 4500 ? Routing::MonoOut : Routing::Stereo;
            ASSERT_TRUE(
                pair.process(signal(rng, frames), signal(rng, frames), routing, frames, 48000.0f))
                << "block " << n;
        }
        ASSERT_TRUE(arrived()) << "the glides arrive within " << n << " blocks";
        EXPECT_GT(n, 5000) << "the glides ran through every event above";
        for (int m = 0; m < 3000; ++m)
            ASSERT_TRUE(pair.process(signal(rng, 1), signal(rng, 1), Routing::Stereo, 1, 48000.0f))
                << "after the glide, block " << m;
        EXPECT_TRUE(pair.sameState(true));
    }
    ResonatorBank::useWideKernels(true);
}

// Whether the masked read position moves on by exactly one with every write position.
bool advancesEverywhere(double length) {
    for (std::int32_t w = 0; w < 16384; ++w)
        if (strings::readPosition((w + 1) & 16383, length) !=
            ((strings::readPosition(w, length) + 1) & 16383))
            return false;
    return true;
}

// At 44110 Hz string 0's loop is exactly 401 samples. A detune of a few ulps of the rate moves
// it a hair above 401, where the rounding of w - D + 16384 depends on w: there the positions do
// not simply advance by one per sample, and the bank has to notice. Returns such a detune.
constexpr float kWholeLoopRate = 44110.0f;
float detuneWithAnUnevenLoop() {
    const double scale = kWholeLoopRate * strings::kDetuneSpread * strings::kDetuneWeight[0];
    for (int ulps = 1; ulps < 64; ++ulps) {
        const auto detune = static_cast<float>(ulps * 0x1p-37 / scale);
        if (!advancesEverywhere(strings::loopLength(0, kWholeLoopRate, 1.0, detune, 1.0)))
            return detune;
    }
    return -1.0f;
}

TEST(BitExact, AdvancingIsOnlyTrustedWhereItHoldsForEveryWritePosition) {
    std::mt19937 rng(3);
    for (int round = 0; round < 150; ++round) {
        const double whole = static_cast<double>(rng() % 17000) - 300.0;
        double length = whole + std::uniform_real_distribution<double>(-1.0, 1.0)(rng);
        if (round % 3 == 0) length = whole + std::ldexp(1.0, -30 - static_cast<int>(rng() % 20));
        if (round % 3 == 1) length = whole - std::ldexp(1.0, -30 - static_cast<int>(rng() % 20));
        if (strings::advancesByOne(length)) {
            ASSERT_TRUE(advancesEverywhere(length)) << length;
        }
    }
    EXPECT_TRUE(strings::advancesByOne(401.0));
    EXPECT_TRUE(strings::advancesByOne(400.9));
}

TEST(BitExact, LoopLengthsAtAndAHairAboveAWholeNumberMatchTheReference) {
    const float uneven = detuneWithAnUnevenLoop();
    ASSERT_GT(uneven, 0.0f);
    for (float detune : {0.0f, uneven}) {
        SCOPED_TRACE(::testing::Message() << "detune " << detune);
        Pair pair;
        for (int p = 0; p < kNumParams; ++p)
            pair.setParameter(p, 0.5f);
        pair.setParameter(kMix, 1.0f);
        pair.setParameter(kDetune, detune);
        pair.setControls([](BankControls& c) { c.tuningTarget.store(1.0f); });
        pair.requestFullReset(); // ends the glides at exactly these values
        std::mt19937 rng(5);
        // The write position wraps twice, through every place where truncation could differ.
        for (int block = 0; block < 70; ++block) {
            const std::int32_t frames = block % 2 ? 512 : 1 + block;
            ASSERT_TRUE(pair.process(signal(rng, frames), signal(rng, frames), Routing::Stereo,
                                     frames, kWholeLoopRate))
                << block;
        }
        EXPECT_TRUE(pair.sameState(true));
    }
}

// Read positions from reciprocals are only taken where they are vouched for; those must be the
// divided ones. Random settings, and loop lengths a hair from whole numbers.
TEST(BitExact, PositionsWithoutDivisionAreExactWhereVouchedFor) {
    std::mt19937 rng(17);
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    const strings::Reciprocals inverse = strings::reciprocals();
    int vouched = 0, declined = 0;
    for (int round = 0; round < 4000; ++round) {
        float rate = std::uniform_real_distribution<float>(4000.0f, 400000.0f)(rng);
        float detune = unit(rng);
        if (round % 4 == 1) { // string 0 exactly 401 samples, then a few ulps longer
            rate = kWholeLoopRate;
            detune = static_cast<float>(
                (round % 64) * 0x1p-37 /
                (kWholeLoopRate * strings::kDetuneSpread * strings::kDetuneWeight[0]));
        }
        if (round % 4 == 2)
            rate =
                std::bit_cast<float>(std::bit_cast<std::uint32_t>(rate) | 0x7f800000u); // inf/NaN
        const double tuning = round % 4 == 1 ? 1.0 : mapping::tuningRatio(unit(rng));
        const double transposition =
            round % 4 == 1 ? 1.0 : std::ldexp(1.0, static_cast<int>(rng() % 5) - 2);
        const std::int32_t write = static_cast<std::int32_t>(rng() % 16384);
        const strings::RateTerms terms = strings::rateTerms(rate);
        strings::Int4 near[strings::kQuads];
        if (!strings::readPositionsNear(write, terms, inverse, tuning, detune, transposition,
                                        near)) {
            ++declined;
            continue;
        }
        ++vouched;
        for (int i = 0; i < 12; ++i)
            ASSERT_EQ(near[i / 4][i % 4],
                      strings::readPosition(
                          write, strings::loopLength(i, rate, tuning, detune, transposition)))
                << "string " << i << " at " << rate << " Hz, detune " << detune;
    }
    // Settled loops away from whole numbers are vouched for; the near-whole and not-a-number
    // rounds are not.
    EXPECT_GT(vouched, 1900);
    EXPECT_GT(declined, 1900);
}

TEST(BitExact, VectorisedReadPositionsMatchTheScalarRule) {
    std::mt19937 rng(7);
    const double special[] = {
        0.0,   -0.0,   1.0,    0.5,          16384.0,  16383.999999, 3e9,          -3e9,
        1e300, -1e300, 5e-324, std::nan(""), HUGE_VAL, -HUGE_VAL,    2147500000.0, -2147500000.0};
    for (int round = 0; round < 2000; ++round) {
        const std::int32_t write = static_cast<std::int32_t>(rng() % 16384);
        strings::LoopLengths d;
        for (double& length : d.length)
            length = rng() % 3 == 0 ? special[rng() % std::size(special)]
                                    : std::uniform_real_distribution<double>(-2e4, 2e4)(rng);
        alignas(16) std::int32_t positions[12];
        strings::readPositions(write, d, positions);
        for (int i = 0; i < 12; ++i)
            ASSERT_EQ(positions[i], strings::readPosition(write, d.length[i]))
                << "length " << d.length[i] << " at " << write;
    }
}

// Glides of tuning and detune at once (which pull loop lengths in opposite directions for half
// the strings), from one end to the other, at rates where many loops cross whole numbers within a
// stretch and where the longest loops come within a sample of the line's length; every block
// size, both kernel sets.
TEST(BitExact, CrossingGlidesMatchTheReferenceAtEveryRate) {
    for (bool wide : {true, false}) {
        ResonatorBank::useWideKernels(wide);
        for (float rate : {44100.0f, 96000.0f, 192000.0f, 418000.0f, 418400.0f}) {
            SCOPED_TRACE(::testing::Message() << "wide " << wide << ", rate " << rate);
            Pair pair;
            for (int p = 0; p < kNumParams; ++p)
                pair.setParameter(p, 0.5f);
            pair.setParameter(kMix, 1.0f);
            pair.requestFullReset();
            std::mt19937 rng(static_cast<std::uint32_t>(rate) + wide);
            static constexpr std::int32_t kFrames[] = {1, 2, 3, 31, 32, 33, 64, 512, 4096};
            for (int block = 0; block < 60; ++block) {
                if (block % 12 == 0) {
                    const bool up = block % 24 == 0;
                    pair.setParameter(kTune, up ? 1.0f : 0.0f);
                    pair.setParameter(kDetune, up ? 1.0f : 0.0f);
                }
                if (block == 30) pair.setParameter(kTranspose, 0.0f); // the longest loops
                const std::int32_t frames = kFrames[rng() % std::size(kFrames)];
                ASSERT_TRUE(pair.process(signal(rng, frames), signal(rng, frames),
                                         static_cast<Routing>(rng() % kRoutingCount), frames, rate))
                    << "block " << block;
            }
            EXPECT_TRUE(pair.sameState(true));
        }
    }
    ResonatorBank::useWideKernels(true);
}

// Where the bounds of a range of glide values vouch for one loop, every tuning and detune inside
// them, at any write position, gives the read position of that loop. Random ranges, and ranges
// around a loop of exactly 401 samples and a few ulps above it.
TEST(BitExact, GlideBoundsOnlyVouchForLoopsEveryValueInsideThemGives) {
    std::mt19937 rng(41);
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    int vouched = 0, declined = 0;
    for (int round = 0; round < 3000; ++round) {
        ResonatorBank::Block b{};
        float rate = std::uniform_real_distribution<float>(4000.0f, 200000.0f)(rng);
        b.transposition = std::ldexp(1.0, static_cast<int>(rng() % 5) - 2);
        float t0 = mapping::tuningRatio(unit(rng)), d0 = unit(rng);
        float t1 = t0 + (rng() % 2 ? 1.0f : -1.0f) * unit(rng) * 6.4e-4f;
        float d1 = std::clamp(d0 + (rng() % 2 ? 1.0f : -1.0f) * unit(rng) * 0.02f, 0.0f, 1.0f);
        const bool nearWhole = round < 48;
        if (nearWhole) { // string 0 at exactly 401 samples, or a few ulps above
            rate = kWholeLoopRate;
            b.transposition = 1.0;
            t0 = t1 = 1.0f;
            const double ulp =
                0x1p-37 / (kWholeLoopRate * strings::kDetuneSpread * strings::kDetuneWeight[0]);
            d0 = static_cast<float>((round % 8) * ulp);
            d1 = static_cast<float>((round % 8 + round / 8 % 2) * ulp);
        }
        b.rate = strings::rateTerms(rate);
        const bankkernel::GlideRange g{std::min(t0, t1), std::max(t0, t1), std::min(d0, d1),
                                       std::max(d0, d1)};
        for (int i = 0; i < 12; ++i) {
            const std::int32_t loop = bankkernel::sureLoop(b, i, g);
            if (loop == 0) {
                ++declined;
                continue;
            }
            ++vouched;
            // Near a whole number only some write positions truncate differently: try them all.
            const int probes = nearWhole && i == 0 ? 16384 : 24;
            for (int probe = 0; probe < probes; ++probe) {
                const float t = probe == 0 ? t0
                                : probe == 1
                                    ? t1
                                    : g.tuningLow + unit(rng) * (g.tuningHigh - g.tuningLow);
                const float d = probe == 0 ? d0
                                : probe == 1
                                    ? d1
                                    : g.detuneLow + unit(rng) * (g.detuneHigh - g.detuneLow);
                if (t < g.tuningLow || t > g.tuningHigh || d < g.detuneLow || d > g.detuneHigh)
                    continue;
                const std::int32_t w =
                    probes == 16384 ? probe : static_cast<std::int32_t>(rng() % 16384);
                const double length = strings::loopLength(i, rate, t, d, b.transposition);
                ASSERT_EQ((strings::readPosition(w, length) + 1) & 16383, (w + 1 - loop) & 16383)
                    << "string " << i << " at " << rate << " Hz, length " << length;
            }
        }
    }
    EXPECT_GT(vouched, 20000);
    EXPECT_GT(declined, 2000);
}

} // namespace
