#include <cstring>
#include <limits>

#include "LoadedPlugin.h"

namespace {

class Dispatcher : public ::testing::Test {
  protected:
    void SetUp() override { plugin = loadLyrebloom(); }
    VstIntPtr call(VstInt32 op, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                   float opt = 0.0f) {
        return plugin->dispatch(op, index, value, ptr, opt);
    }
    std::unique_ptr<lyrehost::Plugin> plugin;
};

TEST_F(Dispatcher, FixedAnswers) {
    EXPECT_EQ(call(effIdentify), 0x4E764566);
    EXPECT_EQ(call(effGetVstVersion), 2400);
    EXPECT_EQ(call(effGetCurrentMidiProgram), -1);
    EXPECT_EQ(call(effSetTotalSampleToProcess, 0, 512), 512);
    EXPECT_EQ(call(effGetPlugCategory), 6);
    EXPECT_EQ(call(effGetVendorVersion), 1710);
    EXPECT_EQ(call(effGetTailSize), 0);
    EXPECT_EQ(call(effOpen), 0);
    for (VstInt32 index : {0, 7, 8, -1, 1000})
        EXPECT_EQ(call(effCanBeAutomated, index), 1);
}

TEST_F(Dispatcher, UnknownDeprecatedAndOutOfTableOpcodesAnswerZero) {
    for (VstInt32 op :
         {-1, -1000, 9,  16, 17, 18, 20, 21, 28, 30, 31,   32,
          36, 37,    43, 46, 53, 54, 55, 57, 80, 81, 1000, std::numeric_limits<VstInt32>::max()})
        EXPECT_EQ(call(op, 1, 1, nullptr, 1.0f), 0) << op;
    for (VstInt32 op : {effProcessEvents,
                        effString2Parameter,
                        effOfflineNotify,
                        effOfflinePrepare,
                        effOfflineRun,
                        effProcessVarIo,
                        effVendorSpecific,
                        effGetMidiProgramName,
                        effGetMidiProgramCategory,
                        effHasMidiProgramsChanged,
                        effGetMidiKeyName,
                        effBeginSetProgram,
                        effEndSetProgram,
                        effShellGetNextPlugin,
                        effStartProcess,
                        effStopProcess,
                        effSetPanLaw,
                        effBeginLoadBank,
                        effBeginLoadProgram,
                        effSetProcessPrecision,
                        effGetNumMidiInputChannels,
                        effGetNumMidiOutputChannels})
        EXPECT_EQ(call(op), 0) << op;
}

TEST_F(Dispatcher, TheHostSeesOneProgramThatNeverChanges) {
    EXPECT_EQ(call(effGetProgram), 0);
    EXPECT_EQ(call(effSetProgram, 0, 0), 0);
    EXPECT_EQ(call(effSetProgram, 0, 3), 0);
    EXPECT_EQ(call(effSetProgram, 0, -5), 0);
    EXPECT_EQ(call(effGetProgram), 0);
}

TEST_F(Dispatcher, NoCapabilityIsClaimedAndHostBypassIsRefused) {
    for (const char* what :
         {"bypass", "receiveVstTimeInfo", "receiveVstMidiEvent", "sendVstEvents", "offline", ""}) {
        char text[64];
        std::strcpy(text, what);
        EXPECT_EQ(call(effCanDo, 0, 0, text), 0) << what;
    }
    EXPECT_EQ(call(effSetBypass, 0, 1), 0);
    // Audio keeps being processed after the refused bypass.
    plugin->setParameter(kMixIndex, 0.0f);
    Buffers b(16, 0.25f);
    plugin->processReplacing(b.in, b.out, 16);
    EXPECT_EQ(b.outL[0], withOffset(0.25f, 0));
}

TEST_F(Dispatcher, SpeakerArrangementQueryHandsOutNothing) {
    VstSpeakerArrangement dummy{};
    VstSpeakerArrangement* in = &dummy;
    VstSpeakerArrangement* out = &dummy;
    EXPECT_EQ(call(effGetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&in), &out), 0);
    EXPECT_EQ(in, nullptr);
    EXPECT_EQ(out, nullptr);
}

