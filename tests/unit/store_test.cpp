// The registry store: the settings byte for byte, values of the wrong size, the timer records, the session's end.
#include <gtest/gtest.h>
#include "fakes.h"
#include "registry.h"
#include "settings_store.h"
#include "timer_handover.h"
#include "timer_table.h"

namespace {

const std::u16string RUN_ONCE = u"Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";

struct StoreTest : ::testing::Test {
    void SetUp() override { ResetFakes(); Fake.LocalFileTime = FILETIME_NOW; }
    void TearDown() override { EXPECT_EQ(0, Fake.OpenKeys); }
    static void Put(const std::u16string& name, const Bytes& data, uint32_t type = REGISTRY_TYPE_BINARY) {
        Fake.Keys[SETTINGS_KEY][name] = {type, data};
    }
    static Bytes Record(uint64_t preset, uint32_t paused, uint32_t clock, uint64_t time, const std::u16string& name) {
        Bytes record = LE(preset, 8) + LE(paused, 4) + LE(clock, 4) + LE(time, 8) + Utf16(name);
        record.resize(48);
        return record;
    }
};

// Read back into zeroed settings, the settings are written again as they were; remembering, a timer's value stays
// until the window writes the journal anew, so a kill in between loses nothing.
TEST_F(StoreTest, SettingsRoundTripByteForByte) {
    App.Position = {-8, 300};
    App.Mute = App.TopMost = App.RememberAtShutdown = 1;
    App.HotKey = 0x0654;   // Ctrl+Alt+T
    SetHistory({u"tea", u"0123456789"});
    Put(u"History5", Utf16(u"stale"), REGISTRY_TYPE_STRING);
    Put(u"Suspend0", Record(60000, 1, 0, 45000, u"egg"));
    SaveSettings();
    SaveHotKeySettings();
    const FakeKey values = Fake.Keys[SETTINGS_KEY];
    EXPECT_EQ((FakeKey{
                  {u"Position", {REGISTRY_TYPE_BINARY, {0xF8, 0xFF, 0xFF, 0xFF, 0x2C, 1, 0, 0}}},
                  {u"Mute", {REGISTRY_TYPE_BINARY, LE(1, 4)}}, {u"TopMost", {REGISTRY_TYPE_BINARY, LE(1, 4)}},
                  {u"HotKey", {REGISTRY_TYPE_BINARY, {0x54, 0x06}}}, {u"SuspendEnd", {REGISTRY_TYPE_DWORD, LE(1, 4)}},
                  {u"History0", {REGISTRY_TYPE_STRING, Utf16(u"tea")}},
                  {u"History1", {REGISTRY_TYPE_STRING, Utf16(u"0123456789")}},
                  {u"Suspend0", {REGISTRY_TYPE_BINARY, Record(60000, 1, 0, 45000, u"egg")}}}),
              values);   // History5 is gone

    ResetFakes();
    Fake.Keys[SETTINGS_KEY] = values;
    LoadSettings();
    SaveSettings();
    SaveHotKeySettings();
    EXPECT_EQ(values, Fake.Keys[SETTINGS_KEY]);
}

// A longer value than expected is ignored; a shorter one sets only the low bytes. History values close up around
// gaps, and a full 22-byte one without terminator keeps 10 units.
TEST_F(StoreTest, OddValuesAreReadSafely) {
    App.Mute = 0x01020304;
    Put(u"Mute", {9});
    Put(u"TopMost", LE(1, 8));
    Put(u"SuspendEnd", LE(1, 8), REGISTRY_TYPE_DWORD);
    Put(u"HotKey", LE(0x0654, 4));
    Put(u"History0", Utf16(u"a"), REGISTRY_TYPE_STRING);
    Put(u"History2", Bytes(22, 0x41), REGISTRY_TYPE_STRING);
    Put(u"History3", Bytes(24, 0x41), REGISTRY_TYPE_STRING);
    Put(u"History4", {0x62, 0}, REGISTRY_TYPE_STRING);
    LoadSettings();
    EXPECT_EQ(0x01020309, App.Mute);
    EXPECT_EQ(0, App.TopMost);
    EXPECT_EQ(0, App.RememberAtShutdown);
    EXPECT_EQ(0, App.HotKey);
    EXPECT_EQ((Texts{u"a", std::u16string(10, u'\u4141'), u"b"}), HistoryNames());
}

// A running timer is stored by its expiry, saturating at the latest the field holds instead of wrapping; a paused or
// expired one by its time left. Taken up a minute later, not remembering, each value read goes.
TEST_F(StoreTest, TimersAreHandedOverAndTakenUpOnce) {
    const uint64_t longest = UINT64_C(1831274407370955);   // (2^64 - 1 - FILETIME_NOW) / 10000
    SetTimers({{u"tea", 300000, 0, 0}, {u"egg", 45000, 1, 0}, {u"edge", longest, 0, 0}, {u"huge", longest + 1, 0, 0}});
    Put(u"Suspend9", Bytes(49, 0));   // over-long: neither restored nor deleted
    SaveTimers();
    auto& values = Fake.Keys[SETTINGS_KEY];
    EXPECT_EQ(FakeValue(REGISTRY_TYPE_BINARY, Record(300000, 0, 0, FILETIME_NOW + UINT64_C(300000) * 10000, u"tea")),
              values[u"Suspend0"]);
    EXPECT_EQ(Record(300000, 1, 0, 45000, u"egg"), values[u"Suspend1"].second);
    EXPECT_EQ(Record(300000, 0, 0, UINT64_C(18446744073709550000), u"edge"), values[u"Suspend2"].second);
    EXPECT_EQ(Record(300000, 0, 0, UINT64_MAX, u"huge"), values[u"Suspend3"].second);

    App.Timers.Count = 0;
    Put(u"Suspend5", Record(7, 0, 1, FILETIME_NOW - 10000, u"late"));   // ran out while away
    Put(u"Suspend6", Record(7, 1, 1, 5000, u"clockpause"));   // a clock timer cannot pause
    Put(u"Suspend7", Bytes(10, 0));                           // short: zeros behind it
    Put(u"Suspend8", Record(0, 1, 0, UINT64_MAX - 5, u"paused"));
    Fake.LocalFileTime = FILETIME_NOW + UINT64_C(60000) * 10000;   // a minute later
    LoadSettings();
    // Overdue and stored expired alike come back due at once, so the first tick reports them.
    EXPECT_EQ((Timers{{u"tea", 240000, 0, 0}, {u"egg", 45000, 1, 0}, {u"edge", longest - 60000, 0, 0},
                      {u"huge", longest - 60000, 0, 0}, {u"late", 1, 0, 1}, {u"clockpause", 5000, 0, 1}, {u"", 1, 0, 0},
                      {u"paused", longest - 60000, 1, 0}}),
              TimersOf(App.Timers));
    EXPECT_EQ((FakeKey{{u"Suspend9", {REGISTRY_TYPE_BINARY, Bytes(49, 0)}}}), values);
}

// At the first start there is no key: reading, discarding the journal and flushing make none.
TEST_F(StoreTest, OnlyAWriteMakesTheKey) {
    LoadSettings();
    DiscardJournal();
    FlushSettings();
    EXPECT_EQ(0u, Fake.Keys.count(SETTINGS_KEY));
}

// The end of the session saves the timers only remembering, with a restart at the next logon (the path quoted, cut
// to 259 units; nothing without one), and flushes the key once.
TEST_F(StoreTest, TheEndOfTheSessionIsWrittenThrough) {
    AddTimer(u"5", u"tea");
    const std::u16string path(300, u'x');
    const struct { int Remember; std::u16string Path; Texts Journal; Bytes RunOnce; } cases[] = {
        {0, path, {}, {}}, {1, u"", {u"tea"}, {}}, {1, path, {u"tea"}, Utf16(u"\"" + path.substr(0, 259) + u"\"")},
    };
    for (const auto& c : cases) {
        Fake.Keys.clear();
        Fake.Flushes = 0;
        Fake.ModulePath = c.Path;
        App.RememberAtShutdown = c.Remember;
        HandOverAtSessionEnd();
        EXPECT_EQ(c.Journal, NamesOf(Journal())) << &c - cases;
        EXPECT_EQ(c.RunOnce, Fake.Keys[RUN_ONCE][u"Korvalinde"].second) << &c - cases;
        EXPECT_EQ(1, Fake.Flushes) << &c - cases;
    }
}

}  // namespace
