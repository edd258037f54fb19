// Fakes at the seams of the native unit tests: the platform, the registry in memory, the window operations of the tick.
#pragma once
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>
#include <gtest/gtest.h>
#include "app_state.h"
#include "window_state.h"
#include "platform.h"

typedef std::vector<uint8_t> Bytes;
typedef std::vector<std::u16string> Texts;

typedef std::pair<uint32_t, Bytes> FakeValue;   // type, data
typedef std::map<std::u16string, FakeValue> FakeKey;
// A timer as the tests set and read it.
struct Timer { std::u16string Name; uint64_t Remaining; int Suspended, ClockMode; };
bool operator==(const Timer& a, const Timer& b);
// Inline: the fuzz targets link the fakes without GoogleTest's library.
inline void PrintTo(const Timer& t, std::ostream* out) {
    *out << "{" << testing::PrintToString(t.Name) << ", " << t.Remaining << ", " << t.Suspended << ", " << t.ClockMode
         << "}";
}
typedef std::vector<Timer> Timers;

struct FakeState {
    uint64_t TickCount = 0;
    LocalClockTime LocalTime = {0, 0, 0, 0};
    uint64_t LocalFileTime = 0;
    std::u16string ModulePath;
    // registry: key path -> value name -> value; OpenKeys counts keys not yet closed, Writes values set
    std::map<std::u16string, FakeKey> Keys;
    int OpenKeys = 0, Writes = 0, Flushes = 0;
    std::map<int, std::u16string> RowTexts;   // row -> text shown
    int RowWrites = 0;
    int Foreground = 0;                       // a ForegroundOwner value
    bool GrantForeground = true;              // BringToFront makes the main window foreground
    int Raised = 0, Flashed = 0, Sounds = 0, Invalidated = 0, Rebuilt = 0, Sleeps = 0;
    std::vector<int> Announced;               // the rows told to screen readers as run out
    Texts Notices;                            // every notice text shown, in order
    std::vector<bool> NoticeCancelled;        // the open notices, innermost last
    bool NoticeIgnoresCancel = false;
    std::function<void(int depth)> NoticeLoop;   // runs inside the notice at depth 1, 2, ...
    std::map<uintptr_t, unsigned> Timers;     // running window timers and their periods
};

extern FakeState Fake;
extern WindowHandle const MainWindow;

// Zeroes App and the fakes; FakesTest does so before each test.
void ResetFakes();
struct FakesTest : ::testing::Test {
    void SetUp() override { ResetFakes(); }
};
Bytes LE(uint64_t value, int size);
Bytes Utf16(const std::u16string& text);   // with the terminator
inline Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}
const std::u16string SETTINGS_KEY = u"Software\\Brelwix\\Korvalinde";
const uint64_t FILETIME_NOW = UINT64_C(134000000000000000);   // a local FILETIME in 2025
// The names are read up to their terminator or the end of the field.
Texts NamesOf(const TimerTable& table);
Timers TimersOf(const TimerTable& table);
// Countdowns of 5 minutes, clock timers for 17:30.
void SetTimers(const Timers& timers);
// The timers the next start would take up from Suspend0.., at the fake's clock.
TimerTable Journal();
Texts HistoryNames();
void SetHistory(const Texts& names);
