// The window-free parts of the user interface: requests by text, the saved window position across workspace and
// screen coordinates, the tooltips and what screen readers say.
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

namespace {

TEST(UiLogic, SplitsRequests) {
    const struct { std::u16string Request, Time, Name; } cases[] = {
        {u"5(tea)", u"5", u"tea"},          {u"5", u"5", u""},
        {u"5(tea", u"5(tea", u""},          {u"5)", u"5)", u""},
        {u"1:30()", u"1:30", u""},          {u"(a)(b)", u"", u"a)(b"},
        {u"5(0123456789AB)", u"5", u"0123456789"},
        {std::u16string(300, u'1'), std::u16string(255, u'1'), u""},
    };
    for (const auto& c : cases) {
        char16_t time[TIME_TEXT_UNITS], name[MAX_NAME_LENGTH + 1];
        SplitTimerRequest(c.Request.c_str(), time, name);
        EXPECT_EQ(c.Time, time) << &c - cases;
        EXPECT_EQ(c.Name, name) << &c - cases;
    }
}

// A name comes out the same from a request and from the timer dialog, whose field stops at 10 units: no surrogate
// pair split, no half of one kept; a combining mark that does not fit is cut off its letter, which stays.
using NamesCut = FakesTest;
TEST_F(NamesCut, AlikeFromARequestAndFromTheDialog) {
    const std::u16string smile = u"\U0001F600", three = smile + smile + smile;
    const struct { std::u16string Given, Kept; } cases[] = {
        {u"012345678" + smile, u"012345678"},             {u"01234567" + smile, u"01234567" + smile},
        {u"0123" + three + smile, u"0123" + three},       {u"012345678" + smile.substr(0, 1), u"012345678"},   // a half
        {u"012345678e\u0301", u"012345678e"},             {u"01234567e\u0301", u"01234567e\u0301"},
        {u"かきくけこさしすせそ\u3099", u"かきくけこさしすせそ"}, {u"0123456\xD800\xD800\xD800x", u"0123456"},
    };
    for (const auto& c : cases) {
        char16_t time[TIME_TEXT_UNITS], fromRequest[MAX_NAME_LENGTH + 1];
        SplitTimerRequest((u"5(" + c.Given + u")").c_str(), time, fromRequest);
        App.Timers.Count = 0;
        AddTimer(time, fromRequest);
        AddTimer(u"5", c.Given.substr(0, MAX_NAME_LENGTH).c_str());
        EXPECT_EQ(c.Kept, fromRequest) << &c - cases << " split";
        EXPECT_EQ(c.Kept, App.Timers.Records[0].Name) << &c - cases << " from a request";
        EXPECT_EQ(c.Kept, App.Timers.Records[1].Name) << &c - cases << " from the dialog";
    }
}

// A saved workspace position lands at the screen point offset by the work area of the first monitor it lands on; one
// on no monitor is refused. Extreme values and odd monitors do not overflow (the sanitizers see to that).
TEST(UiLogic, SavedPositionToScreen) {
    const MonitorArea monitors[] = {
        {{0, 0, 1920, 1080}, {0, 40, 1920, 1080}},        // taskbar at the top
        {{1920, 0, 3200, 1024}, {1980, 0, 3200, 1024}},   // second monitor, taskbar left
        {{INT_MIN, INT_MIN, INT_MIN + 99, INT_MIN + 99}, {INT_MAX - 9, INT_MAX - 9, INT_MAX, INT_MAX}},   // odd
    };
    const struct { WindowPosition Saved; int Lands; WindowPosition Screen; } cases[] = {
        {{10, 10}, 1, {10, 50}},          {{1910, 1030}, 1, {1910, 1070}},
        {{2000, 10}, 1, {2060, 10}},      {{INT_MAX, INT_MAX}, 0, {-1, -1}},
        {{INT_MIN, INT_MIN}, 0, {-1, -1}},
    };
    for (const auto& c : cases) {
        WindowPosition screen = {-1, -1};
        const int lands = WorkspaceToScreen(c.Saved, monitors, 3, &screen);
        EXPECT_EQ(std::make_tuple(c.Lands, c.Screen.X, c.Screen.Y), std::make_tuple(lands, screen.X, screen.Y)) << &c - cases;
    }
}

// A caption of 200 x 30 is moved the least way that puts it wholly on a work area: an 800 x 600 screen with the
// taskbar at the bottom, and a second screen to its right.
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
        EXPECT_EQ(std::make_pair(c.Reach.X, c.Reach.Y), std::make_pair(reach.X, reach.Y)) << &c - cases;
    }
}

