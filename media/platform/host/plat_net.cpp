// plat_net.cpp - TCP over POSIX non-blocking sockets and poll (see plat_net.h).
//
// Owns: the socket options every connection gets and the static poll table. Must not
// touch: any state of the network area (it only hands out descriptors and byte counts).
//
// Why these options: the layer sends small frames that the peer waits for, so Nagle's
// delay is off (a prefix and its payload leave together anyway, in one sendmsg). A
// peer whose machine went away never sends a FIN; keep-alive probes after 1 s of
// silence, every 1 s, and a 3 s limit on unacknowledged data (probes, payload or
// zero-window probes) make the kernel fail the socket within about four seconds
// instead of a quarter of an hour. MSG_NOSIGNAL (or SO_NOSIGPIPE where that is the
// way) keeps a write to a closed peer from raising SIGPIPE.
#include "media/platform/plat_net.h"

#include <arpa/inet.h>
#include <errno.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <string.h>
#include <sys/socket.h>
#include <sys/uio.h>
#include <unistd.h>

namespace {

constexpr int kKeepIdleSeconds = 1;
constexpr int kKeepIntervalSeconds = 1;
constexpr int kKeepProbes = 3;
constexpr unsigned kUserTimeoutMs = 3000;
constexpr int kMaxSpans = 4;

#ifdef MSG_NOSIGNAL
constexpr int kSendFlags = MSG_NOSIGNAL | MSG_DONTWAIT;
#else
constexpr int kSendFlags = MSG_DONTWAIT;
#endif

pollfd g_pollTable[kPlatNetPollMax];

bool WouldBlock(int error) {
    return error == EAGAIN || error == EWOULDBLOCK || error == EINTR;
}

void SetInt(int fd, int level, int name, int value) {
    setsockopt(fd, level, name, &value, sizeof value);
}

// Non-blocking and close-on-exec; false when that cannot be had.
bool MakeNonBlocking(int fd) {
    int flags = fcntl(fd, F_GETFL, 0);
    if (flags < 0 || fcntl(fd, F_SETFL, flags | O_NONBLOCK) != 0) return false;
    fcntl(fd, F_SETFD, FD_CLOEXEC);
    return true;
}

// The options of every connection socket. Those a system lacks are simply left out.
void SetConnectionOptions(int fd) {
    SetInt(fd, IPPROTO_TCP, TCP_NODELAY, 1);
    SetInt(fd, SOL_SOCKET, SO_KEEPALIVE, 1);
#ifdef SO_NOSIGPIPE
    SetInt(fd, SOL_SOCKET, SO_NOSIGPIPE, 1);
#endif
#ifdef TCP_KEEPIDLE
    SetInt(fd, IPPROTO_TCP, TCP_KEEPIDLE, kKeepIdleSeconds);
#endif
#ifdef TCP_KEEPINTVL
    SetInt(fd, IPPROTO_TCP, TCP_KEEPINTVL, kKeepIntervalSeconds);
#endif
#ifdef TCP_KEEPCNT
    SetInt(fd, IPPROTO_TCP, TCP_KEEPCNT, kKeepProbes);
#endif
}

// Set once a connection stands: before that it would also cut short the handshake,
// whose wait belongs to the caller.
void SetUserTimeout(int fd) {
#ifdef TCP_USER_TIMEOUT
    SetInt(fd, IPPROTO_TCP, TCP_USER_TIMEOUT, static_cast<int>(kUserTimeoutMs));
#else
    (void)fd;
#endif
}

socklen_t ToSockaddr(const PlatNetAddress& a, sockaddr_storage* out) {
    memset(out, 0, sizeof *out);
    if (a.family == 6) {
        sockaddr_in6* s = reinterpret_cast<sockaddr_in6*>(out);
        s->sin6_family = AF_INET6;
        s->sin6_port = htons(static_cast<uint16_t>(a.port));
        memcpy(&s->sin6_addr, a.bytes, 16);
        return sizeof *s;
    }
    sockaddr_in* s = reinterpret_cast<sockaddr_in*>(out);
    s->sin_family = AF_INET;
    s->sin_port = htons(static_cast<uint16_t>(a.port));
    memcpy(&s->sin_addr, a.bytes, 4);
    return sizeof *s;
}

// An IPv4 peer reaching a dual-stack socket arrives as ::ffff:a.b.c.d; it is given
// back as the IPv4 address it is.
bool FromSockaddr(const sockaddr* sa, PlatNetAddress* out) {
    memset(out, 0, sizeof *out);
    if (sa->sa_family == AF_INET) {
        const sockaddr_in* s = reinterpret_cast<const sockaddr_in*>(sa);
        out->family = 4;
        memcpy(out->bytes, &s->sin_addr, 4);
        out->port = ntohs(s->sin_port);
        return true;
    }
    if (sa->sa_family == AF_INET6) {
        const sockaddr_in6* s = reinterpret_cast<const sockaddr_in6*>(sa);
        out->port = ntohs(s->sin6_port);
        if (IN6_IS_ADDR_V4MAPPED(&s->sin6_addr)) {
            out->family = 4;
            memcpy(out->bytes, s->sin6_addr.s6_addr + 12, 4);
        } else {
            out->family = 6;
            memcpy(out->bytes, &s->sin6_addr, 16);
        }
        return true;
    }
    return false;
}

short PollEvents(int want) {
    short events = 0;
    if (want & PLAT_NET_READABLE) events |= POLLIN;
    if (want & PLAT_NET_WRITABLE) events |= POLLOUT;
#ifdef POLLRDHUP
    events |= POLLRDHUP;
#endif
    return events;
}

int ReadyBits(short revents) {
    int got = 0;
    if (revents & POLLIN) got |= PLAT_NET_READABLE;
    if (revents & POLLOUT) got |= PLAT_NET_WRITABLE;
    short hangup = POLLHUP | POLLERR;
#ifdef POLLRDHUP
    hangup |= POLLRDHUP;
#endif
    if (revents & hangup) got |= PLAT_NET_HANGUP;
    return got;
}

}  // namespace

