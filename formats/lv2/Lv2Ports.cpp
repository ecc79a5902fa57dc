#include "formats/lv2/Lv2Ports.h"

#include <algorithm>
#include <cmath>

#include "engine/Parameters.h"
#include "formats/common/ParameterText.h"

namespace lyrelv2 {

int32_t parameterOfPort(uint32_t port) {
    if (port == kEnabled) return kBypass;
    if (port >= kFirstControl && port < kEnabled) return static_cast<int32_t>(port - kFirstControl);
    return -1;
}

uint32_t portOfParameter(int32_t index) {
    return index == kBypass ? kEnabled : kFirstControl + static_cast<uint32_t>(index);
}

double normalizedOfPort(uint32_t port, float value) {
    const int32_t index = parameterOfPort(port);
    if (index == kTranspose) return lyreformat::transposeNormalized(value);
    if (index == kBypass) return value >= 0.5f ? 0.0 : 1.0;
    return std::isnan(value) ? 0.0 : std::clamp(static_cast<double>(value), 0.0, 1.0);
}

float portValue(uint32_t port, float normalized) {
    const int32_t index = parameterOfPort(port);
    if (index == kTranspose) return static_cast<float>(lyreformat::transposeSemitones(normalized));
    if (index == kBypass) return normalized >= 0.5f ? 0.0f : 1.0f;
    return normalized;
}

} // namespace lyrelv2
