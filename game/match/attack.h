// attack.h - attack lines earned by combos and rows pushed in from below.
#ifndef VORLANE_MATCH_ATTACK_H
#define VORLANE_MATCH_ATTACK_H

constexpr int kMaxRowsPushedIn = 5;

// In network play, a clearing lock from the second of a combo window on announces
// its rows to the opponent.
void EarnAttack(int rowsCleared);
// Pushes n rows of garbage (at most 5), each with one random gap, in from below.
void InsertRows(int n);
// Pushes in the rows received from the opponent and forgets the rest.
void InsertPendingRows();

#endif
