// The settings key against the in-memory registry: the exact values written, what each
// stored form reads back as, the history's renumbering, and the saving at session end.
#include <gtest/gtest.h>
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>
#include "app_state.h"
#include "fake_platform.h"
#include "fake_registry.h"
#include "settings_store.h"
#include "timer_handover.h"

namespace {

const std::u16string Key = u"Software\\Brelwix\\Korvalinde";
const std::u16string RunOnceKey = u"Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";

std::vector<uint8_t> LE32(uint32_t value)
{
    return {uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16), uint8_t(value >> 24)};
}

std::vector<uint8_t> Concat(std::vector<uint8_t> a, const std::vector<uint8_t>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// UTF-16LE bytes of text, with the terminator when asked.
std::vector<uint8_t> Utf16(const std::u16string& text, bool terminator = true)
{
    std::vector<uint8_t> bytes;
    for (char16_t unit : text) {
        bytes.push_back(uint8_t(unit));
        bytes.push_back(uint8_t(unit >> 8));
    }
    if (terminator) {
        bytes.push_back(0);
        bytes.push_back(0);
    }
    return bytes;
}

std::u16string Widen(const std::string& text) { return std::u16string(text.begin(), text.end()); }

std::u16string HistoryName(int i) { return Widen("History" + std::to_string(i)); }

void SetHistory(const std::vector<std::u16string>& names)
{
    App.History.Count = int32_t(names.size());
    for (size_t i = 0; i < names.size(); ++i) {
        std::memset(App.History.Entries[i], 0, sizeof App.History.Entries[i]);
        std::copy(names[i].begin(), names[i].end(), App.History.Entries[i]);
    }
}

std::vector<std::u16string> History()
{
    std::vector<std::u16string> names;
    for (int i = 0; i < App.History.Count; ++i)
        names.push_back(App.History.Entries[i]);
    return names;
}

class SettingsStore : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetFakePlatform();
        ResetFakeRegistry();
    }
    // Every key that was opened or created is closed again, whatever the path taken.
    void TearDown() override { EXPECT_EQ(FakeRegistry.OpenHandles, 0); }
};

TEST_F(SettingsStore, FirstStartWithoutKeyKeepsDefaultsAndCreatesNothing)
{
    App.History.Count = 5;   // whatever was there, the load starts the history afresh
    LoadSettings();
    EXPECT_EQ(App.Position.X, 0);
    EXPECT_EQ(App.Position.Y, 0);
    EXPECT_EQ(App.Mute, 0);
    EXPECT_EQ(App.TopMost, 0);
    EXPECT_EQ(App.HotKey, 0);
    EXPECT_EQ(App.RememberAtShutdown, 0);
    EXPECT_EQ(App.History.Count, 0);
    EXPECT_EQ(App.Timers.Count, 0);
    EXPECT_FALSE(FakeKeyExists(Key));
    ASSERT_EQ(FakeRegistry.Accesses.size(), 1u);
    EXPECT_EQ(FakeRegistry.Accesses[0], RegistryAllAccess);
}

TEST_F(SettingsStore, SaveWritesEachValueWithItsTypeAndBytes)
{
    App.Position = {-5, 1080};
    App.Mute = 1;
    App.TopMost = 1;
    App.HotKey = 0x064B;             // not written by SaveSettings
    App.RememberAtShutdown = 1;      // neither
    SetHistory({u"Tea", u"ABCDEFGHIJ", u"\u30e9\u30fc\u30e1\u30f3"});
    SaveSettings();

    struct Expected {
        const char16_t* name;
        uint32_t type;
        std::vector<uint8_t> bytes;
    } const cases[] = {
        {u"Position", RegistryTypeBinary, {0xFB, 0xFF, 0xFF, 0xFF, 0x38, 0x04, 0x00, 0x00}},
        {u"Mute", RegistryTypeBinary, {1, 0, 0, 0}},
        {u"TopMost", RegistryTypeBinary, {1, 0, 0, 0}},
        {u"History0", RegistryTypeString, {'T', 0, 'e', 0, 'a', 0, 0, 0}},
        {u"History1", RegistryTypeString, Utf16(u"ABCDEFGHIJ")},          // 22 bytes
        {u"History2", RegistryTypeString, {0xe9, 0x30, 0xfc, 0x30, 0xe1, 0x30, 0xf3, 0x30, 0, 0}},
    };
    for (const Expected& e : cases) {
        FakeRegistryValue value;
        ASSERT_TRUE(GetRawValue(Key, e.name, &value)) << std::string(e.name, e.name + 8);
        EXPECT_EQ(value.Type, e.type);
        EXPECT_EQ(value.Bytes, e.bytes);
    }
    FakeRegistryValue value;
    EXPECT_FALSE(GetRawValue(Key, u"HotKey", &value));
    EXPECT_FALSE(GetRawValue(Key, u"SuspendEnd", &value));
    EXPECT_FALSE(GetRawValue(Key, u"History3", &value));
    EXPECT_EQ(ValueNames(Key).size(), 6u);
    ASSERT_EQ(FakeRegistry.Accesses.size(), 1u);
    EXPECT_EQ(FakeRegistry.Accesses[0], RegistryAllAccess);
}

