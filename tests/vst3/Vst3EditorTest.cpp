// The bundle's editor in a window of our host on a real X server, driven through the host's
// run loop as Ardour drives it: XTest pointer input, edits heard by the component handler.
#include <poll.h>

#include <chrono>
#include <thread>

#include "XDisplayFixture.h"
#include "XEmbedProbe.h"
#include "host/vst3/PlugFrame.h"
#include "tests/vst3/Vst3Fixture.h"

namespace {

using lyrehost::vst3host::HandlerCall;
using lyrehost::vst3host::PlugFrame;

constexpr int kWidth = 320, kHeight = 257;
constexpr int kDecay = 2;

class Vst3Editor : public XDisplayFixture {
  protected:
    void SetUp() override {
        XDisplayFixture::SetUp();
        if (IsSkipped()) return;
        ASSERT_EQ(plugin.load(LYREBLOOM_VST3_BUNDLE), "");
        ASSERT_EQ(plugin.start(44100.0, 512), vst3::kResultOk);
    }
    void TearDown() override {
        plugin.unload();
        XDisplayFixture::TearDown();
    }
    v3_plugin_view** createView() {
        auto* c = plugin.controller();
        return v3_cpp_obj(c)->create_view(c, "editor");
    }
    // The host's loop: descriptors polled, timers run at their 20 ms, for `ms`.
    void run(PlugFrame& frame, int ms) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (std::chrono::steady_clock::now() < end) {
            for (const auto& [handler, fd] : std::vector(frame.handlers)) {
                pollfd p{fd, POLLIN, 0};
                if (poll(&p, 1, 0) > 0) frame.descriptorReady(fd);
            }
            frame.runTimers();
            sync();
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }
    std::vector<uint32_t> knobPixels() {
        const auto all = capture(parent, kWidth, kHeight);
        std::vector<uint32_t> knob;
        for (int y = 71; y < 116; ++y)
            for (int x = 50; x < 95; ++x)
                knob.push_back(all[static_cast<size_t>(y * kWidth + x)]);
        return knob;
    }

