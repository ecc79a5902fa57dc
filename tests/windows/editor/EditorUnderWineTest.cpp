// The plug-in's editor in a host window under wine: opened through the DLL's entry, operated
// with SendInput, its picture compared with the Linux editor's.
#include <windows.h>

#include <objidl.h>

#include <gdiplus.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "shell/vst2.h"
#include "tests/windows/TestTime.h"
#include "tests/windows/WineInput.h"

namespace {

struct Call {
    VstInt32 opcode;
    VstInt32 index;
    float value;
};
std::vector<Call> calls;
int updateDisplays = 0;
bool grantSizeWindow = false;

VstIntPtr VSTCALLBACK hostCallback(AEffect*, VstInt32 opcode, VstInt32 index, VstIntPtr, void*,
                                   float value) {
    if (opcode == audioMasterVersion) return 2400;
    if (opcode == audioMasterUpdateDisplay) ++updateDisplays;
    if (opcode == audioMasterSizeWindow) return grantSizeWindow ? 1 : 0;
    if (opcode == audioMasterAutomate || opcode == audioMasterBeginEdit ||
        opcode == audioMasterEndEdit)
        calls.push_back({opcode, index, value});
    return 0;
}

using Entry = AEffect*(VSTCALLBACK*)(audioMasterCallback);

std::wstring widen(const char* text) {
    std::wstring result;
    for (const char* p = text; *p; ++p)
        result += static_cast<wchar_t>(*p == '/' ? '\\' : *p);
    return result;
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
        host = CreateWindowExW(WS_EX_TOPMOST, L"STATIC", L"host", WS_POPUP | WS_VISIBLE, 0, 0, 320,
                               257, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
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
        // A size a test stored must not reach the next test, even when it failed half-way.
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, L"SOFTWARE\\Ostrandia\\ZEMLyrebloom", 0, KEY_SET_VALUE,
                          &key) == ERROR_SUCCESS) {
            RegDeleteValueW(key, L"EditorScale");
            RegCloseKey(key);
        }
        grantSizeWindow = false;
    }
    HWND openEditor() {
        effect->dispatcher(effect, effEditOpen, 0, 0, host, 0);
        pump(120);
        return FindWindowExW(host, nullptr, nullptr, nullptr);
    }
    void closeEditor() { effect->dispatcher(effect, effEditClose, 0, 0, nullptr, 0); }
    void idle(int milliseconds) {
        const DWORD end = GetTickCount() + static_cast<DWORD>(milliseconds * testTimeFactor());
        do {
            effect->dispatcher(effect, effEditIdle, 0, 0, nullptr, 0);
            pump(10);
        } while (static_cast<LONG>(end - GetTickCount()) > 0);
    }
    void key(WORD vk, bool down) {
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = vk;
        input.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
        SendInput(1, &input, sizeof input);
        pump(15);
    }
    void tap(WORD vk) {
        key(vk, true);
        key(vk, false);
        idle(20);
    }
    // Capital letters and spaces as virtual keys: without Shift they arrive as lower case.
    void type(const char* text) {
        for (const char* c = text; *c; ++c)
            tap(*c == ' ' ? static_cast<WORD>(VK_SPACE) : static_cast<WORD>(*c));
    }
    void click(int x, int y) {
        send(0, x, y);
        send(MOUSEEVENTF_LEFTDOWN);
        send(MOUSEEVENTF_LEFTUP);
        idle(120);
    }
    // Under wine the keyboard state is read back from the X server once the pointer has been
    // moved, which releases a Control sent before the move: press it after, just before the
    // button.
    void controlClick(int x, int y) {
        send(0, x, y);
        key(VK_CONTROL, true);
        EXPECT_LT(GetKeyState(VK_CONTROL), 0) << "the Control key did not reach this thread";
        send(MOUSEEVENTF_LEFTDOWN);
        send(MOUSEEVENTF_LEFTUP);
        key(VK_CONTROL, false);
        idle(120);
    }
    std::string currentProgramName() {
        char name[64] = {};
        effect->dispatcher(effect, effGetProgramName, 0, 0, name, 0);
        return name;
    }
    std::string storedProgramName(int index) {
        char name[64] = {};
        EXPECT_EQ(effect->dispatcher(effect, effGetProgramNameIndexed, index, 0, name, 0), 1);
        return name;
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
    for (int step = 1; step <= 10; ++step)
        send(0, 72, 93 - 3 * step);
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

    ASSERT_NE(after, 0.5f) << "the drag must leave the default for the reset to show";
    // Past the double-click interval: a Control double click is not a reset.
    idle(450);
    controlClick(72, 93);
    EXPECT_FLOAT_EQ(effect->getParameter(effect, 2), 0.5f);
}

