// The fakes of the native unit tests (see fakes.h).
#include "fakes.h"
#include <algorithm>
#include <cstring>
#include <tuple>
#include "registry.h"
#include "timer_handover.h"
#include "window_ops.h"

FakeState Fake;
WindowHandle const MainWindow = reinterpret_cast<WindowHandle>(uintptr_t(1));

void ResetFakes() {
    std::memset(static_cast<void*>(&App), 0, sizeof App);
    std::memset(static_cast<void*>(&Ui), 0, sizeof Ui);
    Fake = FakeState();
}

Bytes LE(uint64_t value, int size) {
    Bytes bytes(size);
    for (int i = 0; i < size; ++i)
        bytes[i] = static_cast<uint8_t>(value >> (8 * i));
    return bytes;
}

Bytes Utf16(const std::u16string& text) {
    Bytes bytes;
    for (char16_t unit : text + u'\0')
        bytes = bytes + LE(unit, 2);
    return bytes;
}

static std::u16string NameOf(const TimerRecord& r) { return {r.Name, std::find(r.Name, std::end(r.Name), 0)}; }

Texts NamesOf(const TimerTable& table) {
    Texts names;
    for (int i = 0; i < table.Count; ++i)
        names.push_back(NameOf(table.Records[i]));
    return names;
}

Timers TimersOf(const TimerTable& table) {
    Timers timers;
    for (int i = 0; i < table.Count; ++i) {
        const TimerRecord& r = table.Records[i];
        timers.push_back({NameOf(r), r.Remaining, r.Suspended, r.ClockMode});
    }
    return timers;
}

void SetTimers(const Timers& timers) {
    App.Timers.Count = static_cast<int32_t>(timers.size());
    for (size_t i = 0; i < timers.size(); ++i) {
        const Timer& t = timers[i];
        App.Timers.Records[i] = {t.ClockMode ? UINT64_C(63000000) : 300000, t.Remaining, t.Suspended, t.ClockMode, {}};
        std::copy(t.Name.begin(), t.Name.end(), App.Timers.Records[i].Name);
    }
}

bool operator==(const Timer& a, const Timer& b) {
    return std::tie(a.Name, a.Remaining, a.Suspended, a.ClockMode) ==
           std::tie(b.Name, b.Remaining, b.Suspended, b.ClockMode);
}

TimerTable Journal() {
    const AppState kept = App;
    App.Timers.Count = 0;
    App.RememberAtShutdown = 1;   // taken up without deleting anything
    RestoreTimers(&Fake.Keys[SETTINGS_KEY]);
    const TimerTable journal = App.Timers;
    App = kept;
    return journal;
}

Texts HistoryNames() { return Texts(App.History.Entries, App.History.Entries + App.History.Count); }

void SetHistory(const Texts& names) {
    App.History.Count = static_cast<int32_t>(names.size());
    for (size_t i = 0; i < names.size(); ++i)
        std::copy(names[i].begin(), names[i].end() + 1, App.History.Entries[i]);
}