TEST_F(SettingsStore, SaveWritesInItsOrderAndDeletesTheUnusedHistoryValues)
{
    SetHistory({u"A", u"B"});
    SaveSettings();
    std::vector<std::string> expected = {"set Position", "set Mute", "set TopMost", "set History0", "set History1"};
    for (int i = 2; i < 16; ++i)
        expected.push_back("delete History" + std::to_string(i));
    EXPECT_EQ(FakeRegistry.Calls, expected);
}

TEST_F(SettingsStore, HotKeySettingsAreWrittenWithWriteAccessAndNothingElse)
{
    App.HotKey = 0x064B;   // Ctrl+Alt+K
    App.RememberAtShutdown = 1;
    App.Mute = 1;
    SetHistory({u"A"});
    SaveHotKeySettings();

    FakeRegistryValue hotKey, suspendEnd;
    ASSERT_TRUE(GetRawValue(Key, u"HotKey", &hotKey));
    EXPECT_EQ(hotKey.Type, RegistryTypeBinary);
    EXPECT_EQ(hotKey.Bytes, (std::vector<uint8_t>{0x4B, 0x06}));   // virtual key, then flags
    ASSERT_TRUE(GetRawValue(Key, u"SuspendEnd", &suspendEnd));
    EXPECT_EQ(suspendEnd.Type, RegistryTypeDword);
    EXPECT_EQ(suspendEnd.Bytes, LE32(1));
    EXPECT_EQ(SetCalls(), (std::vector<std::string>{"HotKey", "SuspendEnd"}));
    ASSERT_EQ(FakeRegistry.Accesses.size(), 1u);
    EXPECT_EQ(FakeRegistry.Accesses[0], RegistryWriteAccess);
}

TEST_F(SettingsStore, EverySettingAndSixteenNamesSurviveARestart)
{
    App.Position = {-1920, 37};
    App.Mute = 1;
    App.TopMost = 1;
    App.HotKey = 0x0C70;
    App.RememberAtShutdown = 1;
    std::vector<std::u16string> names;
    for (int i = 0; i < 16; ++i)
        names.push_back(i == 7 ? std::u16string(u"\u304a\u8336\u3092\u6dc0\u308c\u308b\u6642\u9593\u3067\u3059")
                               : u"Name" + std::u16string(1, char16_t(u'A' + i)));
    SetHistory(names);
    SaveSettings();
    SaveHotKeySettings();

    ResetFakePlatform();
    FakeRegistry.Calls.clear();
    LoadSettings();
    EXPECT_EQ(App.Position.X, -1920);
    EXPECT_EQ(App.Position.Y, 37);
    EXPECT_EQ(App.Mute, 1);
    EXPECT_EQ(App.TopMost, 1);
    EXPECT_EQ(App.HotKey, 0x0C70);
    EXPECT_EQ(App.RememberAtShutdown, 1);
    EXPECT_EQ(History(), names);
    // The load reads in its fixed order before it turns to the timers.
    std::vector<std::string> expected = {"query Position", "query Mute", "query TopMost", "query HotKey", "query SuspendEnd"};
    for (int i = 0; i < 16; ++i)
        expected.push_back("query History" + std::to_string(i));
    for (int i = 0; i < 10; ++i)
        expected.push_back("query Suspend" + std::to_string(i));
    EXPECT_EQ(FakeRegistry.Calls, expected);
}

