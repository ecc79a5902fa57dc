#include "toolkit/PlatformWindow.h"

#include <cairo.h>

// This copy of pugl's headers leaves out their extern "C" block.
extern "C" {
#include <pugl/cairo.h>
#include <pugl/pugl.h>
}

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <cairo-xlib.h>

#include <algorithm>
#include <cmath>

#include "toolkit/CFrame.h"
#include "toolkit/platform/x11/CairoDrawContext.h"

namespace {

PuglStatus onPuglEvent(PuglView* view, const PuglEvent* event);

int32_t modifiers(PuglMods state) {
    int32_t result = 0;
    if (state & PUGL_MOD_SHIFT) result |= kShift;
    if (state & PUGL_MOD_CTRL) result |= kControl;
    if (state & PUGL_MOD_ALT) result |= kAlt;
    return result;
}

uint8_t keyModifiers(PuglMods state) {
    uint8_t result = 0;
    if (state & PUGL_MOD_SHIFT) result |= kModifierShift;
    if (state & PUGL_MOD_CTRL) result |= kModifierControl;
    if (state & PUGL_MOD_ALT) result |= kModifierAlternate;
    return result;
}

int32_t buttonFlag(uint32_t button) {
    switch (button) {
    case 0:
        return kLButton;
    case 1: // pugl numbers the right button before the middle one
        return kRButton;
    case 2:
        return kMButton;
    default:
        return 0;
    }
}

uint8_t virtualKey(uint32_t key) {
    switch (key) {
    case PUGL_KEY_BACKSPACE:
        return VKEY_BACK;
    case PUGL_KEY_ESCAPE:
        return VKEY_ESCAPE;
    case PUGL_KEY_DELETE:
        return VKEY_DELETE;
    case '\r':
        return VKEY_RETURN;
    case '\t':
        return VKEY_TAB;
    case PUGL_KEY_LEFT:
        return VKEY_LEFT;
    case PUGL_KEY_RIGHT:
        return VKEY_RIGHT;
    case PUGL_KEY_UP:
        return VKEY_UP;
    case PUGL_KEY_DOWN:
        return VKEY_DOWN;
    case PUGL_KEY_HOME:
        return VKEY_HOME;
    case PUGL_KEY_END:
        return VKEY_END;
    default:
        return 0;
    }
}

} // namespace

// pugl's world and view with our own image buffer; pugl calls handleEvent.
struct PlatformWindow::Native {
    Native(CFrame& frame, void* parentWindow);
    ~Native();
    Native(const Native&) = delete;
    Native& operator=(const Native&) = delete;

    PuglStatus handleEvent(const PuglEvent* event);
    void paint(cairo_t* target);
    void setScale(double newScale);
    // Window pixels to frame coordinates and back.
    CPoint toFrame(double x, double y) const { return {x / scale, y / scale}; }
    CRect toDevice(const CRect& area) const;
    bool putImage(cairo_t* target, const CRect& area);

    CFrame& frame;
    double scale;
    cairo_surface_t* buffer = nullptr;
    PuglWorld* world = nullptr;
    PuglView* view = nullptr;
    bool redrawRequested = false;
    int32_t pressedButtons = 0;
    DoubleClickDetector clicks;
};

namespace {

PuglStatus onPuglEvent(PuglView* view, const PuglEvent* event) {
    auto* window = static_cast<PlatformWindow::Native*>(puglGetHandle(view));
    return window ? window->handleEvent(event) : PUGL_SUCCESS;
}

} // namespace

PlatformWindow::Native::Native(CFrame& frame, void* parentWindow)
    : frame(frame), scale(frame.getScaleFactor()) {
    world = puglNewWorld(PUGL_MODULE, 0);
    if (!world) return;
    puglSetClassName(world, "LyrebloomEditor");
    PuglView* newView = puglNewView(world);
    if (!newView) return;
    const CRect& size = frame.getViewSize();
    puglSetHandle(newView, this);
    puglSetBackend(newView, puglCairoBackend());
    puglSetEventFunc(newView, onPuglEvent);
    puglSetViewHint(newView, PUGL_RESIZABLE, 0);
    puglSetParentWindow(newView, reinterpret_cast<PuglNativeView>(parentWindow));
    const CRect window = toDevice(size);
    puglSetSizeHint(newView, PUGL_DEFAULT_SIZE, static_cast<PuglSpan>(window.getWidth()),
                    static_cast<PuglSpan>(window.getHeight()));
    puglSetPosition(newView, 0, 0);
    if (puglRealize(newView) != PUGL_SUCCESS || puglShow(newView) != PUGL_SUCCESS) {
        puglFreeView(newView);
        return;
    }
    view = newView;
}

// The smallest rectangle of whole window pixels that covers `area` (frame coordinates).
CRect PlatformWindow::Native::toDevice(const CRect& area) const {
    return {std::floor(area.left * scale), std::floor(area.top * scale),
            std::ceil(area.right * scale), std::ceil(area.bottom * scale)};
}

