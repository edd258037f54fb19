// The window-free parts of the user interface: requests by text, the saved window
// position across workspace and screen coordinates, and the tooltips.
#include <gtest/gtest.h>
#include "fakes.h"
#include "request_split.h"
#include "resource.h"
#include "timer_table.h"
#include "tooltip_text.h"
#include "window_position.h"

namespace {

TEST(UiLogic, SplitsRequests) {
    const struct { std::u16string Request, Time, Name; } cases[] = {
        {u"5(tea)", u"5", u"tea"},          {u"5", u"5", u""},
        {u"5(tea", u"5(tea", u""},          {u"5)", u"5)", u""},
        {u"1:30()", u"1:30", u""},          {u"(a)(b)", u"", u"a)(b"},
        {u"5(0123456789AB)", u"5", u"0123456789"},
        // A pair straddling the tenth unit is dropped whole.
        {u"5(012345678\U0001F600)", u"5", u"012345678"},
        {std::u16string(300, u'1'), std::u16string(255, u'1'), u""},
    };
    for (const auto& c : cases) {
        char16_t time[TIME_TEXT_UNITS], name[MAX_NAME_LENGTH + 1];
        SplitTimerRequest(c.Request.c_str(), time, name);
        EXPECT_EQ(c.Time, time) << &c - cases;
        EXPECT_EQ(c.Name, name) << &c - cases;
    }
}

// A window in the work area of a monitor whose taskbar takes any side comes back at the same
// screen point, also on a second monitor; a place on no monitor is refused.
TEST(UiLogic, SavedPositionComesBackAtTheSameScreenPoint) {
    const MonitorArea two[] = {
        {{0, 0, 1920, 1080}, {0, 40, 1920, 1080}},        // taskbar at the top
        {{1920, 0, 3200, 1024}, {1980, 0, 3200, 1024}},   // second monitor, taskbar left
    };
    const ScreenRect works[] = {{60, 0, 1920, 1080}, {0, 0, 1860, 1080}, {0, 0, 1920, 1040}};
    for (int m = 0; m < 5; ++m) {
        const MonitorArea single = {{0, 0, 1920, 1080}, works[m % 3]}, &on = m < 3 ? single : two[m - 3];
        const ScreenRect& w = on.Work;
        for (auto p : {WindowPosition{w.Left + 10, w.Top + 10}, WindowPosition{w.Right - 99, w.Bottom - 80}}) {
            WindowPosition back = {-1, -1};
            EXPECT_EQ(1, WorkspaceToScreen(ScreenToWorkspace(p, on), m < 3 ? &single : two, m < 3 ? 1 : 2, &back));
            EXPECT_TRUE(p.X == back.X && p.Y == back.Y) << m << ": " << back.X << "," << back.Y;
        }
    }
    WindowPosition back = {-1, -1};
    EXPECT_EQ(0, WorkspaceToScreen(WindowPosition{5000, 5000}, two, 2, &back));
}

// The tips say what a row cannot: the whole name and what its time means, now; and the keys.
TEST(UiLogic, ToolTipTexts) {
    ResetFakes();
    Fake.LocalTime = {12, 0, 0, 0};
    AddTimer(u"12:30", u"洗濯機の脱水を始める");
    AddTimer(u"P5:30", nullptr);
    AddTimer(u"1", u"egg");
    App.Timers.Records[2].Remaining = 0;
    Fake.TickCount = 60000;   // a minute since the last tick
    for (int i = 3; i < 10; ++i)
        AddTimer(u"1", nullptr);
    const struct { int Id; std::u16string Tip; } cases[] = {
        {ID_ROW_TIME + 0, u"洗濯機の脱水を始める\n残り 12:29:00"},
        {ID_ROW_TIME + 1, u"PM 5:30:00 に通知"},
        {ID_ROW_TIME + 2, u"egg\n時間切れ"},
        {ID_ROW_TIME + 3, u"残り 0:01:00"},
        {ID_ROW_PAUSE + 0, u"一時停止・再開 (1)"},
        {ID_ROW_EDIT + 9, u"修正 (Ctrl+0)"},
        {ID_ROW_DELETE + 4, u"削除 (Alt+5)"},
        {ID_ADD, u"タイマー追加 (A)"},
        {ID_MUTE, u"無言：時間切れを知らせない (M)"},
        {ID_SETTINGS, u"設定 (O)"},
        {ID_ROW_LABEL + 0, u""},
    };
    for (const auto& c : cases) {
        char16_t tip[TIP_TEXT_UNITS];
        ToolTipText(c.Id, tip);
        EXPECT_EQ(c.Tip, tip) << std::hex << c.Id;
    }
    App.Timers.Count = 1;   // after a rebuild to one row, no tip for the rows that went
    char16_t tip[TIP_TEXT_UNITS];
    ToolTipText(ID_ROW_TIME + 1, tip);
    EXPECT_EQ(std::u16string(), tip);
}

}  // namespace
