// The host boundary as a script of calls: dispatcher opcodes with any index, value and float
// (pointers always valid: a large zeroed buffer, speaker arrangements where the value is one),
// interleaved with setParameter, getParameter and processReplacing of any length. The editor
// is never opened (it needs a window) and the effect is never closed mid-script.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "FuzzHost.h"
#include "shell/PluginEntry.h"

namespace {

class Script {
  public:
    Script(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    bool done() const { return at_ >= size_; }
    std::uint8_t byte() { return at_ < size_ ? data_[at_++] : 0; }
    std::uint32_t word() {
        std::uint32_t w = 0;
        for (int i = 0; i < 4; ++i)
            w |= std::uint32_t(byte()) << (8 * i);
        return w;
    }
    float real() {
        const std::uint32_t w = word();
        float f;
        std::memcpy(&f, &w, sizeof f);
        return f;
    }
    // Mostly small numbers, sometimes anything.
    std::int32_t integer() {
        const std::uint8_t b = byte();
        return b < 0xF0 ? static_cast<std::int32_t>(b % 16) - 2 : static_cast<std::int32_t>(word());
    }
    std::size_t take(std::uint8_t* out, std::size_t most) {
        const std::size_t n = std::min(most, size_ - std::min(at_, size_));
        std::memcpy(out, data_ + at_, n);
        at_ += n;
        return n;
    }

  private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

constexpr std::size_t kBuffer = 1 << 16;
constexpr VstInt32 kMaxFrames = 4096;

void dispatch(AEffect* effect, Script& script, std::vector<std::uint8_t>& buffer,
              VstSpeakerArrangement (&arrangements)[2]) {
    const VstInt32 opcode = static_cast<VstInt32>(script.byte() % 88) - 4;
    if (opcode == effClose || opcode == effEditOpen) return;
    const VstInt32 index = script.integer();
    VstIntPtr value = script.integer();
    const float opt = script.real();

    // Text and chunk input: some script bytes at the start of the zeroed buffer.
    std::fill(buffer.begin(), buffer.begin() + 1024, 0);
    script.take(buffer.data(), script.byte() % 4 == 0 ? 400 : 0);

    switch (opcode) {
    case effSetChunk:
        // The size is that of the data the pointer shows (368 is the only one accepted).
        value = (value & 1) ? 368 : std::clamp<VstIntPtr>(value, 0, 1024);
        break;
    case effSetSpeakerArrangement:
        for (auto& a : arrangements) {
            a.type = script.integer();
            a.numChannels = script.integer();
        }
        value = reinterpret_cast<VstIntPtr>(&arrangements[0]);
        break;
    case effGetSpeakerArrangement:
        value = reinterpret_cast<VstIntPtr>(&arrangements[0]);
        break;
    default:
        break;
    }
    void* ptr =
        opcode == effSetSpeakerArrangement ? static_cast<void*>(&arrangements[1]) : buffer.data();
    effect->dispatcher(effect, opcode, index, value, ptr, opt);
    buffer[kBuffer - 1] = 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzzConfigHome();
    static std::vector<std::uint8_t> buffer(kBuffer, 0);
    static std::vector<float> inL(kMaxFrames, 0.3f), inR(kMaxFrames, -0.2f);
    static std::vector<float> outL(kMaxFrames), outR(kMaxFrames);
    VstSpeakerArrangement arrangements[2] = {};

    AEffect* effect = pluginEntry(fuzzHost);
    FUZZ_CHECK(effect != nullptr && effect->magic == kEffectMagic);
    Script script(data, size);
    for (int step = 0; step < 256 && !script.done(); ++step) {
        switch (script.byte() % 5) {
        case 0:
        case 1:
            dispatch(effect, script, buffer, arrangements);
            break;
        case 2: {
            const VstInt32 index = script.integer();
            effect->setParameter(effect, index, script.real());
            break;
        }
        case 3: {
            float* ins[2] = {inL.data(), inR.data()};
            float* outs[2] = {outL.data(), outR.data()};
            const VstInt32 frames = (script.byte() | (script.byte() << 8)) % (kMaxFrames + 1);
            effect->processReplacing(effect, ins, outs, frames);
            break;
        }
        case 4:
            (void)effect->getParameter(effect, script.integer());
            break;
        }
    }
    FUZZ_CHECK(effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f) == 1);
    return 0;
}
