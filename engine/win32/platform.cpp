// The platform seam of the engine and the store (engine/platform.h) on the real Win32 calls.
// Nothing of the window layer: the engine's platform stands on kernel32 and user32 alone.
#include <windows.h>
#include "platform.h"

static bool IsHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
static bool IsLowSurrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }
static wchar_t* AsWide(char16_t* text) { return reinterpret_cast<wchar_t*>(text); }
static const wchar_t* AsWide(const char16_t* text) { return reinterpret_cast<const wchar_t*>(text); }

uint64_t PlatformTickCount() { return GetTickCount64(); }

void PlatformLocalTime(LocalClockTime* out)
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    out->Hour = now.wHour;
    out->Minute = now.wMinute;
    out->Second = now.wSecond;
    out->Millisecond = now.wMilliseconds;
}

uint64_t PlatformLocalFileTime()
{
    SYSTEMTIME now;
    FILETIME fileTime = {};
    GetLocalTime(&now);
    SystemTimeToFileTime(&now, &fileTime);
    return (static_cast<uint64_t>(fileTime.dwHighDateTime) << 32) | fileTime.dwLowDateTime;
}

void PlatformUpperCase(char16_t* text) { CharUpperW(AsWide(text)); }

const char16_t* PlatformNextChar(const char16_t* position)
{
    const char16_t* next = reinterpret_cast<const char16_t*>(CharNextW(AsWide(position)));
    // CharNextW may step one unit at a time; never stop inside a surrogate pair.
    if (next > position && IsLowSurrogate(*next) && IsHighSurrogate(next[-1]))
        ++next;
    return next;
}

// The program's own file: the module that started the process, which is the program itself.
int PlatformModuleFileName(char16_t* buffer, int room)
{
    return static_cast<int>(GetModuleFileNameW(nullptr, AsWide(buffer), static_cast<DWORD>(room)));
}
