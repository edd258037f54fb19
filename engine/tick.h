// The quarter-second tick: counting down, row texts, expiry, and the time-up notice.
#pragma once
#include "app_state.h"

// Caption of the time-up notice.
extern const char16_t NoticeCaption[];

// One tick of the main window's 250 ms timer.
void ProcessTick(WindowHandle mainWindow);
// Makes the window's last active popup (or the window) the foreground window.
void BringToFront(WindowHandle window);
