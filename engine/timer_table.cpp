// The table of up to ten timers: adding, editing, deleting, pausing and removing the
// expired ones, and the label a timer shows once it has expired.
#include "timer_table.h"
#include "platform.h"
#include "text16.h"
#include "time_text.h"

// A fresh record from a parsed time text. Remaining also gets the time since LastTick,
// which the next tick takes off every running record.
static TimerRecord MakeRecord(uint64_t value, int clock, const char16_t* name)
{
    TimerRecord record = {};
    record.Preset = value;
    uint64_t toGo = clock ? TimeToGo(value) : value;
    record.Remaining = toGo + (PlatformTickCount() - App.LastTick);
    record.Suspended = 0;
    record.ClockMode = clock;
    // Callers give at most 10 units; a longer name is cut rather than overrunning Name.
    if (name != nullptr && name[0] != 0)
        TextCopyWhole(record.Name, MAX_NAME_LENGTH + 1, name);
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
        record.Remaining += PlatformTickCount() - App.LastTick;
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

uint64_t TimeToGo(uint64_t clockTime)
{
    LocalClockTime local;
    PlatformLocalTime(&local);
    uint64_t now = ((static_cast<uint64_t>(local.Hour) * 60 + static_cast<uint64_t>(local.Minute)) * 60
                    + static_cast<uint64_t>(local.Second)) * 1000 + static_cast<uint64_t>(local.Millisecond);
    if (clockTime < now)
        return clockTime + MS_PER_DAY - now;   // passed today: tomorrow at that time
    return clockTime - now;
}

uint64_t TimeLeftNow(const TimerRecord* record)
{
    if (record->Remaining == 0 || record->Suspended != 0)
        return record->Remaining;
    uint64_t sinceTick = PlatformTickCount() - App.LastTick;
    return record->Remaining > sinceTick ? record->Remaining - sinceTick : 1;
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
