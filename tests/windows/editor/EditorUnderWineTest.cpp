// The plug-in's editor in a host window under wine: opened through the DLL's entry, operated
// with SendInput, its picture compared with the Linux editor's.
#include <windows.h>

#include <objidl.h>

#include <gdiplus.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "shell/vst2.h"

namespace {

struct Call {
    VstInt32 opcode;
    VstInt32 index;
    float value;
};
std::vector<Call> calls;

VstIntPtr VSTCALLBACK hostCallback(AEffect*, VstInt32 opcode, VstInt32 index, VstIntPtr,
                                   void*, float value) {
    if (opcode == audioMasterVersion) return 2400;
    if (opcode == audioMasterAutomate || opcode == audioMasterBeginEdit ||
        opcode == audioMasterEndEdit)
        calls.push_back({opcode, index, value});
    return 0;
}

using Entry = AEffect*(VSTCALLBACK*)(audioMasterCallback);

std::wstring widen(const char* text) {
    std::wstring result;
    for (const char* p = text; *p; ++p) result += static_cast<wchar_t>(*p == '/' ? '\\' : *p);
    return result;
}

void pump(int milliseconds) {
    const DWORD end = GetTickCount() + static_cast<DWORD>(milliseconds);
    do {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        Sleep(2);
    } while (static_cast<LONG>(end - GetTickCount()) > 0);
}

class EditorUnderWine : public ::testing::Test {
  protected:
    void SetUp() override {
        module = LoadLibraryW(widen(LYREBLOOM_MODULE).c_str());
        ASSERT_NE(module, nullptr);
        auto entry = reinterpret_cast<Entry>(
            reinterpret_cast<void (*)()>(GetProcAddress(module, "VSTPluginMain")));
        ASSERT_NE(entry, nullptr);
        effect = entry(hostCallback);
        ASSERT_NE(effect, nullptr);
        effect->dispatcher(effect, effOpen, 0, 0, nullptr, 0);
        host = CreateWindowExW(WS_EX_TOPMOST, L"STATIC", L"host", WS_POPUP | WS_VISIBLE, 0, 0,
                               320, 257, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(host, nullptr);
        // Keyboard input goes to the foreground window's thread, which must be ours.
        SetForegroundWindow(host);
        SetFocus(host);
        pump(50);
    }
    void TearDown() override {
        if (effect) {
            closeEditor();
            effect->dispatcher(effect, effClose, 0, 0, nullptr, 0);
        }
        if (host) DestroyWindow(host);
        if (module) FreeLibrary(module);
    }
    HWND openEditor() {
        effect->dispatcher(effect, effEditOpen, 0, 0, host, 0);
        pump(120);
        return FindWindowExW(host, nullptr, nullptr, nullptr);
    }
    void closeEditor() { effect->dispatcher(effect, effEditClose, 0, 0, nullptr, 0); }
    void idle(int milliseconds) {
        const DWORD end = GetTickCount() + static_cast<DWORD>(milliseconds);
        do {
            effect->dispatcher(effect, effEditIdle, 0, 0, nullptr, 0);
            pump(10);
        } while (static_cast<LONG>(end - GetTickCount()) > 0);
    }
    // Real input, one event at a time: wine merges a burst into one move.
    void send(DWORD flags, int x = -1, int y = -1) {
        if (x >= 0) SetCursorPos(x, y);
        pump(15);
        INPUT input{};
        input.type = INPUT_MOUSE;
        input.mi.dwFlags = flags;
        if (flags) SendInput(1, &input, sizeof input);
        pump(15);
    }
    void key(WORD vk, bool down) {
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = vk;
        input.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
        SendInput(1, &input, sizeof input);
        pump(15);
    }
    void click(int x, int y) {
        send(0, x, y);
        send(MOUSEEVENTF_LEFTDOWN);
        send(MOUSEEVENTF_LEFTUP);
        idle(120);
    }

    HMODULE module = nullptr;
    AEffect* effect = nullptr;
    HWND host = nullptr;
};

TEST_F(EditorUnderWine, OpensAsAChildOfTheHostWindowAtItsSize) {
    HWND child = openEditor();
    ASSERT_NE(child, nullptr);
    EXPECT_TRUE(GetWindowLongW(child, GWL_STYLE) & WS_CHILD);
    RECT area{};
    GetClientRect(child, &area);
    EXPECT_EQ(area.right - area.left, 320);
    EXPECT_EQ(area.bottom - area.top, 257);
    closeEditor();
    EXPECT_EQ(FindWindowExW(host, nullptr, nullptr, nullptr), nullptr);
}

TEST_F(EditorUnderWine, KnobDragAutomatesInsideAGestureAndControlClickResets) {
    ASSERT_NE(openEditor(), nullptr);
    const float before = effect->getParameter(effect, 2);
    calls.clear();
    send(0, 72, 93);
    send(MOUSEEVENTF_LEFTDOWN);
    for (int step = 1; step <= 10; ++step) send(0, 72, 93 - 3 * step);
    send(MOUSEEVENTF_LEFTUP);
    idle(60);
    const float after = effect->getParameter(effect, 2);
    EXPECT_GT(after, before);
    ASSERT_GE(calls.size(), 3u);
    EXPECT_EQ(calls.front().opcode, audioMasterBeginEdit);
    EXPECT_EQ(calls.front().index, 2);
    EXPECT_EQ(calls.back().opcode, audioMasterEndEdit);
    int automations = 0;
    for (const Call& call : calls)
        if (call.opcode == audioMasterAutomate && call.index == 2) ++automations;
    EXPECT_GE(automations, 2);

    key(VK_CONTROL, true);
    EXPECT_LT(GetKeyState(VK_CONTROL), 0) << "the Control key did not reach this thread";
    click(72, 93);
    key(VK_CONTROL, false);
    EXPECT_FLOAT_EQ(effect->getParameter(effect, 2), 0.5f);
}

// The LED's pixels at its place, read from the window on the screen.
COLORREF pixelAt(HWND window, int x, int y) {
    HDC dc = GetDC(window);
    const COLORREF colour = GetPixel(dc, x, y);
    ReleaseDC(window, dc);
    return colour;
}

TEST_F(EditorUnderWine, BypassTogglesAndTheLedFollows) {
    HWND child = openEditor();
    ASSERT_NE(child, nullptr);
    const float before = effect->getParameter(effect, 7);
    const COLORREF ledBefore = pixelAt(child, 160, 140);
    click(160, 176);
    EXPECT_NE(effect->getParameter(effect, 7), before);
    idle(120);
    EXPECT_NE(pixelAt(child, 160, 140), ledBefore);
    click(160, 176);
    EXPECT_EQ(effect->getParameter(effect, 7), before);
    idle(120);
    EXPECT_EQ(pixelAt(child, 160, 140), ledBefore);
}

TEST_F(EditorUnderWine, AboutScreenOpensAndClosesAndBlocksTheKnobs) {
    HWND child = openEditor();
    ASSERT_NE(child, nullptr);
    const COLORREF under = pixelAt(child, 100, 150);
    click(160, 30);
    const COLORREF shown = pixelAt(child, 100, 150);
    EXPECT_NE(shown, under);
    const float decay = effect->getParameter(effect, 2);
    click(72, 93); // on the picture: closes it, moves nothing
    EXPECT_EQ(effect->getParameter(effect, 2), decay);
    EXPECT_EQ(pixelAt(child, 100, 150), under);
}

TEST_F(EditorUnderWine, RockerSwitchesPrograms) {
    ASSERT_NE(openEditor(), nullptr);
    const VstIntPtr first = effect->dispatcher(effect, effGetProgram, 0, 0, nullptr, 0);
    calls.clear();
    click(255, 241);
    std::printf("program %d -> %d, %d host calls\n", static_cast<int>(first),
                static_cast<int>(effect->dispatcher(effect, effGetProgram, 0, 0, nullptr, 0)),
                static_cast<int>(calls.size()));
    EXPECT_EQ(effect->dispatcher(effect, effGetProgram, 0, 0, nullptr, 0), (first + 1) % 6);
    click(235, 241);
    EXPECT_EQ(effect->dispatcher(effect, effGetProgram, 0, 0, nullptr, 0), first);
}

struct GdiplusScope {
    GdiplusScope() {
        Gdiplus::GdiplusStartupInput input;
        Gdiplus::GdiplusStartup(&token, &input, nullptr);
    }
    ~GdiplusScope() { Gdiplus::GdiplusShutdown(token); }
    ULONG_PTR token = 0;
};

bool encoderClsid(CLSID* clsid) {
    UINT count = 0, size = 0;
    Gdiplus::GetImageEncodersSize(&count, &size);
    std::vector<unsigned char> buffer(size);
    auto* encoders = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
    Gdiplus::GetImageEncoders(count, size, encoders);
    for (UINT i = 0; i < count; ++i)
        if (std::wstring(encoders[i].MimeType) == L"image/png") {
            *clsid = encoders[i].Clsid;
            return true;
        }
    return false;
}

TEST_F(EditorUnderWine, LooksLikeTheLinuxEditor) {
    HWND child = openEditor();
    ASSERT_NE(child, nullptr);
    idle(200);
    GdiplusScope gdiplus;
    HDC screen = GetDC(child);
    HDC copyDc = CreateCompatibleDC(screen);
    HBITMAP copy = CreateCompatibleBitmap(screen, 320, 257);
    HGDIOBJ old = SelectObject(copyDc, copy);
    BitBlt(copyDc, 0, 0, 320, 257, screen, 0, 0, SRCCOPY);
    SelectObject(copyDc, old);
    {
        Gdiplus::Bitmap shot(copy, nullptr);
        CLSID png;
        ASSERT_TRUE(encoderClsid(&png));
        shot.Save(widen(LYRE_SCREENSHOT_PNG).c_str(), &png, nullptr);
        Gdiplus::Bitmap reference(widen(LYRE_LINUX_EDITOR_PNG).c_str());
        ASSERT_EQ(reference.GetLastStatus(), Gdiplus::Ok);
        ASSERT_EQ(reference.GetWidth(), 320u);
        // Glyph edges differ between FreeType and GDI+ antialiasing; the artwork must not.
        int differing = 0;
        for (INT y = 0; y < 257; ++y)
            for (INT x = 0; x < 320; ++x) {
                Gdiplus::Color a, b;
                shot.GetPixel(x, y, &a);
                reference.GetPixel(x, y, &b);
                if (std::abs(a.GetR() - b.GetR()) > 48 || std::abs(a.GetG() - b.GetG()) > 48 ||
                    std::abs(a.GetB() - b.GetB()) > 48)
                    ++differing;
            }
        std::printf("pixels differing by more than 48 in a channel: %d of %d\n", differing,
                    320 * 257);
        EXPECT_LT(differing, 320 * 257 / 50);
    }
    DeleteObject(copy);
    DeleteDC(copyDc);
    ReleaseDC(child, screen);
}

TEST_F(EditorUnderWine, TwentyFiveOpenCloseCyclesLeakNoHandles) {
    openEditor();
    idle(60);
    closeEditor();
    pump(50);
    HANDLE self = GetCurrentProcess();
    const DWORD gdiBefore = GetGuiResources(self, GR_GDIOBJECTS);
    const DWORD userBefore = GetGuiResources(self, GR_USEROBJECTS);
    for (int cycle = 0; cycle < 25; ++cycle) {
        ASSERT_NE(openEditor(), nullptr);
        idle(20);
        closeEditor();
        pump(10);
    }
    const DWORD gdiAfter = GetGuiResources(self, GR_GDIOBJECTS);
    const DWORD userAfter = GetGuiResources(self, GR_USEROBJECTS);
    std::printf("GDI objects %lu -> %lu, USER objects %lu -> %lu\n", gdiBefore, gdiAfter,
                userBefore, userAfter);
    EXPECT_LE(gdiAfter, gdiBefore);
    EXPECT_LE(userAfter, userBefore);
}

} // namespace
