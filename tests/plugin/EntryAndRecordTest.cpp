#include <dlfcn.h>

#include <cstdio>
#include <cstring>
#include <set>

#include "LoadedPlugin.h"

namespace {

TEST(Entry, ExportsOnlyTheTwoEntryNames) {
    const std::string command = std::string("nm -D --defined-only ") + LYREBLOOM_SO;
    FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::set<std::string> names;
    char line[512];
    while (std::fgets(line, sizeof line, pipe)) {
        char kind[8], name[400];
        if (std::sscanf(line, "%*s %7s %399s", kind, name) == 2) names.insert(name);
    }
    pclose(pipe);
    EXPECT_EQ(names, (std::set<std::string>{"VSTPluginMain", "main"}));
}

TEST(Entry, BothEntryNamesBuildAWorkingEffect) {
    void* module = dlopen(LYREBLOOM_SO, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(module, nullptr);
    for (const char* name : {"VSTPluginMain", "main"}) {
        using Entry = AEffect* (*)(audioMasterCallback);
        auto entry = reinterpret_cast<Entry>(dlsym(module, name));
        ASSERT_NE(entry, nullptr) << name;
        AEffect* effect = entry([](AEffect*, VstInt32 op, VstInt32, VstIntPtr, void*, float) {
            return static_cast<VstIntPtr>(op == audioMasterVersion ? 2400 : 0);
        });
        ASSERT_NE(effect, nullptr) << name;
        EXPECT_EQ(effect->magic, kEffectMagic);
        EXPECT_EQ(effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f), 1);
    }
    dlclose(module);
}

TEST(Entry, TheRecordIsFilledAsHostsExpect) {
    auto plugin = loadLyrebloom();
    const AEffect* e = plugin->effect();
    EXPECT_EQ(e->magic, 0x56737450);
    EXPECT_EQ(e->numPrograms, 1);
    EXPECT_EQ(e->numParams, 8);
    EXPECT_EQ(e->numInputs, 2);
    EXPECT_EQ(e->numOutputs, 2);
    EXPECT_EQ(e->flags & ~effFlagsHasEditor, effFlagsCanReplacing | effFlagsProgramChunks);
    EXPECT_EQ(e->resvd1, 0);
    EXPECT_EQ(e->resvd2, 0);
    EXPECT_EQ(e->initialDelay, 0);
    EXPECT_EQ(e->realQualities, 0);
    EXPECT_EQ(e->offQualities, 0);
    EXPECT_EQ(e->ioRatio, 1.0f);
    EXPECT_NE(e->object, nullptr);
    EXPECT_EQ(e->uniqueID, 0x5A6D4C79);
    EXPECT_EQ(e->version, 1);
    ASSERT_NE(e->processReplacing, nullptr);
    ASSERT_NE(e->processDoubleReplacing, nullptr);
    const char zeros[56] = {};
    EXPECT_EQ(std::memcmp(e->future, zeros, sizeof zeros), 0);
}

TEST(Entry, TheDeprecatedProcessCallsLeaveEveryOutputUntouched) {
    auto plugin = loadLyrebloom();
    AEffect* e = plugin->effect();
    Buffers b(64, 0.5f);
    e->process(e, b.in, b.out, 64);
    for (int n = 0; n < 64; ++n)
        ASSERT_EQ(b.outL[n], 7.0f);
    std::vector<double> in(64, 0.5), outL(64, 7.0), outR(64, 7.0);
    double* din[2] = {in.data(), in.data()};
    double* dout[2] = {outL.data(), outR.data()};
    e->processDoubleReplacing(e, din, dout, 64);
    for (int n = 0; n < 64; ++n)
        ASSERT_EQ(outL[n], 7.0);
}

} // namespace
