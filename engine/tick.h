// The counting half of the quarter-second tick: timers count down by the time since
// LastTick, and the tick says what each row shows and which timers ran out. What the user
// sees of it (row texts, the raised window, the notice) is the window side's (ui/tick_driver.h).
#pragma once
#include <cstdint>
#include "app_state.h"

struct TickOutcome {
    int RowCount;                                  // rows with a text below: the table's count
    char16_t RowText[MAX_TIMERS][ROW_TEXT_UNITS];  // what each row's time display shows
    int ExpiredCount;                              // timers that ran out in this tick, in index order
    int Expired[MAX_TIMERS];
};

// Counts every running timer down by the time since the last tick (LastTick, LastWallClock).
// A regular tick also advances BlinkPhase; an early check for an expiry between regular ticks
// leaves it alone, so that names and times keep turning once a second.
void CountDownTimers(int advanceBlink, TickOutcome* outcome);
// Milliseconds from LastTick until the first running timer falls due, or until the last of
// those that fall due within groupMs after it, so that timers started together share one
// notice; NO_EXPIRY_DUE when no timer is running.
uint64_t NextExpiryDue(uint64_t groupMs);
// The label of a timer, cut to the 10 units a name may have, so that a record whose name
// lost its terminator cannot make a row or the notice read on into the next record.
void CopyTimerLabel(const TimerRecord* record, char16_t (&label)[MAX_NAME_LENGTH + 1]);

const uint64_t NO_EXPIRY_DUE = UINT64_MAX;
