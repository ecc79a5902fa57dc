// Thin wrappers over the AEffect record, each safe to call without a loaded plug-in.
#include <algorithm>
#include <cstddef>

#include "host/Plugin.h"

namespace lyrehost {
namespace {

void describe(VstSpeakerArrangement& arrangement, VstInt32 channels) {
    arrangement.type = channels == 1   ? kSpeakerArrMono
                       : channels == 2 ? kSpeakerArrStereo
                                       : kSpeakerArrUserDefined;
    arrangement.numChannels = channels;
    constexpr VstInt32 kSpeakerM = 0, kSpeakerL = 1, kSpeakerR = 2;
    if (channels == 1) arrangement.speakers[0].type = kSpeakerM;
    if (channels == 2) {
        arrangement.speakers[0].type = kSpeakerL;
        arrangement.speakers[1].type = kSpeakerR;
    }
}

} // namespace

VstIntPtr Plugin::dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
    if (!effect_ || !effect_->dispatcher) return 0;
    if (opcode == effClose) {
        unload();
        return 1;
    }
    return effect_->dispatcher(effect_, opcode, index, value, ptr, opt);
}

void Plugin::setSampleRate(float rate) {
    answers_.setSampleRate(rate);
    dispatch(effSetSampleRate, 0, 0, nullptr, rate);
}

void Plugin::setBlockSize(VstInt32 frames) {
    answers_.setBlockSize(frames);
    dispatch(effSetBlockSize, 0, frames);
}

bool Plugin::setSpeakerArrangement(VstInt32 inputChannels, VstInt32 outputChannels) {
    VstSpeakerArrangement in{}, out{};
    describe(in, inputChannels);
    describe(out, outputChannels);
    return dispatch(effSetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&in), &out) != 0;
}

void Plugin::setParameter(VstInt32 index, float value) {
    if (effect_ && effect_->setParameter) effect_->setParameter(effect_, index, value);
}

float Plugin::getParameter(VstInt32 index) {
    return effect_ && effect_->getParameter ? effect_->getParameter(effect_, index) : 0.0f;
}

void Plugin::processReplacing(float** inputs, float** outputs, VstInt32 frames) {
    if (effect_ && effect_->processReplacing)
        effect_->processReplacing(effect_, inputs, outputs, frames);
}

StereoBuffer Plugin::processBuffers(StereoBuffer input, VstInt32 blockSize) {
    const std::size_t frames = std::min(input.left.size(), input.right.size());
    StereoBuffer output{std::vector<float>(frames), std::vector<float>(frames)};
    if (!effect_ || blockSize <= 0) return output;

    const std::size_t block = static_cast<std::size_t>(blockSize);
    const std::size_t inputs = static_cast<std::size_t>(std::max(2, numInputs()));
    const std::size_t outputs = static_cast<std::size_t>(std::max(2, numOutputs()));
    std::vector<std::vector<float>> spareIn(inputs - 2, std::vector<float>(block));
    std::vector<std::vector<float>> spareOut(outputs - 2, std::vector<float>(block));
    std::vector<float*> in(inputs), out(outputs);
    for (std::size_t i = 2; i < inputs; ++i)
        in[i] = spareIn[i - 2].data();
    for (std::size_t i = 2; i < outputs; ++i)
        out[i] = spareOut[i - 2].data();

    for (std::size_t start = 0; start < frames; start += block) {
        in[0] = input.left.data() + start;
        in[1] = input.right.data() + start;
        out[0] = output.left.data() + start;
        out[1] = output.right.data() + start;
        const auto count = static_cast<VstInt32>(std::min(block, frames - start));
        processReplacing(in.data(), out.data(), count);
    }
    return output;
}

std::string Plugin::text(VstInt32 opcode, VstInt32 index) {
    char buffer[64] = {};
    dispatch(opcode, index, 0, buffer);
    buffer[sizeof buffer - 1] = '\0';
    return buffer;
}

} // namespace lyrehost
