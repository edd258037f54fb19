// Timers running out: the red row and the notice, notices combined and replaced, mute, and no ticks while a
// dialog of the window is open.
#include "driver.h"

using namespace e2e;
using Notice = E2e;

bool Red(App& app, const std::vector<bool>& red) {
  return WaitFor([&] { return Bands(app.main, red).empty(); });
}

TEST_F(Notice, ACountdownRunsOutWithARedRowAndTheNotice) {
  App app;
  HWND other = Decoy();  // the user works in another window meanwhile
  ASSERT_TRUE(app.Start() && Foreground(other) && app.Request(L"0:0:4") && app.Request(L"0:10(pot)"));
  ASSERT_TRUE(app.WaitText(ID_ROW_TIME, L" 0:00:01")) << "rounded up: 1 s in the last second";
  HWND notice = app.Dialog(kNotice);
  EXPECT_EQ(L" 0:00:04", app.Text(ID_ROW_TIME)) << "the label of the expired timer";
  EXPECT_TRUE(Text(notice, kBoxText) == L"時間です\n 0:00:04" && app.Dialogs(kNotice) == 1 &&
              GetWindow(notice, GW_OWNER) == app.main && !IsWindowEnabled(app.main) && Red(app, {true}));
  EXPECT_TRUE(WaitFor([&] { return GetForegroundWindow() == notice || GetForegroundWindow() == app.main; }));
  Shot(app.main, app.main, "expired_row"), Shot(app.main, notice, "notice"), Shot(app.main, 0, "notice_screen");
  ASSERT_TRUE(app.Close(notice, IDOK) && app.WaitRows(1) && IsWindowEnabled(app.main) && Red(app, {}));
}

// Timers running out in one tick share a notice; one running out while it is open replaces it with one that
// lists all. The ticks go on meanwhile.
TEST_F(Notice, TimersRunningOutTogetherOrMeanwhileShareOneNotice) {
  App app;
  std::vector<HWND> shown;
  ASSERT_TRUE(app.Start({L"0:0:2(一)", L"0:0:2(二)", L"0:0:5(三)", L"0:5:0(stay)"}));
  // Started a few tens of milliseconds apart, the two may straddle a tick: then the notice for the first is
  // replaced at once by one for both.
  HWND first = nullptr;
  EXPECT_TRUE(WaitFor([&] { return Text(first = app.Dialog(kNotice), kBoxText) == L"時間です\n一\n二"; }) &&
              Red(app, {true, true}));
  EXPECT_TRUE(app.WaitText(ID_ROW_TIME + 3, L"stay") && app.WaitText(ID_ROW_TIME + 3, L" 0:04:", true))
      << "ticks go on";
  size_t most = 0;  // notices open at once
  WaitFor(
      [&] {
        most = std::max(most, (shown = Shown(app.pi.dwProcessId, L"#32770", kNotice)).size());
        return shown.size() == 1 && Text(shown[0], kBoxText) == L"時間です\n一\n二\n三";
      },
      10000);
  ASSERT_TRUE(shown.size() == 1 && most == 1 && !IsWindowVisible(first)) << "replaced by one listing all: " << most;
  EXPECT_TRUE(Red(app, {true, true, true})) << Bands(app.main, {true, true, true});
  Shot(app.main, shown[0], "notice_combined");
  ASSERT_TRUE(app.Close(shown[0], IDOK) && app.WaitRows(1) && !app.Dialogs(kNotice) &&
              app.WaitText(ID_ROW_TIME, L"stay"));
}

// Muted, expired timers stay as red rows, without a notice and without taking the foreground, whatever part
// of the window is repainted, and across a hand-over; un-muting removes them.
TEST_F(Notice, MutedTimersStayRedWithoutANotice) {
  const std::vector<bool> red = {true, false, true, false};
  const LONG p = M.pitch, w = 25 * M.cw;
  App app, next;
  HWND other = Decoy();
  ASSERT_TRUE(app.Start() && (app.Key(L"m"), WaitFor([&] { return app.Check(ID_MUTE) == BST_CHECKED; })));
  ASSERT_TRUE(Foreground(other) && app.Request(L"0:0:1(r)") && app.Request(L"0:5") && app.Request(L"0:0:1(s)"));
  EXPECT_TRUE(Red(app, red) && app.Settle()) << Bands(app.main, red);  // the tick that found them expired is done
  EXPECT_TRUE(!app.Dialogs(kNotice) && GetForegroundWindow() == other && app.Text(ID_ROW_TIME + 2) == L"s");
  for (RECT part : {RECT{0, p / 2, w, p * 2 + 3},
                    {0, p + 1, w / 2, p * 3 + 9},
                    {w / 3, p * 2 + 5, w, p * 4},
                    {0, 3, 5, p * 4 - 3}}) {
    HDC dc = GetDC(app.main);  // blackened first, so only the program's own repaint of the part is right
    FillRect(dc, &part, HBRUSH(GetStockObject(BLACK_BRUSH))), ReleaseDC(app.main, dc);
    ASSERT_TRUE(WaitFor([&] { return !Bands(app.main, red, part).empty(); }) &&
                RedrawWindow(app.main, &part, 0, RDW_INVALIDATE | RDW_ERASE));
    EXPECT_TRUE(WaitFor([&] { return Bands(app.main, red, part).empty(); })) << Bands(app.main, red, part);
  }
  Shot(app.main, app.main, "muted_expired_rows");
  EXPECT_TRUE(app.Submit(app.Open(ID_ROW_EDIT, kEdit), L"0:0:1"));  // edited, it runs and runs out again
  EXPECT_TRUE(Red(app, {false, false, true}) && Red(app, red) && app.Settle() && !app.Dialogs(kNotice));
  app.Command(ID_SUSPEND_ALL);
  ASSERT_TRUE(app.WaitExit() && ReadRecords().size() == 3 && !ReadRecords()[0].time && next.Start() &&
              next.WaitRows(3));
  EXPECT_TRUE(next.Check(ID_MUTE) == BST_CHECKED && Red(next, red) &&
              NextTexts(next.Control(ID_ROW_TIME + 1), 1).size());
  EXPECT_TRUE(next.Settle() && !next.Dialogs(kNotice) && (next.Key(L"m"), next.WaitRows(1)) && !next.Dialogs(kNotice));
}

// While a dialog of the window is open no tick counts: a timer due meanwhile runs out right after.
TEST_F(Notice, NoTickCountsWhileADialogIsOpen) {
  App app;
  ASSERT_TRUE(app.Start({L"0:0:3"}) && app.WaitText(ID_ROW_TIME, L" 0:00:0", true));
  HWND dlg = app.Open(ID_ADD, kAdd);
  const std::wstring shown = app.Text(ID_ROW_TIME);
  bool held = true;  // the dialog stays open longer than the timer had left
  for (const ULONGLONG end = GetTickCount64() + 4000; GetTickCount64() < end; Sleep(50))
    held &= app.Text(ID_ROW_TIME) == shown && !app.Dialogs(kNotice);
  PostMessageW(dlg, WM_COMMAND, IDCANCEL, 0);
  EXPECT_TRUE(held && Text(app.Dialog(kNotice), kBoxText) == L"時間です\n 0:00:03") << "the notice right after it";
}
