// What the two halves of the store share and nobody else needs: the settings key, the
// value-name builder, the read and write helpers for little-endian values, and the restore
// of handed-over timers that loading the settings runs.
#pragma once
#include <cstdint>
#include "registry.h"

extern const char16_t SETTINGS_KEY_PATH[];

const int VALUE_NAME_UNITS = 16;
const int TEXT_VALUE_UNITS = 264;   // the longest text stored: the quoted path under RunOnce

// prefix + index, as "%s%d" makes it ("History3", "Suspend0").
void MakeValueName(char16_t (&name)[VALUE_NAME_UNITS], const char16_t* prefix, int index);

// A stored little-endian integer of `size` bytes (at most 8), or current when the value is
// missing or longer. A shorter value replaces only the low bytes of current.
uint64_t ReadStoredInteger(RegistryKey key, const char16_t* name, uint64_t current, uint32_t size);
// Writes the low `size` bytes of value, little-endian, as a value of the given type.
void WriteStoredInteger(RegistryKey key, const char16_t* name, uint32_t type, uint64_t value, uint32_t size);
// Writes text (at most maxUnits units, whatever its terminator) as REG_SZ with its terminator.
void WriteStoredText(RegistryKey key, const char16_t* name, const char16_t* text, int maxUnits);

// Appends the stored timers to the table and deletes the values it read.
void RestoreTimers(RegistryKey key);
