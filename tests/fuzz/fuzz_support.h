// What the fuzz targets share: a broken fact aborts (the fuzzer keeps the input); input bytes as a terminated
// little-endian UTF-16 text in a buffer of exactly its size; a terminator within room.
#pragma once
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

inline void Check(bool fact) { if (!fact) std::abort(); }

inline std::vector<char16_t> TerminatedText(const uint8_t* data, size_t size)
{
    std::vector<char16_t> text(size / 2 + 1, 0);
    for (size_t i = 0; i + 1 < size; i += 2)
        text[i / 2] = static_cast<char16_t>(data[i] | data[i + 1] << 8);
    return text;
}

inline bool Terminated(const char16_t* text, int room) { return std::find(text, text + room, 0) != text + room; }
