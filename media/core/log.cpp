// log.cpp - the log file "Log.txt" (see log.h) and the public log calls.
//
// Owns: the log state record (file path, switches, indentation, the mid-line flag
// and the start time), the conversion of the UTF-8 text it is given to Shift-JIS,
// the CR LF rule, and the time stamp and indentation at the start of each line.
// The file is opened, appended to and closed for every write, so it survives a
// crash. Must not touch: the current directory (the path is absolute) and the
// tracking allocator (the allocator logs through here; long texts are worked in
// pieces on the stack instead of being copied to the heap).
#include "media/core/log.h"

#include <stdarg.h>
#include <stdio.h>
#include <string.h>

#include "media/core/api_lock.h"
#include "pavex.h"
#include "media/platform/plat_clock.h"
#include "media/platform/plat_system.h"

namespace {

constexpr size_t kPathSize = 4096;
constexpr size_t kPiece = 1024;  // UTF-8 bytes converted at a time

struct LogState {
    char logFileName[32];
    char logPath[kPathSize];  // directory + "/" + logFileName; empty before LogStart
    int logDisabled;
    int logTimeStampOff;
    int logIndent;
    int logMidLine;
    uint32_t logStartTime;
};

LogState g_log;

const char* FileName() {
    return g_log.logFileName[0] ? g_log.logFileName : "Log.txt";
}

// Where the log goes: the start directory once the log was started, the current
// directory before that.
const char* LogPath() {
    return g_log.logPath[0] ? g_log.logPath : FileName();
}

bool IsSjisLead(unsigned char c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

// Copies `in` to `out`, turning every line feed not preceded by a carriage return
// into CR LF. Double-byte characters are copied whole. `previous` carries the last
// byte across pieces. `out` holds 2 * length bytes.
size_t ExpandLineFeeds(const char* in, size_t length, char* out, unsigned char* previous) {
    size_t o = 0;
    for (size_t i = 0; i < length; ++i) {
        unsigned char c = static_cast<unsigned char>(in[i]);
        if (IsSjisLead(c) && i + 1 < length) {
            out[o++] = in[i];
            out[o++] = in[i + 1];
            *previous = static_cast<unsigned char>(in[i + 1]);
            ++i;
            continue;
        }
        if (c == '\n' && *previous != '\r') out[o++] = '\r';
        out[o++] = static_cast<char>(c);
        *previous = c;
    }
    return o;
}

// Length of the first `limit` (or fewer) bytes of `text` that end on a whole UTF-8
// character.
size_t WholeUtf8Prefix(const char* text, size_t length, size_t limit) {
    if (length <= limit) return length;
    size_t cut = limit;
    for (int back = 0; back < 3 && cut > 0; ++back) {
        if ((static_cast<unsigned char>(text[cut]) & 0xC0) != 0x80) break;
        --cut;
    }
    return cut > 0 ? cut : limit;
}

// Writes `length` bytes of UTF-8 text converted to Shift-JIS, or with `asIs` the bytes
// unchanged.
void WriteText(const char* text, size_t length, bool asIs) {
    if (length == 0 || g_log.logDisabled) return;

    FILE* file = fopen(LogPath(), "ab");
    if (file) {
        if (!g_log.logMidLine) {
            if (!g_log.logTimeStampOff) {
                uint32_t elapsed = PlatTickMillis() - g_log.logStartTime;
                fprintf(file, "%d:", static_cast<int>(elapsed));
            }
            for (int i = 0; i < g_log.logIndent; ++i) fputc('\t', file);
        }
        unsigned char previous = 0;
        for (size_t done = 0; !asIs && done < length;) {
            char utf8[kPiece + 1];
            size_t take = WholeUtf8Prefix(text + done, length - done, kPiece);
            memcpy(utf8, text + done, take);
            utf8[take] = '\0';
            done += take;
            // Shift-JIS never needs more bytes than UTF-8 for the same text.
            char sjis[kPiece + 1];
            size_t sjisLength = PlatUtf8ToShiftJis(utf8, sjis, sizeof sjis);
            char lines[2 * kPiece];
            size_t out = ExpandLineFeeds(sjis, sjisLength, lines, &previous);
            fwrite(lines, 1, out, file);
        }
        if (asIs) fwrite(text, 1, length, file);
        fclose(file);
    }
    // A file that cannot be opened is skipped, but the line state still follows
    // the text so that the next entry starts where it should.
    g_log.logMidLine = text[length - 1] != '\n';
}

void FormatAndWrite(const char* format, va_list args) {
    char text[2048];
    int n = vsnprintf(text, sizeof text - 1, format ? format : "", args);
    size_t length = n < 0 ? 0 : static_cast<size_t>(n);
    if (length > sizeof text - 2) {
        // Cut off: drop a character that lost its last bytes, so the converter
        // does not turn it into '?'.
        length = strlen(text);
        size_t lead = length;
        while (lead > 0 && length - lead < 3 &&
               (static_cast<unsigned char>(text[lead - 1]) & 0xC0) == 0x80) {
            --lead;
        }
        if (lead > 0) {
            unsigned char c = static_cast<unsigned char>(text[lead - 1]);
            size_t need = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
            if (lead - 1 + need > length) length = lead - 1;
        }
    }
    text[length] = '\n';
    text[length + 1] = '\0';
    WriteText(text, strlen(text), false);
}

}  // namespace

void LogStart(const char* directory) {
    char dir[kPathSize];
    if (directory && directory[0]) {
        snprintf(dir, sizeof dir, "%s", directory);
    } else if (PlatGetCurrentDirectory(dir, sizeof dir) != 0) {
        dir[0] = '\0';
    }
    size_t dirLength = strlen(dir);
    while (dirLength > 1 && dir[dirLength - 1] == '/') dir[--dirLength] = '\0';
    const char* separator = (dirLength > 0 && dir[dirLength - 1] == '/') ? "" : "/";
    int n = -1;
    if (dirLength > 0) {
        n = snprintf(g_log.logPath, sizeof g_log.logPath, "%s%s%s", dir, separator, FileName());
    }
    if (n < 0 || static_cast<size_t>(n) >= sizeof g_log.logPath) {
        // No usable start directory: the log follows the current directory.
        g_log.logPath[0] = '\0';
    }
    g_log.logIndent = 0;
    g_log.logMidLine = 0;
    g_log.logStartTime = PlatTickMillis();
    if (g_log.logDisabled) return;
    remove(LogPath());
    FILE* file = fopen(LogPath(), "wb");
    if (file) fclose(file);
}

void LogString(const char* text) {
    if (text) WriteText(text, strlen(text), false);
}

void LogBytes(const char* bytes, size_t length) {
    if (bytes) WriteText(bytes, length, true);
}

void LogFormat(const char* format, ...) {
    va_list args;
    va_start(args, format);
    FormatAndWrite(format, args);
    va_end(args);
}

void LogIndent(int delta) {
    long long indent = static_cast<long long>(g_log.logIndent) + delta;
    if (indent < 0) indent = 0;
    if (indent > 1000) indent = 1000;
    g_log.logIndent = static_cast<int>(indent);
}

extern "C" {

int AddLogString(const char* text) {
    ApiScope lock;
    LogString(text);
    return 0;
}

int AddLogFormat(const char* format, ...) {
    ApiScope lock;
    va_list args;
    va_start(args, format);
    FormatAndWrite(format, args);
    va_end(args);
    return 0;
}

int LogIndentIn(void) {
    ApiScope lock;
    LogIndent(1);
    return 0;
}

int LogIndentOut(void) {
    ApiScope lock;
    LogIndent(-1);
    return 0;
}

}  // extern "C"
