#include "toolkit/platform/win32/GdiplusBitmap.h"

#include <cmath>

#include <shlwapi.h>

GdiplusBitmap::GdiplusBitmap(std::unique_ptr<GdiplusSession> session,
                             std::unique_ptr<Gdiplus::Bitmap> image)
    : session(std::move(session)), image(std::move(image)),
      pixelWidth(static_cast<int>(this->image->GetWidth())),
      pixelHeight(static_cast<int>(this->image->GetHeight())) {}

GdiplusBitmap::~GdiplusBitmap() {
    image.reset();
}

Gdiplus::Bitmap* GdiplusBitmap::scaledBitmap(double factor) const {
    if (factor == 1) return image.get();
    if (scaled && scaledFactor == factor) return scaled.get();
    const auto w = static_cast<INT>(std::lround(pixelWidth * factor));
    const auto h = static_cast<INT>(std::lround(pixelHeight * factor));
    auto copy = std::make_unique<Gdiplus::Bitmap>(w, h, PixelFormat32bppPARGB);
    if (copy->GetLastStatus() != Gdiplus::Ok) return nullptr;
    {
        Gdiplus::Graphics graphics(copy.get());
        graphics.SetInterpolationMode(Gdiplus::InterpolationModeHighQualityBilinear);
        graphics.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
        Gdiplus::ImageAttributes clampEdges;
        clampEdges.SetWrapMode(Gdiplus::WrapModeTileFlipXY);
        graphics.DrawImage(image.get(), Gdiplus::Rect(0, 0, w, h), 0, 0, pixelWidth, pixelHeight,
                           Gdiplus::UnitPixel, &clampEdges);
    }
    scaled = std::move(copy);
    scaledFactor = factor;
    return scaled.get();
}

std::unique_ptr<PlatformBitmap> decodePngBitmap(const unsigned char* data, std::size_t size) {
    if (!data || size == 0 || size > 0x7FFFFFFF) return nullptr;
    auto session = std::make_unique<GdiplusSession>();
    if (!session->isRunning()) return nullptr;
    IStream* stream = SHCreateMemStream(data, static_cast<UINT>(size));
    if (!stream) return nullptr;
    std::unique_ptr<Gdiplus::Bitmap> copy;
    {
        // A bitmap made from a stream keeps reading it: copy the pixels into memory of our own.
        Gdiplus::Bitmap decoded(stream);
        if (decoded.GetLastStatus() == Gdiplus::Ok && decoded.GetWidth() > 0 &&
            decoded.GetHeight() > 0) {
            const auto width = static_cast<INT>(decoded.GetWidth());
            const auto height = static_cast<INT>(decoded.GetHeight());
            copy = std::make_unique<Gdiplus::Bitmap>(width, height, PixelFormat32bppPARGB);
            if (copy->GetLastStatus() == Gdiplus::Ok) {
                Gdiplus::Graphics graphics(copy.get());
                graphics.SetCompositingMode(Gdiplus::CompositingModeSourceCopy);
                graphics.SetInterpolationMode(Gdiplus::InterpolationModeNearestNeighbor);
                graphics.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
                if (graphics.DrawImage(&decoded, Gdiplus::Rect(0, 0, width, height), 0, 0, width,
                                       height, Gdiplus::UnitPixel) != Gdiplus::Ok)
                    copy.reset();
            } else {
                copy.reset();
            }
        }
    }
    stream->Release();
    if (!copy) return nullptr;
    return std::make_unique<GdiplusBitmap>(std::move(session), std::move(copy));
}

bool findPlatformBitmapResource(void* module, int32_t resourceId, const unsigned char*& data,
                                std::size_t& size) {
    if (!module || resourceId <= 0 || resourceId > 0xFFFF) return false;
    auto* instance = static_cast<HMODULE>(module);
    HRSRC found = FindResourceW(instance, MAKEINTRESOURCEW(resourceId), MAKEINTRESOURCEW(10));
    if (!found) return false;
    HGLOBAL loaded = LoadResource(instance, found);
    if (!loaded) return false;
    const void* bytes = LockResource(loaded);
    const DWORD length = SizeofResource(instance, found);
    if (!bytes || length == 0) return false;
    data = static_cast<const unsigned char*>(bytes);
    size = length;
    return true;
}
