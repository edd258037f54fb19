// The counting half of the quarter-second tick: one pass over the table that takes the time
// since the last tick off every running timer (countdowns by the tick count, clock timers by the
// wall clock), fills in the row texts and lists the expiries.
#include "tick.h"
#include "platform.h"
#include "text16.h"
#include "time_text.h"
#include "timer_table.h"

void CopyTimerLabel(const TimerRecord* record, char16_t (&label)[MAX_NAME_LENGTH + 1])
{
    TextCopyWhole(label, MAX_NAME_LENGTH + 1, TimerLabel(record));
}

// A running or paused row shows its name while BlinkPhase is below 4, else its time: the
// target time of a clock timer, the time left of a countdown.
static void RunningRowText(const TimerRecord* record, char16_t* text)
{
    if (App.BlinkPhase < 4 && record->Name[0] != 0) {
        TextCopyWhole(text, MAX_NAME_LENGTH + 1, record->Name);
        return;
    }
    uint64_t value = record->ClockMode ? record->Preset : record->Remaining;
    TextCopy(text, ROW_TEXT_UNITS, FormatTimeText(value, record->ClockMode));
}

void CountDownTimers(int advanceBlink, TickOutcome* outcome)
{
    const uint64_t tickNow = PlatformTickCount();
    const uint64_t wallNow = WallClockNow();
    if (advanceBlink)
        App.BlinkPhase = (App.BlinkPhase + 1) & 7;

    TimerTable& table = App.Timers;
    outcome->RowCount = 0;
    outcome->ExpiredCount = 0;
    for (int i = 0; i < table.Count && i < MAX_TIMERS; ++i) {
        TimerRecord& record = table.Records[i];
        char16_t* text = outcome->RowText[i];
        outcome->RowCount = i + 1;
        if (record.Remaining == 0) {
            // Expired earlier and waiting for removal: the row keeps its label.
        } else if (record.Suspended != 0) {
            RunningRowText(&record, text);
            continue;
        } else if (uint64_t left = RemainingAt(&record, tickNow, wallNow)) {
            record.Remaining = left;
            RunningRowText(&record, text);
            continue;
        } else {
            outcome->Expired[outcome->ExpiredCount++] = i;
            record.Remaining = 0;
        }
        TextCopyWhole(text, MAX_NAME_LENGTH + 1, TimerLabel(&record));
    }
    App.LastTick = tickNow;
    App.LastWallClock = wallNow;
}

uint64_t NextExpiryDue(uint64_t groupMs)
{
    uint64_t first = NO_EXPIRY_DUE;
    for (int i = 0; i < App.Timers.Count && i < MAX_TIMERS; ++i) {
        const TimerRecord& record = App.Timers.Records[i];
        if (record.Remaining != 0 && record.Suspended == 0 && record.Remaining < first)
            first = record.Remaining;
    }
    uint64_t due = first;
    for (int i = 0; i < App.Timers.Count && i < MAX_TIMERS; ++i) {
        const TimerRecord& record = App.Timers.Records[i];
        if (record.Remaining != 0 && record.Suspended == 0 && record.Remaining > due && record.Remaining - first <= groupMs)
            due = record.Remaining;
    }
    return due;
}
