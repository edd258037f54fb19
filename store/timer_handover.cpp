// Timers handed over across a quit or the end of Windows: each timer as a 48-byte
// Suspend<i> value under the settings key, and the one-time restart under RunOnce.
#include "timer_handover.h"
#include <cstring>
#include "app_state.h"
#include "byte_order.h"
#include "platform.h"
#include "stored_values.h"
#include "time_text.h"
#include "timer_table.h"

static const char16_t RUN_ONCE_KEY_PATH[] = u"Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
static const char16_t RUN_ONCE_VALUE_NAME[] = u"Korvalinde";

// Layout of the stored record; not the layout of TimerRecord in memory.
static const int OFFSET_PRESET = 0;
static const int OFFSET_SUSPENDED = 8;
static const int OFFSET_CLOCK_MODE = 12;
static const int OFFSET_TIME = 16;        // ExpiryTime of a running timer, else Remaining
static const int OFFSET_NAME = 24;
static const uint64_t FILETIME_UNITS_PER_MS = 10000;
static const int COMMAND_UNITS = TEXT_VALUE_UNITS;   // quote, path of up to 259 units, quote, terminator
static const int MODULE_PATH_ROOM = 260;
// The latest expiry the 64-bit time field can hold.
static const uint64_t LATEST_EXPIRY = UINT64_MAX;

// The longest time left that an expiry stored now can still express. Larger countdowns
// (typed as billions of minutes) are stored at the latest expiry instead of wrapping round to
// a few years.
static uint64_t LongestStorableRemaining(uint64_t now)
{
    return (LATEST_EXPIRY - now) / FILETIME_UNITS_PER_MS;
}

static void EncodeRecord(const TimerRecord* record, uint8_t* bytes)
{
    memset(bytes, 0, SUSPEND_RECORD_BYTES);
    // The time left now: Remaining still holds the time since LastTick, which the next tick
    // takes off.
    const uint64_t left = TimeLeftNow(record);
    uint64_t time = left;
    if (record->Suspended == 0 && left != 0) {
        uint64_t now = PlatformLocalFileTime();
        time = left <= LongestStorableRemaining(now) ? left * FILETIME_UNITS_PER_MS + now : LATEST_EXPIRY;
    }
    PutLE64(bytes + OFFSET_PRESET, record->Preset);
    PutLE32(bytes + OFFSET_SUSPENDED, static_cast<uint32_t>(record->Suspended));
    PutLE32(bytes + OFFSET_CLOCK_MODE, static_cast<uint32_t>(record->ClockMode));
    PutLE64(bytes + OFFSET_TIME, time);
    // The name up to its terminator; the last unit of the field always stays 0.
    for (int u = 0; u < TIMER_NAME_UNITS - 1 && record->Name[u] != 0; ++u)
        PutLE16(bytes + OFFSET_NAME + 2 * u, record->Name[u]);
}

// A stored record may come from an older run, another program or a hand edit; it is read
// conservatively so that the table only ever holds states the program itself makes.
static void DecodeRecord(const uint8_t* bytes, TimerRecord* record)
{
    memset(record, 0, sizeof(*record));
    uint64_t preset = GetLE64(bytes + OFFSET_PRESET);
    int32_t suspended = static_cast<int32_t>(GetLE32(bytes + OFFSET_SUSPENDED));
    int32_t clockMode = static_cast<int32_t>(GetLE32(bytes + OFFSET_CLOCK_MODE));
    uint64_t time = GetLE64(bytes + OFFSET_TIME);

    uint64_t now = PlatformLocalFileTime();
    if (suspended == 0 && time != 0) {
        uint64_t left = time > now ? (time - now) / FILETIME_UNITS_PER_MS : 0;
        // Due or overdue: 1 ms, so that the first tick reports it like any expiry.
        record->Remaining = left != 0 ? left : 1;
    } else if (time == 0) {
        // Stored expired (a notice was open when Windows ended): reported at the first tick
        // like a timer that ran out while the program was away, instead of staying red with
        // no notice ever naming it.
        record->Remaining = 1;
    } else {
        // A paused time beyond what a later save could write as an expiry is cut to it.
        uint64_t longest = LongestStorableRemaining(now);
        record->Remaining = time < longest ? time : longest;
    }
    record->Preset = preset;
    record->ClockMode = clockMode != 0 ? 1 : 0;
    // Only a countdown with time left can be paused; anything else comes back running
    // (or expired) rather than stuck in a state no command can leave.
    record->Suspended = (suspended != 0 && record->ClockMode == 0 && time != 0) ? 1 : 0;
    // A clock timer shows its Preset as a time of day; keep that below a day. Its expiry
    // is in the time field and does not change.
    if (record->ClockMode != 0)
        record->Preset %= MS_PER_DAY;
    // The name up to its terminator, but never more than a name the program could have
    // made: the dialog's field and the history slots hold 10 units.
    for (int u = 0; u < MAX_NAME_LENGTH; ++u) {
        char16_t unit = static_cast<char16_t>(GetLE16(bytes + OFFSET_NAME + 2 * u));
        if (unit == 0)
            break;
        record->Name[u] = unit;
    }
}

