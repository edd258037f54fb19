// Timers running out: what the rows show while counting, the red row, the notice and its
// replacement when more timers run out while it is open, and mute.
#include <algorithm>

#include "scenario_common.h"

using namespace e2e;

namespace {

// The largest number of notices open at one time over `ms`.
size_t MostNoticesAtOnce(App& app, DWORD ms) {
  size_t most = 0;
  WaitFor([&] { most = std::max(most, app.CountDialogs(kNoticeCaption)); return false; }, ms);
  return most;
}

// Compares the free columns left and right of the controls, top to bottom, with the expected
// band colours; returns the first difference, or an empty text.
std::string BandMismatch(App& app, const std::vector<bool>& red) {
  Capture c = CaptureClient(app.Main());
  for (int x : {M().charWidth / 2, c.width - 1 - M().charWidth / 2}) {
    for (int y = 0; y < c.height; ++y) {
      size_t band = (size_t)(y / M().RowPitch());
      COLORREF want = band < red.size() && red[band] ? kRed : MenuColour(), got = c.Pixel(x, y);
      if (got != want) return Printf("at (%d,%d) %s, expected %s", x, y, Rgb(got).c_str(), Rgb(want).c_str());
    }
  }
  return {};
}

}  // namespace

// A countdown reads its time rounded up to whole seconds; a named timer shows name and time a
// second each; a clock timer its target. When the countdown runs out: the notice, the red row,
// and after OK the row is gone.
E2E_SCENARIO(countdown_expires) {
  App app;
  START(app);
  Decoy other;  // the user works in another window meanwhile
  const uint64_t added = Now();
  ADD_TIMER(app, L"0:0:4", 1);
  ADD_TIMER(app, L"0:10(pot)", 2);
  ADD_TIMER(app, L"A9:05", 3);
  const RECT threeRows = app.WindowRect();
  REQUIRE(other.TakeForeground(), "another window is in front");

  std::wstring countdown, last, clock;
  std::vector<std::pair<bool, uint64_t>> runs;  // row 2: shows the name, since when
  WaitFor([&] {
    std::wstring t = app.Text(ID_ROW_TIME), n = app.Text(ID_ROW_TIME + 1), c = app.Text(ID_ROW_TIME + 2);
    if (!t.empty() && t != last) countdown += (last = t) + L"|";
    if (!n.empty() && (runs.empty() || runs.back().first != (n == L"pot"))) runs.push_back({n == L"pot", Now()});
    if (c != L"AM 9:05:00") clock = c;
    return app.FindDialog(kNoticeCaption) != nullptr;
  }, 6000);
  CHECK(StartsWith(countdown, L" 0:00:04| 0:00:03| 0:00:02| 0:00:01|"),
        "a four-second countdown reads 0:00:04 down to 0:00:01: " + Q(countdown));
  for (size_t i = 1; i + 1 < runs.size(); ++i) {  // the first run starts in any phase
    uint64_t len = runs[i + 1].second - runs[i].second;
    CHECK(len >= 850 && len <= 1150, Printf("a %s run lasts a second (%llu ms)", runs[i].first ? "name" : "time",
                                            (unsigned long long)len));
  }
  CHECK(runs.size() >= 4, Printf("the named row took turns (%zu runs)", runs.size()));
  CHECK(clock.empty(), "the clock timer shows AM 9:05:00 all the time, not " + Q(clock));

  HWND notice = app.WaitDialog(kNoticeCaption, 1000);
  const uint64_t after = Now() - added;
  REQUIRE(notice, "the notice TimeUp appears");
  CHECK(after >= 3900 && after <= 5000, Printf("the notice comes 4 s after the timer was set (%llu ms)",
                                              (unsigned long long)after));
  CHECK_TEXT(MessageBoxText(notice), L"時間です\n 0:00:04");
  CHECK_EQ(app.CountDialogs(kNoticeCaption), 1);
  CHECK(GetWindow(notice, GW_OWNER) == app.Main(), "the notice is owned by the main window");
  CHECK(!IsWindowEnabled(app.Main()), "the main window is disabled while the notice is open");
  HWND fg = GetForegroundWindow();
  CHECK(fg == notice || fg == app.Main(), "the notice or the window came to the front");
  CHECK_TEXT(app.Text(ID_ROW_TIME), L" 0:00:04");
  Pause(150);
  for (int band = 0; band < 4; ++band) {
    COLORREF got = BandColour(app, band), want = band == 0 ? kRed : MenuColour();
    CHECK(got == want, Printf("band %d is %s, expected %s", band, Rgb(got).c_str(), Rgb(want).c_str()));
  }
  Shot(app.Main(), app.Main(), "expired_row");
  Shot(app.Main(), notice, "notice");
  Shot(app.Main(), nullptr, "notice_screen");

  PressDialogButton(notice, IDOK);
  CHECK(app.WaitDialogGone(notice), "OK closes the notice");
  REQUIRE_ROWS(app, 2);
  CHECK_EQ(Height(threeRows) - Height(app.WindowRect()), M().RowPitch());
  CHECK(IsWindowEnabled(app.Main()), "the window is enabled again");
  CHECK(WaitFor([&] { return BandMismatch(app, {}).empty(); }, 500), "no red left: " + BandMismatch(app, {}));
}

