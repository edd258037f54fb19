// The main window and its rows: geometry, top-most and place kept between runs, the timer dialog in both
// modes with its recent names, pause and resume, keys for rows that do not exist, tooltips, screen readers.
#include <regex>

#include "driver.h"

#include <commctrl.h>

using namespace e2e;
using Window = E2e;

// 25 character cells wide and a row pitch high per timer and for the buttons (App::WaitRows); each control
// inside its row's band and right of the one before it, so that none overlaps another.
TEST_F(Window, OpensEmptyAndFitsItsRows) {
  App app;
  ASSERT_TRUE(app.Start() && WaitFor([&] { return Bands(app.main, {}).empty(); })) << Bands(app.main, {});
  Shot(app.main, app.main, "empty_window");
  const int kinds[] = {ID_ROW_LABEL, ID_ROW_TIME, ID_ROW_PAUSE, ID_ROW_EDIT, ID_ROW_DELETE},
            buttons[] = {ID_ADD, ID_MUTE, ID_TOPMOST, ID_SUSPEND_ALL, ID_SETTINGS};
  for (int rows : {0, 1, 3, 10}) {
    RECT client, r = {};
    while (app.Rows() < rows) ASSERT_TRUE(app.Request(L"20"));
    ASSERT_TRUE(app.WaitRows(rows) && GetClientRect(app.main, &client) && client.right == 25 * M.cw);
    for (int i = 0, row = 0, right = 0; i < (rows + 1) * 5; row = ++i / 5, right = i % 5 ? r.right : 0) {
      GetWindowRect(app.Control(row < rows ? kinds[i % 5] + row : buttons[i % 5]), &r);
      MapWindowPoints(nullptr, app.main, LPPOINT(&r), 2);
      EXPECT_TRUE(r.left >= right && r.right > r.left && r.right <= client.right && r.top >= row * M.pitch &&
                  r.bottom <= (row + 1) * M.pitch)
          << rows << " rows: control " << i;
    }
  }
  EXPECT_TRUE(app.Quit() && !ReadValue(L"HotKey").exists && ReadRecords().empty()) << "a plain close saves no more";
}

