#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "ChunkBytes.h"
#include "InProcessLyrebloom.h"
#include "TempConfigHome.h"
#ifndef _WIN32
#include "presets/platform/posix/FileSettingsStore.h"
#endif
#include "presets/RecordFiles.h"
#include "presets/Utf16.h"

namespace {

struct PathBuffers {
    char name[recordfiles::kPathBufferSize] = "old.zem";
    char directory[recordfiles::kPathBufferSize] = "/old/";
};

TEST(SplitPath, TheLastSlashSeparatesDirectoryAndNameAndOnlyWholePathsAreKept) {
    PathBuffers b;
    EXPECT_TRUE(recordfiles::splitPath("/home/me/set/a.zem", b.name, b.directory));
    EXPECT_EQ(std::string(b.directory), nativePath("/home/me/set/"));
    EXPECT_STREQ(b.name, "a.zem");

    PathBuffers bare;
    EXPECT_FALSE(recordfiles::splitPath("a.zem", bare.name, bare.directory));
    EXPECT_STREQ(bare.directory, "/old/");
    EXPECT_STREQ(bare.name, "old.zem");

    const std::string longest = "/" + std::string(255, 'd'); // with its slash: 256 + 1
    PathBuffers tooLong;
    EXPECT_FALSE(
        recordfiles::splitPath((longest + "/x.zem").c_str(), tooLong.name, tooLong.directory));
    EXPECT_STREQ(tooLong.directory, "/old/");
    PathBuffers fits;
    const std::string name(256, 'n');
    EXPECT_TRUE(recordfiles::splitPath(("/d/" + name).c_str(), fits.name, fits.directory));
    EXPECT_EQ(fits.name, name);
}

TEST(SplitPath, ABareNameIsOpenedInTheRememberedDirectory) {
    EXPECT_EQ(recordfiles::targetPath("a.zem", "/set"), "/set" + nativePath("/") + "a.zem");
    EXPECT_EQ(recordfiles::targetPath("a.zem", "/set/"), "/set/a.zem");
    EXPECT_EQ(recordfiles::targetPath("a.zem", ""), "a.zem");
    EXPECT_EQ(recordfiles::targetPath("/x/a.zem", "/set/"), "/x/a.zem");
}

TEST(Utf16, ConvertsLosslesslyOrNotAtAll) {
    const std::string text = "/tmp/\xC3\xBC/\xF0\x9F\x8E\xB5.zem"; // u-umlaut, a musical note
    const auto units = utf16::fromUtf8(text);
    ASSERT_TRUE(units);
    EXPECT_EQ(*units, u"/tmp/\u00FC/\U0001F3B5.zem");
    EXPECT_EQ(utf16::toUtf8(*units), text);
    EXPECT_FALSE(utf16::fromUtf8("\xC0\x80")); // overlong NUL
    EXPECT_FALSE(utf16::fromUtf8("a\xFF"));    // not UTF-8
    EXPECT_FALSE(utf16::fromUtf8("\xE2\x82")); // cut short
    EXPECT_FALSE(utf16::toUtf8(u"\xD800x"));   // unpaired surrogate
}

#ifndef _WIN32 // the file store of platforms without a registry
TEST(SettingsLayout, KeyPathsMapBelowTheConfigurationHomeAndNowhereElse) {
    ::setenv("XDG_CONFIG_HOME", "/cfg", 1);
    EXPECT_EQ(FileSettingsStore::keyDirectory(u"SOFTWARE\\Ostrandia\\ZEMLyrebloom"),
              "/cfg/Ostrandia/ZEMLyrebloom");
    EXPECT_EQ(FileSettingsStore::keyDirectory(u"HARDWARE\\Ostrandia"), "");
    EXPECT_EQ(FileSettingsStore::keyDirectory(u"SOFTWARE\\..\\x"), "");
    EXPECT_EQ(FileSettingsStore::keyDirectory(u"SOFTWARE\\a/b"), "");
    const char* home = std::getenv("HOME");
    const std::string savedHome = home ? home : "";
    ::setenv("XDG_CONFIG_HOME", "relative", 1); // not absolute: ignored, as XDG says
    ::setenv("HOME", "/home/someone", 1);
    EXPECT_EQ(FileSettingsStore::configurationHome(), "/home/someone/.config");
    ::unsetenv("XDG_CONFIG_HOME");
    ::setenv("HOME", savedHome.c_str(), 1);
}
#endif

// The dispatcher answers a null chunk pointer itself; the operation refuses it too.
TEST(ChunkCalls, NullDataIsRefusedAndTheHostMayHandBackTheBufferItGot) {
    TempConfigHome home;
    Instance fx;
    EXPECT_EQ(fx.effect->setChunk(nullptr, 368, false), -1);
    void* data = nullptr;
    ASSERT_EQ(fx.effect->getChunk(&data, false), 368);
    const Bytes before(static_cast<std::uint8_t*>(data), static_cast<std::uint8_t*>(data) + 368);
    EXPECT_EQ(fx.effect->setChunk(data, 368, false), 0);
    EXPECT_EQ(Bytes(static_cast<std::uint8_t*>(data), static_cast<std::uint8_t*>(data) + 368),
              before);
}

} // namespace
