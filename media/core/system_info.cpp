// system_info.cpp - the block of system information written to the log at start-up,
// and the measured processor cycle rate.
//
// Owns: the library's version text, the OS line, the processor lines and the cycle
// rate that the microsecond clock may use. Must not touch: the log's state (it only
// writes through LogString/LogFormat).
//
// The OS line keeps the form "<system><version> ( Build <n> <service text> )". On
// Linux the parts of the kernel release "6.1.0-18-amd64" stand in for the Windows
// ones: "Linux" joined with "6.1" (major.minor, as "Windows" was joined with "XP"),
// the build number is the third number of the release (0), and the service text is
// the whole release text, giving "Linux6.1 ( Build 0 6.1.0-18-amd64 )".
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "media/core/log.h"
#include "media/platform/plat_clock.h"
#include "media/platform/plat_system.h"

namespace {

constexpr const char* kVersionText = "0.53";

double g_cyclesPerSecond;

// Reads a decimal number at `*p` (0 when there is none) and moves past it.
long ReadNumber(const char** p) {
    long value = 0;
    int digits = 0;
    while (**p >= '0' && **p <= '9' && digits < 9) {
        value = value * 10 + (**p - '0');
        ++*p;
        ++digits;
    }
    while (**p >= '0' && **p <= '9') ++*p;
    return value;
}

void LogOsLine() {
    char description[256];
    PlatOsDescription(description, sizeof description);
    char system[64];
    const char* release = strchr(description, ' ');
    size_t systemLength =
        release ? static_cast<size_t>(release - description) : strlen(description);
    if (systemLength >= sizeof system) systemLength = sizeof system - 1;
    memcpy(system, description, systemLength);
    system[systemLength] = '\0';
    release = release ? release + 1 : "";

    const char* p = release;
    long major = ReadNumber(&p);
    long minor = 0, patch = 0;
    if (*p == '.') {
        ++p;
        minor = ReadNumber(&p);
    }
    if (*p == '.') {
        ++p;
        patch = ReadNumber(&p);
    }
    LogString("ＯＳ  ");
    LogFormat("%s%ld.%ld ( Build %d %s )", system, major, minor, static_cast<int>(patch), release);
}

// Counts processor cycles over 100 ms of tick time.
double MeasureCycleRate() {
    uint64_t cycles0 = PlatCycleCounter();
    uint32_t tick0 = PlatTickMillis();
    PlatSleepMillis(100);
    uint64_t cycles1 = PlatCycleCounter();
    uint32_t elapsed = PlatTickMillis() - tick0;
    if (elapsed == 0 || cycles1 <= cycles0) return 0.0;
    return static_cast<double>(cycles1 - cycles0) * 1000.0 / elapsed;
}

void LogProcessor() {
    PlatCpuInfo cpu;
    PlatCpuIdentify(&cpu);
    if (!cpu.hasCpuid) {
        LogString("ＣＰＵＩＤ命令は使えません\n");
        return;
    }
    if (cpu.hasTsc) {
        g_cyclesPerSecond = MeasureCycleRate();
        LogFormat("ＣＰＵ動作速度：大体%.2fGHz", g_cyclesPerSecond / 1000000000.0);
    }
    LogString(cpu.hasMmx ? "ＭＭＸ命令を使用します\n" : "ＭＭＸは使えません\n");
    LogString("ＣＰＵベンダ：");
    LogString(cpu.vendor);
    LogString("\n");
    // The brand text is padded with blanks on some processors.
    char* brand = cpu.brand;
    while (*brand == ' ') ++brand;
    size_t length = strlen(brand);
    while (length > 0 && brand[length - 1] == ' ') brand[--length] = '\0';
    if (*brand) LogFormat("ＣＰＵ名：%s", brand);
}

}  // namespace

void LogSystemInformation() {
    LogString("システムの情報を出力します\n");
    char line[128];
    snprintf(line, sizeof line, "ＰＡＶＥＸライブラリ Ver%s\n", kVersionText);
    LogString(line);
    LogOsLine();
    LogProcessor();
}

double CpuCyclesPerSecond() {
    return g_cyclesPerSecond;
}
