// The registry store: the settings and history values byte for byte, values of the wrong
// size, the 48-byte timer record, and the one-time restart.
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
        return record.resize(48), record;
    }
};

TEST_F(StoreTest, SettingsRoundTripByteForByte) {
    App.Position = {-8, 300};
    App.Mute = App.TopMost = App.RememberAtShutdown = 1;
    App.HotKey = 0x0654;   // Ctrl+Alt+T
    SetHistory({u"tea", u"0123456789"});
    Put(u"History5", Utf16(u"stale"), REGISTRY_TYPE_STRING);
    SaveSettings();
    SaveHotKeySettings();
    auto values = Fake.Keys[SETTINGS_KEY];
    const struct { std::u16string Name; uint32_t Type; Bytes Data; } stored[] = {
        {u"Position", REGISTRY_TYPE_BINARY, {0xF8, 0xFF, 0xFF, 0xFF, 0x2C, 1, 0, 0}},
        {u"Mute", REGISTRY_TYPE_BINARY, LE(1, 4)}, {u"TopMost", REGISTRY_TYPE_BINARY, LE(1, 4)},
        {u"HotKey", REGISTRY_TYPE_BINARY, {0x54, 0x06}},
        {u"SuspendEnd", REGISTRY_TYPE_DWORD, LE(1, 4)}, {u"History0", REGISTRY_TYPE_STRING, Utf16(u"tea")},
        {u"History1", REGISTRY_TYPE_STRING, Utf16(u"0123456789")}};
    for (const auto& v : stored)
        EXPECT_TRUE(values[v.Name].Type == v.Type && values[v.Name].Data == v.Data)
            << std::string(v.Name.begin(), v.Name.end());
    EXPECT_EQ(0u, values.count(u"History5"));

    ResetFakes();
    Fake.Keys[SETTINGS_KEY] = values;
    LoadSettings();
    EXPECT_TRUE(App.Position.X == -8 && App.Position.Y == 300 && App.Mute == 1 && App.TopMost == 1 &&
                App.HotKey == 0x0654 && App.RememberAtShutdown == 1);
    EXPECT_EQ((Texts{u"tea", u"0123456789"}), HistoryNames());
}

// A longer value than expected is ignored; a shorter one sets only the low bytes. History
// values close up around gaps, and a full 22-byte one without terminator keeps 10 units.
TEST_F(StoreTest, OddValuesAreReadSafely) {
    App.Mute = 0x01020304;
    Put(u"Mute", {9});
    Put(u"TopMost", LE(1, 8));
    Put(u"HotKey", LE(0x0654, 4));
    Put(u"History0", Utf16(u"a"), REGISTRY_TYPE_STRING);
    Put(u"History2", Bytes(22, 0x41), REGISTRY_TYPE_STRING);
    Put(u"History3", Bytes(24, 0x41), REGISTRY_TYPE_STRING);
    Put(u"History4", {0x62, 0}, REGISTRY_TYPE_STRING);
    LoadSettings();
    EXPECT_EQ(0x01020309, App.Mute);
    EXPECT_EQ(0, App.TopMost);
    EXPECT_EQ(0, App.HotKey);
    EXPECT_EQ((Texts{u"a", u"\u4141\u4141\u4141\u4141\u4141\u4141\u4141\u4141\u4141\u4141", u"b"}),
              HistoryNames());
}

TEST_F(StoreTest, TimersAreHandedOverAndTakenUpOnce) {
    Fake.LocalTime = {12, 0, 0, 0};
    AddTimer(u"5", u"tea");
    AddTimer(u"1", u"egg");
    ToggleSuspend(1);
    App.Timers.Records[1].Remaining = 45000;
    AddTimer(u"1", u"done");
    App.Timers.Records[2].Remaining = 0;   // expired while a notice was open
    Put(u"Suspend7", Bytes(49, 0));        // over-long: neither restored nor deleted
    SaveTimers();
    auto& values = Fake.Keys[SETTINGS_KEY];
    EXPECT_EQ(Record(300000, 0, 0, FILETIME_NOW + UINT64_C(300000) * 10000, u"tea"), values[u"Suspend0"].Data);
    EXPECT_EQ(Record(60000, 1, 0, 45000, u"egg"), values[u"Suspend1"].Data);
    EXPECT_EQ(Record(60000, 0, 0, 0, u"done"), values[u"Suspend2"].Data);
    EXPECT_EQ(REGISTRY_TYPE_BINARY, values[u"Suspend0"].Type);

    App.Timers.Count = 0;
    Put(u"Suspend3", Record(7, 0, 1, FILETIME_NOW - 10000, u"late"));   // ran out while away
    Put(u"Suspend4", Record(7, 1, 1, 5000, u"clockpause"));   // a clock timer cannot pause
    Put(u"Suspend5", Bytes(10, 0));                           // short: zeros behind it
    Fake.LocalFileTime = FILETIME_NOW + UINT64_C(60000) * 10000;                 // a minute later
    LoadSettings();
    EXPECT_EQ((Texts{u"tea", u"egg", u"done", u"late", u"clockpause", u""}), NamesOf(App.Timers));
    const TimerRecord* r = App.Timers.Records;
    EXPECT_TRUE(r[0].Remaining == 240000 && r[1].Remaining == 45000 && r[1].Suspended == 1);
    // Overdue and stored expired alike come back due at once, so the first tick reports them.
    for (int i : {2, 3, 5})
        EXPECT_EQ(1u, r[i].Remaining) << i;
    EXPECT_EQ(0, r[2].Suspended + r[4].Suspended);
    EXPECT_TRUE(values.size() == 1 && values.count(u"Suspend7") == 1);
}

