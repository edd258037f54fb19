// The window-free parts of the main window: request splitting, hot-key modifiers and the
// grid of controls.
#include <gtest/gtest.h>
#include "fake_platform.h"
#include "hotkey_modifiers.h"
#include "row_geometry.h"
#include "timer_request.h"

namespace {

TEST(SplitTimerRequest, SplitsTimeAndName)
{
    const std::u16string pair = u"\U0001F600";   // one character in two units
    const struct {
        std::u16string Request, Time, Name;
    } cases[] = {
        {u"5(tea)", u"5", u"tea"},
        {u"5", u"5", u""},
        {u"5()", u"5", u""},
        {u"5 (tea)", u"5 ", u"tea"},
        {u"5(tea", u"5(tea", u""},                             // no closing parenthesis: all time text
        {u"5(a(b))", u"5", u"a(b)"},
        {u"5(abcdefghijkl)", u"5", u"abcdefghij"},             // 12 units cut to 10
        {u"5(abcdefghij)", u"5", u"abcdefghij"},
        {u"5(abcdefghi" + pair + u"x)", u"5", u"abcdefghi"},   // a pair at units 10 and 11 is dropped whole
        {u"5(abcdefgh" + pair + u"xy)", u"5", u"abcdefgh" + pair},
        {std::u16string(100000, u'1'), std::u16string(255, u'1'), u""},   // time texts cut to 255 units
        {std::u16string(300, u'2') + u"(n)", std::u16string(255, u'2'), u"n"},
    };
    ResetFakePlatform();
    char16_t timeText[TIME_TEXT_UNITS];
    char16_t name[MAX_NAME_LENGTH + 1];
    for (const auto& c : cases) {
        SplitTimerRequest(c.Request.c_str(), timeText, name);
        EXPECT_EQ(c.Time, std::u16string(timeText)) << "row " << &c - cases;
        EXPECT_EQ(c.Name, std::u16string(name)) << "row " << &c - cases;
    }
    SplitTimerRequest(nullptr, timeText, name);
    EXPECT_EQ(0, timeText[0] | name[0]);
}

TEST(HotKeyModifiers, TranslatesControlFlagsToRegisterHotKeyModifiers)
{
    const struct {
        uint16_t HotKey;
        uint32_t Modifiers, VirtualKey;
    } cases[] = {
        {0x0654, 0x0003, 0x54},   // Ctrl+Alt+T
        {0x0178, 0x0004, 0x78},   // Shift+F9
        {0x0078, 0x0000, 0x78},   // F9 alone
        {0x0A27, 0x0002, 0x27},   // Ctrl + extended right arrow: HOTKEYF_EXT dropped
        {0x0F41, 0x0007, 0x41},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.Modifiers, HotKeyModifiers(c.HotKey)) << std::hex << c.HotKey;
        EXPECT_EQ(c.VirtualKey, HotKeyVirtualKey(c.HotKey)) << std::hex << c.HotKey;
    }
}

// With lines of 16 pixels and characters of 7: a row pitch of 26.
const int Cw = 7, Lh = 16;

void ExpectRect(const PixelRect& r, int x, int y, int width, int height)
{
    EXPECT_EQ(x, r.X);
    EXPECT_EQ(y, r.Y);
    EXPECT_EQ(width, r.Width);
    EXPECT_EQ(height, r.Height);
}

TEST(RowGeometry, ControlsSitOnTheCharacterGrid)
{
    const struct {
        int Row, Kind, X, Y, Width, Height;
    } rows[] = {
        {0, RowLabel, 7, 5, 21, 16},   {0, RowTime, 28, 3, 77, 20},   {0, RowPause, 105, 2, 21, 22},
        {0, RowEdit, 126, 2, 21, 22},  {0, RowDelete, 147, 2, 21, 22}, {9, RowLabel, 7, 239, 21, 16},
    };
    for (const auto& e : rows) {
        SCOPED_TRACE(testing::Message() << e.Row << "/" << e.Kind);
        ExpectRect(RowControlRect(e.Row, e.Kind, Cw, Lh), e.X, e.Y, e.Width, e.Height);
    }
    const struct {
        int Count, Button, X, Y, Width;
    } buttons[] = {
        {0, 0, 7, 2, 35}, {0, 1, 42, 2, 35}, {0, 2, 77, 2, 35}, {0, 3, 112, 2, 35}, {0, 4, 147, 2, 21},
        {3, 0, 7, 80, 35}, {10, 4, 147, 262, 21},
    };
    for (const auto& e : buttons) {
        SCOPED_TRACE(testing::Message() << e.Count << "/" << e.Button);
        ExpectRect(BottomButtonRect(e.Count, e.Button, Cw, Lh), e.X, e.Y, e.Width, Lh + 6);
    }
    ExpectRect(ClientAreaFor(0, Cw, Lh), 0, 0, 25 * Cw, Lh + 10);
    ExpectRect(ClientAreaFor(3, Cw, Lh), 0, 0, 25 * Cw, 4 * 26);
    ExpectRect(ClientAreaFor(10, Cw, Lh), 0, 0, 25 * Cw, 11 * 26);
}

TEST(RowGeometry, OnlyBandsOfExpiredTimersAreRed)
{
    ResetFakePlatform();
    App.Timers.Count = 3;
    App.Timers.Records[0].Remaining = 5;
    App.Timers.Records[2].Suspended = 1;   // 1 and 2 expired
    // Record 3 is beyond Count: its band is the bottom one, never red.
    const int expected[] = {0, 0, 1, 1, 0, 0};
    for (int band = -1; band < 5; ++band)
        EXPECT_EQ(expected[band + 1], BandIsExpired(band)) << band;
    EXPECT_EQ(0, BandIsExpired(MAX_TIMERS));
}

}  // namespace
