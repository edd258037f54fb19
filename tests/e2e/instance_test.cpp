// One instance: a second start hands its arguments over; requests by text from other processes, careless or
// hostile; a full table of ten takes no more; timers handed over to the next start.
#include "driver.h"

#include <thread>

using namespace e2e;
using Instance = E2e;
using HandOver = E2e;
using Table = std::vector<std::pair<uint64_t, std::wstring>>;  // preset and name of each timer

Table Presets(const std::vector<Record>& records) {
  Table t;
  for (const auto& r : records) t.push_back({r.preset, r.Name()});
  return t;
}

// Second starts while `front`, the window or its open dialog, is the program's window in front: never a second
// window; without arguments `front` comes forward; with arguments they are added at once, in order.
void ExpectSecondStartsBringForward(const Program& app, HWND front) {
  HWND other = Decoy();
  for (const std::vector<std::wstring>& args : {std::vector<std::wstring>{}, {L"3(a)", L"0:4:0", L"5(c)"}}) {
    SCOPED_TRACE(args.size());
    Foreground(other);
    Program::Second(args);
    EXPECT_EQ(1u, Shown(0, kMainClass).size());
    // Wine leaves the system foreground empty once the second process has ended: the program's thread tells.
    Await([&] { return ThreadOf(app.main).hwndActive == front; }, L"the program's window in front");
    EXPECT_NE(other, GetForegroundWindow());
  }
}

TEST_F(Instance, ASecondStartHandsItsArgumentsOver) {
  Program app;
  app.Start();
  ExpectSecondStartsBringForward(app, app.main);
  const HWND dlg = app.Open(ID_SETTINGS, kSettings);
  ExpectSecondStartsBringForward(app, dlg);
  EXPECT_EQ(6, app.Rows()) << "added while the dialog is open";
  app.Close(dlg, IDCANCEL);
  const Table presets = Presets(SaveAndQuit(app));
  EXPECT_EQ((Table{{180000, L"a"}, {240000, L""}, {300000, L"c"}, {180000, L"a"}, {240000, L""}, {300000, L"c"}}),
            presets);
}

// A copy whose window goes away while a second start hands over to it: here a window of the class on a thread of
// the test's, hidden, that takes the first request and then goes with the second one waiting (which fails it). The
// second start waits until that copy is gone and becomes the running copy with the requests not taken, each once.
TEST_F(Instance, ASecondStartIntoAClosingCopyRunsWithWhatItDidNotTake) {
  static std::vector<std::wstring> taken;
  static auto waiting = [] {  // until a message sent from another thread waits, none handled meanwhile
    for (const ULONGLONG end = GetTickCount64() + kPatienceMs; GetTickCount64() < end; Sleep(10))
      if (HIWORD(GetQueueStatus(QS_SENDMESSAGE)) & QS_SENDMESSAGE) return;
  };
  std::thread closing([] {
    WNDCLASSW wc{};
    wc.lpfnWndProc = [](HWND w, UINT m, WPARAM wp, LPARAM lp) {
      if (m != LB_ADDFILE) return DefWindowProcW(w, m, wp, lp);
      taken.push_back(LPCWSTR(lp));
      ReplyMessage(0);  // taken; the next request then waits while the window goes
      waiting();
      DestroyWindow(w);
      return LRESULT(0);
    };
    wc.lpszClassName = kMainClass;
    RegisterClassW(&wc);
    CreateWindowExW(0, kMainClass, L"closing", 0, 0, 0, 0, 0, 0, 0, 0, 0);
    MSG msg;
    waiting();
    PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    UnregisterClassW(kMainClass, nullptr);
  });
  Await([] { return FindWindowW(kMainClass, L"closing") != nullptr; }, L"the closing copy's window");
  Program second;
  second.Start({L"3(a)", L"5(x)", L"7(y)"});
  closing.join();
  EXPECT_EQ(std::vector<std::wstring>{L"3(a)"}, taken);
  const Table presets = Presets(SaveAndQuit(second));
  EXPECT_EQ((Table{{300000, L"x"}, {420000, L"y"}}), presets);
}

// Restored timers first, then the arguments; requests by text, careless or hostile, add a timer or none.
TEST_F(Instance, RequestsByTextAddATimerOrNone) {
  Program app;
  Table expected = {{90000, L"old"}, {240000, L"arg"}, {360000, L""}};
  const std::pair<std::wstring, Table> requests[] = {  // a request, and the timer it adds
      {L"5(tea)", {{300000, L"tea"}}}, {L"(tea)", {}}, {L"", {}}, {std::wstring(100000, L'('), {}}, {L"\xD800", {}},
      {L"1(" + std::wstring(99990, L'\xDC00') + L")", {{60000, std::wstring(10, L'\xDC00')}}},
      {L"pm5:30(夕方)", {{63000000, L"夕方"}}}, {L"20", {{1200000, L""}}}, {L"0:20:0(t)", {{1200000, L"t"}}},
      {L"20(u)", {{1200000, L"u"}}}};
  const Record old = {90000, 1, 0, 90000, L"old"};
  WriteValue(L"Suspend0", REG_BINARY, &old, 48);
  app.Start({L"4(arg)", L"6"});
  app.WaitRows(3);
  for (const auto& [text, adds] : requests) {
    expected.insert(expected.end(), adds.begin(), adds.end());
    app.Request(text);
    EXPECT_EQ(int(expected.size()), app.Rows()) << text.size() << " units";
  }
  const std::vector<Record> saved = SaveAndQuit(app);
  ASSERT_EQ(expected, Presets(saved));
  EXPECT_TRUE(saved[0].suspended) << "the restored one still paused";
}

