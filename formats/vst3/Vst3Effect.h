// The plug-in as a VST 3 host sees it: one object that is the component, the audio processor,
// the edit controller and the program list. It holds no state of its own beyond what the
// interface needs: it drives the effect through its VST 2.4 record, as a host would, and its
// host callback turns the effect's automation and display calls into the host's edit calls.
//
// Threads: process and setProcessing on the audio thread (atomics and the effect's own
// lock-free paths only); everything else on the user-interface thread.
#pragma once

#include <atomic>
#include <cstdint>

#include "formats/common/EffectDriver.h"
#include "formats/vst3/Vst3Abi.h"

namespace vst3 {

// The ID of the program-change parameter, beside the effect's parameters 0 to 7.
inline constexpr v3_param_id kProgramParamId = 8;
inline constexpr int32_t kProgramListId = 1;

using lyreformat::EditorWindow;

class Vst3Effect final : private lyreformat::EditListener {
  public:
    // One reference, owned by the caller; null when out of memory.
    static Vst3Effect* create() noexcept;

    // The interface pointer for `iid` with a reference added, or null.
    void* query(const uint8_t* iid) noexcept;
    uint32_t addRef() noexcept;
    uint32_t release() noexcept;

    // IPluginBase, shared by the component and the controller (a host may call both).
    v3_result initialize(v3_funknown** context);
    v3_result terminate();

    // IComponent
    int32_t busCount(int32_t mediaType, int32_t direction) const;
    v3_result busInfo(int32_t mediaType, int32_t direction, int32_t index, v3_bus_info* info) const;
    v3_result activateBus(int32_t mediaType, int32_t direction, int32_t index, v3_bool state);
    v3_result setActive(v3_bool state);
    v3_result setState(v3_bstream** stream);
    v3_result getState(v3_bstream** stream);

    // IAudioProcessor
    v3_result setBusArrangements(const uint64_t* inputs, int32_t numIns, const uint64_t* outputs,
                                 int32_t numOuts);
    v3_result busArrangement(int32_t direction, int32_t index, uint64_t* arrangement) const;
    uint32_t latencySamples() const;
    uint32_t tailSamples() const;
    v3_result setupProcessing(const v3_process_setup* setup);
    v3_result setProcessing(v3_bool state);
    v3_result process(v3_process_data* data);

    // IEditController
    v3_result setComponentState(v3_bstream** stream);
    int32_t parameterCount() const;
    v3_result parameterInfo(int32_t index, v3_param_info* info);
    v3_result stringForValue(v3_param_id id, double value, int16_t* text);
    v3_result valueForString(v3_param_id id, const int16_t* text, double* value);
    double normalized(v3_param_id id);
    v3_result setNormalized(v3_param_id id, double value);
    v3_result setComponentHandler(v3_component_handler** handler);

    // IUnitInfo
    v3_result programName(int32_t listId, int32_t index, int16_t* name);

    // The editor, for the view (user-interface thread): the VST 2.4 editor opcodes.
    v3_plugin_view** createView(const char* name);
    bool editorSize(v3_view_rect& rect);
    bool openEditor(void* parent, EditorWindow& window);
    void idleEditor();
    void closeEditor();
    // The host's content scale; false when the host refused the editor's new size.
    bool scaleEditor(double factor);
    // The open view, which takes the editor's requests for a new size (null: none open).
    void attachView(class Vst3View* view) { view_ = view; }
    bool editorKey(bool down, int16_t character, int16_t code, int16_t modifiers);

    // Each interface pointer a host holds points at one of these.
    struct Face {
        const void* vtable;
        Vst3Effect* owner;
    };

  private:
    Vst3Effect();
    ~Vst3Effect();
    Vst3Effect(const Vst3Effect&) = delete;
    Vst3Effect& operator=(const Vst3Effect&) = delete;

    // The effect's edits, as the handler's calls.
    void automate(int32_t index, float value) override;
    void beginEdit(int32_t index) override;
    void endEdit(int32_t index) override;
    void displayChanged() override;
    bool resizeEditor(int32_t width, int32_t height) override;

    // After a program switch the host asked for: every value as an output change.
    void announceValues(v3_process_data& data);

    Face component_, processor_, controller_, units_, requirements_;
    std::atomic<uint32_t> references_{1};

    lyreformat::EffectDriver driver_{*this};
    v3_funknown** context_ = nullptr;
    v3_component_handler** handler_ = nullptr;
    class Vst3View* view_ = nullptr;
    bool active_ = false;
    std::atomic<bool> announceValues_{false};

    // The host's queues of the current block, gathered without allocation.
    class Queues final : public lyreformat::ChangePoints {
      public:
        explicit Queues(lyreformat::EffectDriver& driver) : driver_(driver) {}
        void gather(v3_param_changes** changes);
        bool empty() const { return count_ == 0; }
        int32_t nextOffset() override;
        void applyUpTo(int32_t offset) override;

      private:
        struct Queue {
            v3_param_value_queue** queue;
            int32_t id;
            int32_t count;
            int32_t next;
        };
        lyreformat::EffectDriver& driver_;
        Queue queues_[8]{};
        int32_t count_ = 0;
    };
    Queues queues_{driver_};
};

} // namespace vst3
