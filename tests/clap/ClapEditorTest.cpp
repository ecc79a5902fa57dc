// The CLAP module's editor in a window of our host on a real X server, driven by the host's
// timer and the editor's descriptor as Qtractor drives it: XTest pointer input, the knob
// gesture heard as begin, values and end events through params.flush.
#include <clap/ext/gui.h>

#include <chrono>
#include <thread>

#include "XDisplayFixture.h"
#include "XEmbedProbe.h"
#include "tests/clap/ClapFixture.h"

namespace {

constexpr int kWidth = 320, kHeight = 257;
constexpr clap_id kDecay = 2;

class ClapEditor : public XDisplayFixture {
  protected:
    void SetUp() override {
        XDisplayFixture::SetUp();
        if (IsSkipped()) return;
        ASSERT_EQ(plugin.load(LYREBLOOM_CLAP_MODULE), "");
        gui = static_cast<const clap_plugin_gui_t*>(plugin.extension(CLAP_EXT_GUI));
        ASSERT_NE(gui, nullptr);
    }
    void TearDown() override {
        plugin.unload();
        XDisplayFixture::TearDown();
    }
    // The host's main loop for `ms`, flushing parameters whenever the plug-in asks.
    void run(int ms) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (std::chrono::steady_clock::now() < end) {
            plugin.runTimersAndDescriptors();
            if (plugin.record().flushRequests > flushed) {
                flushed = plugin.record().flushRequests;
                plugin.flush({}, &events);
            }
            sync();
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }
    bool open() {
        const clap_window_t window{CLAP_WINDOW_API_X11, {nullptr}};
        clap_window_t embed = window;
        embed.x11 = parent;
        return gui->create(plugin.plugin(), CLAP_WINDOW_API_X11, false) &&
               gui->set_parent(plugin.plugin(), &embed);
    }

    lyrehost::ClapPlugin plugin;
    const clap_plugin_gui_t* gui = nullptr;
    std::vector<lyrehost::ClapEvent> events;
    int flushed = 0;
};

TEST_F(ClapEditor, EmbedsAndReportsAKnobDragAsAGesture) {
    const char* api = nullptr;
    bool floating = true;
    ASSERT_TRUE(gui->get_preferred_api(plugin.plugin(), &api, &floating));
    EXPECT_STREQ(api, CLAP_WINDOW_API_X11);
    EXPECT_FALSE(floating);
    uint32_t width = 0, height = 0;
    ASSERT_TRUE(gui->get_size(plugin.plugin(), &width, &height));
    EXPECT_EQ(width, static_cast<uint32_t>(kWidth));
    EXPECT_EQ(height, static_cast<uint32_t>(kHeight));
    EXPECT_FALSE(gui->set_size(plugin.plugin(), 400, 300));

    createParentWindow(kWidth, kHeight);
    ASSERT_TRUE(open());
    EXPECT_EQ(plugin.record().timers.size(), 1u);
    EXPECT_EQ(plugin.record().descriptors.size(), 1u);
    ASSERT_EQ(childCount(parent), 1);
    run(200);

    moveTo(parent, 72, 100);
    xprobe::pressButton(display, true);
    run(60);
    for (int y = 96; y >= 70; y -= 4) {
        moveTo(parent, 72, y);
        run(30);
    }
    xprobe::pressButton(display, false);
    run(100);
    ASSERT_GE(events.size(), 3u);
    EXPECT_EQ(events.front().type, CLAP_EVENT_PARAM_GESTURE_BEGIN);
    EXPECT_EQ(events.front().id, kDecay);
    EXPECT_EQ(events.back().type, CLAP_EVENT_PARAM_GESTURE_END);
    double last = -1.0;
    for (const auto& event : events)
        if (event.type == CLAP_EVENT_PARAM_VALUE) {
            EXPECT_EQ(event.id, kDecay);
            last = event.value;
        }
    EXPECT_GT(last, 0.25);
    EXPECT_EQ(*plugin.value(kDecay), last);

    gui->destroy(plugin.plugin());
    sync();
    EXPECT_EQ(childCount(parent), 0);
    EXPECT_TRUE(plugin.record().timers.empty());
    EXPECT_TRUE(plugin.record().descriptors.empty());
    // Open again after a destroy, then leave it open for the plug-in's own destroy.
    ASSERT_TRUE(open());
    run(40);
    plugin.unload();
    sync();
    EXPECT_EQ(childCount(parent), 0);
    EXPECT_EQ(errorCount, 0);
}

// The host's scale resizes the editor through request_resize, in the same window with the same
// descriptor the host already watches; a refused resize keeps the size.
TEST_F(ClapEditor, TheHostsScaleResizesTheEditorInPlace) {
    createParentWindow(2 * kWidth, 2 * kHeight);
    ASSERT_TRUE(open());
    run(100);
    ASSERT_EQ(plugin.record().descriptorRegistrations, 1);
    const unsigned long child = xprobe::onlyChild(display, parent);
    ASSERT_NE(child, 0u);
    xprobe::watchChildren(display, parent);

    EXPECT_TRUE(gui->set_scale(plugin.plugin(), 2.0));
    EXPECT_EQ(plugin.record().resizeRequests, 1);
    EXPECT_EQ(plugin.record().resizeWidth, static_cast<uint32_t>(2 * kWidth));
    EXPECT_EQ(plugin.record().resizeHeight, static_cast<uint32_t>(2 * kHeight));
    uint32_t width = 0, height = 0;
    ASSERT_TRUE(gui->get_size(plugin.plugin(), &width, &height));
    EXPECT_EQ(width, static_cast<uint32_t>(2 * kWidth));
    run(150);
    EXPECT_EQ(xprobe::onlyChild(display, parent), child);
    EXPECT_FALSE(xprobe::childDestroyed(display, parent));
    EXPECT_EQ(xprobe::windowWidth(display, child), 2 * kWidth);
    EXPECT_EQ(plugin.record().descriptors.size(), 1u);
    EXPECT_EQ(plugin.record().descriptorRegistrations, 1);

    plugin.record().refuseResize = true;
    EXPECT_FALSE(gui->set_scale(plugin.plugin(), 1.5));
    ASSERT_TRUE(gui->get_size(plugin.plugin(), &width, &height));
    EXPECT_EQ(width, static_cast<uint32_t>(2 * kWidth));
    EXPECT_EQ(xprobe::onlyChild(display, parent), child);

    gui->destroy(plugin.plugin());
    sync();
    EXPECT_TRUE(plugin.record().descriptors.empty());
    EXPECT_EQ(errorCount, 0);
}

} // namespace
