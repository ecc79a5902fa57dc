// Recording and answering host calls, driven through the probe plug-in.
#include <gtest/gtest.h>

#include "ProbeHost.h"
#include "tests/realtime/AllocationCounter.h"

namespace {

using lyrehost::HostCall;
using lyrehost::PinCallRing;
using lyrehost::PinSide;

TEST_F(ProbeHost, PinQueriesAreAnsweredPerPinAndSide) {
    plugin.answers().setPinConnected(1, PinSide::output, 1);
    processBlock();
    EXPECT_EQ(pinAnswers[0], 0);
    EXPECT_EQ(pinAnswers[1], 1);
    plugin.answers().setPinConnected(1, PinSide::input, 1);
    plugin.answers().setPinConnected(1, PinSide::output, 0);
    processBlock();
    EXPECT_EQ(pinAnswers[0], 1);
    EXPECT_EQ(pinAnswers[1], 0);
}

TEST_F(ProbeHost, PinQueriesAreRecordedInOrderAmongOtherCalls) {
    plugin.dispatch(effVendorSpecific, audioMasterIdle);
    processBlock();
    plugin.dispatch(effVendorSpecific, audioMasterIdle);

    EXPECT_EQ(plugin.log().count(audioMasterPinConnected), 2u);
    EXPECT_EQ(plugin.log().pinQueries(1, PinSide::input), 1u);
    EXPECT_EQ(plugin.log().pinQueries(1, PinSide::output), 1u);
    EXPECT_EQ(plugin.log().pinQueries(0, PinSide::input), 0u);
    EXPECT_EQ(plugin.log().count(audioMasterIdle), 2u);

    const std::vector<HostCall> calls = plugin.log().calls();
    ASSERT_EQ(calls.size(), 4u);
    const VstInt32 expected[] = {audioMasterIdle, audioMasterPinConnected, audioMasterPinConnected,
                                 audioMasterIdle};
    for (std::size_t i = 0; i < calls.size(); ++i) {
        EXPECT_EQ(calls[i].opcode, expected[i]) << "call " << i;
        EXPECT_EQ(calls[i].effect, plugin.effect()) << "call " << i;
    }
    EXPECT_EQ(calls[1].index, 1);
    EXPECT_EQ(calls[1].value, 0);
    EXPECT_EQ(calls[2].index, 1);
    EXPECT_EQ(calls[2].value, 1);
}

TEST_F(ProbeHost, RecordingPinQueriesDoesNotAllocate) {
    processBlock(); // let the probe and the loader settle first
    alloccount::begin();
    for (int block = 0; block < 100; ++block)
        processBlock();
    EXPECT_EQ(alloccount::end(), 0);
    EXPECT_EQ(plugin.log().count(audioMasterPinConnected), 202u);
}

TEST_F(ProbeHost, RingKeepsTheNewestPinQueriesAndCountsAll) {
    const std::size_t blocks = PinCallRing::kCapacity / 2 + 10;
    for (std::size_t block = 0; block < blocks; ++block)
        processBlock();
    EXPECT_EQ(plugin.log().count(audioMasterPinConnected), 2 * blocks);
    EXPECT_EQ(plugin.log().pinQueries(1, PinSide::output), blocks);

    const std::vector<HostCall> calls = plugin.log().calls();
    ASSERT_EQ(calls.size(), PinCallRing::kCapacity);
    EXPECT_EQ(calls.front().sequence, 2 * blocks - PinCallRing::kCapacity);
    EXPECT_EQ(calls.back().sequence, 2 * blocks - 1);
}

TEST_F(ProbeHost, ClearForgetsCallsAndCounters) {
    processBlock();
    plugin.dispatch(effVendorSpecific, audioMasterIdle);
    plugin.log().clear();
    EXPECT_TRUE(plugin.log().calls().empty());
    EXPECT_EQ(plugin.log().count(audioMasterPinConnected), 0u);
    EXPECT_EQ(plugin.log().count(audioMasterIdle), 0u);
    EXPECT_EQ(plugin.log().pinQueries(1, PinSide::input), 0u);
    processBlock();
    EXPECT_EQ(plugin.log().calls().size(), 2u);
}

TEST_F(ProbeHost, EveryArgumentIsRecorded) {
    char text[] = "sendVstTimeInfo";
    plugin.dispatch(effVendorSpecific, audioMasterCanDo, 7, text, 0.25f);
    const std::vector<HostCall> calls = plugin.log().calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].effect, plugin.effect());
    EXPECT_EQ(calls[0].opcode, audioMasterCanDo);
    EXPECT_EQ(calls[0].index, 7);
    EXPECT_EQ(calls[0].value, 7);
    EXPECT_EQ(calls[0].ptr, text);
    EXPECT_EQ(calls[0].opt, 0.25f);
}

TEST_F(ProbeHost, HookAnswersOtherOpcodesAndDefaultsStandOtherwise) {
    plugin.setSampleRate(48000.0f);
    plugin.setBlockSize(256);
    EXPECT_EQ(plugin.dispatch(effVendorSpecific, audioMasterCanDo), 0);
    EXPECT_EQ(plugin.dispatch(effVendorSpecific, audioMasterGetSampleRate), 48000);
    EXPECT_EQ(plugin.dispatch(effVendorSpecific, audioMasterGetBlockSize), 256);

    plugin.answers().setHook([](const HostCall& call) -> std::optional<VstIntPtr> {
        if (call.opcode == audioMasterCanDo) return 1;
        return std::nullopt;
    });
    EXPECT_EQ(plugin.dispatch(effVendorSpecific, audioMasterCanDo), 1);
    EXPECT_EQ(plugin.dispatch(effVendorSpecific, audioMasterGetSampleRate), 48000);
    EXPECT_EQ(plugin.dispatch(effVendorSpecific, audioMasterVersion), kVstVersion);
}

} // namespace
