// State and parameters through the CLAP interface: the same bytes as the other interfaces,
// the same texts both ways, and bad input refused with nothing changed.
#include <clap/ext/gui.h>

#include <cmath>
#include <cstring>
#include <random>
#include <thread>

#include "tests/clap/ClapFixture.h"

namespace {

TEST(ClapState, IsTheChunkOfEveryOtherInterface) {
    auto vst2 = loadVst2();
    startVst2(*vst2, 48000.0f, 64);
    std::mt19937 random(7);
    for (VstInt32 i = 0; i < 7; ++i)
        vst2->setParameter(i, std::uniform_real_distribution<float>(0.0f, 1.0f)(random));
    vst2->dispatch(effSetProgram, 0, 3);
    vst2->setParameter(1, 0.125f);
    const std::vector<std::uint8_t> chunk = vst2Chunk(*vst2);
    ASSERT_EQ(chunk.size(), 368u);

    auto clap = loadClap();
    const int rescans = clap->record().rescans;
    ASSERT_TRUE(clap->loadState(chunk));
    EXPECT_GT(clap->record().rescans, rescans);
    EXPECT_EQ(clap->saveState(), chunk);
    // The values a VST 2.4 host sees after loading the same chunk.
    auto reader = loadVst2();
    startVst2(*reader, 48000.0f, 64);
    reader->dispatch(effSetChunk, 0, static_cast<VstIntPtr>(chunk.size()),
                     const_cast<std::uint8_t*>(chunk.data()));
    EXPECT_EQ(*clap->value(8), static_cast<double>(reader->dispatch(effGetProgram)));
    for (VstInt32 i = 0; i < 8; ++i)
        EXPECT_EQ(*clap->value(static_cast<clap_id>(i)), clapValue(i, reader->getParameter(i)));

    // An edit through CLAP, saved, read by the VST 3 and the VST 2.4 builds.
    clap->flush({valueEvent(0, 2, 0.25)});
    const std::vector<std::uint8_t> edited = clap->saveState();
    auto vst3 = loadBundle();
    ASSERT_EQ(vst3->setComponentState(edited), vst3::kResultOk);
    EXPECT_EQ(vst3->componentState(), edited);
    ASSERT_EQ(vst2->dispatch(effSetChunk, 0, static_cast<VstIntPtr>(edited.size()),
                             const_cast<std::uint8_t*>(edited.data())),
              0);
    EXPECT_EQ(vst2->getParameter(2), 0.25f);
}

TEST(ClapParams, DescribeTheEffectAndTheirTextsGoBothWays) {
    auto vst2 = loadVst2();
    auto clap = loadClap();
    const std::vector<clap_param_info_t> infos = clap->parameters();
    ASSERT_EQ(infos.size(), 9u);
    for (const auto& info : infos) {
        const bool stepped = info.flags & CLAP_PARAM_IS_STEPPED;
        EXPECT_EQ(stepped, info.id == 4 || info.id >= 7) << info.id;
        EXPECT_EQ((info.flags & CLAP_PARAM_IS_BYPASS) != 0, info.id == 7) << info.id;
        EXPECT_EQ(info.default_value, *clap->value(info.id)) << info.id;
    }
    EXPECT_EQ(infos[4].min_value, -24.0);
    EXPECT_EQ(infos[4].max_value, 24.0);
    EXPECT_EQ(infos[8].max_value, 5.0);
    EXPECT_EQ(clap->valueText(8, 2.0), "High");
    for (VstInt32 i = 0; i < 8; ++i) {
        for (float x : {0.0f, 0.2f, 0.5f, 0.77f, 1.0f}) {
            vst2->setParameter(i, x);
            std::string shown = vst2->parameterDisplay(i);
            shown = shown.substr(shown.find_first_not_of(' '));
            shown = shown.substr(0, shown.find_last_not_of(' ') + 1);
            const std::string text = clap->valueText(static_cast<clap_id>(i), clapValue(i, x));
            EXPECT_EQ(text, shown) << i << " " << x;
            // The text read back is a value with the same text.
            const std::optional<double> back = clap->textValue(static_cast<clap_id>(i), text);
            ASSERT_TRUE(back) << text;
            EXPECT_EQ(clap->valueText(static_cast<clap_id>(i), *back), text);
        }
    }
    EXPECT_FALSE(clap->textValue(1, "loud"));
    EXPECT_FALSE(clap->textValue(42, "1"));
    EXPECT_TRUE(clap->valueText(42, 0.0).empty());
}

// Nothing a host may get wrong changes what the plug-in holds.
TEST(ClapRefusals, BadInputChangesNothing) {
    auto vst2 = loadVst2();
    auto clap = loadClap();
    ASSERT_TRUE(clap->activate(48000.0, 128));
    const std::vector<std::uint8_t> before = clap->saveState();
    ASSERT_EQ(before.size(), 368u);

    // A whole state, no more: a longer one is refused too.
    std::vector<BadChunk> bad = badChunks(before);
    bad.push_back({"one byte long", before});
    bad.back().bytes.push_back(0);
    for (const BadChunk& b : bad) {
        EXPECT_FALSE(clap->loadState(b.bytes)) << b.what;
        EXPECT_EQ(clap->saveState(), before) << b.what;
    }

    // A block without buffers: refused, its events not applied.
    EXPECT_EQ(clap->process(nullptr, nullptr, 64, {valueEvent(0, 1, 0.9)}), CLAP_PROCESS_ERROR);
    // Unknown ids ignored; values out of range clamped; NaN counts as 0.
    clap->flush({valueEvent(0, 9, 0.5), valueEvent(0, 0xFFFFFFFF, 0.5)});
    EXPECT_EQ(clap->saveState(), before);
    clap->flush({valueEvent(0, 1, 7.0), valueEvent(0, 4, -100.0), valueEvent(0, 2, NAN)});
    EXPECT_EQ(*clap->value(1), 1.0);
    EXPECT_EQ(*clap->value(4), -24.0);
    EXPECT_EQ(*clap->value(2), 0.0);

    // Only this platform's embedded editor; nothing opens before create.
    const auto* gui = static_cast<const clap_plugin_gui_t*>(clap->extension(CLAP_EXT_GUI));
    ASSERT_NE(gui, nullptr);
#if defined(_WIN32)
    const char *ours = CLAP_WINDOW_API_WIN32, *other = CLAP_WINDOW_API_X11;
#else
    const char *ours = CLAP_WINDOW_API_X11, *other = CLAP_WINDOW_API_WIN32;
#endif
    const clap_window_t window{ours, {nullptr}};
    EXPECT_FALSE(gui->set_parent(clap->plugin(), &window));
    EXPECT_FALSE(gui->is_api_supported(clap->plugin(), CLAP_WINDOW_API_COCOA, false));
    EXPECT_FALSE(gui->create(clap->plugin(), other, false));
    EXPECT_FALSE(gui->create(clap->plugin(), ours, true));
    EXPECT_FALSE(gui->can_resize(clap->plugin()));
    EXPECT_EQ(clap->extension("clap.no-such-thing"), nullptr);

    // Main-thread calls from another thread, where the host can tell: refused.
    const std::vector<std::uint8_t> now = clap->saveState();
    bool loaded = true, saved = true, activated = true;
    std::thread([&] {
        loaded = clap->loadState(before);
        saved = clap->state()->save(clap->plugin(), nullptr);
        activated = clap->plugin()->activate(clap->plugin(), 44100.0, 1, 64);
    }).join();
    EXPECT_FALSE(loaded);
    EXPECT_FALSE(saved);
    EXPECT_FALSE(activated);
    EXPECT_EQ(clap->saveState(), now);
}

} // namespace
