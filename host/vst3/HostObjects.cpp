#include "host/vst3/HostObjects.h"

#include <algorithm>
#include <cstring>

namespace lyrehost::vst3host {
namespace {

using vst3::sameId;

template <class T> T& self(void* p) {
    return *static_cast<T*>(p);
}

// Host objects live as long as the host keeps them; counting is for the tests' checks.
uint32_t V3_API noRef(void*) {
    return 1;
}

// --- IBStream ---
v3_result V3_API streamQuery(void* p, const v3_tuid iid, void** obj) {
    const bool known = sameId(iid, v3_funknown_iid) || sameId(iid, v3_bstream_iid);
    *obj = known ? p : nullptr;
    return known ? vst3::kResultOk : vst3::kNoInterface;
}
bool streamBroken(MemoryStream& s, int32_t n) {
    return s.failAfter >= 0 && s.moved + n > s.failAfter;
}
v3_result V3_API streamRead(void* p, void* buffer, int32_t n, int32_t* done) {
    auto& s = self<MemoryStream>(p);
    if (done) *done = 0;
    if (!buffer || n < 0) return vst3::kInvalidArgument;
    if (streamBroken(s, n)) return vst3::kResultFalse;
    const auto size = static_cast<std::int64_t>(s.bytes.size());
    const auto count = static_cast<int32_t>(std::clamp<std::int64_t>(size - s.position, 0, n));
    if (count > 0)
        std::memcpy(buffer, s.bytes.data() + s.position, static_cast<std::size_t>(count));
    s.position += count;
    s.moved += count;
    if (done) *done = count;
    return vst3::kResultOk;
}
v3_result V3_API streamWrite(void* p, void* buffer, int32_t n, int32_t* done) {
    auto& s = self<MemoryStream>(p);
    if (done) *done = 0;
    if (!buffer || n < 0) return vst3::kInvalidArgument;
    if (streamBroken(s, n)) return vst3::kResultFalse;
    const auto end = static_cast<std::size_t>(s.position) + static_cast<std::size_t>(n);
    if (s.bytes.size() < end) s.bytes.resize(end);
    std::memcpy(s.bytes.data() + s.position, buffer, static_cast<std::size_t>(n));
    s.position += n;
    s.moved += n;
    if (done) *done = n;
    return vst3::kResultOk;
}
v3_result V3_API streamSeek(void* p, int64_t pos, int32_t mode, int64_t* result) {
    auto& s = self<MemoryStream>(p);
    const std::int64_t base = mode == V3_SEEK_SET   ? 0
                              : mode == V3_SEEK_CUR ? s.position
                                                    : static_cast<std::int64_t>(s.bytes.size());
    if (base + pos < 0) return vst3::kInvalidArgument;
    s.position = base + pos;
    if (result) *result = s.position;
    return vst3::kResultOk;
}
v3_result V3_API streamTell(void* p, int64_t* pos) {
    if (!pos) return vst3::kInvalidArgument;
    *pos = self<MemoryStream>(p).position;
    return vst3::kResultOk;
}
const v3_bstream_cpp kStream{{streamQuery, noRef, noRef},
                             {streamRead, streamWrite, streamSeek, streamTell}};

// --- IParamValueQueue and IParameterChanges ---
v3_result V3_API queueQuery(void* p, const v3_tuid iid, void** obj) {
    const bool known = sameId(iid, v3_funknown_iid) || sameId(iid, v3_param_value_queue_iid);
    *obj = known ? p : nullptr;
    return known ? vst3::kResultOk : vst3::kNoInterface;
}
v3_param_id V3_API queueId(void* p) {
    return self<ParamQueue>(p).id;
}
int32_t V3_API queuePointCount(void* p) {
    return static_cast<int32_t>(self<ParamQueue>(p).points.size());
}
v3_result V3_API queuePoint(void* p, int32_t index, int32_t* offset, double* value) {
    auto& q = self<ParamQueue>(p);
    if (index < 0 || index >= static_cast<int32_t>(q.points.size()) || !offset || !value)
        return vst3::kInvalidArgument;
    *offset = q.points[static_cast<std::size_t>(index)].first;
    *value = q.points[static_cast<std::size_t>(index)].second;
    return vst3::kResultOk;
}
v3_result V3_API queueAddPoint(void* p, int32_t offset, double value, int32_t* index) {
    auto& q = self<ParamQueue>(p);
    q.points.emplace_back(offset, value);
    if (index) *index = static_cast<int32_t>(q.points.size()) - 1;
    return vst3::kResultOk;
}
const v3_param_value_queue_cpp kQueue{{queueQuery, noRef, noRef},
                                      {queueId, queuePointCount, queuePoint, queueAddPoint}};

v3_result V3_API changesQuery(void* p, const v3_tuid iid, void** obj) {
    const bool known = sameId(iid, v3_funknown_iid) || sameId(iid, v3_param_changes_iid);
    *obj = known ? p : nullptr;
    return known ? vst3::kResultOk : vst3::kNoInterface;
}
int32_t V3_API changesCount(void* p) {
    return self<ParamChanges>(p).count;
}
v3_param_value_queue** V3_API changesData(void* p, int32_t index) {
    auto& c = self<ParamChanges>(p);
    if (index < 0 || index >= static_cast<int32_t>(c.queues.size())) return nullptr;
    return c.queues[static_cast<std::size_t>(index)].queue();
}
v3_param_value_queue** V3_API changesAdd(void* p, v3_param_id* id, int32_t* index) {
    auto& c = self<ParamChanges>(p);
    if (!id) return nullptr;
    ParamQueue& q = c.queueFor(*id);
    if (index) *index = static_cast<int32_t>(c.queues.size()) - 1;
    for (std::size_t i = 0; i < c.queues.size(); ++i)
        if (&c.queues[i] == &q && index) *index = static_cast<int32_t>(i);
    return q.queue();
}
const v3_param_changes_cpp kChanges{{changesQuery, noRef, noRef},
                                    {changesCount, changesData, changesAdd}};

// --- IComponentHandler ---
v3_result V3_API handlerQuery(void* p, const v3_tuid iid, void** obj) {
    const bool known = sameId(iid, v3_funknown_iid) || sameId(iid, v3_component_handler_iid);
    *obj = known ? p : nullptr;
    if (known) ++self<ComponentHandler>(p).references;
    return known ? vst3::kResultOk : vst3::kNoInterface;
}
uint32_t V3_API handlerRef(void* p) {
    return static_cast<uint32_t>(++self<ComponentHandler>(p).references);
}
uint32_t V3_API handlerUnref(void* p) {
    return static_cast<uint32_t>(--self<ComponentHandler>(p).references);
}
v3_result record(void* p, HandlerCall call) {
    self<ComponentHandler>(p).calls.push_back(call);
    return vst3::kResultOk;
}
v3_result V3_API handlerBegin(void* p, v3_param_id id) {
    return record(p, {HandlerCall::Kind::begin, id, 0.0, 0});
}
v3_result V3_API handlerPerform(void* p, v3_param_id id, double value) {
    return record(p, {HandlerCall::Kind::perform, id, value, 0});
}
v3_result V3_API handlerEnd(void* p, v3_param_id id) {
    return record(p, {HandlerCall::Kind::end, id, 0.0, 0});
}
v3_result V3_API handlerRestart(void* p, int32_t flags) {
    return record(p, {HandlerCall::Kind::restart, 0, 0.0, flags});
}
const v3_component_handler_cpp kHandler{{handlerQuery, handlerRef, handlerUnref},
                                        {handlerBegin, handlerPerform, handlerEnd, handlerRestart}};

// --- IHostApplication ---
v3_result V3_API appQuery(void* p, const v3_tuid iid, void** obj) {
    const bool known = sameId(iid, v3_funknown_iid) || sameId(iid, v3_host_application_iid);
    *obj = known ? p : nullptr;
    if (known) ++self<HostApplication>(p).references;
    return known ? vst3::kResultOk : vst3::kNoInterface;
}
uint32_t V3_API appRef(void* p) {
    return static_cast<uint32_t>(++self<HostApplication>(p).references);
}
uint32_t V3_API appUnref(void* p) {
    return static_cast<uint32_t>(--self<HostApplication>(p).references);
}
v3_result V3_API appName(void*, v3_str_128 name) {
    widen("lyrehost", name);
    return vst3::kResultOk;
}
v3_result V3_API appCreate(void*, v3_tuid, v3_tuid, void** obj) {
    if (obj) *obj = nullptr;
    return vst3::kNoInterface;
}
const v3_host_application_cpp kApp{{appQuery, appRef, appUnref}, {appName, appCreate}};

} // namespace

MemoryStream::MemoryStream() : vtable(&kStream) {}
MemoryStream::MemoryStream(std::vector<std::uint8_t> data)
    : vtable(&kStream), bytes(std::move(data)) {}
ParamQueue::ParamQueue(v3_param_id queueId) : vtable(&kQueue), id(queueId) {}
ParamChanges::ParamChanges() : vtable(&kChanges) {}
ComponentHandler::ComponentHandler() : vtable(&kHandler) {}
HostApplication::HostApplication() : vtable(&kApp) {}

ParamQueue& ParamChanges::queueFor(v3_param_id id) {
    for (ParamQueue& q : queues)
        if (q.id == id) return q;
    ++count;
    return queues.emplace_back(id);
}

std::string narrow(const int16_t* text) {
    std::string s;
    for (int i = 0; i < 128 && text[i]; ++i)
        s += text[i] > 0 && text[i] < 0x7F ? static_cast<char>(text[i]) : '?';
    return s;
}

void widen(const std::string& text, int16_t* out) {
    std::size_t i = 0;
    for (; i < text.size() && i < 127; ++i)
        out[i] = static_cast<int16_t>(static_cast<unsigned char>(text[i]));
    out[i] = 0;
}

} // namespace lyrehost::vst3host