TEST_F(Window, KeepsTopMostAndItsPlaceForTheNextRun) {
  for (int run = 0; run < 3; ++run) {  // the third from the far corner of the screen: moved to show its caption
    const int32_t corner[2] = {799, 599};
    App app;
    RECT r;
    if (run == 2) {
      ASSERT_TRUE(WriteValue(L"Position", REG_BINARY, corner, 8));
    }
    ASSERT_TRUE(app.Start());
    ASSERT_TRUE(GetWindowRect(app.main, &r));
    auto topMost = [&] { return (GetWindowLongW(app.main, GWL_EXSTYLE) & WS_EX_TOPMOST) && app.Check(ID_TOPMOST); };
    EXPECT_EQ(run == 1, topMost()) << run;
    POINT client = {0, 0};
    ClientToScreen(app.main, &client);
    const LONG x[] = {0, 200, 800}, y[] = {0, 150, 600};  // the window's corner; from the far corner, the caption's
    EXPECT_EQ(std::make_pair(x[run], y[run]), run < 2 ? std::make_pair(r.left, r.top) : std::make_pair(r.right, client.y));
    run ? app.Command(ID_TOPMOST) : app.Key(L"t");
    EXPECT_TRUE(WaitFor([&] { return topMost() == (run != 1); })) << "T and the button switch it, run " << run;
    if (!run) SetWindowPos(app.main, nullptr, 200, 150, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ASSERT_TRUE(app.Quit() && ReadValue(L"TopMost").Is(REG_BINARY, {run != 1, 0, 0, 0}));
    EXPECT_TRUE(run || ReadValue(L"Position").Is(REG_BINARY, {200, 0, 0, 0, 150, 0, 0, 0}));
  }
}

std::wstring Names(HWND dialog) {  // the names the timer dialog offers
  std::wstring all;
  wchar_t name[16];
  for (LRESULT i = 0; Send(GetDlgItem(dialog, IDC_NAME), CB_GETLBTEXT, i, LPARAM(name)) >= 0; ++i)
    all += name + std::wstring(L",");
  return all;
}

// The names offered come from History0.., most recent first; names cancelled or requested by text stay out.
TEST_F(Window, TheTimerDialogAddsFromTheKeyboardAndOffersTheRecentNames) {
  App app;
  ASSERT_TRUE(WriteValue(L"History0", REG_SZ, L"A", 4) && WriteValue(L"History2", REG_SZ, L"C", 4) && app.Start());
  SetWindowPos(app.main, nullptr, 150, 100, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  app.Key(L"a");
  HWND dlg = app.Dialog(kAdd), nameEdit = FindWindowExW(GetDlgItem(dlg, IDC_NAME), nullptr, L"Edit", nullptr);
  POINT client{}, dialog{};
  GUITHREADINFO info{sizeof info};
  ClientToScreen(app.main, &client), ClientToScreen(dlg, &dialog);
  EXPECT_TRUE(client.x == dialog.x && client.y == dialog.y && GetWindow(dlg, GW_OWNER) == app.main &&
              !IsWindowEnabled(app.main) && Send(GetDlgItem(dlg, IDC_TIME), EM_GETLIMITTEXT) == 255 &&
              Send(nameEdit, EM_GETLIMITTEXT) == 10 && Names(dlg) == L"A,C,")
      << "A opens it on the client origin, owned and modal, with its controls, limits and the stored names";
  EXPECT_TRUE(WaitFor([&] { return GetGUIThreadInfo(0, &info) && info.hwndFocus == GetDlgItem(dlg, IDC_TIME); }));
  Shot(app.main, dlg, "add_dialog");
  EXPECT_TRUE(!app.Submit(dlg, L"", L"茶") && !app.Submit(dlg, L"0") && !app.Submit(dlg, L"") && Foreground(dlg));
  Press(L"2"), Press(L"5"), Press(L"Return");
  ASSERT_TRUE(app.WaitRows(1) && IsWindowEnabled(app.main)) << "OK refuses no time and 0; typed 25, Enter adds";
  EXPECT_EQ(L"1:■…Ｘ",
            app.Text(ID_ROW_LABEL) + app.Text(ID_ROW_PAUSE) + app.Text(ID_ROW_EDIT) + app.Text(ID_ROW_DELETE));
  EXPECT_TRUE(app.WaitText(ID_ROW_TIME, L"茶") && app.WaitText(ID_ROW_TIME, L" 0:24:5", true)) << "its name and time";
  ASSERT_TRUE((dlg = app.Open(ID_ADD, kAdd)) && Foreground(dlg) && Names(dlg) == L"茶,A,C,");
  Press(L"7"), Press(L"Escape");
  EXPECT_TRUE(WaitFor([&] { return !IsWindow(dlg); }) && app.Settle() && app.Rows() == 1) << "Esc cancels";
  // Ctrl+1 edits row 1, offering the time it has left, unpadded, and its name.
  ASSERT_TRUE(app.Request(L"7(R)") && (app.Key(L"ctrl+1"), dlg = app.Dialog(kEdit)) && Text(dlg, IDC_NAME) == L"茶" &&
              std::regex_match(Text(dlg, IDC_TIME), std::wregex(L"0:2[45]:\\d+")));
  Shot(app.main, dlg, "edit_dialog");
  EXPECT_TRUE(app.Submit(dlg, L"1:30", L"A") && app.WaitText(ID_ROW_TIME, L" 1:29:5", true));
  EXPECT_TRUE(Names(dlg = app.Open(ID_ADD, kAdd)) == L"A,茶,C," && app.Close(dlg, IDCANCEL));
  app.Key(L"1");
  EXPECT_TRUE(app.WaitText(ID_ROW_PAUSE, kPaused) && app.Quit()) << "the keys work again after the dialog";
  EXPECT_TRUE(ReadValue(L"History1").Sz() == std::wstring(L"茶\0", 2) && !ReadValue(L"History3").exists);
}

// A clock timer cannot be paused; keys for rows that do not exist change nothing. A screen reader hears what
// the pause button does next.
TEST_F(Window, PausesAndResumesByKeyAndButton) {
  App app;
  ASSERT_TRUE(app.Start({L"0:1:0", L"PM5:30", L"0:5"}) && app.WaitRows(3) && app.WaitText(ID_ROW_TIME, L" 0:0", true));
  EXPECT_EQ(L"タイマー1 一時停止/1", Said(app.Control(ID_ROW_PAUSE)));
  for (auto [key, mark] : {std::make_pair(L"1", kPaused), {L"1", kRunning}, {L"KP_1", kPaused}, {L"", kRunning}}) {
    *key ? app.Key(key) : app.Command(ID_ROW_PAUSE);   // "": the button
    const std::wstring shown = app.Text(ID_ROW_TIME);  // row 1 stands still while row 3 counts two seconds
    ASSERT_TRUE(app.WaitText(ID_ROW_PAUSE, mark) && NextTexts(app.Control(ID_ROW_TIME + 2), 2).size() == 2) << key;
    EXPECT_EQ(mark == kPaused, app.Text(ID_ROW_TIME) == shown) << key;
    EXPECT_EQ(mark == kPaused ? L"タイマー1 再開/1" : L"タイマー1 一時停止/1", Said(app.Control(ID_ROW_PAUSE))) << key;
  }
  app.Key(L"2"), app.Key(L"0"), app.Key(L"ctrl+5"), app.Key(L"alt+5"), app.Key(L"1");  // rows 2, 10, 5 and 1
  ASSERT_TRUE(app.WaitText(ID_ROW_PAUSE, kPaused)) << "keys are handled in order: once 1 pauses row 1, all are done";
  EXPECT_TRUE(!IsWindowEnabled(app.Control(ID_ROW_PAUSE + 1)) && app.Text(ID_ROW_PAUSE + 1) == kRunning &&
              app.Text(ID_ROW_TIME + 1) == L"PM 5:30:00" && app.Rows() == 3 && !app.Dialogs(nullptr));
}

// Resting the mouse on a control shows its tip: a row's whole name (cut in the row) and its time left, which
// follows the row while the tip shows, a button's key; the timer dialog's time field and its label show the
// forms of a time text. The tools go with the rows they belong to. A screen reader hears the same.
TEST_F(Window, TooltipsAndScreenReadersTellTheWholeNameAndTheKeys) {
  App app;
  HWND tip = nullptr;
  auto move = [&](HWND control) {
    RECT r{};  // X coordinates on the desktop are the Windows screen coordinates
    GetWindowRect(control, &r);
    EXPECT_TRUE(Xdotool(L"mousemove " + std::to_wstring((r.left + r.right) / 2) + L" " +
                        std::to_wstring((r.top + r.bottom) / 2) + L" mousemove_relative 1 0"));
  };
  auto shows = [&](const std::wstring& prefix) {  // a tip of the program shows, its text beginning so
    for (HWND w : Shown(app.pi.dwProcessId, L"tooltips_class32"))
      if (Text(w).rfind(prefix, 0) == 0) return (tip = w) != nullptr;
    return false;
  };
  auto hover = [&](HWND control, const std::wstring& prefix) {
    move(control);
    return WaitFor([&] { return shows(prefix); });
  };
  const std::wstring name = L"洗濯機の脱水を始める", hint = L"5 → 5分\n1:30 → 1時間30分\n0:0:45 → 45秒\n";
  ASSERT_TRUE(app.Start({L"5(" + name + L")", L"1", L"2"}));
  ASSERT_TRUE(app.WaitRows(3));
  ASSERT_TRUE(hover(app.Control(ID_ROW_TIME), name + L"\n残り 0:0"));
  Shot(app.main, nullptr, "tooltip_row");
  const std::wstring first = Text(tip);
  EXPECT_TRUE(WaitFor([&] { return IsWindowVisible(tip) && Text(tip) != first && shows(name + L"\n残り 0:0"); }))
      << "the open tip follows the row";
  EXPECT_TRUE(std::regex_match(Said(app.Control(ID_ROW_TIME)), std::wregex(name + L" 残り 0:0\\d:\\d\\d/")));
  for (auto [id, said] : {std::make_pair(ID_ROW_EDIT + 1, L"タイマー2 修正/Ctrl+2"), {ID_ROW_DELETE + 2, L"タイマー3 削除/Alt+3"},
                          {ID_SETTINGS, L"設定/O"}, {ID_ADD, L"追加/A"}})
    EXPECT_EQ(said, Said(app.Control(id))) << std::hex << id;
  EXPECT_TRUE(hover(app.Control(ID_ROW_EDIT + 2), L"修正 (Ctrl+3)"));
  ASSERT_TRUE(tip);
  EXPECT_EQ(5 + 3 * 4, Send(tip, TTM_GETTOOLCOUNT));
  for (int row : {2, 1}) ASSERT_TRUE(app.Close(app.Open(ID_ROW_DELETE + row, kDelete), IDOK));
  ASSERT_TRUE(app.WaitRows(1));
  EXPECT_EQ(5 + 1 * 4, Send(tip, TTM_GETTOOLCOUNT)) << "no tool is left for the rows that went";
  HWND dlg = app.Open(ID_ADD, kAdd), field = GetDlgItem(dlg, IDC_TIME);
  EXPECT_TRUE(hover(field, hint));
  move(GetDlgItem(dlg, IDOK));
  EXPECT_TRUE(WaitFor([&] { return !shows(hint); })) << "the hint goes with the mouse";
  EXPECT_TRUE(hover(GetWindow(field, GW_HWNDPREV), hint)) << "and comes back on the label";
  EXPECT_TRUE(app.Close(dlg, IDCANCEL));
}
