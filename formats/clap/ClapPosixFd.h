// CLAP 1.1's posix-fd-support extension, which Debian's headers leave out: the host watches
// a descriptor of ours and calls back when it is ready.
#pragma once

#include <clap/host.h>
#include <clap/plugin.h>

extern "C" {

static CLAP_CONSTEXPR const char CLAP_EXT_POSIX_FD_SUPPORT[] = "clap.posix-fd-support";

enum { CLAP_POSIX_FD_READ = 1 << 0, CLAP_POSIX_FD_WRITE = 1 << 1, CLAP_POSIX_FD_ERROR = 1 << 2 };
typedef uint32_t clap_posix_fd_flags_t;

typedef struct clap_plugin_posix_fd_support {
    void(CLAP_ABI* on_fd)(const clap_plugin_t* plugin, int fd, clap_posix_fd_flags_t flags);
} clap_plugin_posix_fd_support_t;

typedef struct clap_host_posix_fd_support {
    bool(CLAP_ABI* register_fd)(const clap_host_t* host, int fd, clap_posix_fd_flags_t flags);
    bool(CLAP_ABI* modify_fd)(const clap_host_t* host, int fd, clap_posix_fd_flags_t flags);
    bool(CLAP_ABI* unregister_fd)(const clap_host_t* host, int fd);
} clap_host_posix_fd_support_t;
}
