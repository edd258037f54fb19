// The window side of the tick: the row texts, raising the window, and the one time-up
// notice that lists every expired timer; when the tick runs at all.
#pragma once
#include <cstdint>
#include "window_state.h"

// "TimeUp", the notice's caption.
extern const char16_t NOTICE_CAPTION[];

// WM_TIMER of the main window: the 250 ms tick, or the early check for an expiry between
// two ticks. Dropped while a dialog of ours is open (ModalOpen).
void OnWindowTimer(WindowHandle mainWindow, uintptr_t timerId);
// One tick; `regular` is 0 for the early check, which leaves BlinkPhase alone.
void ProcessTick(WindowHandle mainWindow, int regular);
// Sets row's time display to text, unless it already shows that text.
void ShowRowText(WindowHandle mainWindow, int row, const char16_t* text);
// After every change of the set of timers: rebuilds the rows, writes the journal and starts
// or stops the tick. 0 when the tick is needed but could not be started.
int TimersChanged(WindowHandle mainWindow);
// Stops both window timers, for good.
void StopTicks(WindowHandle mainWindow);
