#include "formats/clap/ClapEffect.h"

#include <cstring>

#include "engine/Parameters.h"
#include "formats/clap/ClapInterfaces.h"
#include "formats/clap/ClapParameters.h"
#include "formats/common/ParameterText.h"
#include "presets/ChunkFormat.h"

namespace lyreclap {

// The host's events of one block as change points; values of our parameters only.
class ClapEffect::Events final : public lyreformat::ChangePoints {
  public:
    Events(ClapEffect& effect, const clap_input_events_t* in)
        : effect_(effect), in_(in), count_(in && in->size ? in->size(in) : 0) {}
    bool empty() { return nextOffset() == INT32_MAX; }

    int32_t nextOffset() override {
        while (next_ < count_) {
            if (const auto* event = ours(next_)) return static_cast<int32_t>(event->header.time);
            ++next_;
        }
        return INT32_MAX;
    }

    void applyUpTo(int32_t offset) override {
        for (; next_ < count_; ++next_) {
            const clap_event_param_value_t* event = ours(next_);
            if (!event) continue;
            if (static_cast<int64_t>(event->header.time) > offset) break;
            if (event->param_id == kProgramId) {
                effect_.requestProgramSwitch(programOf(event->value));
            } else {
                effect_.driver_.setParameter(static_cast<int32_t>(event->param_id),
                                             normalizedValue(event->param_id, event->value));
            }
        }
    }

  private:
    const clap_event_param_value_t* ours(uint32_t index) const {
        const clap_event_header_t* header = in_->get(in_, index);
        if (!header || header->space_id != CLAP_CORE_EVENT_SPACE_ID ||
            header->type != CLAP_EVENT_PARAM_VALUE ||
            header->size < sizeof(clap_event_param_value_t))
            return nullptr;
        const auto* event = reinterpret_cast<const clap_event_param_value_t*>(header);
        return event->param_id < kParameterCount ? event : nullptr;
    }

