// hostile_peer_test.cpp - peers that break the rules: oversized frames, a peer that
// stops reading, one that resets, one whose window stays shut, one that vanishes
// without a FIN, and more peers than the table has slots. Real sockets on 127.0.0.1.
#include <net/if.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/resource.h>

#include <set>

#include "media/core/tracked_alloc.h"
#include "media/net/net_ring.h"
#include "tests/media/net/net_fixture.h"

namespace {

using Clock = std::chrono::steady_clock;

// Real seconds since `start`: only ever compared against generous upper bounds.
double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

TEST_F(NetTest, ALengthPrefixAbove1MiBPutsTheConnectionInErrorWithoutAllocating) {
    auto [h, peer] = AcceptRawPeer();
    ASSERT_NE(h, -1);
    const size_t before = TrackedTotalSize();
    ASSERT_TRUE(raw::Send(peer, {0x01, 0x00, 0x10, 0x00, 0xAA, 0xBB}));  // 1 MiB + 1
    ASSERT_TRUE(PumpUntil([&] { return GetNetWorkDataLength(h) == -1; }));
    EXPECT_LT(TrackedTotalSize(), before + 4096);
    EXPECT_TRUE(Logged(
        "受信データを保存するリングバッファのリサイズに失敗しました(データサイズ 1048577 byte)"));
    EXPECT_TRUE(
        Logged("このネットワークハンドルにはエラーが発生しています in GetNetWorkDataLength"));
    Bytes b(1);
    EXPECT_EQ(NetWorkRecv(h, b.data(), 1), -1);
    // The next pump closes it; its loss is still reported once.
    ProcessMessage();
    EXPECT_TRUE(raw::AtEnd(peer));
    EXPECT_EQ(TakeLostNetWork(), h);
    EXPECT_EQ(TakeLostNetWork(), -1);

    auto [whole, sender] = AcceptRawPeer();
    ASSERT_NE(whole, -1);
    const Bytes mib = Pattern(1 << 20, 7);
    ASSERT_TRUE(SendPumping(sender, raw::Frame(mib)));
    ASSERT_TRUE(WaitForData(whole, 1 << 20));
    EXPECT_EQ(Receive(whole, 1 << 20), mib) << "exactly 1 MiB is a frame like any other";
}

TEST_F(NetTest, APeerThatStopsReadingIsCutAndReportedLostWithoutBlockingTheSender) {
    auto [h, peer] = ConnectToRawPeer();
    ASSERT_NE(h, -1);
    const Bytes chunk = Pattern(256 << 10, 8);
    const size_t before = TrackedTotalSize();
    size_t peak = 0;
    int result = 0;
    for (int i = 0; i < 200 && result == 0; ++i) {
        result = NetWorkSend(h, chunk.data(), 256 << 10);
        peak = std::max(peak, TrackedTotalSize() - before);
    }
    EXPECT_EQ(result, -1);
    EXPECT_TRUE(Logged("相手が受信しないため送信データが上限を超えました"));
    EXPECT_LE(peak, size_t(kNetRingCapBytes) + 4096) << "the send ring passed its cap";
    EXPECT_EQ(TakeLostNetWork(), h);
    EXPECT_EQ(NetWorkSend(h, chunk.data(), 1), -1);
    EXPECT_TRUE(raw::AtEnd(peer)) << "the peer is told: the stream ends";
}

TEST_F(NetTest, WritingToAPeerThatResetNeverRaisesSigpipe) {
    auto [h, peer] = ConnectToRawPeer();
    ASSERT_NE(h, -1);
    const size_t before = TrackedTotalSize();
    const Bytes chunk = Pattern(64 << 10, 9);
    for (int i = 0; i < 200 && TrackedTotalSize() < before + (512 << 10); ++i)
        ASSERT_EQ(NetWorkSend(h, chunk.data(), 64 << 10), 0);
    ASSERT_GE(TrackedTotalSize(), before + (512 << 10)) << "no data waits in the send ring";
    linger reset = {1, 0};
    setsockopt(peer, SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
    Drop(peer);
    // The close still tries to flush what waits, now into a reset connection; a
    // SIGPIPE would end this test process.
    EXPECT_EQ(CloseNetWorkHandle(h), 0);
}

// Sends one 440-byte message per ~16 ms (the game's rate) on `sending` until both
// handles are reported lost or `guardSeconds` pass. The seconds it took.
double PumpAtGameRateUntilLost(std::set<int> handles, int sending, double guardSeconds) {
    const Bytes message = Pattern(440, 10);
    const Clock::time_point start = Clock::now();
    Clock::time_point lastSend;
    while (!handles.empty() && SecondsSince(start) < guardSeconds) {
        if (Clock::now() - lastSend > std::chrono::milliseconds(16)) {
            NetWorkSend(sending, message.data(), 440);
            lastSend = Clock::now();
        }
        ProcessMessage();
        handles.erase(TakeLostNetWork());
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return handles.empty() ? SecondsSince(start) : 1e9;
}

// Like a peer process stopped with SIGSTOP: its kernel still acknowledges, but its
// window is shut and stays shut.
TEST_F(NetTest, APeerWhoseWindowStaysShutIsReportedLostWithinFiveSeconds) {
    auto [h, peer] = AcceptRawPeer(2048);
    ASSERT_NE(h, -1);
    double seconds = PumpAtGameRateUntilLost({h}, h, 15);
    EXPECT_LT(seconds, 5 + 2) << "(2 s of slack for a loaded machine)";
    std::printf("stalled peer reported lost after %.2f s\n", seconds);
}

bool SetLoopbackUp(bool up) {
    int fd = socket(AF_INET, SOCK_DGRAM, 0);
    ifreq request{};
    std::strncpy(request.ifr_name, "lo", IFNAMSIZ - 1);
    bool ok = ioctl(fd, SIOCGIFFLAGS, &request) == 0;
    request.ifr_flags =
        static_cast<short>(up ? request.ifr_flags | IFF_UP : request.ifr_flags & ~IFF_UP);
    ok = ok && ioctl(fd, SIOCSIFFLAGS, &request) == 0;
    close(fd);
    return ok;
}

// In a network namespace of its own the test can pull the loopback "cable": packets
// vanish without a FIN or a reset, as when the peer's machine goes off.
TEST_F(NetTest, APeerThatVanishesWithoutAFinIsReportedLostWithinFiveSeconds) {
    if (unshare(CLONE_NEWNET) != 0 || !SetLoopbackUp(true))
        GTEST_SKIP() << "no network namespace here (needs CAP_SYS_ADMIN)";
    auto [idle, idlePeer] = AcceptRawPeer();     // the host's end-of-match wait: silent
    auto [busy, busyPeer] = ConnectToRawPeer();  // a round in progress: sending
    ASSERT_NE(idle, -1);
    ASSERT_NE(busy, -1);
    ASSERT_TRUE(SetLoopbackUp(false));
    double seconds = PumpAtGameRateUntilLost({idle, busy}, busy, 15);
    SetLoopbackUp(true);
    EXPECT_LT(seconds, 5 + 2) << "(2 s of slack for a loaded machine)";
    std::printf("vanished peers reported lost after %.2f s\n", seconds);
}

TEST_F(NetTest, WithAll4096SlotsTakenAnIncomingConnectionWaitsUnacceptedUntilOneFrees) {
    rlimit files{};
    getrlimit(RLIMIT_NOFILE, &files);
    files.rlim_cur = std::min<rlim_t>(files.rlim_max, 8400);
    setrlimit(RLIMIT_NOFILE, &files);
    if (files.rlim_cur < 8400) GTEST_SKIP() << "needs 8400 open files";
    const int port = raw::FreePort();
    ASSERT_EQ(BeginNetWorkListen(port), 0);
    for (int i = 0; i < 4096; ++i) {  // the listener's queue holds 5
        ASSERT_GE(Keep(raw::Connect(port)), 0);
        if (i % 4 == 3) PumpNetWorkMessages(0);
    }
    Keep(raw::Connect(port));
    EXPECT_TRUE(PumpUntil(
        [&] { return Logged("空きソケットデータがなかったので accept を拒否しました"); }));
    EXPECT_EQ(OpenNetWorkConnection(kLoopback, port), -1);
    EXPECT_TRUE(Logged("ソケットに空きがありません"));

    // Slots are taken lowest first and reported newest first: the last one accepted
    // sits in slot 4095; the refused connection is nowhere.
    const int newest = TakeAcceptedNetWork();
    EXPECT_EQ(newest & 0xFFFF, 4095);
    ASSERT_EQ(CloseNetWorkHandle(newest - 4095 + 17), -1) << "a made-up handle";
    ASSERT_EQ(CloseNetWorkHandle(newest), 0);
    int late = -1;
    EXPECT_TRUE(PumpUntil([&] { return (late = TakeAcceptedNetWork()) != -1; }));
    EXPECT_EQ(late & 0xFFFF, 4095) << "the waiting connection takes the freed slot";
}

}  // namespace
