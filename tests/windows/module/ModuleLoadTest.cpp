#include <gtest/gtest.h>

#include <cstring>

#include "LoadedModule.h"

namespace {

VstIntPtr VSTCALLBACK refusingHost(AEffect*, VstInt32, VstInt32, VstIntPtr, void*, float) {
    return 0;
}

TEST(ModuleLoad, BothEntryNamesAreOneFunction) {
    LoadedModule module(builtModulePath());
    ASSERT_NE(module.handle(), nullptr) << "LoadLibraryW failed: " << GetLastError();
    const PluginMainProc vstMain = module.entry("VSTPluginMain");
    ASSERT_NE(vstMain, nullptr);
    EXPECT_EQ(module.entry("main"), vstMain);
    // Nothing of the implementation is reachable by name.
    EXPECT_EQ(module.entry("pluginEntry"), nullptr);
    EXPECT_EQ(module.entry("DllMain"), nullptr);
}

TEST(ModuleLoad, EntryReturnsTheEffectRecord) {
    LoadedModule module(builtModulePath());
    ASSERT_NE(module.handle(), nullptr);
    for (const char* name : {"VSTPluginMain", "main"}) {
        SCOPED_TRACE(name);
        AEffect* e = module.entry(name)(plainHost);
        ASSERT_NE(e, nullptr);
        EXPECT_EQ(e->magic, 0x56737450);
        EXPECT_EQ(e->numParams, 8);
        EXPECT_EQ(e->numPrograms, 1);
        EXPECT_EQ(e->numInputs, 2);
        EXPECT_EQ(e->numOutputs, 2);
        EXPECT_EQ(e->flags, effFlagsHasEditor | effFlagsCanReplacing | effFlagsProgramChunks);
        EXPECT_EQ(e->uniqueID, 0x5A6D4C79);
        EXPECT_EQ(e->version, 1);
        EXPECT_EQ(e->ioRatio, 1.0f);
        EXPECT_NE(e->object, nullptr);
        EXPECT_EQ(e->user, nullptr);
        EXPECT_NE(e->processReplacing, nullptr);

        // The six stored programs are reachable by index, a seventh is not.
        char programName[kVstMaxProgNameLen + 8];
        for (VstInt32 i = 0; i < 6; ++i)
            EXPECT_EQ(e->dispatcher(e, effGetProgramNameIndexed, i, 0, programName, 0.0f), 1);
        EXPECT_EQ(e->dispatcher(e, effGetProgramNameIndexed, 6, 0, programName, 0.0f), 0);

        char effectName[kVstMaxEffectNameLen] = {};
        EXPECT_EQ(e->dispatcher(e, effGetEffectName, 0, 0, effectName, 0.0f), 1);
        EXPECT_STREQ(effectName, "ZEM Lyrebloom");
        EXPECT_EQ(e->dispatcher(e, effGetVstVersion, 0, 0, nullptr, 0.0f), 2400);
        EXPECT_EQ(e->dispatcher(e, effClose, 0, 0, nullptr, 0.0f), 1);
    }
}

TEST(ModuleLoad, HostWithoutVersionGetsNoEffect) {
    LoadedModule module(builtModulePath());
    ASSERT_NE(module.handle(), nullptr);
    EXPECT_EQ(module.entry("VSTPluginMain")(refusingHost), nullptr);
}

TEST(ModuleLoad, UnloadsAndLoadsAgain) {
    for (int round = 0; round < 3; ++round) {
        LoadedModule module(builtModulePath());
        ASSERT_NE(module.handle(), nullptr);
        AEffect* e = module.entry("VSTPluginMain")(plainHost);
        ASSERT_NE(e, nullptr);
        EXPECT_EQ(e->dispatcher(e, effClose, 0, 0, nullptr, 0.0f), 1);
    }
}

// Users keep plug-ins in folders named in their own language.
TEST(ModuleLoad, LoadsFromAFolderWithANonAsciiName) {
    const std::wstring folder =
        widen(LYRE_TEST_SCRATCH_DIR) + L"\\Plug-ins \u00c4\u00df \u97f3\u697d";
    CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring copy = folder + L"\\ZEM Lyrebloom.dll";
    ASSERT_TRUE(CopyFileW(builtModulePath().c_str(), copy.c_str(), FALSE)) << GetLastError();
    {
        LoadedModule module(copy);
        ASSERT_NE(module.handle(), nullptr) << GetLastError();
        wchar_t loadedFrom[MAX_PATH] = {};
        GetModuleFileNameW(module.handle(), loadedFrom, MAX_PATH);
        EXPECT_NE(std::wstring(loadedFrom).find(L"\u97f3\u697d"), std::wstring::npos);
        AEffect* e = module.entry("VSTPluginMain")(plainHost);
        ASSERT_NE(e, nullptr);
        EXPECT_EQ(e->magic, 0x56737450);
        EXPECT_EQ(e->dispatcher(e, effClose, 0, 0, nullptr, 0.0f), 1);
    }
    EXPECT_TRUE(DeleteFileW(copy.c_str()));
    RemoveDirectoryW(folder.c_str());
}

} // namespace
