// A decoded picture as a GDI+ bitmap with premultiplied alpha, in memory of its own.
#pragma once

#include <windows.h>

#include "toolkit/platform/win32/GdiplusHeaders.h"

#include <memory>

#include "toolkit/PlatformBitmap.h"
#include "toolkit/platform/win32/GdiplusSession.h"

class GdiplusBitmap : public PlatformBitmap {
  public:
    GdiplusBitmap(std::unique_ptr<GdiplusSession> session, std::unique_ptr<Gdiplus::Bitmap> image);
    ~GdiplusBitmap() override;
    GdiplusBitmap(const GdiplusBitmap&) = delete;
    GdiplusBitmap& operator=(const GdiplusBitmap&) = delete;

    int width() const override { return pixelWidth; }
    int height() const override { return pixelHeight; }
    Gdiplus::Bitmap* bitmap() const { return image.get(); }
    // The picture resampled once to `factor` times its size (smoothly filtered), kept for
    // later draws at the same factor: GDI+ resampling on every draw is slow.
    Gdiplus::Bitmap* scaledBitmap(double factor) const;

  private:
    std::unique_ptr<GdiplusSession> session; // outlives the image
    std::unique_ptr<Gdiplus::Bitmap> image;
    mutable std::unique_ptr<Gdiplus::Bitmap> scaled;
    mutable double scaledFactor = 0;
    int pixelWidth;
    int pixelHeight;
};