int PlatNetResolve(const char* name, int port, PlatNetAddress* out) {
    if (!name || !out || port < 0 || port > 65535) return -1;
    addrinfo hints;
    memset(&hints, 0, sizeof hints);
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* list = nullptr;
    if (getaddrinfo(name, nullptr, &hints, &list) != 0 || !list) return -1;
    // The first IPv4 address when the name has one (the library's peers are IPv4
    // first), else the first of any family.
    bool found = false;
    for (addrinfo* i = list; i && !found; i = i->ai_next)
        found = i->ai_family == AF_INET && FromSockaddr(i->ai_addr, out);
    for (addrinfo* i = list; i && !found; i = i->ai_next) found = FromSockaddr(i->ai_addr, out);
    freeaddrinfo(list);
    if (!found) return -1;
    out->port = port;
    return 0;
}

int PlatNetConnect(const PlatNetAddress* to, int* failedStep) {
    int unused = 0;
    if (!failedStep) failedStep = &unused;
    sockaddr_storage sa;
    socklen_t length = ToSockaddr(*to, &sa);
    int fd = socket(sa.ss_family, SOCK_STREAM, 0);
    if (fd < 0) {
        *failedStep = PLAT_NET_STEP_SOCKET;
        return -1;
    }
    if (!MakeNonBlocking(fd)) {
        close(fd);
        *failedStep = PLAT_NET_STEP_OPTIONS;
        return -1;
    }
    SetConnectionOptions(fd);
    if (connect(fd, reinterpret_cast<sockaddr*>(&sa), length) != 0 && errno != EINPROGRESS &&
        !WouldBlock(errno)) {
        close(fd);
        *failedStep = PLAT_NET_STEP_CONNECT;
        return -1;
    }
    return fd;
}

int PlatNetConnectState(int socket) {
    pollfd p = {socket, POLLOUT, 0};
    int n = poll(&p, 1, 0);
    if (n < 0) return WouldBlock(errno) ? 0 : -1;
    if (n == 0) return 0;
    int error = 0;
    socklen_t size = sizeof error;
    if (getsockopt(socket, SOL_SOCKET, SO_ERROR, &error, &size) != 0 || error != 0) return -1;
    if (p.revents & (POLLERR | POLLHUP)) return -1;
    SetUserTimeout(socket);
    return 1;
}

