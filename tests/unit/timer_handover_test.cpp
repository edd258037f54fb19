// Timers handed over through Suspend0..9 and the RunOnce entry, checked against the raw
// 48-byte records and the local clock of the fake platform.
#include <gtest/gtest.h>
#include "fake_platform.h"
#include "fake_registry.h"
#include "settings_store.h"
#include "test_support.h"
#include "timer_handover.h"

namespace {

const std::u16string Key = u"Software\\Brelwix\\Korvalinde";
const std::u16string RunOnceKey = u"Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
const uint64_t Now = 133500000000000000ull;   // a local time in 2024 on the FILETIME scale
const uint64_t Ms = 10000;                    // FILETIME units per millisecond
const uint64_t Day = 86400000;

std::u16string Suspend(int i) { return Widen("Suspend" + std::to_string(i)); }

// A stored record, built field by field.
Bytes Stored(uint64_t preset, int32_t suspended, int32_t clock, uint64_t time, const std::u16string& name)
{
    Bytes bytes = LE(preset, 8) + LE(uint32_t(suspended), 4) + LE(uint32_t(clock), 4) + LE(time, 8) +
                  Utf16(name.substr(0, 12), false);
    bytes.resize(48);
    return bytes;
}

TimerRecord Record(uint64_t preset, uint64_t remaining, int32_t suspended, int32_t clock, const std::u16string& name)
{
    TimerRecord record = {preset, remaining, suspended, clock, {}};
    std::copy(name.begin(), name.end(), record.Name);
    return record;
}

void SetTable(const std::vector<TimerRecord>& records)
{
    App.Timers.Count = int32_t(records.size());
    std::copy(records.begin(), records.end(), App.Timers.Records);
}

void ExpectRecord(const TimerRecord& expected, const TimerRecord& actual)
{
    EXPECT_EQ(expected.Preset, actual.Preset);
    EXPECT_EQ(expected.Remaining, actual.Remaining);
    EXPECT_EQ(expected.Suspended, actual.Suspended);
    EXPECT_EQ(expected.ClockMode, actual.ClockMode);
    EXPECT_EQ(0, std::memcmp(expected.Name, actual.Name, sizeof actual.Name));   // zeros behind the name
}

class TimerHandover : public RegistryTest {
protected:
    void Reset() override
    {
        RegistryTest::Reset();
        Fake.LocalFileTime = Now;
    }
    // A new start at the local time later: memory gone, the registry kept.
    static void Restart(uint64_t later)
    {
        ResetFakePlatform();
        Fake.LocalFileTime = later;
        LoadSettings();
    }
};

TEST_F(TimerHandover, EachTimerIsStoredAs48Bytes)
{
    TimerRecord unterminated = Record(1000, 0, 0, 0, u"");
    std::fill(std::begin(unterminated.Name), std::end(unterminated.Name), u'Z');
    const struct {
        TimerRecord Record;
        Bytes Stored;
    } cases[] = {
        {Record(300000, 299750, 0, 0, u"Tea"), Stored(300000, 0, 0, Now + 299750 * Ms, u"Tea")},   // its expiry
        {Record(600000, 90000, 1, 0, u""), Stored(600000, 1, 0, 90000, u"")},                      // paused
        {Record(60000, 0, 0, 0, u"Egg"), Stored(60000, 0, 0, 0, u"Egg")},                          // expired
        {Record(61200000, 3600000, 0, 1, u"\u30e9\u30fc\u30e1\u30f3ABCDEF"),
         Stored(61200000, 0, 1, Now + 3600000 * Ms, u"\u30e9\u30fc\u30e1\u30f3ABCDEF")},
        {unterminated, Stored(1000, 0, 0, 0, u"ZZZZZZZZZZZ")},   // 11 units and a terminator
    };
    for (const auto& c : cases)
        App.Timers.Records[App.Timers.Count++] = c.Record;
    SaveTimers();
    for (const auto& c : cases) {
        int i = static_cast<int>(&c - cases);
        const FakeRegistryValue* value = RawValue(Key, Suspend(i));
        ASSERT_TRUE(value) << i;
        EXPECT_EQ(RegistryTypeBinary, value->Type);
        EXPECT_EQ(c.Stored, value->Bytes) << i;
    }
    EXPECT_EQ(5u, FakeRegistry.Keys[Key].size());
    EXPECT_EQ("create f003f", FakeRegistry.Calls[0]);
}

TEST_F(TimerHandover, RunningTimersComeBackWithTheTimeLeftByTheLocalClock)
{
    const struct {
        uint64_t Later;   // FILETIME units after the save
        uint64_t Remaining;
    } cases[] = {
        {120000 * Ms, 180000},
        {299999 * Ms, 1},
        {299999 * Ms + 5000, 1},   // half a millisecond before expiry
        {300000 * Ms, 1},
        {300001 * Ms, 1},
    };
    for (const auto& c : cases) {
        Reset();
        SetTable({Record(300000, 300000, 0, 0, u"Tea")});
        SaveTimers();
        Restart(Now + c.Later);
        ASSERT_EQ(1, App.Timers.Count);
        ExpectRecord(Record(300000, c.Remaining, 0, 0, u"Tea"), App.Timers.Records[0]);
        EXPECT_TRUE(FakeRegistry.Keys[Key].empty());
    }
}

TEST_F(TimerHandover, PausedAndExpiredTimersComeBackByTheirMilliseconds)
{
    SetTable({Record(600000, 90000, 1, 0, u"Paused"), Record(60000, 0, 0, 0, u"Done"),
              Record(61200000, 7200000, 0, 1, u"Clock")});
    SaveTimers();
    Restart(Now + 3 * Day * Ms);
    ASSERT_EQ(3, App.Timers.Count);
    ExpectRecord(Record(600000, 90000, 1, 0, u"Paused"), App.Timers.Records[0]);
    ExpectRecord(Record(60000, 0, 0, 0, u"Done"), App.Timers.Records[1]);
    ExpectRecord(Record(61200000, 1, 0, 1, u"Clock"), App.Timers.Records[2]);   // overdue
}

// Missing values leave no gap, over-long ones are skipped and kept, and what was taken up
// is deleted, so the next start restores nothing.
TEST_F(TimerHandover, ValuesAreTakenUpOnceInNameOrder)
{
    FakeRegistry.Keys[Key][u"Suspend0"] = {RegistryTypeBinary, Stored(1, 1, 0, 1, u"Long") + Bytes{0}};
    FakeRegistry.Keys[Key][u"Suspend3"] = {RegistryTypeBinary, Stored(5000, 1, 0, 4000, u"Three")};
    FakeRegistry.Keys[Key][u"Suspend7"] = {RegistryTypeBinary, Stored(7000, 1, 0, 6000, u"Seven")};
    Restart(Now);
    ASSERT_EQ(2, App.Timers.Count);
    ExpectRecord(Record(5000, 4000, 1, 0, u"Three"), App.Timers.Records[0]);
    ExpectRecord(Record(7000, 6000, 1, 0, u"Seven"), App.Timers.Records[1]);
    EXPECT_EQ(1u, FakeRegistry.Keys[Key].count(u"Suspend0"));
    EXPECT_EQ(1u, FakeRegistry.Keys[Key].size());
    Restart(Now);
    EXPECT_EQ(0, App.Timers.Count);
}

// A cancelled session end saved five timers, the save-and-quit then three: five come back.
TEST_F(TimerHandover, ALaterSaveOfFewerTimersLeavesTheEarlierTail)
{
    std::vector<TimerRecord> five, three;
    for (int i = 0; i < 5; ++i)
        five.push_back(Record(1000 + i, 1000 + i, 1, 0, u"First"));
    for (int i = 0; i < 3; ++i)
        three.push_back(Record(50000 + i, 40000 + i, 1, 0, u"Second"));
    SetTable(five);
    SaveTimers();
    SetTable(three);
    SaveTimers();
    Restart(Now);
    ASSERT_EQ(5, App.Timers.Count);
    for (int i = 0; i < 5; ++i)
        ExpectRecord(i < 3 ? three[i] : five[i], App.Timers.Records[i]);
}

// Records not written by this program, or edited by hand, come back as states the program
// itself makes. Suspend0 carries a full name and time, so leftovers of it would show.
TEST_F(TimerHandover, OddStoredRecordsAreNormalised)
{
    Bytes shortValue = Stored(2000, 1, 0, 1500, u"");
    shortValue.resize(24);
    Bytes noTime = Stored(3000, 0, 0, 0, u"");
    noTime.resize(16);
    const struct {
        Bytes Stored;
        TimerRecord Expected;
    } cases[] = {
        {Stored(600000, 7, 0, 5000, u"A"), Record(600000, 5000, 1, 0, u"A")},
        {Stored(3600000, 0, 5, Now + 60000 * Ms, u""), Record(3600000, 60000, 0, 1, u"")},
        {Stored(3 * Day + 5000, 0, 1, Now + 60000 * Ms, u""), Record(5000, 60000, 0, 1, u"")},
        {Stored(61200000, 1, 1, 45000, u"C"), Record(61200000, 45000, 0, 1, u"C")},   // a clock timer runs
        {Stored(60000, 1, 0, 0, u""), Record(60000, 0, 0, 0, u"")},                   // paused, nothing left
        {Stored(1000, 1, 0, 1000, u"ABCDEFGHIJKL"), Record(1000, 1000, 1, 0, u"ABCDEFGHIJ")},
        {shortValue, Record(2000, 1500, 1, 0, u"")},
        {noTime, Record(3000, 0, 0, 0, u"")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "row " << &c - cases);
        ResetFakeRegistry();
        FakeRegistry.Keys[Key][u"Suspend0"] = {RegistryTypeBinary, Stored(~0ull, 1, 0, ~0ull, u"LEFTOVERXYZ")};
        FakeRegistry.Keys[Key][u"Suspend1"] = {RegistryTypeBinary, c.Stored};
        Restart(Now);
        ASSERT_EQ(2, App.Timers.Count);
        ExpectRecord(c.Expected, App.Timers.Records[1]);
    }
}

TEST_F(TimerHandover, RestoringNeverRunsPastTheTenthRecord)
{
    for (int i = 0; i < 5; ++i)
        FakeRegistry.Keys[Key][Suspend(i)] = {RegistryTypeBinary, Stored(900 + i, 1, 0, 800 + i, u"New")};
    SetTable(std::vector<TimerRecord>(8, Record(100, 100, 1, 0, u"Old")));
    RegistryKey key = nullptr;
    ASSERT_EQ(1, RegistryOpenKey(Key.c_str(), RegistryAllAccess, &key));
    RestoreTimers(key);
    RegistryCloseKey(key);
    ASSERT_EQ(MAX_TIMERS, App.Timers.Count);
    ExpectRecord(Record(100, 100, 1, 0, u"Old"), App.Timers.Records[7]);
    ExpectRecord(Record(900, 800, 1, 0, u"New"), App.Timers.Records[8]);
    ExpectRecord(Record(901, 801, 1, 0, u"New"), App.Timers.Records[9]);
    EXPECT_EQ(3u, FakeRegistry.Keys[Key].size());   // Suspend2..4 stay for a later start
}

TEST_F(TimerHandover, RunOnceHoldsTheQuotedProgramPath)
{
    const std::u16string longest = u"C:\\" + std::u16string(250, u'd') + u"\\k.exe";   // 259 units
    const std::u16string tooLong = u"C:\\" + std::u16string(300, u'd');
    const struct {
        std::u16string Path, Data;
    } cases[] = {
        {u"C:\\Tools\\timer.exe", u"\"C:\\Tools\\timer.exe\""},   // 20 units: 42 bytes
        {longest, u"\"" + longest + u"\""},
        {tooLong, u"\"" + tooLong.substr(0, 259) + u"\""},
        {u"", u""},                                               // no module path: nothing
    };
    for (const auto& c : cases) {
        Reset();
        Fake.ModulePath = c.Path;
        RegisterRunOnce();
        const FakeRegistryValue* value = RawValue(RunOnceKey, u"Korvalinde");
        ASSERT_EQ(!c.Data.empty(), value != nullptr);
        if (value) {
            EXPECT_EQ(RegistryTypeString, value->Type);
            EXPECT_EQ(Utf16(c.Data), value->Bytes);
        }
        EXPECT_EQ(value ? 1u : 0u, FakeRegistry.Keys.size());   // nothing under the settings key
    }
}

}  // namespace
