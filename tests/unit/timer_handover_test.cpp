// Timers handed over through Suspend0..9 and the RunOnce entry, checked against the raw
// 48-byte records and the local clock of the fake platform.
#include <gtest/gtest.h>
#include <algorithm>
#include <cstring>
#include <iterator>
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
const uint64_t Now = 133500000000000000ull;   // some local time in 2024, whole milliseconds
const uint64_t Ms = 10000;                    // FILETIME units per millisecond
const uint64_t Day = 86400000;

std::u16string SuspendName(int i)
{
    std::string name = "Suspend" + std::to_string(i);
    return std::u16string(name.begin(), name.end());
}

// A stored record built field by field, independently of the store's own encoder.
std::vector<uint8_t> Stored(uint64_t preset, int32_t suspended, int32_t clockMode, uint64_t time,
                            const std::u16string& name)
{
    std::vector<uint8_t> bytes(48, 0);
    for (int i = 0; i < 8; ++i) {
        bytes[0 + i] = uint8_t(preset >> (8 * i));
        bytes[16 + i] = uint8_t(time >> (8 * i));
    }
    for (int i = 0; i < 4; ++i) {
        bytes[8 + i] = uint8_t(uint32_t(suspended) >> (8 * i));
        bytes[12 + i] = uint8_t(uint32_t(clockMode) >> (8 * i));
    }
    for (size_t u = 0; u < name.size() && u < 12; ++u) {
        bytes[24 + 2 * u] = uint8_t(name[u]);
        bytes[25 + 2 * u] = uint8_t(name[u] >> 8);
    }
    return bytes;
}

TimerRecord Record(uint64_t preset, uint64_t remaining, int32_t suspended, int32_t clockMode,
                   const std::u16string& name)
{
    TimerRecord record;
    std::memset(&record, 0, sizeof record);
    record.Preset = preset;
    record.Remaining = remaining;
    record.Suspended = suspended;
    record.ClockMode = clockMode;
    std::copy(name.begin(), name.end(), record.Name);
    return record;
}

void SetTable(const std::vector<TimerRecord>& records)
{
    App.Timers.Count = int32_t(records.size());
    for (size_t i = 0; i < records.size(); ++i)
        App.Timers.Records[i] = records[i];
}

void ExpectRecord(const TimerRecord& actual, const TimerRecord& expected)
{
    EXPECT_EQ(actual.Preset, expected.Preset);
    EXPECT_EQ(actual.Remaining, expected.Remaining);
    EXPECT_EQ(actual.Suspended, expected.Suspended);
    EXPECT_EQ(actual.ClockMode, expected.ClockMode);
    // The whole field: the name and zeros behind it.
    EXPECT_EQ(0, std::memcmp(actual.Name, expected.Name, sizeof actual.Name))
        << "name " << std::string(actual.Name, actual.Name + 12).c_str();
}

class TimerHandover : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetFakePlatform();
        ResetFakeRegistry();
        Fake.LocalFileTime = Now;
    }
    void TearDown() override { EXPECT_EQ(FakeRegistry.OpenHandles, 0); }

    // A new start: everything in memory gone, the registry kept, the clock where the test put it.
    void Restart()
    {
        uint64_t clock = Fake.LocalFileTime;
        ResetFakePlatform();
        Fake.LocalFileTime = clock;
        LoadSettings();
    }
};

TEST_F(TimerHandover, EachTimerIsStoredAsA48ByteRecordOfItsOwnLayout)
{
    const std::u16string ramen = u"\u30e9\u30fc\u30e1\u30f3";
    struct Case {
        const char* what;
        TimerRecord record;
        std::vector<uint8_t> stored;
    } const cases[] = {
        {"running countdown: expiry on the local clock", Record(300000, 299750, 0, 0, u"Tea"),
         Stored(300000, 0, 0, Now + 299750 * Ms, u"Tea")},
        {"paused countdown: its milliseconds", Record(600000, 90000, 1, 0, u""), Stored(600000, 1, 0, 90000, u"")},
        {"expired: zero", Record(60000, 0, 0, 0, u"Egg"), Stored(60000, 0, 0, 0, u"Egg")},
        {"clock timer: like a running countdown", Record(61200000, 3600000, 0, 1, ramen),
         Stored(61200000, 0, 1, Now + 3600000 * Ms, ramen)},
        {"ten-unit name", Record(1000, 1000, 0, 0, u"ABCDEFGHIJ"), Stored(1000, 0, 0, Now + 1000 * Ms, u"ABCDEFGHIJ")},
    };
    std::vector<TimerRecord> table;
    for (const Case& c : cases)
        table.push_back(c.record);
    SetTable(table);
    SaveTimers();

    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(cases[i].what);
        FakeRegistryValue value;
        ASSERT_TRUE(GetRawValue(Key, SuspendName(int(i)), &value));
        EXPECT_EQ(value.Type, RegistryTypeBinary);
        EXPECT_EQ(value.Bytes, cases[i].stored);
    }
    EXPECT_EQ(ValueNames(Key).size(), std::size(cases));
    EXPECT_EQ(App.Timers.Count, int32_t(std::size(cases)));   // the table is left as it was
    ASSERT_EQ(FakeRegistry.Accesses.size(), 1u);
    EXPECT_EQ(FakeRegistry.Accesses[0], RegistryAllAccess);
}

