// The effect: eight parameters driving the twelve-string resonator bank, and its programs.
#pragma once

#include <atomic>

#include "engine/Parameters.h"
#include "engine/ResonatorBank.h"
#include "presets/CPresetSystemEffect.h"

class Lyrebloom : public CPresetSystemEffect {
  public:
    explicit Lyrebloom(audioMasterCallback audioMaster);
    ~Lyrebloom() override;

    void suspend() override;
    void resume() override;
    void processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames) override;

    void setParameter(VstInt32 index, float value) override;
    float getParameter(VstInt32 index) override;
    void getParameterLabel(VstInt32 index, char* label) override;
    void getParameterDisplay(VstInt32 index, char* text) override;
    void getParameterName(VstInt32 index, char* text) override;
    bool getParameterProperties(VstInt32 index, VstParameterProperties* p) override;

    bool getInputProperties(VstInt32 index, VstPinProperties* properties) override;
    bool getOutputProperties(VstInt32 index, VstPinProperties* properties) override;
    bool setSpeakerArrangement(VstSpeakerArrangement* input,
                               VstSpeakerArrangement* output) override;
    bool getEffectName(char* name) override;
    bool getVendorString(char* text) override;
    bool getProductString(char* text) override;
    VstInt32 getVendorVersion() override;
    VstInt32 getPlugCategory() override;

    void setupFactoryPrograms() override;
    // The factory "Default" program's value.
    float parameterDefault(VstInt32 index) override;

    // For tests that look inside the strings.
    const ResonatorBank& bank() const { return bank_; }

  private:
    void setTransposition(float x);

    std::atomic<float> values_[kNumParams] = {};
    std::atomic<bool> inputStereo_{true};
    std::atomic<bool> outputStereo_{true};
    ResonatorBank bank_;
};
