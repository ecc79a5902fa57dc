#include "ToolkitTestSupport.h"

#include <fontconfig/fontconfig.h>
#include <gtest/gtest.h>

#include <map>
#include <memory>

namespace {

cairo_status_t appendPng(void* closure, const unsigned char* data, unsigned int length) {
    auto* bytes = static_cast<std::vector<unsigned char>*>(closure);
    bytes->insert(bytes->end(), data, data + length);
    return CAIRO_STATUS_SUCCESS;
}

// Resources point into these buffers, so they live as long as the test program.
std::map<int32_t, std::unique_ptr<std::vector<unsigned char>>>& pngStore() {
    static std::map<int32_t, std::unique_ptr<std::vector<unsigned char>>> store;
    return store;
}

} // namespace

void registerTestBitmap(int32_t id, int width, int height,
                        const std::function<CColor(int x, int y)>& colour) {
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    cairo_surface_flush(surface);
    unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const CColor c = colour(x, y);
            auto* px = reinterpret_cast<uint32_t*>(data + y * stride) + x;
            *px = (uint32_t{c.alpha} << 24) | (uint32_t{c.red} << 16) | (uint32_t{c.green} << 8) |
                  c.blue;
        }
    cairo_surface_mark_dirty(surface);
    auto bytes = std::make_unique<std::vector<unsigned char>>();
    cairo_surface_write_to_png_stream(surface, appendPng, bytes.get());
    cairo_surface_destroy(surface);
    const CBitmapResource resource{id, bytes->data(), bytes->size()};
    pngStore()[id] = std::move(bytes);
    CBitmap::addResources(&resource, 1);
}

void registerStripBitmap(int32_t id, int width, int imageHeight,
                         const std::vector<CColor>& images) {
    registerTestBitmap(id, width, imageHeight * static_cast<int>(images.size()),
                       [&](int, int y) { return images[static_cast<size_t>(y / imageHeight)]; });
}

Canvas::Canvas(int width, int height, CColor fill) {
    surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    cairo = cairo_create(surface);
    cairo_set_source_rgb(cairo, fill.red / 255.0, fill.green / 255.0, fill.blue / 255.0);
    cairo_paint(cairo);
    drawContext = new CairoDrawContext(cairo);
}

Canvas::~Canvas() {
    delete drawContext;
    cairo_destroy(cairo);
    cairo_surface_destroy(surface);
}

CColor Canvas::pixel(int x, int y) {
    cairo_surface_flush(surface);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    const uint32_t px = *(reinterpret_cast<const uint32_t*>(data + y * stride) + x);
    return {static_cast<uint8_t>(px >> 16), static_cast<uint8_t>(px >> 8), static_cast<uint8_t>(px),
            static_cast<uint8_t>(px >> 24)};
}

int Canvas::count(int left, int top, int right, int bottom,
                  const std::function<bool(CColor)>& test) {
    int result = 0;
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x)
            if (test(pixel(x, y))) ++result;
    return result;
}

namespace {
class LibraryCaches : public ::testing::Environment {
  public:
    void TearDown() override {
        cairo_debug_reset_static_data();
        FcFini();
    }
};
} // namespace

bool releaseLibraryCachesAtExit() {
    static const bool registered = (::testing::AddGlobalTestEnvironment(new LibraryCaches), true);
    return registered;
}

namespace {
[[maybe_unused]] const bool cachesReleased = releaseLibraryCachesAtExit();
}
