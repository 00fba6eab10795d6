// connection_test.cpp - connections on 127.0.0.1 with real sockets: the default
// port, names, the listener, the frames on the wire, all-or-nothing receives,
// loss reporting, the failure lines and the shutdown.
#include <linux/tcp.h>

#include "tests/media/net/net_fixture.h"

namespace {

TEST_F(NetTest, ConnectsListensSendsFramesReceivesAllOrNothingAndReportsALostPeerOnce) {
    int listener = Keep(raw::Listen(10001));
    ASSERT_GE(listener, 0) << "port 10001 is taken on this machine";
    int h = OpenNetWorkConnection(kLoopback, -1);
    ASSERT_EQ(h & 0x78000000, 0x48000000);
    EXPECT_TRUE(Logged("ネットワーク関連を初期化します") && Logged("初期化を完了しました "));
    Keep(raw::Accept(listener));
    EXPECT_EQ(OpenNetWorkConnection(kLoopback, 10001), h);
    EXPECT_EQ(OpenNetWorkConnectionByName("localhost", 10001), h);
    EXPECT_FALSE(raw::Ready(listener, 50)) << "a second connect made a new connection";
    Drop(listener);

    EXPECT_EQ(EndNetWorkListen(), -1);
    ASSERT_EQ(BeginNetWorkListen(-1), 0);
    EXPECT_EQ(BeginNetWorkListen(raw::FreePort()), -1);
    int peers[3];
    for (int& p : peers) p = Keep(raw::Connect(10001));
    std::vector<int> taken;  // all three come in one pump, in the order they connected
    PumpUntil([&] {
        for (int t; (t = TakeAcceptedNetWork()) != -1;) taken.push_back(t);
        return taken.size() == 3;
    });
    ASSERT_EQ(taken.size(), 3u);
    EXPECT_TRUE(Keep(socket(AF_INET6, SOCK_STREAM, 0)) < 0 ||  // a host without IPv6
                OpenNetWorkConnectionByName("::1", 10001) != -1)
        << "the listener takes IPv6 peers too";
    EXPECT_EQ(EndNetWorkListen(), 0);
    ASSERT_TRUE(raw::Send(peers[0], raw::Frame({7})));  // accepted ones stay, newest first
    EXPECT_EQ(Receive(taken[2], 1), Bytes{7});
    EXPECT_EQ(GetNetWorkAcceptState(taken[2]), 1);

    // Sends before a pump leave as frames in one segment; receives are all or nothing.
    auto [conn, peer] = ConnectToRawPeer();
    const Bytes two = Pattern(2, 1), body = Pattern(420, 2);
    tcp_info before{}, after{};
    socklen_t size = sizeof before;
    getsockopt(peer, IPPROTO_TCP, TCP_INFO, &before, &size);
    ASSERT_EQ(NetWorkSend(conn, two.data(), 2), 0);
    ASSERT_EQ(NetWorkSend(conn, body.data(), 420), 0);
    EXPECT_FALSE(raw::Ready(peer, 50)) << "the sends of a frame wait for the pump";
    ASSERT_EQ(PumpNetWorkMessages(0), 0);
    Bytes wire = raw::Frame(two), second = raw::Frame(body);
    wire.insert(wire.end(), second.begin(), second.end());
    EXPECT_EQ(raw::Recv(peer, 430), wire);
    getsockopt(peer, IPPROTO_TCP, TCP_INFO, &after, &size);
    EXPECT_EQ(after.tcpi_data_segs_in - before.tcpi_data_segs_in, 1u);

    // Back the other way, the second frame cut after 10 of its bytes: those
    // count.
    ASSERT_TRUE(raw::Send(peer, Bytes(wire.begin(), wire.begin() + 20)));
    ASSERT_TRUE(PumpUntil([conn = conn] { return GetNetWorkDataLength(conn) >= 12; }, 5000, false));
    Bytes buffer(16, 0xEE);
    EXPECT_EQ(NetWorkRecv(conn, buffer.data(), 16), -1);
    EXPECT_EQ(buffer, Bytes(16, 0xEE)) << "nothing is taken from a short ring";
    EXPECT_EQ(NetWorkRecvToPeek(conn, buffer.data(), 2), 0);
    EXPECT_EQ(GetNetWorkDataLength(conn), 12);
    EXPECT_EQ(Receive(conn, 2), two);
    ASSERT_TRUE(raw::Send(peer, Bytes(wire.begin() + 20, wire.end())));
    EXPECT_EQ(Receive(conn, 420), body);

    // A peer that closes mid-frame is reported lost once and closed by the next pump.
    auto [lost, closer] = AcceptRawPeer();
    Bytes half = raw::Frame(Pattern(420, 5));
    half.resize(4 + 100);
    ASSERT_TRUE(raw::Send(closer, half));
    Drop(closer);
    ASSERT_TRUE(
        PumpUntil([lost = lost] { return NetWorkSend(lost, "four", 4) == -1; }, 5000, false));
    ProcessMessage();  // not reported yet: the handle stays
    EXPECT_EQ(TakeLostNetWork(), lost);
    EXPECT_EQ(TakeLostNetWork(), -1);
    EXPECT_EQ(GetNetWorkDataLength(lost), 100) << "what came stays readable until the next pump";
    EXPECT_EQ(GetNetWorkAcceptState(lost), 0);
    ProcessMessage();
    EXPECT_EQ(GetNetWorkDataLength(lost), -1);
    EXPECT_EQ(CloseNetWorkHandle(lost), -1);
    EXPECT_FALSE(Logged("有効なネットワークハンドルではありません")) << "stale handles are silent";
}

TEST_F(NetTest, FailedConnectsAreLoggedWithinTheTimeOutAndShutdownFlushesAndFreesAll) {
    EXPECT_EQ(GetNetWorkDataLength(0x48000000), -1) << "calls before the first use fail";
    EXPECT_EQ(PumpNetWorkMessages(0), -1);
    EXPECT_FALSE(Logged("ネットワーク関連を初期化します"));
    const int port = raw::FreePort();
    EXPECT_EQ(OpenNetWorkConnection(kLoopback, port), -1);
    EXPECT_TRUE(Logged("127.0.0.1 への接続に失敗しました。"));
    Keep(raw::Listen(port, 0));  // a listener whose queue is full drops new handshakes
    ASSERT_GE(Keep(raw::Connect(port)), 0);
    const uint32_t before = script::NowMs();
    EXPECT_EQ(OpenNetWorkConnection(kLoopback, port), -1);
    EXPECT_GE(script::NowMs() - before, 2000u);
    EXPECT_LT(script::NowMs() - before, 2100u);

    auto [h, peer] = AcceptRawPeer();
    ASSERT_EQ(BeginNetWorkListen(raw::FreePort()), 0);
    const Bytes sent = FillSendRing(h);  // still waiting when the layer ends
    ASSERT_GE(sent.size(), 512u << 10);
    Bytes wire;
    std::thread reader([&, fd = peer] { wire = raw::Recv(fd, sent.size() * 2); });
    EndMediaLayer();
    reader.join();
    EXPECT_EQ(wire, sent) << "pending sends leave before the socket closes";
    EXPECT_GT(Logged("ネットワーク関連の終了処理は完了しました"),
              Logged("ネットワーク関連の終了処理を行います "));
    EXPECT_EQ(TrackedTotalSize(), 0u);
    EXPECT_EQ(OpenNetWorkConnection(kLoopback, 10001), -1) << "no network without the layer";
}

}  // namespace