// Two timers running out in the same tick share one notice; one running out while it is open
// replaces it with a notice that lists all three. Ticks go on meanwhile.
E2E_SCENARIO(notices_combine) {
  App app;
  START(app, {L"0:0:2(一)", L"0:0:2(二)", L"0:0:5(三)", L"0:5:0(stay)"});
  REQUIRE_ROWS(app, 4);
  HWND first = app.WaitDialog(kNoticeCaption, 4000);
  REQUIRE(first, "the notice appears");
  CHECK_TEXT(MessageBoxText(first), L"時間です\n一\n二");
  Pause(150);
  CHECK(BandMismatch(app, {true, true}).empty(), "the two expired rows are red: " + BandMismatch(app, {true, true}));

  bool sawName = false, sawTime = false;
  WaitFor([&] {
    std::wstring t = app.Text(ID_ROW_TIME + 3);
    sawName = sawName || t == L"stay";
    sawTime = sawTime || StartsWith(t, L" 0:04");
    return sawName && sawTime;
  }, 2500);
  CHECK(sawName && sawTime, "row 4 takes turns with name and time while the notice is open");

  HWND all = nullptr;
  size_t most = 0;
  WaitFor([&] {
    most = std::max(most, app.CountDialogs(kNoticeCaption));
    HWND n = app.FindDialog(kNoticeCaption);
    if (n && MessageBoxText(n) == L"時間です\n一\n二\n三") all = n;
    return all != nullptr;
  }, 4000);
  REQUIRE(all, "a notice lists 一, 二 and 三");
  CHECK_EQ(std::max(most, MostNoticesAtOnce(app, 600)), 1);
  CHECK(all == first || !IsWindow(first) || !IsWindowVisible(first), "the first notice is gone");
  CHECK(BandMismatch(app, {true, true, true}).empty(), "three red rows: " + BandMismatch(app, {true, true, true}));
  Shot(app.Main(), all, "notice_combined");

  PressDialogButton(all, IDOK);
  REQUIRE_ROWS(app, 1);
  CHECK_EQ(MostNoticesAtOnce(app, 500), 0);
  CHECK(WaitText(app, ID_ROW_TIME, L"stay"), "row 1 is the timer named stay");
  CHECK(IsWindowEnabled(app.Main()), "the window is enabled again");
}

