// The window-free parts of the user interface: requests by text, the saved window
// position across workspace and screen coordinates, the tooltips and what screen readers say.
#include <climits>
#include <gtest/gtest.h>
#include "control_texts.h"
#include "fakes.h"
#include "hotkey_modifiers.h"
#include "request_split.h"
#include "resource.h"
#include "timer_table.h"
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

// A saved workspace position lands at the screen point offset by the work area of the first
// monitor it lands on; one on no monitor is refused. Extreme values and odd monitors do not
// overflow (the sanitizers see to that).
TEST(UiLogic, SavedPositionToScreen) {
    const MonitorArea monitors[] = {
        {{0, 0, 1920, 1080}, {0, 40, 1920, 1080}},        // taskbar at the top
        {{1920, 0, 3200, 1024}, {1980, 0, 3200, 1024}},   // second monitor, taskbar left
        {{INT_MIN, INT_MIN, INT_MIN + 99, INT_MIN + 99}, {INT_MAX - 9, INT_MAX - 9, INT_MAX, INT_MAX}},   // odd
    };
    const struct { WindowPosition Saved; int Lands; WindowPosition Screen; } cases[] = {
        {{10, 10}, 1, {10, 50}},          {{1910, 1030}, 1, {1910, 1070}},
        {{2000, 10}, 1, {2060, 10}},      {{1900, 1000}, 1, {1900, 1040}},
        {{5000, 5000}, 0, {-1, -1}},      {{INT_MAX, INT_MAX}, 0, {-1, -1}},
        {{INT_MIN, INT_MIN}, 0, {-1, -1}},
    };
    for (const auto& c : cases) {
        WindowPosition screen = {-1, -1};
        EXPECT_EQ(c.Lands, WorkspaceToScreen(c.Saved, monitors, 3, &screen)) << &c - cases;
        EXPECT_EQ(c.Screen.X, screen.X) << &c - cases;
        EXPECT_EQ(c.Screen.Y, screen.Y) << &c - cases;
    }
}

// A caption of 200 x 30 is moved the least way that puts it wholly on a work area: an 800 x 600
// screen with the taskbar at the bottom, and a second screen to its right.
TEST(UiLogic, TheWholeCaptionIsInReach) {
    const MonitorArea monitors[] = {{{0, 0, 800, 600}, {0, 0, 800, 560}}, {{800, 0, 1800, 600}, {800, 0, 1800, 600}}};
    const struct { WindowPosition Place; int Width, Monitors; WindowPosition Reach; } cases[] = {
        {{100, 100}, 200, 1, {100, 100}},   {{799, 599}, 200, 1, {600, 530}},
        {{-50, 100}, 200, 1, {0, 100}},     {{INT_MAX, INT_MAX}, 200, 1, {600, 530}},
        {{INT_MIN, INT_MIN}, 200, 1, {0, 0}}, {{100, 100}, 1000, 1, {0, 100}},
        {{1700, 570}, 200, 2, {1600, 570}}, {{700, 100}, 200, 2, {600, 100}},   // astride both: the primary on a tie
        {{INT_MAX, 5}, 200, 0, {INT_MAX, 5}},
    };
    for (const auto& c : cases) {
        const WindowPosition reach = CaptionInReach(c.Place, c.Width, 30, monitors, c.Monitors);
        EXPECT_EQ(c.Reach.X, reach.X) << &c - cases;
        EXPECT_EQ(c.Reach.Y, reach.Y) << &c - cases;
    }
}

// The hot-key control's flags (1 Shift, 2 Ctrl, 4 Alt, 8 extended) become RegisterHotKey's
// modifiers (4 Shift, 2 Control, 1 Alt); the key is the low byte.
TEST(UiLogic, HotKeyModifiers) {
    const struct { uint16_t HotKey; uint32_t Modifiers, Key; } cases[] = {
        {0x0154, 0x4, 0x54}, {0x0254, 0x2, 0x54}, {0x0454, 0x1, 0x54}, {0x0727, 0x7, 0x27},
        {0x0A27, 0x2, 0x27}, {0xF077, 0x0, 0x77}, {0x0000, 0x0, 0x00},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.Modifiers, HotKeyModifiers(c.HotKey)) << std::hex << c.HotKey;
        EXPECT_EQ(c.Key, HotKeyVirtualKey(c.HotKey)) << std::hex << c.HotKey;
    }
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

// A screen reader says what a glyph or a cut time display cannot, and the key; word buttons keep their text.
TEST(UiLogic, AccessibleNamesAndKeys) {
    ResetFakes();
    AddTimer(u"1", u"egg");
    AddTimer(u"0:0:30", nullptr);
    AddTimer(u"5", u"tea");
    App.Timers.Records[0].Remaining = 0;
    App.Timers.Records[1].Suspended = 1;
    for (int i = 3; i < 10; ++i)
        AddTimer(u"1", nullptr);
    const struct { int Id; std::u16string Name, Key; } cases[] = {
        {ID_ROW_PAUSE + 0, u"タイマー1 一時停止", u"1"}, {ID_ROW_PAUSE + 1, u"タイマー2 再開", u"2"},
        {ID_ROW_EDIT + 9, u"タイマー0 修正", u"Ctrl+0"},   {ID_ROW_DELETE + 2, u"タイマー3 削除", u"Alt+3"},
        {ID_ROW_TIME + 0, u"egg 時間切れ", u""},           {ID_ROW_TIME + 1, u"残り 0:00:30", u""},
        {ID_ROW_TIME + 2, u"tea 残り 0:05:00", u""},       {ID_SETTINGS, u"設定", u"O"},
        {ID_ADD, u"", u"A"},   {ID_MUTE, u"", u"M"},   {ID_TOPMOST, u"", u"T"},   {ID_SUSPEND_ALL, u"", u"S"},
        {ID_ROW_LABEL + 0, u"", u""},
    };
    for (const auto& c : cases) {
        char16_t name[TIP_TEXT_UNITS], key[ACCESSIBLE_KEY_UNITS];
        AccessibleName(c.Id, name);
        AccessibleShortcut(c.Id, key);
        EXPECT_EQ(c.Name, name) << std::hex << c.Id;
        EXPECT_EQ(c.Key, key) << std::hex << c.Id;
    }
    App.Timers.Count = 1;   // the rows that went have no name of ours
    char16_t name[TIP_TEXT_UNITS], key[ACCESSIBLE_KEY_UNITS];
    AccessibleName(ID_ROW_PAUSE + 1, name);
    AccessibleShortcut(ID_ROW_DELETE + 1, key);
    EXPECT_EQ(std::u16string(), name);
    EXPECT_EQ(std::u16string(), key);
}

}  // namespace
