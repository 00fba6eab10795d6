// hostile_peer_test.cpp - peers that break the rules: oversized frames, a peer that
// stops reading, one that resets, one whose window stays shut, one that vanishes
// without a FIN, and more peers than the table has slots. Real sockets on 127.0.0.1.
#include <net/if.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/resource.h>

#include <set>

#include "media/net/net_ring.h"
#include "tests/media/net/net_fixture.h"

namespace {

TEST_F(NetTest, ALengthPrefixAbove1MiBPutsTheConnectionInErrorWithoutAllocating) {
    auto [h, peer] = AcceptRawPeer();
    ASSERT_NE(h, -1);
    const size_t before = TrackedTotalSize();
    ASSERT_TRUE(raw::Send(peer, {0x01, 0x00, 0x10, 0x00, 0xAA, 0xBB}));  // 1 MiB + 1
    ASSERT_TRUE(PumpUntil([h = h] { return GetNetWorkDataLength(h) == -1; }));
    EXPECT_LT(TrackedTotalSize(), before + 4096);
    EXPECT_TRUE(Logged("リングバッファのリサイズに失敗しました(データサイズ 1048577 byte)"));
    EXPECT_TRUE(
        Logged("このネットワークハンドルにはエラーが発生しています in GetNetWorkDataLength"));
    ProcessMessage();  // closes it; its loss is still reported, once
    EXPECT_TRUE(raw::AtEnd(peer));
    EXPECT_EQ(TakeLostNetWork(), h);
    EXPECT_EQ(TakeLostNetWork(), -1);

    auto [whole, sender] = AcceptRawPeer();
    const Bytes mib = Pattern(1 << 20, 7), wire = raw::Frame(mib);
    size_t sent = 0;  // more than the kernel holds: the library reads meanwhile
    ASSERT_TRUE(PumpUntil([&, fd = sender] {
        sent +=
            size_t(std::max<ssize_t>(0, send(fd, &wire[sent], wire.size() - sent, MSG_DONTWAIT)));
        return sent == wire.size();
    }));
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
    ASSERT_GE(FillSendRing(h).size(), 512u << 10);
    linger reset = {1, 0};
    setsockopt(peer, SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
    Drop(peer);
    // The close still flushes what waits, into a reset connection: a SIGPIPE would
    // end this test process.
    EXPECT_EQ(CloseNetWorkHandle(h), 0);
}

// Sends a 440-byte message every 16 ms (the game's rate) on `sending` and pumps until
// all `handles` were reported lost: the real seconds it took (only ever compared with
// generous upper bounds), or 99 after 15 s.
double SecondsUntilLost(std::set<int> handles, int sending) {
    const Bytes message = Pattern(440, 10);
    const auto start = std::chrono::steady_clock::now();
    double seconds = 0;
    for (int step = 0; !handles.empty() && seconds < 15; ++step) {
        if (step % 16 == 0) NetWorkSend(sending, message.data(), 440);
        ProcessMessage();
        handles.erase(TakeLostNetWork());
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    std::printf("reported lost after %.2f s\n", seconds);
    return handles.empty() ? seconds : 99;
}

bool SetLoopbackUp(bool up) {
    int fd = socket(AF_INET, SOCK_DGRAM, 0);
    ifreq request{};
    memcpy(request.ifr_name, "lo", 3);
    bool ok = ioctl(fd, SIOCGIFFLAGS, &request) == 0;
    request.ifr_flags = short(up ? request.ifr_flags | IFF_UP : request.ifr_flags & ~IFF_UP);
    ok = ok && ioctl(fd, SIOCSIFFLAGS, &request) == 0;
    close(fd);
    return ok;
}

// In a network namespace of its own the test can pull the loopback "cable": packets
// vanish without a FIN or a reset, as when the peer's machine goes off. Without one,
// the peer is like a process stopped with SIGSTOP: its kernel still answers, but its
// window is shut and stays shut.
TEST_F(NetTest, APeerThatVanishesWithoutAFinIsReportedLostWithinFiveSeconds) {
    const bool cable = unshare(CLONE_NEWNET) == 0 && SetLoopbackUp(true);
    if (!cable) std::printf("no network namespace here: a stopped peer instead\n");
    auto [idle, idlePeer] = AcceptRawPeer();  // the host's end-of-match wait: silent
    auto [busy, busyPeer] = AcceptRawPeer(cable ? 0 : 2048);  // a round going on: sending
    ASSERT_TRUE(idle != -1 && busy != -1 && (!cable || SetLoopbackUp(false)));
    double seconds =
        SecondsUntilLost(cable ? std::set<int>{idle, busy} : std::set<int>{busy}, busy);
    if (cable) SetLoopbackUp(true);
    EXPECT_LT(seconds, 5 + 2) << "(2 s of slack for a loaded machine)";
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
    ASSERT_EQ(CloseNetWorkHandle(newest), 0);
    int late = -1;
    EXPECT_TRUE(PumpUntil([&] { return (late = TakeAcceptedNetWork()) != -1; }));
    EXPECT_EQ(late & 0xFFFF, 4095) << "the waiting connection takes the freed slot";
}

}  // namespace
