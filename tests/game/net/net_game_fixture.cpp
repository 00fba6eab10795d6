// net_game_fixture.cpp - the fixture of the network play tests and the two calls it
// catches at link time: FlipScreen (the per-frame script) and PlaySoundEffect.
#include "tests/game/net/net_game_fixture.h"

#include <unistd.h>

#include "shell/assets.h"
#include "shell/network_settings.h"

std::function<void(int)> netgame::onFlip;
int netgame::flips = 0;
int netgame::effects[32] = {};

extern "C" {
int __real_FlipScreen(void);
void __real__Z15PlaySoundEffecti(int n);

int __wrap_FlipScreen(void) {
    const int result = __real_FlipScreen();
    if (netgame::onFlip) netgame::onFlip(netgame::flips);
    ++netgame::flips;
    return result;
}
void __wrap__Z15PlaySoundEffecti(int n) {
    if (n >= 0 && n < 32) ++netgame::effects[n];
    __real__Z15PlaySoundEffecti(n);
}
}

void NetGameTest::SetUp() {
    NetTest::SetUp();
    ASSERT_EQ(symlink(VORLANE_DATA_DIR, "data"), 0);
    match = MatchState{};
    match.opponentHoldKind = -1;
    networkSettings = NetworkSettings{};
    netHandle = -1;
    ResetConnectionLost();
    netgame::flips = 0;
    for (int& e : netgame::effects) e = 0;
}

void NetGameTest::TearDown() {
    netgame::onFlip = nullptr;
    script::ReleaseAllKeys();
    NetTest::TearDown();
}

int NetGameTest::ConnectMatch() {
    auto [h, peer] = AcceptRawPeer();
    netHandle = h;
    return peer;
}

void NetGameTest::ScriptKeys(std::vector<std::vector<int>> steps) {
    netgame::flips = 0;
    netgame::onFlip = [steps](int frame) {
        const auto& held = steps[size_t(frame) < steps.size() ? size_t(frame) : steps.size() - 1];
        script::ReleaseAllKeys();
        for (int key : held) script::SetKey(key, true);
    };
}

int NetGameTest::Lit(int x1, int y1, int x2, int y2) {
    const script::Frame& f = script::LastPresented();
    int lit = 0;
    for (int y = y1; y < y2; ++y)
        for (int x = x1; x < x2; ++x) lit += (f.pixels[size_t(y * f.width + x)] & 0xFFFFFF) != 0;
    return lit;
}