// A right click on bare panel offers the sizes; 150 % is granted by the host, the editor's own
// window is resized to it (the host keeps the handle it was given), the choice lands in the
// registry, and clicks and drags follow the scale.
TEST_F(EditorUnderWine, ASizeChosenFromThePanelMenuScalesTheWindowClicksAndDrags) {
    grantSizeWindow = true;
    SetWindowPos(host, nullptr, 0, 0, 480, 386, SWP_NOZORDER | SWP_NOMOVE);
    HWND opened = openEditor();
    ASSERT_NE(opened, nullptr);
    send(0, 8, 60);
    send(MOUSEEVENTF_RIGHTDOWN);
    send(MOUSEEVENTF_RIGHTUP);
    idle(120);
    click(48, 60 + 2 * 16 + 8); // the third entry of the list below the click: "150 %"
    idle(200);
    HWND child = FindWindowExW(host, nullptr, nullptr, nullptr);
    ASSERT_EQ(child, opened);
    RECT area{};
    GetClientRect(child, &area);
    EXPECT_EQ(area.right - area.left, 480);
    EXPECT_EQ(area.bottom - area.top, 386);
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, L"SOFTWARE\\Ostrandia\\ZEMLyrebloom", 0,
                            KEY_QUERY_VALUE, &key),
              ERROR_SUCCESS);
    DWORD percent = 0, size = sizeof percent;
    RegQueryValueExW(key, L"EditorScale", nullptr, nullptr, reinterpret_cast<BYTE*>(&percent),
                     &size);
    RegCloseKey(key);
    EXPECT_EQ(percent, 150u);

    const float bypass = effect->getParameter(effect, 7);
    click(243, 264); // the switch's centre, 162, 176, at 150 %
    EXPECT_NE(effect->getParameter(effect, 7), bypass);
    // 150 screen pixels are 100 of the editor's: half the Detune knob's range.
    effect->setParameter(effect, 6, 0.0f);
    idle(60);
    send(0, 300, 201);
    send(MOUSEEVENTF_LEFTDOWN);
    for (int step = 1; step <= 10; ++step)
        send(0, 300 + 15 * step, 201);
    send(MOUSEEVENTF_LEFTUP);
    idle(60);
    EXPECT_NEAR(effect->getParameter(effect, 6), 0.5f, 0.02f);
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

// The preset bar's name field and program menu, with the keyboard and pointer as a user has them.
TEST_F(EditorUnderWine, TypingIntoTheNameFieldReplacesTheNameAndTheEditingKeysWork) {
    ASSERT_NE(openEditor(), nullptr);
    const std::string before = currentProgramName();
    ASSERT_FALSE(before.empty());
    click(150, 240);
    // The whole name is selected on opening: what is typed replaces it.
    type("BLOOM");
    tap(VK_HOME);
    type("MY ");
    tap(VK_END);
    tap(VK_BACK);
    tap(VK_LEFT);
    tap(VK_DELETE);
    tap(VK_RETURN);
    idle(120);
    EXPECT_EQ(currentProgramName(), "my blo");
    EXPECT_EQ(storedProgramName(0), "my blo");
}

TEST_F(EditorUnderWine, TheProgramMenuOpensInsideTheEditorAndEveryEntryIsClickable) {
    HWND child = openEditor();
    ASSERT_NE(child, nullptr);
    // The menu sits near the editor's bottom right corner: its list opens above it and ends at
    // its right edge, 16 pixels an entry, so every entry's middle is a point inside the editor.
    for (int entry : {5, 0, 3}) {
        click(219, 244);
        click(210, 141 + 16 * entry + 8);
        EXPECT_EQ(currentProgramName(), storedProgramName(entry)) << "entry " << entry;
    }
}

