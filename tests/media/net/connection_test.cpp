// connection_test.cpp - connections on 127.0.0.1 with real sockets: the default port,
// the frames on the wire, all-or-nothing receives, reassembly, accept and loss
// reporting, the listener, the failure lines and the shutdown.
#include <linux/tcp.h>

#include "media/core/tracked_alloc.h"
#include "tests/media/net/net_fixture.h"

namespace {

TEST_F(NetTest, PortMinusOneIs10001AndASecondConnectReturnsTheSameHandle) {
    int listener = Keep(raw::Listen(10001));
    ASSERT_GE(listener, 0) << "port 10001 is taken on this machine";
    int h = OpenNetWorkConnection(kLoopback, -1);
    ASSERT_NE(h, -1);
    EXPECT_EQ(h & 0x78000000, 0x48000000);
    EXPECT_TRUE(Logged("ネットワーク関連を初期化します"));
    EXPECT_TRUE(Logged("初期化を完了しました "));
    Keep(raw::Accept(listener));
    EXPECT_EQ(OpenNetWorkConnection(kLoopback, 10001), h);
    EXPECT_FALSE(raw::Ready(listener, 50)) << "the second connect made a new connection";
    Drop(listener);

    ASSERT_EQ(BeginNetWorkListen(-1), 0);
    int peer = Keep(raw::Connect(10001));
    ASSERT_GE(peer, 0);
    int accepted = -1;
    EXPECT_TRUE(PumpUntil([&] { return (accepted = TakeAcceptedNetWork()) != -1; }));
    EXPECT_NE(accepted, h);
    EXPECT_EQ(TakeAcceptedNetWork(), -1) << "reported once";
}

TEST_F(NetTest, EachSendIsOneFrameInOneSegmentAndTheReceiverSeesOneStream) {
    auto [h, peer] = ConnectToRawPeer();
    ASSERT_NE(h, -1);
    const Bytes two = Pattern(2, 1), body = Pattern(420, 2);
    tcp_info before{}, after{};
    socklen_t size = sizeof before;
    getsockopt(peer, IPPROTO_TCP, TCP_INFO, &before, &size);
    ASSERT_EQ(NetWorkSend(h, two.data(), 2), 0);
    ASSERT_EQ(NetWorkSend(h, body.data(), 420), 0);
    Bytes wire = raw::Recv(peer, 430);
    Bytes expected = raw::Frame(two);
    Bytes second = raw::Frame(body);
    expected.insert(expected.end(), second.begin(), second.end());
    EXPECT_EQ(wire, expected);
    getsockopt(peer, IPPROTO_TCP, TCP_INFO, &after, &size);
    EXPECT_EQ(after.tcpi_data_segs_in - before.tcpi_data_segs_in, 2u)
        << "a prefix and its payload must leave together";

    // The other way: the prefixes are stripped and the payloads join up.
    ASSERT_TRUE(raw::Send(peer, wire));
    ASSERT_TRUE(WaitForData(h, 422));
    EXPECT_EQ(GetNetWorkDataLength(h), 422);
    EXPECT_EQ(Receive(h, 2), two);
    EXPECT_EQ(Receive(h, 420), body);
    EXPECT_EQ(GetNetWorkDataLength(h), 0);
}

TEST_F(NetTest, ReceiveIsAllOrNothingAndPeekKeepsTheBytes) {
    auto [h, peer] = AcceptRawPeer();
    ASSERT_NE(h, -1);
    const Bytes data = Pattern(16, 3);
    ASSERT_TRUE(raw::Send(peer, raw::Frame(Bytes(data.begin(), data.begin() + 10))));
    ASSERT_TRUE(WaitForData(h, 10));
    Bytes buffer(16, 0xEE);
    EXPECT_EQ(NetWorkRecv(h, buffer.data(), 16), -1);
    EXPECT_EQ(buffer, Bytes(16, 0xEE)) << "nothing is copied from a short ring";
    EXPECT_EQ(GetNetWorkDataLength(h), 10);
    ASSERT_TRUE(raw::Send(peer, raw::Frame(Bytes(data.begin() + 10, data.end()))));
    ASSERT_TRUE(WaitForData(h, 16));
    EXPECT_EQ(NetWorkRecvToPeek(h, buffer.data(), 16), 0);
    EXPECT_EQ(buffer, data);
    EXPECT_EQ(GetNetWorkDataLength(h), 16);
    EXPECT_EQ(Receive(h, 16), data);
    EXPECT_EQ(NetWorkRecv(h, buffer.data(), 1), -1);
    EXPECT_EQ(NetWorkRecv(h, buffer.data(), -1), -1);
    EXPECT_EQ(NetWorkRecv(h, buffer.data(), 0), 0);
}

TEST_F(NetTest, AFrameCutIntoManySegmentsAndManyFramesInOneAreReassembled) {
    auto [h, peer] = AcceptRawPeer();
    ASSERT_NE(h, -1);
    int one = 1;
    setsockopt(peer, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    const Bytes big = Pattern(1000, 4);
    const Bytes wire = raw::Frame(big);
    // One byte a segment: the prefix itself arrives in pieces.
    for (size_t i = 0; i < 504; ++i) ASSERT_TRUE(raw::Send(peer, Bytes{wire[i]}));
    ASSERT_TRUE(WaitForData(h, 500));
    EXPECT_EQ(GetNetWorkDataLength(h), 500) << "bytes of a partly received frame count";
    ASSERT_TRUE(raw::Send(peer, Bytes(wire.begin() + 504, wire.end())));
    ASSERT_TRUE(WaitForData(h, 1000));
    EXPECT_EQ(Receive(h, 1000), big);

    Bytes packed, stream;
    for (int i = 0; i < 60; ++i) {
        Bytes payload = Pattern(static_cast<size_t>(i % 7 == 0 ? 0 : i * 13), i);
        Bytes f = raw::Frame(payload);
        packed.insert(packed.end(), f.begin(), f.end());
        stream.insert(stream.end(), payload.begin(), payload.end());
    }
    ASSERT_TRUE(raw::Send(peer, packed));
    ASSERT_TRUE(WaitForData(h, static_cast<int>(stream.size())));
    EXPECT_EQ(GetNetWorkDataLength(h), static_cast<int>(stream.size()));
    EXPECT_EQ(Receive(h, static_cast<int>(stream.size())), stream);
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
    EXPECT_EQ(NetWorkRecv(h, buffer.data(), 420), -1);
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
    int port = raw::FreePort();
    ASSERT_EQ(EndNetWorkListen(), -1);
    ASSERT_EQ(BeginNetWorkListen(port), 0);
    EXPECT_EQ(BeginNetWorkListen(port), -1);
    EXPECT_EQ(BeginNetWorkListen(raw::FreePort()), -1);
    int peers[3];
    for (int& p : peers) p = Keep(raw::Connect(port));
    int handles[3];
    std::vector<int> taken;
    PumpUntil([&] {
        int h = TakeAcceptedNetWork();
        if (h != -1) taken.push_back(h);
        return taken.size() == 3;
    });
    ASSERT_EQ(taken.size(), 3u);
    // All three were accepted in one pump here, in the order they connected.
    for (int i = 0; i < 3; ++i) handles[i] = taken[static_cast<size_t>(2 - i)];
    EXPECT_EQ(TakeAcceptedNetWork(), -1);
    EXPECT_EQ(EndNetWorkListen(), 0);
    EXPECT_EQ(EndNetWorkListen(), -1);
    EXPECT_EQ(raw::Connect(port), -1) << "the listener is gone";
    for (int i = 0; i < 3; ++i) {  // accepted connections stay open and tell peers apart
        ASSERT_TRUE(raw::Send(peers[i], raw::Frame(Bytes{uint8_t(i)})));
        ASSERT_TRUE(WaitForData(handles[i], 1));
        EXPECT_EQ(Receive(handles[i], 1), Bytes{uint8_t(i)});
        EXPECT_EQ(GetNetWorkAcceptState(handles[i]), 1);
    }

    int blocker = Keep(raw::Listen(raw::FreePort()));
    sockaddr_in a{};
    socklen_t n = sizeof a;
    getsockname(blocker, reinterpret_cast<sockaddr*>(&a), &n);
    EXPECT_EQ(BeginNetWorkListen(ntohs(a.sin_port)), -1);
    EXPECT_TRUE(Logged("bind出来ません"));
}

TEST_F(NetTest, AFailedConnectLogsThePeerAndATimeOutWaitsTwoSecondsOfTheClock) {
    int port = raw::FreePort();
    EXPECT_EQ(OpenNetWorkConnection(kLoopback, port), -1);
    EXPECT_TRUE(Logged("127.0.0.1 への接続に失敗しました。"));
    EXPECT_EQ(OpenNetWorkConnection(0x0302010A, 70000), -1);
    EXPECT_TRUE(Logged("10.1.2.3 への接続に失敗しました。"));

    // A listener whose queue is full drops new handshakes: the connect waits out its
    // time-out on the library's clock.
    Keep(raw::Listen(port, 0));
    ASSERT_GE(Keep(raw::Connect(port)), 0);
    uint32_t before = script::NowMs();
    EXPECT_EQ(OpenNetWorkConnection(kLoopback, port), -1);
    uint32_t waited = script::NowMs() - before;
    EXPECT_GE(waited, 2000u);
    EXPECT_LT(waited, 2100u);
}

TEST_F(NetTest, HostNamesAndIPv6LiteralsConnectToo) {
    int port = raw::FreePort();
    ASSERT_EQ(BeginNetWorkListen(port), 0);
    int h = OpenNetWorkConnectionByName("localhost", port);
    ASSERT_NE(h, -1);
    EXPECT_EQ(OpenNetWorkConnection(kLoopback, port), h);
    int v6 = Keep(socket(AF_INET6, SOCK_STREAM, 0));
    if (v6 >= 0 && OpenNetWorkConnectionByName("::1", port) != -1) {
        std::vector<int> taken;
        PumpUntil([&] {
            int a = TakeAcceptedNetWork();
            if (a != -1) taken.push_back(a);
            return taken.size() == 2;
        });
        EXPECT_EQ(taken.size(), 2u);
    }
}

TEST_F(NetTest, CallsBeforeTheFirstUseFailAndShutdownClosesAndFreesEverything) {
    EXPECT_EQ(GetNetWorkDataLength(0x48000000), -1);
    EXPECT_EQ(TakeAcceptedNetWork(), -1);
    EXPECT_EQ(TakeLostNetWork(), -1);
    EXPECT_EQ(PumpNetWorkMessages(0), -1);
    EXPECT_FALSE(Logged("ネットワーク関連を初期化します"));

    const size_t allocatedBefore = TrackedTotalSize();
    auto [h, peer] = AcceptRawPeer();
    ASSERT_NE(h, -1);
    ASSERT_EQ(BeginNetWorkListen(raw::FreePort()), 0);
    const Bytes data = Pattern(3000, 6);
    ASSERT_EQ(NetWorkSend(h, data.data(), 3000), 0);
    EXPECT_GT(TrackedTotalSize(), allocatedBefore);
    EndMediaLayer();
    EXPECT_EQ(raw::Recv(peer, 3004), raw::Frame(data));
    EXPECT_TRUE(raw::AtEnd(peer));
    int start = Logged("ネットワーク関連の終了処理を行います ");
    EXPECT_TRUE(start);
    EXPECT_GT(Logged("ネットワーク関連の終了処理は完了しました"), start);
    EXPECT_EQ(TrackedTotalSize(), 0u);
    EXPECT_EQ(GetNetWorkDataLength(h), -1);
    EXPECT_EQ(OpenNetWorkConnection(kLoopback, 10001), -1) << "no network without the layer";
}

}  // namespace
