// Small helpers shared by the unit tests: names in the table and the history, and the
// UTF-16 and little-endian bytes of stored values.
#pragma once
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>
#include "app_state.h"

typedef std::vector<std::u16string> Texts;
typedef std::vector<uint8_t> Bytes;

inline std::u16string Widen(const std::string& text) { return std::u16string(text.begin(), text.end()); }

inline Texts TimerNames()
{
    Texts names;
    for (int i = 0; i < App.Timers.Count; ++i)
        names.push_back(App.Timers.Records[i].Name);
    return names;
}

inline void SetHistory(const Texts& names)
{
    App.History.Count = static_cast<int32_t>(names.size());
    for (size_t i = 0; i < names.size(); ++i) {
        std::memset(App.History.Entries[i], 0, sizeof App.History.Entries[i]);
        std::copy(names[i].begin(), names[i].end(), App.History.Entries[i]);
    }
}

inline Texts HistoryNames()
{
    Texts names;
    for (int i = 0; i < App.History.Count; ++i)
        names.push_back(App.History.Entries[i]);
    return names;
}

// The little-endian bytes of value.
inline Bytes LE(uint64_t value, int size)
{
    Bytes bytes;
    for (int i = 0; i < size; ++i)
        bytes.push_back(static_cast<uint8_t>(value >> (8 * i)));
    return bytes;
}

// UTF-16LE bytes of text, with the terminator unless told otherwise.
inline Bytes Utf16(const std::u16string& text, bool terminator = true)
{
    Bytes bytes;
    for (char16_t unit : text) {
        bytes.push_back(static_cast<uint8_t>(unit));
        bytes.push_back(static_cast<uint8_t>(unit >> 8));
    }
    if (terminator)
        bytes.insert(bytes.end(), {0, 0});
    return bytes;
}

inline Bytes operator+(Bytes a, const Bytes& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}
