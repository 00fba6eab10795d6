// alloc_spy.h - counts every allocation of a test executable linked with --wrap for
// malloc, calloc, realloc, operator new and new[] (see alloc_spy.cpp).
#ifndef VORLANE_TESTS_GAME_ALLOC_SPY_H
#define VORLANE_TESTS_GAME_ALLOC_SPY_H

#include <atomic>

extern std::atomic<long> allocationCount;

#endif
