// The two ways a versus round ends, through the real round loop on the scripted
// platform, against a raw peer on a loopback connection. Skipped while the round loop
// draws no frame (before it is built).
#include "match/pieces.h"
#include "match/round_loop.h"
#include "shell/versus_result.h"
#include "tests/game/net/net_game_fixture.h"

namespace {

constexpr int kHardDropKey = 46;  // C

// Garbage below row `top`, one gap a row, so nothing clears and the stack is high.
void FillFrom(int top) {
    for (int r = top; r <= kLastPlayRow; ++r)
        for (int c = kFirstPlayColumn; c <= kLastPlayColumn; ++c)
            match.well[r][c] = c == kFirstPlayColumn + r % kPlayColumns ? CellEmpty : CellGarbage;
}

// True when the piece waiting in the queue cannot spawn in the well as it stands.
bool NextPieceBlocked() {
    PieceMatrix m;
    LoadShape(m, kShapeSame, match.nextKinds[0], 0);
    for (int r = 0; r < kBoxSize; ++r)
        for (int c = 0; c < kBoxSize; ++c)
            if (m[r][c] && match.well[kSpawnY + r][kSpawnX + c] != CellEmpty) return true;
    return false;
}

// The end flags of the messages the peer received, in order.
std::vector<int> EndFlags(int peer) {
    Bytes wire;
    while (raw::Ready(peer, 300)) {
        Bytes more(65536);
        const ssize_t n = recv(peer, more.data(), more.size(), 0);
        if (n <= 0) break;
        wire.insert(wire.end(), more.begin(), more.begin() + n);
    }
    const Bytes stream = raw::Unframe(wire);
    std::vector<int> flags;
    for (size_t at = 0; at + kMatchMessageBytes <= stream.size(); at += kMatchMessageBytes)
        flags.push_back(stream[at] | stream[at + 1] << 8);
    EXPECT_EQ(stream.size() % kMatchMessageBytes, 0u) << "whole messages only";
    return flags;
}

class RoundEnd : public NetGameTest {
protected:
    // Plays a versus round that the local player loses by topping out; `atLastLock`
    // runs in the frame whose lock tops out, before that lock. False when the round
    // loop is not built.
    bool PlayTopOut(std::function<void()> atLastLock = nullptr) {
        match.netMode = 1;
        InitRound(0);
        FillFrom(3);
        bool called = false;
        netgame::onFlip = [&, atLastLock](int frame) {
            script::SetKey(kHardDropKey, frame % 4 < 2);
            if (atLastLock && !called && match.lockPending && NextPieceBlocked()) {
                called = true;
                atLastLock();
            }
            if (frame > 20000) script::RequestClose();
        };
        const int before = netgame::flips;
        EXPECT_EQ(RunRound(), 0);
        netgame::onFlip = nullptr;  // it refers to this call's locals
        return netgame::flips != before;
    }
};

TEST_F(RoundEnd, ATopOutSendsTwoEndFlagsAndAnEndFlagReadAfterwardsWinsNothing) {
    const int peer = ConnectMatch();
    if (!PlayTopOut()) GTEST_SKIP() << "the round loop is not built";
    EXPECT_TRUE(match.gameOver);
    EXPECT_FALSE(match.opponentEndSeen);
    EXPECT_EQ(match.opponentWins, 1);
    const std::vector<int> flags = EndFlags(peer);
    ASSERT_GE(flags.size(), 3u);
    EXPECT_EQ(std::vector<int>(flags.end() - 2, flags.end()), (std::vector<int>{1, 1}));
    EXPECT_EQ(std::count(flags.begin(), flags.end(), 1), 2) << "only the last frame's two";

    // The opponent topped out at nearly the same moment: its end flag, read between
    // rounds, counts no win here; both sides have counted a loss.
    Message ended;
    ended.end = 1;
    ASSERT_TRUE(raw::Send(peer, raw::Frame(ended.Encode())));
    ASSERT_TRUE(WaitForData(netHandle, kMatchMessageBytes));
    ShowVersusResult();
    EXPECT_TRUE(match.opponentEnded);
    EXPECT_EQ(match.ownWins, 0);
    EXPECT_EQ(match.opponentWins, 1);
}

TEST_F(RoundEnd, TheOpponentsEndFlagReadFirstWinsEvenAfterALocalTopOut) {
    const int peer = ConnectMatch();
    Message ended;
    ended.end = 1;
    // The flag arrives in the frame whose lock tops out the local player, so the next
    // frame reads it before it would count the local loss.
    if (!PlayTopOut([&] { raw::Send(peer, raw::Frame(ended.Encode())); }))
        GTEST_SKIP() << "the round loop is not built";
    EXPECT_TRUE(match.gameOver) << "the local player had topped out";
    EXPECT_TRUE(match.opponentEndSeen);
    EXPECT_EQ(match.opponentWins, 0);
    ShowVersusResult();
    EXPECT_EQ(match.ownWins, 1);
}

}  // namespace
