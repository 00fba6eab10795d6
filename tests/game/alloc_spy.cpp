// alloc_spy.cpp - see alloc_spy.h. Each wrapped allocation function counts the call
// and passes it on (operator new and new[] by their mangled names).
#include "tests/game/alloc_spy.h"

#include <stddef.h>

std::atomic<long> allocationCount{0};

#define COUNTED(name, params, args)         \
    extern "C" void* __real_##name params;  \
    extern "C" void* __wrap_##name params { \
        allocationCount += 1;               \
        return __real_##name args;          \
    }
COUNTED(malloc, (size_t n), (n))
COUNTED(calloc, (size_t count, size_t n), (count, n))
COUNTED(realloc, (void* p, size_t n), (p, n))
COUNTED(_Znwm, (size_t n), (n))
COUNTED(_Znam, (size_t n), (n))
