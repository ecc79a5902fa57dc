// setChunk with arbitrary bytes. Whatever is accepted, the chunk handed out afterwards is a
// well-formed native chunk that loads back to itself, and a refused chunk changes nothing.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "FuzzHost.h"
#include "engine/Lyrebloom.h"
#include "presets/ChunkFormat.h"

namespace {

std::vector<std::uint8_t> currentChunk(Lyrebloom& fx) {
    void* data = nullptr;
    const VstInt32 size = fx.getChunk(&data, false);
    FUZZ_CHECK(size == static_cast<VstInt32>(chunk::kSize) && data != nullptr);
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    return {bytes, bytes + size};
}

std::uint32_t word(const std::vector<std::uint8_t>& bytes, std::size_t offset) {
    std::uint32_t w;
    std::memcpy(&w, bytes.data() + offset, sizeof w);
    return w;
}

bool parametersInRange(Lyrebloom& fx) {
    for (VstInt32 i = 0; i < 8; ++i) {
        const float v = fx.getParameter(i);
        if (!(v >= 0.0f && v <= 1.0f)) return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzzConfigHome();
    static Lyrebloom fx(fuzzHost);
    static std::vector<float> in(64, 0.25f), outL(64), outR(64);

    const std::vector<std::uint8_t> before = currentChunk(fx);
    // The host's buffer is exactly what it read: a copy makes any overread visible to ASan.
    std::vector<std::uint8_t> input(data, data + size);
    const VstInt32 result =
        fx.setChunk(input.empty() ? nullptr : input.data(), static_cast<VstInt32>(size), size & 1);
    FUZZ_CHECK(result == 0 || result == -1);
    const std::vector<std::uint8_t> after = currentChunk(fx);
    if (size != chunk::kSize) FUZZ_CHECK(result == -1 && after == before);

    // What is handed out is always ours, in native order, with a valid current index.
    FUZZ_CHECK(word(after, 0) == chunk::kFormatTag);
    FUZZ_CHECK(word(after, 4) == static_cast<std::uint32_t>(fx.getEffectUniqueID()));
    FUZZ_CHECK(word(after, 8) == 6 && word(after, 12) < 6);
    for (std::size_t r = 16; r < 32; r += 4)
        FUZZ_CHECK(word(after, r) == 0);
    // And every value a host can read back is within 0..1, whatever the input held.
    for (std::size_t at = chunk::kProgramsOffset; at < chunk::kSize; at += chunk::kProgramSize)
        for (std::size_t i = 0; i < 8; ++i) {
            float v;
            std::memcpy(&v, after.data() + at + 24 + 4 * i, sizeof v);
            FUZZ_CHECK(v >= 0.0f && v <= 1.0f);
        }
    if (result == 0) FUZZ_CHECK(parametersInRange(fx));

    // Loading what we hand out is accepted and, once the current program has been applied
    // (a chunk with an index outside 0..5 applies none), a fixed point.
    auto reload = [](std::vector<std::uint8_t> bytes) {
        FUZZ_CHECK(fx.setChunk(bytes.data(), static_cast<VstInt32>(bytes.size()), false) == 0);
        return currentChunk(fx);
    };
    const std::vector<std::uint8_t> applied = reload(after);
    FUZZ_CHECK(reload(applied) == applied);
    FUZZ_CHECK(std::equal(after.begin(), after.begin() + chunk::kProgramsOffset, applied.begin()));

    // Parameters within range play finite audio from a cleared state.
    float* ins[2] = {in.data(), in.data()};
    float* outs[2] = {outL.data(), outR.data()};
    fx.resume();
    fx.processReplacing(ins, outs, 64);
    if (parametersInRange(fx))
        for (std::size_t i = 0; i < 64; ++i)
            FUZZ_CHECK(std::isfinite(outL[i]) && std::isfinite(outR[i]));
    return 0;
}
