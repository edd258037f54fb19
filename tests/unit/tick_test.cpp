// Tests of the quarter-second tick: counting down, row texts and blinking, expiry, the
// time-up notice and its replacement by a later tick inside the notice's own loop.
#include <gtest/gtest.h>
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>
#include "fake_platform.h"
#include "resource.h"
#include "tick.h"
#include "timer_table.h"

namespace {

WindowHandle const Main = reinterpret_cast<WindowHandle>(static_cast<uintptr_t>(0x1000));
WindowHandle const Child = reinterpret_cast<WindowHandle>(static_cast<uintptr_t>(0x1001));
WindowHandle const Other = reinterpret_cast<WindowHandle>(static_cast<uintptr_t>(0x2000));
const std::u16string Heading = u"\u6642\u9593\u3067\u3059";   // "時間です"

struct Timer {
    const char16_t* Name;
    uint64_t Remaining;
    int Suspended;
    int Clock;
    uint64_t Preset;
};

void SetTimers(const std::vector<Timer>& timers)
{
    App.Timers.Count = static_cast<int32_t>(timers.size());
    for (size_t i = 0; i < timers.size(); ++i) {
        TimerRecord& r = App.Timers.Records[i];
        std::memset(&r, 0, sizeof r);
        std::u16string name = timers[i].Name;
        std::copy(name.begin(), name.end(), r.Name);
        r.Remaining = timers[i].Remaining;
        r.Suspended = timers[i].Suspended;
        r.ClockMode = timers[i].Clock;
        r.Preset = timers[i].Preset;
    }
}

// Named countdowns with the given times left and a preset of five minutes.
void SetCountdowns(const std::vector<std::pair<const char16_t*, uint64_t>>& timers)
{
    std::vector<Timer> all;
    for (const auto& t : timers)
        all.push_back({t.first, t.second, 0, 0, 300000});
    SetTimers(all);
}

std::vector<std::u16string> Names()
{
    std::vector<std::u16string> names;
    for (int i = 0; i < App.Timers.Count; ++i)
        names.push_back(App.Timers.Records[i].Name);
    return names;
}

std::u16string Row(int i)
{
    auto found = Fake.RowTexts.find(ID_ROW_TIME + i);
    return found == Fake.RowTexts.end() ? u"<untouched>" : found->second;
}

// The calls among the given names, in order.
std::vector<std::string> CallsAmong(const std::vector<std::string>& wanted)
{
    std::vector<std::string> out;
    for (const std::string& call : Fake.Calls)
        if (std::find(wanted.begin(), wanted.end(), call) != wanted.end())
            out.push_back(call);
    return out;
}

void TickAt(uint64_t now)
{
    Fake.TickCount = now;
    ProcessTick(Main);
}

class TickTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetFakePlatform();
        Fake.Foreground = Other;
    }
};

TEST_F(TickTest, CaptionAndRowIdentifiers)
{
    EXPECT_EQ(std::u16string(u"TimeUp"), std::u16string(NoticeCaption));
    SetCountdowns({{u"", 100000}, {u"", 100000}, {u"", 100000}});
    TickAt(0);
    EXPECT_EQ((std::vector<int>{ID_ROW_TIME, ID_ROW_TIME + 1, ID_ROW_TIME + 2}),
              ([] {
                  std::vector<int> ids;
                  for (const auto& entry : Fake.RowTexts)
                      ids.push_back(entry.first);
                  return ids;
              })());
}

TEST_F(TickTest, BusyTickChangesNothing)
{
    SetCountdowns({{u"a", 1000}, {u"b", 5000}});
    App.LastTick = 100;
    App.BlinkPhase = 3;
    App.NoticeState = TickBusy;
    TimerTable before = App.Timers;
    TickAt(100000);
    EXPECT_EQ(100u, App.LastTick);
    EXPECT_EQ(3u, App.BlinkPhase);
    EXPECT_EQ(TickBusy, App.NoticeState);
    EXPECT_EQ(0, std::memcmp(&before, &App.Timers, sizeof before));
    EXPECT_TRUE(Fake.Calls.empty());
    EXPECT_TRUE(Fake.NoticeTexts.empty());
}