    lyrehost::Vst3Plugin plugin;
};

TEST_F(Vst3Editor, EmbedsAndReportsAKnobDragAsEdits) {
    v3_plugin_view** view = createView();
    ASSERT_NE(view, nullptr);
    v3_plugin_view* v = v3_cpp_obj(view);
    EXPECT_EQ(v->is_platform_type_supported(view, "X11EmbedWindowID"), vst3::kResultOk);
    EXPECT_NE(v->is_platform_type_supported(view, "HWND"), vst3::kResultOk);
    v3_view_rect rect{};
    ASSERT_EQ(v->get_size(view, &rect), vst3::kResultOk);
    EXPECT_EQ(rect.right - rect.left, kWidth);
    EXPECT_EQ(rect.bottom - rect.top, kHeight);
    EXPECT_EQ(v->can_resize(view), vst3::kResultFalse);

    createParentWindow(kWidth, kHeight);
    PlugFrame frame;
    ASSERT_EQ(v->set_frame(view, frame.frame()), vst3::kResultOk);
    ASSERT_EQ(v->attached(view, reinterpret_cast<void*>(parent), "X11EmbedWindowID"),
              vst3::kResultOk);
    EXPECT_EQ(v->attached(view, reinterpret_cast<void*>(parent), "X11EmbedWindowID"),
              vst3::kResultFalse);
    EXPECT_EQ(frame.timers.size(), 1u);
    EXPECT_EQ(frame.handlers.size(), 1u);
    EXPECT_EQ(frame.refused, 0);
    ASSERT_EQ(childCount(parent), 1);

    // The child announces itself to an XEmbed socket: version 0, mapped.
    const unsigned long child = xprobe::onlyChild(display, parent);
    ASSERT_NE(child, 0u);
    EXPECT_EQ(xprobe::xembedFlags(display, child) & 1, 1);

    // Host automation moves the knob.
    run(frame, 200);
    const auto before = knobPixels();
    auto* c = plugin.controller();
    v3_cpp_obj(c)->set_parameter_normalised(c, kDecay, 0.95);
    run(frame, 150);
    EXPECT_NE(knobPixels(), before) << "the Decay knob shows the host's value";
    EXPECT_TRUE(plugin.handler().calls.empty()) << "host automation is no edit of ours";

    // A real drag upwards on the knob: begin, performs, end, and the value is the last perform.
    moveTo(parent, 72, 100);
    xprobe::pressButton(display, true);
    run(frame, 60);
    for (int y = 96; y >= 70; y -= 4) {
        moveTo(parent, 72, y);
        run(frame, 30);
    }
    xprobe::pressButton(display, false);
    run(frame, 100);
    const auto& calls = plugin.handler().calls;
    ASSERT_GE(calls.size(), 3u);
    EXPECT_EQ(calls.front().kind, HandlerCall::Kind::begin);
    EXPECT_EQ(calls.front().id, static_cast<v3_param_id>(kDecay));
    EXPECT_EQ(calls.back().kind, HandlerCall::Kind::end);
    std::size_t performs = 0;
    double last = 0.0;
    for (const HandlerCall& call : calls)
        if (call.kind == HandlerCall::Kind::perform) {
            EXPECT_EQ(call.id, static_cast<v3_param_id>(kDecay));
            ++performs;
            last = call.value;
        }
    EXPECT_GE(performs, 2u);
    EXPECT_EQ(plugin.normalized(kDecay), last);

    EXPECT_EQ(v->removed(view), vst3::kResultOk);
    EXPECT_TRUE(frame.timers.empty());
    EXPECT_TRUE(frame.handlers.empty());
    EXPECT_EQ(v->set_frame(view, nullptr), vst3::kResultOk);
    EXPECT_EQ(frame.references, 0);
    reinterpret_cast<v3_funknown*>(*view)->unref(view);
    sync();
    EXPECT_EQ(childCount(parent), 0);
    EXPECT_EQ(errorCount, 0);
}

// The host's content scale resizes the editor through the frame. The embedded window is resized,
// never replaced: an embedding socket destroys itself with the window it holds. A host that
// refuses keeps the editor as it was.
TEST_F(Vst3Editor, AContentScaleResizesTheEmbeddedWindowInPlace) {
    v3_plugin_view** view = createView();
    ASSERT_NE(view, nullptr);
    v3_plugin_view* v = v3_cpp_obj(view);
    void* face = nullptr;
    ASSERT_EQ(reinterpret_cast<v3_funknown*>(*view)->query_interface(
                  view, v3_plugin_view_content_scale_iid, &face),
              vst3::kResultOk);
    auto** scale = static_cast<v3_plugin_view_content_scale**>(face);
    auto setScale = [&](float f) { return v3_cpp_obj(scale)->set_content_scale_factor(scale, f); };

    createParentWindow(2 * kWidth, 2 * kHeight);
    PlugFrame frame;
    ASSERT_EQ(v->set_frame(view, frame.frame()), vst3::kResultOk);
    ASSERT_EQ(v->attached(view, reinterpret_cast<void*>(parent), "X11EmbedWindowID"),
              vst3::kResultOk);
    run(frame, 100);
    ASSERT_EQ(frame.descriptorRegistrations, 1);
    const unsigned long child = xprobe::onlyChild(display, parent);
    ASSERT_NE(child, 0u);
    xprobe::watchChildren(display, parent);

    EXPECT_EQ(setScale(2.0f), vst3::kResultOk);
    EXPECT_EQ(frame.resizeRequests, 1);
    EXPECT_EQ(frame.lastResize.right - frame.lastResize.left, 2 * kWidth);
    EXPECT_EQ(frame.lastResize.bottom - frame.lastResize.top, 2 * kHeight);
    v3_view_rect rect{};
    ASSERT_EQ(v->get_size(view, &rect), vst3::kResultOk);
    EXPECT_EQ(rect.right - rect.left, 2 * kWidth);
    run(frame, 150);
    EXPECT_EQ(xprobe::onlyChild(display, parent), child);
    EXPECT_FALSE(xprobe::childDestroyed(display, parent));
    EXPECT_EQ(xprobe::windowWidth(display, child), 2 * kWidth);
    EXPECT_EQ(xprobe::xembedFlags(display, child) & 1, 1);
    ASSERT_EQ(frame.handlers.size(), 1u);
    EXPECT_EQ(frame.descriptorRegistrations, 1);
    EXPECT_EQ(frame.refused, 0);

    frame.refuseResize = true;
    EXPECT_EQ(setScale(1.5f), vst3::kResultFalse);
    ASSERT_EQ(v->get_size(view, &rect), vst3::kResultOk);
    EXPECT_EQ(rect.right - rect.left, 2 * kWidth) << "refused: the editor keeps its size";
    run(frame, 100);
    EXPECT_EQ(xprobe::onlyChild(display, parent), child);

    EXPECT_EQ(v->removed(view), vst3::kResultOk);
    EXPECT_TRUE(frame.handlers.empty());
    EXPECT_EQ(v->set_frame(view, nullptr), vst3::kResultOk);
    reinterpret_cast<v3_funknown*>(*scale)->unref(scale);
    reinterpret_cast<v3_funknown*>(*view)->unref(view);
    sync();
    EXPECT_EQ(errorCount, 0);
}

TEST_F(Vst3Editor, OpenCloseCyclesLeaveNothingBehind) {
    createParentWindow(kWidth, kHeight);
    PlugFrame frame;
    // A host that only asks whether there is an editor creates a view and drops it.
    v3_plugin_view** probe = createView();
    ASSERT_NE(probe, nullptr);
    reinterpret_cast<v3_funknown*>(*probe)->unref(probe);
    for (int round = 0; round < 25; ++round) {
        v3_plugin_view** view = createView();
        ASSERT_NE(view, nullptr);
        v3_plugin_view* v = v3_cpp_obj(view);
        ASSERT_EQ(v->set_frame(view, frame.frame()), vst3::kResultOk);
        ASSERT_EQ(v->attached(view, reinterpret_cast<void*>(parent), "X11EmbedWindowID"),
                  vst3::kResultOk);
        run(frame, 20);
        // Half the rounds the host drops the view without removing it first.
        if (round % 2 == 0) {
            v->removed(view);
            v->set_frame(view, nullptr);
        }
        reinterpret_cast<v3_funknown*>(*view)->unref(view);
        sync();
        ASSERT_EQ(childCount(parent), 0) << round;
        ASSERT_TRUE(frame.timers.empty()) << round;
        ASSERT_TRUE(frame.handlers.empty()) << round;
        ASSERT_EQ(frame.references, 0) << round;
    }
    EXPECT_EQ(frame.refused, 0);
    EXPECT_EQ(errorCount, 0);
}

} // namespace
