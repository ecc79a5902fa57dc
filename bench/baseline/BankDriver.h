// Sets a bank's derived values from normalised parameter values, the way the effect does, so
// tests and benchmarks can drive the shipped bank and the reference bank alike.
#pragma once

#include "engine/BankControls.h"
#include "engine/ParameterMapping.h"
#include "engine/Parameters.h"

template <class Bank> class BankDriver {
  public:
    explicit BankDriver(Bank& bank) : bank_(bank) {}

    void setParameter(int index, float x) {
        BankControls& c = bank_.controls();
        switch (index) {
        case kOutput:
            c.outputGain.store(mapping::outputGain(x));
            break;
        case kMix:
            c.mix.store(x);
            break;
        case kDecay:
            decay_ = x;
            c.feedbackGain.store(mapping::feedbackGain(x, c.transposition.load()));
            break;
        case kDamp:
            c.damping.store(mapping::dampingCoefficient(x));
            break;
        case kTranspose: {
            // Only a new step empties the lines.
            const float ratio = mapping::transpositionRatio(mapping::transposeStep(x));
            if (ratio == c.transposition.load()) break;
            c.transposition.store(ratio);
            c.feedbackGain.store(mapping::feedbackGain(decay_, ratio));
            bank_.requestTranspositionReset();
            break;
        }
        case kTune:
            c.tuningTarget.store(mapping::tuningRatio(x));
            break;
        case kDetune:
            c.detuneTarget.store(x);
            break;
        case kBypass:
            c.bypass.store(mapping::bypassValue(x));
            break;
        default:
            break;
        }
    }

    void setAll(const float (&values)[kNumParams]) {
        for (int p = 0; p < kNumParams; ++p)
            setParameter(p, values[p]);
    }

  private:
    Bank& bank_;
    float decay_ = 0.0f;
};
