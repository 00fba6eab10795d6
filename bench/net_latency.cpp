// net_latency - what the library's framing costs a 440-byte match message over
// loopback, against bare TCP, measured side by side in one loop:
//   BM_SideBySide  round trips of three kinds, taken in turn (so a busy machine's
//                  pauses fall on all three alike):
//                    bare  a bare TCP echo of 440 bytes (plain sockets, one send each way)
//                    one   the message in one NetWorkSend (one frame), read back with
//                          GetNetWorkDataLength + four NetWorkRecv
//                    game  the message sent as the game sends it (four NetWorkSend calls
//                          of 2, 2, 16 and 420 bytes, then PumpNetWorkMessages(0)),
//                          read back the same way
//                  Each kind reports its round trip's p50 and p99 in microseconds (a
//                  one-way trip is about half), the round trips of 40 ms or more, and
//                  the library's p99 against the bare echo's. Both ends run on this
//                  thread and poll without sleeping, so the numbers are the stacks'
//                  own costs.
//   BM_WireAtGameRate   60 messages a second for 2 s as the game sends them, and the
//                       bytes the receiver saw on the wire (TCP_INFO of a plain
//                       socket): payload with prefixes, segments both ways, and the
//                       IPv4 + TCP header bytes (52 a segment with timestamps).
// Runs the live platform under SDL's dummy video driver unless a driver is chosen.
//   build with -DVORLANE_BENCH=ON, then:
//   ./bench/bench_net_latency --benchmark_repetitions=5 --benchmark_report_aggregates_only
#include <benchmark/benchmark.h>
#include <linux/tcp.h>
#include <netinet/in.h>
#include <poll.h>
#include <stdint.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <chrono>
#include <thread>
#include <vector>

#include "pavex.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kMessage = 440;
constexpr int kPieces[4] = {2, 2, 16, 420};
constexpr int kRoundTrips = 20000;
constexpr uint32_t kLoopback = 0x0100007F;
constexpr int kPort = 10123;

// Two library handles connected to each other over 127.0.0.1.
bool LibraryPair(int* a, int* b) {
    if (BeginNetWorkListen(kPort) != 0) return false;
    *a = OpenNetWorkConnection(kLoopback, kPort);
    *b = -1;
    for (int i = 0; i < 100000 && *b == -1; ++i) *b = TakeAcceptedNetWork();
    EndNetWorkListen();
    return *a != -1 && *b != -1;
}

void SendMessage(int handle, const uint8_t* message, bool asTheGame) {
    if (!asTheGame) {
        NetWorkSend(handle, message, kMessage);
        return;
    }
    int at = 0;
    for (int n : kPieces) {
        NetWorkSend(handle, message + at, n);
        at += n;
    }
    PumpNetWorkMessages(0);
}

void ReceiveMessage(int handle, uint8_t* message) {
    while (GetNetWorkDataLength(handle) < kMessage) {
    }
    int at = 0;
    for (int n : kPieces) {
        NetWorkRecv(handle, message + at, n);
        at += n;
    }
}

double FramedRoundTrip(int a, int b, uint8_t* message, bool asTheGame) {
    Clock::time_point t0 = Clock::now();
    SendMessage(a, message, asTheGame);
    ReceiveMessage(b, message);
    SendMessage(b, message, asTheGame);
    ReceiveMessage(a, message);
    return std::chrono::duration<double, std::micro>(Clock::now() - t0).count();
}

// ---- bare sockets ----

