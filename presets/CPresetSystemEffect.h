// The effect layer of the preset system: six stored programs behind a host that sees one,
// the host chunk, program names, and the program switches every other part goes through.
//
// Threads: parameter write-backs arrive on the host's audio and automation threads and are
// lock-free (see ProgramStore). Chunks and names come from the dispatcher thread, record loads
// and program switches from the user-interface thread; these serialise on the store's mutex,
// which the audio thread never takes. Host callbacks and editor hooks are made after the mutex
// is released, so a host that answers updateDisplay by asking for names or a chunk does not
// deadlock.
#pragma once

#include <array>
#include <cstdint>

#include "presets/ChunkFormat.h"
#include "presets/ProgramRecord.h"
#include "presets/ProgramStore.h"
#include "shell/AudioEffectX.h"

class CPresetSystemEditor;

class CPresetSystemEffect : public AudioEffectX {
  public:
    explicit CPresetSystemEffect(audioMasterCallback audioMaster);

    // The whole six-program chunk, whatever isPreset says. The pointer stays valid until the
    // next getChunk.
    VstInt32 getChunk(void** data, bool isPreset) override;
    // 0 when loaded or when the format tag is not ours; -1 when refused.
    VstInt32 setChunk(void* data, VstInt32 byteSize, bool isPreset) override;
    bool getProgramNameIndexed(VstInt32 category, VstInt32 index, char* text) override;
    void getProgramName(char* name) override;
    void setProgramName(char* name) override;
    // The host sees a single program.
    VstInt32 getProgram() override { return 0; }
    void setProgram(VstInt32 /*program*/) override {}
    // Store only: the value lands in the current program. Lock-free.
    void setParameter(VstInt32 index, float value) override;

    virtual VstInt32 getCurrentProgramIndex();
    // Applies stored program `index` (0..5) through setParameter and refreshes the host.
    virtual void selectProgram(VstInt32 index);
    virtual void setCurrentProgramName(const char* name);
    virtual VstInt32 getEffectUniqueID();
    virtual void loadStoredDefaults();
    virtual void setupFactoryPrograms() {}
    // What a loaded value that is not a number becomes; the subclass knows its parameters.
    virtual float parameterDefault(VstInt32 /*index*/) { return 0.0f; }

    // Changes whenever a program name or the current program changes, from any thread, so an
    // open editor can tell on its refresh that its name field and menu are behind.
    std::uint32_t programListGeneration() const noexcept { return store_.generation(); }

    // Whole-record work for the editor's record codecs; each is atomic against the others.
    ProgramRecord currentProgram();
    ProgramBank programs();
    // A preset record's program replaces the current one, is renamed with its own name and
    // applied.
    void loadCurrentProgram(const ProgramRecord& program);
    // Program 0 is applied first in any case; a bank then replaces all six and program 0 is
    // applied again.
    void loadPrograms(const ProgramBank* bank);

  protected:
    void setStoredProgram(int k, const ProgramRecord& program);
    // Output, Mix and Bypass belong to all six programs. Lock-free.
    void storeSharedValue(VstInt32 index, float value) noexcept { store_.writeAll(index, value); }
    bool isApplyingProgram() const noexcept { return store_.isApplying(); }

  private:
    ProgramRecord withValuesInRange(ProgramRecord program);
    void applyProgram(ProgramStore::Access& access, int index);
    CPresetSystemEditor* presetEditor() const;

    ProgramStore store_;
    std::array<std::uint8_t, chunk::kSize> chunkBuffer_{};
};
