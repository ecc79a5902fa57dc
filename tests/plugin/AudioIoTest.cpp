#include <cstring>

#include "LoadedPlugin.h"

namespace {

using lyrehost::PinSide;

class AudioIo : public ::testing::Test {
  protected:
    void SetUp() override {
        plugin = loadLyrebloom();
        plugin->setParameter(kMixIndex, 0.0f); // outputs are then exactly the dry inputs
    }
    std::unique_ptr<lyrehost::Plugin> plugin;
};

// Left carries 0.25, right -0.5: which input reached which output is plain to see.
Buffers distinctChannels(int frames) {
    Buffers b(frames);
    std::fill(b.inL.begin(), b.inL.end(), 0.25f);
    std::fill(b.inR.begin(), b.inR.end(), -0.5f);
    return b;
}

TEST_F(AudioIo, PinsAreDescribedForIndexesZeroAndOneOnly) {
    VstPinProperties pin;
    std::memset(&pin, 0x33, sizeof pin);
    EXPECT_EQ(plugin->dispatch(effGetInputProperties, 1, 0, &pin), 1);
    EXPECT_STREQ(pin.label, "ZEM Lyrebloom 2 In");
    EXPECT_EQ(pin.flags, 3);
    EXPECT_EQ(pin.arrangementType, 0x33333333); // left as the host filled it
    EXPECT_EQ(pin.shortLabel[0], 0x33);
    EXPECT_EQ(plugin->dispatch(effGetOutputProperties, 0, 0, &pin), 1);
    EXPECT_STREQ(pin.label, "ZEM Lyrebloom 1 Out");
    VstPinProperties untouched;
    std::memset(&untouched, 0x44, sizeof untouched);
    pin = untouched;
    for (VstInt32 index : {2, -1, 100}) {
        EXPECT_EQ(plugin->dispatch(effGetInputProperties, index, 0, &pin), 0);
        EXPECT_EQ(plugin->dispatch(effGetOutputProperties, index, 0, &pin), 0);
    }
    EXPECT_EQ(std::memcmp(&pin, &untouched, sizeof pin), 0);
}

TEST_F(AudioIo, EveryBlockAsksAboutInputPinOneThenOutputPinOne) {
    plugin->log().clear();
    Buffers b(32), untouched(32);
    plugin->processReplacing(b.in, b.out, 32);
    for (VstInt32 frames : {0, -4})
        plugin->processReplacing(untouched.in, untouched.out, frames);
    const auto calls = plugin->log().calls();
    ASSERT_EQ(calls.size(), 6u);
    for (size_t i = 0; i < calls.size(); ++i) {
        EXPECT_EQ(calls[i].opcode, audioMasterPinConnected);
        EXPECT_EQ(calls[i].index, 1);
        EXPECT_EQ(calls[i].value, static_cast<VstIntPtr>(i % 2)); // input first, then output
        EXPECT_EQ(calls[i].effect, plugin->effect());
    }
    EXPECT_EQ(untouched.outL[0], 7.0f); // empty and negative blocks write nothing
}

TEST_F(AudioIo, StereoKeepsTheChannelsApart) {
    Buffers b = distinctChannels(8);
    plugin->processReplacing(b.in, b.out, 8);
    for (int n = 0; n < 8; ++n) {
        EXPECT_EQ(b.outL[n], withOffset(0.25f, n));
        EXPECT_EQ(b.outR[n], withOffset(-0.5f, n));
    }
}

TEST_F(AudioIo, MonoInputFeedsTheLeftInputToBothChannels) {
    EXPECT_TRUE(plugin->setSpeakerArrangement(1, 2));
    Buffers b = distinctChannels(8);
    plugin->processReplacing(b.in, b.out, 8);
    for (int n = 0; n < 8; ++n)
        EXPECT_EQ(b.outR[n], withOffset(0.25f, n));
}

TEST_F(AudioIo, UnconnectedOrMissingSecondInputReadsTheFirst) {
    plugin->answers().setPinConnected(1, PinSide::input, 1);
    Buffers b = distinctChannels(8);
    plugin->processReplacing(b.in, b.out, 8);
    EXPECT_EQ(b.outR[0], withOffset(0.25f, 0));

    plugin->answers().setPinConnected(1, PinSide::input, 0);
    Buffers c = distinctChannels(8);
    c.in[1] = nullptr;
    plugin->processReplacing(c.in, c.out, 8);
    EXPECT_EQ(c.outR[1], withOffset(0.25f, 1));
}

TEST_F(AudioIo, ASharedOutputGetsTheMeanOfBothChannelsAndTheSecondBufferStaysUntouched) {
    auto expectMixed = [](const Buffers& b) {
        for (int n = 0; n < 8; ++n) {
            const double mean = (static_cast<double>(withOffset(0.25f, n)) +
                                 static_cast<double>(withOffset(-0.5f, n))) *
                                0.5;
            EXPECT_EQ(b.outL[n], static_cast<float>(mean));
            EXPECT_EQ(b.outR[n], 7.0f);
        }
    };
    plugin->answers().setPinConnected(1, PinSide::output, 1);
    Buffers unconnected = distinctChannels(8);
    plugin->processReplacing(unconnected.in, unconnected.out, 8);
    expectMixed(unconnected);

    plugin->answers().setPinConnected(1, PinSide::output, 0);
    Buffers missing = distinctChannels(8);
    missing.out[1] = nullptr;
    plugin->processReplacing(missing.in, missing.out, 8);
    expectMixed(missing);

    EXPECT_TRUE(plugin->setSpeakerArrangement(1, 1));
    Buffers mono = distinctChannels(8);
    plugin->processReplacing(mono.in, mono.out, 8);
    for (int n = 0; n < 8; ++n)
        EXPECT_EQ(mono.outL[n], withOffset(0.25f, n)); // L read twice
    EXPECT_EQ(mono.outR[0], 7.0f);
}

TEST_F(AudioIo, UnsupportedArrangementsAreRefusedAndRestoreStereo) {
    EXPECT_TRUE(plugin->setSpeakerArrangement(1, 1));
    EXPECT_FALSE(plugin->setSpeakerArrangement(2, 1));
    Buffers b = distinctChannels(8);
    plugin->processReplacing(b.in, b.out, 8);
    EXPECT_EQ(b.outR[0], withOffset(-0.5f, 0)); // both sides stereo again
    EXPECT_FALSE(plugin->setSpeakerArrangement(6, 6));
    EXPECT_FALSE(plugin->setSpeakerArrangement(0, 2));
    EXPECT_TRUE(plugin->setSpeakerArrangement(2, 2));
    EXPECT_EQ(plugin->numInputs(), 2);
    EXPECT_EQ(plugin->numOutputs(), 2);
}

TEST_F(AudioIo, InPlaceBuffersGiveTheSameResultAsSeparateOnes) {
    plugin->setParameter(kMixIndex, 0.7f);
    auto other = loadLyrebloom();
    other->setParameter(kMixIndex, 0.7f);
    Buffers separate(512);
    std::vector<float> left(512), right(512);
    for (int n = 0; n < 512; ++n) {
        separate.inL[n] = left[n] = (n % 50) / 25.0f - 1.0f;
        separate.inR[n] = right[n] = (n % 31) / 31.0f - 0.5f;
    }
    plugin->processReplacing(separate.in, separate.out, 512);
    float* inPlace[2] = {left.data(), right.data()};
    other->processReplacing(inPlace, inPlace, 512);
    EXPECT_EQ(left, separate.outL);
    EXPECT_EQ(right, separate.outR);
    // Crossed aliasing: the left output is the right input's memory.
    auto third = loadLyrebloom();
    third->setParameter(kMixIndex, 0.7f);
    std::vector<float> a(separate.inL), c(separate.inR), d(512);
    float* ins[2] = {a.data(), c.data()};
    float* outs[2] = {c.data(), d.data()};
    third->processReplacing(ins, outs, 512);
    EXPECT_EQ(c, separate.outL);
    EXPECT_EQ(d, separate.outR);
}

} // namespace
