// The network scenes on the scripted platform: the peer file, the menu with its digit
// editing, joining and hosting against raw peers, the versus result and the end of
// the connection.
#include "shell/assets.h"
#include "shell/network_game.h"
#include "shell/network_settings.h"
#include "shell/versus_result.h"
#include "tests/game/net/net_game_fixture.h"

namespace {

constexpr int kUp = 200, kDown = 208, kRight = 205, kDecide = 44, kCancel = 45;

TEST_F(NetGameTest, ThePeerFileIsReadDigitByDigitAndSavedFromTheDigitsWhichEditWithinTheirRow) {
    LoadNetworkSettings();
    EXPECT_EQ(FileBytes("network.cfg"), Bytes(20, 0)) << "first run";
    networkSettings.port = 77;
    WriteFile("network.cfg", Le32s({300, -7, 1234567, 9, 123456}));
    LoadNetworkSettings();
    const NetworkSettings& s = networkSettings;
    const int32_t address[12] = {3, 0, 0, 0, 0, 7, 5, 6, 7, 0, 0, 9};
    const int32_t port[5] = {2, 3, 4, 5, 6};
    EXPECT_EQ(memcmp(s.addressDigits, address, sizeof address), 0);
    EXPECT_EQ(memcmp(s.portDigits, port, sizeof port), 0) << "the last five digits";
    EXPECT_EQ(PackedNetworkAddress(), 0x0987F92Cu) << "300 connects as 44, the low 8 bits";
    SaveNetworkSettings();
    EXPECT_EQ(FileBytes("network.cfg"), Le32s({300, 7, 567, 9, 23456}));

    WriteFile("network.cfg", Bytes{1, 0, 0, 0, 2, 0, 0});  // one whole integer
    LoadNetworkSettings();
    EXPECT_EQ(std::vector<int>({s.octets[0], s.octets[1], s.port}), std::vector<int>({1, 0, 0}));

    // Digit editing moves within its row and wraps digits.
    networkSettings = NetworkSettings{};
    EditNetworkDigit(3, PAVEX_PAD_LEFT);
    EXPECT_EQ(netgame::effects[kEffectSelect], 0) << "left of the first digit: nothing";
    EditNetworkDigit(3, PAVEX_PAD_DOWN);
    EXPECT_EQ(networkSettings.addressDigits[0], 9);
    for (int i = 0; i < 11; ++i) EditNetworkDigit(3, PAVEX_PAD_RIGHT);
    EditNetworkDigit(3, PAVEX_PAD_RIGHT | PAVEX_PAD_UP);
    EXPECT_EQ(std::vector<int>({networkSettings.addressCursor, networkSettings.addressDigits[11]}),
              std::vector<int>({11, 1}));
    networkSettings.portDigits[0] = 9;
    EditNetworkDigit(2, PAVEX_PAD_UP);
    EditNetworkDigit(2, PAVEX_PAD_RIGHT);
    EditNetworkDigit(1, PAVEX_PAD_UP);  // not an editing row
    EXPECT_EQ(std::vector<int>({networkSettings.portDigits[0], networkSettings.portCursor}),
              std::vector<int>({0, 1}));
    EXPECT_EQ(netgame::effects[kEffectSelect], 1 + 11 + 1 + 2);
}

TEST_F(NetGameTest, TheMenuWrapsEditsSavesWhenEditingEndsAndNotOnHost) {
    LoadImages(kImageSetMenus);
    // From row 0: up wraps to back, down wraps to host, down twice to the port row,
    // edit its first digit up, cancel (saved), up twice to the host row, decide.
    ScriptKeys({{},    {kUp},     {},       {kDown}, {},    {kDown},   {},       {kDown},
                {},    {kDecide}, {},       {kUp},   {},    {kCancel}, {},       {kUp},
                {kUp}, {},        {kRight}, {},      {kUp}, {},        {kDecide}});
    EXPECT_EQ(RunNetworkMenu(), 1);
    EXPECT_EQ(FileBytes("network.cfg"), Le32s({0, 0, 0, 0, 10000}));
    EXPECT_EQ(networkSettings.portCursor, 0) << "right after editing ended moves no digit cursor";
    EXPECT_EQ(netgame::effects[kEffectConfigCancel] * 10 + netgame::effects[kEffectConfigSelect],
              12);
    EXPECT_GT(Lit(352, 301, 368, 317), 0) << "the port's first digit";

    // Host leaves a file whose port the five digits cannot show as it was; back
    // saves the five digits.
    WriteFile("network.cfg", Le32s({0, 0, 0, 0, 123456}));
    ScriptKeys({{}, {kDecide}});
    EXPECT_EQ(RunNetworkMenu(), 1);
    EXPECT_EQ(FileBytes("network.cfg"), Le32s({0, 0, 0, 0, 123456}));
    ScriptKeys({{}, {kUp}, {}, {kDecide}});
    EXPECT_EQ(RunNetworkMenu(), -1);
    EXPECT_EQ(FileBytes("network.cfg"), Le32s({0, 0, 0, 0, 23456}));
}

TEST_F(NetGameTest, JoiningConnectsToThePackedAddressAndTheGuestClosesAtTheEnd) {
    int port = raw::FreePort(), listener = Keep(raw::Listen(port));
    networkSettings.octets[0] = 383;  // 127 + 256: only the low 8 bits connect
    networkSettings.octets[3] = 1;
    networkSettings.port = port;
    netgame::onFlip = [](int frame) { script::SetKey(kCancel, frame > 200); };  // no hang
    EXPECT_EQ(JoinGame(), 0);
    EXPECT_EQ(netgame::effects[kEffectConnect], 1);
    EXPECT_GE(netgame::flips, 2000 / 17) << "two seconds of the connected screen";
    const int guest = Keep(raw::Accept(listener));
    networkRole = 0;
    EndNetworkGame();
    EXPECT_EQ(netHandle, -1);
    EXPECT_TRUE(raw::AtEnd(guest));

    networkSettings.port = raw::FreePort();  // nobody listens: cancel ends the attempts
    ScriptKeys({{}, {}, {kCancel}});
    EXPECT_EQ(JoinGame(), -1);
    EXPECT_EQ(netHandle, -1);
}

TEST_F(NetGameTest, HostingTakesOneGuestStopsListeningAndWaitsForTheGuestToClose) {
    networkSettings.port = raw::FreePort();
    int guest = -1;
    netgame::onFlip = [&](int frame) {
        if (frame == 3) guest = raw::Connect(networkSettings.port);
    };
    EXPECT_EQ(HostGame(), 0);
    Keep(guest);
    ASSERT_NE(netHandle, -1);
    EXPECT_EQ(BeginNetWorkListen(networkSettings.port), 0) << "the listener was ended";
    EndNetWorkListen();
    netgame::onFlip = nullptr;
    networkRole = 1;
    const int handle = netHandle;
    std::thread closer([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        Drop(guest);
    });
    EndNetworkGame();
    closer.join();
    EXPECT_EQ(netHandle, -1);
    ProcessMessage();
    EXPECT_EQ(GetNetWorkDataLength(handle), -1) << "closed after its loss was reported";

    ScriptKeys({{}, {kCancel}});
    EXPECT_EQ(HostGame(), -1);
    EXPECT_EQ(BeginNetWorkListen(networkSettings.port), 0) << "cancel ends the listener";
}

TEST_F(NetGameTest, TheVersusResultReadsWholeMessagesCountsOnlyASeenEndAndShowsItsBanners) {
    const int peer = ConnectMatch();
    LoadImages(kImageSetRound);
    match.netMode = 1;
    Message ended;
    ended.end = 1;
    const Bytes one = ended.Encode();
    ASSERT_TRUE(
        raw::Send(peer, raw::Frame(Message::Cat({one, Bytes(one.begin(), one.begin() + 100)}))));
    ASSERT_TRUE(PumpUntil([&] { return GetNetWorkDataLength(netHandle) == 540; }, 5000, false));
    // The local player topped out first: the end flag read now wins nothing.
    const uint32_t start = script::NowMs();
    ShowVersusResult();
    EXPECT_TRUE(match.opponentEnded);
    EXPECT_EQ(match.ownWins, 0);
    EXPECT_EQ(GetNetWorkDataLength(netHandle), 100) << "a partial message stays in the stream";
    EXPECT_TRUE(script::NowMs() - start >= 3000u && script::NowMs() - start < 3000u + 34);

    match.opponentEndSeen = true;
    ShowVersusResult();
    EXPECT_EQ(match.ownWins, 1);

    // Banners sit over the winner's and the loser's well (the result released the pictures).
    LoadImages(kImageSetRound);
    const struct { int kind, won, x; } cases[] = {{0, 1, 96}, {1, 0, 560}, {2, 1, 536}, {2, 0, 68}};
    for (const auto& c : cases) {
        ClearScreen();
        DrawVersusBanner(c.kind, c.won);
        DrawVersusBanner(3, c.won);
        FlipScreen();
        const int inside = Lit(c.x, 138, c.x + 256, 202);
        EXPECT_GT(inside, 500) << c.kind << c.won;
        EXPECT_EQ(Lit(0, 0, 800, 600), inside) << c.kind << c.won;
    }
}

}  // namespace
