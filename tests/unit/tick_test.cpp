// The tick: counting down, row texts, expiry and the notice, the early check, the wall clock, dialogs and the close.
#include <gtest/gtest.h>
#include "fakes.h"
#include "resource.h"
#include "tick_driver.h"
#include "registry.h"
#include "time_text.h"
#include "timer_table.h"
#include "window_ops.h"

namespace {

const std::u16string HEADING = u"\u6642\u9593\u3067\u3059";   // "時間です"

void TickAt(uint64_t now) {
    Fake.TickCount = now;
    ProcessTick(MainWindow, 1);
}

// The 250 ms window timer, which holds the tick back while a dialog is open.
void WindowTimerAt(uint64_t now) {
    Fake.TickCount = now;
    OnWindowTimer(MainWindow, WINDOW_TIMER_ID);
}

using TickTest = FakesTest;

TEST_F(TickTest, CountsDownAndTurnsBetweenNameAndTime) {
    SetTimers({{u"tea", 100000, 0, 0}, {u"", 1101, 0, 0}, {u"nap", 5000, 1, 0}, {u"bus", 9000, 0, 1}});
    App.LastTick = UINT64_MAX - 99;   // the difference wraps like the tick count
    App.BlinkPhase = 3;
    TickAt(900);   // 1000 ms later; phase 4: times
    EXPECT_EQ((std::map<int, std::u16string>{{0, u" 0:01:39"}, {1, u" 0:00:01"}, {2, u" 0:00:05"}, {3, u"PM 5:30:00"}}),
              Fake.RowTexts);
    App.BlinkPhase = 7;
    TickAt(1000);   // phase 0: names where there are any
    EXPECT_EQ((std::map<int, std::u16string>{{0, u"tea"}, {1, u" 0:00:01"}, {2, u"nap"}, {3, u"bus"}}), Fake.RowTexts);
    EXPECT_EQ(7, Fake.RowWrites);   // the row that still reads " 0:00:01" was not written again
}

// A tick inside one that has not reached its notice yet changes nothing, not even LastTick.
TEST_F(TickTest, ABusyTickChangesNothing) {
    SetTimers({{u"tea", 100000, 0, 0}});
    App.NoticeState = TICK_BUSY;
    TickAt(5000);
    EXPECT_EQ(100000u, App.Timers.Records[0].Remaining);
    EXPECT_EQ(0u, App.LastTick);
}

// One notice lists by label every timer run out in one tick (a name without its terminator shows 10 units); closing
// it removes them. The window comes forward unless it is in front; refused the foreground, its taskbar button flashes.
TEST_F(TickTest, ExpiriesShareOneNoticeAndDrawAttention) {
    const struct { int Foreground, Grant, Raised, Flashed; } cases[] = {
        {FOREGROUND_ELSEWHERE, true, 1, 0}, {FOREGROUND_ELSEWHERE, false, 1, 1}, {FOREGROUND_POPUP, false, 1, 0},
        {FOREGROUND_MAIN, true, 0, 0},
    };
    for (const auto& c : cases) {
        ResetFakes();
        Fake.Foreground = c.Foreground;
        Fake.GrantForeground = c.Grant;
        SetTimers({{u"", 500, 0, 0}, {u"run", 9000, 0, 0}, {u"", 1000, 0, 1}, {u"", 250, 0, 0}});
        std::fill(std::begin(App.Timers.Records[3].Name), std::end(App.Timers.Records[3].Name), u'x');
        TickAt(1000);
        EXPECT_EQ(c.Raised, Fake.Raised) << &c - cases;
        EXPECT_EQ(c.Flashed, Fake.Flashed) << &c - cases;
        EXPECT_EQ((Texts{HEADING + u"\n 0:05:00\nPM 5:30:00\nxxxxxxxxxx"}), Fake.Notices);
        EXPECT_EQ((std::vector<int>{0, 2, 3}), Fake.Announced);
        EXPECT_EQ((Texts{u"run"}), NamesOf(App.Timers));
        EXPECT_EQ(0u, App.NoticeState);
    }
}

// Muted, a timer run out is told to screen readers, but no notice shows; it stays, and no later notice lists it.
TEST_F(TickTest, MutedExpiriesStayWithoutANotice) {
    App.Mute = 1;
    SetTimers({{u"", 500, 0, 0}, {u"run", 9000, 0, 0}});
    TickAt(1000);
    EXPECT_EQ((std::vector<int>{0}), Fake.Announced);
    EXPECT_EQ((Texts{u"", u"run"}), NamesOf(App.Timers));
    App.Mute = 0;
    App.Timers.Records[1].Remaining = 100;
    TickAt(1500);
    EXPECT_EQ((Texts{HEADING + u"\nrun"}), Fake.Notices);
}

// Inside tick A's notice tick B closes it, waits until it has gone (or for 30 polls) and shows one notice for both.
TEST_F(TickTest, LaterExpiryReplacesTheOpenNotice) {
    const struct { bool Stuck; int Sleeps; } cases[] = {{false, 1}, {true, 30}};   // stuck: notice A never goes away
    for (const auto& c : cases) {
        ResetFakes();
        Fake.NoticeIgnoresCancel = c.Stuck;
        SetTimers({{u"a", 90000, 0, 0}, {u"c", 1000, 0, 0}, {u"f", 3000, 0, 0}});
        Fake.NoticeLoop = [](int depth) {
            if (depth == 1) {
                TickAt(3000);   // tick B, which removes c and f
                EXPECT_EQ((Timers{{u"a", 87000, 0, 0}}), TimersOf(App.Timers));
            } else {
                EXPECT_EQ(3, App.Timers.Count);   // nothing removed while a notice is open
            }
        };
        TickAt(1000);
        EXPECT_EQ((Texts{HEADING + u"\nc", HEADING + u"\nc\nf"}), Fake.Notices);
        EXPECT_EQ(c.Sleeps, Fake.Sleeps);
        EXPECT_EQ(4, Fake.Rebuilt);   // at each expiry, after tick B's notice and (removing nothing) after tick A's
        EXPECT_EQ(0u, App.NoticeState);
    }
}

// A timer due before the next tick gets a one-shot check then, which reports it like a tick; fired early, it re-arms.
TEST_F(TickTest, EarlyCheckAtTheDueMoment) {
    SetTimers({{u"a", 400, 0, 0}, {u"b", 5000, 1, 0}, {u"c", 90000, 0, 0}, {u"a2", 390, 0, 0}});
    TickAt(0);
    EXPECT_EQ(0u, Fake.Timers.count(EARLY_CHECK_TIMER_ID));   // 390 ms: the next tick comes first
    TickAt(250);
    EXPECT_EQ(150u, Fake.Timers[EARLY_CHECK_TIMER_ID]);   // for a, with a2 10 ms before it
    OnWindowTimer(MainWindow, EARLY_CHECK_TIMER_ID);   // fired early: the tick count has not moved
    EXPECT_EQ(150u, Fake.Timers[EARLY_CHECK_TIMER_ID]);
    Fake.TickCount = 400;
    OnWindowTimer(MainWindow, EARLY_CHECK_TIMER_ID);
    EXPECT_EQ((Texts{HEADING + u"\na\na2"}), Fake.Notices);
}

// An empty table stops the tick; an add starts it again, and the first tick takes off only the time since the add.
TEST_F(TickTest, TickStopsWhileTheTableIsEmpty) {
    SetTimers({{u"a", 1000, 0, 0}});
    TimersChanged(MainWindow);
    EXPECT_EQ(TICK_PERIOD_MS, Fake.Timers[WINDOW_TIMER_ID]);
    TickAt(1000);
    EXPECT_TRUE(Fake.Timers.empty());
    Fake.TickCount = 3601000;   // an hour without ticks
    AddTimer(u"0:0:5", nullptr);
    TimersChanged(MainWindow);
    EXPECT_EQ(1u, Fake.Timers.count(WINDOW_TIMER_ID));
    TickAt(3601250);
    EXPECT_EQ(4750u, App.Timers.Records[0].Remaining);
}

// Remembering, every change of the table is journalled by the true time left, but counting down writes nothing.
TEST_F(TickTest, TheJournalFollowsTheTableNotTheCountdown) {
    Fake.LocalFileTime = FILETIME_NOW;
    SetTimers({{u"a", 1000, 0, 0}, {u"b", 90000, 1, 0}, {u"c", 5000, 0, 0}});
    TimersChanged(MainWindow);
    EXPECT_EQ(0, Fake.Writes);   // not remembering: no journal
    App.RememberAtShutdown = 1;
    Fake.Keys[SETTINGS_KEY][u"Suspend3"] = {REGISTRY_TYPE_BINARY, Bytes(48)};   // a timer deleted since
    Fake.TickCount = 100;
    TimersChanged(MainWindow);
    EXPECT_EQ((Timers{{u"a", 900, 0, 0}, {u"b", 90000, 1, 0}, {u"c", 4900, 0, 0}}), TimersOf(Journal()));
    const int writes = Fake.Writes;
    TickAt(500);
    EXPECT_EQ(writes, Fake.Writes);
    Fake.NoticeLoop = [](int) {   // a stored run out: due at once
        EXPECT_EQ((Timers{{u"a", 1, 0, 0}, {u"b", 90000, 1, 0}, {u"c", 4000, 0, 0}}), TimersOf(Journal()));
    };
    TickAt(1000);
    EXPECT_EQ((Timers{{u"b", 90000, 1, 0}, {u"c", 4000, 0, 0}}), TimersOf(Journal()));
}

// A clock set forward past an alarm makes it due at once; set back, the alarm waits for its time again, but no longer
// than until that time of day comes round next. A countdown keeps to the tick count. (Muted: one run out stays.)
TEST_F(TickTest, AlarmsFollowTheWallClock) {
    const uint64_t hour = 3600000, day = 24 * hour;
    const struct { int64_t Jump; uint64_t AlarmLeft; } cases[] = {
        {0, 59000}, {30000, 29000}, {int64_t(hour), 0}, {-int64_t(hour), hour + 59000}, {-int64_t(day), 59000},
    };
    for (const auto& c : cases) {
        ResetFakes();
        App.Mute = 1;
        Fake.LocalFileTime = FILETIME_NOW;
        StartTickClocks();
        SetTimers({{u"alarm", 60000, 0, 1}, {u"egg", 60000, 0, 0}});
        App.Timers.Records[0].Preset = (WallClockNow() + 60000) % MS_PER_DAY;
        Fake.LocalFileTime += static_cast<uint64_t>(c.Jump * 10000);
        Fake.TickCount = 1000;
        OnPowerEvent(MainWindow, POWER_RESUME_SUSPEND);   // a resume, with the clock corrected, ticks at once
        EXPECT_EQ((Timers{{u"alarm", c.AlarmLeft, 0, 1}, {u"egg", 59000, 0, 0}}), TimersOf(App.Timers)) << c.Jump;
    }
}

// Under a dialog a timer due flashes and sounds once a dialog, unless muted; the notice follows the dialog.
TEST_F(TickTest, ATimerDueUnderADialogDrawsAttentionOncePerDialog) {
    const struct { int Mute, Signals; Texts Notices; } cases[] = {{0, 2, {HEADING + u"\ntea"}}, {1, 0, {}}};
    for (const auto& c : cases) {
        ResetFakes();
        App.Mute = c.Mute;
        SetTimers({{u"tea", 1000, 0, 0}, {u"egg", 2000, 0, 0}});
        Ui.ModalOpen = 1;
        WindowTimerAt(500);
        EXPECT_EQ(0, Fake.Flashed);
        WindowTimerAt(1000);
        WindowTimerAt(1250);
        Ui.ModalOpen = 0;
        WindowTimerAt(1500);
        EXPECT_EQ(c.Notices, Fake.Notices);
        Ui.ModalOpen = 1;   // the next dialog: egg's time comes
        WindowTimerAt(2000);
        EXPECT_EQ(c.Signals, Fake.Flashed) << c.Mute;
        EXPECT_EQ(c.Signals, Fake.Sounds) << c.Mute;
    }
}

// Save-and-quit writes the saved timers through to disk.
TEST_F(TickTest, SaveAndQuitWritesThrough) {
    Fake.Keys[SETTINGS_KEY] = {};
    Ui.KeepTimersOnClose = 1;
    TimersAtClose();
    EXPECT_EQ(1, Fake.Flushes);
}

}  // namespace
