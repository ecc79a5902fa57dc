#include "formats/vst3/Vst3Streams.h"

namespace vst3 {

bool readAll(v3_bstream** stream, void* buffer, int32_t size) {
    if (!stream || !*stream || !buffer || size < 0) return false;
    auto* bytes = static_cast<uint8_t*>(buffer);
    int32_t done = 0;
    while (done < size) {
        int32_t got = 0;
        if (v3_cpp_obj(stream)->read(stream, bytes + done, size - done, &got) != kResultOk)
            return false;
        if (got <= 0 || got > size - done) return false;
        done += got;
    }
    return true;
}

bool writeAll(v3_bstream** stream, const void* buffer, int32_t size) {
    if (!stream || !*stream || !buffer || size < 0) return false;
    const auto* bytes = static_cast<const uint8_t*>(buffer);
    int32_t done = 0;
    while (done < size) {
        int32_t put = 0;
        // The interface takes a non-const pointer but only reads from it.
        if (v3_cpp_obj(stream)->write(stream, const_cast<uint8_t*>(bytes + done), size - done,
                                      &put) != kResultOk)
            return false;
        if (put <= 0 || put > size - done) return false;
        done += put;
    }
    return true;
}

} // namespace vst3