TEST_F(TickTest, EmptyTableStillAdvancesPhaseAndLastTick)
{
    const uint32_t phases[][2] = {{0, 1}, {3, 4}, {7, 0}};
    for (const auto& p : phases) {
        App.BlinkPhase = p[0];
        TickAt(777 + p[0]);
        EXPECT_EQ(p[1], App.BlinkPhase);
        EXPECT_EQ(777u + p[0], App.LastTick);
        EXPECT_EQ(0u, App.NoticeState);
    }
    EXPECT_TRUE(Fake.Calls.empty());
}

TEST_F(TickTest, CountsDownByTheTimeSinceLastTick)
{
    const struct {
        uint64_t Remaining;
        uint64_t LastTick;
        uint64_t Now;
        uint64_t After;        // 0: expired in this tick
        const char16_t* Text;  // the row's text afterwards (the phase shows the time)
    } cases[] = {
        {1001, 0, 1000, 1, u" 0:00:01"},           // one above delta: runs, reads one second
        {1000, 0, 1000, 0, u" 0:05:00"},           // equal to delta: expires, shows its label
        {999, 0, 1000, 0, u" 0:05:00"},
        {61000, 500, 1500, 60000, u" 0:01:00"},
        {61001, 500, 1500, 60001, u" 0:01:01"},
        {300000, 1000, 1000, 300000, u" 0:05:00"}, // no time passed
        {5000, UINT64_MAX - 99, 900, 4000, u" 0:00:04"},   // the difference wraps like the tick count
        {UINT64_MAX, 0, UINT64_MAX, 0, u" 0:05:00"},
    };
    for (const auto& c : cases) {
        ResetFakePlatform();
        Fake.Foreground = Main;
        App.BlinkPhase = 3;   // 4 after the increment: the time shows
        SetCountdowns({{u"nm", c.Remaining}});
        App.LastTick = c.LastTick;
        TickAt(c.Now);
        EXPECT_EQ(c.After, App.Timers.Records[0].Remaining) << c.Remaining << " after " << c.Now - c.LastTick;
        EXPECT_EQ(c.Now, App.LastTick);
        if (c.After == 0) {
            // The label of a named timer is its name, whatever the phase.
            EXPECT_EQ(u"nm", Row(0));
            EXPECT_EQ(1u, Fake.NoticeTexts.size());
        } else {
            EXPECT_EQ(std::u16string(c.Text), Row(0));
            EXPECT_TRUE(Fake.NoticeTexts.empty());
        }
    }
}

TEST_F(TickTest, LabelOfAnExpiredTimerWithoutName)
{
    SetTimers({{u"", 500, 0, 0, 300000}, {u"", 500, 0, 1, 63000000}});
    App.BlinkPhase = 0;
    TickAt(1000);
    ASSERT_EQ(1u, Fake.NoticeTexts.size());
    EXPECT_EQ(Heading + u"\n 0:05:00\nPM 5:30:00", Fake.NoticeTexts[0]);
    EXPECT_EQ(u" 0:05:00", Row(0));
    EXPECT_EQ(u"PM 5:30:00", Row(1));
}

TEST_F(TickTest, BlinkPhases)
{
    // The phase after the increment decides: name on 0 to 3, time on 4 to 7.
    const struct {
        uint32_t Before;
        uint32_t After;
        bool NameShows;
    } cases[] = {
        {7, 0, true}, {0, 1, true}, {1, 2, true}, {2, 3, true},
        {3, 4, false}, {4, 5, false}, {5, 6, false}, {6, 7, false},
    };
    for (const auto& c : cases) {
        ResetFakePlatform();
        SetTimers({
            {u"tea", 100000, 0, 0, 300000},      // running countdown
            {u"", 100000, 0, 0, 300000},         // no name: always the time
            {u"nap", 100000, 1, 0, 300000},      // paused
            {u"bus", 100000, 0, 1, 63000000},    // clock timer: its target time
        });
        App.BlinkPhase = c.Before;
        TickAt(250);
        EXPECT_EQ(c.After, App.BlinkPhase);
        EXPECT_EQ(c.NameShows ? u"tea" : u" 0:01:40", Row(0)) << c.Before;
        EXPECT_EQ(u" 0:01:40", Row(1)) << c.Before;
        EXPECT_EQ(c.NameShows ? u"nap" : u" 0:01:40", Row(2)) << c.Before;
        EXPECT_EQ(c.NameShows ? u"bus" : u"PM 5:30:00", Row(3)) << c.Before;
    }
}

