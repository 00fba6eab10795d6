// match_net - what a versus round's message costs in time and on the wire over
// loopback, side by side in one run with a bare TCP socket:
//   BM_BareOneWay       440 bytes sent with one send() and received whole by the other
//                       end (plain sockets, TCP_NODELAY, the receiver polls recv())
//   BM_MatchMessage     SendMatchMessage (four NetWorkSend calls of 2, 2, 16 and 420
//                       bytes) and PumpNetWorkMessages as the round loop sends, until
//                       the other end's GetNetWorkDataLength shows 440 bytes and
//                       ReceiveMatchMessage has read them
//   BM_FourSegments     the same with a pump after each of the four sends, so each
//                       leaves as its own segment (how the four sends travelled before
//                       the library sent a frame's sends together)
// Both ends live in this process and run on this thread, so the numbers are the
// stacks' own costs, not the scheduler's hand-offs between processes. Each reports the
// send-to-receive time's p50, p99 and worst case in microseconds, the cases of 40 ms
// or more (a Nagle or delayed-acknowledgement stall would show there), and p50 and p99
// against the bare socket's. The "/1" runs repeat all three with two busy processes.
//   BM_WireOfAMatch     a match's traffic: one message every 1/60 s for 3 s from the
//                       library to a plain socket, and what that receiver saw
//                       (TCP_INFO): payload with prefixes, data segments, acks, and the
//                       IPv4 + TCP header bytes (52 a segment with timestamps), doubled
//                       for the two directions of a match.
//   build with -DVORLANE_BENCH=ON, then: ./bench/bench_match_net
#include <benchmark/benchmark.h>
#include <linux/tcp.h>
#include <netinet/in.h>
#include <signal.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "match/match_protocol.h"
#include "match/match_state.h"
#include "pavex.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kMessage = kMatchMessageBytes;
constexpr int kMessages = 20000;
constexpr uint32_t kLoopback = 0x0100007F;
constexpr int kPort = 10131;

struct Baseline {
    double p50 = 0, p99 = 0;
} g_bare[2];  // idle, loaded

