#include "formats/clap/ClapParameters.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "engine/FactoryPrograms.h"
#include "engine/ParameterText.h"
#include "engine/Parameters.h"
#include "formats/common/EffectDriver.h"
#include "formats/common/ParameterText.h"

namespace lyreclap {
namespace {

constexpr double kHalfRange = lyreformat::kTransposeSteps / 2;

void copyText(const std::string& text, char* out, std::size_t size) {
    const std::size_t n = std::min(text.size(), size - 1);
    std::memcpy(out, text.data(), n);
    out[n] = 0;
}

} // namespace

bool parameterInfo(uint32_t index, clap_param_info_t& info) {
    if (index >= kParameterCount) return false;
    std::memset(&info, 0, sizeof info);
    info.id = index;
    if (index == kProgramId) {
        copyText("Program", info.name, sizeof info.name);
        info.flags = CLAP_PARAM_IS_STEPPED | CLAP_PARAM_IS_AUTOMATABLE;
        info.max_value = lyreformat::kProgramCount - 1;
        return true;
    }
    const auto i = static_cast<int32_t>(index);
    copyText(lyreformat::trimmed(paramtext::name(i)), info.name, sizeof info.name);
    info.flags = CLAP_PARAM_IS_AUTOMATABLE;
    if (i == kTranspose || i == kBypass) info.flags |= CLAP_PARAM_IS_STEPPED;
    if (i == kBypass) info.flags |= CLAP_PARAM_IS_BYPASS;
    info.min_value = i == kTranspose ? -kHalfRange : 0.0;
    info.max_value = i == kTranspose ? kHalfRange : 1.0;
    info.default_value = clapValue(index, kFactoryPrograms[0].values[i]);
    return true;
}

double normalizedValue(clap_id id, double value) {
    if (id == static_cast<clap_id>(kTranspose)) return lyreformat::transposeNormalized(value);
    return std::isnan(value) ? 0.0 : std::clamp(value, 0.0, 1.0);
}

double clapValue(clap_id id, float normalized) {
    if (id == static_cast<clap_id>(kTranspose)) return lyreformat::transposeSemitones(normalized);
    return normalized;
}

int32_t programOf(double value) {
    if (std::isnan(value)) return 0;
    return static_cast<int32_t>(
        std::clamp(std::round(value), 0.0, static_cast<double>(lyreformat::kProgramCount - 1)));
}

} // namespace lyreclap
