// The reading of a time text comes from ParseTimeText itself, so that it says what OK makes
// of the text, however the text was meant.
#include "time_reading.h"
#include <cstdint>
#include "text16.h"
#include "texts.h"
#include "time_text.h"


int TimeTextReading(const char16_t* text, char16_t (&reading)[TIME_READING_UNITS])
{
    reading[0] = 0;
    if (text[0] == 0)
        return 0;
    uint64_t value = 0;
    const int clockMode = ParseTimeText(&value, text);
    // AddTimer and ReplaceTimer refuse a countdown of zero and take everything else.
    if (clockMode == 0 && value == 0) {
        TextCopy(reading, TIME_READING_UNITS, Text(TEXT_REFUSED));
        return 0;
    }
    // Whole seconds, rounded up as the row shows them: a value that wrapped in a digit run too
    // long for 64 bits need not be one.
    const uint64_t seconds = value / 1000 + (value % 1000 != 0 ? 1 : 0);
    uint64_t amounts[3] = {seconds / 3600, seconds / 60 % 60, seconds % 60};
    const char16_t* units[3] = {Text(TEXT_HOURS), Text(TEXT_MINUTES), Text(TEXT_SECONDS)};
    int first = 0;
    if (clockMode) {
        // A time of day always says its hour.
        TextAppend(reading, TIME_READING_UNITS, Text(amounts[0] < 12 ? TEXT_MORNING : TEXT_AFTERNOON));
        amounts[0] %= 12;
        units[0] = Text(TEXT_CLOCK_HOUR);
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
        TextAppend(reading, TIME_READING_UNITS, Text(TEXT_ALARM));
    // The English units end in a space, for the number after them; the last one needs none.
    const int length = TextLength(reading);
    if (length > 0 && reading[length - 1] == u' ')
        reading[length - 1] = 0;
    return 1;
}