// Raw values as a hand, another program or an older run may have left them.
TEST_F(SettingsStore, StoredFormsReadAsTheirFirstBytesAndOverLongValuesAreSkipped)
{
    struct Case {
        const char* what;
        const char16_t* name;
        uint32_t type;
        std::vector<uint8_t> bytes;
        WindowPosition position;
        int32_t mute;
        int32_t topMost;
        uint16_t hotKey;
        int32_t remember;
    } const cases[] = {
        {"Mute stored as REG_DWORD", u"Mute", RegistryTypeDword, LE32(1), {0, 0}, 1, 0, 0, 0},
        {"4-byte Position sets x only", u"Position", RegistryTypeBinary, LE32(uint32_t(-20)), {-20, 0}, 0, 0, 0, 0},
        {"9-byte Position is skipped", u"Position", RegistryTypeBinary, std::vector<uint8_t>(9, 1), {0, 0}, 0, 0, 0, 0},
        {"5-byte TopMost is skipped", u"TopMost", RegistryTypeBinary, std::vector<uint8_t>(5, 1), {0, 0}, 0, 0, 0, 0},
        {"HotKey low byte first", u"HotKey", RegistryTypeBinary, {0x4B, 0x06}, {0, 0}, 0, 0, 0x064B, 0},
        {"1-byte HotKey sets the key only", u"HotKey", RegistryTypeBinary, {0x70}, {0, 0}, 0, 0, 0x0070, 0},
        {"HotKey stored as a DWORD is too long", u"HotKey", RegistryTypeDword, LE32(0x4B), {0, 0}, 0, 0, 0, 0},
        {"SuspendEnd as REG_BINARY", u"SuspendEnd", RegistryTypeBinary, LE32(1), {0, 0}, 0, 0, 0, 1},
        {"value names ignore case", u"TOPMOST", RegistryTypeBinary, LE32(1), {0, 0}, 0, 1, 0, 0},
        {"2-byte Mute", u"Mute", RegistryTypeBinary, {1, 0}, {0, 0}, 1, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ResetFakePlatform();
        ResetFakeRegistry();
        PutRawValue(Key, c.name, c.type, c.bytes);
        LoadSettings();
        EXPECT_EQ(App.Position.X, c.position.X);
        EXPECT_EQ(App.Position.Y, c.position.Y);
        EXPECT_EQ(App.Mute, c.mute);
        EXPECT_EQ(App.TopMost, c.topMost);
        EXPECT_EQ(App.HotKey, c.hotKey);
        EXPECT_EQ(App.RememberAtShutdown, c.remember);
        EXPECT_EQ(FakeRegistry.OpenHandles, 0);
    }
}

TEST_F(SettingsStore, AShortValueLeavesTheRestOfItsFieldAsItWas)
{
    App.Position = {100, 200};
    App.HotKey = 0x0600;
    PutRawValue(Key, u"Position", RegistryTypeBinary, LE32(7));
    PutRawValue(Key, u"HotKey", RegistryTypeBinary, {0x41});
    PutRawValue(Key, u"Mute", RegistryTypeBinary, std::vector<uint8_t>(6, 0xFF));   // over-long
    App.Mute = 1;
    LoadSettings();
    EXPECT_EQ(App.Position.X, 7);
    EXPECT_EQ(App.Position.Y, 200);
    EXPECT_EQ(App.HotKey, 0x0641);
    EXPECT_EQ(App.Mute, 1);   // a failed read changes nothing, whatever it left in its buffer
}

TEST_F(SettingsStore, HistoryValuesLoadInOrderClosingGapsAndStayingTerminated)
{
    struct Case {
        const char* what;
        std::vector<std::pair<int, std::vector<uint8_t>>> values;
        std::vector<std::u16string> loaded;
    } const cases[] = {
        {"History1 missing", {{0, Utf16(u"A")}, {2, Utf16(u"C")}}, {u"A", u"C"}},
        {"only History15", {{15, Utf16(u"Last")}}, {u"Last"}},
        {"24 bytes is over-long", {{0, Utf16(u"ABCDEFGHIJK")}, {1, Utf16(u"B")}}, {u"B"}},
        {"22 bytes without terminator", {{0, Utf16(u"ABCDEFGHIJK", false)}, {1, Utf16(u"B")}}, {u"ABCDEFGHIJ", u"B"}},
        {"short value without terminator", {{0, Utf16(u"XY", false)}}, {u"XY"}},
        {"over-long value before a short one", {{0, std::vector<uint8_t>(30, 0x41)}, {1, Utf16(u"XY", false)}}, {u"XY"}},
        {"empty string still counts", {{0, Utf16(u"")}, {1, Utf16(u"B")}}, {u"", u"B"}},
        {"History16 is not ours", {{16, Utf16(u"No")}}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ResetFakePlatform();
        ResetFakeRegistry();
        // Slots full of garbage: a load must not lean on what was in them before.
        std::memset(App.History.Entries, 0x5A, sizeof App.History.Entries);
        for (const auto& v : c.values)
            PutRawValue(Key, HistoryName(v.first), RegistryTypeString, v.second);
        LoadSettings();
        EXPECT_EQ(History(), c.loaded);
        for (int i = 0; i < App.History.Count; ++i)
            EXPECT_EQ(App.History.Entries[i][HISTORY_NAME_UNITS - 1], 0) << i;
    }
}

TEST_F(SettingsStore, TheNextSaveRenumbersTheHistoryAndDeletesTheRest)
{
    PutRawValue(Key, u"History0", RegistryTypeString, Utf16(u"A"));
    PutRawValue(Key, u"History2", RegistryTypeString, Utf16(u"C"));
    LoadSettings();
    SaveSettings();
    FakeRegistryValue value;
    ASSERT_TRUE(GetRawValue(Key, u"History0", &value));
    EXPECT_EQ(value.Bytes, Utf16(u"A"));
    ASSERT_TRUE(GetRawValue(Key, u"History1", &value));
    EXPECT_EQ(value.Bytes, Utf16(u"C"));
    EXPECT_FALSE(GetRawValue(Key, u"History2", &value));
}

TEST_F(SettingsStore, AnEmptyHistoryDeletesAllSixteenValuesAndNoOthers)
{
    for (int i = 0; i <= 16; ++i)
        PutRawValue(Key, HistoryName(i), RegistryTypeString, Utf16(u"N"));
    PutRawValue(Key, u"Suspend0", RegistryTypeBinary, std::vector<uint8_t>(48, 0));
    App.History.Count = 0;
    SaveSettings();
    std::vector<std::u16string> expected = {u"History16", u"Mute", u"Position", u"Suspend0", u"TopMost"};
    std::vector<std::u16string> names = ValueNames(Key);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, expected);
}

TEST_F(SettingsStore, AnUnterminatedHistorySlotIsWrittenAsTenUnits)
{
    App.History.Count = 1;
    std::fill(std::begin(App.History.Entries[0]), std::end(App.History.Entries[0]), u'Q');
    std::fill(std::begin(App.History.Entries[1]), std::end(App.History.Entries[1]), u'R');
    SaveSettings();
    FakeRegistryValue value;
    ASSERT_TRUE(GetRawValue(Key, u"History0", &value));
    EXPECT_EQ(value.Bytes, Utf16(u"QQQQQQQQQQ"));
}

TEST_F(SettingsStore, NothingIsWrittenWhenTheKeyCannotBeCreated)
{
    FakeRegistry.CreateFails = true;
    SetHistory({u"A"});
    App.Mute = 1;
    App.Timers.Count = 1;
    App.Timers.Records[0].Remaining = 5000;
    App.RememberAtShutdown = 1;
    Fake.ModulePath = u"C:\\Tools\\timer.exe";
    SaveSettings();
    SaveHotKeySettings();
    SaveAtSessionEnd(1);
    EXPECT_TRUE(FakeRegistry.Calls.empty());
    EXPECT_FALSE(FakeKeyExists(Key));
    EXPECT_FALSE(FakeKeyExists(RunOnceKey));
}

TEST_F(SettingsStore, AnUnreadableKeyAtStartUpMeansDefaults)
{
    PutRawValue(Key, u"Mute", RegistryTypeBinary, LE32(1));
    PutRawValue(Key, u"History0", RegistryTypeString, Utf16(u"A"));
    PutRawValue(Key, u"Suspend0", RegistryTypeBinary, std::vector<uint8_t>(48, 0));
    FakeRegistry.OpenFails = true;
    LoadSettings();
    EXPECT_EQ(App.Mute, 0);
    EXPECT_EQ(App.History.Count, 0);
    EXPECT_EQ(App.Timers.Count, 0);
    EXPECT_TRUE(FakeRegistry.Calls.empty());
}

TEST_F(SettingsStore, SessionEndHandsTimersOverOnlyWhenItEndsAndRememberIsOn)
{
    struct Case {
        int sessionEnds;
        int32_t remember;
        bool handover;
    } const cases[] = {
        {0, 0, false},
        {0, 1, false},   // the end of the session was cancelled
        {1, 0, false},
        {1, 1, true},
        {2, 1, true},    // any nonzero wParam
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "sessionEnds " << c.sessionEnds << " remember " << c.remember);
        ResetFakePlatform();
        ResetFakeRegistry();
        Fake.ModulePath = u"C:\\Tools\\timer.exe";
        Fake.LocalFileTime = 130000000000000000ull;
        App.Mute = 1;
        App.RememberAtShutdown = c.remember;
        App.Timers.Count = 2;
        App.Timers.Records[0].Remaining = 60000;
        App.Timers.Records[1].Remaining = 90000;
        App.Timers.Records[1].Suspended = 1;
        SaveAtSessionEnd(c.sessionEnds);

        FakeRegistryValue value;
        ASSERT_TRUE(GetRawValue(Key, u"Mute", &value));   // the settings, always
        EXPECT_EQ(value.Bytes, LE32(1));
        EXPECT_EQ(GetRawValue(Key, u"Suspend0", &value), c.handover);
        EXPECT_EQ(GetRawValue(Key, u"Suspend1", &value), c.handover);
        EXPECT_EQ(GetRawValue(RunOnceKey, u"Korvalinde", &value), c.handover);
        EXPECT_FALSE(GetRawValue(Key, u"HotKey", &value));
        EXPECT_EQ(App.Timers.Count, 2);   // saving leaves the table alone
        EXPECT_EQ(FakeRegistry.OpenHandles, 0);
    }
}

}  // namespace
