// playfield_draw.cpp - drawing of the wells, pieces, gauges and panels of the play
// screen, at their fixed pixel places.
//
// Owns the placement of every play-screen picture and the display counters of the
// gauge alarm and the level-up blink. It reads the match state and must never change
// a rule field. What the opponent sent is hostile: a kind or cell value without a
// picture draws nothing and never indexes a table.
#include "match/playfield_draw.h"

#include <stddef.h>

#include "match/match_state.h"
#include "shell/assets.h"
#include "shell/settings.h"
#include "pavex.h"

namespace {

constexpr int kCell = 24;
constexpr int kWellLeft = 18;  // x of the local well's column 0
constexpr int kWellTop = 71;
constexpr int kOpponentLeft = 516;  // x of the opponent's first playable column
constexpr int kOpponentFrameX = 492;

// Pictures of block2.bmp: 0..7 the cell values 1..8, then the two empty cells.
constexpr int kBlockGridEmpty = 8;
constexpr int kBlockPlainEmpty = 9;

// Small-digit signs of the b set: the slash between lines and goal, the clock colon.
constexpr int kSignSlash = 10;
constexpr int kSignColon = 11;

enum Label {
    kLabelLevel,
    kLabelScore,
    kLabelLines,
    kLabelCombo,
    kLabelTime,
    kLabelNext,
    kLabelHold
};

enum DigitColour { kBlue, kRed, kYellow, kWhite, kDim };

constexpr int kGaugeX = 3, kComboX = 306, kBarTop = 339, kBarHeight = 256;
constexpr int kGaugeMax = 263;
constexpr int kGaugeMiddle = 128, kGaugeAlarm = 192;
enum GaugePicture { kGaugeLow = 1, kGaugeMid = 2, kGaugeCover = 3, kGaugeOutline = 4 };
enum ComboPicture { kComboBar, kComboCover, kComboOutline };

constexpr int kBlinkTicks = 2, kBlinkDarkPhase = 4, kBlinkCycles = 20;

bool IsKind(int kind) {
    return kind >= 0 && kind < kKindCount;
}

// The picture of one well cell at (x, y): empty cells with transparency, blocks and
// garbage without; walls and unknown values draw nothing.
void DrawCell(int x, int y, int value) {
    if (value == CellEmpty) {
        const int empty = gameSettings.ShowGrid ? kBlockGridEmpty : kBlockPlainEmpty;
        DrawImage(x, y, roundImages.blocks[empty], 1);
    } else if (value >= 1 && value <= CellGarbage) {
        DrawImage(x, y, roundImages.blocks[value - 1], 0);
    }
}

void DrawLargePiece(int x, int y, int kind) {
    if (IsKind(kind)) DrawImage(x, y, roundImages.nextBlock[kind], 1);
}

void DrawSmallPiece(int x, int y, int kind) {
    if (IsKind(kind)) DrawImage(x, y, roundImages.holdBlock[kind], 1);
}

void DrawLabel(int x, int y, Label label) {
    DrawImage(x, y, roundImages.interface[label], 1);
}

// A value over its dim leading zeros: `digits` places, the significant ones in colour.
void DrawPadded(int x, int y, int value, int digits, int colour, int large) {
    DrawNumber(x, y, value, digits - 1, kDim, large);
    DrawNumber(x, y, value, 0, colour, large);
}

struct PlacedLabel {
    int x, y;
    Label label;
};

// The labels that nothing drawn earlier in a frame reaches (the hold labels are left
// out: the next piece and the wells' top row reach under them), so they may be drawn
// before everything else of the frame, into the round's backdrop: the two next
// labels and the labels of the round's panel.
constexpr PlacedLabel kNextLabels[] = {{108, 0, kLabelNext}, {614, 0, kLabelNext}};
constexpr PlacedLabel kScoreLabels[] = {{306, 72, kLabelLevel},
                                        {306, 144, kLabelScore},
                                        {306, 192, kLabelLines},
                                        {306, 240, kLabelCombo},
                                        {368, 504, kLabelTime}};
constexpr PlacedLabel kClearLabels[] = {
    {306, 72, kLabelLines}, {306, 144, kLabelCombo}, {368, 504, kLabelTime}};

template <size_t N>
void DrawLabels(const PlacedLabel (&labels)[N]) {
    for (const PlacedLabel& l : labels) DrawLabel(l.x, l.y, l.label);
}

void DrawStillLabels(bool clearRound) {
    DrawLabels(kNextLabels);
    if (clearRound)
        DrawLabels(kClearLabels);
    else
        DrawLabels(kScoreLabels);
}

void DrawBestCombo(int labelY) {
    DrawPadded(332, labelY + 24, match.maxCombo, 2, kBlue, 0);
}

void DrawRoundClock() {
    constexpr int kDigitX[6] = {338, 358, 388, 408, 438, 458};
    for (int i = 0; i < 6; ++i) DrawNumber(kDigitX[i], 534, match.clockDigits[i], 0, kBlue, 0);
    DrawImage(374, 534, commonImages.smallDigits[kBlue][kSignColon], 1);
    DrawImage(424, 534, commonImages.smallDigits[kBlue][kSignColon], 1);
}

// The level in its normal colour, or one step of the blink after a level-up: colours
// 0..3 for two frames each, then one dark frame, twenty times over.
void DrawLevel() {
    if (!match.levelUpShow) {
        DrawNumber(348, 106, match.level, 1, kYellow, 1);
        return;
    }
    if (++match.levelUpTick >= kBlinkTicks) {
        match.levelUpPhase += 1;
        match.levelUpTick = 0;
    }
    // The dark phase has no large digit colour, so DrawNumber draws nothing.
    DrawNumber(348, 106, match.level, 1, match.levelUpPhase, 1);
    if (match.levelUpPhase >= kBlinkDarkPhase) {
        match.levelUpCycles += 1;
        match.levelUpPhase = 0;
    }
    if (match.levelUpCycles >= kBlinkCycles) {
        match.levelUpShow = false;
        match.levelUpTick = match.levelUpPhase = match.levelUpCycles = 0;
    }
}

// The backdrop of a round: its background with the empty picture in every playable
// cell of both wells, the still labels and, when their picture allows it, the two
// well frames, drawn once when the round starts, so that a frame copies it whole and
// draws only the cells that hold something and the rest of the panel. The result is
// the same as drawing everything in order: a block picture covers the whole cell,
// and nothing a frame draws before a still label reaches it. The frames go in only
// when they leave the playable cells untouched and have no half-transparent pixel:
// then the only things a frame draws under them are on their top row (the next and
// hold pieces, the hold labels) and the local frame's left column (the fall gauge),
// and drawing that row and column of the frame again over them gives what drawing
// the frame over them once would.
struct Backdrop {
    bool ready;
    int background;
    bool grid;
    bool clearRound;  // which panel's labels it holds
    bool frames;      // it holds the well frames
} backdrop = {};

constexpr int kFrameWidth = 288, kFrameHeight = 528;
// The first row of the frame's left column drawn again: the fall gauge reaches under
// the column from its top, y kBarTop, on.
constexpr int kFrameLeftTop = 264;
static_assert(kWellTop + kFrameLeftTop <= kBarTop, "the column drawn again reaches the gauge");

bool Covers(int value) {
    return value >= CellEmpty && value <= CellGarbage;
}

// True when the frame picture may go into the backdrop (see Backdrop).
bool FramesComposable() {
    int width = 0, height = 0;
    if (GetGraphicSize(roundImages.edge, &width, &height) != 0 || width != kFrameWidth ||
        height != kFrameHeight || roundImages.edgeTop < 0 || roundImages.edgeLeft < 0)
        return false;
    const int cells = GetGraphicCoverage(roundImages.edge, kCell * kFirstPlayColumn, 0,
                                         kCell * kPlayColumns, kCell * kPlayRows);
    const int whole = GetGraphicCoverage(roundImages.edge, 0, 0, kFrameWidth, kFrameHeight);
    return cells == PAVEX_COVER_LEFT_OUT && (whole & PAVEX_COVER_BLENDED) == 0;
}

// True when drawing every cell over the backdrop shows what drawing them over the
// background would: each playable cell holds nothing or a block (a wall or a value
// from the wire that draws nothing must show the background) and, with the frames
// in the backdrop, nothing is drawn in a cell outside the playable ones.
bool BackdropFits() {
    if (!backdrop.ready || backdrop.background != match.backgroundIndex ||
        backdrop.grid != gameSettings.ShowGrid || backdrop.clearRound != (match.clearMode == 1))
        return false;
    for (int r = 0; r < kPlayRows; ++r)
        for (int c = 0; c < kPlayColumns; ++c)
            if (!Covers(match.well[r][kFirstPlayColumn + c]) || !Covers(match.opponentWell[r][c]))
                return false;
    if (!backdrop.frames) return true;
    for (int r = 0; r < kWellRows; ++r) {
        for (int c = 0; c < kWellColumns; ++c) {
            const bool playable = r < kPlayRows && c >= kFirstPlayColumn && c <= kLastPlayColumn;
            const int32_t ghost = match.ghostWell[r][c];
            if (!playable && (Covers(match.well[r][c]) || (ghost >= 1 && ghost <= kKindCount)))
                return false;
        }
    }
    return true;
}

void DrawFrames() {
    DrawImage(kWellLeft, kWellTop, roundImages.edge, 1);
    DrawImage(kOpponentFrameX, kWellTop, roundImages.edge, 1);
}

int Clamp(int value, int low, int high) {
    return value < low ? low : value > high ? high : value;
}

}  // namespace