TEST_F(TickTest, PausedRowsNeitherLoseTimeNorExpire)
{
    SetTimers({{u"p", 1000, 1, 0, 300000}, {u"r", 100000, 0, 0, 300000}});
    for (uint64_t now : {250u, 500u, 100000u, 5000000u}) {
        TickAt(now);
        EXPECT_EQ(1000u, App.Timers.Records[0].Remaining);
    }
    EXPECT_EQ(1, App.Timers.Records[0].Suspended);
    // The running row expired on the way; the notice closed and removed it.
    EXPECT_EQ((std::vector<std::u16string>{u"p"}), Names());
    EXPECT_EQ((std::vector<std::u16string>{Heading + u"\nr"}), Fake.NoticeTexts);
}

TEST_F(TickTest, ExpiredRowsWaitingForRemovalAreNotTouched)
{
    App.Mute = 1;
    SetCountdowns({{u"old", 0}, {u"run", 5000}});
    TickAt(250);
    EXPECT_EQ(u"<untouched>", Row(0));
    EXPECT_EQ(0u, App.Timers.Records[0].Remaining);
    EXPECT_EQ(4750u, App.Timers.Records[1].Remaining);
    EXPECT_EQ(0, Fake.InvalidateCount);   // nothing expired in this tick
}

TEST_F(TickTest, ForegroundDecidesBringToFront)
{
    const struct {
        WindowHandle Foreground;
        int Mute;
        bool Raised;
        bool Notice;
    } cases[] = {
        {Other, 0, true, true},
        {nullptr, 0, true, true},
        {Main, 0, false, true},
        {Child, 0, false, true},
        {Other, 1, false, false},
        {nullptr, 1, false, false},
    };
    for (const auto& c : cases) {
        ResetFakePlatform();
        Fake.Foreground = c.Foreground;
        Fake.Children = {Child};
        App.Mute = c.Mute;
        SetCountdowns({{u"a", 100}, {u"b", 100000}});
        TickAt(250);
        EXPECT_EQ(c.Raised ? 1u : 0u, Fake.ForegroundSets.size());
        EXPECT_EQ(1, Fake.InvalidateCount);
        EXPECT_EQ(c.Notice ? 1u : 0u, Fake.NoticeTexts.size());
        EXPECT_EQ(0u, App.NoticeState);
        if (c.Notice) {
            EXPECT_EQ(Main, Fake.NoticeOwners[0]);
            EXPECT_EQ((std::vector<std::u16string>{u"b"}), Names());
            EXPECT_EQ(1, Fake.BuildTimerRowsCount);
        } else {
            // Muted: the row turns red with its label and stays in the table.
            EXPECT_EQ((std::vector<std::u16string>{u"a", u"b"}), Names());
            EXPECT_EQ(0u, App.Timers.Records[0].Remaining);
            EXPECT_EQ(u"a", Row(0));
            EXPECT_EQ(0, Fake.BuildTimerRowsCount);
            EXPECT_TRUE(Fake.ForegroundSets.empty());
        }
    }
}

TEST_F(TickTest, OrderOfTheExpiryStage)
{
    SetCountdowns({{u"a", 100}});
    TickAt(250);
    EXPECT_EQ((std::vector<std::string>{"SetRowText", "ForegroundWindow", "SetForegroundWindow", "InvalidateAll",
                                        "ShowNotice", "BuildTimerRows"}),
              CallsAmong({"SetRowText", "ForegroundWindow", "SetForegroundWindow", "InvalidateAll", "ShowNotice",
                          "BuildTimerRows"}));
}

