// The language of time texts ("5", "1:30", "0:0:45", "P5:30") and the display forms of
// a time value.
#pragma once
#include <cstdint>

const uint64_t MS_PER_DAY = 86400000;

// Reads a time text (at most its first 255 units) into value (ms). Returns the clock
// flag: 1 for a time of day (leading A or P), 0 for a countdown. Never rejects a text.
int ParseTimeText(uint64_t* value, const char16_t* text);
// The padded display form (" 0:05:00", "PM 5:30:00", "*234:05:06") in App.TimeTextBuffer.
const char16_t* FormatTimeText(uint64_t value, int clockMode);
// The unpadded form that reads back unchanged ("0:5:0", "PM5:30:0") in App.TimeTextBuffer.
const char16_t* FormatEditTimeText(uint64_t value, int clockMode);
