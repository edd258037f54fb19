// The reading of a time text comes from ParseTimeText itself, so that it says what OK makes
// of the text, however the text was meant.
#include "time_reading.h"
#include <cstdint>
#include "text16.h"
#include "time_text.h"

// Every word of a reading, in one place.
struct ReadingWords {
    const char16_t* CountdownHours;
    const char16_t* ClockHour;
    const char16_t* Minutes;
    const char16_t* Seconds;
    const char16_t* Morning;     // before a time of day from 0:00 to 11:59
    const char16_t* Afternoon;   // before one from 12:00 on, whose hour is then counted from 0
    const char16_t* Alarm;       // after a time of day
    const char16_t* Refused;
};

static const ReadingWords WORDS = {u"時間", u"時", u"分", u"秒", u"午前", u"午後", u"に通知", u"時間になりません"};

int TimeTextReading(const char16_t* text, char16_t (&reading)[TIME_READING_UNITS])
{
    reading[0] = 0;
    if (text[0] == 0)
        return 0;
    uint64_t value = 0;
    const int clockMode = ParseTimeText(&value, text);
    // AddTimer and ReplaceTimer refuse a countdown of zero and take everything else.
    if (clockMode == 0 && value == 0) {
        TextCopy(reading, TIME_READING_UNITS, WORDS.Refused);
        return 0;
    }
    // Whole seconds, rounded up as the row shows them: a value that wrapped in a digit run too
    // long for 64 bits need not be one.
    const uint64_t seconds = value / 1000 + (value % 1000 != 0 ? 1 : 0);
    uint64_t amounts[3] = {seconds / 3600, seconds / 60 % 60, seconds % 60};
    const char16_t* units[3] = {WORDS.CountdownHours, WORDS.Minutes, WORDS.Seconds};
    int first = 0;
    if (clockMode) {
        // A time of day always says its hour.
        TextAppend(reading, TIME_READING_UNITS, amounts[0] < 12 ? WORDS.Morning : WORDS.Afternoon);
        amounts[0] %= 12;
        units[0] = WORDS.ClockHour;
    } else {
        while (amounts[first] == 0)
            ++first;
    }
    int last = 2;
    while (last > 0 && amounts[last] == 0)
        --last;
    for (int i = first; i <= last; ++i) {
        TextAppendNumber(reading, TIME_READING_UNITS, amounts[i], 0, 1);
        TextAppend(reading, TIME_READING_UNITS, units[i]);
    }
    if (clockMode)
        TextAppend(reading, TIME_READING_UNITS, WORDS.Alarm);
    return 1;
}
