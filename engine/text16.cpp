// Bounded helpers for NUL-terminated UTF-16 texts: length, copy, compare, append and
// decimal numbers, none of which writes past the room the caller gives.
#include "text16.h"

int TextLength(const char16_t* text)
{
    int length = 0;
    while (text[length] != 0)
        ++length;
    return length;
}

int TextCopy(char16_t* destination, int room, const char16_t* source)
{
    if (room <= 0)
        return 0;
    int copied = 0;
    // Reads no further than the units it copies, so a long source is never scanned to its end.
    while (copied < room - 1 && source[copied] != 0) {
        destination[copied] = source[copied];
        ++copied;
    }
    destination[copied] = 0;
    return copied;
}

int TextCopyWhole(char16_t* destination, int room, const char16_t* source)
{
    int copied = TextCopy(destination, room, source);
    // A high surrogate at the end is half a character, whether the cut was made here or before.
    // Every one at the end goes, so that a text cut again comes out the same.
    while (copied > 0 && destination[copied - 1] >= 0xD800 && destination[copied - 1] <= 0xDBFF)
        --copied;
    destination[copied] = 0;
    return copied;
}

int TextEqual(const char16_t* a, const char16_t* b)
{
    int i = 0;
    while (a[i] != 0 && a[i] == b[i])
        ++i;
    return a[i] == b[i] ? 1 : 0;
}

int TextAppend(char16_t* destination, int room, const char16_t* source)
{
    if (room <= 0)
        return 0;
    int length = 0;
    while (length < room - 1 && destination[length] != 0)
        ++length;
    return length + TextCopy(destination + length, room - length, source);
}

int TextAppendNumber(char16_t* destination, int room, uint64_t value, int minWidth, int minDigits)
{
    // 20 digits hold any 64-bit value; padding beyond the buffer is cut like any other text.
    const int MAX_UNITS = 40;
    if (minDigits > MAX_UNITS)
        minDigits = MAX_UNITS;
    if (minWidth > MAX_UNITS)
        minWidth = MAX_UNITS;
    char16_t digits[MAX_UNITS + 1];
    int end = MAX_UNITS;
    digits[end] = 0;
    int start = end;
    do {
        digits[--start] = static_cast<char16_t>(u'0' + value % 10);
        value /= 10;
    } while (value != 0);
    while (end - start < minDigits)
        digits[--start] = u'0';
    while (end - start < minWidth)
        digits[--start] = u' ';
    return TextAppend(destination, room, digits + start);
}
