// The match message on a real loopback connection, against a raw peer that builds and
// reads the bytes by hand.
#include "shell/assets.h"
#include "tests/game/net/net_game_fixture.h"

namespace {

TEST_F(NetGameTest, MessagesGoAsFourFramesAreReadWholeAndAllAtOnceAndALostConnectionShows) {
    const int peer = ConnectMatch();
    Message expected = {1, 513, {6, 0, 3, 5}, {}};
    for (int r = 0; r < 21; ++r)
        for (int c = 0; c < 10; ++c)
            match.well[r][c + 1] = expected.cells[r][c] = int16_t((r * 10 + c) % 9);
    match.well[0][0] = match.well[21][5] = CellWall;  // walls and floor are not sent
    match.nextKinds[0] = 6, match.nextKinds[1] = 0, match.nextKinds[2] = 3, match.holdKind = 5;
    match.outgoingAttack = 513;
    match.gameOver = true;
    SendMatchMessage();
    EXPECT_EQ(match.outgoingAttack, 0);
    // An end flag other than 1 is sent as 0; the attack already went.
    const int32_t queue[3] = {1, 2, 3};
    SendMatchMessage(queue, -1, match.well, 2);
    Message second = expected;
    second.end = 0, second.attack = 0;
    second.kinds[0] = 1, second.kinds[1] = 2, second.kinds[2] = 3, second.kinds[3] = -1;
    PumpNetWorkMessages(0);
    Bytes wire;
    for (const Message* m : {&expected, &second})
        for (const Bytes& field : m->Fields()) wire = Message::Cat({wire, raw::Frame(field)});
    EXPECT_EQ(raw::Recv(peer, wire.size()), wire);

    // All whole messages waiting are read: their attacks add, the last one decides.
    Message first, later;
    first.attack = 2, later.attack = 3;
    first.cells[20][0] = 8, later.cells[20][9] = 7, later.cells[0][0] = 1;
    later.kinds[0] = 4, later.kinds[1] = 5, later.kinds[2] = 6, later.kinds[3] = 0;
    ASSERT_TRUE(raw::Send(peer, raw::Frame(Message::Cat({first.Encode(), later.Encode()}))));
    ASSERT_TRUE(WaitForData(netHandle, 880));
    EXPECT_EQ(ReceiveMatchMessage(), 2);
    EXPECT_EQ(memcmp(match.opponentWellReceived, later.cells, sizeof later.cells), 0);
    const int32_t* o = match.opponentNextKinds;
    EXPECT_EQ(std::vector<int>({match.pendingGarbage, o[0], o[1], o[2], match.opponentHoldKind,
                                match.opponentEnded}),
              std::vector<int>({5, 4, 5, 6, 0, 0}));

    // 439 bytes: nothing is read until the last byte comes; then the end flag counts.
    Message last;
    last.end = 1;
    const Bytes b = last.Encode();
    ASSERT_TRUE(raw::Send(peer, raw::Frame(Bytes(b.begin(), b.end() - 1))));
    ASSERT_TRUE(WaitForData(netHandle, 439));
    EXPECT_EQ(ReceiveMatchMessage(), 0);
    EXPECT_EQ(match.opponentHoldKind, 0);
    ASSERT_TRUE(raw::Send(peer, raw::Frame(Bytes(b.end() - 1, b.end()))));
    ASSERT_TRUE(WaitForData(netHandle, 440));
    EXPECT_EQ(ReceiveMatchMessage(), 1);
    EXPECT_EQ(std::vector<int>(
                  {match.opponentEnded, match.opponentHoldKind, GetNetWorkDataLength(netHandle)}),
              std::vector<int>({1, -1, 0}));

    // A lost connection is shown over the opponent's well and still reported to the host.
    auto draw = [] {
        ClearScreen();
        DrawConnectionLost();
        FlipScreen();
    };
    match.netMode = 1;
    SendMatchMessage();
    ReceiveMatchMessage();
    draw();
    EXPECT_FALSE(MatchConnectionLost());
    EXPECT_EQ(Lit(0, 0, 800, 600), 0);

    Drop(peer);
    ASSERT_TRUE(PumpUntil([] { return NetWorkSend(netHandle, "x", 1) == -1; }, 5000, false));
    match.netMode = 0;
    SendMatchMessage();
    EXPECT_FALSE(MatchConnectionLost()) << "a failed send counts only in network play";
    match.netMode = 1;
    SendMatchMessage();
    EXPECT_TRUE(MatchConnectionLost());
    draw();
    EXPECT_GT(Lit(516, 71, 756, 575), 200) << "the message over the opponent's well";
    EXPECT_EQ(Lit(0, 0, 800, 600), Lit(516, 71, 756, 575)) << "and nowhere else";
    DeleteAllGraphics(0);  // released graphics are loaded again
    draw();
    EXPECT_GT(Lit(516, 71, 756, 575), 200);
    EXPECT_EQ(TakeLostNetWork(), netHandle) << "the loss is left for the host's end wait";
    match.netMode = 0;
    draw();
    EXPECT_EQ(Lit(0, 0, 800, 600), 0) << "only in network play";
}

TEST_F(NetGameTest, HostileValuesBecomeValuesThatDrawNothingAndAttacksCannotOverflow) {
    Message m;
    m.end = 0x8000;  // any non-zero flag ends
    m.attack = 65535;
    m.kinds[0] = 7, m.kinds[1] = -1, m.kinds[2] = INT32_MIN, m.kinds[3] = 6;
    const int16_t wild[] = {-1, 9, 10, 32767, -32768, 8, 0, 1};
    for (int i = 0; i < 8; ++i) m.cells[3][i] = wild[i];
    const Bytes b = m.Encode();
    for (int i = 0; i < 100000; ++i) ApplyMatchMessage(b.data());
    const int32_t* o = match.opponentNextKinds;
    EXPECT_EQ(std::vector<int>({match.opponentEnded, match.pendingGarbage, o[0], o[1], o[2],
                                match.opponentHoldKind}),
              std::vector<int>({1, 5, -1, -1, -1, 6}))
        << "no more than one lock pushes in, never overflowing";
    const int16_t stored[] = {CellWall, CellWall, CellWall, CellWall, CellWall, 8, 0, 1};
    EXPECT_EQ(memcmp(match.opponentWellReceived[3], stored, sizeof stored), 0);
    m.attack = 0;
    match.pendingGarbage = 7;  // no attack leaves even a value past the cap alone
    ApplyMatchMessage(m.Encode().data());
    EXPECT_EQ(match.pendingGarbage, 7);
}

}  // namespace
