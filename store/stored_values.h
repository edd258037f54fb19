// The stored-value helpers both halves of the store use: the settings key and the way to any
// key, the value-name builder, and one read and one write helper per kind of value (little-endian integer, text,
// bytes). Each read gives a sound result for a value that is missing or of the wrong size.
#pragma once
#include <cstdint>
#include "registry.h"

extern const char16_t SETTINGS_KEY_PATH[];

const int VALUE_NAME_UNITS = 16;
const int TEXT_VALUE_UNITS = 264;   // the longest text stored: the quoted path under RunOnce

// How UseKey comes to its key: only an existing one (a missing key means nothing to read, flush or
// delete), or one created with its missing parents when needed (for writing).
const int KEY_EXISTING = 0;
const int KEY_CREATED = 1;

// The one way the store reaches a key under HKEY_CURRENT_USER: opens or creates it with the access
// given, hands it to work with data, and closes it. 0, without calling work, when the key cannot
// be had (a failure the callers ignore: defaults, or nothing saved).
int UseKey(const char16_t* path, int reach, uint32_t access, void (*work)(RegistryKey key, const void* data),
           const void* data);

// prefix + index, as "%s%d" makes it ("History3", "Suspend0").
void MakeValueName(char16_t (&name)[VALUE_NAME_UNITS], const char16_t* prefix, int index);

// A stored little-endian integer of `size` bytes (at most 8), or current when the value is
// missing or longer. A shorter value replaces only the low bytes of current.
uint64_t ReadStoredInteger(RegistryKey key, const char16_t* name, uint64_t current, uint32_t size);
// Writes the low `size` bytes of value, little-endian, as a value of the given type.
void WriteStoredInteger(RegistryKey key, const char16_t* name, uint32_t type, uint64_t value, uint32_t size);
// Writes text (at most maxUnits units, whatever its terminator) as REG_SZ with its terminator.
void WriteStoredText(RegistryKey key, const char16_t* name, const char16_t* text, int maxUnits);
// Reads a value of at most `size` bytes into bytes, zeros behind a shorter one. 0, with bytes
// all zero, when the value is missing or longer.
int ReadStoredBytes(RegistryKey key, const char16_t* name, uint8_t* bytes, uint32_t size);
