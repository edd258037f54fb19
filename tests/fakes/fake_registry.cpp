// The in-memory registry of the native unit tests (see fake_registry.h).
#include "fake_registry.h"
#include <cstring>
#include <map>
#include <memory>

namespace {

struct StoredValue {
    std::u16string Name;   // as last written
    FakeRegistryValue Value;
};

typedef std::map<std::u16string, StoredValue> ValueMap;   // by folded name

struct OpenKey {
    std::u16string Path;   // folded
};

std::map<std::u16string, ValueMap> Keys;   // by folded path
std::vector<std::unique_ptr<OpenKey>> Handles;

// Registry names compare without regard to case; ASCII folding covers our names.
std::u16string Fold(const std::u16string& text)
{
    std::u16string folded = text;
    for (char16_t& unit : folded)
        if (unit >= u'a' && unit <= u'z')
            unit = static_cast<char16_t>(unit - u'a' + u'A');
    return folded;
}

std::string Narrow(const std::u16string& text)
{
    std::string narrow;
    for (char16_t unit : text)
        narrow += unit < 0x80 ? static_cast<char>(unit) : '?';
    return narrow;
}

OpenKey* Lookup(RegistryKey key)
{
    for (auto& handle : Handles)
        if (handle.get() == key)
            return handle.get();
    return nullptr;
}

RegistryKey NewHandle(const std::u16string& folded)
{
    Handles.push_back(std::unique_ptr<OpenKey>(new OpenKey{folded}));
    ++FakeRegistry.OpenHandles;
    return Handles.back().get();
}

}  // namespace

FakeRegistryState FakeRegistry;

void ResetFakeRegistry()
{
    Keys.clear();
    Handles.clear();
    FakeRegistry = FakeRegistryState();
}

bool FakeKeyExists(const std::u16string& keyPath) { return Keys.count(Fold(keyPath)) != 0; }

void PutRawValue(const std::u16string& keyPath, const std::u16string& name, uint32_t type,
                 const std::vector<uint8_t>& bytes)
{
    StoredValue& stored = Keys[Fold(keyPath)][Fold(name)];
    stored.Name = name;
    stored.Value.Type = type;
    stored.Value.Bytes = bytes;
}

bool GetRawValue(const std::u16string& keyPath, const std::u16string& name, FakeRegistryValue* value)
{
    auto key = Keys.find(Fold(keyPath));
    if (key == Keys.end())
        return false;
    auto found = key->second.find(Fold(name));
    if (found == key->second.end())
        return false;
    *value = found->second.Value;
    return true;
}

std::vector<std::u16string> ValueNames(const std::u16string& keyPath)
{
    std::vector<std::u16string> names;
    auto key = Keys.find(Fold(keyPath));
    if (key != Keys.end())
        for (const auto& entry : key->second)
            names.push_back(entry.second.Name);
    return names;
}

std::vector<std::string> SetCalls()
{
    std::vector<std::string> sets;
    for (const std::string& call : FakeRegistry.Calls)
        if (call.compare(0, 4, "set ") == 0)
            sets.push_back(call.substr(4));
    return sets;
}

int RegistryOpenKey(const char16_t* subkey, uint32_t access, RegistryKey* key)
{
    FakeRegistry.Accesses.push_back(access);
    std::u16string folded = Fold(subkey);
    if (FakeRegistry.OpenFails || Keys.count(folded) == 0)
        return 0;
    *key = NewHandle(folded);
    return 1;
}

int RegistryCreateKey(const char16_t* subkey, uint32_t access, RegistryKey* key)
{
    FakeRegistry.Accesses.push_back(access);
    if (FakeRegistry.CreateFails)
        return 0;
    std::u16string folded = Fold(subkey);
    Keys[folded];
    *key = NewHandle(folded);
    return 1;
}

int RegistryQueryValue(RegistryKey key, const char16_t* name, void* buffer, uint32_t* size)
{
    FakeRegistry.Calls.push_back("query " + Narrow(name));
    OpenKey* open = Lookup(key);
    if (open == nullptr)
        return 0;
    ValueMap& values = Keys[open->Path];
    auto found = values.find(Fold(name));
    if (found == values.end())
        return 0;
    const std::vector<uint8_t>& bytes = found->second.Value.Bytes;
    if (bytes.size() > *size) {
        // The buffer's content is undefined after a failed read; make that visible.
        memset(buffer, 0xCD, *size);
        *size = static_cast<uint32_t>(bytes.size());
        return 0;
    }
    if (!bytes.empty())
        memcpy(buffer, bytes.data(), bytes.size());
    *size = static_cast<uint32_t>(bytes.size());
    return 1;
}

int RegistrySetValue(RegistryKey key, const char16_t* name, uint32_t type, const void* data, uint32_t size)
{
    FakeRegistry.Calls.push_back("set " + Narrow(name));
    OpenKey* open = Lookup(key);
    if (open == nullptr)
        return 0;
    StoredValue& stored = Keys[open->Path][Fold(name)];
    stored.Name = name;
    stored.Value.Type = type;
    const uint8_t* bytes = static_cast<const uint8_t*>(data);
    stored.Value.Bytes.assign(bytes, bytes + size);
    return 1;
}

int RegistryDeleteValue(RegistryKey key, const char16_t* name)
{
    FakeRegistry.Calls.push_back("delete " + Narrow(name));
    OpenKey* open = Lookup(key);
    if (open == nullptr)
        return 0;
    Keys[open->Path].erase(Fold(name));
    return 1;
}

void RegistryCloseKey(RegistryKey key)
{
    for (auto it = Handles.begin(); it != Handles.end(); ++it)
        if (it->get() == key) {
            Handles.erase(it);
            --FakeRegistry.OpenHandles;
            return;
        }
}