void PreparePlayBackdrop() {
    backdrop.ready = false;
    if (SelectDrawTarget(roundImages.backdrop) != 0) return;
    SetDrawBrightness(255, 255, 255);
    ClearScreen();
    DrawBackground(match.backgroundIndex);
    for (int r = 0; r < kPlayRows; ++r) {
        for (int c = 0; c < kPlayColumns; ++c) {
            DrawCell(kWellLeft + kCell * (kFirstPlayColumn + c), kWellTop + kCell * r, CellEmpty);
            DrawCell(kOpponentLeft + kCell * c, kWellTop + kCell * r, CellEmpty);
        }
    }
    DrawStillLabels(match.clearMode == 1);
    const bool frames = FramesComposable();
    if (frames) DrawFrames();
    SelectDrawTarget(PAVEX_SCREEN_BACK);
    backdrop = {true, match.backgroundIndex, gameSettings.ShowGrid, match.clearMode == 1, frames};
}

bool DrawPlayBackground() {
    if (BackdropFits() && DrawImage(0, 0, roundImages.backdrop, 0) == 0) return true;
    DrawBackground(match.backgroundIndex);
    return false;
}

void DrawWells(bool overBackdrop) {
    // Over the backdrop the empty playable cells are drawn already.
    for (int r = 0; r < kWellRows; ++r) {
        for (int c = 0; c < kWellColumns; ++c) {
            const bool playable = r < kPlayRows && c >= kFirstPlayColumn && c <= kLastPlayColumn;
            if (overBackdrop && playable && match.well[r][c] == CellEmpty) continue;
            DrawCell(kWellLeft + kCell * c, kWellTop + kCell * r, match.well[r][c]);
        }
    }
    for (int r = 0; r < kPlayRows; ++r) {
        for (int c = 0; c < kPlayColumns; ++c) {
            if (overBackdrop && match.opponentWell[r][c] == CellEmpty) continue;
            DrawCell(kOpponentLeft + kCell * c, kWellTop + kCell * r, match.opponentWell[r][c]);
        }
    }
}

