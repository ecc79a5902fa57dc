// The objects a VST 3 host hands to a plug-in: a memory stream, parameter change queues, a
// component handler that records the edits, and the host application context. Each is a
// plain object whose first member is its vtable, as the interface expects; the host owns them
// (reference counts are tracked, not used for lifetime).
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <utility>
#include <vector>

#include "formats/vst3/Vst3Abi.h"

namespace lyrehost::vst3host {

class MemoryStream {
  public:
    // First: the interface pointer is the object's address.
    const v3_bstream_cpp* vtable;
    MemoryStream();
    explicit MemoryStream(std::vector<std::uint8_t> bytes);
    v3_bstream** stream() { return reinterpret_cast<v3_bstream**>(this); }

    std::vector<std::uint8_t> bytes;
    std::int64_t position = 0;
    // Reads and writes fail once this many bytes have passed (a stream that breaks half-way).
    std::int64_t failAfter = -1;
    std::int64_t moved = 0;
};

class ParamQueue {
  public:
    // First: the interface pointer is the object's address.
    const v3_param_value_queue_cpp* vtable;
    explicit ParamQueue(v3_param_id id);
    v3_param_value_queue** queue() { return reinterpret_cast<v3_param_value_queue**>(this); }

    v3_param_id id;
    std::vector<std::pair<std::int32_t, double>> points;
};

class ParamChanges {
  public:
    // First: the interface pointer is the object's address.
    const v3_param_changes_cpp* vtable;
    ParamChanges();
    v3_param_changes** changes() { return reinterpret_cast<v3_param_changes**>(this); }
    // The queue of `id`, made on first use.
    ParamQueue& queueFor(v3_param_id id);
    void clear() {
        queues.clear();
        count = 0;
    }
    bool empty() const { return count == 0; }

    // A deque, so that a queue stays where it is when more are added; its size is kept apart
    // because a deque's is slow to compute and the plug-in asks every block.
    std::deque<ParamQueue> queues;
    int32_t count = 0;
};

struct HandlerCall {
    enum class Kind { begin, perform, end, restart } kind;
    v3_param_id id;
    double value;
    std::int32_t flags;
};

class ComponentHandler {
  public:
    // First: the interface pointer is the object's address.
    const v3_component_handler_cpp* vtable;
    ComponentHandler();
    v3_component_handler** handler() { return reinterpret_cast<v3_component_handler**>(this); }

    std::vector<HandlerCall> calls;
    std::int32_t references = 0;
};

class HostApplication {
  public:
    // First: the interface pointer is the object's address.
    const v3_host_application_cpp* vtable;
    HostApplication();
    v3_funknown** context() { return reinterpret_cast<v3_funknown**>(this); }

    std::int32_t references = 0;
};

// A String128 as ASCII text (other units become '?').
std::string narrow(const int16_t* text);
void widen(const std::string& text, int16_t* out);

} // namespace lyrehost::vst3host
