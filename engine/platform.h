// The engine's and the store's only way to the platform: the clock, the local time,
// character stepping and case, and the program's path. The Win32 build implements these with
// the real calls (engine/win32/platform.cpp); the native unit tests with a fake clock.
#pragma once
#include <cstdint>

struct LocalClockTime {
    int Hour;
    int Minute;
    int Second;
    int Millisecond;
};

// GetTickCount64: ms since the system started, never wrapping.
uint64_t PlatformTickCount();
// GetLocalTime: the local wall-clock time of day.
void PlatformLocalTime(LocalClockTime* out);
// GetLocalTime + SystemTimeToFileTime: local wall-clock time on the FILETIME scale
// (100 ns since 1601-01-01), always a multiple of 10000.
uint64_t PlatformLocalFileTime();
// CharUpperW on a NUL-terminated text, in place. ASCII a-z become A-Z.
void PlatformUpperCase(char16_t* text);
// CharNextW: the start of the next character; stays on the terminator; never stops
// between the two halves of a surrogate pair.
const char16_t* PlatformNextChar(const char16_t* position);
// GetModuleFileNameW of the program: units written (without terminator), 0 on failure.
int PlatformModuleFileName(char16_t* buffer, int room);
