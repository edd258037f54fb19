// The window-free parts of the main window: request splitting, hot-key modifiers and the
// grid of controls.
#include <gtest/gtest.h>
#include <string>
#include "fake_platform.h"
#include "hotkey_modifiers.h"
#include "row_geometry.h"
#include "timer_request.h"

namespace {

struct SplitCase {
    std::u16string Request;
    std::u16string Time;
    std::u16string Name;
};

class SplitTimerRequestTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitTimerRequestTest, SplitsTimeAndName)
{
    ResetFakePlatform();
    const SplitCase& c = GetParam();
    char16_t timeText[TIME_TEXT_UNITS];
    char16_t name[MAX_NAME_LENGTH + 1];
    SplitTimerRequest(c.Request.c_str(), timeText, name);
    EXPECT_EQ(std::u16string(timeText), c.Time);
    EXPECT_EQ(std::u16string(name), c.Name);
}

const char16_t Pair[] = u"\xD83D\xDE00";   // one character in two units

INSTANTIATE_TEST_SUITE_P(
    Requests, SplitTimerRequestTest,
    ::testing::Values(
        SplitCase{u"5(tea)", u"5", u"tea"},
        SplitCase{u"5", u"5", u""},
        SplitCase{u"5()", u"5", u""},
        SplitCase{u"5 (tea)", u"5 ", u"tea"},
        SplitCase{u"5(tea", u"5(tea", u""},                       // no closing parenthesis: all time text
        SplitCase{u"5(a(b))", u"5", u"a(b)"},                     // inner parentheses stay in the name
        SplitCase{u"5)tea(", u"5)tea(", u""},
        SplitCase{u"(tea)", u"", u"tea"},                         // empty time text; AddTimer refuses it
        SplitCase{u"5(abcdefghijkl)", u"5", u"abcdefghij"},       // 12 units cut to 10
        SplitCase{u"5(abcdefghij)", u"5", u"abcdefghij"},         // exactly 10 stays whole
        SplitCase{u"1:30(お茶の時間です休憩)", u"1:30", u"お茶の時間です休憩"},
        // a surrogate pair at units 10 and 11 is dropped whole, never split
        SplitCase{u"5(abcdefghi" + std::u16string(Pair) + u"x)", u"5", u"abcdefghi"},
        // a pair that ends exactly at unit 10 is kept
        SplitCase{u"5(abcdefgh" + std::u16string(Pair) + u"xy)", u"5", u"abcdefgh" + std::u16string(Pair)},
        SplitCase{u"", u"", u""}));

TEST(SplitTimerRequest, NullRequestGivesEmptyTexts)
{
    ResetFakePlatform();
    char16_t timeText[TIME_TEXT_UNITS] = u"junk";
    char16_t name[MAX_NAME_LENGTH + 1] = u"junk";
    SplitTimerRequest(nullptr, timeText, name);
    EXPECT_EQ(timeText[0], 0);
    EXPECT_EQ(name[0], 0);
}

TEST(SplitTimerRequest, LongTimeTextsAreCutTo255Units)
{
    ResetFakePlatform();
    const std::u16string plain(100000, u'1');
    const std::u16string parenthesised = std::u16string(300, u'2') + u"(n)";
    char16_t timeText[TIME_TEXT_UNITS];
    char16_t name[MAX_NAME_LENGTH + 1];
    SplitTimerRequest(plain.c_str(), timeText, name);
    EXPECT_EQ(std::u16string(timeText), std::u16string(255, u'1'));
    SplitTimerRequest(parenthesised.c_str(), timeText, name);
    EXPECT_EQ(std::u16string(timeText), std::u16string(255, u'2'));
    EXPECT_EQ(std::u16string(name), u"n");
}

TEST(SplitTimerRequest, UnpairedSurrogatesStayWithinTheName)
{
    ResetFakePlatform();
    const std::u16string request = u"5(" + std::u16string(11, u'\xD800') + u")";
    char16_t timeText[TIME_TEXT_UNITS];
    char16_t name[MAX_NAME_LENGTH + 1];
    SplitTimerRequest(request.c_str(), timeText, name);
    EXPECT_EQ(std::u16string(name).size(), 10u);
}

struct ModifierCase {
    uint16_t HotKey;
    uint32_t Modifiers;
    uint32_t VirtualKey;
};

