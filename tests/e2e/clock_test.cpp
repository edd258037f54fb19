// Alarms and the wall clock: the program runs under libfaketime (the ctest test sets it up for this test program
// and the programs it starts), whose offset this test writes to FAKETIME_TIMESTAMP_FILE to set the clock.
#include "driver.h"

using namespace e2e;
using Clock = E2e;

// Sets the wall clock of every faked program the given number of seconds off the real one. The file is replaced
// whole: libfaketime reads it at every clock call, and a half-written one would end the reading program.
void SetClockOffset(int seconds) {
  wchar_t file[MAX_PATH] = L"Z:";
  const bool named = GetEnvironmentVariableW(L"FAKETIME_TIMESTAMP_FILE", file + 2, MAX_PATH - 2) != 0;
  ASSERT_TRUE(named) << "FAKETIME_TIMESTAMP_FILE";
  const std::wstring next = std::wstring(file) + L".next";
  FILE* out = _wfopen(next.c_str(), L"w");
  ASSERT_NE(nullptr, out) << testing::PrintToString(next);
  fprintf(out, "%+d\n", seconds);
  fclose(out);
  const BOOL replaced = MoveFileExW(next.c_str(), file, MOVEFILE_REPLACE_EXISTING);
  ASSERT_TRUE(replaced) << GetLastError();
}

// An alarm goes off when the wall clock shows its time: set forward past the alarm, the clock makes it go off at
// once; set back, the alarm waits for its time again. A countdown beside it keeps to the time it was given, so the
// first notice tells which came first. Windows resuming from sleep ticks at once.
TEST_F(Clock, AnAlarmGoesOffWhenTheWallClockShowsItsTime) {
  const struct { int alarmIn, jump; const wchar_t* countdown; std::wstring notice; } cases[] = {
      {600, 3600, L"0:2:0(egg)", kSay.heading + std::wstring(L"\nalarm")},
      {20, -3600, L"0:0:25(egg)", kSay.heading + std::wstring(L"\negg")}};
  for (const auto& c : cases) {
    SetClockOffset(0);
    Program app;
    app.Start();
    SYSTEMTIME now;
    GetLocalTime(&now);
    const int at = ((now.wHour * 60 + now.wMinute) * 60 + now.wSecond + c.alarmIn) % 86400;
    wchar_t alarm[32];
    swprintf(alarm, 32, L"A%d:%d:%d(alarm)", at / 3600, at / 60 % 60, at % 60);
    app.Request(alarm);
    app.Request(c.countdown);
    SetClockOffset(c.jump);
    PostMessageW(app.main, WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 0);
    const bool shown = WaitFor([&] { return app.Dialogs(kNotice) != 0; }, 180000);
    ASSERT_TRUE(shown) << c.jump;
    const HWND notice = app.Dialog(kNotice);
    EXPECT_EQ(c.notice, Text(notice, kBoxText)) << c.jump;
    app.Kill();
  }
  SetClockOffset(0);
}
