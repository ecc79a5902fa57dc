#include "formats/vst3/Vst3Factory.h"

#include <cstdio>
#include <cstring>

#include "formats/vst3/Vst3Effect.h"
#include "shell/EffectIdentity.h"
#include "shell/ProjectVersion.h"

namespace vst3 {
namespace {

constexpr char kCategory[] = "Audio Module Class";
constexpr char kSubCategories[] = "Fx|Reverb";
constexpr char kSdkVersion[] = "VST 3.7.14";
constexpr char kUrl[] = "http://www.ostrandia.de";

void copyText(char* out, std::size_t size, const char* text) {
    std::memset(out, 0, size);
    std::strncpy(out, text, size - 1);
}

void copyText16(int16_t* out, std::size_t count, const char* text) {
    std::memset(out, 0, count * sizeof *out);
    for (std::size_t i = 0; i + 1 < count && text[i]; ++i)
        out[i] = static_cast<int16_t>(static_cast<unsigned char>(text[i]));
}

void versionText(char* out, std::size_t size) {
    std::snprintf(out, size, "%s", version::kText);
}

v3_result V3_API queryInterface(void* self, const v3_tuid iid, void** obj) {
    if (!obj) return kInvalidArgument;
    const bool known = sameId(iid, v3_funknown_iid) || sameId(iid, v3_plugin_factory_iid) ||
                       sameId(iid, v3_plugin_factory_2_iid) || sameId(iid, v3_plugin_factory_3_iid);
    *obj = known ? self : nullptr;
    return known ? kResultOk : kNoInterface;
}
uint32_t V3_API addRef(void*) {
    return 1;
}
uint32_t V3_API release(void*) {
    return 1;
}

v3_result V3_API factoryInfo(void*, v3_factory_info* info) {
    if (!info) return kInvalidArgument;
    copyText(info->vendor, sizeof info->vendor, identity::kVendorString);
    copyText(info->url, sizeof info->url, kUrl);
    copyText(info->email, sizeof info->email, "");
    info->flags = kFactoryUnicode;
    return kResultOk;
}
int32_t V3_API classCount(void*) {
    return 1;
}
v3_result V3_API classInfo(void*, int32_t index, v3_class_info* info) {
    if (!info || index != 0) return kInvalidArgument;
    std::memcpy(info->class_id, kClassId.bytes, 16);
    info->cardinality = kManyInstances;
    copyText(info->category, sizeof info->category, kCategory);
    copyText(info->name, sizeof info->name, identity::kEffectName);
    return kResultOk;
}
v3_result V3_API createInstance(void*, const v3_tuid cid, const v3_tuid iid, void** obj) {
    if (!obj) return kInvalidArgument;
    *obj = nullptr;
    if (!cid || !iid || !sameId(cid, kClassId.bytes)) return kNoInterface;
    Vst3Effect* effect = Vst3Effect::create();
    if (!effect) return kOutOfMemory;
    *obj = effect->query(iid);
    effect->release(); // the creation reference: the query's is the caller's
    return *obj ? kResultOk : kNoInterface;
}
v3_result V3_API classInfo2(void*, int32_t index, v3_class_info_2* info) {
    if (!info || index != 0) return kInvalidArgument;
    std::memcpy(info->class_id, kClassId.bytes, 16);
    info->cardinality = kManyInstances;
    copyText(info->category, sizeof info->category, kCategory);
    copyText(info->name, sizeof info->name, identity::kEffectName);
    info->class_flags = 0;
    copyText(info->sub_categories, sizeof info->sub_categories, kSubCategories);
    copyText(info->vendor, sizeof info->vendor, identity::kVendorString);
    versionText(info->version, sizeof info->version);
    copyText(info->sdk_version, sizeof info->sdk_version, kSdkVersion);
    return kResultOk;
}
v3_result V3_API classInfoUnicode(void*, int32_t index, v3_class_info_3* info) {
    if (!info || index != 0) return kInvalidArgument;
    std::memcpy(info->class_id, kClassId.bytes, 16);
    info->cardinality = kManyInstances;
    copyText(info->category, sizeof info->category, kCategory);
    copyText16(info->name, 64, identity::kEffectName);
    info->class_flags = 0;
    copyText(info->sub_categories, sizeof info->sub_categories, kSubCategories);
    copyText16(info->vendor, 64, identity::kVendorString);
    char version[64];
    versionText(version, sizeof version);
    copyText16(info->version, 64, version);
    copyText16(info->sdk_version, 64, kSdkVersion);
    return kResultOk;
}
v3_result V3_API setHostContext(void*, v3_funknown**) {
    return kResultOk;
}

const v3_plugin_factory_cpp kFactoryTable{{queryInterface, addRef, release},
                                          {factoryInfo, classCount, classInfo, createInstance},
                                          {classInfo2},
                                          {classInfoUnicode, setHostContext}};

struct FactoryObject {
    const v3_plugin_factory_cpp* vtable;
};
FactoryObject factoryObject{&kFactoryTable};

} // namespace

v3_plugin_factory** pluginFactory() {
    return reinterpret_cast<v3_plugin_factory**>(&factoryObject);
}

} // namespace vst3
