// assets.h - the game's pictures and sounds by number, and the small drawing and
// sound operations every scene shares.
//
// Effect numbers are indexes of the sound-effect table (0..16), voice numbers of the
// voice table (0), music numbers of the music table (-1 halts, 0..7 as listed there).
#ifndef VORLANE_SHELL_ASSETS_H
#define VORLANE_SHELL_ASSETS_H

// Sound effects the rounds play, by their index in the effect table.
enum SoundEffect : int {
    kEffectBlockLanding = 0,   // every lock
    kEffectRotation = 1,       // every rotation attempt
    kEffectDeleteLine = 4,     // a lock clears 1..3 rows
    kEffectScreenShot = 7,     // also the hold sound of a round
    kEffectAddLine = 8,        // rows pushed in from below
    kEffectWarning = 9,        // the fall gauge passes 200
    kEffectQuartet = 11,       // a lock clears 4 rows
    kEffectLevelUp = 13,       // a level-up
    kEffectBlockLanding2 = 15  // the falling piece first rests on something
};

constexpr int kVoiceLevelUp = 0;

void PlaySoundEffect(int n);
void PlayVoice(int n);
void PlayBgm(int n);

#endif
