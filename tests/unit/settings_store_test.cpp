// The settings key against the in-memory registry: the exact values written, what stored
// forms read back as, the history's renumbering, and the saving at session end.
#include <gtest/gtest.h>
#include "fake_platform.h"
#include "fake_registry.h"
#include "settings_store.h"
#include "test_support.h"
#include "timer_handover.h"

namespace {

const std::u16string Key = u"Software\\Brelwix\\Korvalinde";
const std::u16string RunOnceKey = u"Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";

class SettingsStore : public RegistryTest {};

TEST_F(SettingsStore, FirstStartKeepsTheDefaultsAndCreatesNothing)
{
    App.History.Count = 5;
    LoadSettings();
    static const AppState zero = {};
    EXPECT_EQ(0, std::memcmp(&zero, &App, sizeof App));
    EXPECT_EQ((std::vector<std::string>{"open f003f"}), FakeRegistry.Calls);
    EXPECT_TRUE(FakeRegistry.Keys.empty());
}

// The exact values of both saves, and every setting with 16 names back after a restart.
TEST_F(SettingsStore, SavedValuesAndTheirReadBack)
{
    App.Position = {-5, 1080};
    App.Mute = 1;
    App.TopMost = 1;
    App.HotKey = 0x0654;
    App.RememberAtShutdown = 1;
    Texts names = {u"Tea", u"ABCDEFGHIJ", u"\u30e9\u30fc\u30e1\u30f3"};
    for (int i = 3; i < 16; ++i)
        names.push_back(Widen("Name" + std::to_string(i)));
    SetHistory(names);
    SaveSettings();
    EXPECT_FALSE(RawValue(Key, u"HotKey"));   // only the settings dialog writes these two
    EXPECT_FALSE(RawValue(Key, u"SuspendEnd"));
    FakeRegistry.Calls.clear();
    SaveHotKeySettings();
    EXPECT_EQ((std::vector<std::string>{"create 20006", "set HotKey", "set SuspendEnd"}), FakeRegistry.Calls);

    const struct {
        const char16_t* Name;
        uint32_t Type;
        Bytes Data;
    } values[] = {
        {u"Position", RegistryTypeBinary, LE(uint32_t(-5), 4) + LE(1080, 4)},
        {u"Mute", RegistryTypeBinary, LE(1, 4)},
        {u"TopMost", RegistryTypeBinary, LE(1, 4)},
        {u"HotKey", RegistryTypeBinary, {0x54, 0x06}},
        {u"SuspendEnd", RegistryTypeDword, LE(1, 4)},
        {u"History0", RegistryTypeString, Utf16(u"Tea")},
        {u"History1", RegistryTypeString, Utf16(u"ABCDEFGHIJ")},   // 22 bytes
        {u"History2", RegistryTypeString, {0xe9, 0x30, 0xfc, 0x30, 0xe1, 0x30, 0xf3, 0x30, 0, 0}},
    };
    for (const auto& v : values) {
        const FakeRegistryValue* stored = RawValue(Key, v.Name);
        ASSERT_TRUE(stored) << "row " << &v - values;
        EXPECT_EQ(v.Type, stored->Type);
        EXPECT_EQ(v.Data, stored->Bytes);
    }
    EXPECT_EQ(21u, FakeRegistry.Keys[Key].size());

    ResetFakePlatform();
    LoadSettings();
    EXPECT_EQ(-5, App.Position.X);
    EXPECT_EQ(1080, App.Position.Y);
    EXPECT_EQ(1, App.Mute);
    EXPECT_EQ(1, App.TopMost);
    EXPECT_EQ(0x0654, App.HotKey);
    EXPECT_EQ(1, App.RememberAtShutdown);
    EXPECT_EQ(names, HistoryNames());
}

// Values a hand, another program or an older run may have left: the type is not examined,
// a short value fills the front of its field, a value too long is skipped.
TEST_F(SettingsStore, StoredFormsReadByTheirBytes)
{
    const struct {
        const char16_t* Name;
        uint32_t Type;
        Bytes Data;
        int32_t X, Y, Mute;
        uint16_t HotKey;
        int32_t Remember;
    } cases[] = {
        {u"Mute", RegistryTypeDword, LE(1, 4), 0, 0, 1, 0, 0},
        {u"Mute", RegistryTypeBinary, {1, 0}, 0, 0, 1, 0, 0},
        {u"Mute", RegistryTypeBinary, Bytes(5, 1), 0, 0, 0, 0, 0},
        {u"Position", RegistryTypeBinary, LE(uint32_t(-20), 4), -20, 0, 0, 0, 0},
        {u"Position", RegistryTypeBinary, Bytes(9, 1), 0, 0, 0, 0, 0},
        {u"HotKey", RegistryTypeBinary, {0x70}, 0, 0, 0, 0x70, 0},
        {u"HotKey", RegistryTypeDword, LE(0x4B, 4), 0, 0, 0, 0, 0},
        {u"SuspendEnd", RegistryTypeBinary, LE(1, 4), 0, 0, 0, 0, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "row " << &c - cases);
        Reset();
        FakeRegistry.Keys[Key][c.Name] = {c.Type, c.Data};
        LoadSettings();
        EXPECT_EQ(c.X, App.Position.X);
        EXPECT_EQ(c.Y, App.Position.Y);
        EXPECT_EQ(c.Mute, App.Mute);
        EXPECT_EQ(0, App.TopMost);
        EXPECT_EQ(c.HotKey, App.HotKey);
        EXPECT_EQ(c.Remember, App.RememberAtShutdown);
    }
}

// History values load in name order closing the gaps; each entry ends within its slot.
TEST_F(SettingsStore, HistoryValuesLoad)
{
    const struct {
        std::vector<std::pair<int, Bytes>> Values;
        Texts Loaded;
    } cases[] = {
        {{{0, Utf16(u"A")}, {2, Utf16(u"C")}}, {u"A", u"C"}},
        {{{0, Utf16(u"ABCDEFGHIJK")}, {1, Utf16(u"B")}}, {u"B"}},                // 24 bytes: skipped
        {{{0, Utf16(u"ABCDEFGHIJK", false)}}, {u"ABCDEFGHIJ"}},                  // 22 bytes, no terminator
        {{{0, Bytes(30, 0x41)}, {1, Utf16(u"XY", false)}}, {u"XY"}},             // short, after a failed read
        {{{0, Utf16(u"")}, {1, Utf16(u"B")}}, {u"", u"B"}},
        {{{16, Utf16(u"No")}}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "row " << &c - cases);
        Reset();
        std::memset(App.History.Entries, 0x5A, sizeof App.History.Entries);
        for (const auto& v : c.Values)
            FakeRegistry.Keys[Key][Widen("History" + std::to_string(v.first))] = {RegistryTypeString, v.second};
        LoadSettings();
        EXPECT_EQ(c.Loaded, HistoryNames());
    }
}

TEST_F(SettingsStore, SavingRenumbersTheHistoryAndDeletesTheRest)
{
    FakeRegistry.Keys[Key][u"History0"] = {RegistryTypeString, Utf16(u"A")};
    FakeRegistry.Keys[Key][u"History2"] = {RegistryTypeString, Utf16(u"C")};
    FakeRegistry.Keys[Key][u"History16"] = {RegistryTypeString, Utf16(u"N")};
    LoadSettings();
    SaveSettings();
    EXPECT_EQ(Utf16(u"A"), RawValue(Key, u"History0")->Bytes);
    EXPECT_EQ(Utf16(u"C"), RawValue(Key, u"History1")->Bytes);
    EXPECT_FALSE(RawValue(Key, u"History2"));
    EXPECT_TRUE(RawValue(Key, u"History16"));   // not ours

    // An empty history deletes all sixteen; a slot without terminator is written as 10 units.
    App.History.Count = 0;
    SaveSettings();
    EXPECT_EQ(4u, FakeRegistry.Keys[Key].size());   // Position, Mute, TopMost, History16
    App.History.Count = 1;
    std::fill(&App.History.Entries[0][0], &App.History.Entries[2][0], u'Q');
    SaveSettings();
    EXPECT_EQ(Utf16(u"QQQQQQQQQQ"), RawValue(Key, u"History0")->Bytes);
}

TEST_F(SettingsStore, NothingIsWrittenWhenTheKeyCannotBeCreated)
{
    FakeRegistry.CreateFails = true;
    SetHistory({u"A"});
    App.Timers.Count = 1;
    App.Timers.Records[0].Remaining = 5000;
    App.RememberAtShutdown = 1;
    Fake.ModulePath = u"C:\\Tools\\timer.exe";
    SaveSettings();
    SaveHotKeySettings();
    SaveAtSessionEnd(1);
    EXPECT_TRUE(FakeRegistry.Keys.empty());
    EXPECT_TRUE(FakeRegistry.Open.empty());
}

// The session end always saves the settings; the timers and RunOnce only when it really
// ends and RememberAtShutdown is on.
TEST_F(SettingsStore, SessionEnd)
{
    const struct {
        int Ends;
        int32_t Remember;
        bool Handover;
    } cases[] = {{0, 1, false}, {1, 0, false}, {1, 1, true}, {2, 1, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.Ends << " " << c.Remember);
        Reset();
        Fake.ModulePath = u"C:\\Tools\\timer.exe";
        App.Mute = 1;
        App.RememberAtShutdown = c.Remember;
        App.Timers.Count = 2;
        App.Timers.Records[0].Remaining = 60000;
        App.Timers.Records[1].Remaining = 90000;
        SaveAtSessionEnd(c.Ends);
        ASSERT_TRUE(RawValue(Key, u"Mute"));
        EXPECT_EQ(LE(1, 4), RawValue(Key, u"Mute")->Bytes);
        EXPECT_EQ(c.Handover, RawValue(Key, u"Suspend1") != nullptr);
        EXPECT_EQ(c.Handover, RawValue(RunOnceKey, u"Korvalinde") != nullptr);
        EXPECT_FALSE(RawValue(Key, u"HotKey"));
        EXPECT_EQ(2, App.Timers.Count);
    }
}

}  // namespace