sockaddr_in Loopback(int port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<uint16_t>(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return a;
}

int PlainListen(int port) {
    int fd = socket(AF_INET, SOCK_STREAM, 0), one = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in a = Loopback(port);
    if (bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || listen(fd, 1) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

void NoDelay(int fd) {
    int one = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
}

bool PlainReceive(int fd, uint8_t* buffer) {
    for (int have = 0; have < kMessage;) {
        ssize_t n = recv(fd, buffer + have, size_t(kMessage - have), MSG_DONTWAIT);
        if (n == 0) return false;
        if (n > 0) have += int(n);
    }
    return true;
}

// Busy processes standing for the rest of a desktop (a browser, a compiler).
std::vector<pid_t> StartLoad(bool loaded) {
    std::vector<pid_t> burners;
    for (int i = 0; loaded && i < 2; ++i) {
        pid_t pid = fork();
        if (pid == 0)
            for (;;) benchmark::DoNotOptimize(burners);
        burners.push_back(pid);
    }
    return burners;
}

void StopProcesses(const std::vector<pid_t>& pids) {
    for (pid_t pid : pids) kill(pid, SIGKILL);
    for (pid_t pid : pids) waitpid(pid, nullptr, 0);
}

void Report(benchmark::State& state, std::vector<double>& us, const Baseline* bare) {
    std::sort(us.begin(), us.end());
    const double p50 = us[us.size() / 2], p99 = us[us.size() * 99 / 100];
    state.counters["p50_us"] = p50;
    state.counters["p99_us"] = p99;
    state.counters["max_us"] = us.back();
    state.counters["stalls_40ms"] =
        double(us.end() - std::lower_bound(us.begin(), us.end(), 40000.0));
    if (bare && bare->p99 > 0) {
        state.counters["p50_vs_bare"] = p50 / bare->p50;
        state.counters["p99_vs_bare"] = p99 / bare->p99;
    }
}

void BM_BareOneWay(benchmark::State& state) {
    const bool loaded = state.range(0) != 0;
    int listener = PlainListen(kPort);
    int client = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in at = Loopback(kPort);
    const bool ok =
        listener >= 0 && connect(client, reinterpret_cast<sockaddr*>(&at), sizeof at) == 0;
    int server = ok ? accept(listener, nullptr, nullptr) : -1;
    close(listener);
    if (server < 0) {
        state.SkipWithError("no loopback connection");
        return;
    }
    NoDelay(client);
    NoDelay(server);
    std::vector<pid_t> burners = StartLoad(loaded);
    std::vector<uint8_t> message(kMessage, 7), back(kMessage);
    std::vector<double> us;
    us.reserve(kMessages);
    for (auto _ : state) {
        for (int i = 0; i < kMessages; ++i) {
            const int from = i % 2 ? server : client, to = i % 2 ? client : server;
            Clock::time_point t0 = Clock::now();
            send(from, message.data(), kMessage, MSG_NOSIGNAL);
            if (!PlainReceive(to, back.data())) break;
            us.push_back(std::chrono::duration<double, std::micro>(Clock::now() - t0).count());
        }
    }
    StopProcesses(burners);
    close(client);
    close(server);
    Report(state, us, nullptr);
    g_bare[loaded] = {us[us.size() / 2], us[us.size() * 99 / 100]};
}

void Library(benchmark::State& state, bool segmentEach) {
    const bool loaded = state.range(0) != 0;
    int ends[2] = {-1, -1};
    if (BeginNetWorkListen(kPort + 1) == 0) {
        ends[0] = OpenNetWorkConnection(kLoopback, kPort + 1);
        for (auto start = Clock::now();
             ends[1] == -1 && Clock::now() - start < std::chrono::seconds(5);)
            ends[1] = TakeAcceptedNetWork();
        EndNetWorkListen();
    }
    if (ends[0] == -1 || ends[1] == -1) {
        state.SkipWithError("no loopback connection");
        return;
    }
    std::vector<pid_t> burners = StartLoad(loaded);
    match.netMode = 1;
    std::vector<double> us, available;
    us.reserve(kMessages);
    available.reserve(kMessages);
    static const int kSizes[4] = {2, 2, 16, 420};
    static uint8_t raw[kMessage];
    for (auto _ : state) {
        for (int i = 0; i < kMessages; ++i) {
            const int from = ends[i % 2], to = ends[1 - i % 2];
            match.outgoingAttack = uint16_t(i & 3);
            match.well[20][1 + i % 10] = i % 9;
            Clock::time_point t0 = Clock::now();
            netHandle = from;
            if (segmentEach) {
                for (int k = 0, offset = 0; k < 4; offset += kSizes[k++]) {
                    NetWorkSend(from, raw + offset, kSizes[k]);
                    PumpNetWorkMessages(0);
                }
            } else {
                SendMatchMessage();
                PumpNetWorkMessages(0);
            }
            netHandle = to;
            int waiting = 0;
            while ((waiting = GetNetWorkDataLength(to)) >= 0 && waiting < kMessage) {
            }
            Clock::time_point there = Clock::now();
            if (waiting < 0 || ReceiveMatchMessage() != 1) break;
            us.push_back(std::chrono::duration<double, std::micro>(Clock::now() - t0).count());
            available.push_back(std::chrono::duration<double, std::micro>(there - t0).count());
        }
    }
    StopProcesses(burners);
    CloseNetWorkHandle(ends[0]);
    CloseNetWorkHandle(ends[1]);
    netHandle = -1;
    if (us.size() < size_t(kMessages)) {
        state.SkipWithError("a message did not arrive");
        return;
    }
    Report(state, us, &g_bare[loaded]);
    // Until the message is there for the frame to read (GetNetWorkDataLength >= 440),
    // without the reading itself.
    std::sort(available.begin(), available.end());
    state.counters["avail_p50_us"] = available[available.size() / 2];
    state.counters["avail_p99_us"] = available[available.size() * 99 / 100];
    state.counters["avail_p99_vs_bare"] =
        available[available.size() * 99 / 100] / g_bare[loaded].p99;
}

void BM_MatchMessage(benchmark::State& state) {
    Library(state, false);
}

void BM_FourSegments(benchmark::State& state) {
    Library(state, true);
}

void BM_WireOfAMatch(benchmark::State& state) {
    constexpr int kSeconds = 3, kRate = 60;
    int listener = PlainListen(kPort + 2);
    netHandle = OpenNetWorkConnection(kLoopback, kPort + 2);
    int peer = listener >= 0 ? accept(listener, nullptr, nullptr) : -1;
    close(listener);
    if (netHandle == -1 || peer < 0) {
        state.SkipWithError("no loopback connection");
        return;
    }
    std::vector<uint8_t> sink(1 << 16);
    tcp_info before{}, after{};
    socklen_t size = sizeof before;
    getsockopt(peer, IPPROTO_TCP, TCP_INFO, &before, &size);
    for (auto _ : state) {
        Clock::time_point start = Clock::now();
        for (int i = 0; i < kSeconds * kRate; ++i) {
            std::this_thread::sleep_until(start + std::chrono::microseconds(i * 1000000 / kRate));
            SendMatchMessage();
            PumpNetWorkMessages(0);
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
    const double segments = after.tcpi_segs_in - before.tcpi_segs_in;
    const double acks = after.tcpi_segs_out - before.tcpi_segs_out;
    state.counters["payload_B_per_s_one_way"] = payload / seconds;
    state.counters["segments_per_s_one_way"] = segments / seconds;
    state.counters["acks_per_s_one_way"] = acks / seconds;
    // Both sides send: each direction's data segments carry the other's acknowledgements
    // when they meet, so a match costs at most twice one direction with its acks.
    state.counters["wire_B_per_s_match"] = 2 * (payload + 52 * (segments + acks)) / seconds;
    CloseNetWorkHandle(netHandle);
    netHandle = -1;
    close(peer);
}

BENCHMARK(BM_BareOneWay)->Arg(0)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MatchMessage)->Arg(0)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FourSegments)->Arg(0)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BareOneWay)->Arg(1)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MatchMessage)->Arg(1)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FourSegments)->Arg(1)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WireOfAMatch)->Iterations(1)->Unit(benchmark::kMillisecond);

bool StartLayer() {
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    ChangeWindowMode(1);
    SetAllowDoubleStart(1);
    if (InitMediaLayer() != 0) return false;
    SetRunWhileInactive(1);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (!StartLayer()) return 1;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    EndMediaLayer();
    return 0;
}
