// A picture loaded by resource number from PNG bytes embedded in the library.
// Control bitmaps stack several images of one height vertically; image k starts k heights down.
#pragma once

#include <cairo.h>

#include <cstddef>
#include <cstdint>

#include "toolkit/CBaseObject.h"
#include "toolkit/CGeometry.h"

class CDrawContext;

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

    int32_t getResourceId() const { return resourceId; }
    bool isLoaded() const { return surface != nullptr; }
    CCoord getWidth() const;
    CCoord getHeight() const;
    cairo_surface_t* getSurface() const { return surface; }

    // Draws the part of the picture that starts at `offset` into `dest`.
    void draw(CDrawContext* context, const CRect& dest, const CPoint& offset = {},
              float alpha = 1.0f) const;

  private:
    int32_t resourceId;
    cairo_surface_t* surface = nullptr;
};
