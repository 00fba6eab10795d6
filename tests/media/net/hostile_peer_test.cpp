// hostile_peer_test.cpp - peers that break the rules: oversized frames, a peer
// that stops reading, one that resets, one whose window stays shut, one that
// vanishes without a FIN, and more peers than the table has slots. Real sockets
// on 127.0.0.1.
#include <sched.h>
#include <sys/resource.h>

#include "media/net/net_ring.h"
#include "tests/media/net/net_fixture.h"

namespace {

TEST_F(NetTest, OversizedFramesPeersThatStopReadingAndPeersThatResetAreHandledWithoutHarm) {
    auto [h, peer] = AcceptRawPeer();
    const size_t before = TrackedTotalSize();
    ASSERT_TRUE(raw::Send(peer, {0x01, 0x00, 0x10, 0x00, 0xAA, 0xBB}));  // 1 MiB + 1
    ASSERT_TRUE(PumpUntil([h = h] { return GetNetWorkDataLength(h) == -1; }));
    EXPECT_LT(TrackedTotalSize(), before + 4096);
    EXPECT_TRUE(Logged("リングバッファのリサイズに失敗しました(データサイズ 1048577 byte)"));
    ProcessMessage();  // closes it; its loss is still reported, once
    EXPECT_TRUE(raw::AtEnd(peer));
    EXPECT_EQ(TakeLostNetWork(), h);
    EXPECT_EQ(TakeLostNetWork(), -1);

    auto [whole, sender] = AcceptRawPeer();
    const Bytes mib = Pattern(1 << 20, 7), wire = raw::Frame(mib);
    std::thread sending([&, fd = sender] { raw::Send(fd, wire); });  // more than the kernel holds
    EXPECT_EQ(Receive(whole, 1 << 20), mib) << "exactly 1 MiB is a frame like any other";
    sending.join();

    // A peer that stops reading is cut; one that resets raises no SIGPIPE.
    auto [stalled, idle] = ConnectToRawPeer();
    const Bytes chunk = Pattern(256 << 10, 8);
    const size_t start = TrackedTotalSize();
    size_t peak = 0;
    int result = 0;
    for (int i = 0; i < 200 && result == 0; ++i) {
        result = NetWorkSend(stalled, chunk.data(), 256 << 10);
        peak = std::max(peak, TrackedTotalSize() - start);
    }
    EXPECT_EQ(result, -1);
    EXPECT_TRUE(Logged("相手が受信しないため送信データが上限を超えました"));
    EXPECT_LE(peak, size_t(kNetRingCapBytes) + 4096) << "the send ring passed its cap";
    EXPECT_EQ(TakeLostNetWork(), stalled);
    EXPECT_TRUE(raw::AtEnd(idle)) << "the peer is told: the stream ends";

    // The close still flushes what waits, into a reset connection: a SIGPIPE
    // would end this test process.
    auto [reset, resetter] = ConnectToRawPeer();
    ASSERT_GE(FillSendRing(reset).size(), 512u << 10);
    linger now = {1, 0};
    setsockopt(resetter, SOL_SOCKET, SO_LINGER, &now, sizeof now);
    Drop(resetter);
    EXPECT_EQ(CloseNetWorkHandle(reset), 0);
}

// In a network namespace of its own the test can pull the loopback "cable":
// packets vanish without a FIN or a reset, as when the peer's machine goes off.
// Keep-alive (the silent connection) and the user time-out (the one with data
// waiting) report both in about 4 s; the 10 s guard only keeps a failure from
// hanging.
TEST_F(NetTest, PeersThatVanishWithoutAFinAreReportedLostWithinSeconds) {
    if (unshare(CLONE_NEWNET) != 0 || system("ip link set lo up") != 0) GTEST_SKIP();
    auto [idle, idlePeer] = AcceptRawPeer();  // the host's end-of-match wait
    auto [busy, busyPeer] = AcceptRawPeer();  // a round going on
    ASSERT_TRUE(idle != -1 && busy != -1 && system("ip link set lo down") == 0);
    const Bytes message = Pattern(440, 10);
    int step = 0, lost = 0;
    EXPECT_TRUE(PumpUntil(
        [&, idle = idle, busy = busy] {
            if (step++ % 64 == 0) NetWorkSend(busy, message.data(), 440);  // about 60 a second
            for (int h; (h = TakeLostNetWork()) != -1;) lost += h == idle || h == busy;
            return lost == 2;
        },
        10000));
    EXPECT_EQ(system("ip link set lo up"), 0);  // the later tests of this process need it
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
    // Slots are taken lowest first and reported newest first: the last one
    // accepted sits in slot 4095; the refused connection is nowhere.
    const int newest = TakeAcceptedNetWork();
    EXPECT_EQ(newest & 0xFFFF, 4095);
    ASSERT_EQ(CloseNetWorkHandle(newest), 0);
    int late = -1;
    EXPECT_TRUE(PumpUntil([&] { return (late = TakeAcceptedNetWork()) != -1; }));
    EXPECT_EQ(late & 0xFFFF, 4095) << "the waiting connection takes the freed slot";
}

}  // namespace
