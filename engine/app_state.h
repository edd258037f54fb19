// The engine's and the store's global state block: the timer table, the name history, the
// tick's phase and notice flags, and the settings. (The window's handles and flags are the
// window layer's: ui/window_state.h.) Statically allocated and zero at start; zero is also the
// default of every setting.
#pragma once
#include <cstdint>

const int MAX_TIMERS = 10;
const int MAX_HISTORY = 16;
const int TIMER_NAME_UNITS = 12;      // a name of at most 10 units, its terminator and one spare
const int HISTORY_NAME_UNITS = 11;    // 10 units and the terminator: 22 bytes in the registry
const int MAX_NAME_LENGTH = 10;
const int TIME_TEXT_UNITS = 256;      // a time text of at most 255 units and its terminator
const int TIME_TEXT_BUFFER_UNITS = 32;
const int ROW_TEXT_UNITS = 16;        // the longest row text, "*234:05:06" or a name, and room to spare

struct TimerRecord {
    uint64_t Preset;       // the value the user set: duration, or ms since local midnight
    uint64_t Remaining;    // ms still to run; 0 = expired
    int32_t Suspended;     // nonzero while paused (countdowns only)
    int32_t ClockMode;     // 1 = time of day, 0 = countdown
    char16_t Name[TIMER_NAME_UNITS];
};

struct TimerTable {
    TimerRecord Records[MAX_TIMERS];
    int32_t Count;
};

struct NameHistory {
    char16_t Entries[MAX_HISTORY][HISTORY_NAME_UNITS];   // most recent first
    int32_t Count;
};

struct WindowPosition {
    int32_t X;
    int32_t Y;
};

// NoticeState bits
const uint32_t TICK_BUSY = 0x1;          // a tick is counting and has not reached its notice stage
const uint32_t NOTICE_SHOWN = 0x2;       // a time-up notice is open
const uint32_t NOTICE_REPLACING = 0x4;   // a tick is closing the open notice to replace it

struct AppState {
    // timer engine
    TimerTable Timers;
    uint64_t LastTick;
    uint64_t LastWallClock;                         // the local wall clock at LastTick, ms since 1601
    NameHistory History;
    uint32_t NoticeState;
    uint32_t BlinkPhase;                            // 0 to 7; names show while below 4
    char16_t TimeTextBuffer[TIME_TEXT_BUFFER_UNITS];

    // settings (registry)
    WindowPosition Position;
    int32_t Mute;
    int32_t TopMost;
    uint16_t HotKey;                                // low byte virtual key, high byte HOTKEYF_* flags
    int32_t RememberAtShutdown;
};

extern AppState App;
