// The frame's child window on Windows: a WS_CHILD window of our own class in the host's
// window, drawn from an off-screen DIB, with mouse capture for drags and window timers.
#include <windows.h>

#include "toolkit/platform/win32/GdiplusHeaders.h"
#include <windowsx.h>

#include <cmath>
#include <memory>
#include <mutex>
#include <string>

#include "toolkit/CFrame.h"
#include "toolkit/PlatformWindow.h"
#include "toolkit/platform/win32/GdiplusDrawContext.h"
#include "toolkit/platform/win32/GdiplusSession.h"

namespace {

LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

HINSTANCE thisModule() {
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                           GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&windowProcedure), &module);
    return module;
}

// One class per loaded module (two copies of the plug-in must not share a window procedure),
// registered with the first window and unregistered with the last.
class WindowClass {
  public:
    static const wchar_t* acquire() {
        const std::lock_guard<std::mutex> lock(mutex());
        if (users() == 0) {
            name() =
                L"LyrebloomEditor" + std::to_wstring(reinterpret_cast<uintptr_t>(thisModule()));
            WNDCLASSEXW description{};
            description.cbSize = sizeof description;
            description.lpfnWndProc = windowProcedure;
            description.hInstance = thisModule();
            description.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512)); // IDC_ARROW
            description.lpszClassName = name().c_str();
            if (!RegisterClassExW(&description)) return nullptr;
        }
        ++users();
        return name().c_str();
    }
    static void release() {
        const std::lock_guard<std::mutex> lock(mutex());
        if (users() > 0 && --users() == 0) UnregisterClassW(name().c_str(), thisModule());
    }

  private:
    static std::mutex& mutex() {
        static std::mutex instance;
        return instance;
    }
    static int& users() {
        static int count = 0;
        return count;
    }
    static std::wstring& name() {
        static std::wstring text;
        return text;
    }
};

// Sent to the children of a per-monitor aware host's window once that window has moved to a
// monitor of another density (Windows 10 1703 on); our own number, as older headers lack it.
constexpr UINT kDpiChangedAfterParent = 0x02E3;

int32_t mouseModifiers(WPARAM wParam) {
    int32_t result = 0;
    if (wParam & MK_SHIFT) result |= kShift;
    if (wParam & MK_CONTROL) result |= kControl;
    if (GetKeyState(VK_MENU) < 0) result |= kAlt;
    return result;
}

uint8_t keyModifiers() {
    uint8_t result = 0;
    if (GetKeyState(VK_SHIFT) < 0) result |= kModifierShift;
    if (GetKeyState(VK_CONTROL) < 0) result |= kModifierControl;
    if (GetKeyState(VK_MENU) < 0) result |= kModifierAlternate;
    return result;
}

uint8_t virtualKey(WPARAM key) {
    switch (key) {
    case VK_BACK:
        return VKEY_BACK;
    case VK_ESCAPE:
        return VKEY_ESCAPE;
    case VK_DELETE:
        return VKEY_DELETE;
    case VK_RETURN:
        return VKEY_RETURN;
    case VK_TAB:
        return VKEY_TAB;
    case VK_LEFT:
        return VKEY_LEFT;
    case VK_RIGHT:
        return VKEY_RIGHT;
    case VK_UP:
        return VKEY_UP;
    case VK_DOWN:
        return VKEY_DOWN;
    case VK_HOME:
        return VKEY_HOME;
    case VK_END:
        return VKEY_END;
    default:
        return 0;
    }
}

} // namespace

struct PlatformWindow::Native {
    Native(CFrame& frame, void* parentWindow);
    ~Native();
    Native(const Native&) = delete;
    Native& operator=(const Native&) = delete;

    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
    void paint();
    // The DIB the frame draws into, at the window's size in pixels.
    bool makeBuffer();
    void setScale(double newScale);
    void buttonDown(int32_t flag, WPARAM wParam, LPARAM lParam);
    void buttonUp(int32_t flag, WPARAM wParam, LPARAM lParam);
    // Window pixels to frame coordinates.
    CPoint toFrame(double x, double y) const { return {x / scale, y / scale}; }

    CFrame& frame;
    double scale;
    GdiplusSession gdiplus;
    const wchar_t* className = nullptr;
    HWND window = nullptr;
    HDC bufferDc = nullptr;
    HBITMAP buffer = nullptr;
    HGDIOBJ previousBitmap = nullptr;
    int width = 0;
    int height = 0;
    bool painting = false;
    bool tracking = false;
    int32_t pressedButtons = 0;
    DoubleClickDetector clicks;
};

