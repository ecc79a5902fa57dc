#include "toolkit/CBitmap.h"

#include <cstring>
#include <map>

#include "toolkit/CDrawContext.h"

namespace {

std::map<int32_t, CBitmapResource>& resourceTable() {
    static std::map<int32_t, CBitmapResource> table;
    return table;
}

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

void CBitmap::addResources(const CBitmapResource* table, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i)
        resourceTable()[table[i].id] = table[i];
}

void CBitmap::clearResources() {
    resourceTable().clear();
}

CBitmap::CBitmap(int32_t resourceId) : resourceId(resourceId) {
    const auto found = resourceTable().find(resourceId);
    if (found == resourceTable().end()) return;
    PngReader reader{found->second.data, found->second.size, 0};
    cairo_surface_t* loaded = cairo_image_surface_create_from_png_stream(readPng, &reader);
    if (cairo_surface_status(loaded) == CAIRO_STATUS_SUCCESS)
        surface = loaded;
    else
        cairo_surface_destroy(loaded);
}

CBitmap::~CBitmap() {
    if (surface) cairo_surface_destroy(surface);
}

CCoord CBitmap::getWidth() const {
    return surface ? cairo_image_surface_get_width(surface) : 0;
}

CCoord CBitmap::getHeight() const {
    return surface ? cairo_image_surface_get_height(surface) : 0;
}

void CBitmap::draw(CDrawContext* context, const CRect& dest, const CPoint& offset,
                   float alpha) const {
    if (!surface || !context || dest.isEmpty()) return;
    cairo_t* cr = context->getCairo();
    cairo_save(cr);
    cairo_rectangle(cr, dest.left, dest.top, dest.getWidth(), dest.getHeight());
    cairo_clip(cr);
    cairo_set_source_surface(cr, surface, dest.left - offset.x, dest.top - offset.y);
    cairo_paint_with_alpha(cr, alpha);
    cairo_restore(cr);
}
