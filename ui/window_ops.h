// The window operations of the tick and the time-up notice. ui/win32/window_ops.cpp does
// them with the real calls; the unit tests with a fake window whose notice runs ticks.
#pragma once
#include <cstdint>
#include "window_state.h"

// Who has the foreground, seen from the main window.
enum ForegroundOwner {
    FOREGROUND_ELSEWHERE,   // another program, or no window at all
    FOREGROUND_MAIN,        // the main window or one of its controls
    FOREGROUND_POPUP        // a dialog or box owned by the main window
};

// Sets row's time display to text; a tip open on that display follows (the time left, or
// 時間切れ).
void WindowSetRowText(WindowHandle mainWindow, int row, const char16_t* text);
int WindowForegroundOwner(WindowHandle mainWindow);
// Makes the window's last active popup (or the window) the foreground window.
void BringToFront(WindowHandle window);
// Flashes the taskbar button until the window comes to the foreground.
void WindowFlash(WindowHandle window);
// Plays the system's information sound once.
void WindowAlertSound();
// Tells screen readers that row's time display now says the timer ran out: its name changed, and
// it is a live region to be read at once, even with the notice muted.
void WindowAnnounceRow(WindowHandle mainWindow, int row);
// Repaints the whole window with its background: expired rows turn red.
void WindowInvalidate(WindowHandle window);
// The open "TimeUp" box of the main window (its last active popup with that caption), or null.
WindowHandle WindowOpenNotice(WindowHandle mainWindow);
// Closes a notice as if its button were pressed (WM_COMMAND IDCANCEL).
void WindowCloseNotice(WindowHandle notice);
// Waits without processing messages.
void WindowSleep(unsigned milliseconds);
// Shows the "TimeUp" box modally; window timers keep firing inside its loop.
void WindowShowNotice(WindowHandle mainWindow, const char16_t* text);
// SetTimer / KillTimer on the main window. Start returns 1 when the timer runs.
int WindowStartTimer(WindowHandle mainWindow, uintptr_t id, unsigned milliseconds);
void WindowStopTimer(WindowHandle mainWindow, uintptr_t id);
// Rebuilds the rows after the table changed, and resizes the window (ui/timer_rows.cpp).
void BuildTimerRows(WindowHandle window);
