// The platform seam of the engine and the store, on the real Win32 calls.
#include "ui.h"

static HWND AsWindow(WindowHandle window) { return static_cast<HWND>(window); }

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
    return static_cast<int>(GetModuleFileNameW(static_cast<HINSTANCE>(App.Instance), AsWide(buffer), room));
}

void PlatformSetRowText(WindowHandle window, int controlId, const char16_t* text)
{
    SetDlgItemTextW(AsWindow(window), controlId, AsWide(text));
}

WindowHandle PlatformForegroundWindow() { return GetForegroundWindow(); }

int PlatformIsChild(WindowHandle parent, WindowHandle window)
{
    return IsChild(AsWindow(parent), AsWindow(window)) ? 1 : 0;
}

void PlatformInvalidateAll(WindowHandle window) { InvalidateRect(AsWindow(window), nullptr, TRUE); }

WindowHandle PlatformLastActivePopup(WindowHandle window) { return GetLastActivePopup(AsWindow(window)); }

int PlatformWindowCaption(WindowHandle window, char16_t* buffer, int room)
{
    return GetWindowTextW(AsWindow(window), AsWide(buffer), room);
}

void PlatformSendCancel(WindowHandle popup) { SendMessageW(AsWindow(popup), WM_COMMAND, IDCANCEL, 0); }

void PlatformSleep(unsigned milliseconds) { Sleep(milliseconds); }

void PlatformShowNotice(WindowHandle owner, const char16_t* text)
{
    // MB_OK | MB_ICONINFORMATION | MB_TOPMOST, with the button in Japanese.
    MessageBoxExW(AsWindow(owner), AsWide(text), L"TimeUp", MB_OK | MB_ICONINFORMATION | MB_TOPMOST,
                  MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT));
}

uint32_t PlatformCurrentThreadId() { return GetCurrentThreadId(); }

uint32_t PlatformWindowThreadId(WindowHandle window) { return GetWindowThreadProcessId(AsWindow(window), nullptr); }

void PlatformAttachThreadInput(uint32_t from, uint32_t to, int attach)
{
    AttachThreadInput(from, to, attach ? TRUE : FALSE);
}

void PlatformSetForegroundWindow(WindowHandle window) { SetForegroundWindow(AsWindow(window)); }

void PlatformSetActiveWindow(WindowHandle window) { SetActiveWindow(AsWindow(window)); }
