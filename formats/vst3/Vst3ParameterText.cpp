#include "formats/vst3/Vst3ParameterText.h"

#include <algorithm>
#include <string>

#include "formats/common/ParameterText.h"

namespace vst3 {
namespace {

constexpr int kString128 = 128;

} // namespace

void toString128(const char* text, int16_t* out) {
    const std::string s = lyreformat::trimmed(text);
    const std::size_t n = std::min<std::size_t>(s.size(), kString128 - 1);
    for (std::size_t i = 0; i < n; ++i)
        out[i] = static_cast<int16_t>(static_cast<unsigned char>(s[i]));
    out[n] = 0;
}

void valueText(int32_t index, double value, int16_t* out) {
    toString128(lyreformat::valueText(index, value).c_str(), out);
}

std::optional<double> typedValue(int32_t index, const int16_t* text) {
    if (!text) return std::nullopt;
    // Anything beyond ASCII cannot be part of a number or unit we show.
    std::string typed;
    for (int i = 0; i < kString128 && text[i] != 0; ++i) {
        if (text[i] < 0 || text[i] > 0x7E) return std::nullopt;
        typed += static_cast<char>(text[i]);
    }
    return lyreformat::typedValue(index, typed.c_str());
}

} // namespace vst3
