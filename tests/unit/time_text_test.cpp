// The time text language and the two display forms of a time value.
#include <gtest/gtest.h>
#include "fake_platform.h"
#include "test_support.h"
#include "time_text.h"

namespace {

class TimeTextTest : public ::testing::Test {
protected:
    void SetUp() override { ResetFakePlatform(); }
};

TEST_F(TimeTextTest, Parses)
{
    const struct {
        const char16_t* Text;
        uint64_t Value;
        int Clock;
    } cases[] = {
        {u"5", 300000, 0},          {u"90", 5400000, 0},          {u"1:30", 5400000, 0},
        {u"0:0:30", 30000, 0},      {u"1:90", 9000000, 0},        {u"0:0:3600", 3600000, 0},
        {u"1::30", 3630000, 0},     {u"5:", 300000, 0},           {u"5::", 18000000, 0},
        {u":30", 1800000, 0},       {u" 5", 300000, 0},           {u"-5", 300000, 0},
        {u"5m", 300000, 0},         {u"90s", 5400000, 0},         {u"1h30m20s", 5420000, 0},
        {u"1.30", 5400000, 0},      {u"1:2:3:4", 3723000, 0},     {u"", 0, 0},
        {u"x", 0, 0},               {u"A9:30", 34200000, 1},      {u"am9:30", 34200000, 1},
        {u"AM 9:30", 570000, 1},    {u"P5", 61200000, 1},         {u"pm5:30:15", 63015000, 1},
        {u"PM12", 0, 1},            {u"PM12:30", 1800000, 1},     {u"AM12:30", 45000000, 1},
        {u"A15:30", 55800000, 1},   {u"P15", 10800000, 1},        {u"A25", 3600000, 1},
        {u"A9:30:75", 34275000, 1}, {u"A23:60", 0, 1},            {u"A", 0, 1},
        {u"abc", 0, 1},             {u"P", 43200000, 1},          {u"PM", 43200000, 1},
        {u"pause", 43200000, 1},    {u"PM 5", 43500000, 1},       {u" A9:30", 9000, 0},
        {u"A23:59:60", 0, 1},       {u"A9:30:3600", 37800000, 1}, {u"\uFF15", 0, 0},   // full-width 5: no digit
        {u"5(tea", 18000000, 0},                                                        // a request without ")"
        {u"1\U0001F600" u"30", 5400000, 0},                                             // a pair is one separator
    };
    for (const auto& c : cases) {
        uint64_t value = 12345;
        EXPECT_EQ(c.Clock, ParseTimeText(&value, c.Text)) << "row " << &c - cases;
        EXPECT_EQ(c.Value, value) << "row " << &c - cases;
    }
}

// The edit form reads back as the value rounded up to a whole second.
TEST_F(TimeTextTest, FormatsBothForms)
{
    const struct {
        uint64_t Value;
        int Clock;
        const char16_t* Padded;
        const char16_t* Edit;
    } cases[] = {
        {0, 0, u" 0:00:00", u"0:0:0"},
        {1, 0, u" 0:00:01", u"0:0:1"},
        {1000, 0, u" 0:00:01", u"0:0:1"},
        {1001, 0, u" 0:00:02", u"0:0:2"},
        {59001, 0, u" 0:01:00", u"0:1:0"},
        {299000, 0, u" 0:04:59", u"0:4:59"},
        {299001, 0, u" 0:05:00", u"0:5:0"},
        {36000000, 0, u"10:00:00", u"10:0:0"},
        {360000000, 0, u"100:00:00", u"100:0:0"},
        {3599999000, 0, u"999:59:59", u"999:59:59"},
        {3599999001, 0, u"*000:00:00", u"1000:0:0"},
        {3600000000, 0, u"*000:00:00", u"1000:0:0"},
        {4442706000, 0, u"*234:05:06", u"1234:5:6"},
        {0, 1, u"AM 0:00:00", u"AM0:0:0"},
        {32700000, 1, u"AM 9:05:00", u"AM9:5:0"},
        {43199000, 1, u"AM11:59:59", u"AM11:59:59"},
        {43200000, 1, u"PM 0:00:00", u"PM0:0:0"},
        {45000000, 1, u"PM 0:30:00", u"PM0:30:0"},
        {63000000, 1, u"PM 5:30:00", u"PM5:30:0"},
        {86399000, 1, u"PM11:59:59", u"PM11:59:59"},
        // The whole hour count fits the 32-unit buffer; the largest value rounds up without wrapping.
        {UINT64_C(4294967296) * 3600000, 0, u"*296:00:00", u"4294967296:0:0"},
        {UINT64_MAX, 0, u"*030:25:52", u"5124095576030:25:52"},
        {UINT64_MAX, 1, u"PM5124095576018:25:52", u"PM5124095576018:25:52"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.Padded, std::u16string(FormatTimeText(c.Value, c.Clock))) << c.Value;
        const char16_t* edit = FormatEditTimeText(c.Value, c.Clock);
        EXPECT_EQ(App.TimeTextBuffer, edit);
        EXPECT_EQ(c.Edit, std::u16string(edit)) << c.Value;
        if (c.Value < MS_PER_DAY * 100000) {
            uint64_t value = 0;
            EXPECT_EQ(c.Clock, ParseTimeText(&value, edit)) << c.Value;
            EXPECT_EQ((c.Value + 999) / 1000 * 1000, value) << c.Value;
        }
    }
}

// A run of 300 digits wraps in unsigned arithmetic (no undefined overflow), and only its
// first 255 units count. Expected: the first 255 digits modulo 2^64, times 60000, worked
// out with arbitrary-precision integers.
TEST_F(TimeTextTest, OverlongDigitRunsWrap)
{
    std::u16string digits;
    for (int i = 0; i < 300; ++i)
        digits += static_cast<char16_t>(u'1' + i % 7);
    uint64_t value = 0;
    EXPECT_EQ(0, ParseTimeText(&value, digits.c_str()));
    EXPECT_EQ(UINT64_C(4986542803403492640), value);
    std::u16string clock = u"A" + digits;
    EXPECT_EQ(1, ParseTimeText(&value, clock.c_str()));
    EXPECT_LT(value, MS_PER_DAY);
}

TEST_F(TimeTextTest, ReadsAtMost255Units)
{
    // Units 0 to 254 read "1:00...07"; "1:30" begins at unit 255 and must not be seen.
    std::u16string text = u"1:" + std::u16string(252, u'0') + u"7" + u"1:30";
    uint64_t value = 0;
    EXPECT_EQ(0, ParseTimeText(&value, text.c_str()));
    EXPECT_EQ((60u + 7u) * 60000u, value);

    std::u16string huge(100000, u'1');
    huge[0] = u'P';
    EXPECT_EQ(1, ParseTimeText(&value, huge.c_str()));
    EXPECT_LT(value, MS_PER_DAY);
}

}  // namespace
