// The settings store and the timer hand-over on the real advapi32 registry, with what it returns for values
// the program never writes itself. What the program writes is checked byte by byte end to end; the detailed
// cases are native unit tests.
#include "win32_test_support.h"  // windows.h first

#include "app_state.h"
#include "platform.h"
#include "settings_store.h"
#include "timer_handover.h"

using namespace kvtest;

TEST(RegistryStore, TakesUpTimersOnceAndReadsValuesOfOtherFormsByTheirBytes) {
  const DWORD one = 1;
  const uint64_t overLong[7] = {}, start = (ClearSettings(), LocalFileTimeNow());
  const TimerTable saved = {
      {{300000, 300000, 0, 0, u"\u30e9\u30fc\u30e1\u30f3"}, {600000, 90000, 1, 0, {}}, {61200000, 0, 0, 1, {}}}, 3};
  App.Timers = saved;
  SaveTimers(), memset(static_cast<void*>(&App), 0, sizeof App);
  WriteValue(L"Mute", REG_DWORD, &one, 4);              // the type is not examined
  WriteValue(L"Position", REG_BINARY, &one, 4);         // x only
  WriteValue(L"History0", REG_SZ, L"ABCDEFGHIJK", 22);  // no terminator: Windows hands it over (the store keeps
  WriteValue(L"History1", REG_SZ, L"ABCDEFGHIJK", 24);  // 10 units), Wine fails the read; over-long: skipped
  WriteValue(L"History2", REG_SZ, L"Z", 4), WriteValue(L"Suspend5", REG_BINARY, overLong, 49), LoadSettings();
  const uint64_t left = App.Timers.Records[0].Remaining, loaded = LocalFileTimeNow();
  const std::vector<std::u16string> names(App.History.Entries, App.History.Entries + App.History.Count);
  EXPECT_TRUE(App.Mute == 1 && App.Position.X == 1 && !App.Position.Y);
  EXPECT_TRUE(names == std::vector<std::u16string>{u"Z"} ||
              names == (std::vector<std::u16string>{u"ABCDEFGHIJ", u"Z"}));
  ASSERT_EQ(3, App.Timers.Count);
  EXPECT_TRUE(left <= 300000 && left + (loaded - start) / kFileTimePerMs >= 300000) << "by its due time: " << left;
  for (int i = 0; i < 3; ++i) {  // all else as it was
    TimerRecord expected = saved.Records[i];
    expected.Remaining = i == 0 ? left : i == 2 ? 1 : expected.Remaining;  // stored expired: due at the first tick
    EXPECT_EQ(0, memcmp(&expected, &App.Timers.Records[i], sizeof expected)) << i;
  }
  memset(static_cast<void*>(&App), 0, sizeof App), LoadSettings();
  EXPECT_TRUE(!App.Timers.Count && ReadValue(L"Suspend5").exists) << "taken up once; an over-long record is kept";
  ClearSettings();
}
