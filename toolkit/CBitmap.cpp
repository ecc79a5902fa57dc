#include "toolkit/CBitmap.h"

#include <atomic>
#include <map>

#include "toolkit/CDrawContext.h"
#include "toolkit/PlatformBitmap.h"

namespace {

std::map<int32_t, CBitmapResource>& resourceTable() {
    static std::map<int32_t, CBitmapResource> table;
    return table;
}

std::atomic<void*> resourceModule{nullptr};

} // namespace

void CBitmap::addResources(const CBitmapResource* table, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i)
        resourceTable()[table[i].id] = table[i];
}

void CBitmap::clearResources() {
    resourceTable().clear();
}

void CBitmap::setResourceModule(void* module) {
    resourceModule = module;
}

void* CBitmap::getResourceModule() {
    return resourceModule;
}

namespace {

std::unique_ptr<PlatformBitmap> loadResource(int32_t resourceId) {
    const unsigned char* data = nullptr;
    std::size_t size = 0;
    const auto found = resourceTable().find(resourceId);
    if (found != resourceTable().end()) {
        data = found->second.data;
        size = found->second.size;
    } else if (!findPlatformBitmapResource(resourceModule, resourceId, data, size)) {
        return nullptr;
    }
    return decodePngBitmap(data, size);
}

} // namespace

CBitmap::CBitmap(int32_t resourceId) : resourceId(resourceId), image(loadResource(resourceId)) {}

const PlatformBitmap* CBitmap::getDoubleSizeBitmap() const {
    if (!doubleSizeLooked) {
        doubleSizeLooked = true;
        auto loaded = image ? loadResource(resourceId + kDoubleSizeOffset) : nullptr;
        // Only a picture of exactly twice the size can stand in for this one.
        if (loaded && loaded->width() == 2 * image->width() &&
            loaded->height() == 2 * image->height())
            doubleSizeImage = std::move(loaded);
    }
    return doubleSizeImage.get();
}

CBitmap::~CBitmap() = default;

CCoord CBitmap::getWidth() const {
    return image ? image->width() : 0;
}

CCoord CBitmap::getHeight() const {
    return image ? image->height() : 0;
}

void CBitmap::draw(CDrawContext* context, const CRect& dest, const CPoint& offset,
                   float alpha) const {
    if (!image || !context || dest.isEmpty()) return;
    context->drawBitmap(*this, dest, offset, alpha);
}
