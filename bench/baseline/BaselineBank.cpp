#include "bench/baseline/BaselineBank.h"

#include <cmath>
#include <cstring>

#include "engine/ReadPosition.h"

using namespace strings;

BaselineBank::BaselineBank() : lines_(new float[kCount * kLineLength]()) {}

void BaselineBank::requestTranspositionReset() {
    pendingResets_.fetch_or(kTranspositionReset, std::memory_order_release);
}

void BaselineBank::requestFullReset() {
    resetTuning_.store(controls_.tuningTarget.load(std::memory_order_relaxed),
                       std::memory_order_relaxed);
    resetDetune_.store(controls_.detuneTarget.load(std::memory_order_relaxed),
                       std::memory_order_relaxed);
    pendingResets_.fetch_or(kFullReset, std::memory_order_release);
}

void BaselineBank::clearLines() {
    std::memset(lines_.get(), 0, sizeof(float) * kCount * kLineLength);
}

void BaselineBank::recomputeReadPositions(double sampleRate, double transposition) {
    for (int i = 0; i < kCount; ++i)
        read_[i] = readPosition(write_, loopLength(i, sampleRate, tuning_, detune_, transposition));
}

void BaselineBank::applyPendingResets(float sampleRate) {
    const std::uint32_t pending = pendingResets_.exchange(0, std::memory_order_acquire);
    if (pending == 0) return;
    if (pending & kFullReset) {
        clearLines();
        std::memset(state_, 0, sizeof state_);
        write_ = kLineMask;
        tuning_ = resetTuning_.load(std::memory_order_relaxed);
        detune_ = resetDetune_.load(std::memory_order_relaxed);
    }
    if (pending & kTranspositionReset) {
        clearLines();
        recomputeReadPositions(sampleRate, controls_.transposition.load(std::memory_order_relaxed));
    }
}

void BaselineBank::process(const float* inL, const float* inR, float* outL, float* outR,
                           std::int32_t frames, float sampleRate) {
    if (frames <= 0) return;
    applyPendingResets(sampleRate);

    const double outputGain = controls_.outputGain.load(std::memory_order_relaxed);
    const double mix = controls_.mix.load(std::memory_order_relaxed);
    const double feedback = controls_.feedbackGain.load(std::memory_order_relaxed);
    const double damping = controls_.damping.load(std::memory_order_relaxed);
    const double transposition = controls_.transposition.load(std::memory_order_relaxed);
    const float tuningTarget = controls_.tuningTarget.load(std::memory_order_relaxed);
    const float detuneTarget = controls_.detuneTarget.load(std::memory_order_relaxed);
    const bool bypassed = controls_.bypass.load(std::memory_order_relaxed) != 0;
    const double rate = sampleRate;
    const bool monoOut = outL == outR;

    float* line[kCount];
    for (int i = 0; i < kCount; ++i)
        line[i] = lineData(i);

    float offset = kDenormalOffset;
    for (std::int32_t n = 0; n < frames; ++n) {
        // 1-2: inputs, read before any output of this sample is written (buffers may alias).
        const float rawL = inL[n];
        const float rawR = inR[n];
        float exciteL, exciteR, dryL, dryR;
        if (!bypassed) {
            exciteL = dryL = rawL + offset;
            exciteR = dryR = rawR + offset;
        } else {
            exciteL = exciteR = offset;
            dryL = rawL;
            dryR = rawR;
        }
        offset = -offset;

        // 3: damping filters.
        for (int i = 0; i < kCount; ++i) {
            const double s = state_[i];
            state_[i] =
                static_cast<float>(s + damping * (static_cast<double>(line[i][read_[i]]) - s));
        }
        // 4-5: every line receives the same excitation.
        const double excitation =
            kExcitationScale * (static_cast<double>(exciteL) + static_cast<double>(exciteR));
        for (int i = 0; i < kCount; ++i)
            line[i][write_] = static_cast<float>(excitation + feedback * state_[i]);

        // 6: each channel gathers six filter states and six raw taps of the other strings.
        double sumL = state_[0];
        sumL += state_[2];
        sumL += state_[4];
        sumL += state_[6];
        sumL += state_[8];
        sumL += state_[10];
        sumL += line[1][read_[10]];
        sumL += line[3][read_[8]];
        sumL += line[5][read_[6]];
        sumL += line[7][read_[4]];
        sumL += line[9][read_[2]];
        sumL += line[11][read_[0]];
        double sumR = state_[1];
        sumR += state_[3];
        sumR += state_[5];
        sumR += state_[7];
        sumR += state_[9];
        sumR += state_[11];
        sumR += line[0][read_[11]];
        sumR += line[2][read_[9]];
        sumR += line[4][read_[7]];
        sumR += line[6][read_[5]];
        sumR += line[8][read_[3]];
        sumR += line[10][read_[1]];

        // 7: dry/wet blend.
        const double dl = dryL;
        const double dr = dryR;
        const float yL = static_cast<float>(dl + mix * (kWetScale * sumL - dl));
        const float yR = static_cast<float>(dr + mix * (kWetScale * sumR - dr));

        // 8: detune glide.
        {
            const double d = static_cast<double>(detuneTarget) - static_cast<double>(detune_);
            if (static_cast<double>(static_cast<float>(std::fabs(d))) > kDetuneSnap)
                detune_ = static_cast<float>(static_cast<double>(detune_) + d * kDetuneGlide);
            else
                detune_ = detuneTarget;
        }
        // 9: tuning glide: constant speed while far, easing in when close, then a snap.
        {
            const double current = tuning_;
            const double d = static_cast<double>(tuningTarget) - current;
            if (static_cast<double>(static_cast<float>(std::fabs(d))) > kTuningSnap) {
                const double proposal = static_cast<float>(current + d * kTuningGlide);
                if (std::fabs(proposal - current) > kTuningStepLimit)
                    tuning_ = static_cast<float>(proposal > current ? current + kTuningStepLimit
                                                                    : current - kTuningStepLimit);
                else
                    tuning_ = static_cast<float>(proposal);
            } else {
                tuning_ = tuningTarget;
            }
        }
        // 10: read positions for the next sample.
        for (int i = 0; i < kCount; ++i)
            read_[i] = readPosition(write_, loopLength(i, rate, tuning_, detune_, transposition));

        // 11: outputs; a shared buffer gets the mean of both channels.
        if (monoOut) {
            outL[n] = static_cast<float>((static_cast<double>(yL) + static_cast<double>(yR)) *
                                         outputGain * kMonoOutputScale);
        } else {
            outL[n] = static_cast<float>(outputGain * yL);
            outR[n] = static_cast<float>(outputGain * yR);
        }

        // 12: advance.
        write_ = (write_ + 1) & kLineMask;
        for (int i = 0; i < kCount; ++i)
            read_[i] = (read_[i] + 1) & kLineMask;
    }
}