// The six programs live behind the host's single program: the bar's switch shows through the
// current program's name and values, while effGetProgram stays 0.
TEST_F(EditorUnderWine, RockerStepsThroughTheStoredPrograms) {
    ASSERT_NE(openEditor(), nullptr);
    const std::string first = storedProgramName(0);
    const std::string second = storedProgramName(1);
    ASSERT_EQ(currentProgramName(), first);
    ASSERT_NE(second, first);
    const float decay = effect->getParameter(effect, 2);
    updateDisplays = 0;
    click(255, 241); // the right half
    EXPECT_EQ(currentProgramName(), second);
    EXPECT_NE(effect->getParameter(effect, 2), decay) << "the second program's values applied";
    EXPECT_GE(updateDisplays, 1);
    EXPECT_EQ(effect->dispatcher(effect, effGetProgram, 0, 0, nullptr, 0), 0);
    click(235, 241); // the left half
    EXPECT_EQ(currentProgramName(), first);
    EXPECT_EQ(effect->getParameter(effect, 2), decay);
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

// The window's pixels in a rectangle, row by row, as 0xRRGGBB.
std::vector<unsigned> capture(HWND window, const RECT& area) {
    const int width = area.right - area.left, height = area.bottom - area.top;
    HDC screen = GetDC(window);
    HDC copyDc = CreateCompatibleDC(screen);
    HBITMAP copy = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(copyDc, copy);
    BitBlt(copyDc, 0, 0, width, height, screen, area.left, area.top, SRCCOPY);
    SelectObject(copyDc, old);
    BITMAPINFO format{};
    format.bmiHeader.biSize = sizeof format.bmiHeader;
    format.bmiHeader.biWidth = width;
    format.bmiHeader.biHeight = -height; // top row first
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    format.bmiHeader.biCompression = BI_RGB;
    std::vector<unsigned> pixels(static_cast<std::size_t>(width) * height);
    GetDIBits(copyDc, copy, 0, static_cast<UINT>(height), pixels.data(), &format, DIB_RGB_COLORS);
    for (unsigned& p : pixels)
        p &= 0xFFFFFF;
    DeleteObject(copy);
    DeleteDC(copyDc);
    ReleaseDC(window, screen);
    return pixels;
}

bool differs(unsigned a, unsigned b, int by) {
    for (int shift = 0; shift < 24; shift += 8)
        if (std::abs(static_cast<int>((a >> shift) & 0xFF) -
                     static_cast<int>((b >> shift) & 0xFF)) > by)
            return true;
    return false;
}

// One frame of a bitmap of the skin's 2x set: every pixel as 0xRRGGBB.
std::vector<unsigned> artwork(const char* path, int top, int width, int height) {
    GdiplusScope gdiplus;
    Gdiplus::Bitmap art(widen(path).c_str());
    std::vector<unsigned> pixels;
    if (art.GetLastStatus() != Gdiplus::Ok || static_cast<int>(art.GetWidth()) != width)
        return pixels;
    for (int y = top; y < top + height; ++y)
        for (int x = 0; x < width; ++x) {
            Gdiplus::Color colour;
            art.GetPixel(x, y, &colour);
            pixels.push_back(colour.GetValue() & 0xFFFFFF);
        }
    return pixels;
}

int unlikePixels(const std::vector<unsigned>& a, const std::vector<unsigned>& b) {
    if (a.size() != b.size()) return -1;
    int count = 0;
    for (std::size_t i = 0; i < a.size(); ++i)
        count += differs(a[i], b[i], 2) ? 1 : 0;
    return count;
}

// A stored 200 %: the window is twice the size, the panel and the switch are the bitmaps made
// at twice the size, copied pixel for pixel, and the switch lies and answers at twice its place.
TEST_F(EditorUnderWine, AtTwoHundredPercentTheArtworkIsTheLargerSetAtTwiceItsPlace) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"SOFTWARE\\Ostrandia\\ZEMLyrebloom", 0, nullptr,
                              0, KEY_SET_VALUE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    const DWORD percent = 200;
    RegSetValueExW(key, L"EditorScale", 0, REG_BINARY, reinterpret_cast<const BYTE*>(&percent),
                   sizeof percent);
    RegCloseKey(key);
    grantSizeWindow = true;
    SetWindowPos(host, nullptr, 0, 0, 640, 514, SWP_NOZORDER | SWP_NOMOVE);
    HWND child = openEditor();
    ASSERT_NE(child, nullptr);
    idle(200);
    RECT area{};
    GetClientRect(child, &area);
    ASSERT_EQ(area.right - area.left, 640);
    ASSERT_EQ(area.bottom - area.top, 514);

    // The panel above the knobs, about screen area included.
    EXPECT_EQ(
        unlikePixels(capture(child, RECT{0, 0, 640, 94}), artwork(LYRE_SKIN_2X_PNG, 0, 640, 94)),
        0);
    // The switch at twice (131, 162): its off frame, then its on frame after a click at twice
    // its centre.
    ASSERT_EQ(effect->getParameter(effect, 7), 0.0f);
    const RECT switchArea{262, 324, 262 + 124, 324 + 56};
    EXPECT_EQ(unlikePixels(capture(child, switchArea), artwork(LYRE_SWITCH_2X_PNG, 0, 124, 56)), 0);
    click(324, 352);
    EXPECT_EQ(effect->getParameter(effect, 7), 1.0f);
    idle(120);
    EXPECT_EQ(unlikePixels(capture(child, switchArea), artwork(LYRE_SWITCH_2X_PNG, 56, 124, 56)),
              0);
}

