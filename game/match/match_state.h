// match_state.h - the one record of a round, the well and its primitive operations.
//
// Everything a round needs lives in the single static `match`: the well with its
// walls, the falling piece, the next queue and hold, score, lines, combo and level,
// the gauges, the flags that carry decisions from one step of a frame to the next,
// the input counters, and what is known of a network opponent. Nothing in it is
// allocated. The shell sets `netMode`, `ownWins` and `opponentWins` and reads the
// results after a round.
#ifndef VORLANE_MATCH_MATCH_STATE_H
#define VORLANE_MATCH_MATCH_STATE_H

#include <stdint.h>

constexpr int kWellColumns = 12;  // columns 0 and 11 are walls
constexpr int kWellRows = 22;     // row 21 is the floor; row 0 is the visible top
constexpr int kFirstPlayColumn = 1;
constexpr int kLastPlayColumn = 10;
constexpr int kLastPlayRow = 20;
constexpr int kPlayColumns = 10;
constexpr int kPlayRows = 21;
constexpr int kBoxSize = 4;
constexpr int kKindCount = 7;
constexpr int kSpawnX = 4;
constexpr int kSpawnY = 0;

// Cell values of the well; 1..7 are piece colours (kind + 1).
enum : int32_t {
    CellEmpty = 0,
    CellGarbage = 8,
    CellWall = 9,
};

using Well = int32_t[kWellRows][kWellColumns];
using PieceMatrix = int32_t[kBoxSize][kBoxSize];
using OpponentCells = int16_t[kPlayRows][kPlayColumns];

// Input counters of the round, kept across rounds.
struct InputState {
    int32_t buttonDebounce;  // frames a hard-drop or hold button was seen
    int32_t moveRepeat;      // frames since the last sideways move
    int32_t moveHeld;        // frames the current direction has been held
    bool buttonLatch;        // a button fired; wait until all buttons are up
    bool keyReleaseWait;     // a screenshot was taken; wait until no key is down
};

struct MatchState {
    Well well;
    Well ghostWell;           // landing-point picture, same form as the well
    PieceMatrix pieceMatrix;  // the falling piece in its current rotation
    PieceMatrix ghostMatrix;  // copy used while the landing point is searched
    int32_t pieceKind;        // 0..6
    int32_t rotation;         // 0..3
    int32_t pieceX;           // well column of the box's left edge
    int32_t pieceY;           // well row of the box's top edge

    int32_t nextKinds[3];  // nextKinds[0] comes first
    int32_t holdKind;      // -1 = empty

    int32_t score;  // 0..9999999
    int32_t lines;  // 0..999
    int32_t combo;
    int32_t maxCombo;
    int32_t level;           // 1..30
    int32_t dropBonus;       // 257 minus the gauge at the player's hard drop
    int32_t clockDigits[6];  // tens and units of minutes, seconds, hundredths

    uint32_t fallRefTime;  // ms at which the current gravity interval began
    int32_t fallGauge;     // 0..263: the piece is dropped when it passes 256
    int32_t fallGaugeAccumulator;
    int32_t comboBarValue;     // frames used of the combo window
    int32_t periodicRowCount;  // locks since the last periodic row
    uint32_t roundStartTime;
    int32_t backgroundIndex;  // 0..9
    bool musicSwitched[4];    // once-only level music changes (levels 10, 20, 25)

    int32_t netMode;          // 1 while a network match is played
    int32_t pendingGarbage;   // rows received, pushed in at the next lock
    uint16_t outgoingAttack;  // lines to announce in the next message
    int32_t ownWins;
    int32_t opponentWins;
    bool opponentEnded;
    bool opponentEndSeen;

    // Flags carrying decisions from one step of a frame to the next.
    bool fallTimerRestart;
    bool gaugeReset;
    bool fallStep;
    bool lockPending;
    bool comboActive;
    bool dropped;
    bool warningArmed;
    bool gameOver;
    int32_t clearMode;  // 0 endless, 1 fifty-line clear round
    bool landedSoundPlayed;
    bool levelUpShow;
    bool moveLatch;

    InputState input;

    // Joypad vibration in progress.
    uint32_t vibrationStart;
    int32_t vibrationLength;  // ms, 0 = idle

    // Display counters of the play screen, kept between frames.
    int32_t gaugeBlinkFrame;
    int32_t levelUpTick;
    int32_t levelUpPhase;
    int32_t levelUpCycles;

    // What is known of the network opponent.
    int32_t opponentNextKinds[3];
    int32_t opponentHoldKind;
    OpponentCells opponentWellReceived;
    OpponentCells opponentWell;
};

// The one record of the game, zero-initialised at program start.
extern MatchState match;

// Resets the record for a round: mode 0 endless, 1 fifty-line clear round. In a
// network match the shell sets `netMode` first and passes mode 0.
void InitRound(int mode);

// Writes the falling piece into the well; the stamp that follows a drop raises
// `lockPending`.
void StampPiece();
// Clears the well cells under the falling piece's blocks.
void ErasePiece();
// True when a block of `matrix`, with its box at (pieceX + offsetX, pieceY + offsetY),
// meets a solid well cell or lies outside the well.
bool PieceCollides(int offsetX, int offsetY, const PieceMatrix& matrix);
// The same test with the box at column pieceX and row `row` + 1.
bool CollidesBelowRow(const PieceMatrix& matrix, int row);

// `value` brought into low..high. Settings come from a file the player can edit; where
// a rule counts frames or picks a table entry by one, it is clamped to the range the
// configuration screen offers (the file keeps what it holds).
constexpr int ClampInt(int value, int low, int high) {
    return value < low ? low : value > high ? high : value;
}

// Signed distance in ms from `since` to the current tick; the tick wraps.
int32_t MillisSince(uint32_t since);

// Searches that walk a piece downwards (drops, the landing point) give up after this
// long. No piece can fall further than the well is high, which also ends them for a
// piece with no blocks.
constexpr int32_t kSearchLimitMs = 2000;
constexpr int kMaxFallRows = kWellRows;

#endif
