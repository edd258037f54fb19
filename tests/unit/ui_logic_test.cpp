// The window-free parts of the user interface: requests, window positions, colours, tips and screen-reader texts.
#include <climits>
#include <gtest/gtest.h>
#include "control_texts.h"
#include "fakes.h"
#include "hotkey_modifiers.h"
#include "request_split.h"
#include "resource.h"
#include "row_geometry.h"
#include "timer_table.h"
#include "window_position.h"

bool operator==(const WindowPosition& a, const WindowPosition& b) { return a.X == b.X && a.Y == b.Y; }
void PrintTo(const WindowPosition& p, std::ostream* out) { *out << "{" << p.X << ", " << p.Y << "}"; }

namespace {

// "TIME(NAME)" splits at the first "(" when it ends in ")"; the name is cut to 10 units as the dialog's: no half of a
// pair kept (all at the end go, so a name cut again stays the same), a combining mark that does not fit cut off.
TEST(UiLogic, SplitsRequests) {
    const std::u16string smile = u"\U0001F600", three = smile + smile + smile;
    const struct { std::u16string Request, Time, Name; } cases[] = {
        {u"5(tea)", u"5", u"tea"}, {u"5", u"5", u""}, {u"5(tea", u"5(tea", u""}, {u"5)", u"5)", u""},
        {u"1:30()", u"1:30", u""}, {u"(a)(b)", u"", u"a)(b"}, {u"5(01234567e\u0301)", u"5", u"01234567e\u0301"},
        {std::u16string(300, u'1'), std::u16string(255, u'1'), u""}, {u"5(012345678e\u0301)", u"5", u"012345678e"},
        {u"5(012345678" + smile + u")", u"5", u"012345678"}, {u"5(01234567" + smile + u")", u"5", u"01234567" + smile},
        {u"5(0123" + three + smile + u")", u"5", u"0123" + three}, {u"5(0123456\xD800\xD800\xD800x)", u"5", u"0123456"},
    };
    for (const auto& c : cases) {
        char16_t time[TIME_TEXT_UNITS], name[MAX_NAME_LENGTH + 1];
        SplitTimerRequest(c.Request.c_str(), time, name);
        EXPECT_EQ(c.Time, time) << &c - cases;
        EXPECT_EQ(c.Name, name) << &c - cases;
    }
}

// A saved workspace position is offset by the work area of the first monitor it lands on; one on none is refused.
TEST(UiLogic, SavedPositionToScreen) {
    const MonitorArea monitors[] = {
        {{0, 0, 1920, 1080}, {0, 40, 1920, 1080}},        // taskbar at the top
        {{1920, 0, 3200, 1024}, {1980, 0, 3200, 1024}},   // second monitor, taskbar left
        {{INT_MIN, INT_MIN, INT_MIN + 99, INT_MIN + 99}, {INT_MAX - 9, INT_MAX - 9, INT_MAX, INT_MAX}},   // no overflow
    };
    const struct { WindowPosition Saved; int Lands; WindowPosition Screen; } cases[] = {
        {{10, 10}, 1, {10, 50}}, {{1910, 1030}, 1, {1910, 1070}}, {{2000, 10}, 1, {2060, 10}},
        {{INT_MAX, INT_MAX}, 0, {-1, -1}}, {{INT_MIN, INT_MIN}, 0, {-1, -1}},
    };
    for (const auto& c : cases) {
        WindowPosition screen = {-1, -1};
        const int lands = WorkspaceToScreen(c.Saved, monitors, 3, &screen);
        EXPECT_EQ(c.Lands, lands) << &c - cases;
        EXPECT_EQ(c.Screen, screen) << &c - cases;
    }
}

// A caption of 200 x 30 moves the least way that puts it wholly on a work area (the first has a taskbar below).
TEST(UiLogic, TheWholeCaptionIsInReach) {
    const MonitorArea monitors[] = {{{0, 0, 800, 600}, {0, 0, 800, 560}}, {{800, 0, 1800, 600}, {800, 0, 1800, 600}}};
    const struct { WindowPosition Place; int Width, Monitors; WindowPosition Reach; } cases[] = {
        {{100, 100}, 200, 1, {100, 100}},   {{799, 599}, 200, 1, {600, 530}},
        {{INT_MAX, INT_MAX}, 200, 1, {600, 530}}, {{INT_MIN, INT_MIN}, 200, 1, {0, 0}},
        {{100, 100}, 1000, 1, {0, 100}},    {{INT_MAX, 5}, 200, 0, {INT_MAX, 5}},
        {{1700, 570}, 200, 2, {1600, 570}}, {{700, 100}, 200, 2, {600, 100}},   // astride both: the primary on a tie
    };
    for (const auto& c : cases) {
        const WindowPosition reach = CaptionInReach(c.Place, c.Width, 30, monitors, c.Monitors);
        EXPECT_EQ(c.Reach, reach) << &c - cases;
    }
}

// The hot-key control's flags (1 Shift, 2 Ctrl, 4 Alt) become RegisterHotKey's (4, 2, 1); 8 (extended) none.
TEST(UiLogic, HotKeyModifiers) {
    const struct { uint16_t HotKey; uint32_t Modifiers; } cases[] = {{0x154, 4}, {0x254, 2}, {0x454, 1}, {0xFA54, 2}};
    for (const auto& c : cases)
        EXPECT_EQ(c.Modifiers, HotKeyModifiers(c.HotKey)) << std::hex << c.HotKey;
}

// A band is the menu colour, red behind an expired timer, which high contrast marks in the highlight colours.
TEST(UiLogic, BandColours) {
    ResetFakes();
    SetTimers({{u"", 0, 0, 0}, {u"", 5000, 0, 0}});
    const struct { int Band, HighContrast, System; uint32_t Rgb; int Highlighted; } cases[] = {
        {0, 0, FIXED_COLOUR, EXPIRED_RED, 0}, {1, 0, SYSTEM_MENU, 0, 0}, {2, 0, SYSTEM_MENU, 0, 0},
        {0, 1, SYSTEM_HIGHLIGHT, 0, 1},       {1, 1, SYSTEM_MENU, 0, 0}, {2, 1, SYSTEM_MENU, 0, 0},
    };
    for (const auto& c : cases) {
        const WindowColour colour = BandBackground(c.Band, c.HighContrast);
        const int highlighted = RowTimeHighlighted(c.Band, c.HighContrast);
        EXPECT_EQ(c.System, colour.System) << &c - cases;
        EXPECT_EQ(c.Rgb, colour.Rgb) << &c - cases;
        EXPECT_EQ(c.Highlighted, highlighted) << &c - cases;
    }
}

// What each control says: its tip, the name a screen reader speaks, its key; after a rebuild the rows gone say nothing.
TEST(UiLogic, ControlTexts) {
    ResetFakes();
    SetTimers({{u"洗濯機の脱水を始める", 45000000, 0, 0}, {u"", 1, 0, 1}, {u"egg", 0, 0, 0}, {u"", 30000, 1, 0}});
    Fake.TickCount = 60000;   // a minute since the last tick
    const struct { int Rows, Id; std::u16string Tip, Name, Key; } cases[] = {
        {10, ID_ROW_TIME + 0, u"洗濯機の脱水を始める\n残り 12:29:00", u"タイマー1 洗濯機の脱水を始める 残り 12:29:00", u""},
        {10, ID_ROW_TIME + 1, u"PM 5:30:00 に通知", u"タイマー2 PM 5:30:00 に通知", u""},
        {10, ID_ROW_TIME + 2, u"egg\n時間切れ", u"タイマー3 egg 時間切れ", u""},
        {10, ID_ROW_TIME + 3, u"残り 0:00:30", u"タイマー4 一時停止中 残り 0:00:30", u""},
        {10, ID_ROW_LABEL + 1, u"", u"タイマー2", u""},
        {10, IDC_HOTKEY, u"", u"ホットキー", u"Alt+H"},
        {10, ID_ROW_PAUSE + 0, u"一時停止・再開 (1)", u"タイマー1 一時停止", u"1"},
        {10, ID_ROW_EDIT + 9, u"修正 (Ctrl+0)", u"タイマー0 修正", u"Ctrl+0"},
        {10, ID_ADD, u"タイマー追加 (A)", u"", u"A"},
        {10, ID_SETTINGS, u"設定 (O)", u"設定", u"O"},
        {1, ID_ROW_TIME + 1, u"", u"", u""}, {1, ID_ROW_LABEL + 1, u"", u"", u""}, {1, ID_ROW_PAUSE + 9, u"", u"", u""},
    };
    for (const auto& c : cases) {
        App.Timers.Count = c.Rows;
        char16_t tip[TIP_TEXT_UNITS], name[TIP_TEXT_UNITS], key[ACCESSIBLE_KEY_UNITS];
        ToolTipText(c.Id, tip);
        AccessibleName(c.Id, name);
        AccessibleShortcut(c.Id, key);
        EXPECT_EQ(c.Tip, tip) << &c - cases;
        EXPECT_EQ(c.Name, name) << &c - cases;
        EXPECT_EQ(c.Key, key) << &c - cases;
    }
}

}  // namespace