// The frame draws the invalid area into an image buffer of our own; only the changed part
// is then copied to the window.
void PlatformWindow::Native::paint(cairo_t* target) {
    if (frame.getInvalidArea().isEmpty()) return;
    // Redraw whole window pixels, so that no edge pixel is only partly painted over.
    const CRect area = toDevice(frame.getInvalidArea());
    if (scale != 1)
        frame.invalidRect(
            CRect(area.left / scale, area.top / scale, area.right / scale, area.bottom / scale));

    if (!buffer) {
        const CRect window = toDevice(frame.getViewSize());
        buffer =
            cairo_image_surface_create(CAIRO_FORMAT_ARGB32, static_cast<int>(window.getWidth()),
                                       static_cast<int>(window.getHeight()));
    }
    cairo_t* cairo = cairo_create(buffer);
    {
        CairoDrawContext context(cairo, scale);
        frame.drawInvalidArea(&context);
    }
    cairo_destroy(cairo);
    cairo_surface_flush(buffer);
    if (!putImage(target, area)) {
        cairo_save(target);
        cairo_rectangle(target, area.left, area.top, area.getWidth(), area.getHeight());
        cairo_clip(target);
        cairo_set_source_surface(target, buffer, 0, 0);
        cairo_set_operator(target, CAIRO_OPERATOR_SOURCE);
        cairo_paint(target);
        cairo_restore(target);
    }
}

// Copies the buffer to the window's pixmap with a plain XPutImage when the visual is the
// usual 24-bit true colour. Cairo's own upload goes through shared memory, and that path
// loses a little memory every time an X connection closes.
bool PlatformWindow::Native::putImage(cairo_t* target, const CRect& area) {
    cairo_surface_t* surface = cairo_get_target(target);
    if (cairo_surface_get_type(surface) != CAIRO_SURFACE_TYPE_XLIB) return false;
    Visual* visual = cairo_xlib_surface_get_visual(surface);
    if (!visual || cairo_xlib_surface_get_depth(surface) != 24 || visual->red_mask != 0xFF0000 ||
        visual->green_mask != 0x00FF00 || visual->blue_mask != 0x0000FF)
        return false;
    Display* display = cairo_xlib_surface_get_display(surface);
    const int width = cairo_image_surface_get_width(buffer);
    const int height = cairo_image_surface_get_height(buffer);
    XImage* image = XCreateImage(display, visual, 24, ZPixmap, 0,
                                 reinterpret_cast<char*>(cairo_image_surface_get_data(buffer)),
                                 static_cast<unsigned>(width), static_cast<unsigned>(height), 32,
                                 cairo_image_surface_get_stride(buffer));
    if (!image) return false;
    image->byte_order = LSBFirst; // the buffer holds native little-endian words
    const Drawable drawable = cairo_xlib_surface_get_drawable(surface);
    GC gc = XCreateGC(display, drawable, 0, nullptr);
    const int left = static_cast<int>(std::floor(area.left));
    const int top = static_cast<int>(std::floor(area.top));
    const int right = std::min(width, static_cast<int>(std::ceil(area.right)));
    const int bottom = std::min(height, static_cast<int>(std::ceil(area.bottom)));
    cairo_surface_flush(surface);
    XPutImage(display, drawable, gc, image, left, top, left, top,
              static_cast<unsigned>(right - left), static_cast<unsigned>(bottom - top));
    XFreeGC(display, gc);
    image->data = nullptr; // the pixels belong to the buffer
    XDestroyImage(image);
    cairo_surface_mark_dirty_rectangle(surface, left, top, right - left, bottom - top);
    return true;
}

void PlatformWindow::Native::setScale(double newScale) {
    scale = newScale;
    if (buffer) cairo_surface_destroy(buffer);
    buffer = nullptr; // made again at the new size by the next paint
    if (!view) return;
    const CRect window = toDevice(frame.getViewSize());
    const auto width = static_cast<PuglSpan>(window.getWidth());
    const auto height = static_cast<PuglSpan>(window.getHeight());
    puglSetFrame(view, PuglRect{0, 0, width, height});
    // A fixed-size window's size hints are its size; an embedding socket sizes itself by them.
    puglSetSizeHint(view, PUGL_DEFAULT_SIZE, width, height);
    puglPostRedisplay(view);
    // Now, not at our next pump: the host lays out its window by these as soon as it hears of
    // the new size.
    XFlush(static_cast<Display*>(puglGetNativeWorld(world)));
}

PlatformWindow::Native::~Native() {
    if (buffer) cairo_surface_destroy(buffer);
    if (view) {
        puglSetHandle(view, nullptr);
        puglFreeView(view);
    }
    if (world) puglFreeWorld(world);
}

PlatformWindow::PlatformWindow(CFrame& frame, void* parentWindow)
    : native(std::make_unique<Native>(frame, parentWindow)) {}

PlatformWindow::~PlatformWindow() = default;

bool PlatformWindow::isValid() const {
    return native->view != nullptr;
}

