// log.h - the library's log file "Log.txt" (internal side).
//
// Owns: creating the log in the start directory, the time stamp, indentation and
// CR LF rules, Shift-JIS in the file, the system-information block and the fatal
// exit. The public AddLogString / AddLogFormat / LogIndentIn / LogIndentOut /
// FatalErrorExit are declared in pavex.h. Texts given to the log are UTF-8.
#ifndef PAVEX_CORE_LOG_H
#define PAVEX_CORE_LOG_H

#include <stddef.h>
#include <stdint.h>

// Deletes and recreates "Log.txt" in `directory` and starts the time stamps at 0.
void LogStart(const char* directory);
// Writes the system-information block (OS, CPU) to the log.
void LogSystemInformation();
// The measured processor cycle rate (cycles per second), 0 when unknown.
double CpuCyclesPerSecond();

// Internal forms of the public calls (callers already hold the API lock).
void LogString(const char* text);
void LogFormat(const char* format, ...) __attribute__((format(printf, 1, 2)));
void LogIndent(int delta);
// Writes `length` bytes into the log as they are, without the text conversion (data
// shown in the log, such as the allocation dump's preview); stamp and indentation
// follow the same rules as for text.
void LogBytes(const char* bytes, size_t length);

#endif
