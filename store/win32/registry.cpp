// The store's seven registry operations on advapi32, all under HKEY_CURRENT_USER.
#include <windows.h>
#include "registry.h"

static HKEY AsKey(RegistryKey key) { return static_cast<HKEY>(key); }
static const wchar_t* AsWide(const char16_t* text) { return reinterpret_cast<const wchar_t*>(text); }

int RegistryOpenKey(const char16_t* subkey, uint32_t access, RegistryKey* key)
{
    HKEY opened = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, AsWide(subkey), 0, access, &opened) != ERROR_SUCCESS)
        return 0;
    *key = opened;
    return 1;
}

int RegistryCreateKey(const char16_t* subkey, uint32_t access, RegistryKey* key)
{
    HKEY created = nullptr;
    DWORD disposition = 0;   // received, not used
    if (RegCreateKeyExW(HKEY_CURRENT_USER, AsWide(subkey), 0, nullptr, REG_OPTION_NON_VOLATILE, access,
                        nullptr, &created, &disposition) != ERROR_SUCCESS)
        return 0;
    *key = created;
    return 1;
}

int RegistryQueryValue(RegistryKey key, const char16_t* name, void* buffer, uint32_t* size)
{
    DWORD type = 0;   // received, never examined
    DWORD bytes = *size;
    if (RegQueryValueExW(AsKey(key), AsWide(name), nullptr, &type, static_cast<BYTE*>(buffer), &bytes) != ERROR_SUCCESS)
        return 0;
    *size = bytes;
    return 1;
}

int RegistrySetValue(RegistryKey key, const char16_t* name, uint32_t type, const void* data, uint32_t size)
{
    return RegSetValueExW(AsKey(key), AsWide(name), 0, type, static_cast<const BYTE*>(data), size) == ERROR_SUCCESS ? 1 : 0;
}

int RegistryDeleteValue(RegistryKey key, const char16_t* name)
{
    LONG result = RegDeleteValueW(AsKey(key), AsWide(name));
    return (result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND) ? 1 : 0;
}

void RegistryCloseKey(RegistryKey key) { RegCloseKey(AsKey(key)); }

void RegistryFlushKey(RegistryKey key) { RegFlushKey(AsKey(key)); }
