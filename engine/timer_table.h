// The table of up to ten timers and the operations that change it.
#pragma once
#include <cstdint>
#include "app_state.h"

// Appends a timer from a time text and an optional name (null or empty: none).
// 1 when appended; 0 when the table is full or the text is a countdown of zero.
int AddTimer(const char16_t* text, const char16_t* name);
// Restarts timer index from a new text and name. 1 when replaced; 0 for a zero countdown.
int ReplaceTimer(int index, const char16_t* text, const char16_t* name);
// Removes timer index (0 to Count - 1), moving later timers up.
void DeleteTimer(int index);
// Pauses or resumes a running or paused countdown. 1 when toggled, 0 when not allowed.
int ToggleSuspend(int index);
// Removes every expired timer, keeping order. Returns the number removed.
int CompactExpired();
// Milliseconds from the local time now to the next occurrence of a time of day.
uint64_t TimeToGo(uint64_t clockTime);
// The local wall clock now, in ms since 1601 (the FILETIME scale): what clock timers count by.
uint64_t WallClockNow();
// Sets LastTick and LastWallClock to now: the moment the first tick measures from.
void StartTickClocks();
// What a running timer's Remaining becomes at the tick count tickNow and the wall clock wallNow:
// a countdown loses the tick count's time since LastTick; a clock timer the wall clock's time
// since LastWallClock, so that it goes off when the local clock shows its time, whatever the
// clock did meanwhile. 0 when it is due.
uint64_t RemainingAt(const TimerRecord* record, uint64_t tickNow, uint64_t wallNow);
// The time a timer has left now: for a running timer Remaining less the time since the last
// tick, which the next tick takes off (at least 1 ms while it runs); else Remaining.
uint64_t TimeLeftNow(const TimerRecord* record);
// 1 when a running timer's time has come by now; the table is left as it is.
int TimerIsDue();
// Gives timer index a new name and leaves its time as it is. 1 when renamed.
int RenameTimer(int index, const char16_t* name);
// OK of the edit form: a time text still as the form showed it (shownText) keeps the timer's
// time, which has gone on running since, and changes only the name; another text restarts the
// timer (ReplaceTimer). 1 when changed.
int EditTimer(int index, const char16_t* text, const char16_t* shownText, const char16_t* name);
// What the edit form's time field shows for a timer: a clock timer its time of day, a
// countdown the time it has left now (in App.TimeTextBuffer).
const char16_t* EditFormText(const TimerRecord* record);
// The label of a timer: its Name, else FormatTimeText of its Preset (in App.TimeTextBuffer).
const char16_t* TimerLabel(const TimerRecord* record);