// Whether GDI+ in this prefix finds "Arial" (wine-run.sh maps it to Liberation Sans; the
// suite's second run uses a prefix where that mapping is deleted).
bool arialInstalled() {
    GdiplusScope gdiplus;
    Gdiplus::FontFamily arial(L"Arial");
    return arial.GetLastStatus() == Gdiplus::Ok && arial.IsAvailable();
}

// Every value display and the name field must carry text, whatever faces the system has:
// pixels of the text colour where the skin (or the field's fill) has none.
TEST_F(EditorUnderWine, EveryValueDisplayAndTheNameFieldShowText) {
    const bool arial = arialInstalled();
    std::printf("\"Arial\" %s in this prefix\n", arial ? "is installed" : "is missing");
    if (std::getenv("LYRE_EXPECT_NO_ARIAL")) {
        ASSERT_FALSE(arial) << "the prefix still maps Arial";
    }
    HWND child = openEditor();
    ASSERT_NE(child, nullptr);
    idle(200);
    GdiplusScope gdiplus;
    Gdiplus::Bitmap skin(widen(LYRE_SKIN_PNG).c_str());
    ASSERT_EQ(skin.GetLastStatus(), Gdiplus::Ok);
    const RECT displays[7] = {{48, 120, 98, 134},  {222, 120, 272, 134}, {135, 112, 185, 126},
                              {95, 148, 145, 162}, {176, 148, 226, 162}, {51, 189, 101, 203},
                              {219, 189, 269, 203}};
    for (const RECT& area : displays) {
        const std::vector<unsigned> shown = capture(child, area);
        int textPixels = 0;
        for (int y = area.top; y < area.bottom; ++y)
            for (int x = area.left; x < area.right; ++x) {
                Gdiplus::Color under;
                skin.GetPixel(x, y, &under);
                const unsigned pixel = shown[static_cast<std::size_t>(
                    (y - area.top) * (area.right - area.left) + (x - area.left))];
                if (differs(pixel, under.GetValue() & 0xFFFFFF, 64)) ++textPixels;
            }
        EXPECT_GE(textPixels, 10) << "display at " << area.left << "," << area.top;
    }
    // Inside the field's frame: pixels that are not its fill colour are the name's.
    const RECT inside{98, 235, 210, 246};
    int namePixels = 0;
    for (unsigned pixel : capture(child, inside))
        if (differs(pixel, 0xBDCFDA, 64)) ++namePixels;
    EXPECT_GE(namePixels, 20) << "the name field shows no text";
}

// The name field's pixels, once the editor has refreshed.
std::vector<unsigned> nameFieldPixels(HWND child) {
    return capture(child, RECT{96, 233, 212, 248});
}

// A host that opens the editor first and restores its project's chunk afterwards, on a thread
// of its own: the field shows the restored program's name on the next refresh, exactly as when
// the chunk came before the editor was opened.
TEST_F(EditorUnderWine, AChunkRestoredWhileTheEditorIsOpenShowsInTheNameField) {
    void* data = nullptr;
    const auto size =
        static_cast<VstInt32>(effect->dispatcher(effect, effGetChunk, 0, 0, &data, 0));
    ASSERT_EQ(size, 368);
    std::vector<unsigned char> original(static_cast<unsigned char*>(data),
                                        static_cast<unsigned char*>(data) + size);
    std::vector<unsigned char> restored = original;
    const std::uint32_t four = 4;
    std::memcpy(restored.data() + 12, &four, 4);
    std::memcpy(restored.data() + 32 + 56 * 4, "Restored by the host\0\0\0", 24);
    auto setChunk = [this](std::vector<unsigned char>& chunk) {
        return effect->dispatcher(effect, effSetChunk, 0, static_cast<VstIntPtr>(chunk.size()),
                                  chunk.data(), 0);
    };

    ASSERT_EQ(setChunk(restored), 0);
    ASSERT_NE(openEditor(), nullptr);
    idle(200);
    const std::vector<unsigned> restoredThenOpened =
        nameFieldPixels(FindWindowExW(host, nullptr, nullptr, nullptr));
    closeEditor();
    ASSERT_EQ(setChunk(original), 0);
    HWND child = openEditor();
    ASSERT_NE(child, nullptr);
    idle(200);
    const std::vector<unsigned> before = nameFieldPixels(child);
    ASSERT_NE(before, restoredThenOpened) << "the two names must look different";

    VstIntPtr answer = -2;
    std::thread hostThread([&] { answer = setChunk(restored); });
    hostThread.join();
    EXPECT_EQ(answer, 0);
    EXPECT_EQ(currentProgramName(), "Restored by the host");
    idle(200);
    EXPECT_EQ(nameFieldPixels(child), restoredThenOpened);
}

