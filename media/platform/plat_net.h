// plat_net.h - TCP sockets and readiness polling, as the library's network area needs
// them of the platform.
//
// Implemented once in media/platform/host/plat_net.cpp (POSIX non-blocking sockets and
// poll). The scripted platform uses it unchanged, so network tests run real TCP on
// 127.0.0.1. Every connection socket made here is non-blocking and close-on-exec,
// never raises SIGPIPE, sends without Nagle's delay, and gives up on a peer that has
// gone silent within a few seconds (keep-alive probes at short intervals and a user
// time-out on unacknowledged data), so a vanished peer shows as a failed socket.
// Callers hold the API lock: the poll table is static.
#ifndef PAVEX_PLATFORM_NET_H
#define PAVEX_PLATFORM_NET_H

#include <stddef.h>
#include <stdint.h>

struct PlatNetAddress {
    int family;         // 4 (IPv4) or 6 (IPv6)
    uint8_t bytes[16];  // the address in network order; IPv4 uses the first 4 bytes
    int port;           // 0..65535
};

// Resolves a numeric IPv4 or IPv6 address or a host name (a name may block as long
// as the system's resolver takes). 0, or -1.
int PlatNetResolve(const char* name, int port, PlatNetAddress* out);

// Which step of making a socket failed.
enum PlatNetStep {
    PLAT_NET_STEP_SOCKET = 1,  // no socket could be made
    PLAT_NET_STEP_OPTIONS,     // it could not be made non-blocking
    PLAT_NET_STEP_BIND,
    PLAT_NET_STEP_LISTEN,
    PLAT_NET_STEP_CONNECT,  // the connect failed at once
};

// Makes a connection socket and starts a non-blocking connect. The socket, or -1
// with *failedStep set.
int PlatNetConnect(const PlatNetAddress* to, int* failedStep);
// 1 connected, 0 still connecting, -1 failed (refused, unreachable, timed out). The
// handshake has no time limit of its own here: the caller decides how long to wait.
int PlatNetConnectState(int socket);

// A listening socket on every local address and `port` (IPv6 and IPv4 together where
// the host has both), reusable at once after an earlier run. The socket, or -1 with
// *failedStep set.
int PlatNetListen(int port, int backlog, int* failedStep);

// Results of the calls below that are not byte counts.
constexpr long kPlatNetAgain = -1;   // nothing can be done now (would block)
constexpr long kPlatNetFailed = -2;  // the socket failed (reset, timed out, ...)

// Accepts one waiting connection: its socket (set up like a connected one) and the
// peer's address (an IPv4 peer of a dual-stack listener as family 4), or
// kPlatNetAgain when none waits, kPlatNetFailed on an error (with *failedStep).
int PlatNetAccept(int listener, PlatNetAddress* peer, int* failedStep);

struct PlatNetSpan {
    const void* data;
    size_t size;
};
// Sends the spans in order with one system call, so that bytes given together leave
// together. Bytes taken (> 0), kPlatNetAgain when the socket takes nothing now, or
// kPlatNetFailed.
long PlatNetSend(int socket, const PlatNetSpan* spans, int count);
// Bytes read (> 0), 0 at the end of the stream, kPlatNetAgain, or kPlatNetFailed.
long PlatNetRecv(int socket, void* buffer, size_t size);

void PlatNetShutdown(int socket);  // both directions; the peer sees the end of the stream
void PlatNetClose(int socket);

enum PlatNetReady {
    PLAT_NET_READABLE = 1,  // data, a waiting connection, or the end of the stream
    PLAT_NET_WRITABLE = 2,
    PLAT_NET_HANGUP = 4,  // the peer closed, or the socket failed
};

struct PlatNetPollEntry {
    int socket;
    int want;  // PlatNetReady bits
    int got;   // filled by PlatNetPoll
};
constexpr int kPlatNetPollMax = 4160;
// Waits up to `timeoutMs` real milliseconds (0: not at all) until one of at most
// kPlatNetPollMax entries is ready. The count of ready entries, or -1.
int PlatNetPoll(PlatNetPollEntry* entries, int count, int timeoutMs);

#endif
