// connection_test.cpp - connections on 127.0.0.1 with real sockets: the default port,
// the frames on the wire, all-or-nothing receives, reassembly, accept and loss
// reporting, the listener, the failure lines and the shutdown.
#include <linux/tcp.h>

#include "tests/media/net/net_fixture.h"

namespace {

TEST_F(NetTest, PortMinusOneIs10001AndASecondConnectReturnsTheSameHandle) {
    int listener = Keep(raw::Listen(10001));
    ASSERT_GE(listener, 0) << "port 10001 is taken on this machine";
    int h = OpenNetWorkConnection(kLoopback, -1);
    ASSERT_EQ(h & 0x78000000, 0x48000000);
    EXPECT_TRUE(Logged("ネットワーク関連を初期化します") && Logged("初期化を完了しました "));
    Keep(raw::Accept(listener));
    EXPECT_EQ(OpenNetWorkConnection(kLoopback, 10001), h);
    EXPECT_FALSE(raw::Ready(listener, 50)) << "the second connect made a new connection";
    Drop(listener);

    ASSERT_EQ(BeginNetWorkListen(-1), 0);
    ASSERT_GE(Keep(raw::Connect(10001)), 0);
    int accepted = -1;
    EXPECT_TRUE(PumpUntil([&] { return (accepted = TakeAcceptedNetWork()) != -1; }));
    EXPECT_NE(accepted, h);
    EXPECT_EQ(TakeAcceptedNetWork(), -1) << "reported once";
}

TEST_F(NetTest, SendsBeforeAPumpAreOneFrameEachInOneSegmentAndReceivesAreAllOrNothing) {
    auto [h, peer] = ConnectToRawPeer();
    ASSERT_NE(h, -1);
    const Bytes two = Pattern(2, 1), body = Pattern(420, 2);
    tcp_info before{}, after{};
    socklen_t size = sizeof before;
    getsockopt(peer, IPPROTO_TCP, TCP_INFO, &before, &size);
    ASSERT_EQ(NetWorkSend(h, two.data(), 2), 0);
    ASSERT_EQ(NetWorkSend(h, body.data(), 420), 0);
    EXPECT_FALSE(raw::Ready(peer, 50)) << "the sends of a frame wait for the pump";
    ASSERT_EQ(PumpNetWorkMessages(0), 0);
    Bytes wire = raw::Frame(two), second = raw::Frame(body);
    wire.insert(wire.end(), second.begin(), second.end());
    EXPECT_EQ(raw::Recv(peer, 430), wire);
    getsockopt(peer, IPPROTO_TCP, TCP_INFO, &after, &size);
    EXPECT_EQ(after.tcpi_data_segs_in - before.tcpi_data_segs_in, 1u)
        << "frames queued before a pump must leave together";

    // Back the other way, the second frame cut after 10 of its bytes: those count.
    ASSERT_TRUE(raw::Send(peer, Bytes(wire.begin(), wire.begin() + 20)));
    ASSERT_TRUE(WaitForData(h, 12));
    Bytes buffer(16, 0xEE);
    EXPECT_EQ(NetWorkRecv(h, buffer.data(), 16), -1);
    EXPECT_EQ(buffer, Bytes(16, 0xEE)) << "nothing is taken from a short ring";
    EXPECT_EQ(NetWorkRecvToPeek(h, buffer.data(), 2), 0);
    EXPECT_EQ(GetNetWorkDataLength(h), 12);
    EXPECT_EQ(Receive(h, 2), two);
    ASSERT_TRUE(raw::Send(peer, Bytes(wire.begin() + 20, wire.end())));
    ASSERT_TRUE(WaitForData(h, 420));
    EXPECT_EQ(GetNetWorkDataLength(h), 420);
    EXPECT_EQ(Receive(h, 420), body);
    EXPECT_EQ(NetWorkRecv(h, buffer.data(), -1), -1);
    EXPECT_EQ(NetWorkRecv(h, buffer.data(), 0), 0);
}

TEST_F(NetTest, AFrameCutIntoManySegmentsAndManyFramesInOneAreReassembled) {
    auto [h, peer] = AcceptRawPeer();
    ASSERT_NE(h, -1);
    int one = 1;
    setsockopt(peer, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    const Bytes big = Pattern(1000, 4), wire = raw::Frame(big);
    for (uint8_t byte : wire) ASSERT_TRUE(raw::Send(peer, {byte}));  // a segment each
    ASSERT_TRUE(WaitForData(h, 1000));
    EXPECT_EQ(Receive(h, 1000), big);

    Bytes packed, stream;
    for (int i = 0; i < 60; ++i) {
        Bytes payload = Pattern(size_t(i % 7 == 0 ? 0 : i * 13), i), f = raw::Frame(payload);
        packed.insert(packed.end(), f.begin(), f.end());
        stream.insert(stream.end(), payload.begin(), payload.end());
    }
    ASSERT_TRUE(raw::Send(peer, packed));
    ASSERT_TRUE(WaitForData(h, int(stream.size())));
    EXPECT_EQ(GetNetWorkDataLength(h), int(stream.size()));
    EXPECT_EQ(Receive(h, int(stream.size())), stream);
}

TEST_F(NetTest, APeerThatClosesMidFrameIsReportedLostOnceAndClosedByTheNextPump) {
    auto [h, peer] = AcceptRawPeer();
    ASSERT_NE(h, -1);
    Bytes half = raw::Frame(Pattern(420, 5));
    half.resize(4 + 100);
    ASSERT_TRUE(raw::Send(peer, half));
    Drop(peer);
    int lost = -1;
    ASSERT_TRUE(PumpUntil([&] { return (lost = TakeLostNetWork()) != -1; }));
    EXPECT_EQ(lost, h);
    EXPECT_EQ(TakeLostNetWork(), -1);
    // Until the next pump the handle lives: what came is readable, sending is over.
    EXPECT_EQ(GetNetWorkDataLength(h), 100);
    Bytes buffer(420);
    EXPECT_EQ(NetWorkSend(h, buffer.data(), 4), -1);
    EXPECT_EQ(GetNetWorkAcceptState(h), 0);
    ProcessMessage();
    EXPECT_EQ(GetNetWorkDataLength(h), -1);
    EXPECT_EQ(NetWorkRecv(h, buffer.data(), 1), -1);
    EXPECT_EQ(CloseNetWorkHandle(h), -1);
    EXPECT_EQ(TakeLostNetWork(), -1);
    EXPECT_FALSE(Logged("有効なネットワークハンドルではありません")) << "stale handles are silent";
}

TEST_F(NetTest, OneListenerAtATimeAndAcceptedConnectionsNewestFirstOnceEach) {
    const int port = raw::FreePort();
    EXPECT_EQ(EndNetWorkListen(), -1);
    ASSERT_EQ(BeginNetWorkListen(port), 0);
    EXPECT_EQ(BeginNetWorkListen(raw::FreePort()), -1);
    int peers[3];
    for (int& p : peers) p = Keep(raw::Connect(port));
    std::vector<int> taken;  // all three come in one pump, in the order they connected
    PumpUntil([&] {
        for (int h; (h = TakeAcceptedNetWork()) != -1;) taken.push_back(h);
        return taken.size() == 3;
    });
    ASSERT_EQ(taken.size(), 3u);
    EXPECT_EQ(EndNetWorkListen(), 0);
    EXPECT_EQ(raw::Connect(port), -1) << "the listener is gone";
    for (int i = 0; i < 3; ++i) {  // accepted connections stay open, newest first
        ASSERT_TRUE(raw::Send(peers[i], raw::Frame({uint8_t(i)})));
        ASSERT_TRUE(WaitForData(taken[size_t(2 - i)], 1));
        EXPECT_EQ(GetNetWorkAcceptState(taken[size_t(2 - i)]), 1);
    }
    EXPECT_EQ(BeginNetWorkListen(raw::PortOf(Keep(raw::Listen(raw::FreePort())))), -1);
    EXPECT_TRUE(Logged("bind出来ません"));
}

TEST_F(NetTest, AFailedConnectLogsThePeerAndATimeOutWaitsTwoSecondsOfTheClock) {
    const int port = raw::FreePort();
    EXPECT_EQ(OpenNetWorkConnection(kLoopback, port), -1);
    EXPECT_TRUE(Logged("127.0.0.1 への接続に失敗しました。"));
    EXPECT_EQ(OpenNetWorkConnection(0x0302010A, 70000), -1);
    EXPECT_TRUE(Logged("10.1.2.3 への接続に失敗しました。"));

    // A listener whose queue is full drops new handshakes.
    Keep(raw::Listen(port, 0));
    ASSERT_GE(Keep(raw::Connect(port)), 0);
    const uint32_t before = script::NowMs();
    EXPECT_EQ(OpenNetWorkConnection(kLoopback, port), -1);
    EXPECT_GE(script::NowMs() - before, 2000u);
    EXPECT_LT(script::NowMs() - before, 2100u);
}

TEST_F(NetTest, HostNamesAndIPv6LiteralsConnectToo) {
    const int port = raw::FreePort();
    ASSERT_EQ(BeginNetWorkListen(port), 0);
    int h = OpenNetWorkConnectionByName("localhost", port);
    ASSERT_NE(h, -1);
    EXPECT_EQ(OpenNetWorkConnection(kLoopback, port), h);
    if (Keep(socket(AF_INET6, SOCK_STREAM, 0)) >= 0) {
        int v6 = OpenNetWorkConnectionByName("::1", port);
        EXPECT_NE(v6, -1);
        EXPECT_NE(v6, h);
    }
}

TEST_F(NetTest, CallsBeforeTheFirstUseFailAndShutdownFlushesClosesAndFreesEverything) {
    EXPECT_EQ(GetNetWorkDataLength(0x48000000), -1);
    EXPECT_EQ(TakeLostNetWork(), -1);
    EXPECT_EQ(PumpNetWorkMessages(0), -1);
    EXPECT_FALSE(Logged("ネットワーク関連を初期化します"));

    auto [h, peer] = AcceptRawPeer();
    ASSERT_NE(h, -1);
    ASSERT_EQ(BeginNetWorkListen(raw::FreePort()), 0);
    const Bytes sent = FillSendRing(h);  // still waiting when the layer ends
    ASSERT_GE(sent.size(), 512u << 10);
    Bytes wire;
    std::thread reader([&, fd = peer] { wire = raw::Recv(fd, sent.size() * 2); });
    EndMediaLayer();
    reader.join();
    EXPECT_EQ(raw::Unframe(wire), sent) << "pending sends leave before the socket closes";
    const int start = Logged("ネットワーク関連の終了処理を行います ");
    EXPECT_TRUE(start);
    EXPECT_GT(Logged("ネットワーク関連の終了処理は完了しました"), start);
    EXPECT_EQ(TrackedTotalSize(), 0u);
    EXPECT_EQ(OpenNetWorkConnection(kLoopback, 10001), -1) << "no network without the layer";
}

}  // namespace
