// The table of up to ten timers: adding, editing, deleting, pausing and removing the
// expired ones, and the label a timer shows once it has expired.
#include "timer_table.h"
#include "platform.h"
#include "text16.h"
#include "time_text.h"

static const uint64_t FILETIME_UNITS_PER_MS = 10000;

// Callers give at most 10 units; a longer name is cut rather than overrunning Name.
static void SetName(TimerRecord* record, const char16_t* name)
{
    for (char16_t& unit : record->Name)
        unit = 0;
    if (name != nullptr && name[0] != 0)
        TextCopyWhole(record->Name, MAX_NAME_LENGTH + 1, name);
}

// The time since the last tick on the clock a timer counts by, which the next tick takes off
// every running timer: a timer made or resumed now gets it on top of its time.
static uint64_t SinceLastTick(int clock)
{
    if (clock == 0)
        return PlatformTickCount() - App.LastTick;
    uint64_t wallNow = WallClockNow();
    return wallNow > App.LastWallClock ? wallNow - App.LastWallClock : 0;
}

// A fresh record from a parsed time text.
static TimerRecord MakeRecord(uint64_t value, int clock, const char16_t* name)
{
    TimerRecord record = {};
    record.Preset = value;
    uint64_t toGo = clock ? TimeToGo(value) : value;
    record.Remaining = toGo + SinceLastTick(clock);
    record.Suspended = 0;
    record.ClockMode = clock;
    SetName(&record, name);
    return record;
}

int AddTimer(const char16_t* text, const char16_t* name)
{
    if (App.Timers.Count >= MAX_TIMERS)
        return 0;
    uint64_t value = 0;
    int clock = ParseTimeText(&value, text);
    if (clock == 0 && value == 0)
        return 0;
    App.Timers.Records[App.Timers.Count] = MakeRecord(value, clock, name);
    ++App.Timers.Count;
    return 1;
}

int ReplaceTimer(int index, const char16_t* text, const char16_t* name)
{
    if (index < 0 || index >= App.Timers.Count)
        return 0;
    uint64_t value = 0;
    int clock = ParseTimeText(&value, text);
    if (clock == 0 && value == 0)
        return 0;
    App.Timers.Records[index] = MakeRecord(value, clock, name);
    return 1;
}

void DeleteTimer(int index)
{
    TimerTable& table = App.Timers;
    if (index < 0 || index >= table.Count)
        return;
    --table.Count;
    for (int i = index; i < table.Count; ++i)
        table.Records[i] = table.Records[i + 1];
}

int ToggleSuspend(int index)
{
    if (index < 0 || index >= App.Timers.Count)
        return 0;
    TimerRecord& record = App.Timers.Records[index];
    if (record.Remaining == 0 || record.ClockMode != 0)
        return 0;
    // Remaining of a running timer still holds the time since LastTick, which the next tick
    // takes off; a paused timer is skipped by the tick, so it keeps only its true time left,
    // and gets the catch-up back when it runs again.
    if (record.Suspended == 0) {
        record.Remaining = TimeLeftNow(&record);
        record.Suspended = 1;
    } else {
        record.Remaining += SinceLastTick(0);
        record.Suspended = 0;
    }
    return 1;
}

int CompactExpired()
{
    TimerTable& table = App.Timers;
    int write = 0;
    for (int read = 0; read < table.Count; ++read) {
        if (table.Records[read].Remaining == 0)
            continue;
        if (write != read)
            table.Records[write] = table.Records[read];
        ++write;
    }
    int removed = table.Count - write;
    table.Count = write;
    return removed;
}

// Milliseconds from the time of day now (ms since midnight) to the next occurrence of clockTime.
static uint64_t TimeToGoFrom(uint64_t clockTime, uint64_t now)
{
    if (clockTime < now)
        return clockTime + MS_PER_DAY - now;   // passed today: tomorrow at that time
    return clockTime - now;
}

uint64_t TimeToGo(uint64_t clockTime)
{
    LocalClockTime local;
    PlatformLocalTime(&local);
    uint64_t now = ((static_cast<uint64_t>(local.Hour) * 60 + static_cast<uint64_t>(local.Minute)) * 60
                    + static_cast<uint64_t>(local.Second)) * 1000 + static_cast<uint64_t>(local.Millisecond);
    return TimeToGoFrom(clockTime, now);
}

uint64_t WallClockNow()
{
    return PlatformLocalFileTime() / FILETIME_UNITS_PER_MS;
}

void StartTickClocks()
{
    App.LastTick = PlatformTickCount();
    App.LastWallClock = WallClockNow();
}

uint64_t RemainingAt(const TimerRecord* record, uint64_t tickNow, uint64_t wallNow)
{
    const uint64_t remaining = record->Remaining;
    if (record->ClockMode == 0) {
        const uint64_t passed = tickNow - App.LastTick;
        return remaining > passed ? remaining - passed : 0;
    }
    // A wall clock set forward (a time sync, the start of daylight saving time, a resume with
    // a corrected clock) past the alarm's time makes it due at once.
    if (wallNow >= App.LastWallClock) {
        const uint64_t passed = wallNow - App.LastWallClock;
        return remaining > passed ? remaining - passed : 0;
    }
    // Set back, the alarm waits for its time again; at most until that time of day next comes
    // round, however far back the clock went. The local FILETIME counts whole days of 86400 s,
    // so the time of day is its remainder.
    const uint64_t back = App.LastWallClock - wallNow;
    const uint64_t waited = remaining > UINT64_MAX - back ? UINT64_MAX : remaining + back;
    const uint64_t next = TimeToGoFrom(record->Preset, wallNow % MS_PER_DAY);
    return waited < next ? waited : next;
}

uint64_t TimeLeftNow(const TimerRecord* record)
{
    if (record->Remaining == 0 || record->Suspended != 0)
        return record->Remaining;
    const uint64_t left = RemainingAt(record, PlatformTickCount(), WallClockNow());
    return left != 0 ? left : 1;
}

int TimerIsDue()
{
    const uint64_t tickNow = PlatformTickCount();
    const uint64_t wallNow = WallClockNow();
    for (int i = 0; i < App.Timers.Count && i < MAX_TIMERS; ++i) {
        const TimerRecord& record = App.Timers.Records[i];
        if (record.Remaining != 0 && record.Suspended == 0 && RemainingAt(&record, tickNow, wallNow) == 0)
            return 1;
    }
    return 0;
}

int RenameTimer(int index, const char16_t* name)
{
    if (index < 0 || index >= App.Timers.Count)
        return 0;
    SetName(&App.Timers.Records[index], name);
    return 1;
}

int EditTimer(int index, const char16_t* text, const char16_t* shownText, const char16_t* name)
{
    // A timer that has run out is started again by OK, as before.
    const int running = index >= 0 && index < App.Timers.Count && App.Timers.Records[index].Remaining != 0;
    if (running && TextEqual(text, shownText))
        return RenameTimer(index, name);
    return ReplaceTimer(index, text, name);
}

const char16_t* EditFormText(const TimerRecord* record)
{
    return record->ClockMode ? FormatEditTimeText(record->Preset, 1) : FormatEditTimeText(TimeLeftNow(record), 0);
}

const char16_t* TimerLabel(const TimerRecord* record)
{
    if (record->Name[0] != 0)
        return record->Name;
    return FormatTimeText(record->Preset, record->ClockMode);
}
