// The bundle's editor in a host window under wine, as a Windows VST 3 host shows it: attached
// to an HWND, kept running by its own window timer and the host's message loop, operated with
// SendInput.
#include <windows.h>

#include "tests/vst3/Vst3Fixture.h"
#include "tests/windows/WineInput.h"

namespace {

using lyrehost::vst3host::HandlerCall;

int windowsUnder(HWND parent) {
    int count = 0;
    for (HWND w = FindWindowExW(parent, nullptr, nullptr, nullptr); w;
         w = FindWindowExW(parent, w, nullptr, nullptr))
        ++count;
    return count;
}

class Vst3EditorUnderWine : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(plugin.load(LYREBLOOM_VST3_BUNDLE), "");
        ASSERT_EQ(plugin.start(44100.0, 512), vst3::kResultOk);
        host = CreateWindowExW(WS_EX_TOPMOST, L"STATIC", L"host", WS_POPUP | WS_VISIBLE, 0, 0, 320,
                               257, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(host, nullptr);
        SetForegroundWindow(host);
        pump(50);
    }
    void TearDown() override {
        plugin.unload();
        if (host) DestroyWindow(host);
    }
    v3_plugin_view** attach() {
        auto* c = plugin.controller();
        v3_plugin_view** view = v3_cpp_obj(c)->create_view(c, "editor");
        if (!view) return nullptr;
        EXPECT_EQ(v3_cpp_obj(view)->is_platform_type_supported(view, "HWND"), vst3::kResultOk);
        EXPECT_EQ(v3_cpp_obj(view)->attached(view, host, "HWND"), vst3::kResultOk);
        pump(120);
        return view;
    }
    void detach(v3_plugin_view** view) {
        v3_cpp_obj(view)->removed(view);
        reinterpret_cast<v3_funknown*>(*view)->unref(view);
        pump(20);
    }

    lyrehost::Vst3Plugin plugin;
    HWND host = nullptr;
};

TEST_F(Vst3EditorUnderWine, AKnobDragReachesTheHostAsEdits) {
    v3_plugin_view** view = attach();
    ASSERT_NE(view, nullptr);
    HWND child = FindWindowExW(host, nullptr, nullptr, nullptr);
    ASSERT_NE(child, nullptr);
    EXPECT_TRUE(GetWindowLongW(child, GWL_STYLE) & WS_CHILD);
    RECT area{};
    GetClientRect(child, &area);
    EXPECT_EQ(area.right - area.left, 320);
    EXPECT_EQ(area.bottom - area.top, 257);

    send(0, 72, 93);
    send(MOUSEEVENTF_LEFTDOWN);
    for (int step = 1; step <= 10; ++step)
        send(0, 72, 93 - 3 * step);
    send(MOUSEEVENTF_LEFTUP);
    pump(80);
    const auto& calls = plugin.handler().calls;
    ASSERT_GE(calls.size(), 3u);
    EXPECT_EQ(calls.front().kind, HandlerCall::Kind::begin);
    EXPECT_EQ(calls.front().id, 2u);
    EXPECT_EQ(calls.back().kind, HandlerCall::Kind::end);
    double last = -1.0;
    int performs = 0;
    for (const HandlerCall& call : calls)
        if (call.kind == HandlerCall::Kind::perform) {
            ++performs;
            last = call.value;
        }
    EXPECT_GE(performs, 2);
    EXPECT_EQ(plugin.normalized(2), last);
    EXPECT_GT(last, 0.25);
    detach(view);
    EXPECT_EQ(windowsUnder(host), 0);
}

TEST_F(Vst3EditorUnderWine, TwentyFiveOpenCloseCyclesLeaveNoWindow) {
    for (int cycle = 0; cycle < 25; ++cycle) {
        v3_plugin_view** view = attach();
        ASSERT_NE(view, nullptr);
        EXPECT_EQ(windowsUnder(host), 1) << cycle;
        detach(view);
        ASSERT_EQ(windowsUnder(host), 0) << cycle;
    }
}

} // namespace