TEST_F(TimerHandover, NoTimersWriteNothing)
{
    SaveTimers();
    EXPECT_TRUE(SetCalls().empty());
}

TEST_F(TimerHandover, AnUnterminatedNameIsStoredWithinItsField)
{
    TimerRecord record = Record(1000, 0, 0, 0, u"");
    std::fill(std::begin(record.Name), std::end(record.Name), u'Z');
    SetTable({record});
    SaveTimers();
    FakeRegistryValue value;
    ASSERT_TRUE(GetRawValue(Key, u"Suspend0", &value));
    EXPECT_EQ(value.Bytes, Stored(1000, 0, 0, 0, u"ZZZZZZZZZZZ"));   // 11 units and a terminator
}

TEST_F(TimerHandover, RunningTimersComeBackWithTheTimeLeftByTheLocalClock)
{
    struct Case {
        const char* what;
        uint64_t remaining;
        uint64_t laterMs;        // how much later the program starts again
        uint64_t extraUnits;     // sub-millisecond offset of the restart
        uint64_t expected;
    } const cases[] = {
        {"120000 ms later", 300000, 120000, 0, 180000},
        {"1 ms before expiry", 300000, 299999, 0, 1},
        {"exactly at expiry", 300000, 300000, 0, 1},
        {"1 ms after expiry", 300000, 300001, 0, 1},
        {"a day after expiry", 300000, Day, 0, 1},
        {"half a millisecond before expiry", 300000, 299999, 5000, 1},
        {"at once", 5000, 0, 0, 5000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ResetFakePlatform();
        ResetFakeRegistry();
        Fake.LocalFileTime = Now;
        SetTable({Record(300000, c.remaining, 0, 0, u"Tea")});
        SaveTimers();
        Fake.LocalFileTime = Now + c.laterMs * Ms + c.extraUnits;
        Restart();
        ASSERT_EQ(App.Timers.Count, 1);
        ExpectRecord(App.Timers.Records[0], Record(300000, c.expected, 0, 0, u"Tea"));
        EXPECT_TRUE(ValueNames(Key).empty());   // taken up once
    }
}

TEST_F(TimerHandover, PausedAndExpiredTimersComeBackByTheirMilliseconds)
{
    SetTable({Record(600000, 90000, 1, 0, u"Paused"), Record(60000, 0, 0, 0, u"Done"),
              Record(61200000, 7200000, 0, 1, u"Clock")});
    SaveTimers();
    Fake.LocalFileTime = Now + 3 * Day * Ms;   // three days away
    Restart();
    ASSERT_EQ(App.Timers.Count, 3);
    ExpectRecord(App.Timers.Records[0], Record(600000, 90000, 1, 0, u"Paused"));
    ExpectRecord(App.Timers.Records[1], Record(60000, 0, 0, 0, u"Done"));
    ExpectRecord(App.Timers.Records[2], Record(61200000, 1, 0, 1, u"Clock"));   // overdue
}

TEST_F(TimerHandover, ValuesAreTakenUpInNameOrderWhereverTheGapsAre)
{
    PutRawValue(Key, u"Suspend3", RegistryTypeBinary, Stored(5000, 1, 0, 4000, u"Three"));
    PutRawValue(Key, u"Suspend7", RegistryTypeBinary, Stored(7000, 1, 0, 6000, u"Seven"));
    Restart();
    ASSERT_EQ(App.Timers.Count, 2);
    ExpectRecord(App.Timers.Records[0], Record(5000, 4000, 1, 0, u"Three"));
    ExpectRecord(App.Timers.Records[1], Record(7000, 6000, 1, 0, u"Seven"));
    EXPECT_TRUE(ValueNames(Key).empty());

    Restart();   // a second start finds nothing more
    EXPECT_EQ(App.Timers.Count, 0);
}

TEST_F(TimerHandover, AnOverLongValueIsSkippedAndKept)
{
    std::vector<uint8_t> overLong = Stored(5000, 1, 0, 4000, u"Long");
    overLong.push_back(0);
    PutRawValue(Key, u"Suspend0", RegistryTypeBinary, overLong);
    PutRawValue(Key, u"Suspend1", RegistryTypeBinary, Stored(6000, 1, 0, 3000, u"Fits"));
    PutRawValue(Key, u"Suspend10", RegistryTypeBinary, Stored(6000, 1, 0, 3000, u"NotOurs"));
    Restart();
    ASSERT_EQ(App.Timers.Count, 1);
    ExpectRecord(App.Timers.Records[0], Record(6000, 3000, 1, 0, u"Fits"));
    FakeRegistryValue value;
    ASSERT_TRUE(GetRawValue(Key, u"Suspend0", &value));
    EXPECT_EQ(value.Bytes, overLong);
    EXPECT_FALSE(GetRawValue(Key, u"Suspend1", &value));
    EXPECT_TRUE(GetRawValue(Key, u"Suspend10", &value));
}

TEST_F(TimerHandover, ALaterSaveOfFewerTimersLeavesTheEarlierTail)
{
    std::vector<TimerRecord> five, three;
    for (int i = 0; i < 5; ++i)
        five.push_back(Record(1000 * (i + 1), 1000 * (i + 1), 1, 0, u"First"));
    for (int i = 0; i < 3; ++i)
        three.push_back(Record(50000 + i, 40000 + i, 1, 0, u"Second"));
    SetTable(five);
    SaveTimers();
    SetTable(three);
    SaveTimers();

    std::vector<std::u16string> names = ValueNames(Key);
    EXPECT_EQ(names, (std::vector<std::u16string>{u"Suspend0", u"Suspend1", u"Suspend2", u"Suspend3", u"Suspend4"}));
    Restart();
    ASSERT_EQ(App.Timers.Count, 5);
    for (int i = 0; i < 3; ++i)
        ExpectRecord(App.Timers.Records[i], three[i]);
    ExpectRecord(App.Timers.Records[3], five[3]);
    ExpectRecord(App.Timers.Records[4], five[4]);
}

// Values not written by this program's current version, or edited by hand.
TEST_F(TimerHandover, OddStoredRecordsComeBackAsStatesTheProgramCanHandle)
{
    std::vector<uint8_t> twelveUnits = Stored(1000, 1, 0, 1000, u"ABCDEFGHIJKL");
    std::vector<uint8_t> shortValue = Stored(2000, 1, 0, 1500, u"");
    shortValue.resize(24);   // no name at all
    std::vector<uint8_t> noTime = Stored(3000, 0, 0, 0, u"");
    noTime.resize(16);       // the time field missing: read as zero, expired
    struct Case {
        const char* what;
        std::vector<uint8_t> stored;
        TimerRecord expected;
    } const cases[] = {
        {"Suspended other than 0 or 1 is paused", Stored(600000, 7, 0, 5000, u"A"), Record(600000, 5000, 1, 0, u"A")},
        {"negative Suspended is paused", Stored(600000, -1, 0, 5000, u"A"), Record(600000, 5000, 1, 0, u"A")},
        {"ClockMode other than 0 or 1 is a clock timer", Stored(3600000, 0, 5, Now + 60000 * Ms, u""),
         Record(3600000, 60000, 0, 1, u"")},
        {"clock Preset of a day or more is taken within the day", Stored(3 * Day + 5000, 0, 1, Now + 60000 * Ms, u""),
         Record(5000, 60000, 0, 1, u"")},
        {"clock Preset of exactly a day is midnight", Stored(Day, 0, 1, Now + 1000 * Ms, u""), Record(0, 1000, 0, 1, u"")},
        {"a paused clock timer comes back running", Stored(61200000, 1, 1, 45000, u"C"), Record(61200000, 45000, 0, 1, u"C")},
        {"paused with nothing left comes back expired", Stored(60000, 1, 0, 0, u""), Record(60000, 0, 0, 0, u"")},
        {"a name of 12 units without terminator is cut to 10", twelveUnits, Record(1000, 1000, 1, 0, u"ABCDEFGHIJ")},
        {"a 24-byte value has no name", shortValue, Record(2000, 1500, 1, 0, u"")},
        {"a 16-byte value has no time", noTime, Record(3000, 0, 0, 0, u"")},
        {"an expiry half a millisecond ahead is 1 ms", Stored(9000, 0, 0, Now + 5000, u""), Record(9000, 1, 0, 0, u"")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ResetFakeRegistry();
        // Suspend0 carries a full name and time, so leftovers of it would show in Suspend1.
        PutRawValue(Key, u"Suspend0", RegistryTypeBinary, Stored(~0ull, 1, 0, ~0ull, u"LEFTOVERXYZ"));
        PutRawValue(Key, u"Suspend1", RegistryTypeBinary, c.stored);
        Fake.LocalFileTime = Now;
        Restart();
        ASSERT_EQ(App.Timers.Count, 2);
        ExpectRecord(App.Timers.Records[1], c.expected);
    }
}

TEST_F(TimerHandover, RestoringNeverRunsPastTheTenthRecord)
{
    std::vector<TimerRecord> eight;
    for (int i = 0; i < 8; ++i)
        eight.push_back(Record(100 + i, 100 + i, 1, 0, u"Old"));
    for (int i = 0; i < 5; ++i)
        PutRawValue(Key, SuspendName(i), RegistryTypeBinary, Stored(900 + i, 1, 0, 800 + i, u"New"));
    SetTable(eight);
    App.Timers.Records[8] = Record(1, 1, 0, 0, u"");   // beyond Count: free to be overwritten
    RegistryKey key = nullptr;
    ASSERT_EQ(RegistryOpenKey(Key.c_str(), RegistryAllAccess, &key), 1);
    RestoreTimers(key);
    RegistryCloseKey(key);
    ASSERT_EQ(App.Timers.Count, MAX_TIMERS);
    ExpectRecord(App.Timers.Records[7], eight[7]);
    ExpectRecord(App.Timers.Records[8], Record(900, 800, 1, 0, u"New"));
    ExpectRecord(App.Timers.Records[9], Record(901, 801, 1, 0, u"New"));
    // What did not fit stays for a later start.
    EXPECT_EQ(ValueNames(Key), (std::vector<std::u16string>{u"Suspend2", u"Suspend3", u"Suspend4"}));
}

TEST_F(TimerHandover, RunOnceHoldsTheQuotedProgramPath)
{
    std::u16string longPath = u"C:\\" + std::u16string(250, u'd') + u"\\k.exe";   // 259 units
    std::u16string tooLong = u"C:\\" + std::u16string(300, u'd');
    struct Case {
        const char* what;
        std::u16string path;
        bool fails;
        bool written;
        std::u16string data;
        size_t bytes;
    } const cases[] = {
        {"the example path", u"C:\\Tools\\timer.exe", false, true, u"\"C:\\Tools\\timer.exe\"", 42},
        {"a path with spaces and Japanese", u"D:\\My Apps\\\u30bf\u30a4\u30de\u30fc.exe", false, true,
         u"\"D:\\My Apps\\\u30bf\u30a4\u30de\u30fc.exe\"", 44},
        {"the longest path that fits", longPath, false, true, u"\"" + longPath + u"\"", 524},
        {"a path cut to 259 units", tooLong, false, true, u"\"" + tooLong.substr(0, 259) + u"\"", 524},
        {"no module path", u"", true, false, u"", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ResetFakePlatform();
        ResetFakeRegistry();
        Fake.ModulePath = c.path;
        Fake.ModuleFileNameFails = c.fails;
        RegisterRunOnce();
        FakeRegistryValue value;
        ASSERT_EQ(GetRawValue(RunOnceKey, u"Korvalinde", &value), c.written);
        if (!c.written)
            continue;
        EXPECT_EQ(value.Type, RegistryTypeString);
        ASSERT_EQ(value.Bytes.size(), c.bytes);
        std::u16string data;
        for (size_t i = 0; i + 1 < value.Bytes.size(); i += 2)
            data += char16_t(value.Bytes[i] | (value.Bytes[i + 1] << 8));
        EXPECT_EQ(data, c.data + std::u16string(1, u'\0'));
        EXPECT_EQ(ValueNames(RunOnceKey).size(), 1u);
        EXPECT_FALSE(FakeKeyExists(Key));   // nothing under the settings key
    }
}

TEST_F(TimerHandover, NothingIsWrittenWhenTheKeysCannotBeCreated)
{
    FakeRegistry.CreateFails = true;
    Fake.ModulePath = u"C:\\Tools\\timer.exe";
    SetTable({Record(1000, 1000, 0, 0, u"")});
    SaveTimers();
    RegisterRunOnce();
    EXPECT_TRUE(FakeRegistry.Calls.empty());
    EXPECT_FALSE(FakeKeyExists(Key));
    EXPECT_FALSE(FakeKeyExists(RunOnceKey));
}

}  // namespace
