// The seven registry operations the store needs, all under HKEY_CURRENT_USER. The Win32
// build uses advapi32 (store/win32/registry.cpp); the native tests an in-memory registry
// (tests/unit/fakes.cpp). Results: 1 for success, 0 for failure.
#pragma once
#include <cstdint>

typedef void* RegistryKey;

const uint32_t REGISTRY_TYPE_STRING = 1;    // REG_SZ
const uint32_t REGISTRY_TYPE_BINARY = 3;    // REG_BINARY
const uint32_t REGISTRY_TYPE_DWORD = 4;     // REG_DWORD
const uint32_t REGISTRY_ALL_ACCESS = 0xF003F;   // KEY_ALL_ACCESS
const uint32_t REGISTRY_WRITE_ACCESS = 0x20006; // KEY_WRITE

// RegOpenKeyExW: an existing key only.
int RegistryOpenKey(const char16_t* subkey, uint32_t access, RegistryKey* key);
// RegCreateKeyExW, REG_OPTION_NON_VOLATILE: creates the key and missing parents.
int RegistryCreateKey(const char16_t* subkey, uint32_t access, RegistryKey* key);
// RegQueryValueExW: fails when the value is missing or longer than *size bytes; on
// success the bytes are at the start of buffer and *size holds their count.
int RegistryQueryValue(RegistryKey key, const char16_t* name, void* buffer, uint32_t* size);
// RegSetValueExW: creates or replaces the value.
int RegistrySetValue(RegistryKey key, const char16_t* name, uint32_t type, const void* data, uint32_t size);
// RegDeleteValueW: an absent value is no error to the caller.
int RegistryDeleteValue(RegistryKey key, const char16_t* name);
// RegCloseKey.
void RegistryCloseKey(RegistryKey key);
// RegFlushKey: the key's values on disk before the call returns. It stalls every writer of
// the hive, so only for the moments the user counts on: save-and-quit, the end of the session.
void RegistryFlushKey(RegistryKey key);
