// Tests of the timer table: adding, editing, deleting, pausing, removing expired timers,
// the LastTick compensation of new records and the time to go of clock timers.
#include <gtest/gtest.h>
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>
#include "fake_platform.h"
#include "tick.h"
#include "timer_table.h"

namespace {

class TimerTableTest : public ::testing::Test {
protected:
    void SetUp() override { ResetFakePlatform(); }
};

void SetLocalTime(int hour, int minute, int second, int millisecond)
{
    Fake.LocalTime = {hour, minute, second, millisecond};
}

// Names of the table's records in order; an unnamed record shows as "-".
std::vector<std::u16string> Names()
{
    std::vector<std::u16string> names;
    for (int i = 0; i < App.Timers.Count; ++i)
        names.push_back(App.Timers.Records[i].Name[0] ? App.Timers.Records[i].Name : u"-");
    return names;
}

void Fill(const std::vector<std::u16string>& names)
{
    for (const std::u16string& name : names)
        ASSERT_EQ(1, AddTimer(u"5", name.c_str()));
}

TEST_F(TimerTableTest, AddAcceptsAndRefuses)
{
    const struct {
        const char16_t* Text;
        int Result;
        uint64_t Preset;
        int Clock;
    } cases[] = {
        {u"0", 0, 0, 0},        {u"0:0:0", 0, 0, 0},      {u"x", 0, 0, 0},    {u"", 0, 0, 0},
        {u"A0", 1, 0, 1},       {u"PM12", 1, 0, 1},       {u"5", 1, 300000, 0}, {u"0:0:1", 1, 1000, 0},
        {u"p5:30", 1, 63000000, 1},
    };
    for (const auto& c : cases) {
        ResetFakePlatform();
        EXPECT_EQ(c.Result, AddTimer(c.Text, nullptr));
        ASSERT_EQ(c.Result, App.Timers.Count);
        if (c.Result) {
            const TimerRecord& r = App.Timers.Records[0];
            EXPECT_EQ(c.Preset, r.Preset);
            EXPECT_EQ(c.Clock, r.ClockMode);
            EXPECT_EQ(0, r.Suspended);
            EXPECT_EQ(0, r.Name[0]);
        }
    }
}

TEST_F(TimerTableTest, AddRefusesWhenFullWithoutParsing)
{
    for (int i = 0; i < MAX_TIMERS; ++i)
        ASSERT_EQ(1, AddTimer(u"1", nullptr));
    TimerRecord before[MAX_TIMERS];
    std::copy(App.Timers.Records, App.Timers.Records + MAX_TIMERS, before);
    EXPECT_EQ(0, AddTimer(u"5", u"late"));
    EXPECT_EQ(0, AddTimer(u"A9", nullptr));
    EXPECT_EQ(MAX_TIMERS, App.Timers.Count);
    EXPECT_EQ(0, std::memcmp(before, App.Timers.Records, sizeof before));
}

TEST_F(TimerTableTest, NewRecordsMakeUpForTheTimeSinceLastTick)
{
    App.LastTick = 5000;
    Fake.TickCount = 6000;   // 1000 ms since the last tick
    ASSERT_EQ(1, AddTimer(u"5", nullptr));
    EXPECT_EQ(301000u, App.Timers.Records[0].Remaining);
    EXPECT_EQ(300000u, App.Timers.Records[0].Preset);

    Fake.TickCount = 6250;
    ProcessTick(nullptr);
    EXPECT_EQ(299750u, App.Timers.Records[0].Remaining);   // five minutes less 250 ms

    // A replaced record is compensated the same way (a dialog held the ticks back 40 s).
    Fake.TickCount = 46250;
    ASSERT_EQ(1, ReplaceTimer(0, u"0:0:10", nullptr));
    EXPECT_EQ(50000u, App.Timers.Records[0].Remaining);

    // Tick count and LastTick are unsigned: a huge LastTick gap wraps, not traps.
    ResetFakePlatform();
    App.LastTick = 0;
    Fake.TickCount = UINT64_MAX;
    ASSERT_EQ(1, AddTimer(u"1", nullptr));
    EXPECT_EQ(60000u - 1u, App.Timers.Records[0].Remaining);
}

TEST_F(TimerTableTest, TimeToGo)
{
    const struct {
        int Hour, Minute, Second, Millisecond;
        uint64_t Target;
        uint64_t ToGo;
    } cases[] = {
        {17, 0, 0, 0, 61500000, 300000},            // 17:05 at 17:00
        {17, 0, 0, 0, 60900000, 86100000},          // 16:55 goes off tomorrow
        {17, 0, 0, 0, 61200000, 0},                 // due now, to the millisecond
        {17, 0, 0, 1, 61200000, 86399999},          // one millisecond late: tomorrow
        {16, 59, 59, 999, 61200000, 1},
        {23, 59, 59, 999, 0, 1},                    // midnight, one ms before it
        {0, 0, 0, 0, 0, 0},                         // midnight, at it
        {0, 0, 0, 1, 0, 86399999},                  // midnight, just after it
        {23, 59, 59, 0, 86399000, 0},
        {0, 0, 0, 500, 86399000, 86398500},
        {12, 0, 0, 0, 43200000, 0},
    };
    for (const auto& c : cases) {
        SetLocalTime(c.Hour, c.Minute, c.Second, c.Millisecond);
        EXPECT_EQ(c.ToGo, TimeToGo(c.Target))
            << c.Hour << ":" << c.Minute << ":" << c.Second << "." << c.Millisecond << " to " << c.Target;
    }
}

TEST_F(TimerTableTest, ClockTimersRunDownTheirTimeToGo)
{
    SetLocalTime(17, 0, 0, 0);
    App.LastTick = 100;
    Fake.TickCount = 300;
    ASSERT_EQ(1, AddTimer(u"P5:05", u"tea"));
    const TimerRecord& r = App.Timers.Records[0];
    EXPECT_EQ(1, r.ClockMode);
    EXPECT_EQ(61500000u, r.Preset);
    EXPECT_EQ(300200u, r.Remaining);
    EXPECT_EQ(std::u16string(u"tea"), std::u16string(r.Name));
    ASSERT_EQ(1, AddTimer(u"P5", nullptr));
    EXPECT_EQ(200u, App.Timers.Records[1].Remaining);   // due at once, not tomorrow
}

TEST_F(TimerTableTest, Names)
{
    const struct {
        const char16_t* Given;
        const char16_t* Stored;
    } cases[] = {
        {nullptr, u""},
        {u"", u""},
        {u"tea", u"tea"},
        {u"0123456789", u"0123456789"},                 // ten units: whole
        {u"0123456789ABCDEF", u"0123456789"},           // longer: cut to ten
        {u"012345678\U0001F600", u"012345678"},         // a pair at the cut is not split
        {u"01234567\U0001F600", u"01234567\U0001F600"}, // a pair that fits stays
    };
    for (const auto& c : cases) {
        ResetFakePlatform();
        ASSERT_EQ(1, AddTimer(u"5", c.Given));
        const TimerRecord& added = App.Timers.Records[0];
        EXPECT_EQ(std::u16string(c.Stored), std::u16string(added.Name));
        // Units after the terminator are zero.
        for (int i = std::char_traits<char16_t>::length(c.Stored); i < TIMER_NAME_UNITS; ++i)
            EXPECT_EQ(0, added.Name[i]);

        std::memset(App.Timers.Records[0].Name, 0x41, sizeof App.Timers.Records[0].Name);
        ASSERT_EQ(1, ReplaceTimer(0, u"7", c.Given));
        EXPECT_EQ(std::u16string(c.Stored), std::u16string(App.Timers.Records[0].Name));
        for (int i = std::char_traits<char16_t>::length(c.Stored); i < TIMER_NAME_UNITS; ++i)
            EXPECT_EQ(0, App.Timers.Records[0].Name[i]);
    }
}

TEST_F(TimerTableTest, Replace)
{
    Fill({u"a", u"b", u"c"});
    // Paused: runs again, with the new preset.
    ASSERT_EQ(1, ToggleSuspend(1));
    ASSERT_EQ(1, ReplaceTimer(1, u"0:2:0", u"new"));
    EXPECT_EQ(0, App.Timers.Records[1].Suspended);
    EXPECT_EQ(120000u, App.Timers.Records[1].Preset);
    EXPECT_EQ(120000u, App.Timers.Records[1].Remaining);
    EXPECT_EQ(std::u16string(u"new"), std::u16string(App.Timers.Records[1].Name));
    // An empty name removes the name.
    ASSERT_EQ(1, ReplaceTimer(1, u"3", u""));
    EXPECT_EQ(0, App.Timers.Records[1].Name[0]);
    // Expired: runs again.
    App.Timers.Records[2].Remaining = 0;
    ASSERT_EQ(1, ReplaceTimer(2, u"A9", nullptr));
    EXPECT_EQ(1, App.Timers.Records[2].ClockMode);
    EXPECT_NE(0u, App.Timers.Records[2].Remaining);
    // A zero countdown changes nothing.
    TimerRecord before = App.Timers.Records[0];
    EXPECT_EQ(0, ReplaceTimer(0, u"0", u"zzz"));
    EXPECT_EQ(0, std::memcmp(&before, &App.Timers.Records[0], sizeof before));
    EXPECT_EQ(3, App.Timers.Count);
    // Replacing keeps the index and the count, also in a full table.
    ResetFakePlatform();
    Fill({u"0", u"1", u"2", u"3", u"4", u"5", u"6", u"7", u"8", u"9"});
    ASSERT_EQ(1, ReplaceTimer(9, u"1", u"last"));
    EXPECT_EQ(10, App.Timers.Count);
    EXPECT_EQ(std::u16string(u"last"), std::u16string(App.Timers.Records[9].Name));
    // Indexes outside the table are refused.
    EXPECT_EQ(0, ReplaceTimer(10, u"1", nullptr));
    EXPECT_EQ(0, ReplaceTimer(-1, u"1", nullptr));
}

TEST_F(TimerTableTest, Delete)
{
    using V = std::vector<std::u16string>;
    const struct {
        V Before;
        int Index;
        V After;
    } cases[] = {
        {{u"a", u"b", u"c"}, 0, {u"b", u"c"}},
        {{u"a", u"b", u"c"}, 1, {u"a", u"c"}},
        {{u"a", u"b", u"c"}, 2, {u"a", u"b"}},
        {{u"a"}, 0, {}},
        {{u"0", u"1", u"2", u"3", u"4", u"5", u"6", u"7", u"8", u"9"}, 0,
         {u"1", u"2", u"3", u"4", u"5", u"6", u"7", u"8", u"9"}},
        {{u"0", u"1", u"2", u"3", u"4", u"5", u"6", u"7", u"8", u"9"}, 9,
         {u"0", u"1", u"2", u"3", u"4", u"5", u"6", u"7", u"8"}},
        {{u"a", u"b"}, 2, {u"a", u"b"}},    // outside the table: nothing happens
        {{u"a", u"b"}, -1, {u"a", u"b"}},
    };
    for (const auto& c : cases) {
        ResetFakePlatform();
        Fill(c.Before);
        DeleteTimer(c.Index);
        EXPECT_EQ(c.After, Names()) << "delete " << c.Index;
    }
    // Deleting the last record moves nothing: the slot behind the count keeps its record.
    ResetFakePlatform();
    Fill({u"a", u"b", u"c"});
    DeleteTimer(2);
    EXPECT_EQ(std::u16string(u"c"), std::u16string(App.Timers.Records[2].Name));
    // The remaining records move whole, not just their names.
    ResetFakePlatform();
    Fill({u"a"});
    ASSERT_EQ(1, AddTimer(u"P5", u"b"));
    DeleteTimer(0);
    EXPECT_EQ(1, App.Timers.Records[0].ClockMode);
    EXPECT_EQ(61200000u, App.Timers.Records[0].Preset);
}

TEST_F(TimerTableTest, ToggleSuspend)
{
    Fill({u"run"});
    ASSERT_EQ(1, AddTimer(u"A9", u"clock"));
    Fill({u"done"});
    App.Timers.Records[2].Remaining = 0;

    const struct {
        int Index;
        int Result;
        int Suspended;   // of the record afterwards, when the index is inside the table
    } steps[] = {
        {0, 1, 1}, {0, 1, 0}, {0, 1, 1},   // pause, resume, pause
        {1, 0, 0},                         // clock timer
        {2, 0, 0},                         // expired
        {3, 0, -1}, {10, 0, -1}, {-1, 0, -1},
    };
    for (const auto& s : steps) {
        TimerTable before = App.Timers;
        EXPECT_EQ(s.Result, ToggleSuspend(s.Index)) << s.Index;
        if (s.Suspended >= 0)
            EXPECT_EQ(s.Suspended, App.Timers.Records[s.Index].Suspended) << s.Index;
        if (!s.Result)
            EXPECT_EQ(0, std::memcmp(&before, &App.Timers, sizeof before)) << s.Index;
    }
}

TEST_F(TimerTableTest, CompactExpired)
{
    using V = std::vector<std::u16string>;
    const struct {
        V Names;
        std::vector<int> Expired;
        V After;
        int Removed;
    } cases[] = {
        {{u"A", u"B", u"C", u"D"}, {1, 3}, {u"A", u"C"}, 2},
        {{u"A", u"B", u"C", u"D"}, {}, {u"A", u"B", u"C", u"D"}, 0},
        {{u"A", u"B", u"C"}, {0, 1, 2}, {}, 3},
        {{u"A", u"B", u"C"}, {0}, {u"B", u"C"}, 1},
        {{}, {}, {}, 0},
        // A full table, partly expired.
        {{u"0", u"1", u"2", u"3", u"4", u"5", u"6", u"7", u"8", u"9"}, {0, 2, 3, 9},
         {u"1", u"4", u"5", u"6", u"7", u"8"}, 4},
        {{u"0", u"1", u"2", u"3", u"4", u"5", u"6", u"7", u"8", u"9"}, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}, {}, 10},
    };
    for (const auto& c : cases) {
        ResetFakePlatform();
        Fill(c.Names);
        for (int i : c.Expired)
            App.Timers.Records[i].Remaining = 0;
        EXPECT_EQ(c.Removed, CompactExpired());
        EXPECT_EQ(c.After, Names());
        for (int i = 0; i < App.Timers.Count; ++i)
            EXPECT_NE(0u, App.Timers.Records[i].Remaining);
    }
    // Records move whole: a paused countdown keeps its state and time.
    ResetFakePlatform();
    Fill({u"x", u"y"});
    App.Timers.Records[0].Remaining = 0;
    App.Timers.Records[1].Remaining = 1234;
    App.Timers.Records[1].Suspended = 1;
    EXPECT_EQ(1, CompactExpired());
    EXPECT_EQ(1234u, App.Timers.Records[0].Remaining);
    EXPECT_EQ(1, App.Timers.Records[0].Suspended);
}

TEST_F(TimerTableTest, Label)
{
    const struct {
        const char16_t* Text;
        const char16_t* Name;
        const char16_t* Label;
    } cases[] = {
        {u"5", u"tea", u"tea"},
        {u"5", nullptr, u" 0:05:00"},
        {u"P5:30", nullptr, u"PM 5:30:00"},
        {u"1000:0", nullptr, u"*000:00:00"},
    };
    for (const auto& c : cases) {
        ResetFakePlatform();
        ASSERT_EQ(1, AddTimer(c.Text, c.Name));
        App.Timers.Records[0].Remaining = 1;   // the label shows the preset, not the time left
        EXPECT_EQ(std::u16string(c.Label), std::u16string(TimerLabel(&App.Timers.Records[0])));
    }
}

}  // namespace
