// Reading time texts ("5", "1:30", "0:0:45", "P5:30") into milliseconds, and the two
// display forms of a time value.
#include "time_text.h"
#include "app_state.h"
#include "platform.h"
#include "text16.h"

static int IsDigit(char16_t unit) { return unit >= u'0' && unit <= u'9'; }

// Reads up to three digit fields from position; each field is followed by exactly one
// separator of any kind. Returns the number of fields read (1 to 3).
static int ReadFields(const char16_t* position, uint64_t fields[3])
{
    fields[0] = fields[1] = fields[2] = 0;
    int count = 0;
    for (;;) {
        while (IsDigit(*position)) {
            // Unsigned: a run too long for 64 bits wraps instead of overflowing.
            fields[count] = fields[count] * 10u + static_cast<uint64_t>(*position - u'0');
            position = PlatformNextChar(position);
        }
        ++count;
        if (count == 3 || *position == 0)
            return count;
        position = PlatformNextChar(position);   // the separator
        if (*position == 0)
            return count;
    }
}

int ParseTimeText(uint64_t* value, const char16_t* text)
{
    char16_t work[TIME_TEXT_UNITS];
    TextCopyWhole(work, TIME_TEXT_UNITS, text);
    PlatformUpperCase(work);

    uint64_t fields[3];
    if (work[0] == u'A' || work[0] == u'P') {
        uint64_t hourOffset = work[0] == u'P' ? 12 : 0;
        const char16_t* position = PlatformNextChar(work);
        if (*position == u'M')
            position = PlatformNextChar(position);
        ReadFields(position, fields);
        uint64_t hours = fields[0] + hourOffset;
        uint64_t minutes = fields[1];
        uint64_t seconds = fields[2];
        if (seconds > 59) {
            minutes += seconds / 60;
            seconds %= 60;
        }
        if (minutes > 59) {
            hours += minutes / 60;
            minutes %= 60;
        }
        if (hours >= 24)
            hours %= 24;
        *value = ((hours * 60 + minutes) * 60 + seconds) * 1000;
        return 1;
    }

    int count = ReadFields(work, fields);
    if (count == 1)
        *value = fields[0] * 60000;
    else if (count == 2)
        *value = (fields[0] * 60 + fields[1]) * 60000;
    else
        *value = ((fields[0] * 60 + fields[1]) * 60 + fields[2]) * 1000;
    return 0;
}

struct TimeParts {
    uint64_t Hours;
    uint64_t Minutes;
    uint64_t Seconds;
};

// Rounds up to whole seconds. The ceiling is taken without adding 999 first, so the
// largest values do not wrap round to a few seconds.
static TimeParts SplitTime(uint64_t value)
{
    uint64_t totalSeconds = value / 1000 + (value % 1000 != 0 ? 1 : 0);
    TimeParts parts;
    parts.Seconds = totalSeconds % 60;
    parts.Minutes = (totalSeconds / 60) % 60;
    parts.Hours = totalSeconds / 3600;
    return parts;
}

// Both forms write "AM" or "PM" before a clock time's hour, then hours, minutes and
// seconds. The display form pads: the hour to two columns, minutes and seconds to two
// digits, and from 1000 hours on only the last three digits of the hour behind a "*". The
// edit form pads nothing and writes the whole unsigned hour count (at most 13 digits, well
// within the buffer), so that it reads back unchanged.
static const char16_t* FormatTime(uint64_t value, int clockMode, int padded)
{
    TimeParts parts = SplitTime(value);
    char16_t* out = App.TimeTextBuffer;
    const int room = TIME_TEXT_BUFFER_UNITS;
    const int width = padded ? 2 : 0;
    uint64_t hours = parts.Hours;
    out[0] = 0;
    if (clockMode) {
        int afternoon = hours >= 12;
        TextAppend(out, room, afternoon ? u"PM" : u"AM");
        if (afternoon)
            hours -= 12;
        TextAppendNumber(out, room, hours, width, 1);
    } else if (!padded || hours <= 999) {
        TextAppendNumber(out, room, hours, width, 1);
    } else {
        TextAppend(out, room, u"*");
        TextAppendNumber(out, room, hours % 1000, 3, 3);
    }
    TextAppend(out, room, u":");
    TextAppendNumber(out, room, parts.Minutes, width, width ? 2 : 1);
    TextAppend(out, room, u":");
    TextAppendNumber(out, room, parts.Seconds, width, width ? 2 : 1);
    return out;
}

const char16_t* FormatTimeText(uint64_t value, int clockMode) { return FormatTime(value, clockMode, 1); }

const char16_t* FormatEditTimeText(uint64_t value, int clockMode) { return FormatTime(value, clockMode, 0); }
