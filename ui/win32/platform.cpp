// The platform seam of the engine and the store, on the real Win32 calls.
#include "ui.h"
#include "app_state.h"
#include "platform.h"

static bool IsHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
static bool IsLowSurrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

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

const char16_t* PlatformPrevChar(const char16_t* start, const char16_t* position)
{
    const char16_t* previous = reinterpret_cast<const char16_t*>(CharPrevW(AsWide(start), AsWide(position)));
    if (previous > start && IsLowSurrogate(*previous) && IsHighSurrogate(previous[-1]))
        --previous;
    return previous;
}

int PlatformModuleFileName(char16_t* buffer, int room)
{
    return static_cast<int>(GetModuleFileNameW(static_cast<HINSTANCE>(Ui.Instance), AsWide(buffer), room));
}
