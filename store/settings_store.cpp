// The settings key: the window settings, the hot key, remember-at-shutdown and the name
// history, loaded once at start-up and written back at the end of the run.
#include "settings_store.h"
#include <cstring>
#include "app_state.h"
#include "byte_order.h"
#include "registry.h"
#include "text16.h"
#include "timer_handover.h"

const char16_t SettingsKeyPath[] = u"Software\\Brelwix\\Korvalinde";

static const int HISTORY_VALUE_BYTES = HISTORY_NAME_UNITS * 2;   // 22
static const int VALUE_NAME_UNITS = 16;

// "History" + i, as "History%d" makes it.
static void MakeHistoryName(char16_t* name, int index)
{
    TextCopy(name, VALUE_NAME_UNITS, u"History");
    TextAppendNumber(name, VALUE_NAME_UNITS, static_cast<uint64_t>(index), 0, 1);
}

// Reads a value of at most `size` bytes over the little-endian image of a field. The read
// goes to a scratch buffer first: a failed read may leave anything in its buffer, and a
// shorter value must replace only the first bytes of the field.
static void ReadFieldImage(RegistryKey key, const char16_t* name, uint8_t* image, uint32_t size)
{
    uint8_t scratch[8];
    uint32_t got = size;
    if (RegistryQueryValue(key, name, scratch, &got) && got <= size)
        memcpy(image, scratch, got);
}

static void LoadHistory(RegistryKey key)
{
    char16_t name[VALUE_NAME_UNITS];
    for (int i = 0; i < MAX_HISTORY; ++i) {
        MakeHistoryName(name, i);
        uint8_t bytes[HISTORY_VALUE_BYTES] = {};
        uint32_t size = HISTORY_VALUE_BYTES;
        if (!RegistryQueryValue(key, name, bytes, &size) || size > HISTORY_VALUE_BYTES)
            continue;   // missing or over-long: the next names close up the gap
        memset(bytes + size, 0, HISTORY_VALUE_BYTES - size);
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
    if (!RegistryOpenKey(SettingsKeyPath, RegistryAllAccess, &key))
        return;   // first start: every setting keeps its zero default

    uint8_t image[8];
    PutLE32(image, static_cast<uint32_t>(App.Position.X));
    PutLE32(image + 4, static_cast<uint32_t>(App.Position.Y));
    ReadFieldImage(key, u"Position", image, 8);
    App.Position.X = static_cast<int32_t>(GetLE32(image));
    App.Position.Y = static_cast<int32_t>(GetLE32(image + 4));

    PutLE32(image, static_cast<uint32_t>(App.Mute));
    ReadFieldImage(key, u"Mute", image, 4);
    App.Mute = static_cast<int32_t>(GetLE32(image));

    PutLE32(image, static_cast<uint32_t>(App.TopMost));
    ReadFieldImage(key, u"TopMost", image, 4);
    App.TopMost = static_cast<int32_t>(GetLE32(image));

    PutLE16(image, App.HotKey);
    ReadFieldImage(key, u"HotKey", image, 2);
    App.HotKey = GetLE16(image);

    PutLE32(image, static_cast<uint32_t>(App.RememberAtShutdown));
    ReadFieldImage(key, u"SuspendEnd", image, 4);
    App.RememberAtShutdown = static_cast<int32_t>(GetLE32(image));

    LoadHistory(key);
    RestoreTimers(key);
    RegistryCloseKey(key);
}

void SaveSettings()
{
    RegistryKey key = nullptr;
    if (!RegistryCreateKey(SettingsKeyPath, RegistryAllAccess, &key))
        return;

    uint8_t bytes[8];
    PutLE32(bytes, static_cast<uint32_t>(App.Position.X));
    PutLE32(bytes + 4, static_cast<uint32_t>(App.Position.Y));
    RegistrySetValue(key, u"Position", RegistryTypeBinary, bytes, 8);
    PutLE32(bytes, static_cast<uint32_t>(App.Mute));
    RegistrySetValue(key, u"Mute", RegistryTypeBinary, bytes, 4);
    PutLE32(bytes, static_cast<uint32_t>(App.TopMost));
    RegistrySetValue(key, u"TopMost", RegistryTypeBinary, bytes, 4);

    char16_t name[VALUE_NAME_UNITS];
    for (int i = 0; i < MAX_HISTORY; ++i) {
        MakeHistoryName(name, i);
        if (i >= App.History.Count) {
            RegistryDeleteValue(key, name);
            continue;
        }
        // Bounded by the slot, so an entry without its terminator cannot run on.
        const char16_t* slot = App.History.Entries[i];
        int length = 0;
        while (length < HISTORY_NAME_UNITS - 1 && slot[length] != 0)
            ++length;
        uint8_t text[HISTORY_VALUE_BYTES] = {};
        for (int u = 0; u < length; ++u)
            PutLE16(text + 2 * u, slot[u]);
        RegistrySetValue(key, name, RegistryTypeString, text, static_cast<uint32_t>((length + 1) * 2));
    }
    RegistryCloseKey(key);
}

void SaveHotKeySettings()
{
    RegistryKey key = nullptr;
    if (!RegistryCreateKey(SettingsKeyPath, RegistryWriteAccess, &key))
        return;
    uint8_t bytes[4];
    PutLE16(bytes, App.HotKey);   // byte 0 the virtual key, byte 1 the HOTKEYF flags
    RegistrySetValue(key, u"HotKey", RegistryTypeBinary, bytes, 2);
    PutLE32(bytes, static_cast<uint32_t>(App.RememberAtShutdown));
    RegistrySetValue(key, u"SuspendEnd", RegistryTypeDword, bytes, 4);
    RegistryCloseKey(key);
}

void SaveAtSessionEnd(int sessionEnds)
{
    SaveSettings();
    // A cancelled session end (wParam 0) leaves the program running: no hand-over then.
    if (sessionEnds != 0 && App.RememberAtShutdown != 0) {
        SaveTimers();
        RegisterRunOnce();
    }
}