    ClapEffect& effect_;
    const clap_input_events_t* in_;
    uint32_t count_;
    uint32_t next_ = 0;
};

ClapEffect::ClapEffect(const clap_host_t* host, const clap_plugin_descriptor_t* descriptor)
    : plugin_(pluginCalls(descriptor, this)), host_(host) {}

bool ClapEffect::init() {
    if (host_ && host_->get_extension) {
        hostParams_ =
            static_cast<const clap_host_params_t*>(host_->get_extension(host_, CLAP_EXT_PARAMS));
        threadCheck_ = static_cast<const clap_host_thread_check_t*>(
            host_->get_extension(host_, CLAP_EXT_THREAD_CHECK));
    }
    return driver_.create();
}

bool ClapEffect::onMainThread() const {
    return !threadCheck_ || !threadCheck_->is_main_thread || threadCheck_->is_main_thread(host_);
}

bool ClapEffect::activate(double rate, uint32_t maxFrames) {
    if (!onMainThread() || active_ || !(rate > 0.0) || maxFrames == 0 || maxFrames > INT32_MAX)
        return false;
    // The copies of aliased inputs are sized here, never while the audio thread runs.
    if (!driver_.reserve(static_cast<int32_t>(maxFrames))) return false;
    driver_.setRate(rate, static_cast<int32_t>(maxFrames));
    driver_.setActive(true);
    active_ = true;
    return true;
}

void ClapEffect::deactivate() {
    if (!onMainThread() || !active_) return;
    driver_.setActive(false);
    active_ = false;
}

void ClapEffect::reset() {
    // As a VST 2.4 host's suspend and resume: the strings fall silent.
    if (!active_) return;
    driver_.setActive(false);
    driver_.setActive(true);
}

clap_process_status ClapEffect::process(const clap_process_t& process) {
    if (!active_) return CLAP_PROCESS_ERROR;
    Events events(*this, process.in_events);
    const clap_audio_buffer_t* in = process.audio_inputs_count ? process.audio_inputs : nullptr;
    const clap_audio_buffer_t* out = process.audio_outputs_count ? process.audio_outputs : nullptr;
    const bool playable = process.frames_count > 0 && process.frames_count <= INT32_MAX && in &&
                          out && in->data32 && out->data32 && in->channel_count >= 1 &&
                          out->channel_count >= 2 && in->data32[0] && out->data32[0] &&
                          out->data32[1] && (in->channel_count == 1 || in->data32[1]);
    // Without audio nothing happens, not even the events: a host delivers those by flush.
    if (!playable) return CLAP_PROCESS_ERROR;
    driver_.setInputStereo(in->channel_count >= 2);
    float* inputs[2] = {in->data32[0], in->channel_count >= 2 ? in->data32[1] : nullptr};
    driver_.process(inputs, out->data32, static_cast<int32_t>(process.frames_count),
                    events.empty() ? nullptr : &events);
    report(process.out_events);
    // No tail extension in these headers: the strings ring on, so never ask to sleep.
    return CLAP_PROCESS_CONTINUE;
}

void ClapEffect::flush(const clap_input_events_t* in, const clap_output_events_t* out) {
    Events events(*this, in);
    events.applyUpTo(INT32_MAX);
    // Inactive, a flush comes on the main thread: the switch needs no second pass.
    if (!active_) mainThreadPass();
    report(out);
}

void ClapEffect::requestProgramSwitch(int32_t program) {
    if (requestedProgram_.exchange(program, std::memory_order_acq_rel) < 0 && host_ &&
        host_->request_callback)
        host_->request_callback(host_);
}

void ClapEffect::mainThreadPass() {
    const int32_t program = requestedProgram_.exchange(-1, std::memory_order_acq_rel);
    if (program < 0 || program == driver_.program()) return;
    driver_.selectProgram(program);
    // The host learns the new values both ways: it may re-read them now, and the next block
    // reports them as output events.
    announceValues_.store(true, std::memory_order_release);
    if (hostParams_) hostParams_->rescan(host_, CLAP_PARAM_RESCAN_VALUES);
}

void ClapEffect::report(const clap_output_events_t* out) {
    if (!out || !out->try_push) return;
    const bool all = announceValues_.load(std::memory_order_relaxed) &&
                     announceValues_.exchange(false, std::memory_order_acq_rel);
    for (int32_t i = 0; i < kNumParams; ++i) {
        const uint32_t pending = pending_[i].load(std::memory_order_relaxed)
                                     ? pending_[i].exchange(0, std::memory_order_acq_rel)
                                     : 0;
        if (!pending && !all) continue;
        const auto id = static_cast<clap_id>(i);
        if (pending & kBegin) {
            const clap_event_param_gesture_t gesture{
                {sizeof gesture, 0, CLAP_CORE_EVENT_SPACE_ID, CLAP_EVENT_PARAM_GESTURE_BEGIN, 0},
                id};
            out->try_push(out, &gesture.header);
        }
        if ((pending & kValue) || all) {
            const float x =
                all ? driver_.parameter(i) : editValue_[i].load(std::memory_order_relaxed);
            const clap_event_param_value_t event{
                {sizeof event, 0, CLAP_CORE_EVENT_SPACE_ID, CLAP_EVENT_PARAM_VALUE, 0},
                id,
                nullptr,
                -1,
                -1,
                -1,
                -1,
                clapValue(id, x)};
            out->try_push(out, &event.header);
        }
        if (pending & kEnd) {
            const clap_event_param_gesture_t gesture{
                {sizeof gesture, 0, CLAP_CORE_EVENT_SPACE_ID, CLAP_EVENT_PARAM_GESTURE_END, 0}, id};
            out->try_push(out, &gesture.header);
        }
    }
}

void ClapEffect::automate(int32_t index, float value) {
    if (!isParameterIndex(index)) return;
    editValue_[index].store(value, std::memory_order_relaxed);
    pending_[index].fetch_or(kValue, std::memory_order_release);
    if (hostParams_) hostParams_->request_flush(host_);
}

void ClapEffect::beginEdit(int32_t index) {
    if (!isParameterIndex(index)) return;
    pending_[index].fetch_or(kBegin, std::memory_order_release);
    if (hostParams_) hostParams_->request_flush(host_);
}

void ClapEffect::endEdit(int32_t index) {
    if (!isParameterIndex(index)) return;
    pending_[index].fetch_or(kEnd, std::memory_order_release);
    if (hostParams_) hostParams_->request_flush(host_);
}

bool ClapEffect::resizeEditor(int32_t width, int32_t height) {
    return width > 0 && height > 0 &&
           gui_.requestResize(static_cast<uint32_t>(width), static_cast<uint32_t>(height));
}

void ClapEffect::displayChanged() {
    if (hostParams_) hostParams_->rescan(host_, CLAP_PARAM_RESCAN_VALUES);
}

const void* ClapEffect::extension(const char* id) const {
    if (!id) return nullptr;
    if (!std::strcmp(id, CLAP_EXT_PARAMS)) return &kParamsExtension;
    if (!std::strcmp(id, CLAP_EXT_STATE)) return &kStateExtension;
    if (!std::strcmp(id, CLAP_EXT_AUDIO_PORTS)) return &kAudioPortsExtension;
    if (!std::strcmp(id, CLAP_EXT_LATENCY)) return &kLatencyExtension;
    if (!std::strcmp(id, CLAP_EXT_GUI)) return driver_.hasEditor() ? &kGuiExtension : nullptr;
    if (!std::strcmp(id, CLAP_EXT_TIMER_SUPPORT)) return &kTimerExtension;
    if (!std::strcmp(id, CLAP_EXT_POSIX_FD_SUPPORT)) return &kPosixFdExtension;
    return nullptr;
}

bool ClapEffect::value(clap_id id, double& out) const {
    if (id == kProgramId) {
        out = driver_.program();
        return true;
    }
    if (id >= kParameterCount) return false;
    out = clapValue(id, driver_.parameter(static_cast<int32_t>(id)));
    return true;
}

bool ClapEffect::valueToText(clap_id id, double value, char* text, uint32_t size) {
    if (!text || size == 0 || id >= kParameterCount) return false;
    std::string shown;
    if (id == kProgramId) {
        char name[64] = {};
        if (!driver_.programName(programOf(value), name, sizeof name)) return false;
        shown = name;
    } else {
        shown = lyreformat::valueText(static_cast<int32_t>(id), normalizedValue(id, value));
    }
    const std::size_t n = std::min<std::size_t>(shown.size(), size - 1);
    std::memcpy(text, shown.data(), n);
    text[n] = 0;
    return true;
}

bool ClapEffect::textToValue(clap_id id, const char* text, double& out) const {
    if (!text || id >= kProgramId) return false;
    const std::optional<double> typed = lyreformat::typedValue(static_cast<int32_t>(id), text);
    if (!typed) return false;
    out = clapValue(id, static_cast<float>(*typed));
    return true;
}

bool ClapEffect::save(const clap_ostream_t& stream) {
    if (!onMainThread() || !stream.write) return false;
    std::size_t size = 0;
    const std::uint8_t* bytes = driver_.state(size);
    // Hosts may take fewer bytes a call than offered: continue until all are written.
    for (std::size_t done = 0; bytes && done < size;) {
        const int64_t wrote = stream.write(&stream, bytes + done, size - done);
        if (wrote <= 0) return false;
        done += static_cast<std::size_t>(wrote);
    }
    return bytes != nullptr;
}

bool ClapEffect::load(const clap_istream_t& stream) {
    if (!onMainThread() || !stream.read) return false;
    // One byte more than our state: a longer stream is no state of ours.
    std::uint8_t bytes[chunk::kSize + 1];
    std::size_t size = 0;
    while (size < sizeof bytes) {
        const int64_t got = stream.read(&stream, bytes + size, sizeof bytes - size);
        if (got < 0) return false;
        if (got == 0) break;
        size += static_cast<std::size_t>(got);
    }
    if (!driver_.setState(bytes, size)) return false;
    if (hostParams_) hostParams_->rescan(host_, CLAP_PARAM_RESCAN_VALUES);
    return true;
}

} // namespace lyreclap