void DrawGhost() {
    for (int r = 0; r < kWellRows; ++r) {
        for (int c = 0; c < kWellColumns; ++c) {
            const int32_t v = match.ghostWell[r][c];
            if (v >= 1 && v <= kKindCount)
                DrawImage(kWellLeft + kCell * c, kWellTop + kCell * r, roundImages.blocks[v - 1],
                          1);
        }
    }
}

void DrawHoldPieces() {
    DrawSmallPiece(24, 24, match.holdKind);
    if (match.netMode == 1) DrawSmallPiece(732, 24, match.opponentHoldKind);
}

void DrawNextPieces() {
    DrawLargePiece(96, 24, match.nextKinds[0]);
    DrawSmallPiece(204, 48, match.nextKinds[1]);
    DrawSmallPiece(252, 48, match.nextKinds[2]);
    if (match.netMode != 1) return;
    DrawLargePiece(600, 24, match.opponentNextKinds[0]);
    DrawSmallPiece(540, 48, match.opponentNextKinds[1]);
    DrawSmallPiece(492, 48, match.opponentNextKinds[2]);
}

namespace {

// The values of the panels; DrawHud draws their labels.
void DrawScorePanel() {
    DrawLevel();
    DrawPadded(412, 168, match.score, 7, kYellow, 0);
    DrawPadded(348, 216, match.lines, 3, kBlue, 0);
    DrawImage(368, 216, commonImages.smallDigits[kBlue][kSignSlash], 1);
    DrawPadded(420, 216, 10 * match.level, 3, kYellow, 0);
    DrawBestCombo(240);
    DrawRoundClock();
}

void DrawClearPanel() {
    // Lines past the goal are never shown as a negative count.
    const int toClear = match.lines < 50 ? 50 - match.lines : 0;
    DrawNumber(380, 106, toClear, 2, kYellow, 1);
    DrawBestCombo(144);
    DrawRoundClock();
}

}  // namespace

