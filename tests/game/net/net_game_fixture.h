// net_game_fixture.h - a started layer with the generated data tree, a fresh match
// state, a per-frame script run at every flip, the sound effects played, and
// messages built by hand (little-endian, as the wire defines them) for a raw peer.
#ifndef VORLANE_TESTS_GAME_NET_FIXTURE_H
#define VORLANE_TESTS_GAME_NET_FIXTURE_H

#include <functional>

#include "match/match_protocol.h"
#include "match/match_state.h"
#include "tests/game/files.h"
#include "tests/media/net/net_fixture.h"

namespace netgame {
extern std::function<void(int frame)> onFlip;  // after each flip, with its number
extern int flips;
extern int effects[32];  // PlaySoundEffect calls by number
}  // namespace netgame

struct Message {
    int end = 0, attack = 0;
    int32_t kinds[4] = {0, 1, 2, -1};  // three next kinds, then the hold
    int16_t cells[21][10] = {};
    // The message's four fields: 2, 2, 16 and 420 bytes.
    std::vector<Bytes> Fields() const {
        auto le16 = [](int v) { return Bytes{uint8_t(v), uint8_t(v >> 8)}; };
        Bytes well;
        for (auto& row : cells)
            for (int16_t c : row) well = Cat({well, le16(c)});
        return {le16(end), le16(attack), Le32s({kinds[0], kinds[1], kinds[2], kinds[3]}), well};
    }
    Bytes Encode() const { return Cat(Fields()); }
    static Bytes Cat(const std::vector<Bytes>& parts) {
        Bytes out;
        for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
        return out;
    }
};

class NetGameTest : public NetTest {
protected:
    void SetUp() override;
    void TearDown() override;
    // The library's match connection to a raw peer: netHandle is set; the peer socket.
    int ConnectMatch();
    // The keys held from now on: step n (key codes) after the n-th flip from here,
    // counted from 0; the last step stays.
    void ScriptKeys(std::vector<std::vector<int>> steps);
    // Pixels of the last presented frame that are not black inside x1..x2-1, y1..y2-1.
    static int Lit(int x1, int y1, int x2, int y2);
};

#endif
