// A decoded picture in the platform's own image format, and where the platform finds
// pictures by resource number.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

class PlatformBitmap {
  public:
    virtual ~PlatformBitmap() = default;
    virtual int width() const = 0;
    virtual int height() const = 0;
};

// Decodes PNG bytes; null when they are not a picture.
std::unique_ptr<PlatformBitmap> decodePngBitmap(const unsigned char* data, std::size_t size);

// The PNG bytes the platform keeps under `resourceId` in `module` (the module's own
// resources on Windows; Linux keeps none there and registers embedded tables instead).
bool findPlatformBitmapResource(void* module, int32_t resourceId, const unsigned char*& data,
                                std::size_t& size);
