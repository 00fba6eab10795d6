// net_fixture.h - what the network tests share: a started layer, real-time waits
// that pump the library, and a raw TCP peer on 127.0.0.1 that shares no code with the
// library (plain POSIX sockets), so the wire format is checked from the outside.
#ifndef VORLANE_TESTS_MEDIA_NET_FIXTURE_H
#define VORLANE_TESTS_MEDIA_NET_FIXTURE_H

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>
#include <vector>

#include "tests/support/layer_fixture.h"

using Bytes = std::vector<uint8_t>;

constexpr uint32_t kLoopback = 0x0100007F;  // 127.0.0.1, first octet in the lowest byte

namespace raw {

inline sockaddr_in Loopback(int port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<uint16_t>(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return a;
}

inline int Listen(int port, int backlog = 16) {
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    int one = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in a = Loopback(port);
    if (bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || listen(fd, backlog) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

// A port the kernel just handed out and nobody listens on.
inline int FreePort() {
    int fd = Listen(0);
    sockaddr_in a{};
    socklen_t n = sizeof a;
    getsockname(fd, reinterpret_cast<sockaddr*>(&a), &n);
    close(fd);
    return ntohs(a.sin_port);
}

// Blocking connect; `receiveBuffer` > 0 shrinks the peer's window first.
inline int Connect(int port, int receiveBuffer = 0) {
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    if (receiveBuffer > 0)
        setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
    sockaddr_in a = Loopback(port);
    if (connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

inline bool Ready(int fd, int timeoutMs) {
    pollfd p = {fd, POLLIN, 0};
    return poll(&p, 1, timeoutMs) > 0;
}

inline int Accept(int listener) {
    return Ready(listener, 5000) ? accept(listener, nullptr, nullptr) : -1;
}

inline bool Send(int fd, const Bytes& b) {
    return send(fd, b.data(), b.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(b.size());
}

// Exactly n bytes, or what came before the end of the stream or 5 s of silence.
inline Bytes Recv(int fd, size_t n) {
    Bytes out(n);
    size_t have = 0;
    while (have < n && Ready(fd, 5000)) {
        ssize_t got = recv(fd, out.data() + have, n - have, 0);
        if (got <= 0) break;
        have += static_cast<size_t>(got);
    }
    out.resize(have);
    return out;
}

// The peer saw the end of the stream (after reading whatever was still queued).
inline bool AtEnd(int fd) {
    char sink[4096];
    while (Ready(fd, 5000)) {
        ssize_t got = recv(fd, sink, sizeof sink, 0);
        if (got <= 0) return true;
    }
    return false;
}

inline Bytes Frame(const Bytes& payload) {
    Bytes out(4 + payload.size());
    for (int i = 0; i < 4; ++i) out[size_t(i)] = uint8_t(payload.size() >> (8 * i));
    std::copy(payload.begin(), payload.end(), out.begin() + 4);
    return out;
}

}  // namespace raw

// Bytes 0, 1, 2, ... of a given length, offset by `seed`.
inline Bytes Pattern(size_t n, int seed = 0) {
    Bytes b(n);
    for (size_t i = 0; i < n; ++i) b[i] = static_cast<uint8_t>(i * 7 + seed);
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
    // Keeps a raw socket open until the end of the test (or until it is dropped).
    int Keep(int fd) {
        if (fd >= 0) fds_.push_back(fd);
        return fd;
    }
    void Drop(int fd) {
        close(fd);
        fds_.erase(std::remove(fds_.begin(), fds_.end(), fd), fds_.end());
    }

    // Pumps as the game's frame loop does until `done` holds; gives up after
    // `guardMs` of real time (a guard against hanging, not a measurement).
    template <class F>
    static bool PumpUntil(F done, int guardMs = 5000) {
        auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(guardMs);
        while (!done()) {
            if (std::chrono::steady_clock::now() > end) return false;
            ProcessMessage();
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
        return true;
    }

    // The library connected to a raw peer: {handle, peer socket}.
    std::pair<int, int> ConnectToRawPeer() {
        int port = raw::FreePort();
        int listener = raw::Listen(port);
        int handle = OpenNetWorkConnection(kLoopback, port);
        int peer = Keep(raw::Accept(listener));
        close(listener);
        return {handle, peer};
    }
    // A raw peer connected to the library's listener: {handle, peer socket}.
    std::pair<int, int> AcceptRawPeer(int receiveBuffer = 0) {
        int port = raw::FreePort();
        if (BeginNetWorkListen(port) != 0) return {-1, -1};
        int peer = Keep(raw::Connect(port, receiveBuffer));
        int handle = -1;
        PumpUntil([&] { return (handle = TakeAcceptedNetWork()) != -1; });
        EndNetWorkListen();
        return {handle, peer};
    }
    // Pumps until the library holds `n` received bytes on `handle`.
    static bool WaitForData(int handle, int n) {
        return PumpUntil([&] { return GetNetWorkDataLength(handle) >= n; });
    }
    // Sends from a raw peer while the library pumps, for more than the kernel buffers.
    static bool SendPumping(int fd, const Bytes& b) {
        size_t sent = 0;
        return PumpUntil([&] {
            ssize_t n = send(fd, b.data() + sent, b.size() - sent, MSG_DONTWAIT | MSG_NOSIGNAL);
            if (n > 0) sent += static_cast<size_t>(n);
            return sent == b.size();
        });
    }
    static Bytes Receive(int handle, int n) {
        Bytes b(static_cast<size_t>(n));
        if (NetWorkRecv(handle, b.data(), n) != 0) b.clear();
        return b;
    }

    std::vector<int> fds_;
};

#endif