// A second start into nine timers adds its first valid request only; a full table refuses every way of adding, and
// the keys reach its tenth row (0, the keypad's 0, Alt+0). Once a row is deleted, the rows below move up and a timer
// can be added again.
TEST_F(Instance, AFullTableOfTenTakesNoMoreUntilARowGoes) {
  Program app;
  app.Start({L"20", L"4(arg)", L"6", L"20", L"20", L"20", L"20", L"20", L"20"});
  app.WaitRows(9);  // its own arguments taken before the second start's
  Program::Second({L"0(zero)", L"2(b)", L"3(c)"});
  app.WaitRows(10);
  app.WaitText(ID_ROW_TIME + 9, L"b");
  EXPECT_EQ(L"0:", app.Text(ID_ROW_LABEL + 9));
  EXPECT_FALSE(IsWindowEnabled(app.Control(ID_ADD)));
  Shot(app.main, app.main, "ten_timers");
  app.Request(L"11(eleven)");
  Program::Second({L"4(d)"});
  const LRESULT add = Send(app.main, WM_COMMAND, ID_ADD);  // answered at once: no dialog opens
  EXPECT_EQ(0, add);
  Key(app, L"a");
  Key(app, L"0");  // keys are handled in order: once 0 pauses row 10, A is done
  app.WaitText(ID_ROW_PAUSE + 9, kPaused);
  EXPECT_EQ(0u, app.Dialogs(kAdd));
  EXPECT_EQ(10, app.Rows());
  Key(app, L"KP_0");
  Key(app, L"alt+0");
  app.WaitText(ID_ROW_PAUSE + 9, kRunning);
  HWND box = app.Dialog(kDelete);
  EXPECT_EQ(DeleteQuestion(L"10", L"b"), Text(box, kBoxText));
  app.Close(box, IDCANCEL);
  EXPECT_EQ(10, app.Rows());
  Key(app, L"alt+2");
  box = app.Dialog(kDelete);
  EXPECT_EQ(DeleteQuestion(L"2", L"arg"), Text(box, kBoxText));
  EXPECT_EQ(app.main, GetWindow(box, GW_OWNER));
  Shot(app.main, box, "delete_question");
  app.Close(box, IDOK);
  app.WaitRows(9);
  app.WaitText(ID_ROW_TIME + 1, L" 0:05:", true);
  EXPECT_TRUE(IsWindowEnabled(app.Control(ID_ADD)));
}

// Tea (10 min, first) and a paused timer (last) handed over at about `at`: a running timer by its local due
// time in whole milliseconds, a paused one by its milliseconds left.
void ExpectTeaAndPaused(const std::vector<Record>& saved, uint64_t at, uint64_t paused) {
  ASSERT_LE(2u, saved.size());
  const int64_t left = int64_t(saved[0].time - at) / int64_t(kFileTimePerMs);
  // Stored by the moment it runs out: ten minutes after it started, which was after `at` and before now.
  const int64_t sinceAt = int64_t(LocalFileTimeNow() - at) / int64_t(kFileTimePerMs);
  EXPECT_GT(left, 590000);
  EXPECT_LE(left, 600000 + sinceAt);
  EXPECT_EQ((Table{{600000, L"tea"}}), Presets({saved[0]}));
  EXPECT_EQ(0u, saved[0].suspended);
  EXPECT_EQ(1u, saved.back().suspended) << "paused";
  EXPECT_LE(saved.back().time, paused);
  EXPECT_GT(saved.back().time, paused - 10000);
}

// Tea, an alarm and a paused countdown, muted: what a run hands over when it ends.
void StartTeaAlarmAndPaused(Program& app, DWORD remember) {
  SetRemembering(remember);
  app.Start({L"10(tea)", L"PM5:30", L"0:2:0"});
  app.Command(ID_ROW_PAUSE + 2);  // after its arguments, which it posts itself
  app.Command(ID_MUTE);
  app.WaitText(ID_ROW_PAUSE + 2, kPaused);
  Await([&] { return app.Check(ID_MUTE) == BST_CHECKED; }, L"muted");
  EXPECT_FALSE(ReadValue(L"Mute").exists) << "nothing saved before";
}

