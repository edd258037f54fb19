// Tests of the time text language and of the two display forms of a time value.
#include <gtest/gtest.h>
#include <cstdint>
#include <string>
#include "fake_platform.h"
#include "time_text.h"

namespace {

struct ParseCase {
    const char16_t* Text;
    uint64_t Value;
    int Clock;
};

const ParseCase ParseCases[] = {
    {u"5", 300000, 0},
    {u"90", 5400000, 0},
    {u"1:30", 5400000, 0},
    {u"0:0:30", 30000, 0},
    {u"1:90", 9000000, 0},
    {u"0:0:3600", 3600000, 0},
    {u"1::30", 3630000, 0},
    {u"5:", 300000, 0},
    {u"5::", 18000000, 0},
    {u":30", 1800000, 0},
    {u" 5", 300000, 0},
    {u"-5", 300000, 0},
    {u"5m", 300000, 0},
    {u"90s", 5400000, 0},
    {u"1h30m20s", 5420000, 0},
    {u"1.30", 5400000, 0},
    {u"1:2:3:4", 3723000, 0},
    {u"", 0, 0},
    {u"x", 0, 0},
    {u"A9:30", 34200000, 1},
    {u"am9:30", 34200000, 1},
    {u"AM 9:30", 570000, 1},
    {u"P5", 61200000, 1},
    {u"pm5:30:15", 63015000, 1},
    {u"PM12", 0, 1},
    {u"PM12:30", 1800000, 1},
    {u"AM12:30", 45000000, 1},
    {u"A15:30", 55800000, 1},
    {u"P15", 10800000, 1},
    {u"A25", 3600000, 1},
    {u"A9:30:75", 34275000, 1},
    {u"A23:60", 0, 1},
    {u"A", 0, 1},
    {u"abc", 0, 1},
    {u"P", 43200000, 1},
    {u"PM", 43200000, 1},
    {u"pause", 43200000, 1},
    {u"PM 5", 43500000, 1},
    {u" A9:30", 9000, 0},
    // Further readings of the same rules.
    {u"0", 0, 0},
    {u"0:0:0", 0, 0},
    {u"A0", 0, 1},
    {u"PM0", 43200000, 1},
    {u"A9:30:3600", 37800000, 1},          // seconds carry a whole hour: 10:30
    {u"A0:1440", 0, 1},                    // minutes carry a whole day
    {u"A23:59:60", 0, 1},                  // seconds carry into minutes, minutes into 24:00
    {u"A0:0:86400", 0, 1},
    {u"A0:59:60", 3600000, 1},
    {u"\uFF15", 0, 0},                      // a full-width digit is no digit
    {u"1\U0001F600" u"30", 5400000, 0},    // a surrogate pair is one separator
};

class TimeTextTest : public ::testing::Test {
protected:
    void SetUp() override { ResetFakePlatform(); }
};

TEST_F(TimeTextTest, ParsesEveryListedText)
{
    for (const ParseCase& c : ParseCases) {
        std::string label;
        for (const char16_t* p = c.Text; *p != 0; ++p)
            label += *p < 0x80 ? static_cast<char>(*p) : '?';
        uint64_t value = 12345;
        int clock = ParseTimeText(&value, c.Text);
        EXPECT_EQ(c.Value, value) << "text \"" << label << "\"";
        EXPECT_EQ(c.Clock, clock) << "text \"" << label << "\"";
    }
}

struct FormatCase {
    uint64_t Value;
    int Clock;
    const char16_t* Padded;
    const char16_t* Edit;
};

const FormatCase FormatCases[] = {
    {0, 0, u" 0:00:00", u"0:0:0"},
    {1, 0, u" 0:00:01", u"0:0:1"},
    {1000, 0, u" 0:00:01", u"0:0:1"},
    {1001, 0, u" 0:00:02", u"0:0:2"},
    {299000, 0, u" 0:04:59", u"0:4:59"},
    {299001, 0, u" 0:05:00", u"0:5:0"},
    {36000000, 0, u"10:00:00", u"10:0:0"},
    {3599999000, 0, u"999:59:59", u"999:59:59"},
    {3600000000, 0, u"*000:00:00", u"1000:0:0"},
    {4442706000, 0, u"*234:05:06", u"1234:5:6"},
    {0, 1, u"AM 0:00:00", u"AM0:0:0"},
    {32700000, 1, u"AM 9:05:00", u"AM9:5:0"},
    {43199000, 1, u"AM11:59:59", u"AM11:59:59"},
    {43200000, 1, u"PM 0:00:00", u"PM0:0:0"},
    {63000000, 1, u"PM 5:30:00", u"PM5:30:0"},
    {86399000, 1, u"PM11:59:59", u"PM11:59:59"},
    // Beyond the listed rows.
    {60000, 0, u" 0:01:00", u"0:1:0"},
    {59001, 0, u" 0:01:00", u"0:1:0"},
    {3599999001, 0, u"*000:00:00", u"1000:0:0"},
    {360000000, 0, u"100:00:00", u"100:0:0"},
    // The hour count above 2^31 is printed whole: 2^32 hours.
    {UINT64_C(4294967296) * 3600000, 0, u"*296:00:00", u"4294967296:0:0"},
    // The largest value rounds up without wrapping round to a few seconds.
    {UINT64_MAX, 0, u"*030:25:52", u"5124095576030:25:52"},
};

TEST_F(TimeTextTest, FormatsBothForms)
{
    for (const FormatCase& c : FormatCases) {
        EXPECT_EQ(std::u16string(c.Padded), std::u16string(FormatTimeText(c.Value, c.Clock)))
            << "value " << c.Value << " clock " << c.Clock;
        EXPECT_EQ(std::u16string(c.Edit), std::u16string(FormatEditTimeText(c.Value, c.Clock)))
            << "value " << c.Value << " clock " << c.Clock;
    }
}

TEST_F(TimeTextTest, FormattersWriteIntoTheSharedBuffer)
{
    EXPECT_EQ(App.TimeTextBuffer, FormatTimeText(1000, 0));
    EXPECT_EQ(App.TimeTextBuffer, FormatEditTimeText(1000, 0));
}

// The edit form reads back to the same flag and the value rounded up to a whole second.
TEST_F(TimeTextTest, EditFormReadsBack)
{
    const struct {
        uint64_t Value;
        int Clock;
        uint64_t ReadBack;
    } cases[] = {
        {299001, 0, 300000},     {1, 0, 1000},           {3600000000, 0, 3600000000},
        {4442706000, 0, 4442706000}, {0, 1, 0},          {43200000, 1, 43200000},
        {63000000, 1, 63000000}, {86399000, 1, 86399000}, {32700000, 1, 32700000},
        {45000000, 1, 45000000},
    };
    for (const auto& c : cases) {
        std::u16string text = FormatEditTimeText(c.Value, c.Clock);
        uint64_t value = 0;
        EXPECT_EQ(c.Clock, ParseTimeText(&value, text.c_str())) << c.Value;
        EXPECT_EQ(c.ReadBack, value) << c.Value;
    }
}

TEST_F(TimeTextTest, LongestTextsFitTheBuffer)
{
    const struct {
        uint64_t Value;
        int Clock;
    } cases[] = {{UINT64_MAX, 0}, {UINT64_MAX, 1}, {UINT64_MAX - 998, 0}, {UINT64_MAX - 999, 1}};
    for (const auto& c : cases) {
        for (int edit = 0; edit < 2; ++edit) {
            const char16_t* text = edit ? FormatEditTimeText(c.Value, c.Clock) : FormatTimeText(c.Value, c.Clock);
            int length = 0;
            while (length < TIME_TEXT_BUFFER_UNITS && text[length] != 0)
                ++length;
            EXPECT_LT(length, TIME_TEXT_BUFFER_UNITS) << c.Value;
            std::u16string s(text);
            // Nothing was cut: the text ends with its two-digit or one-digit seconds.
            EXPECT_NE(std::u16string::npos, s.rfind(u':')) << c.Value;
        }
    }
    // u64 max ms is 5124095576030 h 25 min 51.615 s, rounded up to :52.
    EXPECT_EQ(std::u16string(u"PM5124095576018:25:52"), std::u16string(FormatEditTimeText(UINT64_MAX, 1)));
}

// A run of 300 digits wraps in unsigned arithmetic (no undefined overflow), and only its
// first 255 units count. The expected values are the decimal numbers taken modulo 2^64,
// worked out with arbitrary-precision integers outside this program.
TEST_F(TimeTextTest, OverlongDigitRunsWrap)
{
    std::u16string digits;
    for (int i = 0; i < 300; ++i)
        digits += static_cast<char16_t>(u'1' + i % 7);
    uint64_t value = 0;
    EXPECT_EQ(0, ParseTimeText(&value, digits.c_str()));
    EXPECT_EQ(UINT64_C(4986542803403492640), value);   // first 255 digits mod 2^64, times 60000
    EXPECT_NE(UINT64_C(5921903501941063680), value);   // what all 300 digits would give

    std::u16string clock = u"A" + digits;
    EXPECT_EQ(1, ParseTimeText(&value, clock.c_str()));
    EXPECT_LT(value, MS_PER_DAY);
}

TEST_F(TimeTextTest, ReadsAtMost255Units)
{
    // 254 units of padding, then "1:30" from unit 255 on: the parser must not see it.
    std::u16string text = u"1:" + std::u16string(252, u'0') + u"7" + u"1:30";
    ASSERT_EQ(255u, text.find(u"1:30"));
    uint64_t value = 0;
    EXPECT_EQ(0, ParseTimeText(&value, text.c_str()));
    EXPECT_EQ((60u + 7u) * 60000u, value);   // the second field's run of 253 units ends at unit 255

    std::u16string huge(100000, u'1');
    huge[0] = u'P';
    EXPECT_EQ(1, ParseTimeText(&value, huge.c_str()));
    EXPECT_LT(value, MS_PER_DAY);
}

TEST_F(TimeTextTest, HighSurrogateAtTheCut)
{
    // Unit 255 (index 254) is a high surrogate whose low half lies beyond the units read.
    std::u16string text = u"2:" + std::u16string(252, u'0');
    text += u'\xD83D';
    text += u'\xDE00';
    text += u"99";
    ASSERT_EQ(0xD83D, text[254]);
    uint64_t value = 0;
    EXPECT_EQ(0, ParseTimeText(&value, text.c_str()));
    EXPECT_EQ(2u * 3600000u, value);

    // And with a lone high surrogate at the very end of the text.
    std::u16string lone = u"3:";
    lone += u'\xD800';
    EXPECT_EQ(0, ParseTimeText(&value, lone.c_str()));
    EXPECT_EQ(3u * 3600000u, value);   // the surrogate is an empty second field: 3 hours
}

}  // namespace
