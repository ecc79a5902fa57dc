#include "XDisplayFixture.h"

#include "ToolkitTestSupport.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <cairo.h>

#include <chrono>
#include <cstdlib>
#include <thread>

int XDisplayFixture::errorCount = 0;

namespace {
int countError(Display*, XErrorEvent*) {
    ++XDisplayFixture::errorCount;
    return 0;
}
constexpr int kParentX = 100;
constexpr int kParentY = 80;
} // namespace

void XDisplayFixture::SetUp() {
    releaseLibraryCachesAtExit();
    const char* name = std::getenv("DISPLAY");
    if (!name || !*name) GTEST_SKIP() << "no X server: DISPLAY is not set";
    display = XOpenDisplay(name);
    if (!display) GTEST_SKIP() << "cannot open X display " << name;
    int event = 0, error = 0, major = 0, minor = 0;
    if (!XTestQueryExtension(display, &event, &error, &major, &minor))
        GTEST_SKIP() << "the X server has no XTest extension";
    errorCount = 0;
    previousHandler = reinterpret_cast<void*>(XSetErrorHandler(countError));
}

void XDisplayFixture::TearDown() {
    if (!display) return;
    if (parent) XDestroyWindow(display, parent);
    XSync(display, False);
    XSetErrorHandler(reinterpret_cast<XErrorHandler>(previousHandler));
    XCloseDisplay(display);
    display = nullptr;
}

Window XDisplayFixture::createParentWindow(int width, int height) {
    const int screen = DefaultScreen(display);
    parent = XCreateSimpleWindow(display, RootWindow(display, screen), kParentX, kParentY,
                                 static_cast<unsigned>(width), static_cast<unsigned>(height), 0,
                                 BlackPixel(display, screen), WhitePixel(display, screen));
    XSelectInput(display, parent, StructureNotifyMask);
    XMapWindow(display, parent);
    XEvent event;
    do {
        XNextEvent(display, &event);
    } while (event.type != MapNotify);
    return parent;
}

void XDisplayFixture::pumpFor(int milliseconds, const std::function<void()>& pump) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (std::chrono::steady_clock::now() < end) {
        XSync(display, False);
        pump();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    XSync(display, False);
}

void XDisplayFixture::moveTo(Window window, int x, int y) {
    int rootX = 0, rootY = 0;
    Window child;
    XTranslateCoordinates(display, window, DefaultRootWindow(display), x, y, &rootX, &rootY,
                          &child);
    XTestFakeMotionEvent(display, DefaultScreen(display), rootX, rootY, CurrentTime);
    XSync(display, False);
}

void XDisplayFixture::click(Window window, int x, int y, unsigned button) {
    moveTo(window, x, y);
    XTestFakeButtonEvent(display, button, True, CurrentTime);
    XTestFakeButtonEvent(display, button, False, CurrentTime);
    XSync(display, False);
}

void XDisplayFixture::typeKey(unsigned long keysym) {
    const KeyCode code = XKeysymToKeycode(display, keysym);
    XTestFakeKeyEvent(display, code, True, CurrentTime);
    XTestFakeKeyEvent(display, code, False, CurrentTime);
    XSync(display, False);
}

std::vector<uint32_t> XDisplayFixture::capture(Window window, int width, int height) {
    std::vector<uint32_t> pixels(static_cast<size_t>(width * height));
    XImage* image = XGetImage(display, window, 0, 0, static_cast<unsigned>(width),
                              static_cast<unsigned>(height), AllPlanes, ZPixmap);
    if (!image) return {};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            pixels[static_cast<size_t>(y * width + x)] =
                static_cast<uint32_t>(XGetPixel(image, x, y)) & 0xFFFFFF;
    XDestroyImage(image);
    return pixels;
}

int XDisplayFixture::childCount(Window window) {
    Window root, parentOfWindow;
    Window* children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display, window, &root, &parentOfWindow, &children, &count)) return -1;
    if (children) XFree(children);
    return static_cast<int>(count);
}

bool XDisplayFixture::writePng(const std::vector<uint32_t>& pixels, int width, int height,
                               const std::string& path) {
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
    unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            reinterpret_cast<uint32_t*>(data + y * stride)[x] =
                pixels[static_cast<size_t>(y * width + x)];
    cairo_surface_mark_dirty(surface);
    const bool ok = cairo_surface_write_to_png(surface, path.c_str()) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(surface);
    return ok;
}

void XDisplayFixture::sync() {
    XSync(display, False);
}
