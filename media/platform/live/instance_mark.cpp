// instance_mark.cpp - the single-instance mark (plat_instance.h) as an abstract-
// namespace UNIX socket bound to the mark's name. The kernel drops the name with the
// last descriptor, so a crashed copy never leaves a stale mark behind.
//
// Owns: the one descriptor this process holds. Touches no other state.
#include "media/platform/plat_instance.h"

#include <errno.h>
#include <stddef.h>
#include <string.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <mutex>

namespace {

struct InstanceMark {
    int fd;  // -1 when no mark is held
};
InstanceMark g_mark = {-1};
std::mutex g_markMutex;

// Longest name that fits the abstract address (one leading zero byte).
constexpr size_t kMaxName = sizeof(((sockaddr_un*)nullptr)->sun_path) - 1;

// Builds the abstract address for `name`; false for an empty or oversized name.
bool MakeAddress(const char* name, sockaddr_un* addr, socklen_t* length) {
    if (!name) return false;
    size_t n = strnlen(name, kMaxName + 1);
    if (n == 0 || n > kMaxName) return false;
    memset(addr, 0, sizeof *addr);
    addr->sun_family = AF_UNIX;
    addr->sun_path[0] = '\0';
    memcpy(addr->sun_path + 1, name, n);
    *length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + n);
    return true;
}

// Binds a fresh socket to the name: the descriptor, -2 when the name is taken,
// -1 on any other failure.
int BindName(const char* name) {
    sockaddr_un addr;
    socklen_t length = 0;
    if (!MakeAddress(name, &addr, &length)) return -1;
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    if (bind(fd, reinterpret_cast<sockaddr*>(&addr), length) != 0) {
        int err = errno;
        close(fd);
        return err == EADDRINUSE ? -2 : -1;
    }
    return fd;
}

}  // namespace

int PlatInstanceExists(const char* name) {
    std::lock_guard<std::mutex> hold(g_markMutex);
    int fd = BindName(name);
    if (fd == -2) return 1;
    if (fd >= 0) close(fd);  // nobody had it: give the name straight back
    return 0;
}

int PlatInstanceCreate(const char* name) {
    std::lock_guard<std::mutex> hold(g_markMutex);
    if (g_mark.fd >= 0) return 0;
    int fd = BindName(name);
    if (fd == -2) return 1;
    if (fd < 0) return -1;
    g_mark.fd = fd;
    return 0;
}

void PlatInstanceRelease() {
    std::lock_guard<std::mutex> hold(g_markMutex);
    if (g_mark.fd < 0) return;
    close(g_mark.fd);
    g_mark.fd = -1;
}
