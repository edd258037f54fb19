// The settings key: the window settings, the hot key, remember-at-shutdown and the name
// history, loaded once at start-up and written back at the end of the run.
#include "settings_store.h"
#include "app_state.h"
#include "byte_order.h"
#include "stored_values.h"
#include "timer_handover.h"

static const int HISTORY_VALUE_BYTES = HISTORY_NAME_UNITS * 2;   // 22

static uint64_t PackPosition()
{
    return static_cast<uint32_t>(App.Position.X) | static_cast<uint64_t>(static_cast<uint32_t>(App.Position.Y)) << 32;
}

static void LoadHistory(RegistryKey key)
{
    char16_t name[VALUE_NAME_UNITS];
    for (int i = 0; i < MAX_HISTORY; ++i) {
        MakeValueName(name, u"History", i);
        uint8_t bytes[HISTORY_VALUE_BYTES];
        if (!ReadStoredBytes(key, name, bytes, HISTORY_VALUE_BYTES))
            continue;   // missing or over-long: the next names close up the gap
        char16_t* slot = App.History.Entries[App.History.Count];
        for (int u = 0; u < HISTORY_NAME_UNITS; ++u)
            slot[u] = static_cast<char16_t>(GetLE16(bytes + 2 * u));
        // A full 22-byte value need not carry its terminator: keep at most 10 units.
        slot[HISTORY_NAME_UNITS - 1] = 0;
        ++App.History.Count;
    }
}

static void LoadFrom(RegistryKey key, const void*)
{
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
}

void LoadSettings()
{
    App.History.Count = 0;
    // No key at the first start: every setting keeps its zero default.
    UseKey(SETTINGS_KEY_PATH, KEY_EXISTING, REGISTRY_ALL_ACCESS, LoadFrom, nullptr);
}

static void SaveTo(RegistryKey key, const void*)
{
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
}

void SaveSettings() { UseKey(SETTINGS_KEY_PATH, KEY_CREATED, REGISTRY_ALL_ACCESS, SaveTo, nullptr); }

static void SaveHotKeyTo(RegistryKey key, const void*)
{
    // Byte 0 the virtual key, byte 1 the HOTKEYF flags.
    WriteStoredInteger(key, u"HotKey", REGISTRY_TYPE_BINARY, App.HotKey, 2);
    WriteStoredInteger(key, u"SuspendEnd", REGISTRY_TYPE_DWORD, static_cast<uint32_t>(App.RememberAtShutdown), 4);
}

void SaveHotKeySettings() { UseKey(SETTINGS_KEY_PATH, KEY_CREATED, REGISTRY_WRITE_ACCESS, SaveHotKeyTo, nullptr); }

static void Flush(RegistryKey key, const void*) { RegistryFlushKey(key); }

void FlushSettings() { UseKey(SETTINGS_KEY_PATH, KEY_EXISTING, REGISTRY_ALL_ACCESS, Flush, nullptr); }

void HandOverAtSessionEnd()
{
    SaveSettings();
    if (App.RememberAtShutdown) {
        SaveTimers();
        RegisterRunOnce();
    }
    FlushSettings();
}
