// An in-memory registry behind the store's six registry operations, for the native unit
// tests: each key maps value names (compared exactly) to a type and bytes.
#pragma once
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>
#include <gtest/gtest.h>
#include "fake_platform.h"
#include "registry.h"

struct FakeRegistryValue {
    uint32_t Type;
    std::vector<uint8_t> Bytes;
};
typedef std::map<std::u16string, FakeRegistryValue> FakeKey;

struct FakeRegistryState {
    std::map<std::u16string, FakeKey> Keys;   // by path under HKEY_CURRENT_USER
    bool CreateFails = false;                 // RegistryCreateKey refuses every key
    std::multiset<RegistryKey> Open;          // opened or created and not yet closed
    // Every operation in order: "open f003f", "create 20006" (access in hex),
    // "query Name", "set Name", "delete Name".
    std::vector<std::string> Calls;
};

extern FakeRegistryState FakeRegistry;

void ResetFakeRegistry();
// The stored value, or null when the key or the value is missing.
const FakeRegistryValue* RawValue(const std::u16string& keyPath, const std::u16string& name);

// A store test: platform and registry start fresh, and every key that was opened or created
// is closed again by the end.
class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override { Reset(); }
    void TearDown() override { EXPECT_TRUE(FakeRegistry.Open.empty()); }
    virtual void Reset()
    {
        ResetFakePlatform();
        ResetFakeRegistry();
    }
};