TEST_F(TickTest, SeveralExpiriesGiveOneNoticeInIndexOrder)
{
    const struct {
        std::vector<std::pair<const char16_t*, uint64_t>> Timers;
        std::u16string Text;
        std::vector<std::u16string> Left;
    } cases[] = {
        {{{u"a", 100}, {u"b", 9000}, {u"c", 250}}, Heading + u"\na\nc", {u"b"}},
        {{{u"x", 250}, {u"y", 1}}, Heading + u"\nx\ny", {}},
        // Ten labels of ten units: 114 units in all.
        {{{u"0123456789", 1}, {u"1123456789", 1}, {u"2123456789", 1}, {u"3123456789", 1},
          {u"4123456789", 1}, {u"5123456789", 1}, {u"6123456789", 1}, {u"7123456789", 1},
          {u"8123456789", 1}, {u"9123456789", 1}},
         Heading + u"\n0123456789\n1123456789\n2123456789\n3123456789\n4123456789\n5123456789"
                   u"\n6123456789\n7123456789\n8123456789\n9123456789",
         {}},
    };
    for (const auto& c : cases) {
        ResetFakePlatform();
        SetCountdowns(c.Timers);
        TickAt(250);
        ASSERT_EQ(1u, Fake.NoticeTexts.size());
        EXPECT_EQ(c.Text, Fake.NoticeTexts[0]);
        EXPECT_EQ(c.Left, Names());
        EXPECT_EQ(1, Fake.BuildTimerRowsCount);
        EXPECT_EQ(0u, App.NoticeState);
    }
}

// Ten labels of at most 10 units each keep the notice far inside its 256 units, even when
// a record's name has lost its terminator: rows and notice show at most 10 units of it.
TEST_F(TickTest, LabelsAreCutToTenUnits)
{
    SetCountdowns(std::vector<std::pair<const char16_t*, uint64_t>>(10, {u"", 1}));
    App.Timers.Records[9].Remaining = 5000;
    for (int i = 0; i < 10; ++i)
        for (int k = 0; k < TIMER_NAME_UNITS; ++k)
            App.Timers.Records[i].Name[k] = static_cast<char16_t>(u'a' + i);
    App.BlinkPhase = 0;
    Fake.NoticeLoop = [](int) {
        EXPECT_EQ(u"aaaaaaaaaa", Row(0));
        EXPECT_EQ(u"jjjjjjjjjj", Row(9));   // still running: its name shows
    };
    TickAt(250);
    ASSERT_EQ(1u, Fake.NoticeTexts.size());
    std::u16string expected = Heading;
    for (int i = 0; i < 9; ++i)
        expected += u"\n" + std::u16string(10, static_cast<char16_t>(u'a' + i));
    EXPECT_EQ(expected, Fake.NoticeTexts[0]);
}

TEST_F(TickTest, TicksRunInsideTheNotice)
{
    SetCountdowns({{u"a", 250}, {u"b", 10000}});
    std::vector<uint32_t> states;
    Fake.NoticeLoop = [&](int depth) {
        ASSERT_EQ(1, depth);
        states.push_back(App.NoticeState);
        TickAt(500);    // phase 3: the name shows
        EXPECT_EQ(u"b", Row(1));
        TickAt(1500);   // phase 4: the time
        EXPECT_EQ(8500u, App.Timers.Records[1].Remaining);
        EXPECT_EQ(u" 0:00:09", Row(1));
        EXPECT_EQ(u"a", Row(0));   // the expired row keeps its label
        states.push_back(App.NoticeState);
        // A tick that is busy (as a tick that reached a message loop before its notice
        // stage would be) is dropped.
        App.NoticeState |= TickBusy;
        TickAt(2000);
        EXPECT_EQ(8500u, App.Timers.Records[1].Remaining);
        EXPECT_EQ(1500u, App.LastTick);
        App.NoticeState &= ~TickBusy;
    };
    Fake.TickCount = 250;
    App.BlinkPhase = 1;
    ProcessTick(Main);
    EXPECT_EQ((std::vector<uint32_t>{NoticeShown, NoticeShown}), states);
    EXPECT_EQ(0u, App.NoticeState);
    EXPECT_EQ((std::vector<std::u16string>{u"b"}), Names());
}

