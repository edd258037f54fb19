// Timers surviving a quit: save-and-quit writes Suspend0.., the next start takes them back.
#include "scenario_common.h"

using namespace e2e;

// Milliseconds from the local time now to the next 17:30:00.
static int64_t MsUntil1730() {
  SYSTEMTIME st;
  GetLocalTime(&st);
  int64_t now = ((st.wHour * 60 + st.wMinute) * 60 + st.wSecond) * 1000LL + st.wMilliseconds;
  int64_t target = (17 * 60 + 30) * 60000LL;
  return target > now ? target - now : target + 86400000 - now;
}

E2E_SCENARIO(save_and_quit) {
  uint64_t savedAt = 0;
  {
    App app;
    START(app);
    ADD_TIMER(app, L"10(tea)", 1);
    ADD_TIMER(app, L"PM5:30", 2);
    ADD_TIMER(app, L"0:2:0", 3);
    PauseAfterTick(app, 2);
    Pause(300);
    savedAt = LocalFileTimeNow();
    app.Key('S');
    DWORD code = 1234;
    REQUIRE(app.WaitExit(5000, &code), "S saves the timers and ends the program");
    CHECK_EQ(code, 0);
  }
  CHECK(ReadValue(L"Position").exists && ReadValue(L"Mute").exists && ReadValue(L"TopMost").exists,
        "the window settings are saved too");
  std::vector<Record> saved = HandedOver();
  REQUIRE(saved.size() == 3, Printf("three timers handed over (%zu)", saved.size()));
  // Running timers are stored by their local due time, a paused one by its milliseconds left.
  const int64_t teaLeft = (int64_t)(saved[0].time - savedAt) / (int64_t)kFileTimePerMs;
  const int64_t clockLeft = (int64_t)(saved[1].time - savedAt) / (int64_t)kFileTimePerMs;
  const struct { uint64_t preset; int suspended, clockMode; const wchar_t* name; bool timeOk; } expected[] = {
      {600000, 0, 0, L"tea", teaLeft > 590000 && teaLeft <= 600500 && saved[0].time % kFileTimePerMs == 0},
      {(17 * 60 + 30) * 60000ULL, 0, 1, L"", clockLeft > MsUntil1730() - 10000 && clockLeft < MsUntil1730() + 2000},
      {120000, 1, 0, L"", saved[2].time > 110000 && saved[2].time <= 120000}};
  for (int i = 0; i < 3; ++i) {
    const auto& e = expected[i];
    const Record& r = saved[i];
    CHECK(r.preset == e.preset && r.suspended == e.suspended && r.clockMode == e.clockMode && r.name == e.name,
          Printf("record %d: preset %llu, paused %d, clock %d, name ", i, (unsigned long long)r.preset, r.suspended,
                 r.clockMode) + Q(r.name));
    CHECK(e.timeOk, Printf("record %d: time field %llu", i, (unsigned long long)r.time));
  }

  // One more that ran out while the program was away: reported at once on the next start.
  WriteRecord(4, {120000, 0, 0, LocalFileTimeNow() - 60000 * kFileTimePerMs, L""});
  App app;
  START(app);
  HWND notice = app.WaitDialog(kNoticeCaption, 2000);
  REQUIRE(notice, "the timer that ran out meanwhile is reported at once");
  CHECK_TEXT(MessageBoxText(notice), L"時間です\n 0:02:00");
  CHECK_EQ(app.RowCount(), 4);
  for (int i : {0, 1, 2, 4}) CHECK(!ReadValue(SuspendName(i).c_str()).exists, Printf("Suspend%d taken up", i));
  PressDialogButton(notice, IDOK);
  REQUIRE_ROWS(app, 3);
  CHECK(WaitText(app, ID_ROW_TIME, L"tea"), "row 1 is tea");
  CHECK(WaitPrefix(app, ID_ROW_TIME, L" 0:09"), "tea has a little under ten minutes left: " + Q(app.Text(ID_ROW_TIME)));
  CHECK(WaitText(app, ID_ROW_TIME + 1, L"PM 5:30:00"), "row 2 is the clock timer");
  CHECK(!app.Enabled(ID_ROW_PAUSE + 1), "the clock timer's button is greyed");
  CHECK_TEXT(app.Text(ID_ROW_PAUSE + 2), kPausedMark);
  const std::wstring paused = app.Text(ID_ROW_TIME + 2);
  CHECK(paused == L" 0:01:59" || paused == L" 0:02:00" || paused == L" 0:01:58", "row 3 is paused at " + Q(paused));
  CHECK(TextFrozen(app, ID_ROW_TIME + 2, 1200), "and stands still");
  REQUIRE(app.Close(), "closes");
  CHECK(!ReadValue(L"Suspend0").exists, "a plain close hands nothing over");
}
