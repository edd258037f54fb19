// Small helpers for NUL-terminated UTF-16 texts, bounded by the caller's room so that no
// copy ever writes past a fixed buffer.
#pragma once
#include <cstdint>

// Units before the terminator.
int TextLength(const char16_t* text);
// Copies at most room - 1 units and always terminates (room > 0). Returns units copied.
int TextCopy(char16_t* destination, int room, const char16_t* source);
// The one rule by which names are cut (room MAX_NAME_LENGTH + 1), from the timer dialog's field
// and from requests alike: like TextCopy, but a copy never ends on a high surrogate (those at
// its end are dropped), so that no surrogate pair is split, nor is half of one kept that a
// field's own limit left at the end, and a name cut twice comes out as cut once. A
// combining mark is a unit like any other: a letter whose marks do not fit stays without them,
// as the dialog's field, which stops at 10 units, keeps it, so a name comes out the same
// whichever way it came in.
int TextCopyWhole(char16_t* destination, int room, const char16_t* source);
// 1 when both texts are the same unit for unit (lstrcmpW() == 0 for our purposes).
int TextEqual(const char16_t* a, const char16_t* b);
// Appends source behind the text in destination, within room. Returns the new length.
int TextAppend(char16_t* destination, int room, const char16_t* source);
// Decimal digits of value, zero-padded to at least minDigits, space-padded to at least
// minWidth; appended within room. Returns the new length.
int TextAppendNumber(char16_t* destination, int room, uint64_t value, int minWidth, int minDigits);
