// assets.h - the game's pictures and sounds by number, and the small drawing and
// sound operations every scene shares.
//
// The tables hold the media layer's handles; a picture or sound that failed to load
// keeps -1, and drawing or playing -1 does nothing. Effect numbers are indexes of the
// sound-effect table (0..16), voice numbers of the voice table (0), music numbers of
// the music table (-1 halts, 0..7 as listed in assets.cpp).
#ifndef VORLANE_SHELL_ASSETS_H
#define VORLANE_SHELL_ASSETS_H

// Sound effects, by their index in the effect table.
enum SoundEffect : int {
    kEffectBlockLanding = 0,  // every lock
    kEffectRotation = 1,      // every rotation attempt
    kEffectSelect = 2,        // a menu cursor moves
    kEffectDecide = 3,        // a menu item is chosen, the configuration is saved
    kEffectDeleteLine = 4,    // a lock clears 1..3 rows
    kEffectConfigSelect = 5,  // host, join or editing chosen in the network menu
    kEffectConfigCancel = 6,  // editing in the network menu ends
    kEffectScreenShot = 7,    // a capture was taken; also the hold sound of a round
    kEffectAddLine = 8,       // rows pushed in from below
    kEffectWarning = 9,       // the fall gauge passes 200
    kEffectConnect = 10,      // a network connection was made
    kEffectQuartet = 11,      // a lock clears 4 rows
    kEffectLock = 12,
    kEffectLevelUp = 13,  // a level-up
    kEffectHardDrop = 14,
    kEffectBlockLanding2 = 15,  // the falling piece first rests on something
    kEffectResult = 16,         // the game-clear scene starts
    kEffectCount = 17
};

constexpr int kVoiceLevelUp = 0;

// Image sets of LoadImages.
enum ImageSet : int { kImageSetMenus = 0, kImageSetRound = 1, kImageSetConfig = 2 };

// The picture tables. Cells are in reading order of their file (left to right, then
// top to bottom). Set 0: menus.
struct MenuImages {
    int title;          // drawn stretched into (0, 32)-(800, 160)
    int mainMenu[8];    // 0-3 title items highlighted, 4-7 plain
    int gameMode[8];    // 0-1 mode items highlighted, 4-5 plain
    int network[8];     // 0-3 network items highlighted, 4-7 plain
    int connection[3];  // 0 waiting / connecting, 1 connected
};
// Set 1: the play screen and the result banners.
struct RoundImages {
    int blocks[10];    // one picture per well cell value, 24 x 24
    int nextBlock[7];  // large piece pictures by kind, 96 x 48
    int holdBlock[7];  // small piece pictures by kind, 48 x 24
    int interface[7];  // labels of the play screen, 96 x 24
    int fallGauge[5];  // 16 x 256
    int comboBar[4];   // 16 x 256
    int vsResult[3];   // 0, 1 the blink frames of the win banner; 2 the lose banner
    int gameOver;
    int gameClear;
    int edge;     // the frame of a well
    int edgeTop;  // its top row (288 x 1) and its left column (1 x 528), from the same file
    int edgeLeft;
    int ready[16];  // frames of the start animation, 128 x 32
    int movie;      // "MV004.avi", loaded with the set and never drawn
    int backdrop;   // 800 x 600 screen graphic: background, empty wells, still labels,
                    // and the well frames when they allow it
};
// Set 2: the configuration screen.
struct ConfigImages {
    int menu[9];    // 0 heading, 1-7 item labels, 8 the item cursor
    int edit[7];    // 0-3 difficulty values, 4 on, 5 off, 6 sensitivity 6
    int volume[6];  // 3 back, 4 fill, 5 front of the sensitivity bar
    int information;
};
// Loaded with every set.
struct CommonImages {
    int select[8];           // 3 the back item highlighted, 7 plain
    int smallDigits[5][13];  // colours b, r, y, w, a; cells 0-9 digits, 12 the dot
    int largeDigits[4][12];  // colours b, r, y, w; cells 0-9 digits, 11 the colon
    int cursor;              // digit cursor of the network menu
    int backgrounds[10];     // 0 the shading filter, 1-9 pictures (8 repeats 5)
};

extern MenuImages menuImages;
extern RoundImages roundImages;
extern ConfigImages configImages;
extern CommonImages commonImages;

// Loads set 0, 1 or 2, then the common images (any other set: the common images
// only). Failures leave -1 in the tables. Returns 0.
int LoadImages(int set);
// Loads the 17 effects in index order, then the voice.
void LoadSoundEffects();

// Background picture `index` (0..9) stretched over the whole screen, transparency on.
void DrawBackground(int index);
// A non-negative value right-aligned with its last digit at x; extraDigits > 0 draws
// extraDigits + 1 digits with leading zeros. Small digits (large 0) take colours 0-4,
// large digits 0-3; anything else draws nothing.
void DrawNumber(int x, int y, int value, int extraDigits, int colour, int large);
// The round clock (MatchState clockDigits) with colons; cycling walks the colours of
// the large sets, one step every fourth drawn frame.
void DrawClock(int x, int y, int large, int cycling);

void PlaySoundEffect(int n);
void PlayVoice(int n);
// -1 halts the music, 0, 1, 2, 3, 5 and 7 start their track in a loop at volume 60;
// any other number changes nothing.
void PlayBgm(int n);

#endif
