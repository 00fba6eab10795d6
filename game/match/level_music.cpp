// level_music.cpp - the background and music of an endless round by level.
//
// Owns `backgroundIndex` changes during a round and the once-only `musicSwitched`
// flags, which stay set for the whole run of the program.
#include "match/level_music.h"

#include "match/match_state.h"
#include "shell/assets.h"

namespace {

// Music numbers of the music table.
constexpr int kMusicLevel10 = 2;
constexpr int kMusicLevel20 = 3;
constexpr int kMusicLevel25 = 7;

void SwitchOnce(int flag, int music, int background) {
    if (match.musicSwitched[flag]) return;
    match.musicSwitched[flag] = true;
    PlayBgm(music);
    match.backgroundIndex = background;
}

}  // namespace

void SetLevelMusic(int level) {
    switch (level) {
        case 5:
            match.backgroundIndex = 2;
            break;
        case 10:
            SwitchOnce(0, kMusicLevel10, 3);
            break;
        case 15:
            match.backgroundIndex = 4;
            break;
        case 20:
            SwitchOnce(1, kMusicLevel20, 5);
            break;
        case 25:
            SwitchOnce(2, kMusicLevel25, 6);
            break;
        case 30:
            match.backgroundIndex = 7;
            break;
        default:
            break;
    }
}