// The hot-key control's flags (1 Shift, 2 Ctrl, 4 Alt, 8 extended) become RegisterHotKey's modifiers (4 Shift, 2
// Control, 1 Alt); the key is the low byte.
TEST(UiLogic, HotKeyModifiers) {
    const struct { uint16_t HotKey; uint32_t Modifiers, Key; } cases[] = {
        {0x0154, 0x4, 0x54}, {0x0254, 0x2, 0x54}, {0x0454, 0x1, 0x54}, {0x0727, 0x7, 0x27},
        {0x0A27, 0x2, 0x27}, {0xF077, 0x0, 0x77}, {0x0000, 0x0, 0x00},
    };
    for (const auto& c : cases)
        EXPECT_EQ(std::make_pair(c.Modifiers, c.Key), std::make_pair(HotKeyModifiers(c.HotKey), HotKeyVirtualKey(c.HotKey)))
            << std::hex << c.HotKey;
}

// The bands take the menu colour, red behind an expired timer; with high contrast every colour is the system's, an
// expired row's the highlight colours, its time display's too.
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
        EXPECT_EQ(std::make_tuple(c.System, c.Rgb, c.Highlighted), std::make_tuple(colour.System, colour.Rgb, highlighted))
            << &c - cases;
    }
}

typedef std::tuple<std::u16string, std::u16string, std::u16string> Said;   // tip, accessible name, key

// What each control says of itself: the tip (a row's whole name and what its time means, now; every button's key),
// the name a screen reader speaks where the control's own text says too little (a row's time with its row and pause,
// a label only its row, two dialog fields), and the key.
TEST(UiLogic, ControlTexts) {
    ResetFakes();
    SetTimers({{u"洗濯機の脱水を始める", 45000000, 0, 0}, {u"", 1, 0, 1}, {u"egg", 0, 0, 0}, {u"", 30000, 1, 0}});
    Fake.TickCount = 60000;   // a minute since the last tick
    const struct { int Id; std::u16string Tip, Name, Key; } cases[] = {
        {ID_ROW_TIME + 0, u"洗濯機の脱水を始める\n残り 12:29:00", u"タイマー1 洗濯機の脱水を始める 残り 12:29:00", u""},
        {ID_ROW_TIME + 1, u"PM 5:30:00 に通知", u"タイマー2 PM 5:30:00 に通知", u""},
        {ID_ROW_TIME + 2, u"egg\n時間切れ", u"タイマー3 egg 時間切れ", u""},
        {ID_ROW_TIME + 3, u"残り 0:00:30", u"タイマー4 一時停止中 残り 0:00:30", u""},
        {ID_ROW_LABEL + 1, u"", u"タイマー2", u""},
        {IDC_NAME, u"", u"名称", u""},
        {IDC_HOTKEY, u"", u"ホットキー", u"Alt+H"},
        {ID_ROW_PAUSE + 0, u"一時停止・再開 (1)", u"タイマー1 一時停止", u"1"},
        {ID_ROW_EDIT + 9, u"修正 (Ctrl+0)", u"タイマー0 修正", u"Ctrl+0"},
        {ID_ROW_DELETE + 4, u"削除 (Alt+5)", u"タイマー5 削除", u"Alt+5"},
        {ID_ADD, u"タイマー追加 (A)", u"", u"A"},
        {ID_SETTINGS, u"設定 (O)", u"設定", u"O"},
    };
    for (int count : {10, 1}) {   // after a rebuild to one row, the rows that went say nothing
        App.Timers.Count = count;
        for (const auto& c : cases) {
            const bool gone = (c.Id & 0xFF) >= count && (c.Id & 0xFF) < MAX_TIMERS && c.Id < ID_ADD;
            char16_t tip[TIP_TEXT_UNITS], name[TIP_TEXT_UNITS], key[ACCESSIBLE_KEY_UNITS];
            ToolTipText(c.Id, tip);
            AccessibleName(c.Id, name);
            AccessibleShortcut(c.Id, key);
            EXPECT_EQ(gone ? Said() : Said(c.Tip, c.Name, c.Key), Said(tip, name, key)) << std::hex << c.Id;
        }
    }
}

}  // namespace
