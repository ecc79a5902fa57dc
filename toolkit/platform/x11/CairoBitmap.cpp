#include "toolkit/platform/x11/CairoBitmap.h"

#include <cstring>

namespace {

struct PngReader {
    const unsigned char* data;
    std::size_t size;
    std::size_t position;
};

cairo_status_t readPng(void* closure, unsigned char* out, unsigned int length) {
    auto* reader = static_cast<PngReader*>(closure);
    if (reader->size - reader->position < length) return CAIRO_STATUS_READ_ERROR;
    std::memcpy(out, reader->data + reader->position, length);
    reader->position += length;
    return CAIRO_STATUS_SUCCESS;
}

} // namespace

std::unique_ptr<PlatformBitmap> decodePngBitmap(const unsigned char* data, std::size_t size) {
    if (!data) return nullptr;
    PngReader reader{data, size, 0};
    cairo_surface_t* loaded = cairo_image_surface_create_from_png_stream(readPng, &reader);
    if (cairo_surface_status(loaded) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(loaded);
        return nullptr;
    }
    return std::make_unique<CairoBitmap>(loaded);
}

// A shared object has no resource section: the editor's PNGs are compiled in as tables.
bool findPlatformBitmapResource(void*, int32_t, const unsigned char*&, std::size_t&) {
    return false;
}