static void WriteTimerValues(RegistryKey key, const void*)
{
    char16_t name[VALUE_NAME_UNITS];
    uint8_t bytes[SUSPEND_RECORD_BYTES];
    for (int i = 0; i < App.Timers.Count && i < MAX_TIMERS; ++i) {
        EncodeRecord(&App.Timers.Records[i], bytes);
        MakeValueName(name, u"Suspend", i);
        RegistrySetValue(key, name, REGISTRY_TYPE_BINARY, bytes, SUSPEND_RECORD_BYTES);
    }
}

// The Suspend values from *from (an int) on.
static void DeleteTimerValues(RegistryKey key, const void* from)
{
    const int first = *static_cast<const int*>(from);
    char16_t name[VALUE_NAME_UNITS];
    for (int i = first < 0 ? 0 : first; i < MAX_TIMERS; ++i) {
        MakeValueName(name, u"Suspend", i);
        RegistryDeleteValue(key, name);
    }
}

// Every value was taken up at the start, so what lies behind the table is a timer that went.
static void WriteJournal(RegistryKey key, const void*)
{
    WriteTimerValues(key, nullptr);
    DeleteTimerValues(key, &App.Timers.Count);
}

// Values beyond Count from an earlier save stay: nothing here deletes.
void SaveTimers() { UseKey(SETTINGS_KEY_PATH, KEY_CREATED, REGISTRY_ALL_ACCESS, WriteTimerValues, nullptr); }

void JournalTimers()
{
    if (App.RememberAtShutdown)
        UseKey(SETTINGS_KEY_PATH, KEY_CREATED, REGISTRY_ALL_ACCESS, WriteJournal, nullptr);
}

void DiscardJournal()
{
    const int all = 0;
    UseKey(SETTINGS_KEY_PATH, KEY_EXISTING, REGISTRY_ALL_ACCESS, DeleteTimerValues, &all);
}

void RememberTimers(int remember)
{
    const int32_t remembered = App.RememberAtShutdown;
    App.RememberAtShutdown = remember ? 1 : 0;
    if (App.RememberAtShutdown)
        JournalTimers();
    else if (remembered)
        DiscardJournal();
}

void RestoreTimers(RegistryKey key)
{
    char16_t name[VALUE_NAME_UNITS];
    for (int i = 0; i < MAX_TIMERS; ++i) {
        // The table is empty at start-up; should it not be, values that do not fit stay
        // in the key for a later start rather than overrun the table.
        if (App.Timers.Count < 0 || App.Timers.Count >= MAX_TIMERS)
            return;
        MakeValueName(name, u"Suspend", i);
        // A short value reads as zeros behind its bytes, never as the rest of the previous one.
        uint8_t bytes[SUSPEND_RECORD_BYTES];
        if (!ReadStoredBytes(key, name, bytes, SUSPEND_RECORD_BYTES))
            continue;   // missing or over-long: neither restored nor deleted
        DecodeRecord(bytes, &App.Timers.Records[App.Timers.Count]);
        ++App.Timers.Count;
        // A journal stays until it is written anew from the table (JournalTimers, once the
        // window is up), so that a kill in between loses nothing.
        if (!App.RememberAtShutdown)
            RegistryDeleteValue(key, name);
    }
}

static void WriteRunOnce(RegistryKey key, const void* command)
{
    WriteStoredText(key, RUN_ONCE_VALUE_NAME, static_cast<const char16_t*>(command), COMMAND_UNITS - 1);
}

void RegisterRunOnce()
{
    char16_t command[COMMAND_UNITS] = {};
    command[0] = u'"';
    int length = PlatformModuleFileName(command + 1, MODULE_PATH_ROOM);
    if (length <= 0)
        return;
    // A truncated path may come back without its terminator; bound it ourselves.
    if (length > MODULE_PATH_ROOM - 1)
        length = MODULE_PATH_ROOM - 1;
    command[1 + length] = u'"';
    command[2 + length] = 0;

    UseKey(RUN_ONCE_KEY_PATH, KEY_CREATED, REGISTRY_ALL_ACCESS, WriteRunOnce, command);
}

