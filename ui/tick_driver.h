// The window side of the tick: the row texts, raising the window, and the one time-up
// notice that lists every expired timer; when the tick runs at all.
#pragma once
#include <cstdint>
#include "window_state.h"

// "TimeUp", the notice's caption.
extern const char16_t NOTICE_CAPTION[];

// The power events after which the tick runs at once (PBT_APMRESUMESUSPEND, PBT_APMRESUMEAUTOMATIC).
const uintptr_t POWER_RESUME_SUSPEND = 0x7;
const uintptr_t POWER_RESUME_AUTOMATIC = 0x12;

// WM_TIMER of the main window: the 250 ms tick, or the early check for an expiry between
// two ticks. While a dialog of ours is open (ModalOpen) the table is left alone, and a timer
// whose time comes meanwhile only draws attention; the notice waits for the dialog to close.
void OnWindowTimer(WindowHandle mainWindow, uintptr_t timerId);
// A tick at once, as WM_TIMER would run it: the wall clock was set, or Windows resumed
// (WM_POWERBROADCAST with one of the events above; others do nothing).
void OnClockChange(WindowHandle mainWindow);
void OnPowerEvent(WindowHandle mainWindow, uintptr_t event);
// One tick; `regular` is 0 for the early check, which leaves BlinkPhase alone.
void ProcessTick(WindowHandle mainWindow, int regular);
// Sets row's time display to text, unless it already shows that text.
void ShowRowText(WindowHandle mainWindow, int row, const char16_t* text);
// The one way every change of the table goes (add, edit, delete, pause, resume, a request, the
// take-over, expiry, the removal after a notice, mute off): writes the journal, rebuilds the rows
// and starts or stops the tick. 0 when the tick is needed but could not be started.
int TimersChanged(WindowHandle mainWindow);
// The window is closing: after save-and-quit the saved timers are written through to disk; after
// a plain close they are dropped, and so is their journal.
void TimersAtClose();
// Stops both window timers, for good.
void StopTicks(WindowHandle mainWindow);
