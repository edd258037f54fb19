// Timers running out: the red row and the notice, notices combined and replaced, mute, and no ticks while a
// dialog of the window is open.
#include "driver.h"

using namespace e2e;
using Notice = E2e;

bool Red(App& app, const std::vector<bool>& red) {
  return WaitFor([&] { return Bands(app.main, red).empty(); });
}

// Timers running out in one tick share one notice, owned by the window, and the window comes forward from the
// user's other window; one running out while it is open replaces it with one that lists all. Expired rows turn
// red and show their label; the ticks go on meanwhile.
TEST_F(Notice, TimersRunningOutTogetherOrMeanwhileShareOneNotice) {
  App app;
  HWND other = Decoy(), first = nullptr;
  std::vector<HWND> shown;
  ASSERT_TRUE(app.Start() && Foreground(other));
  for (const wchar_t* request : {L"0:0:2(一)", L"0:0:2(二)", L"0:0:5", L"0:5:0(stay)"}) app.Request(request);
  // Requested a few milliseconds apart, the first two may straddle a tick: then the notice for the first is
  // replaced at once by one for both.
  EXPECT_TRUE(WaitFor([&] { return Text(first = app.Dialog(kNotice), kBoxText) == L"時間です\n一\n二"; }) &&
              GetWindow(first, GW_OWNER) == app.main && !IsWindowEnabled(app.main) && Red(app, {true, true}));
  EXPECT_TRUE(WaitFor([&] { return GetForegroundWindow() == first || GetForegroundWindow() == app.main; }));
  Shot(app.main, first, "notice"), Shot(app.main, 0, "notice_screen");
  EXPECT_TRUE(app.WaitText(ID_ROW_TIME + 2, L" 0:00:01") && app.WaitText(ID_ROW_TIME + 3, L"stay") &&
              app.WaitText(ID_ROW_TIME + 3, L" 0:04:", true))
      << "rounded up: 1 s in the last second; the ticks go on";
  size_t most = 0;  // notices open at once
  WaitFor(
      [&] {
        most = std::max(most, (shown = Shown(app.pi.dwProcessId, L"#32770", kNotice)).size());
        return shown.size() == 1 && Text(shown[0], kBoxText) == L"時間です\n一\n二\n 0:00:05";
      },
      10000);
  ASSERT_TRUE(shown.size() == 1 && most == 1 && !IsWindowVisible(first)) << "replaced by one listing all: " << most;
  EXPECT_TRUE(Red(app, {true, true, true}) && app.Text(ID_ROW_TIME + 2) == L" 0:00:05") << Bands(app.main, {1, 1, 1});
  Shot(app.main, app.main, "expired_rows"), Shot(app.main, shown[0], "notice_combined");
  ASSERT_TRUE(app.Close(shown[0], IDOK) && app.WaitRows(1) && IsWindowEnabled(app.main) && Red(app, {}) &&
              !app.Dialogs(kNotice) && app.WaitText(ID_ROW_TIME, L"stay"));
}

// Muted, expired timers stay as red rows, without a notice and without taking the foreground, whatever part
// of the window is repainted; un-muting removes them.
TEST_F(Notice, MutedTimersStayRedWithoutANotice) {
  const std::vector<bool> red = {true, false, true, false};
  const LONG p = M.pitch, w = 25 * M.cw;
  App app;
  HWND other = Decoy();
  ASSERT_TRUE(app.Start() && (app.Key(L"m"), WaitFor([&] { return app.Check(ID_MUTE) == BST_CHECKED; })));
  ASSERT_TRUE(Foreground(other) && app.Request(L"0:0:1(r)") && app.Request(L"0:5") && app.Request(L"0:0:1(s)"));
  EXPECT_TRUE(Red(app, red) && app.Settle()) << Bands(app.main, red);  // the tick that found them expired is done
  EXPECT_TRUE(!app.Dialogs(kNotice) && GetForegroundWindow() == other && app.Text(ID_ROW_TIME + 2) == L"s");
  for (RECT part : {RECT{0, p / 2, w, p * 2 + 3}, {0, p + 1, w / 2, p * 3 + 9}, {w / 3, p * 2 + 5, w, p * 4},
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
  EXPECT_TRUE((app.Key(L"m"), app.WaitRows(1)) && app.Check(ID_MUTE) == BST_UNCHECKED && !app.Dialogs(kNotice));
}

// While a dialog of the window is open no tick counts: a timer due meanwhile runs out right after.
TEST_F(Notice, NoTickCountsWhileADialogIsOpen) {
  App app;
  ASSERT_TRUE(app.Start({L"0:0:3"}) && app.WaitText(ID_ROW_TIME, L" 0:00:0", true));
  HWND dlg = app.Open(ID_ADD, kAdd);
  const std::wstring shown = app.Text(ID_ROW_TIME);  // the dialog stays open longer than the timer had left
  const bool held = !WaitFor([&] { return app.Text(ID_ROW_TIME) != shown || app.Dialogs(kNotice); }, 4000);
  PostMessageW(dlg, WM_COMMAND, IDCANCEL, 0);
  EXPECT_TRUE(held && Text(app.Dialog(kNotice), kBoxText) == L"時間です\n 0:00:03") << "the notice right after it";
}
