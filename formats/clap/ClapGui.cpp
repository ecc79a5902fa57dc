#include "formats/clap/ClapGui.h"

#include <cstring>

namespace lyreclap {
namespace {

constexpr uint32_t kTimerMs = 20;

#if defined(_WIN32)
constexpr const char* kOurApi = CLAP_WINDOW_API_WIN32;
#else
constexpr const char* kOurApi = CLAP_WINDOW_API_X11;
#endif

} // namespace

bool ClapGui::isOurApi(const char* api, bool floating) {
    return api && !floating && std::strcmp(api, kOurApi) == 0;
}

bool ClapGui::create(const char* api, bool floating) {
    if (created_ || !isOurApi(api, floating) || !driver_.hasEditor()) return false;
    created_ = true;
    return true;
}

void ClapGui::destroy() {
    stopPump();
    if (open_) driver_.closeEditor();
    open_ = created_ = false;
}

bool ClapGui::size(uint32_t& width, uint32_t& height) {
    int32_t w = 0, h = 0;
    if (!driver_.editorSize(w, h)) return false;
    width = static_cast<uint32_t>(w);
    height = static_cast<uint32_t>(h);
    return true;
}

bool ClapGui::setSize(uint32_t width, uint32_t height) {
    uint32_t w = 0, h = 0;
    return size(w, h) && w == width && h == height;
}

bool ClapGui::setParent(const clap_window_t& window) {
    if (!created_ || open_ || !window.api || std::strcmp(window.api, kOurApi) != 0 || !window.ptr)
        return false;
#if defined(_WIN32)
    void* parent = window.win32;
#else
    void* parent = reinterpret_cast<void*>(static_cast<uintptr_t>(window.x11));
#endif
    lyreformat::EditorWindow opened{};
    if (!driver_.openEditor(parent, opened)) return false;
    open_ = true;
    startPump(opened.descriptor);
#if !defined(_WIN32)
    // Without the host's timer the editor would never be drawn or answer the pointer.
    if (!timerRegistered_) {
        stopPump();
        driver_.closeEditor();
        open_ = false;
        return false;
    }
#endif
    return true;
}

void ClapGui::startPump(int descriptor) {
#if !defined(_WIN32)
    if (host_ && host_->get_extension) {
        timers_ = static_cast<const clap_host_timer_support_t*>(
            host_->get_extension(host_, CLAP_EXT_TIMER_SUPPORT));
        descriptors_ = static_cast<const clap_host_posix_fd_support_t*>(
            host_->get_extension(host_, CLAP_EXT_POSIX_FD_SUPPORT));
    }
    if (timers_ && timers_->register_timer)
        timerRegistered_ = timers_->register_timer(host_, kTimerMs, &timer_);
    if (descriptor >= 0 && descriptors_ && descriptors_->register_fd &&
        descriptors_->register_fd(host_, descriptor, CLAP_POSIX_FD_READ))
        descriptor_ = descriptor;
#else
    (void)descriptor;
#endif
}

void ClapGui::stopPump() {
    if (timerRegistered_ && timers_->unregister_timer) timers_->unregister_timer(host_, timer_);
    if (descriptor_ >= 0 && descriptors_->unregister_fd)
        descriptors_->unregister_fd(host_, descriptor_);
    timerRegistered_ = false;
    timer_ = CLAP_INVALID_ID;
    descriptor_ = -1;
}

void ClapGui::tick() {
    if (!open_) return;
    driver_.idleEditor();
}

bool ClapGui::setScale(double scale) {
    if (!(scale > 0.0)) return false;
    return driver_.scaleEditor(scale);
}

bool ClapGui::requestResize(uint32_t width, uint32_t height) {
    if (!open_ || !host_ || !host_->get_extension) return false;
    const auto* gui =
        static_cast<const clap_host_gui_t*>(host_->get_extension(host_, CLAP_EXT_GUI));
    return gui && gui->request_resize && gui->request_resize(host_, width, height);
}

} // namespace lyreclap
