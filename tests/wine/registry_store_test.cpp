// The settings store and the timer hand-over on the real advapi32 registry: what they write
// is read back raw with RegQueryValueExW, what is stored raw is loaded through the store.
// The detailed cases live in the native unit tests. Runs in a throwaway prefix and removes
// the values it made under the settings key and RunOnce.
#include <windows.h>
#include <cstdio>
#include <cstring>
#include "app_state.h"
#include "platform.h"
#include "settings_store.h"
#include "timer_handover.h"

// The rows do not exist here; the engine only asks for them to be rebuilt.
void BuildTimerRows(WindowHandle) {}

static const wchar_t SettingsKey[] = L"Software\\Brelwix\\Korvalinde";
static const wchar_t RunOnceKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
static const uint64_t Ms = 10000;
static int Failures = 0;

#define CHECK(condition) \
    ((condition) ? (void)0 : (void)(std::printf("  failed at line %d: %s\n", __LINE__, #condition), ++Failures))

struct RawValue {
    bool Found;
    DWORD Type;
    DWORD Size;
    BYTE Bytes[1024];
};

static const RawValue& ReadRaw(const wchar_t* subkey, const wchar_t* name)
{
    static RawValue value;
    std::memset(&value, 0, sizeof value);
    HKEY key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, subkey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return value;
    value.Size = sizeof value.Bytes;
    value.Found = RegQueryValueExW(key, name, nullptr, &value.Type, value.Bytes, &value.Size) == ERROR_SUCCESS;
    RegCloseKey(key);
    return value;
}

// The value exists with this type and exactly these bytes.
static bool RawIs(const wchar_t* name, DWORD type, const void* bytes, DWORD size)
{
    const RawValue& v = ReadRaw(SettingsKey, name);
    return v.Found && v.Type == type && v.Size == size && std::memcmp(v.Bytes, bytes, size) == 0;
}

static void WriteRaw(const wchar_t* name, DWORD type, const void* bytes, DWORD size)
{
    HKEY key;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, SettingsKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return;
    RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(bytes), size);
    RegCloseKey(key);
}

static uint64_t LE64(const BYTE* p)
{
    uint64_t value = 0;
    for (int i = 7; i >= 0; --i)
        value = (value << 8) | p[i];
    return value;
}

static uint64_t LocalFileTimeNow()
{
    SYSTEMTIME now;
    FILETIME fileTime;
    GetLocalTime(&now);
    SystemTimeToFileTime(&now, &fileTime);
    return (uint64_t(fileTime.dwHighDateTime) << 32) | fileTime.dwLowDateTime;
}

static void ClearApp() { std::memset(static_cast<void*>(&App), 0, sizeof App); }

static void SetName(char16_t* field, const wchar_t* name) { std::memcpy(field, name, 2 * wcslen(name)); }

// The values the store can make, and the key when nothing else is left in it.
static void RemoveOurValues()
{
    HKEY key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, SettingsKey, 0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS) {
        const wchar_t* fixed[] = {L"Position", L"Mute", L"TopMost", L"HotKey", L"SuspendEnd"};
        for (const wchar_t* name : fixed)
            RegDeleteValueW(key, name);
        wchar_t name[32];
        for (int i = 0; i < 16; ++i) {
            wsprintfW(name, L"History%d", i);
            RegDeleteValueW(key, name);
            wsprintfW(name, L"Suspend%d", i);
            RegDeleteValueW(key, name);
        }
        DWORD subkeys = 1, values = 1;
        RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr, nullptr,
                         nullptr, nullptr);
        RegCloseKey(key);
        if (subkeys == 0 && values == 0) {
            RegDeleteKeyW(HKEY_CURRENT_USER, SettingsKey);
            RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Brelwix");   // fails unless empty
        }
    }
    if (RegOpenKeyExW(HKEY_CURRENT_USER, RunOnceKey, 0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS) {
        RegDeleteValueW(key, L"Korvalinde");
        RegCloseKey(key);
    }
}

static void SettingsKeyValues()
{
    RemoveOurValues();
    ClearApp();
    LoadSettings();
    HKEY probe;
    CHECK(RegOpenKeyExW(HKEY_CURRENT_USER, SettingsKey, 0, KEY_READ, &probe) != ERROR_SUCCESS);   // not created

    App.Position = {-8, 600};
    App.Mute = 1;
    App.HotKey = 0x0654;
    App.RememberAtShutdown = 1;
    App.History.Count = 2;
    SetName(App.History.Entries[0], L"\u304a\u8336");
    SetName(App.History.Entries[1], L"ABCDEFGHIJ");
    SaveSettings();
    SaveHotKeySettings();
    const BYTE position[] = {0xF8, 0xFF, 0xFF, 0xFF, 0x58, 0x02, 0, 0}, one[] = {1, 0, 0, 0}, zero[4] = {},
               hotKey[] = {0x54, 0x06};
    CHECK(RawIs(L"Position", REG_BINARY, position, 8));
    CHECK(RawIs(L"Mute", REG_BINARY, one, 4));
    CHECK(RawIs(L"TopMost", REG_BINARY, zero, 4));
    CHECK(RawIs(L"HotKey", REG_BINARY, hotKey, 2));
    CHECK(RawIs(L"SuspendEnd", REG_DWORD, one, 4));
    CHECK(RawIs(L"History0", REG_SZ, L"\u304a\u8336", 6));
    CHECK(RawIs(L"History1", REG_SZ, L"ABCDEFGHIJ", 22));
    CHECK(!ReadRaw(SettingsKey, L"History2").Found);

    ClearApp();
    LoadSettings();
    CHECK(App.Position.X == -8 && App.Position.Y == 600 && App.Mute == 1 && App.TopMost == 0);
    CHECK(App.HotKey == 0x0654 && App.RememberAtShutdown == 1 && App.History.Count == 2);
    CHECK(std::memcmp(App.History.Entries[0], L"\u304a\u8336", 6) == 0);
    CHECK(std::memcmp(App.History.Entries[1], L"ABCDEFGHIJ", 22) == 0);
}

// Forms the program does not write itself, as advapi32 really returns them.
static void HandMadeValues()
{
    RemoveOurValues();
    const DWORD one = 1;
    WriteRaw(L"Mute", REG_DWORD, &one, 4);                   // the type is not examined
    WriteRaw(L"Position", REG_BINARY, &one, 4);              // x only
    WriteRaw(L"History0", REG_SZ, L"ABCDEFGHIJK", 22);       // 22 bytes, no terminator
    WriteRaw(L"History1", REG_SZ, L"ABCDEFGHIJK", 24);       // over-long
    WriteRaw(L"History2", REG_SZ, L"Z", 4);
    ClearApp();
    LoadSettings();
    CHECK(App.Mute == 1 && App.Position.X == 1 && App.Position.Y == 0);
    // The documented RegQueryValueExW returns a string that fills the buffer without its
    // terminator as it is (the store cuts it to 10 units); Wine asks for room for the
    // terminator and fails the read (the value is skipped). Either way no entry runs on.
    std::printf("  (22-byte History0 without terminator: %s)\n", App.History.Count == 2 ? "read" : "skipped");
    CHECK(App.History.Count == 1 || std::memcmp(App.History.Entries[0], L"ABCDEFGHIJ", 22) == 0);
    int z = App.History.Count - 1;
    CHECK(z >= 0 && z <= 1 && App.History.Entries[z][0] == u'Z' && App.History.Entries[z][1] == 0);
}

static void TimersHandedOver()
{
    RemoveOurValues();
    ClearApp();
    App.Timers.Count = 3;
    TimerRecord* r = App.Timers.Records;
    r[0] = {300000, 300000, 0, 0, {}};
    SetName(r[0].Name, L"\u30e9\u30fc\u30e1\u30f3");
    r[1] = {600000, 90000, 1, 0, {}};
    r[2] = {61200000, 0, 0, 1, {}};
    uint64_t saveStart = LocalFileTimeNow();
    SaveTimers();
    uint64_t saveEnd = LocalFileTimeNow();

    RawValue v = ReadRaw(SettingsKey, L"Suspend0");
    BYTE name[24] = {};
    std::memcpy(name, L"\u30e9\u30fc\u30e1\u30f3", 8);
    uint64_t expiry = LE64(v.Bytes + 16);
    CHECK(v.Found && v.Type == REG_BINARY && v.Size == 48);
    CHECK(LE64(v.Bytes) == 300000 && LE64(v.Bytes + 8) == 0 && std::memcmp(v.Bytes + 24, name, 24) == 0);
    CHECK(expiry % Ms == 0 && expiry >= saveStart + 300000 * Ms && expiry <= saveEnd + 300000 * Ms);
    // Suspended and ClockMode read together as one little-endian 64-bit number.
    v = ReadRaw(SettingsKey, L"Suspend1");
    CHECK(v.Size == 48 && LE64(v.Bytes) == 600000 && LE64(v.Bytes + 8) == 1 && LE64(v.Bytes + 16) == 90000);
    v = ReadRaw(SettingsKey, L"Suspend2");
    CHECK(v.Size == 48 && LE64(v.Bytes + 8) == (uint64_t(1) << 32) && LE64(v.Bytes + 16) == 0);
    CHECK(!ReadRaw(SettingsKey, L"Suspend3").Found);

    const BYTE overLong[49] = {};
    WriteRaw(L"Suspend5", REG_BINARY, overLong, 49);
    ClearApp();
    uint64_t loadStart = LocalFileTimeNow();
    LoadSettings();
    uint64_t loadEnd = LocalFileTimeNow();
    CHECK(App.Timers.Count == 3);
    CHECK(r[0].Remaining <= 300000 - (loadStart - saveEnd) / Ms && r[0].Remaining >= 300000 - (loadEnd - saveStart) / Ms);
    CHECK(r[0].Suspended == 0 && std::memcmp(r[0].Name, name, 24) == 0);
    CHECK(r[1].Preset == 600000 && r[1].Remaining == 90000 && r[1].Suspended == 1);
    CHECK(r[2].Preset == 61200000 && r[2].Remaining == 0 && r[2].ClockMode == 1);
    CHECK(!ReadRaw(SettingsKey, L"Suspend0").Found && !ReadRaw(SettingsKey, L"Suspend2").Found);
    CHECK(ReadRaw(SettingsKey, L"Suspend5").Found);   // over-long: skipped and kept
    ClearApp();
    LoadSettings();
    CHECK(App.Timers.Count == 0);
}

static void SessionEndAndRunOnce()
{
    RemoveOurValues();
    ClearApp();
    App.RememberAtShutdown = 1;
    App.Timers.Count = 1;
    App.Timers.Records[0] = {5000, 5000, 1, 0, {}};
    SaveAtSessionEnd(0);   // cancelled: settings only
    CHECK(ReadRaw(SettingsKey, L"Position").Found);
    CHECK(!ReadRaw(SettingsKey, L"Suspend0").Found && !ReadRaw(RunOnceKey, L"Korvalinde").Found);
    SaveAtSessionEnd(1);
    CHECK(ReadRaw(SettingsKey, L"Suspend0").Found);

    wchar_t path[MAX_PATH];
    DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    const RawValue& v = ReadRaw(RunOnceKey, L"Korvalinde");
    const wchar_t* data = reinterpret_cast<const wchar_t*>(v.Bytes);
    CHECK(v.Found && v.Type == REG_SZ && v.Size == (length + 3) * 2);
    CHECK(data[0] == L'"' && std::memcmp(data + 1, path, length * 2) == 0);
    CHECK(data[length + 1] == L'"' && data[length + 2] == 0);
}

int main()
{
    const struct {
        const char* Name;
        void (*Run)();
    } cases[] = {
        {"settings key values: names, types, bytes, read back", SettingsKeyValues},
        {"hand-made values read by their bytes", HandMadeValues},
        {"timers stored as 48-byte records, restored once", TimersHandedOver},
        {"session end and RunOnce", SessionEndAndRunOnce},
    };
    int failed = 0;
    for (const auto& c : cases) {
        int before = Failures;
        c.Run();
        std::printf("%s %s\n", Failures == before ? "ok  " : "FAIL", c.Name);
        failed += Failures != before;
    }
    RemoveOurValues();
    std::printf("%d passed, %d failed\n", int(sizeof cases / sizeof cases[0]) - failed, failed);
    return failed == 0 ? 0 : 1;
}
