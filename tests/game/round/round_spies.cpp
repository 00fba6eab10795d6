// round_spies.cpp - records what a round asks of the screen, the start animation, the
// sound effects and the network (allocations: see alloc_spy.cpp).
//
// The test executable is linked with --wrap for these symbols (see CMakeLists.txt):
// each call from the game lands in a __wrap_ function here, which records it and
// calls the original. Game functions are C++, so their wrapped names are mangled.
#include "tests/game/round/round_fixture.h"

namespace rspy {
Flip flips[kMaxFlips];
int flipCount;
int sends, sendsWithEnd, receives;
int effects[32];
void (*onFlip)(int index);
void (*onReceive)();
namespace {
int readyDrawn = -1;
}  // namespace
void Clear() {
    flipCount = 0;
    sends = sendsWithEnd = receives = 0;
    for (int& e : effects) e = 0;
    readyDrawn = -1;
}
}  // namespace rspy

extern "C" {
int __real_FlipScreen(void);
void __real__Z14DrawReadyFramei(int frame);
void __real__Z15PlaySoundEffecti(int n);

int __wrap_FlipScreen(void) {
    const int index = rspy::flipCount;
    if (index < rspy::kMaxFlips) {
        rspy::flips[index] = {script::NowMs(), rspy::readyDrawn, allocationCount.load()};
        rspy::flipCount += 1;
    }
    rspy::readyDrawn = -1;
    const int result = __real_FlipScreen();
    if (rspy::onFlip != nullptr) rspy::onFlip(index);
    return result;
}
void __wrap__Z14DrawReadyFramei(int frame) {
    rspy::readyDrawn = frame;
    __real__Z14DrawReadyFramei(frame);
}
void __wrap__Z15PlaySoundEffecti(int n) {
    if (n >= 0 && n < 32) rspy::effects[n] += 1;
    __real__Z15PlaySoundEffecti(n);
}
// The network side is stood in for: a send records the end flag it would carry, a
// receive lets the test play the opponent.
void __wrap__Z16SendMatchMessagev() {
    rspy::sends += 1;
    if (match.gameOver) rspy::sendsWithEnd += 1;
}
// Returns the messages "read" for callers that count them; the loop ignores it.
int __wrap__Z19ReceiveMatchMessagev() {
    rspy::receives += 1;
    if (rspy::onReceive != nullptr) rspy::onReceive();
    return 0;
}
}
