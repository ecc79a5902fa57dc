// A picture loaded by resource number from PNG bytes: registered tables first (the embedded
// PNGs on Linux, tests anywhere), then the platform's resources of the module.
// Control bitmaps stack several images of one height vertically; image k starts k heights down.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "toolkit/CBaseObject.h"
#include "toolkit/CGeometry.h"

class CDrawContext;
class PlatformBitmap;

struct CBitmapResource {
    int32_t id;
    const unsigned char* data;
    std::size_t size;
};

class CBitmap : public CBaseObject {
  public:
    // Loads resource `resourceId`; an unknown number or undecodable data gives an empty bitmap.
    explicit CBitmap(int32_t resourceId);
    ~CBitmap() override;
    CBitmap(const CBitmap&) = delete;
    CBitmap& operator=(const CBitmap&) = delete;

    // Makes a table of resources findable by number; later tables win for repeated numbers.
    static void addResources(const CBitmapResource* table, std::size_t count);
    static void clearResources();
    // The module whose own resources are searched after the tables (the plug-in's instance
    // handle on Windows); null searches none.
    static void setResourceModule(void* module);
    static void* getResourceModule();

    int32_t getResourceId() const { return resourceId; }
    bool isLoaded() const { return image != nullptr; }
    CCoord getWidth() const;
    CCoord getHeight() const;
    const PlatformBitmap* getPlatformBitmap() const { return image.get(); }
    // The same picture drawn at twice the size, kept under the number plus
    // kDoubleSizeOffset; null when there is none. Loaded on first use (user-interface thread).
    const PlatformBitmap* getDoubleSizeBitmap() const;
    static constexpr int32_t kDoubleSizeOffset = 20000;

    // Draws the part of the picture that starts at `offset` into `dest`.
    void draw(CDrawContext* context, const CRect& dest, const CPoint& offset = {},
              float alpha = 1.0f) const;

  private:
    int32_t resourceId;
    std::unique_ptr<PlatformBitmap> image;
    mutable std::unique_ptr<PlatformBitmap> doubleSizeImage;
    mutable bool doubleSizeLooked = false;
};
