// The in-memory registry of the native unit tests (see fake_registry.h). A key handle is
// the address of the key's value map.
#include "fake_registry.h"
#include <cstdio>
#include <cstring>

FakeRegistryState FakeRegistry;

void ResetFakeRegistry() { FakeRegistry = FakeRegistryState(); }

const FakeRegistryValue* RawValue(const std::u16string& keyPath, const std::u16string& name)
{
    auto key = FakeRegistry.Keys.find(keyPath);
    if (key == FakeRegistry.Keys.end())
        return nullptr;
    auto value = key->second.find(name);
    return value == key->second.end() ? nullptr : &value->second;
}

static void Log(const char* operation, const char16_t* name)
{
    std::string entry = operation;
    for (; *name != 0; ++name)
        entry += *name < 0x80 ? static_cast<char>(*name) : '?';
    FakeRegistry.Calls.push_back(entry);
}

static void LogAccess(const char* operation, uint32_t access)
{
    char text[32];
    std::snprintf(text, sizeof text, "%s %x", operation, access);
    FakeRegistry.Calls.push_back(text);
}

static int Hand(FakeKey* key, RegistryKey* handle)
{
    *handle = key;
    FakeRegistry.Open.insert(key);
    return 1;
}

static FakeKey* Opened(RegistryKey key)
{
    return FakeRegistry.Open.count(key) != 0 ? static_cast<FakeKey*>(key) : nullptr;
}

int RegistryOpenKey(const char16_t* subkey, uint32_t access, RegistryKey* key)
{
    LogAccess("open", access);
    auto found = FakeRegistry.Keys.find(subkey);
    return found == FakeRegistry.Keys.end() ? 0 : Hand(&found->second, key);
}

int RegistryCreateKey(const char16_t* subkey, uint32_t access, RegistryKey* key)
{
    LogAccess("create", access);
    return FakeRegistry.CreateFails ? 0 : Hand(&FakeRegistry.Keys[subkey], key);
}

int RegistryQueryValue(RegistryKey key, const char16_t* name, void* buffer, uint32_t* size)
{
    Log("query ", name);
    FakeKey* values = Opened(key);
    auto found = values ? values->find(name) : FakeKey::iterator();
    if (values == nullptr || found == values->end())
        return 0;
    const std::vector<uint8_t>& bytes = found->second.Bytes;
    if (bytes.size() > *size) {
        std::memset(buffer, 0xCD, *size);   // the buffer's content is undefined after a failed read
        *size = static_cast<uint32_t>(bytes.size());
        return 0;
    }
    if (!bytes.empty())
        std::memcpy(buffer, bytes.data(), bytes.size());
    *size = static_cast<uint32_t>(bytes.size());
    return 1;
}

int RegistrySetValue(RegistryKey key, const char16_t* name, uint32_t type, const void* data, uint32_t size)
{
    Log("set ", name);
    FakeKey* values = Opened(key);
    if (values == nullptr)
        return 0;
    const uint8_t* bytes = static_cast<const uint8_t*>(data);
    (*values)[name] = {type, std::vector<uint8_t>(bytes, bytes + size)};
    return 1;
}

int RegistryDeleteValue(RegistryKey key, const char16_t* name)
{
    Log("delete ", name);
    FakeKey* values = Opened(key);
    if (values == nullptr)
        return 0;
    values->erase(name);
    return 1;
}

void RegistryCloseKey(RegistryKey key)
{
    auto found = FakeRegistry.Open.find(key);
    if (found != FakeRegistry.Open.end())
        FakeRegistry.Open.erase(found);
}