void DrawWinMarkers(int own, int opponent) {
    constexpr int kOwnX = 360, kOpponentX = 432;
    constexpr int kRowY[3] = {456, 432, 408};  // filled from the bottom
    for (int i = 0; i < 3; ++i) {
        DrawImage(kOwnX, kRowY[i], roundImages.blocks[kBlockGridEmpty], 0);
        DrawImage(kOpponentX, kRowY[i], roundImages.blocks[kBlockGridEmpty], 0);
    }
    for (int i = 0; i < 3 && i < own; ++i) DrawImage(kOwnX, kRowY[i], roundImages.blocks[0], 0);
    for (int i = 0; i < 3 && i < opponent; ++i)
        DrawImage(kOpponentX, kRowY[i], roundImages.blocks[2], 0);
}

void DrawHud(bool overBackdrop) {
    DrawNextPieces();
    if (!overBackdrop) DrawStillLabels(match.clearMode == 1);
    DrawLabel(8, 48, kLabelHold);
    DrawLabel(720, 48, kLabelHold);
    if (match.clearMode == 1) {
        DrawClearPanel();
    } else {
        DrawScorePanel();
    }
    if (match.netMode == 1) DrawWinMarkers(match.ownWins, match.opponentWins);
}

void DrawWellFrames(bool overBackdrop) {
    if (!overBackdrop || !backdrop.frames) return DrawFrames();
    DrawImage(kWellLeft, kWellTop, roundImages.edgeTop, 1);
    DrawImage(kOpponentFrameX, kWellTop, roundImages.edgeTop, 1);
    DrawImage(kWellLeft, kWellTop + kFrameLeftTop, roundImages.edgeLeft, 1);
}

void DrawFallGauge(int value) {
    const int v = Clamp(value, 0, kGaugeMax);
    if (v < kGaugeAlarm) {
        DrawImage(kGaugeX, kBarTop, roundImages.fallGauge[v < kGaugeMiddle ? kGaugeLow : kGaugeMid],
                  1);
    } else {
        // The counter lives in the match record; keep it a valid picture index.
        match.gaugeBlinkFrame = Clamp(match.gaugeBlinkFrame, 0, 2);
        DrawImage(kGaugeX, kBarTop, roundImages.fallGauge[match.gaugeBlinkFrame], 1);
        match.gaugeBlinkFrame = (match.gaugeBlinkFrame + 1) % 3;
    }
    DrawImageStretched(kGaugeX, kBarTop, kGaugeX + 16, kBarTop + v,
                       roundImages.fallGauge[kGaugeCover], 0);
    DrawImage(kGaugeX, kBarTop, roundImages.fallGauge[kGaugeOutline], 1);
}

void DrawComboBar(int value) {
    const int v = Clamp(value, 0, kBarHeight);
    DrawImage(kComboX, kBarTop, roundImages.comboBar[kComboBar], 1);
    DrawImageStretched(kComboX, kBarTop, kComboX + 16, kBarTop + kBarHeight - v,
                       roundImages.comboBar[kComboCover], 0);
    DrawImage(kComboX, kBarTop, roundImages.comboBar[kComboOutline], 1);
}

void DrawRoundBanner(int kind, int frame) {
    switch (kind) {
        case 0:
            if (frame >= 0 && frame < 16) DrawImage(100, 308, roundImages.ready[frame], 1);
            break;
        case 1:
            DrawImage(280, 268, roundImages.gameClear, 1);
            break;
        case 2:
            DrawImage(272, 268, roundImages.gameOver, 1);
            break;
        default:
            break;
    }
}

void DrawReadyFrame(int frame) {
    DrawRoundBanner(0, frame);
}
