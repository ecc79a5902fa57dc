// The effect as every newer interface drives it: through its VST 2.4 record, as a host would.
// The interface translates its own calls into these; the effect's automation and display
// calls come back through an EditListener. Nothing here knows an interface or a platform.
//
// Threads: process() on the audio thread (the effect's own lock-free paths, no allocation);
// everything else on the interface's main thread.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "shell/vst2.h"

class AudioEffect;
class CPresetSystemEffect;

namespace lyreformat {

inline constexpr int32_t kProgramCount = 6;
inline constexpr int32_t kTransposeSteps = 48;

// Where the effect's own edits go: the editor's knob gestures and its display refreshes.
class EditListener {
  public:
    virtual void automate(int32_t index, float value) = 0;
    virtual void beginEdit(int32_t index) = 0;
    virtual void endEdit(int32_t index) = 0;
    // Values changed by the effect itself (a program, a memory); not sent while the host
    // loads state or switches programs, since it re-reads the values itself then.
    virtual void displayChanged() = 0;
    // The editor wants a new size (the user or the host chose another scale): true when the
    // host's window now has it. An interface that cannot resize the host's window refuses.
    virtual bool resizeEditor(int32_t /*width*/, int32_t /*height*/) { return false; }

  protected:
    ~EditListener() = default;
};

// The parameter changes of one block, in the order they must be applied.
class ChangePoints {
  public:
    // The offset of the next change not yet applied, or INT32_MAX.
    virtual int32_t nextOffset() = 0;
    // Applies every change at or before `offset` through the driver's setParameter.
    virtual void applyUpTo(int32_t offset) = 0;

  protected:
    ~ChangePoints() = default;
};

// Editor window as the platform pump needs it: the child and its event descriptor (-1: none).
// A new scale resizes the same window, so both stay valid while it is open.
struct EditorWindow {
    void* child;
    int descriptor;
};

class EffectDriver {
  public:
    explicit EffectDriver(EditListener& listener) : listener_(listener) {}
    ~EffectDriver();
    EffectDriver(const EffectDriver&) = delete;
    EffectDriver& operator=(const EffectDriver&) = delete;

    // Builds and opens the effect; false when it could not be built.
    bool create();
    bool created() const { return record_ != nullptr; }
    AudioEffect* core() const { return core_; }

    VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                       void* ptr = nullptr, float opt = 0.0f);

    // Sizes the copies of aliased inputs; never while process() may run.
    bool reserve(int32_t maxFrames);
    void setRate(double sampleRate, int32_t maxFrames);
    // The mains switch: both directions clear the strings.
    void setActive(bool on);
    void setInputStereo(bool stereo) { inputStereo_.store(stereo, std::memory_order_relaxed); }
    bool inputStereo() const { return inputStereo_.load(std::memory_order_relaxed); }

    // Clamped into [0, 1]; NaN, no value a host may send, counts as 0.
    void setParameter(int32_t index, double value);
    float parameter(int32_t index) const;
    // Unpadded name and unit of a parameter.
    void parameterName(int32_t index, char* out, std::size_t size);
    void parameterUnit(int32_t index, char* out, std::size_t size);

    int32_t program() const;
    void selectProgram(int32_t index);
    bool programName(int32_t index, char* out, std::size_t size);

    // The state: the effect's chunk. A buffer that is not exactly our state changes nothing.
    bool isState(const void* bytes, std::size_t size) const;
    bool setState(const void* bytes, std::size_t size);
    // The chunk's bytes, valid until the next call into the effect; size 0 on failure.
    const std::uint8_t* state(std::size_t& size);

    uint32_t latency() const;
    uint32_t tail() const;

    // One block, split at every change point as a VST 2.4 host splits its blocks there.
    // `in[1]` may be null (mono input); inputs may alias outputs.
    void process(float* const* in, float* const* out, int32_t frames, ChangePoints* changes);

    // The editor, through the VST 2.4 editor opcodes.
    bool hasEditor() const;
    bool editorSize(int32_t& width, int32_t& height);
    bool openEditor(void* parent, EditorWindow& window);
    // The host's scale for the editor; false when the host refused the new size.
    bool scaleEditor(double factor);
    void idleEditor();
    void closeEditor();
    bool editorKey(bool down, int16_t character, int16_t code, int16_t modifiers);

  private:
    static VstIntPtr VSTCALLBACK hostCallback(AEffect* effect, VstInt32 opcode, VstInt32 index,
                                              VstIntPtr value, void* ptr, float opt);
    VstIntPtr answer(VstInt32 opcode, VstInt32 index, VstIntPtr value, float opt);
    void processPiece(float* const* in, float* const* out, int32_t from, int32_t to,
                      ChangePoints* changes);

    EditListener& listener_;
    AudioEffect* core_ = nullptr;
    AEffect* record_ = nullptr;
    CPresetSystemEffect* presets_ = nullptr;
    bool quiet_ = false;
    std::atomic<bool> inputStereo_{true};
    std::vector<float> scratch_[2];
};

} // namespace lyreformat
