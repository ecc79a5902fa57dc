// A decoded picture as a Cairo image surface.
#pragma once

#include <cairo.h>

#include "toolkit/PlatformBitmap.h"

class CairoBitmap : public PlatformBitmap {
  public:
    explicit CairoBitmap(cairo_surface_t* surface) : image(surface) {}
    ~CairoBitmap() override { cairo_surface_destroy(image); }
    CairoBitmap(const CairoBitmap&) = delete;
    CairoBitmap& operator=(const CairoBitmap&) = delete;

    int width() const override { return cairo_image_surface_get_width(image); }
    int height() const override { return cairo_image_surface_get_height(image); }
    cairo_surface_t* surface() const { return image; }

  private:
    cairo_surface_t* image;
};
