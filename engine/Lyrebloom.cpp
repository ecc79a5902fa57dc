#include "engine/Lyrebloom.h"

#include <algorithm>
#include <cstring>
#include <iterator>

#include "editor/ADEditor.h"
#include "engine/FactoryPrograms.h"
#include "engine/ParameterMapping.h"
#include "engine/ParameterText.h"
#include "engine/SubnormalFlush.h"
#include "shell/AEffEditor.h"
#include "shell/EffectIdentity.h"

Lyrebloom::Lyrebloom(audioMasterCallback audioMaster) : CPresetSystemEffect(audioMaster) {
    setNumInputs(2);
    setNumOutputs(2);
    canProcessReplacing();
    setUniqueID(identity::kUniqueID);
    setInitialDelay(0);

    // construction step 4: the editor object
    new ADEditor(this);

    setupFactoryPrograms();
    // The user's default bank and preset, when stored, replace factory programs here.
    loadStoredDefaults();
    selectProgram(0);

    // Clean lines before the first block, whatever applying the program did.
    suspend();
    resume();
    suspend();
}

Lyrebloom::~Lyrebloom() = default;

void Lyrebloom::setupFactoryPrograms() {
    for (int k = 0; k < kNumFactoryPrograms; ++k) {
        ProgramRecord program;
        std::copy(std::begin(kFactoryPrograms[k].values), std::end(kFactoryPrograms[k].values),
                  program.values);
        nameProgram(program, kFactoryPrograms[k].name);
        setStoredProgram(k, program);
    }
}

float Lyrebloom::parameterDefault(VstInt32 index) {
    return isParameterIndex(index) ? kFactoryPrograms[0].values[index] : 0.0f;
}

void Lyrebloom::suspend() {
    bank_.requestFullReset();
}

void Lyrebloom::resume() {
    bank_.requestFullReset();
}

void Lyrebloom::processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames) {
    // The host is asked on every block, whatever the buffers look like.
    const bool inputConnected = isInputConnected(1);
    const bool outputConnected = isOutputConnected(1);
    if (!inputs || !outputs || !inputs[0] || !outputs[0]) return;
    const float* inR = identity::secondChannel(inputs, inputConnected,
                                               inputStereo_.load(std::memory_order_relaxed));
    float* outR = identity::secondChannel(outputs, outputConnected,
                                          outputStereo_.load(std::memory_order_relaxed));
    // After a reset a string's state decays towards zero before the alternating offset comes
    // round its loop; flushing subnormals keeps that decay off the processor's slow path. The
    // host's own floating-point mode is restored before we return.
    const SubnormalFlush flush;
    bank_.process(inputs[0], inR, outputs[0], outR, sampleFrames, getSampleRate());
}

void Lyrebloom::setTransposition(float x) {
    BankControls& c = bank_.controls();
    const float ratio = mapping::transpositionRatio(mapping::transposeStep(x));
    if (ratio == c.transposition.load(std::memory_order_relaxed)) return;
    c.transposition.store(ratio, std::memory_order_relaxed);
    c.feedbackGain.store(
        mapping::feedbackGain(values_[kDecay].load(std::memory_order_relaxed), ratio),
        std::memory_order_relaxed);
    bank_.requestTranspositionReset();
}

void Lyrebloom::setParameter(VstInt32 index, float value) {
    BankControls& c = bank_.controls();
    if (isParameterIndex(index)) values_[index].store(value, std::memory_order_relaxed);
    switch (index) {
    case kOutput:
        storeSharedValue(index, value);
        c.outputGain.store(mapping::outputGain(value), std::memory_order_relaxed);
        break;
    case kMix:
        storeSharedValue(index, value);
        c.mix.store(value, std::memory_order_relaxed);
        break;
    case kDecay:
        c.feedbackGain.store(
            mapping::feedbackGain(value, c.transposition.load(std::memory_order_relaxed)),
            std::memory_order_relaxed);
        break;
    case kDamp:
        c.damping.store(mapping::dampingCoefficient(value), std::memory_order_relaxed);
        break;
    case kTranspose:
        setTransposition(value);
        break;
    case kTune:
        c.tuningTarget.store(mapping::tuningRatio(value), std::memory_order_relaxed);
        break;
    case kDetune:
        c.detuneTarget.store(value, std::memory_order_relaxed);
        break;
    case kBypass:
        storeSharedValue(index, value);
        c.bypass.store(mapping::bypassValue(value), std::memory_order_relaxed);
        break;
    default:
        break;
    }
    // Applying a program must not write its own values back into the store. The shared values
    // are in every program already; writing the current one again could leave it apart from
    // the other five when a program switch races with this change.
    const bool shared = index == kOutput || index == kMix || index == kBypass;
    if (!shared && !isApplyingProgram()) CPresetSystemEffect::setParameter(index, value);
    if (editor) editor->setParameter(index, value);
}

float Lyrebloom::getParameter(VstInt32 index) {
    return isParameterIndex(index) ? values_[index].load(std::memory_order_relaxed) : 0.0f;
}

void Lyrebloom::getParameterLabel(VstInt32 index, char* label) {
    std::strcpy(label, paramtext::label(index));
}

void Lyrebloom::getParameterDisplay(VstInt32 index, char* text) {
    const float x = isParameterIndex(index) ? values_[index].load(std::memory_order_relaxed) : 0.0f;
    paramtext::display(index, x, text);
}

void Lyrebloom::getParameterName(VstInt32 index, char* text) {
    std::strcpy(text, paramtext::name(index));
}

bool Lyrebloom::getParameterProperties(VstInt32 index, VstParameterProperties* p) {
    if (index != kBypass) return false;
    p->stepFloat = p->smallStepFloat = p->largeStepFloat = 1.0f;
    std::strcpy(p->label, paramtext::name(kBypass));
    std::memcpy(p->shortLabel, p->label, 7);
    p->shortLabel[7] = 0;
    p->flags = kVstParameterIsSwitch | kVstParameterUsesFloatStep;
    return true;
}

bool Lyrebloom::getInputProperties(VstInt32 index, VstPinProperties* properties) {
    return identity::describePin(index, true, properties);
}

bool Lyrebloom::getOutputProperties(VstInt32 index, VstPinProperties* properties) {
    return identity::describePin(index, false, properties);
}

bool Lyrebloom::setSpeakerArrangement(VstSpeakerArrangement* input, VstSpeakerArrangement* output) {
    const identity::StereoChoice choice = identity::chooseArrangement(input, output);
    inputStereo_.store(choice.inputStereo, std::memory_order_relaxed);
    outputStereo_.store(choice.outputStereo, std::memory_order_relaxed);
    return choice.accepted;
}

bool Lyrebloom::getEffectName(char* name) {
    std::strcpy(name, identity::kEffectName);
    return true;
}

bool Lyrebloom::getVendorString(char* text) {
    std::strcpy(text, identity::kVendorString);
    return true;
}

bool Lyrebloom::getProductString(char* text) {
    std::strcpy(text, identity::kProductString);
    return true;
}

VstInt32 Lyrebloom::getVendorVersion() {
    return identity::kVendorVersion;
}

VstInt32 Lyrebloom::getPlugCategory() {
    return kPlugCategRoomFx;
}
