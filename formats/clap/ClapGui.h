// The editor as CLAP's gui extension: embedded only, in the host's X11 window (Linux) or HWND
// (Windows), at its one size. On Linux it runs on the host's timer and, where offered, the
// host watching the editor's X connection; on Windows its own window timer and the host's
// message loop keep it going. All calls on the main thread.
#pragma once

#include <clap/ext/gui.h>
#include <clap/ext/timer-support.h>
#include <clap/host.h>

#include "formats/clap/ClapPosixFd.h"
#include "formats/common/EffectDriver.h"

namespace lyreclap {

class ClapGui {
  public:
    ClapGui(lyreformat::EffectDriver& driver, const clap_host_t* host)
        : driver_(driver), host_(host) {}
    ~ClapGui() { destroy(); }
    ClapGui(const ClapGui&) = delete;
    ClapGui& operator=(const ClapGui&) = delete;

    static bool isOurApi(const char* api, bool floating);
    bool create(const char* api, bool floating);
    void destroy();
    bool size(uint32_t& width, uint32_t& height);
    bool setSize(uint32_t width, uint32_t height);
    bool setParent(const clap_window_t& window);
    // The host's timer or our descriptor: the editor reads its events and redraws.
    void tick();
    // The host's scale for the editor (its screen's density); false when refused.
    bool setScale(double scale);
    // The editor wants a new size: the host decides.
    bool requestResize(uint32_t width, uint32_t height);

  private:
    void startPump(int descriptor);
    void stopPump();

    lyreformat::EffectDriver& driver_;
    const clap_host_t* host_;
    const clap_host_timer_support_t* timers_ = nullptr;
    const clap_host_posix_fd_support_t* descriptors_ = nullptr;
    bool created_ = false;
    bool open_ = false;
    bool timerRegistered_ = false;
    clap_id timer_ = CLAP_INVALID_ID;
    int descriptor_ = -1;
};

} // namespace lyreclap
