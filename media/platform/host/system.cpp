// system.cpp - current directory, operating-system description and memory status.
//
// Owns: the POSIX calls behind plat_system.h's directory, OS and memory functions
// (getcwd/chdir, uname, sysinfo). Must not touch: processor identification
// (cpu.cpp) and text conversion (text_codec.cpp).
#include <stdio.h>
#include <string.h>
#include <sys/sysinfo.h>
#include <sys/utsname.h>
#include <unistd.h>

#include "media/platform/plat_system.h"

int PlatGetCurrentDirectory(char* out, size_t size) {
    if (!out || size == 0) return -1;
    if (!getcwd(out, size)) {
        out[0] = '\0';
        return -1;
    }
    return 0;
}

int PlatSetCurrentDirectory(const char* path) {
    if (!path || !path[0]) return -1;
    return chdir(path) == 0 ? 0 : -1;
}

void PlatOsDescription(char* out, size_t size) {
    if (!out || size == 0) return;
    struct utsname name;
    if (uname(&name) != 0) {
        snprintf(out, size, "Linux");
        return;
    }
    snprintf(out, size, "%s %s", name.sysname, name.release);
}

void PlatMemoryStatus(uint64_t* total, uint64_t* available) {
    uint64_t t = 0, a = 0;
    struct sysinfo info;
    if (sysinfo(&info) == 0) {
        uint64_t unit = info.mem_unit ? info.mem_unit : 1;
        t = static_cast<uint64_t>(info.totalram) * unit;
        a = static_cast<uint64_t>(info.freeram + info.bufferram) * unit;
    }
    if (total) *total = t;
    if (available) *available = a;
}
