// An in-memory registry behind the store's six registry operations, for the native unit
// tests: keys map case-insensitive value names to a type and bytes. Tests put raw values,
// read raw bytes back, list names, make opening or creating fail and inspect the calls.
#pragma once
#include <cstdint>
#include <string>
#include <vector>
#include "registry.h"

struct FakeRegistryValue {
    uint32_t Type = 0;
    std::vector<uint8_t> Bytes;
};

struct FakeRegistryState {
    bool CreateFails = false;        // RegistryCreateKey refuses every key
    bool OpenFails = false;          // RegistryOpenKey refuses even existing keys
    int OpenHandles = 0;             // opened or created and not yet closed
    std::vector<uint32_t> Accesses;  // access of every open or create, in order
    // Every value operation in order: "query Name", "set Name", "delete Name".
    std::vector<std::string> Calls;
};

extern FakeRegistryState FakeRegistry;

// Removes every key and value and puts the state back to its defaults.
void ResetFakeRegistry();
bool FakeKeyExists(const std::u16string& keyPath);
// Creates the key when missing and stores the value as given.
void PutRawValue(const std::u16string& keyPath, const std::u16string& name, uint32_t type,
                 const std::vector<uint8_t>& bytes);
// false when the key or the value is missing.
bool GetRawValue(const std::u16string& keyPath, const std::u16string& name, FakeRegistryValue* value);
// Value names of a key as last written, in case-insensitive order.
std::vector<std::u16string> ValueNames(const std::u16string& keyPath);
// Only the "set ..." entries of FakeRegistry.Calls, without the prefix.
std::vector<std::string> SetCalls();
