#include "presets/CPresetSystemEffect.h"

#include <cstring>

#include "presets/CPresetSystemEditor.h"

CPresetSystemEffect::CPresetSystemEffect(audioMasterCallback audioMaster)
    : AudioEffectX(audioMaster, 1, kProgramValues) {
    programsAreChunks();
}

VstInt32 CPresetSystemEffect::getChunk(void** data, bool /*isPreset*/) {
    if (!data) return 0;
    {
        auto access = store_.access();
        chunk::build(access.programs(), store_.currentIndex(),
                     static_cast<std::uint32_t>(getEffectUniqueID()), chunkBuffer_.data());
    }
    *data = chunkBuffer_.data();
    return static_cast<VstInt32>(chunk::kSize);
}

VstInt32 CPresetSystemEffect::setChunk(void* data, VstInt32 byteSize, bool /*isPreset*/) {
    const chunk::Parsed parsed =
        chunk::parse(data, byteSize, static_cast<std::uint32_t>(getEffectUniqueID()));
    if (parsed.outcome == chunk::Parsed::Outcome::refused) return -1;
    if (parsed.outcome == chunk::Parsed::Outcome::wrongFormat) return 0;
    bool applied = false;
    {
        auto access = store_.access();
        for (int k = 0; k < kNumStoredPrograms; ++k)
            access.setProgram(k, withValuesInRange(parsed.programs[k]));
        // An index out of range replaces the programs but applies none.
        if (isStoredProgram(parsed.currentIndex)) {
            applyProgram(access, parsed.currentIndex);
            applied = true;
        }
    }
    if (applied) updateDisplay();
    return 0;
}

bool CPresetSystemEffect::getProgramNameIndexed(VstInt32 /*category*/, VstInt32 index, char* text) {
    if (!isStoredProgram(index) || !text) return false;
    store_.access().copyName(index, text);
    return true;
}

void CPresetSystemEffect::getProgramName(char* name) {
    if (!name) return;
    auto access = store_.access();
    access.copyName(store_.currentIndex(), name);
}

void CPresetSystemEffect::setProgramName(char* name) {
    char shown[kProgramNameBuffer] = {};
    if (name) std::memcpy(shown, name, strnlen(name, kProgramNameBytes));
    {
        auto access = store_.access();
        curProgram = 0;
        access.setName(store_.currentIndex(), shown);
    }
    if (CPresetSystemEditor* e = presetEditor()) e->showProgramName(shown);
}

void CPresetSystemEffect::setParameter(VstInt32 index, float value) {
    store_.writeCurrent(index, value);
}

VstInt32 CPresetSystemEffect::getCurrentProgramIndex() {
    return store_.currentIndex();
}

void CPresetSystemEffect::selectProgram(VstInt32 index) {
    if (!isStoredProgram(index)) return;
    {
        auto access = store_.access();
        applyProgram(access, index);
    }
    updateDisplay();
}

void CPresetSystemEffect::setCurrentProgramName(const char* name) {
    {
        auto access = store_.access();
        curProgram = 0;
        access.setName(store_.currentIndex(), name);
    }
    updateDisplay();
}

VstInt32 CPresetSystemEffect::getEffectUniqueID() {
    return cEffect.uniqueID;
}

void CPresetSystemEffect::loadStoredDefaults() {
    if (CPresetSystemEditor* e = presetEditor()) e->loadStoredDefaults();
}

ProgramRecord CPresetSystemEffect::currentProgram() {
    auto access = store_.access();
    return access.program(store_.currentIndex());
}

ProgramBank CPresetSystemEffect::programs() {
    return store_.access().programs();
}

void CPresetSystemEffect::loadCurrentProgram(const ProgramRecord& program) {
    {
        auto access = store_.access();
        const int k = store_.currentIndex();
        access.setProgram(k, withValuesInRange(program));
        // The rename of setCurrentProgramName: NUL-padded after the name's first NUL.
        char name[kProgramNameBuffer];
        copyProgramName(program, name);
        curProgram = 0;
        access.setName(k, name);
        applyProgram(access, k);
    }
    updateDisplay(); // for the rename
    updateDisplay(); // for the selection
}

void CPresetSystemEffect::loadPrograms(const ProgramBank* bank) {
    {
        auto access = store_.access();
        applyProgram(access, 0);
        if (bank) {
            for (int k = 0; k < kNumStoredPrograms; ++k)
                access.setProgram(k, withValuesInRange((*bank)[k]));
            applyProgram(access, 0);
        }
    }
    updateDisplay();
    if (bank) updateDisplay();
}

void CPresetSystemEffect::setStoredProgram(int k, const ProgramRecord& program) {
    if (!isStoredProgram(k)) return;
    store_.access().setProgram(k, program);
}

ProgramRecord CPresetSystemEffect::withValuesInRange(ProgramRecord program) {
    float defaults[kProgramValues];
    for (VstInt32 i = 0; i < kProgramValues; ++i)
        defaults[i] = parameterDefault(i);
    keepValuesInRange(program, defaults);
    return program;
}

void CPresetSystemEffect::applyProgram(ProgramStore::Access& access, int index) {
    access.setApplying(true);
    curProgram = 0;
    access.setCurrentIndex(index);
    const ProgramRecord program = access.program(index);
    for (VstInt32 i = 0; i < kProgramValues; ++i)
        setParameter(i, program.values[i]);
    access.setApplying(false);
}

CPresetSystemEditor* CPresetSystemEffect::presetEditor() const {
    return dynamic_cast<CPresetSystemEditor*>(editor);
}
