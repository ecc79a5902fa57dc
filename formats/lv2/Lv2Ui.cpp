#include "formats/lv2/Lv2Ui.h"

#include <lv2/atom/atom.h>

#include <cstring>

#include "engine/Parameters.h"

namespace lyrelv2 {

Lv2Ui::Lv2Ui(LV2UI_Write_Function write, LV2UI_Controller controller,
             const LV2_Feature* const* features)
    : write_(write), controller_(controller) {
    const LV2_URID_Map* map = nullptr;
    const LV2_Options_Option* options = nullptr;
    for (auto f = features; f && *f; ++f) {
        if (!std::strcmp((*f)->URI, LV2_UI__parent)) parent_ = (*f)->data;
        if (!std::strcmp((*f)->URI, LV2_UI__resize))
            resize_ = static_cast<const LV2UI_Resize*>((*f)->data);
        if (!std::strcmp((*f)->URI, LV2_UI__touch))
            touch_ = static_cast<const LV2UI_Touch*>((*f)->data);
        if (!std::strcmp((*f)->URI, LV2_URID__map))
            map = static_cast<const LV2_URID_Map*>((*f)->data);
        if (!std::strcmp((*f)->URI, LV2_OPTIONS__options))
            options = static_cast<const LV2_Options_Option*>((*f)->data);
    }
    if (map && map->map) {
        scaleFactorKey_ = map->map(map->handle, LV2_UI__scaleFactor);
        floatType_ = map->map(map->handle, LV2_ATOM__Float);
    }
    setOptions(options);
}

Lv2Ui::~Lv2Ui() {
    if (open_) driver_.closeEditor();
}

bool Lv2Ui::open(LV2UI_Widget* widget) {
    if (!parent_ || !widget || !driver_.create()) return false;
    // Before the window is made, so that it is made at the host's scale.
    if (hostScale_ > 0) driver_.scaleEditor(hostScale_);
    for (uint32_t port = kFirstControl; port < kPortCount; ++port)
        hostValues_[port] = portValue(port, driver_.parameter(parameterOfPort(port)));
    lyreformat::EditorWindow window{};
    if (!driver_.openEditor(parent_, window)) return false;
    open_ = true;
    *widget = window.child;
    int32_t width = 0, height = 0;
    if (resize_ && resize_->ui_resize && driver_.editorSize(width, height))
        resize_->ui_resize(resize_->handle, width, height);
    return true;
}

void Lv2Ui::portEvent(uint32_t port, uint32_t size, uint32_t format, const void* buffer) {
    if (format != 0 || size != sizeof(float) || !buffer || parameterOfPort(port) < 0) return;
    float value = 0.0f;
    std::memcpy(&value, buffer, sizeof value);
    hostValues_[port] = value;
    driver_.setParameter(parameterOfPort(port), normalizedOfPort(port, value));
}

int Lv2Ui::idle() {
    if (open_) driver_.idleEditor();
    return 0;
}

uint32_t Lv2Ui::setOptions(const LV2_Options_Option* options) {
    uint32_t status = LV2_OPTIONS_SUCCESS;
    for (auto o = options; o && (o->key || o->value); ++o)
        status |= takeOption(*o);
    return status;
}

uint32_t Lv2Ui::takeOption(const LV2_Options_Option& option) {
    if (!scaleFactorKey_ || option.key != scaleFactorKey_) return LV2_OPTIONS_ERR_BAD_KEY;
    if (option.context != LV2_OPTIONS_INSTANCE) return LV2_OPTIONS_ERR_BAD_SUBJECT;
    if (option.type != floatType_ || option.size != sizeof(float) || !option.value)
        return LV2_OPTIONS_ERR_BAD_VALUE;
    float factor = 0.0f;
    std::memcpy(&factor, option.value, sizeof factor);
    if (!(factor > 0.0f)) return LV2_OPTIONS_ERR_BAD_VALUE;
    hostScale_ = factor;
    // An open editor asks the host for its new size through ui:resize; refused, it stays.
    if (open_) driver_.scaleEditor(hostScale_);
    return LV2_OPTIONS_SUCCESS;
}

void Lv2Ui::write(uint32_t port, float value) {
    if (hostValues_[port] == value) return;
    hostValues_[port] = value;
    if (write_) write_(controller_, port, sizeof value, 0, &value);
}

void Lv2Ui::automate(int32_t index, float value) {
    if (!isParameterIndex(index)) return;
    const uint32_t port = portOfParameter(index);
    write(port, portValue(port, value));
}

void Lv2Ui::beginEdit(int32_t index) {
    if (touch_ && isParameterIndex(index))
        touch_->touch(touch_->handle, portOfParameter(index), true);
}

void Lv2Ui::endEdit(int32_t index) {
    if (touch_ && isParameterIndex(index))
        touch_->touch(touch_->handle, portOfParameter(index), false);
}

// A host without ui:resize sizes its window from the widget once, as it was made; a larger
// editor would be cut off there, so the editor keeps its size.
bool Lv2Ui::resizeEditor(int32_t width, int32_t height) {
    return resize_ && resize_->ui_resize && resize_->ui_resize(resize_->handle, width, height) == 0;
}

void Lv2Ui::displayChanged() {
    // A program or a memory changed several values at once: each one the host lacks.
    for (uint32_t port = kFirstControl; port < kPortCount; ++port)
        write(port, portValue(port, driver_.parameter(parameterOfPort(port))));
}

} // namespace lyrelv2