sockaddr_in Loopback(int port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<uint16_t>(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return a;
}

bool BarePair(int* client, int* server) {
    int listener = socket(AF_INET, SOCK_STREAM, 0);
    int one = 1;
    setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in a = Loopback(kPort + 1);
    bool ok =
        bind(listener, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 && listen(listener, 1) == 0;
    *client = socket(AF_INET, SOCK_STREAM, 0);
    ok = ok && connect(*client, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
    *server = ok ? accept(listener, nullptr, nullptr) : -1;
    close(listener);
    return *server >= 0;
}

// Busy-polls like the library's receiver, so both sides pay the same waiting.
void BareReceive(int fd, uint8_t* buffer) {
    int have = 0;
    while (have < kMessage) {
        ssize_t n = recv(fd, buffer + have, size_t(kMessage - have), MSG_DONTWAIT);
        if (n > 0) have += int(n);
        if (n == 0) return;
    }
}

double BareRoundTrip(int client, int server, uint8_t* message) {
    Clock::time_point t0 = Clock::now();
    send(client, message, kMessage, MSG_NOSIGNAL);
    BareReceive(server, message);
    send(server, message, kMessage, MSG_NOSIGNAL);
    BareReceive(client, message);
    return std::chrono::duration<double, std::micro>(Clock::now() - t0).count();
}

// p50 and p99 of one kind of round trip, its stalls, and its p99 against `bareP99`.
double Report(benchmark::State& state, const char* kind, std::vector<double>& us, double bareP99) {
    std::sort(us.begin(), us.end());
    const double p99 = us[us.size() * 99 / 100];
    const std::string name(kind);
    state.counters[name + "_p50_us"] = us[us.size() / 2];
    state.counters[name + "_p99_us"] = p99;
    if (bareP99 > 0) state.counters[name + "_p99_vs_bare"] = p99 / bareP99;
    // A Nagle or delayed-acknowledgement stall would show as round trips of 40 ms
    // and more; the bare echo's count is what the machine's scheduler adds alone.
    state.counters[name + "_stalls_40ms"] =
        double(us.end() - std::lower_bound(us.begin(), us.end(), 40000.0));
    return p99;
}

void BM_SideBySide(benchmark::State& state) {
    int a = -1, b = -1, client = -1, server = -1;
    if (!LibraryPair(&a, &b) || !BarePair(&client, &server)) {
        state.SkipWithError("no loopback connection");
        return;
    }
    std::vector<uint8_t> message(kMessage);
    for (int i = 0; i < kMessage; ++i) message[size_t(i)] = uint8_t(i);
    std::vector<double> bare, one, game;
    for (auto _ : state) {
        for (int i = 0; i < kRoundTrips; ++i) {
            // Turns rotate, so none of the three always follows the same one.
            for (int k = 0; k < 3; ++k) {
                switch ((i + k) % 3) {
                    case 0:
                        bare.push_back(BareRoundTrip(client, server, message.data()));
                        break;
                    case 1:
                        one.push_back(FramedRoundTrip(a, b, message.data(), false));
                        break;
                    default:
                        game.push_back(FramedRoundTrip(a, b, message.data(), true));
                        break;
                }
            }
        }
    }
    CloseNetWorkHandle(a);
    CloseNetWorkHandle(b);
    close(client);
    close(server);
    const double bareP99 = Report(state, "bare", bare, 0);
    Report(state, "one", one, bareP99);
    Report(state, "game", game, bareP99);
}

// ---- bytes on the wire ----

void BM_WireAtGameRate(benchmark::State& state) {
    constexpr int kSeconds = 2, kRate = 60;
    int listener = socket(AF_INET, SOCK_STREAM, 0);
    int one = 1;
    setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in a = Loopback(kPort + 2);
    if (bind(listener, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 ||
        listen(listener, 1) != 0) {
        state.SkipWithError("no listener");
        return;
    }
    int handle = OpenNetWorkConnection(kLoopback, kPort + 2);
    int peer = accept(listener, nullptr, nullptr);
    close(listener);
    std::vector<uint8_t> message(kMessage, 3), sink(1 << 16);
    tcp_info before{}, after{};
    socklen_t size = sizeof before;
    getsockopt(peer, IPPROTO_TCP, TCP_INFO, &before, &size);
    for (auto _ : state) {
        Clock::time_point start = Clock::now();
        for (int i = 0; i < kSeconds * kRate; ++i) {
            std::this_thread::sleep_until(start + std::chrono::microseconds(i * 1000000 / kRate));
            SendMessage(handle, message.data(), true);
            ProcessMessage();
            while (recv(peer, sink.data(), sink.size(), MSG_DONTWAIT) > 0) {
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        while (recv(peer, sink.data(), sink.size(), MSG_DONTWAIT) > 0) {
        }
    }
    getsockopt(peer, IPPROTO_TCP, TCP_INFO, &after, &size);
    const double seconds = kSeconds * static_cast<double>(state.iterations());
    const double payload = double(after.tcpi_bytes_received - before.tcpi_bytes_received);
    const double segsIn = after.tcpi_segs_in - before.tcpi_segs_in;
    const double segsOut = after.tcpi_segs_out - before.tcpi_segs_out;
    state.counters["payload_B_per_s"] = payload / seconds;
    state.counters["segments_in_per_s"] = segsIn / seconds;
    state.counters["acks_out_per_s"] = segsOut / seconds;
    state.counters["wire_B_per_s"] = (payload + 52 * (segsIn + segsOut)) / seconds;
    CloseNetWorkHandle(handle);
    close(peer);
}

BENCHMARK(BM_SideBySide)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WireAtGameRate)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    ChangeWindowMode(1);
    SetAllowDoubleStart(1);
    if (InitMediaLayer() != 0) return 1;
    SetRunWhileInactive(1);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    EndMediaLayer();
    return 0;
}