// Tick A's notice lists timer 2; inside it tick B finds timer 5 expired, closes notice A,
// waits until it is gone and shows one notice listing both.
TEST_F(TickTest, LaterExpiryReplacesTheOpenNotice)
{
    SetCountdowns({{u"a", 90000}, {u"b", 90000}, {u"c", 1000}, {u"d", 90000}, {u"e", 90000}, {u"f", 3000}});
    int closedInside = -1;
    Fake.NoticeLoop = [&](int depth) {
        if (depth == 1) {
            EXPECT_EQ(NoticeShown, App.NoticeState);
            TickAt(1250);   // nothing new
            EXPECT_EQ(1u, Fake.NoticeTexts.size());
            EXPECT_EQ(0, Fake.SendCancelCount);
            TickAt(3000);   // tick B: f expires
            // Tick B has removed both and rebuilt the rows once.
            EXPECT_EQ((std::vector<std::u16string>{u"a", u"b", u"d", u"e"}), Names());
            EXPECT_EQ(1, Fake.BuildTimerRowsCount);
            EXPECT_EQ(0u, App.NoticeState);
        } else {
            ASSERT_EQ(2, depth);
            closedInside = Fake.OpenNotices[0].Cancelled ? 1 : 0;
            EXPECT_EQ(NoticeShown, App.NoticeState);
            EXPECT_EQ(6, App.Timers.Count);   // nothing removed while the notice is open
        }
    };
    TickAt(1000);   // tick A: c expires
    ASSERT_EQ(2u, Fake.NoticeTexts.size());
    EXPECT_EQ(Heading + u"\nc", Fake.NoticeTexts[0]);
    EXPECT_EQ(Heading + u"\nc\nf", Fake.NoticeTexts[1]);
    EXPECT_EQ(1, closedInside);
    EXPECT_EQ(1, Fake.SendCancelCount);
    EXPECT_EQ((std::vector<unsigned>{100}), Fake.Sleeps);
    // Tick A's own box call returns last: nothing is left to remove; it rebuilds the rows again.
    EXPECT_EQ((std::vector<std::u16string>{u"a", u"b", u"d", u"e"}), Names());
    EXPECT_EQ(2, Fake.BuildTimerRowsCount);
    EXPECT_EQ(0u, App.NoticeState);
    EXPECT_TRUE(Fake.OpenNotices.empty());
}

// A notice that never goes away: the wait gives up after 30 polls of 100 ms.
TEST_F(TickTest, ReplacementWaitIsBounded)
{
    Fake.NoticeIgnoresCancel = true;
    SetCountdowns({{u"a", 1000}, {u"b", 2000}});
    Fake.NoticeLoop = [&](int depth) {
        if (depth == 1)
            TickAt(2000);
    };
    TickAt(1000);
    EXPECT_EQ(1, Fake.SendCancelCount);
    EXPECT_EQ(std::vector<unsigned>(30, 100), Fake.Sleeps);
    ASSERT_EQ(2u, Fake.NoticeTexts.size());
    EXPECT_EQ(Heading + u"\na\nb", Fake.NoticeTexts[1]);
    EXPECT_EQ(0, App.Timers.Count);
    EXPECT_EQ(0u, App.NoticeState);
}

// Only an open "TimeUp" box of the main window is closed and awaited.
TEST_F(TickTest, ReplacementClosesOnlyTheNotice)
{
    const struct {
        const char* What;
        WindowHandle Popup;          // what PlatformLastActivePopup reports while no notice is open
        std::u16string Caption;
        bool NoWindow;               // PlatformLastActivePopup reports nothing
    } cases[] = {
        {"another dialog", Other, u"Settings", false},
        {"a popup without caption", Other, u"", false},
        {"a longer caption", Other, u"TimeUp!", false},
        {"a shorter caption", Other, u"Time", false},
        {"a caption differing in case", Other, u"timeup", false},
        {"the main window itself", nullptr, u"", false},
        {"no window at all", nullptr, u"", true},
    };
    for (const auto& c : cases) {
        ResetFakePlatform();
        Fake.OtherPopup = c.Popup;
        Fake.OtherPopupCaption = c.Caption;
        Fake.LastActivePopupFails = c.NoWindow;
        SetCountdowns({{u"a", 1000}, {u"b", 2000}});
        // The open notice is not the last active popup here, so it is neither closed nor awaited.
        App.NoticeState = NoticeShown;
        TickAt(2000);
        EXPECT_EQ(0, Fake.SendCancelCount) << c.What;
        EXPECT_TRUE(Fake.Sleeps.empty()) << c.What;
        ASSERT_EQ(1u, Fake.NoticeTexts.size()) << c.What;
        EXPECT_EQ(Heading + u"\na\nb", Fake.NoticeTexts[0]) << c.What;
        EXPECT_EQ(0u, App.NoticeState) << c.What;
    }
}

