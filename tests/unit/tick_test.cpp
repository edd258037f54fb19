// The quarter-second tick: counting down, row texts and blinking, expiry, the time-up
// notice and its replacement by a later tick inside the notice's own loop.
#include <gtest/gtest.h>
#include "fake_platform.h"
#include "resource.h"
#include "test_support.h"
#include "tick.h"

namespace {

WindowHandle const Main = FakeWindow(1), Child = FakeWindow(2), Other = FakeWindow(3), Popup = FakeWindow(4);
const std::u16string Heading = u"\u6642\u9593\u3067\u3059";   // "時間です"

struct Timer {
    const char16_t* Name;
    uint64_t Remaining;
    int Suspended = 0;
    int Clock = 0;
    uint64_t Preset = 300000;
};

void SetTimers(const std::vector<Timer>& timers)
{
    App.Timers.Count = static_cast<int32_t>(timers.size());
    for (size_t i = 0; i < timers.size(); ++i) {
        TimerRecord& r = App.Timers.Records[i];
        r = TimerRecord();
        std::u16string name = timers[i].Name;
        std::copy(name.begin(), name.end(), r.Name);
        r.Remaining = timers[i].Remaining;
        r.Suspended = timers[i].Suspended;
        r.ClockMode = timers[i].Clock;
        r.Preset = timers[i].Preset;
    }
}

std::u16string Row(int i) { return Fake.RowTexts.count(ID_ROW_TIME + i) ? Fake.RowTexts[ID_ROW_TIME + i] : u"-"; }

void TickAt(uint64_t now)
{
    Fake.TickCount = now;
    ProcessTick(Main);
}

class TickTest : public ::testing::Test {
protected:
    void SetUp() override { Reset(); }
    static void Reset()
    {
        ResetFakePlatform();
        Fake.Foreground = Other;
    }
};

TEST_F(TickTest, BusyTickChangesNothingAndAnIdleOneOnlyMovesTheClock)
{
    SetTimers({{u"a", 1000}});
    App.LastTick = 100;
    App.BlinkPhase = 3;
    App.NoticeState = TickBusy;
    TimerTable before = App.Timers;
    TickAt(100000);
    EXPECT_EQ(100u, App.LastTick);
    EXPECT_EQ(3u, App.BlinkPhase);
    EXPECT_EQ(0, std::memcmp(&before, &App.Timers, sizeof before));
    EXPECT_TRUE(Fake.Calls.empty());

    App.NoticeState = 0;
    App.Timers.Count = 0;
    App.BlinkPhase = 7;
    TickAt(100250);
    EXPECT_EQ(100250u, App.LastTick);
    EXPECT_EQ(0u, App.BlinkPhase);
    EXPECT_TRUE(Fake.Calls.empty());
}

TEST_F(TickTest, CountsDownByTheTimeSinceLastTick)
{
    const struct {
        uint64_t Remaining, LastTick, Now, After;   // After 0: expired in this tick
        const char16_t* Text;
    } cases[] = {
        {1001, 0, 1000, 1, u" 0:00:01"},            // one above delta: runs, reads one second
        {1000, 0, 1000, 0, u"nm"},                  // equal to delta: expires, shows its label
        {61001, 500, 1500, 60001, u" 0:01:01"},
        {5000, UINT64_MAX - 99, 900, 4000, u" 0:00:04"},   // the difference wraps like the tick count
    };
    for (const auto& c : cases) {
        Reset();
        App.BlinkPhase = 3;   // 4 after the increment: the time shows
        SetTimers({{u"nm", c.Remaining}});
        App.LastTick = c.LastTick;
        TickAt(c.Now);
        EXPECT_EQ(c.After, App.Timers.Records[0].Remaining) << c.Remaining;
        EXPECT_EQ(c.Now, App.LastTick);
        EXPECT_EQ(c.Text, Row(0));
        EXPECT_EQ(c.After == 0 ? 1u : 0u, Fake.Notices.size());
    }
}

// Names show while the phase after the increment is 0 to 3, times on 4 to 7; an unnamed
// row always shows its time, a clock timer its target time; a paused row keeps its time.
TEST_F(TickTest, RowsAlternateNameAndTime)
{
    for (uint32_t before : {7u, 2u, 3u, 6u}) {
        Reset();
        bool name = before == 7 || before < 3;
        SetTimers({{u"tea", 100000}, {u"", 100000}, {u"nap", 100, 1}, {u"bus", 100000, 0, 1, 63000000}});
        App.BlinkPhase = before;
        TickAt(250);
        EXPECT_EQ((before + 1) % 8, App.BlinkPhase);
        EXPECT_EQ(name ? u"tea" : u" 0:01:40", Row(0)) << before;
        EXPECT_EQ(u" 0:01:40", Row(1)) << before;
        EXPECT_EQ(name ? u"nap" : u" 0:00:01", Row(2)) << before;
        EXPECT_EQ(name ? u"bus" : u"PM 5:30:00", Row(3)) << before;
        EXPECT_EQ(100u, App.Timers.Records[2].Remaining);
        EXPECT_TRUE(Fake.Notices.empty());
    }
}

// Expiry follows Remaining on the tick count, not the wall clock. Every timer that expires
// in one tick is listed in one notice by its label (name, else preset), in index order; the
// window is raised and repainted before the notice, and the rows rebuilt after it.
TEST_F(TickTest, ExpiriesOfOneTickShareOneNotice)
{
    Fake.LocalTime = {12, 0, 0, 0};
    SetTimers({{u"", 500}, {u"run", 9000}, {u"", 1000, 0, 1, 63000000}, {u"tea", 250},
               {u"ten", 90000, 0, 1, 36000000}});
    TickAt(1000);
    EXPECT_EQ((Texts{Heading + u"\n 0:05:00\nPM 5:30:00\ntea"}), Fake.Notices);
    EXPECT_EQ(u" 0:05:00", Row(0));
    EXPECT_EQ(u"PM 5:30:00", Row(2));
    EXPECT_EQ(u"tea", Row(3));
    EXPECT_EQ((Texts{u"run", u"ten"}), TimerNames());
    Texts calls;
    for (const std::string& call : Fake.Calls)
        if (call != "SetRowText")
            calls.push_back(Widen(call));
    EXPECT_EQ((Texts{u"Foreground", u"LastActivePopup", u"Attach 1 1", u"SetForeground 1", u"Detach 1 1",
                     u"SetActive 1", u"Invalidate", u"ShowNotice 1", u"BuildTimerRows"}),
              calls);
    EXPECT_EQ(0u, App.NoticeState);
}

TEST_F(TickTest, ForegroundAndMuteDecideRaiseAndNotice)
{
    const struct {
        WindowHandle Foreground;
        int Mute;
        bool Raised, Notice;
    } cases[] = {
        {Other, 0, true, true}, {nullptr, 0, true, true}, {Main, 0, false, true},
        {Child, 0, false, true}, {Other, 1, false, false},
    };
    for (const auto& c : cases) {
        Reset();
        Fake.Foreground = c.Foreground;
        Fake.Child = Child;
        App.Mute = c.Mute;
        SetTimers({{u"a", 100}, {u"b", 100000}});
        TickAt(250);
        EXPECT_EQ(c.Raised ? 1 : 0, FakeCallCount("SetForeground 1"));
        EXPECT_EQ(1, FakeCallCount("Invalidate"));
        EXPECT_EQ(c.Notice ? 1u : 0u, Fake.Notices.size());
        // Muted: the row turns red with its label and stays in the table.
        EXPECT_EQ((c.Notice ? Texts{u"b"} : Texts{u"a", u"b"}), TimerNames());
        EXPECT_EQ(u"a", Row(0));
        EXPECT_EQ(0u, App.NoticeState);
    }
    // A timer that expired while muted is never listed, nor touched again.
    Fake.RowTexts.clear();
    App.Mute = 0;
    App.Timers.Records[1].Remaining = 100;
    TickAt(500);
    EXPECT_EQ((Texts{Heading + u"\nb"}), Fake.Notices);
    EXPECT_EQ(u"-", Row(0));
}

// A record whose name lost its terminator shows at most 10 units of it.
TEST_F(TickTest, LabelsAreCutToTenUnits)
{
    SetTimers({{u"", 1}, {u"", 5000}});
    for (int i = 0; i < 2; ++i)
        std::fill(std::begin(App.Timers.Records[i].Name), std::end(App.Timers.Records[i].Name), u'a' + i);
    TickAt(250);
    EXPECT_EQ(u"aaaaaaaaaa", Row(0));
    EXPECT_EQ(u"bbbbbbbbbb", Row(1));
    EXPECT_EQ((Texts{Heading + u"\naaaaaaaaaa"}), Fake.Notices);
}

TEST_F(TickTest, TicksRunInsideTheNotice)
{
    SetTimers({{u"a", 250}, {u"b", 10000}});
    int loops = 0;
    Fake.NoticeLoop = [&](int depth) {
        ++loops;
        EXPECT_EQ(1, depth);
        EXPECT_EQ(NoticeShown, App.NoticeState);
        TickAt(500);    // phase 3: the name
        EXPECT_EQ(u"b", Row(1));
        TickAt(1500);   // phase 4: the time
        EXPECT_EQ(8500u, App.Timers.Records[1].Remaining);
        EXPECT_EQ(u" 0:00:09", Row(1));
        EXPECT_EQ(u"a", Row(0));
    };
    App.BlinkPhase = 1;
    TickAt(250);
    EXPECT_EQ(1, loops);
    EXPECT_EQ(0u, App.NoticeState);
    EXPECT_EQ((Texts{u"b"}), TimerNames());
}

// Tick A's notice lists c; inside it tick B finds f expired, closes notice A, waits until
// it is gone and shows one notice listing both; closing that removes both.
TEST_F(TickTest, LaterExpiryReplacesTheOpenNotice)
{
    SetTimers({{u"a", 90000}, {u"c", 1000}, {u"d", 90000}, {u"f", 3000}});
    Fake.NoticeLoop = [&](int depth) {
        if (depth == 1) {
            TickAt(3000);
            EXPECT_EQ((Texts{u"a", u"d"}), TimerNames());
        } else {
            EXPECT_TRUE(Fake.OpenNotices[0].Cancelled);
            EXPECT_EQ(4, App.Timers.Count);   // nothing removed while a notice is open
        }
    };
    TickAt(1000);
    EXPECT_EQ((Texts{Heading + u"\nc", Heading + u"\nc\nf"}), Fake.Notices);
    EXPECT_EQ(1, FakeCallCount("Cancel 101"));
    EXPECT_EQ(1, FakeCallCount("Sleep 100"));
    EXPECT_EQ((Texts{u"a", u"d"}), TimerNames());
    EXPECT_EQ(0u, App.NoticeState);
}

// A notice that never goes away: the wait gives up after 30 polls of 100 ms.
TEST_F(TickTest, ReplacementWaitIsBounded)
{
    Fake.NoticeIgnoresCancel = true;
    SetTimers({{u"a", 1000}, {u"b", 2000}});
    Fake.NoticeLoop = [&](int depth) {
        if (depth == 1)
            TickAt(2000);
    };
    TickAt(1000);
    EXPECT_EQ(30, FakeCallCount("Sleep 100"));
    EXPECT_EQ((Texts{Heading + u"\na", Heading + u"\na\nb"}), Fake.Notices);
    EXPECT_EQ(0, App.Timers.Count);
    EXPECT_EQ(0u, App.NoticeState);
}

// Only an open "TimeUp" box of the main window is closed and awaited.
TEST_F(TickTest, ReplacementClosesOnlyTheNotice)
{
    const struct {
        WindowHandle Popup;
        std::u16string Caption;
        bool NoPopup;
    } cases[] = {{Other, u"Settings", false}, {Other, u"TimeUp!", false}, {Other, u"Time", false},
                 {nullptr, u"", false}, {nullptr, u"", true}};
    for (const auto& c : cases) {
        Reset();
        Fake.Popup = c.Popup;
        Fake.PopupCaption = c.Caption;
        Fake.NoPopup = c.NoPopup;
        SetTimers({{u"a", 0}, {u"b", 2000}});
        App.NoticeState = NoticeShown;   // a notice that is not the last active popup
        TickAt(2000);
        EXPECT_EQ(0, FakeCallCount("Cancel 3") + FakeCallCount("Cancel 1")) << c.NoPopup;
        EXPECT_EQ(0, FakeCallCount("Sleep 100"));
        EXPECT_EQ((Texts{Heading + u"\na\nb"}), Fake.Notices);
    }
}

TEST_F(TickTest, BringToFrontTakesTheLastActivePopup)
{
    const struct {
        WindowHandle Popup;
        bool NoPopup;
        uint32_t Thread;
        std::string Target;
    } cases[] = {{Popup, false, 7, "4"}, {nullptr, false, 7, "1"}, {nullptr, true, 1, "1"}};
    for (const auto& c : cases) {
        Reset();
        Fake.Popup = c.Popup;
        Fake.NoPopup = c.NoPopup;
        Fake.WindowThread = c.Thread;
        BringToFront(Main);
        std::string t = std::to_string(c.Thread);
        EXPECT_EQ((std::vector<std::string>{"LastActivePopup", "Attach " + t + " 1", "SetForeground " + c.Target,
                                            "Detach " + t + " 1", "SetActive " + c.Target}),
                  Fake.Calls);
    }
}

}  // namespace
