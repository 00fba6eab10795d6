// cpu.cpp - processor identification (CPUID) and the time-stamp counter.
//
// Owns: PlatCpuIdentify and PlatCycleCounter. On processors other than x86 there
// is no identification instruction: hasCpuid is 0 and the counter reads 0.
// Must not touch: anything else of plat_system.h.
#include <string.h>

#include "media/platform/plat_system.h"

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#include <x86intrin.h>
#define PAVEX_HAVE_CPUID 1
#else
#define PAVEX_HAVE_CPUID 0
#endif

void PlatCpuIdentify(PlatCpuInfo* info) {
    if (!info) return;
    memset(info, 0, sizeof *info);
#if PAVEX_HAVE_CPUID
    unsigned int a = 0, b = 0, c = 0, d = 0;
    if (!__get_cpuid(0, &a, &b, &c, &d)) return;
    info->hasCpuid = 1;
    unsigned int maxLeaf = a;
    memcpy(info->vendor + 0, &b, 4);
    memcpy(info->vendor + 4, &d, 4);
    memcpy(info->vendor + 8, &c, 4);
    info->vendor[12] = '\0';
    if (maxLeaf >= 1 && __get_cpuid(1, &a, &b, &c, &d)) {
        info->hasTsc = (d >> 4) & 1;
        info->hasMmx = (d >> 23) & 1;
    }
    unsigned int maxExt = __get_cpuid_max(0x80000000u, nullptr);
    if (maxExt >= 0x80000004u) {
        unsigned int regs[12];
        for (unsigned int i = 0; i < 3; ++i) {
            __get_cpuid(0x80000002u + i, &regs[i * 4 + 0], &regs[i * 4 + 1], &regs[i * 4 + 2],
                        &regs[i * 4 + 3]);
        }
        memcpy(info->brand, regs, 48);
        info->brand[48] = '\0';
    }
#endif
}

uint64_t PlatCycleCounter() {
#if PAVEX_HAVE_CPUID
    return __rdtsc();
#else
    return 0;
#endif
}