namespace {

// One listening socket of `family` (6: dual-stack) on every local address, or -1
// with *failedStep and errno set.
int ListenOn(int family, int port, int backlog, int* failedStep) {
    PlatNetAddress any;
    memset(&any, 0, sizeof any);
    any.family = family;
    any.port = port;
    int fd = socket(family == 6 ? AF_INET6 : AF_INET, SOCK_STREAM, 0);
    if (fd < 0) {
        *failedStep = PLAT_NET_STEP_SOCKET;
        return -1;
    }
    if (family == 6) SetInt(fd, IPPROTO_IPV6, IPV6_V6ONLY, 0);
    SetInt(fd, SOL_SOCKET, SO_REUSEADDR, 1);  // never two listeners: only TIME_WAIT left behind
    sockaddr_storage sa;
    socklen_t length = ToSockaddr(any, &sa);
    if (!MakeNonBlocking(fd))
        *failedStep = PLAT_NET_STEP_OPTIONS;
    else if (bind(fd, reinterpret_cast<sockaddr*>(&sa), length) != 0)
        *failedStep = PLAT_NET_STEP_BIND;
    else if (listen(fd, backlog) != 0)
        *failedStep = PLAT_NET_STEP_LISTEN;
    else
        return fd;
    int error = errno;
    close(fd);
    errno = error;
    return -1;
}

}  // namespace

int PlatNetListen(int port, int backlog, int* failedStep) {
    int unused = 0;
    if (!failedStep) failedStep = &unused;
    if (port < 0 || port > 65535) {
        *failedStep = PLAT_NET_STEP_BIND;
        return -1;
    }
    // One dual-stack socket takes IPv4 and IPv6 peers; a host without IPv6 gets an
    // IPv4 socket. A port in use is not retried: it is in use for both.
    int fd = ListenOn(6, port, backlog, failedStep);
    if (fd < 0 && errno != EADDRINUSE && errno != EACCES)
        fd = ListenOn(4, port, backlog, failedStep);
    return fd;
}

int PlatNetAccept(int listener, PlatNetAddress* peer, int* failedStep) {
    int unused = 0;
    if (!failedStep) failedStep = &unused;
    *failedStep = PLAT_NET_STEP_CONNECT;
    sockaddr_storage sa;
    socklen_t length = sizeof sa;
    int fd = accept(listener, reinterpret_cast<sockaddr*>(&sa), &length);
    if (fd < 0) {
        // A connection that was reset while it waited is gone; so is the event.
        if (WouldBlock(errno) || errno == ECONNABORTED) return static_cast<int>(kPlatNetAgain);
        return static_cast<int>(kPlatNetFailed);
    }
    if (!MakeNonBlocking(fd) || !FromSockaddr(reinterpret_cast<sockaddr*>(&sa), peer)) {
        close(fd);
        *failedStep = PLAT_NET_STEP_OPTIONS;
        return static_cast<int>(kPlatNetFailed);
    }
    SetConnectionOptions(fd);
    SetUserTimeout(fd);
    return fd;
}

long PlatNetSend(int socket, const PlatNetSpan* spans, int count) {
    iovec iov[kMaxSpans];
    int used = 0;
    for (int i = 0; i < count && used < kMaxSpans; ++i) {
        if (spans[i].size == 0) continue;
        iov[used].iov_base = const_cast<void*>(spans[i].data);
        iov[used].iov_len = spans[i].size;
        ++used;
    }
    if (used == 0) return 0;
    msghdr msg;
    memset(&msg, 0, sizeof msg);
    msg.msg_iov = iov;
    msg.msg_iovlen = static_cast<size_t>(used);
    ssize_t n = sendmsg(socket, &msg, kSendFlags);
    if (n > 0) return static_cast<long>(n);
    if (n == 0 || WouldBlock(errno) || errno == ENOBUFS) return kPlatNetAgain;
    return kPlatNetFailed;
}

long PlatNetRecv(int socket, void* buffer, size_t size) {
    ssize_t n = recv(socket, buffer, size, MSG_DONTWAIT);
    if (n >= 0) return static_cast<long>(n);
    return WouldBlock(errno) ? kPlatNetAgain : kPlatNetFailed;
}

void PlatNetShutdown(int socket) {
    if (socket >= 0) shutdown(socket, SHUT_RDWR);
}

void PlatNetClose(int socket) {
    if (socket >= 0) close(socket);
}

int PlatNetPoll(PlatNetPollEntry* entries, int count, int timeoutMs) {
    if (count < 0 || count > kPlatNetPollMax) return -1;
    for (int i = 0; i < count; ++i) {
        g_pollTable[i].fd = entries[i].socket;
        g_pollTable[i].events = PollEvents(entries[i].want);
        g_pollTable[i].revents = 0;
        entries[i].got = 0;
    }
    int n = poll(g_pollTable, static_cast<nfds_t>(count), timeoutMs < 0 ? 0 : timeoutMs);
    if (n < 0) return WouldBlock(errno) ? 0 : -1;
    for (int i = 0; i < count; ++i) entries[i].got = ReadyBits(g_pollTable[i].revents);
    return n;
}
