// net_fixture.h - what the network tests share: a started layer, real-time
// waits that pump the library, and a raw TCP peer on 127.0.0.1 that shares no
// code with the library (plain POSIX sockets), so the wire format is checked
// from the outside.
#ifndef VORLANE_TESTS_MEDIA_NET_FIXTURE_H
#define VORLANE_TESTS_MEDIA_NET_FIXTURE_H

#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <thread>
#include <vector>

#include "media/core/tracked_alloc.h"
#include "tests/support/layer_fixture.h"

using Bytes = std::vector<uint8_t>;

constexpr uint32_t kLoopback = 0x0100007F;  // 127.0.0.1, first octet in the lowest byte

// The raw peer: plain blocking POSIX sockets on 127.0.0.1.
namespace raw {

// A listener bound to 127.0.0.1 (reusable port), or -1.
inline int Listen(int port, int backlog = 16) {
    int fd = socket(AF_INET, SOCK_STREAM, 0), one = 1;
    sockaddr_in a{AF_INET, htons(uint16_t(port)), {htonl(INADDR_LOOPBACK)}, {}};
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    if (bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 && listen(fd, backlog) == 0)
        return fd;
    close(fd);
    return -1;
}
inline int Connect(int port) {  // blocking; -1 on failure
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{AF_INET, htons(uint16_t(port)), {htonl(INADDR_LOOPBACK)}, {}};
    if (connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0) return fd;
    close(fd);
    return -1;
}
inline int FreePort() {  // one the kernel just handed out, that nobody listens on
    int fd = Listen(0);
    sockaddr_in a{};
    socklen_t n = sizeof a;
    getsockname(fd, reinterpret_cast<sockaddr*>(&a), &n);
    close(fd);
    return ntohs(a.sin_port);
}
inline bool Ready(int fd, int timeoutMs) {
    pollfd p = {fd, POLLIN, 0};
    return poll(&p, 1, timeoutMs) > 0;
}
inline int Accept(int listener) {
    return Ready(listener, 5000) ? accept(listener, nullptr, nullptr) : -1;
}
inline bool Send(int fd, const Bytes& b) {
    return send(fd, b.data(), b.size(), MSG_NOSIGNAL) == ssize_t(b.size());
}
// Exactly n bytes, or what came before the end of the stream or 5 s of silence.
inline Bytes Recv(int fd, size_t n) {
    Bytes out(n);
    size_t have = 0;
    for (ssize_t got = 1; have < n && got > 0 && Ready(fd, 5000); have += size_t(got > 0 ? got : 0))
        got = recv(fd, out.data() + have, n - have, 0);
    out.resize(have);
    return out;
}
inline bool AtEnd(int fd) {  // the end of the stream came (after what was queued)
    char sink[4096];
    while (Ready(fd, 5000))
        if (recv(fd, sink, sizeof sink, 0) <= 0) return true;
    return false;
}
inline Bytes Frame(const Bytes& payload) {
    Bytes out(4 + payload.size());
    for (int i = 0; i < 4; ++i) out[size_t(i)] = uint8_t(payload.size() >> (8 * i));
    std::copy(payload.begin(), payload.end(), out.begin() + 4);
    return out;
}
}  // namespace raw

inline Bytes Pattern(size_t n, int seed = 0) {
    Bytes b(n);
    for (size_t i = 0; i < n; ++i) b[i] = uint8_t(i * 7 + size_t(seed));
    return b;
}

class NetTest : public LayerTest {
protected:
    void SetUp() override {
        LayerTest::SetUp();
        Start();
    }
    void TearDown() override {
        LayerTest::TearDown();
        for (int fd : fds_) close(fd);
    }
    int Keep(int fd) {  // closed at the end of the test
        if (fd >= 0) fds_.push_back(fd);
        return fd;
    }
    void Drop(int fd) {
        close(fd);
        fds_.erase(std::remove(fds_.begin(), fds_.end(), fd), fds_.end());
    }
    // Pumps as a frame loop does (unless the calls in `done` are to pump by
    // themselves) until `done` holds; false after `guardMs` of real time (a guard
    // against hanging, not a measurement).
    template <class F>
    static bool PumpUntil(F done, int guardMs = 5000, bool processMessage = true) {
        auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(guardMs);
        for (; !done(); std::this_thread::sleep_for(std::chrono::microseconds(200))) {
            if (std::chrono::steady_clock::now() > end) return false;
            if (processMessage) ProcessMessage();
        }
        return true;
    }
    // {handle, raw peer socket}: the library connected to a raw listener, or a
    // raw peer connected to the library's listener.
    std::pair<int, int> ConnectToRawPeer() {
        int port = raw::FreePort(), listener = raw::Listen(port);
        int handle = OpenNetWorkConnection(kLoopback, port), peer = Keep(raw::Accept(listener));
        close(listener);
        return {handle, peer};
    }
    std::pair<int, int> AcceptRawPeer() {
        int port = raw::FreePort(), handle = -1;
        if (BeginNetWorkListen(port) != 0) return {-1, -1};
        int peer = Keep(raw::Connect(port));
        PumpUntil([&] { return (handle = TakeAcceptedNetWork()) != -1; }, 5000, false);
        EndNetWorkListen();
        return {handle, peer};
    }
    static bool WaitForData(int handle, int n) {  // the network call itself pumps
        return PumpUntil([&] { return GetNetWorkDataLength(handle) >= n; }, 5000, false);
    }
    // n bytes taken by NetWorkRecv alone (it looks at the socket while they are
    // not all in), or nothing after 5 s.
    static Bytes Receive(int handle, int n) {
        Bytes b(static_cast<size_t>(n));
        return PumpUntil([&] { return NetWorkRecv(handle, b.data(), n) == 0; }, 5000, false)
                   ? b
                   : Bytes{};
    }
    // Sends until at least 512 KiB wait in the library's send ring (a peer that
    // does not read lets the kernel take only so much); the frames as the wire
    // must carry them.
    static Bytes FillSendRing(int handle) {
        const size_t before = TrackedTotalSize();
        const Bytes chunk = Pattern(64 << 10, 9), frame = raw::Frame(chunk);
        Bytes sent;
        while (TrackedTotalSize() < before + (512 << 10) && sent.size() < (32u << 20) &&
               NetWorkSend(handle, chunk.data(), 64 << 10) == 0)
            sent.insert(sent.end(), frame.begin(), frame.end());
        return sent;
    }

    std::vector<int> fds_;
};

#endif