// S saves the settings and the timers and quits.
TEST_F(HandOver, SaveAndQuitHandsTheTimersToTheNextStart) {
  const uint64_t at = LocalFileTimeNow();
  Program app;
  StartTeaAlarmAndPaused(app, 0);
  Key(app, L"s");
  app.WaitExit();
  ExpectValue(L"Mute", REG_BINARY, {1, 0, 0, 0});
  const std::vector<Record> saved = ReadRecords();
  ASSERT_EQ(3u, saved.size());
  ExpectTeaAndPaused(saved, at, 120000);
  EXPECT_EQ(63000000u, saved[1].preset);
  EXPECT_TRUE(saved[1].clockMode);
}

// The end of the session saves the settings, and the timers only when remembering, which also registers the program
// in RunOnce. Remembering, a cancelled end keeps them too (the journal). WM_ENDSESSION is answered once all is saved.
TEST_F(HandOver, TheEndOfTheSessionHandsTheTimersOverWhenRemembering) {
  const struct { const char* how; DWORD remember; BOOL end; size_t kept; bool restartsByRunOnce; } cases[] = {
      {"end, remembering", 1, TRUE, 3, true}, {"end", 0, TRUE, 0, false}, {"cancelled", 1, FALSE, 3, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.how);
    Program app;
    ClearSettings();
    StartTeaAlarmAndPaused(app, c.remember);
    const LRESULT query = Send(app.main, WM_QUERYENDSESSION);
    const LRESULT answer = Send(app.main, WM_ENDSESSION, c.end);  // ended, or cancelled
    EXPECT_EQ(TRUE, query);
    EXPECT_EQ(0, answer);
    ExpectValue(L"Mute", REG_BINARY, {1, 0, 0, 0});
    EXPECT_EQ(c.kept, ReadRecords().size());
    EXPECT_EQ(c.restartsByRunOnce, ReadValue(L"Korvalinde", kRunOnceKey).exists);
  }
}

// Remembering, no timer is lost by a kill at any moment of the take-over, by WM_ENDSESSION from another program
// (the program counts on), or by a kill while a notice is open (it is reported again). Switched off in the
// settings, the journal goes; on, it comes back; a close discards it.
TEST_F(HandOver, NoKillOrStrayEndLosesATimer) {
  const std::wstring egg = kSay.heading + std::wstring(L"\negg");
  SetRemembering(1);
  Program app;
  app.Start({L"10(tea)", L"0:2:0"});
  app.WaitRows(2);
  app.Kill();
  app.Start({}, false);  // killed as it starts, as its window shows, once it runs
  app.Kill();
  app.Start({}, false);
  app.Find(kMainClass);
  app.Kill();
  app.Start();
  app.Kill();
  app.Start();
  EXPECT_EQ(2, app.Rows());
  app.Request(L"0:0:3(egg)");
  Send(app.main, WM_QUERYENDSESSION);  // its answers: TheEndOfTheSessionHandsTheTimersOverWhenRemembering
  Send(app.main, WM_ENDSESSION, TRUE);
  EXPECT_EQ(egg, Text(app.Dialog(kNotice), kBoxText));
  app.Kill();
  app.Start();
  HWND notice = app.Dialog(kNotice);
  EXPECT_EQ(egg, Text(notice, kBoxText));
  app.Close(notice, IDOK);
  EXPECT_EQ(2, app.Rows());
  for (bool on : {false, true}) {
    HWND dlg = app.Open(ID_SETTINGS, kSettings);
    Send(GetDlgItem(dlg, IDC_REMEMBER), BM_SETCHECK, on);
    app.Close(dlg, IDOK);
    EXPECT_EQ(on ? 2u : 0u, ReadRecords().size());
  }
  app.Quit();
  EXPECT_TRUE(ReadRecords().empty()) << "a close discards them";
}

// The real end of the Wine session (wineboot --end-session --shutdown), remembering. It ends every program of
// the session: ctest runs it last, on its own (see CMakeLists.txt).
TEST_F(HandOver, TheEndOfTheWineSession) {
  wchar_t line[] = L"wineboot --end-session --shutdown";
  STARTUPINFOW si{sizeof si};
  PROCESS_INFORMATION pi{};
  Program app;
  SetRemembering(1);
  app.Start({L"10(tea)", L"0:1:0"});
  app.WaitText(ID_ROW_TIME + 1, L" 0:0", true);
  app.Command(ID_ROW_PAUSE + 1);
  app.WaitText(ID_ROW_PAUSE + 1, kPaused);
  const uint64_t at = LocalFileTimeNow();
  const BOOL ended = CreateProcessW(nullptr, line, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi);
  ASSERT_TRUE(ended) << "wineboot runs";
  app.WaitExit();  // the program ends with the session
  ExpectTeaAndPaused(ReadRecords(), at, 60000);
  EXPECT_EQ(DWORD(REG_SZ), ReadValue(L"Korvalinde", kRunOnceKey).type);
}