BOOL CALLBACK countWindow(HWND, LPARAM count) {
    ++*reinterpret_cast<int*>(count);
    return TRUE;
}

int windowsUnder(HWND parent) {
    int count = 0;
    EnumChildWindows(parent, countWindow, reinterpret_cast<LPARAM>(&count));
    return count;
}

bool classRegistered(HMODULE module, const wchar_t* name) {
    WNDCLASSEXW description{};
    description.cbSize = sizeof description;
    return GetClassInfoExW(module, name, &description) != FALSE;
}

// Kernel handles in use. Wine answers GetProcessHandleCount with 0; there a new handle's
// number stands in, as handles take the lowest free slot and a leak pushes it up.
struct HandleUse {
    DWORD value;
    bool counted;
};
HandleUse handleUse() {
    DWORD count = 0;
    if (GetProcessHandleCount(GetCurrentProcess(), &count) && count > 0) return {count, true};
    HANDLE probe = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    const auto slot = static_cast<DWORD>(reinterpret_cast<uintptr_t>(probe) / 4);
    CloseHandle(probe);
    return {slot, false};
}

TEST_F(EditorUnderWine, TwentyFiveOpenCloseCyclesLeakNoHandles) {
    HWND first = openEditor();
    ASSERT_NE(first, nullptr);
    wchar_t className[256] = {};
    ASSERT_GT(GetClassNameW(first, className, 256), 0);
    EXPECT_TRUE(classRegistered(module, className));
    idle(60);
    closeEditor();
    pump(50);
    EXPECT_FALSE(classRegistered(module, className)) << "class left registered after the close";
    HANDLE self = GetCurrentProcess();
    const HandleUse handlesBefore = handleUse();
    ASSERT_NE(handlesBefore.value, 0u);
    const DWORD gdiBefore = GetGuiResources(self, GR_GDIOBJECTS);
    const DWORD userBefore = GetGuiResources(self, GR_USEROBJECTS);
    for (int cycle = 0; cycle < 25; ++cycle) {
        ASSERT_NE(openEditor(), nullptr);
        EXPECT_EQ(windowsUnder(host), 1) << "cycle " << cycle;
        idle(20);
        closeEditor();
        pump(10);
        EXPECT_EQ(windowsUnder(host), 0) << "a window outlived the close in cycle " << cycle;
    }
    EXPECT_FALSE(classRegistered(module, className)) << "class left registered after the close";
    const HandleUse handlesAfter = handleUse();
    std::printf("%s %lu -> %lu\n",
                handlesBefore.counted ? "process handles" : "lowest free handle slot",
                handlesBefore.value, handlesAfter.value);
    // A few for threads or caches the system starts on its own; one per cycle would be 25.
    EXPECT_LE(handlesAfter.value, handlesBefore.value + 3);
    const DWORD gdiAfter = GetGuiResources(self, GR_GDIOBJECTS);
    const DWORD userAfter = GetGuiResources(self, GR_USEROBJECTS);
    if (gdiBefore == 0 && gdiAfter == 0)
        std::printf("GetGuiResources answers 0 here (wine): GDI and USER objects not measured\n");
    else
        std::printf("GDI objects %lu -> %lu, USER objects %lu -> %lu\n", gdiBefore, gdiAfter,
                    userBefore, userAfter);
    EXPECT_LE(gdiAfter, gdiBefore);
    EXPECT_LE(userAfter, userBefore);
}

} // namespace