// Muted, expired timers stay as red rows without a notice and without taking the foreground, in
// whatever part of the window is repainted, across a hand-over; un-muting removes them.
E2E_SCENARIO(mute_holds_expired) {
  const std::vector<bool> red = {true, false, true, false};
  {
    App app;
    START(app);
    app.Key('M');
    CHECK(WaitCheck(app, ID_MUTE, BST_CHECKED), "M checks the mute button");
    ADD_TIMER(app, L"0:0:1(r)", 1);
    ADD_TIMER(app, L"0:5", 2);
    ADD_TIMER(app, L"0:0:1(s)", 3);
    {
      Decoy other;
      REQUIRE(other.TakeForeground(), "another window is in front");
      CHECK_EQ(MostNoticesAtOnce(app, 2500), 0);
      CHECK(GetForegroundWindow() == other.Window(), "a muted expiry leaves the other window in front");
    }
    CHECK(WaitFor([&] { return BandMismatch(app, red).empty(); }, 1000), "rows 1 and 3 are red: " + BandMismatch(app, red));
    CHECK_TEXT(app.Text(ID_ROW_TIME), L"r");
    CHECK_TEXT(app.Text(ID_ROW_TIME + 2), L"s");

    const int pitch = M().RowPitch(), w = Width(app.ClientRect());
    const RECT parts[] = {{0, pitch / 2, w, pitch * 2 + 3},
                          {0, pitch + 1, w / 2, pitch * 3 + pitch / 3},
                          {w / 3, pitch * 2 + 5, w, pitch * 4},
                          {0, 3, 5, pitch * 4 - 3}};
    for (const RECT& r : parts) {
      RedrawWindow(app.Main(), &r, nullptr, RDW_INVALIDATE | RDW_ERASE);
      Pause(250);
      std::string miss = BandMismatch(app, red);
      CHECK(miss.empty(), "after repainting " + RectText(r) + ": " + miss);
    }
    Shot(app.Main(), app.Main(), "muted_expired_rows");

    // Edited while muted, an expired timer runs again, and runs out again without a notice.
    CHECK(SubmitTimerDialog(app, OpenTimerDialog(app, 0), L"0:0:1", L"r"), "row 1 edited");
    CHECK(WaitFor([&] { return BandColour(app, 0) == MenuColour(); }, 800), "the edited row is not red");
    CHECK(WaitFor([&] { return BandColour(app, 0) == kRed; }, 2500), "it runs out again and turns red");
    CHECK_EQ(app.CountDialogs(kNoticeCaption), 0);

    app.Command(ID_SUSPEND_ALL);
    REQUIRE(app.WaitExit(5000), "save-and-quit ends the program");
  }
  CHECK(IsBinary32(L"Mute", 1), "Mute saved as REG_BINARY 1");
  std::vector<Record> saved = HandedOver();
  REQUIRE(saved.size() == 3, Printf("three timers handed over (%zu)", saved.size()));
  for (int i : {0, 2})
    CHECK(saved[i].preset == 1000 && saved[i].suspended == 0 && saved[i].time == 0,
          Printf("record %d: an expired one-second timer", i));

  App app;
  START(app);
  REQUIRE_ROWS(app, 3);
  const RECT threeRows = app.WindowRect();
  CHECK_EQ(app.CheckState(ID_MUTE), BST_CHECKED);
  CHECK(WaitFor([&] { return BandMismatch(app, red).empty(); }, 1500), "red again after the restart: " + BandMismatch(app, red));
  CHECK_EQ(MostNoticesAtOnce(app, 700), 0);

  app.Key('M');
  CHECK(WaitCheck(app, ID_MUTE, BST_UNCHECKED), "M again unchecks it");
  REQUIRE_ROWS(app, 1);
  CHECK_EQ(Height(threeRows) - Height(app.WindowRect()), 2 * M().RowPitch());
  CHECK_EQ(MostNoticesAtOnce(app, 500), 0);
  CHECK(WaitPrefix(app, ID_ROW_TIME, L" 0:04"), "the running timer moved up to row 1");
}