// Muted while a notice is open: the new expiry closes that notice and shows none.
TEST_F(TickTest, MutedReplacementShowsNoNotice)
{
    SetCountdowns({{u"a", 1000}, {u"b", 2000}, {u"c", 90000}});
    Fake.NoticeLoop = [&](int depth) {
        ASSERT_EQ(1, depth);
        App.Mute = 1;
        TickAt(2000);
        EXPECT_TRUE(Fake.OpenNotices[0].Cancelled);
        EXPECT_EQ(NoticeShown, App.NoticeState);
    };
    TickAt(1000);
    EXPECT_EQ(1u, Fake.NoticeTexts.size());
    EXPECT_TRUE(Fake.ForegroundSets.size() == 1);   // raised for a, not for b
    // Tick A's box returned: it removes every expired timer, b included.
    EXPECT_EQ((std::vector<std::u16string>{u"c"}), Names());
    EXPECT_EQ(1, Fake.BuildTimerRowsCount);
}

// A box call that returns while a replacement is under way leaves the removal to the
// replacing tick.
TEST_F(TickTest, ReturnDuringReplacementLeavesTheTable)
{
    SetCountdowns({{u"a", 1000}, {u"b", 90000}});
    Fake.NoticeLoop = [&](int) { App.NoticeState |= NoticeReplacing; };
    TickAt(1000);
    EXPECT_EQ(2, App.Timers.Count);
    EXPECT_EQ(0, Fake.BuildTimerRowsCount);
    EXPECT_EQ(NoticeReplacing, App.NoticeState);   // NoticeShown cleared, the flag is the replacer's
}

TEST_F(TickTest, BringToFront)
{
    WindowHandle const popup = reinterpret_cast<WindowHandle>(static_cast<uintptr_t>(0x3000));
    const struct {
        WindowHandle Popup;          // of the window; null: the window itself
        bool NoWindow;               // the popup query reports nothing
        uint32_t WindowThread;
        WindowHandle Target;
    } cases[] = {
        {popup, false, 7, popup},
        {nullptr, false, 7, Main},
        {nullptr, true, 7, Main},
        {popup, false, 1, popup},    // the window of our own thread
    };
    for (const auto& c : cases) {
        ResetFakePlatform();
        Fake.CurrentThreadId = 1;
        Fake.WindowThreads[Main] = c.WindowThread;
        Fake.OtherPopup = c.Popup;
        Fake.LastActivePopupFails = c.NoWindow;
        BringToFront(Main);
        EXPECT_EQ((std::vector<std::string>{"LastActivePopup", "Attach", "SetForegroundWindow", "Detach",
                                            "SetActiveWindow"}),
                  Fake.Calls);
        EXPECT_EQ((std::vector<WindowHandle>{c.Target}), Fake.ForegroundSets);
        EXPECT_EQ((std::vector<WindowHandle>{c.Target}), Fake.ActiveSets);
        ASSERT_EQ(2u, Fake.Attaches.size());
        EXPECT_EQ(c.WindowThread, Fake.Attaches[0].From);
        EXPECT_EQ(1u, Fake.Attaches[0].To);
        EXPECT_EQ(1, Fake.Attaches[0].On);
        EXPECT_EQ(c.WindowThread, Fake.Attaches[1].From);
        EXPECT_EQ(1u, Fake.Attaches[1].To);
        EXPECT_EQ(0, Fake.Attaches[1].On);
    }
}

}  // namespace