// The platform: a clock the test sets, ASCII case, surrogate pairs stepped over whole.
static bool IsHigh(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
static bool IsLow(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }
uint64_t PlatformTickCount() { return Fake.TickCount; }
void PlatformLocalTime(LocalClockTime* out) { *out = Fake.LocalTime; }
// The wall clock goes on with the tick count from LocalFileTime, which a test sets to jump it.
uint64_t PlatformLocalFileTime() { return Fake.LocalFileTime + Fake.TickCount * 10000; }
void PlatformUpperCase(char16_t* text) {
    for (; *text != 0; ++text)
        *text = *text >= u'a' && *text <= u'z' ? static_cast<char16_t>(*text - u'a' + u'A') : *text;
}
const char16_t* PlatformNextChar(const char16_t* p) { return *p == 0 ? p : p + (IsHigh(p[0]) && IsLow(p[1]) ? 2 : 1); }
// GetModuleFileNameW: a path too long is cut to room - 1 units, and room is returned.
int PlatformModuleFileName(char16_t* buffer, int room) {
    int length = static_cast<int>(Fake.ModulePath.size()), copied = std::min(length, room - 1);
    std::copy(Fake.ModulePath.begin(), Fake.ModulePath.begin() + copied, buffer);
    buffer[copied] = 0;
    return std::min(length, room);
}

// The registry: a key is the map of its values.
int RegistryCreateKey(const char16_t* subkey, uint32_t, RegistryKey* key) {
    *key = &Fake.Keys[subkey];
    return ++Fake.OpenKeys;
}
int RegistryOpenKey(const char16_t* subkey, uint32_t access, RegistryKey* key) {
    return Fake.Keys.count(subkey) != 0 ? RegistryCreateKey(subkey, access, key) : 0;
}
int RegistryQueryValue(RegistryKey key, const char16_t* name, void* buffer, uint32_t* size) {
    auto found = static_cast<FakeKey*>(key)->find(name);
    if (found == static_cast<FakeKey*>(key)->end())
        return 0;
    const Bytes& data = found->second.second;
    if (data.size() > *size) {
        std::memset(buffer, 0xCD, *size);   // a failed read leaves anything
        return 0;
    }
    *size = static_cast<uint32_t>(data.size());
    std::copy(data.begin(), data.end(), static_cast<uint8_t*>(buffer));
    return 1;
}
int RegistrySetValue(RegistryKey key, const char16_t* name, uint32_t type, const void* data, uint32_t size) {
    const uint8_t* bytes = static_cast<const uint8_t*>(data);
    (*static_cast<FakeKey*>(key))[name] = {type, Bytes(bytes, bytes + size)};
    return ++Fake.Writes;
}
int RegistryDeleteValue(RegistryKey key, const char16_t* name) {
    static_cast<FakeKey*>(key)->erase(name);
    return 1;
}
void RegistryCloseKey(RegistryKey) { --Fake.OpenKeys; }
void RegistryFlushKey(RegistryKey) { ++Fake.Flushes; }

// The window operations of the tick.
void WindowSetRowText(WindowHandle, int row, const char16_t* text) {
    Fake.RowTexts[row] = text;
    ++Fake.RowWrites;
}
int WindowForegroundOwner(WindowHandle) { return Fake.Foreground; }
void BringToFront(WindowHandle) {
    ++Fake.Raised;
    Fake.Foreground = Fake.GrantForeground ? FOREGROUND_MAIN : Fake.Foreground;
}
void WindowFlash(WindowHandle) { ++Fake.Flashed; }
void WindowAlertSound() { ++Fake.Sounds; }
void WindowInvalidate(WindowHandle) { ++Fake.Invalidated; }
void WindowAnnounceRow(WindowHandle, int row) { Fake.Announced.push_back(row); }
void WindowSleep(unsigned) { ++Fake.Sleeps; }
void BuildTimerRows(WindowHandle) { ++Fake.Rebuilt; }
int WindowStartTimer(WindowHandle, uintptr_t id, unsigned milliseconds) {
    Fake.Timers[id] = milliseconds;
    return 1;
}
void WindowStopTimer(WindowHandle, uintptr_t id) { Fake.Timers.erase(id); }

// The notices form a stack, innermost last; the open one is the innermost not yet cancelled.
WindowHandle WindowOpenNotice(WindowHandle) {
    bool open = !Fake.NoticeCancelled.empty() && !Fake.NoticeCancelled.back();
    return open ? reinterpret_cast<WindowHandle>(uintptr_t(100 + Fake.NoticeCancelled.size())) : nullptr;
}
void WindowCloseNotice(WindowHandle notice) {
    if (!Fake.NoticeIgnoresCancel)
        Fake.NoticeCancelled[reinterpret_cast<uintptr_t>(notice) - 101] = true;
}
void WindowShowNotice(WindowHandle, const char16_t* text) {
    Fake.Notices.push_back(text);
    Fake.NoticeCancelled.push_back(false);
    if (Fake.NoticeLoop)
        Fake.NoticeLoop(static_cast<int>(Fake.NoticeCancelled.size()));
    Fake.NoticeCancelled.pop_back();
}
