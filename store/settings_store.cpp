// The settings key: the window settings, the hot key, remember-at-shutdown and the name
// history, loaded once at start-up and written back at the end of the run.
#include "settings_store.h"
#include "app_state.h"
#include "byte_order.h"
#include "store_internal.h"
#include "text16.h"

const char16_t SETTINGS_KEY_PATH[] = u"Software\\Brelwix\\Korvalinde";

static const int HISTORY_VALUE_BYTES = HISTORY_NAME_UNITS * 2;   // 22

void MakeValueName(char16_t (&name)[VALUE_NAME_UNITS], const char16_t* prefix, int index)
{
    TextCopy(name, VALUE_NAME_UNITS, prefix);
    TextAppendNumber(name, VALUE_NAME_UNITS, static_cast<uint64_t>(index), 0, 1);
}

uint64_t ReadStoredInteger(RegistryKey key, const char16_t* name, uint64_t current, uint32_t size)
{
    // The read goes to a scratch buffer: a failed read may leave anything in its buffer.
    uint8_t bytes[8];
    PutLE64(bytes, current);
    uint8_t scratch[8];
    uint32_t got = size;
    if (size <= sizeof scratch && RegistryQueryValue(key, name, scratch, &got) && got <= size)
        for (uint32_t i = 0; i < got; ++i)
            bytes[i] = scratch[i];
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

static uint64_t PackPosition()
{
    return static_cast<uint32_t>(App.Position.X) | static_cast<uint64_t>(static_cast<uint32_t>(App.Position.Y)) << 32;
}

static void LoadHistory(RegistryKey key)
{
    char16_t name[VALUE_NAME_UNITS];
    for (int i = 0; i < MAX_HISTORY; ++i) {
        MakeValueName(name, u"History", i);
        uint8_t bytes[HISTORY_VALUE_BYTES] = {};
        uint32_t size = HISTORY_VALUE_BYTES;
        if (!RegistryQueryValue(key, name, bytes, &size) || size > HISTORY_VALUE_BYTES)
            continue;   // missing or over-long: the next names close up the gap
        // Zeros behind a short value, whatever the read left there.
        for (uint32_t b = size; b < HISTORY_VALUE_BYTES; ++b)
            bytes[b] = 0;
        char16_t* slot = App.History.Entries[App.History.Count];
        for (int u = 0; u < HISTORY_NAME_UNITS; ++u)
            slot[u] = static_cast<char16_t>(GetLE16(bytes + 2 * u));
        // A full 22-byte value need not carry its terminator: keep at most 10 units.
        slot[HISTORY_NAME_UNITS - 1] = 0;
        ++App.History.Count;
    }
}

void LoadSettings()
{
    App.History.Count = 0;
    RegistryKey key = nullptr;
    if (!RegistryOpenKey(SETTINGS_KEY_PATH, REGISTRY_ALL_ACCESS, &key))
        return;   // first start: every setting keeps its zero default

    // Position is one 8-byte value: X in the low half, Y in the high half.
    uint64_t position = ReadStoredInteger(key, u"Position", PackPosition(), 8);
    App.Position.X = static_cast<int32_t>(static_cast<uint32_t>(position));
    App.Position.Y = static_cast<int32_t>(static_cast<uint32_t>(position >> 32));
    App.Mute = static_cast<int32_t>(ReadStoredInteger(key, u"Mute", static_cast<uint32_t>(App.Mute), 4));
    App.TopMost = static_cast<int32_t>(ReadStoredInteger(key, u"TopMost", static_cast<uint32_t>(App.TopMost), 4));
    App.HotKey = static_cast<uint16_t>(ReadStoredInteger(key, u"HotKey", App.HotKey, 2));
    App.RememberAtShutdown = static_cast<int32_t>(
        ReadStoredInteger(key, u"SuspendEnd", static_cast<uint32_t>(App.RememberAtShutdown), 4));

    LoadHistory(key);
    RestoreTimers(key);
    RegistryCloseKey(key);
}

void SaveSettings()
{
    RegistryKey key = nullptr;
    if (!RegistryCreateKey(SETTINGS_KEY_PATH, REGISTRY_ALL_ACCESS, &key))
        return;

    WriteStoredInteger(key, u"Position", REGISTRY_TYPE_BINARY, PackPosition(), 8);
    WriteStoredInteger(key, u"Mute", REGISTRY_TYPE_BINARY, static_cast<uint32_t>(App.Mute), 4);
    WriteStoredInteger(key, u"TopMost", REGISTRY_TYPE_BINARY, static_cast<uint32_t>(App.TopMost), 4);

    char16_t name[VALUE_NAME_UNITS];
    for (int i = 0; i < MAX_HISTORY; ++i) {
        MakeValueName(name, u"History", i);
        if (i < App.History.Count)
            WriteStoredText(key, name, App.History.Entries[i], HISTORY_NAME_UNITS - 1);
        else
            RegistryDeleteValue(key, name);
    }
    RegistryCloseKey(key);
}

void SaveHotKeySettings()
{
    RegistryKey key = nullptr;
    if (!RegistryCreateKey(SETTINGS_KEY_PATH, REGISTRY_WRITE_ACCESS, &key))
        return;
    // Byte 0 the virtual key, byte 1 the HOTKEYF flags.
    WriteStoredInteger(key, u"HotKey", REGISTRY_TYPE_BINARY, App.HotKey, 2);
    WriteStoredInteger(key, u"SuspendEnd", REGISTRY_TYPE_DWORD, static_cast<uint32_t>(App.RememberAtShutdown), 4);
    RegistryCloseKey(key);
}

void FlushSettings()
{
    RegistryKey key = nullptr;
    if (!RegistryOpenKey(SETTINGS_KEY_PATH, REGISTRY_ALL_ACCESS, &key))
        return;
    RegistryFlushKey(key);
    RegistryCloseKey(key);
}
