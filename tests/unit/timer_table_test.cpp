// The timer table: adding, editing, deleting, pausing, removing expired timers, the
// LastTick compensation of new records and the time to go of clock timers.
#include <gtest/gtest.h>
#include "fake_platform.h"
#include "test_support.h"
#include "tick.h"
#include "timer_table.h"

namespace {

class TimerTableTest : public ::testing::Test {
protected:
    void SetUp() override { ResetFakePlatform(); }
};

void Fill(const Texts& names)
{
    ResetFakePlatform();
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
    } cases[] = {{u"0", 0, 0, 0}, {u"0:0:0", 0, 0, 0}, {u"x", 0, 0, 0}, {u"", 0, 0, 0},
                 {u"A0", 1, 0, 1}, {u"PM12", 1, 0, 1}, {u"0:0:1", 1, 1000, 0}};
    for (const auto& c : cases) {
        ResetFakePlatform();
        EXPECT_EQ(c.Result, AddTimer(c.Text, nullptr));
        ASSERT_EQ(c.Result, App.Timers.Count);
        if (c.Result) {
            EXPECT_EQ(c.Preset, App.Timers.Records[0].Preset);
            EXPECT_EQ(c.Clock, App.Timers.Records[0].ClockMode);
        }
    }
    Fill(Texts(MAX_TIMERS, u"t"));
    TimerTable before = App.Timers;
    EXPECT_EQ(0, AddTimer(u"5", u"late"));
    EXPECT_EQ(0, std::memcmp(&before, &App.Timers, sizeof before));
}

// Names of at most 10 units, cut without splitting a surrogate pair, zeros behind them.
TEST_F(TimerTableTest, Names)
{
    const struct {
        const char16_t* Given;
        std::u16string Stored;
    } cases[] = {
        {nullptr, u""},
        {u"", u""},
        {u"0123456789ABCDEF", u"0123456789"},
        {u"012345678\U0001F600", u"012345678"},
        {u"01234567\U0001F600", u"01234567\U0001F600"},
    };
    for (const auto& c : cases) {
        ResetFakePlatform();
        ASSERT_EQ(1, AddTimer(u"5", c.Given));
        const char16_t* name = App.Timers.Records[0].Name;
        EXPECT_EQ(c.Stored, std::u16string(name, name + c.Stored.size()));
        for (size_t i = c.Stored.size(); i < TIMER_NAME_UNITS; ++i)
            EXPECT_EQ(0, name[i]);
    }
}

TEST_F(TimerTableTest, NewRecordsMakeUpForTheTimeSinceLastTick)
{
    App.LastTick = 5000;
    Fake.TickCount = 6000;
    ASSERT_EQ(1, AddTimer(u"5", nullptr));
    EXPECT_EQ(301000u, App.Timers.Records[0].Remaining);
    Fake.TickCount = 6250;
    ProcessTick(nullptr);
    EXPECT_EQ(299750u, App.Timers.Records[0].Remaining);

    // An edit dialog held the ticks back for 40 s: that time is not counted.
    Fake.TickCount = 46250;
    ASSERT_EQ(1, ReplaceTimer(0, u"0:0:10", nullptr));
    EXPECT_EQ(50000u, App.Timers.Records[0].Remaining);
    EXPECT_EQ(10000u, App.Timers.Records[0].Preset);

    // A clock timer runs down its time to go.
    Fake.LocalTime = {17, 0, 0, 0};
    ASSERT_EQ(1, AddTimer(u"P5:05", nullptr));
    EXPECT_EQ(300000u + 40000u, App.Timers.Records[1].Remaining);
    EXPECT_EQ(61500000u, App.Timers.Records[1].Preset);
}

TEST_F(TimerTableTest, TimeToGo)
{
    const struct {
        LocalClockTime Now;
        uint64_t Target, ToGo;
    } cases[] = {
        {{17, 0, 0, 0}, 61500000, 300000},     // 17:05
        {{17, 0, 0, 0}, 60900000, 86100000},   // 16:55 goes off tomorrow
        {{17, 0, 0, 0}, 61200000, 0},          // due now, not tomorrow
        {{17, 0, 0, 1}, 61200000, 86399999},
        {{23, 59, 59, 999}, 0, 1},             // midnight
    };
    for (const auto& c : cases) {
        Fake.LocalTime = c.Now;
        EXPECT_EQ(c.ToGo, TimeToGo(c.Target)) << c.Target;
    }
}

TEST_F(TimerTableTest, Replace)
{
    Fill({u"a", u"b", u"c"});
    ASSERT_EQ(1, ToggleSuspend(1));
    ASSERT_EQ(1, ReplaceTimer(1, u"0:2:0", u""));   // paused: runs again, without its name
    EXPECT_EQ(0, App.Timers.Records[1].Suspended);
    EXPECT_EQ(120000u, App.Timers.Records[1].Remaining);
    EXPECT_EQ(0, App.Timers.Records[1].Name[0]);
    App.Timers.Records[2].Remaining = 0;
    ASSERT_EQ(1, ReplaceTimer(2, u"A9", nullptr));   // expired: runs again
    EXPECT_NE(0u, App.Timers.Records[2].Remaining);
    TimerTable before = App.Timers;
    EXPECT_EQ(0, ReplaceTimer(0, u"0", u"zzz"));
    EXPECT_EQ(0, ReplaceTimer(3, u"1", nullptr));
    EXPECT_EQ(0, ReplaceTimer(-1, u"1", nullptr));
    EXPECT_EQ(0, std::memcmp(&before, &App.Timers, sizeof before));
}

TEST_F(TimerTableTest, Delete)
{
    const struct {
        int Index;
        Texts After;
    } cases[] = {{0, {u"b", u"c"}}, {1, {u"a", u"c"}}, {2, {u"a", u"b"}}, {3, {u"a", u"b", u"c"}},
                 {-1, {u"a", u"b", u"c"}}};
    for (const auto& c : cases) {
        Fill({u"a", u"b", u"c"});
        DeleteTimer(c.Index);
        EXPECT_EQ(c.After, TimerNames()) << c.Index;
    }
}

TEST_F(TimerTableTest, ToggleSuspend)
{
    Fill({u"run", u"done"});
    ASSERT_EQ(1, AddTimer(u"A9", u"clock"));
    App.Timers.Records[1].Remaining = 0;
    const struct {
        int Index, Result, Suspended;   // Suspended of the record afterwards; -1: outside
    } steps[] = {{0, 1, 1}, {0, 1, 0}, {1, 0, 0}, {2, 0, 0}, {3, 0, -1}, {-1, 0, -1}};
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
    const struct {
        std::vector<int> Expired;
        Texts After;
    } cases[] = {{{1, 3}, {u"A", u"C"}}, {{}, {u"A", u"B", u"C", u"D"}}, {{0}, {u"B", u"C", u"D"}},
                 {{0, 1, 2, 3}, {}}};
    for (const auto& c : cases) {
        Fill({u"A", u"B", u"C", u"D"});
        for (int i : c.Expired)
            App.Timers.Records[i].Remaining = 0;
        EXPECT_EQ(static_cast<int>(c.Expired.size()), CompactExpired());
        EXPECT_EQ(c.After, TimerNames());
    }
}

}  // namespace