void* PlatformWindow::nativeWindow() const {
    return native->view ? reinterpret_cast<void*>(puglGetNativeView(native->view)) : nullptr;
}

void PlatformWindow::update() {
    if (native->world) puglUpdate(native->world, 0.0);
}

int PlatformWindow::eventDescriptor() const {
    if (!native->world) return -1;
    auto* display = static_cast<Display*>(puglGetNativeWorld(native->world));
    return display ? ConnectionNumber(display) : -1;
}

void PlatformWindow::requestRedraw() {
    native->redrawRequested = true;
}

bool PlatformWindow::startTimer(uintptr_t id, uint32_t intervalMs) {
    return native->view && puglStartTimer(native->view, id, intervalMs / 1000.0) == PUGL_SUCCESS;
}

void PlatformWindow::stopTimer(uintptr_t id) {
    if (native->view) puglStopTimer(native->view, id);
}

void PlatformWindow::setScale(double scale) {
    native->setScale(scale);
}

void PlatformWindow::grabFocus() {
    if (native->view) puglGrabFocus(native->view);
}

PuglStatus PlatformWindow::Native::handleEvent(const PuglEvent* event) {
    switch (event->type) {
    case PUGL_UPDATE:
        // Hand what the frame invalidated since the last pass to pugl's expose merging.
        if (redrawRequested) {
            redrawRequested = false;
            const CRect area = toDevice(frame.getInvalidArea());
            if (!area.isEmpty()) {
                const auto left = static_cast<PuglCoord>(std::floor(area.left));
                const auto top = static_cast<PuglCoord>(std::floor(area.top));
                puglPostRedisplayRect(view, {left, top,
                                             static_cast<PuglSpan>(std::ceil(area.right) - left),
                                             static_cast<PuglSpan>(std::ceil(area.bottom) - top)});
            }
        }
        break;
    case PUGL_EXPOSE: {
        const PuglExposeEvent& expose = event->expose;
        frame.invalidRect(CRect(expose.x / scale, expose.y / scale,
                                (expose.x + expose.width) / scale,
                                (expose.y + expose.height) / scale));
        redrawRequested = false;
        auto* target = static_cast<cairo_t*>(puglGetContext(view));
        if (target) paint(target);
        break;
    }
    case PUGL_BUTTON_PRESS: {
        const PuglButtonEvent& button = event->button;
        const int32_t flag = buttonFlag(button.button);
        if (!flag) break;
        pressedButtons |= flag;
        int32_t state = flag | modifiers(button.state);
        if (flag == kLButton && clicks.press(button.time, button.x, button.y))
            state |= kDoubleClick;
        CPoint where = toFrame(button.x, button.y);
        frame.onMouseDown(where, state);
        break;
    }
    case PUGL_BUTTON_RELEASE: {
        const PuglButtonEvent& button = event->button;
        const int32_t flag = buttonFlag(button.button);
        if (!flag) break;
        pressedButtons &= ~flag;
        CPoint where = toFrame(button.x, button.y);
        frame.onMouseUp(where, flag | modifiers(button.state));
        break;
    }
    case PUGL_MOTION: {
        const PuglMotionEvent& motion = event->motion;
        CPoint where = toFrame(motion.x, motion.y);
        frame.onMouseMoved(where, pressedButtons | modifiers(motion.state));
        break;
    }
    case PUGL_POINTER_OUT: {
        CPoint where = toFrame(event->crossing.x, event->crossing.y);
        frame.onMouseExited(where, pressedButtons);
        break;
    }
    case PUGL_SCROLL: {
        const PuglScrollEvent& scroll = event->scroll;
        float distance = 0;
        if (scroll.direction == PUGL_SCROLL_UP) distance = 1;
        if (scroll.direction == PUGL_SCROLL_DOWN) distance = -1;
        if (scroll.direction == PUGL_SCROLL_SMOOTH) distance = static_cast<float>(scroll.dy);
        if (distance != 0)
            frame.onWheel(toFrame(scroll.x, scroll.y), distance,
                          pressedButtons | modifiers(scroll.state));
        break;
    }
    case PUGL_KEY_PRESS:
    case PUGL_KEY_RELEASE: {
        const PuglKeyEvent& key = event->key;
        const uint8_t virt = virtualKey(key.key);
        if (!virt) break; // printable keys arrive as text events
        CKeyCode code{0, virt, keyModifiers(key.state)};
        if (event->type == PUGL_KEY_PRESS)
            frame.onKeyDown(code);
        else
            frame.onKeyUp(code);
        break;
    }
    case PUGL_TEXT: {
        const PuglTextEvent& text = event->text;
        if (text.character < 0x20 || text.character == 0x7F || text.character > 0xFF) break;
        CKeyCode code{static_cast<int32_t>(text.character), 0, keyModifiers(text.state)};
        frame.onKeyDown(code);
        break;
    }
    case PUGL_TIMER:
        frame.onWindowTimer(event->timer.id);
        break;
    default:
        break;
    }
    return PUGL_SUCCESS;
}
