// What a time text means, in words, as the timer dialog shows it while the user types.
#pragma once

const int TIME_READING_UNITS = 32;   // "5124095576030時間59分59秒", the longest, and the terminator

// Writes the reading of a time text, as ParseTimeText takes it, into reading: a countdown's
// whole value from its first unit that is not 0 to its last ("5分", "1時間0分30秒"), a time of
// day with its half of the day ("午後5時30分に通知", "午前0時に通知"), or "時間になりません" for
// a countdown of zero, which no timer takes. Empty for an empty text. Returns 1 when a timer
// takes the text, 0 when not.
int TimeTextReading(const char16_t* text, char16_t (&reading)[TIME_READING_UNITS]);
