#include "formats/lv2/Lv2Ui.h"

#include <cstring>

#include "engine/Parameters.h"

namespace lyrelv2 {

Lv2Ui::Lv2Ui(LV2UI_Write_Function write, LV2UI_Controller controller,
             const LV2_Feature* const* features)
    : write_(write), controller_(controller) {
    for (auto f = features; f && *f; ++f) {
        if (!std::strcmp((*f)->URI, LV2_UI__parent)) parent_ = (*f)->data;
        if (!std::strcmp((*f)->URI, LV2_UI__resize))
            resize_ = static_cast<const LV2UI_Resize*>((*f)->data);
        if (!std::strcmp((*f)->URI, LV2_UI__touch))
            touch_ = static_cast<const LV2UI_Touch*>((*f)->data);
    }
}

Lv2Ui::~Lv2Ui() {
    if (open_) driver_.closeEditor();
}

bool Lv2Ui::open(LV2UI_Widget* widget) {
    if (!parent_ || !widget || !driver_.create()) return false;
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
