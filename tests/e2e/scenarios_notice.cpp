// Scenarios about timers running out: the red row, the time-up notice, its replacement when more
// timers run out while it is open, and mute.
#include <algorithm>

#include "scenario_common.h"

using namespace e2e;

namespace {

// Watches for notices over `ms` and returns the largest number seen open at one time.
size_t MostNoticesAtOnce(App& app, DWORD ms) {
  size_t most = 0;
  const uint64_t end = Now() + ms;
  while (Now() < end) {
    size_t n = app.CountDialogs(kNoticeCaption);
    if (n > most) most = n;
    Pause(20);
  }
  return most;
}

}  // namespace

E2E_SCENARIO(countdown_expires) {
  App app;
  START(app);
  const RECT emptyWindow = app.WindowRect();
  Decoy other;  // the user works in another window meanwhile
  const uint64_t added = Now();
  ADD_TIMER(app, L"0:0:2", 1);
  REQUIRE(other.TakeForeground(), "another window is in front");
  CHECK(WaitFor([&] {
    std::wstring t = app.Text(ID_ROW_TIME);
    return t == L" 0:00:02" || t == L" 0:00:01";
  }, 1000), "the row counts down from two seconds, now " + Utf8(Quoted(app.Text(ID_ROW_TIME))));

  HWND notice = app.WaitDialog(kNoticeCaption, 4000);
  const uint64_t after = Now() - added;
  REQUIRE(notice, "the notice \"TimeUp\" appears");
  CHECK(after >= 1900 && after <= 3000, Printf("the notice appears about 2 s after the timer was set (%llu ms)",
                                              (unsigned long long)after));
  CHECK_TEXT(MessageBoxText(notice), L"時間です\n 0:00:02");
  CHECK_EQ(app.CountDialogs(kNoticeCaption), 1);
  CHECK(GetWindow(notice, GW_OWNER) == app.Main(), "the notice is owned by the main window");
  CHECK(!IsWindowEnabled(app.Main()), "the main window is disabled while the notice is open");
  if (RunningUnderWine())
    Note("not checked under Wine: its message boxes get WS_EX_TOPMOST only for MB_SYSTEMMODAL, not MB_TOPMOST");
  else
    CHECK((GetWindowLongPtrW(notice, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0, "the notice stays on top");
  HWND fg = GetForegroundWindow();
  CHECK(fg == notice || fg == app.Main(), "the notice or the window came to the front");
  // Whether the main window itself was raised is not visible here: under Wine a window of another
  // process stays below the other window in the Z order even after SetWindowPos(HWND_TOP), and
  // the notice takes the foreground by itself.

  // The expired row: its label in the display, its band red; the bottom band is not.
  CHECK_TEXT(app.Text(ID_ROW_TIME), L" 0:00:02");
  CHECK_EQ(app.RowCount(), 1);
  Pause(150);  // let the repaint reach the screen
  COLORREF row = BandColour(app, 0), bottom = BandColour(app, 1);
  CHECK(row == kRed, "the expired row's band is red: " + Rgb(row));
  CHECK(bottom == MenuColour(), "the bottom band keeps the menu colour: " + Rgb(bottom));
  SavePng(CaptureWindow(app.Main()), "expired_row");
  SavePng(CaptureWindow(notice), "notice");
  SavePng(CaptureScreenRect(RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}),
          "notice_screen");

  PressDialogButton(notice, IDOK);
  CHECK(app.WaitDialogGone(notice), "OK closes the notice");
  REQUIRE_ROWS(app, 0);
  RECT shrunk = app.WindowRect();
  CHECK_EQ(Height(shrunk), Height(emptyWindow));
  CHECK(IsWindowEnabled(app.Main()), "the window is enabled again");
  Pause(200);
  COLORREF band = BandColour(app, 0);
  CHECK(band == MenuColour(), "no red band left: " + Rgb(band));
  CHECK_EQ(app.CountDialogs(kNoticeCaption), 0);
}

E2E_SCENARIO(two_expire_together) {
  App app;
  // Both requests on one command line are added in the same moment.
  START(app, {L"0:0:2(一)", L"0:0:2(二)", L"0:5:0"});
  REQUIRE_ROWS(app, 3);
  HWND notice = app.WaitDialog(kNoticeCaption, 4000);
  REQUIRE(notice, "the notice appears");
  CHECK_TEXT(MessageBoxText(notice), L"時間です\n一\n二");
  CHECK_EQ(MostNoticesAtOnce(app, 600), 1);
  CHECK_TEXT(app.Text(ID_ROW_TIME), L"一");
  CHECK_TEXT(app.Text(ID_ROW_TIME + 1), L"二");
  COLORREF b0 = BandColour(app, 0), b1 = BandColour(app, 1), b2 = BandColour(app, 2);
  CHECK(b0 == kRed && b1 == kRed, "both expired bands are red: " + Rgb(b0) + " " + Rgb(b1));
  CHECK(b2 == MenuColour(), "the running timer's band is not red: " + Rgb(b2));
  PressDialogButton(notice, IDOK);
  REQUIRE_ROWS(app, 1);
  CHECK_TEXT(app.Text(ID_ROW_LABEL), L"1:");
  CHECK(WaitFor([&] {
    std::wstring t = app.Text(ID_ROW_TIME);
    return t.size() == 8 && t.compare(0, 5, L" 0:04") == 0;
  }, 1500), "the five-minute timer moved up to row 1, showing " + Utf8(Quoted(app.Text(ID_ROW_TIME))));
}

E2E_SCENARIO(expire_during_notice) {
  App app;
  START(app);
  ADD_TIMER(app, L"0:0:1(first)", 1);
  ADD_TIMER(app, L"0:0:3(second)", 2);
  ADD_TIMER(app, L"0:5:0(stay)", 3);

  HWND first = app.WaitDialog(kNoticeCaption, 3000);
  REQUIRE(first, "the first notice appears");
  CHECK_TEXT(MessageBoxText(first), L"時間です\nfirst");

  // Ticks go on while the notice is open: the running rows keep counting and alternating.
  bool sawName = false, sawTime = false;
  WaitFor([&] {
    std::wstring t = app.Text(ID_ROW_TIME + 2);
    if (t == L"stay") sawName = true;
    if (t.compare(0, 5, L" 0:04") == 0) sawTime = true;
    return sawName && sawTime;
  }, 2500);
  CHECK(sawName && sawTime, "row 3 alternates name and time while the notice is open");

  // The second expiry replaces the notice with one that lists both.
  HWND both = nullptr;
  size_t most = 0;
  WaitFor([&] {
    size_t n = app.CountDialogs(kNoticeCaption);
    if (n > most) most = n;
    HWND n0 = app.FindDialog(kNoticeCaption);
    if (n0 && MessageBoxText(n0) == L"時間です\nfirst\nsecond") both = n0;
    return both != nullptr;
  }, 4000);
  REQUIRE(both, "a notice lists first and second");
  most = std::max(most, MostNoticesAtOnce(app, 600));
  CHECK_EQ(most, 1);
  CHECK(!IsWindow(first) || !IsWindowVisible(first) || first == both, "the first notice is gone");
  CHECK_TEXT(app.Text(ID_ROW_TIME), L"first");
  CHECK_TEXT(app.Text(ID_ROW_TIME + 1), L"second");
  SavePng(CaptureWindow(both), "notice_two_timers");

  PressDialogButton(both, IDOK);
  REQUIRE_ROWS(app, 1);
  Pause(500);
  CHECK_EQ(app.CountDialogs(kNoticeCaption), 0);
  CHECK(WaitText(app, ID_ROW_TIME, L"stay", 2500), "row 1 is the timer named stay");
  CHECK(IsWindowEnabled(app.Main()), "the window is enabled again");
}

E2E_SCENARIO(mute_holds_expired) {
  App app;
  START(app);
  app.Key('M');
  CHECK(WaitFor([&] { return app.CheckState(ID_MUTE) == BST_CHECKED; }, 1500), "M checks the mute button");

  ADD_TIMER(app, L"0:0:1(muted)", 1);
  ADD_TIMER(app, L"0:5:0", 2);
  {
    Decoy other;
    REQUIRE(other.TakeForeground(), "another window is in front");
    size_t notices = MostNoticesAtOnce(app, 2500);
    CHECK_EQ(notices, 0);
    CHECK(GetForegroundWindow() == other.Window(), "a muted expiry does not bring the window to the front");
  }
  CHECK_EQ(app.RowCount(), 2);
  CHECK_TEXT(app.Text(ID_ROW_TIME), L"muted");
  COLORREF b0 = BandColour(app, 0), b1 = BandColour(app, 1);
  CHECK(b0 == kRed, "the muted expired row is red: " + Rgb(b0));
  CHECK(b1 == MenuColour(), "the running row is not: " + Rgb(b1));
  SavePng(CaptureWindow(app.Main()), "muted_expired_row");
  Pause(1000);
  CHECK_EQ(app.RowCount(), 2);
  CHECK_TEXT(app.Text(ID_ROW_TIME), L"muted");

  // Editing the expired timer while muted makes it run again; its band is no longer red.
  app.Key('1', kCtrl);
  HWND dlg = app.WaitDialog(kEditCaption);
  REQUIRE(dlg, "Ctrl+1 edits the expired timer");
  CHECK_TEXT(WindowText(GetDlgItem(dlg, IDC_NAME)), L"muted");
  SetControlText(GetDlgItem(dlg, IDC_TIME), L"0:0:1");
  PressDialogButton(dlg, IDOK);
  CHECK(app.WaitDialogGone(dlg), "OK closes the edit dialog");
  CHECK(WaitFor([&] { return BandColour(app, 0) == MenuColour(); }, 800), "the edited timer's band is not red");
  // It runs out again a second later, still without a notice.
  CHECK(WaitFor([&] { return BandColour(app, 0) == kRed; }, 2500), "it runs out again and turns red");
  CHECK_EQ(app.CountDialogs(kNoticeCaption), 0);

  // Un-muting removes the expired timer without a notice.
  const RECT twoRows = app.WindowRect();
  app.Key('M');
  CHECK(WaitFor([&] { return app.CheckState(ID_MUTE) == BST_UNCHECKED; }, 1500), "M again unchecks it");
  REQUIRE_ROWS(app, 1);
  CHECK_EQ(Height(twoRows) - Height(app.WindowRect()), M().RowPitch());
  CHECK_EQ(MostNoticesAtOnce(app, 500), 0);
  CHECK(WaitFor([&] { return app.Text(ID_ROW_TIME).compare(0, 5, L" 0:04") == 0; }, 1500),
        "the running timer moved up to row 1");

  // With nothing expired, mute only switches the button.
  app.Command(ID_MUTE);
  CHECK(WaitFor([&] { return app.CheckState(ID_MUTE) == BST_CHECKED; }, 1500), "the button mutes");
  REQUIRE(app.Close(), "closes");
  RegValue v = ReadValue(L"Mute");
  CHECK(v.exists && v.type == REG_BINARY && v.data.size() == 4 && LeU32(v.data, 0) == 1, "Mute saved as REG_BINARY 1");

  App again;
  START(again);
  CHECK_EQ(again.CheckState(ID_MUTE), BST_CHECKED);
}

namespace {

// Compares the two free columns left and right of the controls with the expected band colours,
// top to bottom; returns the first difference, or an empty text.
std::string BandMismatch(App& app, const std::vector<bool>& red) {
  Capture c = CaptureClient(app.Main());
  const int pitch = M().RowPitch();
  for (int x : {M().charWidth / 2, c.width - 1 - M().charWidth / 2}) {
    for (int y = 0; y < c.height; ++y) {
      size_t band = (size_t)(y / pitch);
      COLORREF want = band < red.size() && red[band] ? kRed : MenuColour();
      COLORREF got = c.Pixel(x, y);
      if (got != want) return Printf("at (%d,%d) %s, expected %s", x, y, Rgb(got).c_str(), Rgb(want).c_str());
    }
  }
  return {};
}

}  // namespace

// The bands line up with the rows whatever part of the window is repainted.
E2E_SCENARIO(partial_repaint) {
  App app;
  START(app);
  app.Command(ID_MUTE);
  REQUIRE(WaitFor([&] { return app.CheckState(ID_MUTE) == BST_CHECKED; }, 1500), "muted");
  ADD_TIMER(app, L"0:0:1(r)", 1);
  ADD_TIMER(app, L"0:5", 2);
  ADD_TIMER(app, L"0:0:1(s)", 3);
  const std::vector<bool> red = {true, false, true, false};
  REQUIRE(WaitFor([&] { return BandMismatch(app, red).empty(); }, 3000),
          "rows 1 and 3 turn red: " + BandMismatch(app, red));

  const int pitch = M().RowPitch();
  const int w = ExpectedClientWidth();
  const RECT parts[] = {
      {0, pitch / 2, w, pitch * 2 + 3},          // from the middle of row 1 into row 3
      {0, pitch + 1, w / 2, pitch * 3 + pitch / 3},  // the left half, from just below row 1
      {w / 3, pitch * 2 + 5, w, pitch * 4},      // the right part of row 3 and the bottom row
      {0, 3, 5, pitch * 4 - 3},                  // a narrow strip down the left edge
  };
  for (const RECT& r : parts) {
    RedrawWindow(app.Main(), &r, nullptr, RDW_INVALIDATE | RDW_ERASE);
    Pause(250);
    std::string miss = BandMismatch(app, red);
    CHECK(miss.empty(), "after repainting " + RectText(r) + ": " + miss);
  }
  SavePng(CaptureWindow(app.Main()), "bands_after_partial_repaint");
}
