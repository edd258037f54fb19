// The stored-value helpers: the way to a key, value names, and reading and writing integers,
// texts and bytes.
#include "stored_values.h"
#include "byte_order.h"
#include "text16.h"

const char16_t SETTINGS_KEY_PATH[] = u"Software\\Brelwix\\Korvalinde";

int UseKey(const char16_t* path, int reach, uint32_t access, void (*work)(RegistryKey key, const void* data),
           const void* data)
{
    RegistryKey key = nullptr;
    const int opened = reach == KEY_CREATED ? RegistryCreateKey(path, access, &key) : RegistryOpenKey(path, access, &key);
    if (!opened)
        return 0;
    work(key, data);
    RegistryCloseKey(key);
    return 1;
}

void MakeValueName(char16_t (&name)[VALUE_NAME_UNITS], const char16_t* prefix, int index)
{
    TextCopy(name, VALUE_NAME_UNITS, prefix);
    TextAppendNumber(name, VALUE_NAME_UNITS, static_cast<uint64_t>(index), 0, 1);
}

int ReadStoredBytes(RegistryKey key, const char16_t* name, uint8_t* bytes, uint32_t size)
{
    uint32_t got = size;
    const int read = RegistryQueryValue(key, name, bytes, &got) && got <= size;
    // Zeros behind a short value, and everywhere after a failed read, which may leave
    // anything in the buffer.
    for (uint32_t i = read ? got : 0; i < size; ++i)
        bytes[i] = 0;
    return read;
}

uint64_t ReadStoredInteger(RegistryKey key, const char16_t* name, uint64_t current, uint32_t size)
{
    uint8_t bytes[8];
    PutLE64(bytes, current);
    uint8_t stored[8] = {};
    uint32_t got = size;
    // The length read decides which low bytes are replaced, so the read is made here.
    if (size <= sizeof stored && RegistryQueryValue(key, name, stored, &got) && got <= size)
        for (uint32_t i = 0; i < got; ++i)
            bytes[i] = stored[i];
    uint64_t value = GetLE64(bytes);
    return size < 8 ? value & ((uint64_t(1) << (8 * size)) - 1) : value;
}

void WriteStoredInteger(RegistryKey key, const char16_t* name, uint32_t type, uint64_t value, uint32_t size)
{
    uint8_t bytes[8];
    PutLE64(bytes, value);
    RegistrySetValue(key, name, type, bytes, size <= sizeof bytes ? size : sizeof bytes);
}

void WriteStoredText(RegistryKey key, const char16_t* name, const char16_t* text, int maxUnits)
{
    uint8_t bytes[(TEXT_VALUE_UNITS + 1) * 2] = {};
    int length = 0;
    // Bounded by maxUnits, so a slot without its terminator cannot run on.
    while (length < maxUnits && length < TEXT_VALUE_UNITS && text[length] != 0) {
        PutLE16(bytes + 2 * length, text[length]);
        ++length;
    }
    RegistrySetValue(key, name, REGISTRY_TYPE_STRING, bytes, static_cast<uint32_t>((length + 1) * 2));
}