TEST_F(Dispatcher, ParameterPropertiesOnlyForBypass) {
    VstParameterProperties p;
    std::memset(&p, 0x5A, sizeof p);
    const VstParameterProperties untouched = p;
    EXPECT_EQ(call(effGetParameterProperties, 0, 0, &p), 0);
    EXPECT_EQ(std::memcmp(&p, &untouched, sizeof p), 0);
    EXPECT_EQ(call(effGetParameterProperties, 8, 0, &p), 0);
    EXPECT_EQ(call(effGetParameterProperties, 7, 0, &p), 1);
    EXPECT_EQ(p.flags, 5);
    EXPECT_EQ(p.stepFloat, 1.0f);
    EXPECT_EQ(p.smallStepFloat, 1.0f);
    EXPECT_EQ(p.largeStepFloat, 1.0f);
    EXPECT_STREQ(p.label, " Bypass ");
    EXPECT_STREQ(p.shortLabel, " Bypass");
    EXPECT_EQ(p.minInteger, untouched.minInteger); // no other field is written
    EXPECT_EQ(std::memcmp(p.categoryLabel, untouched.categoryLabel, sizeof p.categoryLabel), 0);
}

TEST_F(Dispatcher, NullPointersAreAnsweredWithZeroAndNoCrash) {
    for (VstInt32 op :
         {effSetProgramName, effGetProgramName, effGetParamLabel, effGetParamDisplay,
          effGetParamName, effEditGetRect, effGetChunk, effSetChunk, effGetProgramNameIndexed,
          effGetInputProperties, effGetOutputProperties, effSetSpeakerArrangement, effGetEffectName,
          effGetVendorString, effGetProductString, effGetParameterProperties,
          effGetSpeakerArrangement, effCanDo})
        EXPECT_EQ(call(op, 0, 0, nullptr), 0) << op;
}

TEST_F(Dispatcher, IdentityStrings) {
    EXPECT_EQ(plugin->effectName(), "ZEM Lyrebloom");
    EXPECT_EQ(plugin->productString(), "ZEM Lyrebloom - string rezonator plug-in");
    const std::string vendor = plugin->vendorString();
    EXPECT_EQ(vendor.size(), 16u);
    EXPECT_NE(vendor.find('.'), std::string::npos); // a web domain
    char buffer[64];
    EXPECT_EQ(call(effGetEffectName, 0, 0, buffer), 1);
    EXPECT_EQ(call(effGetVendorString, 0, 0, buffer), 1);
    EXPECT_EQ(call(effGetProductString, 0, 0, buffer), 1);
}

TEST_F(Dispatcher, ParameterTextsReachTheHostWhole) {
    EXPECT_EQ(plugin->parameterName(4), " Transpose ");
    EXPECT_EQ(plugin->parameterLabel(5), " cents ");
    EXPECT_EQ(plugin->parameterName(8), " - ");
    plugin->setParameter(kMixIndex, 0.999f);
    EXPECT_EQ(plugin->parameterDisplay(kMixIndex), "99.9");
    plugin->setParameter(4, 0.49f);
    EXPECT_EQ(plugin->getParameter(4), 0.49f);
    EXPECT_EQ(plugin->parameterDisplay(4), "0");
    plugin->setParameter(8, 0.7f); // ignored
    EXPECT_EQ(plugin->getParameter(8), 0.0f);
    EXPECT_EQ(plugin->getParameter(-1), 0.0f);
}

TEST_F(Dispatcher, TheFactoryDefaultIsAppliedAtConstruction) {
    const float expected[8] = {0.5f, 0.25f, 0.25f, 0.25f, 0.5f, 0.5f, 0.0f, 0.0f};
    for (int p = 0; p < 8; ++p)
        EXPECT_EQ(plugin->getParameter(p), expected[p]) << p;
    EXPECT_EQ(plugin->parameterDisplay(0), "0.0");
    EXPECT_EQ(plugin->parameterDisplay(7), " process ");
}

TEST_F(Dispatcher, KeyOpcodesWithoutAFrameAreNotHandled) {
    EXPECT_EQ(call(effEditKeyDown, 'a', 0, nullptr, std::numeric_limits<float>::quiet_NaN()), 0);
    EXPECT_EQ(call(effEditKeyUp, 'a', 0, nullptr, 1e30f), 0);
}

} // namespace
