// plat_system.h - facts about the machine and the process, as the library needs them.
//
// Implemented once in media/platform/host (real in every build, tests included).
#ifndef PAVEX_PLATFORM_SYSTEM_H
#define PAVEX_PLATFORM_SYSTEM_H

#include <stddef.h>
#include <stdint.h>

// Current directory. Get writes a zero-terminated path (returns 0, or -1 when it
// does not fit); Set returns 0 or -1.
int PlatGetCurrentDirectory(char* out, size_t size);
int PlatSetCurrentDirectory(const char* path);

// "Linux 6.1.0-18-amd64" style text of the operating system and kernel; the
// build/version parts for the log's OS line.
void PlatOsDescription(char* out, size_t size);
// Physical memory in bytes (0 when unknown).
void PlatMemoryStatus(uint64_t* total, uint64_t* available);

// Processor identification (CPUID). Returns 0 when the instruction is missing.
struct PlatCpuInfo {
    int hasCpuid;
    int hasTsc;
    int hasMmx;
    char vendor[13];
    char brand[49];
};
void PlatCpuIdentify(PlatCpuInfo* info);
uint64_t PlatCycleCounter();  // time-stamp counter, 0 without one

// Converts UTF-8 text to Shift-JIS (CP932). Writes at most size-1 bytes and a zero;
// characters without a Shift-JIS form become '?'. Returns the bytes written.
size_t PlatUtf8ToShiftJis(const char* utf8, char* out, size_t size);
// The reverse, for names the library receives in Shift-JIS (archive entries).
size_t PlatShiftJisToUtf8(const char* sjis, size_t length, char* out, size_t size);

#endif