// The expiry field saturates instead of wrapping, and a restored time is never more than a
// later save can write as an expiry.
TEST_F(StoreTest, HugeCountdownsNeverWrap) {
    const uint64_t longest = (UINT64_MAX - FILETIME_NOW) / 10000;
    const struct { uint64_t Remaining, Stored; } cases[] = {
        {longest - 1, FILETIME_NOW + (longest - 1) * 10000},
        {longest, FILETIME_NOW + longest * 10000},
        {longest + 1, UINT64_MAX},
        {UINT64_C(5999999999940000), UINT64_MAX},   // typed as 99999999999 minutes
    };
    for (const auto& c : cases) {
        ResetFakes();
        Fake.LocalFileTime = FILETIME_NOW;
        App.Timers.Count = 1;
        App.Timers.Records[0].Remaining = c.Remaining;
        SaveTimers();
        EXPECT_EQ(LE(c.Stored, 8), Bytes(&Fake.Keys[SETTINGS_KEY][u"Suspend0"].Data[16], &Fake.Keys[SETTINGS_KEY][u"Suspend0"].Data[24]));
        App.Timers.Count = 0;
        LoadSettings();
        EXPECT_EQ(std::min(c.Remaining, longest), App.Timers.Records[0].Remaining);
    }
    Put(u"Suspend0", Record(0, 1, 0, UINT64_MAX - 5, u"paused"));
    App.Timers.Count = 0;
    LoadSettings();
    EXPECT_EQ(longest, App.Timers.Records[0].Remaining);
}

// Remembering, the values taken up at the start stay until the window writes the journal anew,
// so a kill in between loses nothing; a deliberate close discards them. A running timer is
// stored by its true time left, without the time since the last tick that its Remaining holds.
TEST_F(StoreTest, TheJournalStaysUntilWrittenAnew) {
    Put(u"SuspendEnd", LE(1, 4), REGISTRY_TYPE_DWORD);
    Put(u"Suspend0", Record(60000, 1, 0, 45000, u"egg"));
    Put(u"Suspend1", Record(60000, 0, 0, FILETIME_NOW + UINT64_C(30000) * 10000, u"tea"));
    LoadSettings();
    EXPECT_EQ((Texts{u"egg", u"tea"}), NamesOf(App.Timers));
    EXPECT_EQ((Texts{u"egg", u"tea"}), NamesOf(Journal()));
    Fake.TickCount = 200;
    SaveTimers();
    EXPECT_EQ(29800u, Journal().Records[1].Remaining);
    DiscardJournal();
    EXPECT_EQ(Texts{}, NamesOf(Journal()));
}

// The end of the session saves the settings, and remembering the timers with a restart at the
// next logon; either way the key is flushed once.
TEST_F(StoreTest, TheEndOfTheSessionIsWrittenThrough) {
    AddTimer(u"5", u"tea");
    Fake.ModulePath = u"C:\\Tools\\k.exe";
    for (int remember : {0, 1}) {
        Fake.Keys.clear();
        App.RememberAtShutdown = remember;
        HandOverAtSessionEnd();
        EXPECT_EQ(1u, Fake.Keys[SETTINGS_KEY].count(u"Position"));
        EXPECT_EQ(remember ? Texts{u"tea"} : Texts{}, NamesOf(Journal()));
        EXPECT_EQ(size_t(remember), Fake.Keys[RUN_ONCE].size());
        EXPECT_EQ(1 + remember, Fake.Flushes);   // once each time
    }
}

// The program's path, quoted; a path too long is cut to 259 units, and none writes nothing.
TEST_F(StoreTest, RunOnceHoldsTheQuotedPath) {
    RegisterRunOnce();
    EXPECT_EQ(0u, Fake.Keys.count(RUN_ONCE));
    Fake.ModulePath = std::u16string(300, u'x');
    RegisterRunOnce();
    EXPECT_EQ(Utf16(u"\"" + std::u16string(259, u'x') + u"\""), Fake.Keys[RUN_ONCE][u"Korvalinde"].Data);
}

}  // namespace