namespace {

LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    // No exception may unwind through user32's frames.
    try {
        if (message == WM_NCCREATE) {
            const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
            SetWindowLongPtrW(window, GWLP_USERDATA,
                              reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        }
        auto* native =
            reinterpret_cast<PlatformWindow::Native*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (native && native->window == window) return native->handle(message, wParam, lParam);
    } catch (...) {
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

} // namespace

PlatformWindow::Native::Native(CFrame& frame, void* parentWindow)
    : frame(frame), scale(frame.getScaleFactor()) {
    if (!gdiplus.isRunning()) return;
    const CRect& size = frame.getViewSize();
    width = static_cast<int>(std::ceil(size.getWidth() * scale));
    height = static_cast<int>(std::ceil(size.getHeight() * scale));
    if (!makeBuffer()) return;

    className = WindowClass::acquire();
    if (!className) return;
    HWND created =
        CreateWindowExW(0, className, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0, 0, width,
                        height, static_cast<HWND>(parentWindow), nullptr, thisModule(), this);
    window = created;
}

bool PlatformWindow::Native::makeBuffer() {
    if (width <= 0 || height <= 0) return false;
    if (!bufferDc) bufferDc = CreateCompatibleDC(nullptr);
    if (!bufferDc) return false;
    if (previousBitmap) SelectObject(bufferDc, previousBitmap);
    previousBitmap = nullptr;
    if (buffer) DeleteObject(buffer);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    buffer = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!buffer) return false;
    previousBitmap = SelectObject(bufferDc, buffer);
    return true;
}

void PlatformWindow::Native::setScale(double newScale) {
    scale = newScale;
    const CRect& size = frame.getViewSize();
    width = static_cast<int>(std::ceil(size.getWidth() * scale));
    height = static_cast<int>(std::ceil(size.getHeight() * scale));
    if (!makeBuffer() || !window) return;
    SetWindowPos(window, nullptr, 0, 0, width, height, SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
    InvalidateRect(window, nullptr, FALSE);
}

PlatformWindow::Native::~Native() {
    if (window) {
        // Messages sent while the window goes must not reach a frame that is closing.
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        HWND closing = window;
        window = nullptr;
        DestroyWindow(closing);
    }
    if (className) WindowClass::release();
    if (bufferDc && previousBitmap) SelectObject(bufferDc, previousBitmap);
    if (buffer) DeleteObject(buffer);
    if (bufferDc) DeleteDC(bufferDc);
}

// The frame draws what it has invalidated into the DIB; the window shows the DIB.
void PlatformWindow::Native::paint() {
    PAINTSTRUCT ps;
    HDC target = BeginPaint(window, &ps);
    if (!target) return;
    painting = true;
    frame.invalidRect(CRect(ps.rcPaint.left / scale, ps.rcPaint.top / scale,
                            ps.rcPaint.right / scale, ps.rcPaint.bottom / scale));
    painting = false;
    if (!frame.getInvalidArea().isEmpty()) {
        Gdiplus::Graphics graphics(bufferDc);
        GdiplusDrawContext context(graphics, scale);
        frame.drawInvalidArea(&context);
        graphics.Flush(Gdiplus::FlushIntentionSync);
    }
    GdiFlush();
    BitBlt(target, ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint.right - ps.rcPaint.left,
           ps.rcPaint.bottom - ps.rcPaint.top, bufferDc, ps.rcPaint.left, ps.rcPaint.top, SRCCOPY);
    EndPaint(window, &ps);
}

void PlatformWindow::Native::buttonDown(int32_t flag, WPARAM wParam, LPARAM lParam) {
    if (pressedButtons == 0) SetCapture(window);
    pressedButtons |= flag;
    const double x = GET_X_LPARAM(lParam);
    const double y = GET_Y_LPARAM(lParam);
    int32_t state = flag | mouseModifiers(wParam);
    if (flag == kLButton && clicks.press(GetMessageTime() / 1000.0, x, y)) state |= kDoubleClick;
    CPoint where = toFrame(x, y);
    frame.onMouseDown(where, state);
}

void PlatformWindow::Native::buttonUp(int32_t flag, WPARAM wParam, LPARAM lParam) {
    if (!(pressedButtons & flag)) return;
    pressedButtons &= ~flag;
    if (pressedButtons == 0 && GetCapture() == window) ReleaseCapture();
    CPoint where = toFrame(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
    frame.onMouseUp(where, flag | mouseModifiers(wParam));
}

LRESULT PlatformWindow::Native::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT:
        paint();
        return 0;
    case WM_ERASEBKGND:
        return 1; // the buffer covers every pixel
    case WM_LBUTTONDOWN:
        buttonDown(kLButton, wParam, lParam);
        return 0;
    case WM_RBUTTONDOWN:
        buttonDown(kRButton, wParam, lParam);
        return 0;
    case WM_MBUTTONDOWN:
        buttonDown(kMButton, wParam, lParam);
        return 0;
    case WM_LBUTTONUP:
        buttonUp(kLButton, wParam, lParam);
        return 0;
    case WM_RBUTTONUP:
        buttonUp(kRButton, wParam, lParam);
        return 0;
    case WM_MBUTTONUP:
        buttonUp(kMButton, wParam, lParam);
        return 0;
    case WM_CAPTURECHANGED:
        // Another window took the mouse mid-drag: the buttons count as released.
        if (reinterpret_cast<HWND>(lParam) != window) pressedButtons = 0;
        return 0;
    case WM_MOUSEMOVE: {
        if (!tracking) {
            TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, window, 0};
            tracking = TrackMouseEvent(&track) != FALSE;
        }
        CPoint where = toFrame(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        frame.onMouseMoved(where, pressedButtons | mouseModifiers(wParam));
        return 0;
    }
    case WM_MOUSELEAVE: {
        tracking = false;
        POINT cursor{};
        GetCursorPos(&cursor);
        ScreenToClient(window, &cursor);
        CPoint where = toFrame(cursor.x, cursor.y);
        frame.onMouseExited(where, pressedButtons);
        return 0;
    }
    case WM_MOUSEWHEEL: {
        POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        ScreenToClient(window, &at);
        const float distance = GET_WHEEL_DELTA_WPARAM(wParam) / static_cast<float>(WHEEL_DELTA);
        if (distance != 0)
            frame.onWheel(toFrame(at.x, at.y), distance,
                          pressedButtons | mouseModifiers(GET_KEYSTATE_WPARAM(wParam)));
        return 0;
    }
    case WM_KEYDOWN:
    case WM_KEYUP: {
        const uint8_t virt = virtualKey(wParam);
        if (!virt) break; // printable keys arrive as WM_CHAR
        CKeyCode code{0, virt, keyModifiers()};
        if (message == WM_KEYDOWN)
            frame.onKeyDown(code);
        else
            frame.onKeyUp(code);
        return 0;
    }
    case WM_CHAR: {
        if (wParam < 0x20 || wParam == 0x7F || wParam > 0xFF) return 0;
        CKeyCode code{static_cast<int32_t>(wParam), 0, keyModifiers()};
        frame.onKeyDown(code);
        return 0;
    }
    case WM_GETDLGCODE:
        return DLGC_WANTALLKEYS | DLGC_WANTCHARS | DLGC_WANTARROWS | DLGC_WANTTAB;
    case WM_TIMER:
        frame.onWindowTimer(static_cast<uintptr_t>(wParam));
        return 0;
    case kDpiChangedAfterParent:
        // The window is built again at the new size by the editor's next idle pass, not here.
        frame.onScreenScaleChanged();
        return 0;
    default:
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

PlatformWindow::PlatformWindow(CFrame& frame, void* parentWindow)
    : native(std::make_unique<Native>(frame, parentWindow)) {}

PlatformWindow::~PlatformWindow() = default;

bool PlatformWindow::isValid() const {
    return native->window != nullptr;
}

void* PlatformWindow::nativeWindow() const {
    return native->window;
}

// The host's message loop delivers our messages; nothing to pump here.
void PlatformWindow::update() {}

int PlatformWindow::eventDescriptor() const {
    return -1; // the host's message loop dispatches our window's messages
}

void PlatformWindow::requestRedraw() {
    if (!native->window || native->painting) return;
    const CRect area = native->frame.getInvalidArea();
    if (area.isEmpty()) return;
    const double scale = native->scale;
    RECT rect{static_cast<LONG>(std::floor(area.left * scale)),
              static_cast<LONG>(std::floor(area.top * scale)),
              static_cast<LONG>(std::ceil(area.right * scale)),
              static_cast<LONG>(std::ceil(area.bottom * scale))};
    InvalidateRect(native->window, &rect, FALSE);
}

bool PlatformWindow::startTimer(uintptr_t id, uint32_t intervalMs) {
    return native->window && id != 0 && SetTimer(native->window, id, intervalMs, nullptr) != 0;
}

void PlatformWindow::stopTimer(uintptr_t id) {
    if (native->window) KillTimer(native->window, id);
}

void PlatformWindow::setScale(double scale) {
    native->setScale(scale);
}

void PlatformWindow::grabFocus() {
    if (native->window) SetFocus(native->window);
}