TEST(HotKeyModifiers, TranslatesControlFlagsToRegisterHotKeyModifiers)
{
    const ModifierCase cases[] = {
        {0x0654, 0x0003, 0x54},   // Ctrl+Alt+T
        {0x0178, 0x0004, 0x78},   // Shift+F9
        {0x0078, 0x0000, 0x78},   // F9 alone
        {0x0A27, 0x0002, 0x27},   // Ctrl + extended right arrow: HOTKEYF_EXT dropped
        {0x0F41, 0x0007, 0x41},   // every flag
        {0xF041, 0x0000, 0x41},   // bits above the four flags are ignored
        {0x0000, 0x0000, 0x00},
    };
    for (const ModifierCase& c : cases) {
        EXPECT_EQ(HotKeyModifiers(c.HotKey), c.Modifiers) << std::hex << c.HotKey;
        EXPECT_EQ(HotKeyVirtualKey(c.HotKey), c.VirtualKey) << std::hex << c.HotKey;
    }
}

// With the default font of 16-pixel lines and 7-pixel characters.
const int Cw = 7;
const int Lh = 16;

TEST(RowGeometry, RowControlsSitOnTheCharacterGrid)
{
    struct Expected {
        int Row, Kind, X, Y, Width, Height;
    } cases[] = {
        {0, RowLabel, 7, 5, 21, 16},    {0, RowTime, 28, 3, 77, 20},   {0, RowPause, 105, 2, 21, 22},
        {0, RowEdit, 126, 2, 21, 22},   {0, RowDelete, 147, 2, 21, 22},
        {9, RowLabel, 7, 239, 21, 16},  {9, RowDelete, 147, 236, 21, 22},
    };
    for (const Expected& e : cases) {
        PixelRect r = RowControlRect(e.Row, e.Kind, Cw, Lh);
        EXPECT_EQ(r.X, e.X) << e.Row << "/" << e.Kind;
        EXPECT_EQ(r.Y, e.Y) << e.Row << "/" << e.Kind;
        EXPECT_EQ(r.Width, e.Width) << e.Row << "/" << e.Kind;
        EXPECT_EQ(r.Height, e.Height) << e.Row << "/" << e.Kind;
    }
}

TEST(RowGeometry, BottomButtonsFollowTheLastRowAndFillTheGrid)
{
    struct Expected {
        int Count, Button, X, Y, Width;
    } cases[] = {
        {0, 0, 7, 2, 35}, {0, 1, 42, 2, 35}, {0, 2, 77, 2, 35}, {0, 3, 112, 2, 35}, {0, 4, 147, 2, 21},
        {3, 0, 7, 80, 35}, {10, 4, 147, 262, 21},
    };
    for (const Expected& e : cases) {
        PixelRect r = BottomButtonRect(e.Count, e.Button, Cw, Lh);
        EXPECT_EQ(r.X, e.X);
        EXPECT_EQ(r.Y, e.Y);
        EXPECT_EQ(r.Width, e.Width);
        EXPECT_EQ(r.Height, Lh + 6);
        // nothing reaches into the empty cell at the right edge
        EXPECT_LE(r.X + r.Width, 24 * Cw);
    }
}

TEST(RowGeometry, ClientAreaGrowsByOnePitchPerTimer)
{
    for (int count = 0; count <= MAX_TIMERS; ++count) {
        PixelRect area = ClientAreaFor(count, Cw, Lh);
        EXPECT_EQ(area.Width, 175);
        EXPECT_EQ(area.Height, 26 * (count + 1));
        // the bottom buttons stay inside the client area with 2 pixels to spare
        PixelRect add = BottomButtonRect(count, 0, Cw, Lh);
        EXPECT_EQ(area.Height - (add.Y + add.Height), 2);
    }
}

TEST(RowGeometry, OnlyBandsOfExpiredTimersAreRed)
{
    ResetFakePlatform();
    App.Timers.Count = 3;
    App.Timers.Records[0].Remaining = 5;
    App.Timers.Records[1].Remaining = 0;
    App.Timers.Records[2].Remaining = 0;
    App.Timers.Records[2].Suspended = 1;
    App.Timers.Records[3].Remaining = 0;   // beyond Count: the bottom band, never red
    const int expected[] = {0, 1, 1, 0, 0};
    for (int band = 0; band < 5; ++band)
        EXPECT_EQ(BandIsExpired(band), expected[band]) << band;
    EXPECT_EQ(BandIsExpired(-1), 0);
    EXPECT_EQ(BandIsExpired(MAX_TIMERS), 0);
}

}  // namespace
