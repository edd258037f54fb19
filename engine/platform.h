// The engine's and the store's only way to the platform: the clock, the local time,
// character stepping and case, the module path, and the window operations of the tick.
// The Win32 build implements these with the real calls (ui/platform_win32.cpp); the
// native unit tests with fakes (tests/fakes/fake_platform.cpp).
#pragma once
#include <cstdint>
#include "app_state.h"

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
// CharPrevW: the start of the character before position, or start itself.
const char16_t* PlatformPrevChar(const char16_t* start, const char16_t* position);
// GetModuleFileNameW of the program: units written (without terminator), 0 on failure.
int PlatformModuleFileName(char16_t* buffer, int room);

// Window operations of the tick and of BringToFront.
void PlatformSetRowText(WindowHandle window, int controlId, const char16_t* text);
WindowHandle PlatformForegroundWindow();
int PlatformIsChild(WindowHandle parent, WindowHandle window);
void PlatformInvalidateAll(WindowHandle window);                   // InvalidateRect(window, NULL, TRUE)
WindowHandle PlatformLastActivePopup(WindowHandle window);
int PlatformWindowCaption(WindowHandle window, char16_t* buffer, int room);
void PlatformSendCancel(WindowHandle popup);                        // WM_COMMAND IDCANCEL
void PlatformSleep(unsigned milliseconds);
void PlatformShowNotice(WindowHandle owner, const char16_t* text);  // the modal "TimeUp" box
uint32_t PlatformCurrentThreadId();
uint32_t PlatformWindowThreadId(WindowHandle window);
void PlatformAttachThreadInput(uint32_t from, uint32_t to, int attach);
void PlatformSetForegroundWindow(WindowHandle window);
void PlatformSetActiveWindow(WindowHandle window);

// Rebuilds the rows of the main window after the table changed (ui/timer_rows.cpp;
// a fake in the native tests).
void BuildTimerRows(WindowHandle window);
