// The main window and its rows: geometry, top-most and place, the timer dialog with its recent names and input
// method, pause and resume by key, tooltips, screen readers.
#include <regex>

#include "driver.h"

#include <commctrl.h>

using namespace e2e;
using Window = E2e;

// With `rows` timers: 25 character cells wide and a row pitch high per timer and for the buttons; each control
// inside its row's band and right of the one before it, so that none overlaps another.
void ExpectRowsFit(const Program& app, int rows) {
  const int kinds[] = {ID_ROW_LABEL, ID_ROW_TIME, ID_ROW_PAUSE, ID_ROW_EDIT, ID_ROW_DELETE};
  const int buttons[] = {ID_ADD, ID_MUTE, ID_TOPMOST, ID_SUSPEND_ALL, ID_SETTINGS};
  SCOPED_TRACE(std::to_string(rows) + " rows");
  while (app.Rows() < rows) app.Request(L"20");
  while (app.Rows() > rows) app.Close(app.Open(ID_ROW_DELETE, kDelete), IDOK);
  app.WaitRows(rows);
  RECT client{};
  GetClientRect(app.main, &client);
  EXPECT_EQ(25 * Font.cw, client.right);
  EXPECT_EQ((rows + 1) * Font.pitch, client.bottom);
  LONG right = 0;  // of the control before, in the same row
  for (int i = 0; i < (rows + 1) * 5; ++i) {
    const int row = i / 5;
    RECT r{};
    GetWindowRect(app.Control(row < rows ? kinds[i % 5] + row : buttons[i % 5]), &r);
    MapWindowPoints(nullptr, app.main, reinterpret_cast<POINT*>(&r), 2);
    EXPECT_LE(i % 5 ? right : 0, r.left) << "control " << i;
    EXPECT_LT(r.left, r.right) << "control " << i;
    EXPECT_LE(r.right, client.right) << "control " << i;
    EXPECT_LE(row * Font.pitch, r.top) << "control " << i;
    EXPECT_LE(r.bottom, (row + 1) * Font.pitch) << "control " << i;
    right = r.right;
  }
}

// The window opens empty and fits its rows as they come and go.
TEST_F(Window, FitsItsRows) {
  Program app;
  app.Start();
  app.WaitBands({});
  Shot(app.main, app.main, "empty_window");
  for (int rows : {0, 1, 3, 10, 2}) ExpectRowsFit(app, rows);
}

bool TopMost(const Program& app) { return (GetWindowLongW(app.main, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }

// T switches top-most on and off; a close saves it, and the next start takes it up.
TEST_F(Window, TSwitchesTopMostAndTheNextStartKeepsIt) {
  for (bool on : {true, false}) {  // off at the first start
    SCOPED_TRACE(on);
    Program app;
    app.Start();
    EXPECT_EQ(!on, TopMost(app));
    Key(app, L"t");
    Await([&] { return TopMost(app) == on; }, L"T switches top-most");
    EXPECT_EQ(on ? BST_CHECKED : BST_UNCHECKED, app.Check(ID_TOPMOST));
    app.Quit();
    ExpectValue(L"TopMost", REG_BINARY, {on, 0, 0, 0});
  }
}

// The first run opens at the top left; a plain close saves the window's place and no more; the next start takes it
// up. Started from the far corner of the screen, the window is moved to show its right edge and its whole caption.
TEST_F(Window, KeepsItsPlaceAndShowsItsCaption) {
  const int32_t corner[2] = {799, 599};
  Program first, second, third;
  RECT r{};
  first.Start();
  GetWindowRect(first.main, &r);
  EXPECT_EQ(0, r.left);
  EXPECT_EQ(0, r.top);
  SetWindowPos(first.main, nullptr, 200, 150, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  first.Quit();
  ExpectValue(L"Position", REG_BINARY, {200, 0, 0, 0, 150, 0, 0, 0});
  EXPECT_FALSE(ReadValue(L"HotKey").exists) << "no more than the window's settings";
  second.Start();
  GetWindowRect(second.main, &r);
  EXPECT_EQ(200, r.left);
  EXPECT_EQ(150, r.top);
  second.Quit();
  WriteValue(L"Position", REG_BINARY, corner, 8);
  third.Start();
  POINT client{};
  GetWindowRect(third.main, &r);
  ClientToScreen(third.main, &client);
  EXPECT_EQ(800, r.right);
  EXPECT_EQ(600, client.y);
}

std::wstring Names(HWND dialog) {  // the names the timer dialog offers
  std::wstring all;
  wchar_t name[16];
  for (LRESULT i = 0; Send(GetDlgItem(dialog, IDC_NAME), CB_GETLBTEXT, i, LPARAM(name)) >= 0; ++i)
    all += name + std::wstring(L",");
  return all;
}

// Whether the window has an input method context (2) or none (1), as ime_probe.dll saw it in the program's
// thread when the window last handled WM_NULL or WM_DESTROY; `owner` is its root owner. 0: not seen.
INT_PTR InputContext(HWND window, HWND owner) { return INT_PTR(GetPropW(owner, InputContextProperty(window).c_str())); }

// A opens the timer dialog, modal, on the client origin. Time texts are typed without the input method, which the
// time field gives back as it goes; OK refuses an empty time, Enter adds, Esc cancels, and the keys work again after.
TEST_F(Window, TheTimerDialogAddsFromTheKeyboard) {
  Program app;
  app.Start();
  HookProbe(app);
  SetWindowPos(app.main, nullptr, 150, 100, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  Key(app, L"a");
  HWND dlg = app.Dialog(kAdd);
  HWND field = GetDlgItem(dlg, IDC_TIME);
  HWND nameField = FindWindowExW(GetDlgItem(dlg, IDC_NAME), nullptr, L"Edit", nullptr);
  POINT client{}, dialog{};
  ClientToScreen(app.main, &client);
  ClientToScreen(dlg, &dialog);
  EXPECT_EQ(client.x, dialog.x) << "A opens it on the client origin";
  EXPECT_EQ(client.y, dialog.y);
  EXPECT_EQ(app.main, GetWindow(dlg, GW_OWNER));
  EXPECT_EQ(10, Send(nameField, EM_GETLIMITTEXT));
  AwaitFocus(field, L"the time field focused");
  for (HWND w : {app.main, field, nameField}) Send(w, WM_NULL);
  EXPECT_EQ(1, InputContext(app.main, app.main)) << "the main window has no input method";
  EXPECT_EQ(1, InputContext(field, app.main)) << "nor has the time field";
  EXPECT_EQ(2, InputContext(nameField, app.main)) << "the name field has one";
  app.Submit(dlg, L"", L"茶");
  EXPECT_TRUE(IsWindowVisible(dlg)) << "OK refuses an empty time";
  Foreground(dlg);
  Press(L"2 5 Return");
  app.WaitRows(1);  // typed 25, Enter adds
  EXPECT_EQ(2, InputContext(field, app.main)) << "the time field as it went";
  app.WaitText(ID_ROW_TIME, L"茶");  // its name
  app.WaitText(ID_ROW_TIME, L" 0:24:5", true);  // and its time
  dlg = app.Open(ID_ADD, kAdd);
  Foreground(dlg);
  Press(L"7 Escape");
  Await([&] { return !IsWindow(dlg); }, L"Esc cancels");
  app.Settle();
  EXPECT_EQ(1, app.Rows());
  Key(app, L"1");
  app.WaitText(ID_ROW_PAUSE, kPaused);  // the keys work again after the dialog
}

// The names offered come from History0.., most recent first, those added or edited to; names requested by text stay
// out. Ctrl+1 edits row 1, offering the time it has left, unpadded, and its name.
TEST_F(Window, TheTimerDialogOffersTheRecentNames) {
  Program app;
  WriteValue(L"History0", REG_SZ, L"A", 4);
  WriteValue(L"History2", REG_SZ, L"C", 4);
  app.Start();
  HWND dlg = app.Open(ID_ADD, kAdd);
  EXPECT_EQ(L"A,C,", Names(dlg));
  app.Submit(dlg, L"25", L"茶");
  app.Request(L"7(R)");
  Key(app, L"ctrl+1");
  dlg = app.Dialog(kEdit);
  EXPECT_EQ(L"茶", Text(dlg, IDC_NAME));
  EXPECT_TRUE(std::regex_match(Text(dlg, IDC_TIME), std::wregex(L"0:2[45]:\\d+"))) << Text(dlg, IDC_TIME);
  Shot(app.main, dlg, "edit_dialog");
  app.Submit(dlg, L"1:30", L"A");
  app.WaitText(ID_ROW_TIME, L" 1:29:5", true);
  dlg = app.Open(ID_ADD, kAdd);
  EXPECT_EQ(L"A,茶,C,", Names(dlg));
  app.Close(dlg, IDCANCEL);
  app.Quit();
  EXPECT_EQ(std::wstring(L"茶\0", 2), ReadValue(L"History1").Sz());
  EXPECT_FALSE(ReadValue(L"History3").exists);
}

// Row 1 shows `mark` on its pause button; paused, it stands still while row 3 counts two seconds. A screen reader
// hears what the pause button does next.
void ExpectRowOne(const Program& app, const wchar_t* mark) {
  const std::wstring shown = app.Text(ID_ROW_TIME);
  app.WaitText(ID_ROW_PAUSE, mark);
  for (int second = 0; second < 2; ++second) {
    const std::wstring was = app.Text(ID_ROW_TIME + 2);
    Await([&] { return app.Text(ID_ROW_TIME + 2) != was; }, L"row 3 counts on");
  }
  EXPECT_EQ(mark == kPaused, app.Text(ID_ROW_TIME) == shown);
  EXPECT_EQ(mark == kPaused ? L"タイマー1 再開/1" : L"タイマー1 一時停止/1", Said(app.Control(ID_ROW_PAUSE)));
}

// The digit, the keypad's digit and the button pause and resume a row. A clock timer cannot be paused; keys for rows
// that do not exist change nothing.
TEST_F(Window, PausesAndResumesByKeyAndButton) {
  Program app;
  app.Start({L"0:1:0", L"PM5:30", L"0:5"});
  app.WaitText(ID_ROW_TIME, L" 0:0", true);
  for (auto [key, mark] : {std::make_pair(L"1", kPaused), {L"1", kRunning}, {L"KP_1", kPaused}}) {
    SCOPED_TRACE(testing::PrintToString(std::wstring(key)));
    Key(app, key);
    ExpectRowOne(app, mark);
  }
  app.Command(ID_ROW_PAUSE);
  ExpectRowOne(app, kRunning);
  for (const wchar_t* key : {L"2", L"0", L"ctrl+5", L"alt+5", L"1"}) Key(app, key);  // rows 2, 10, 5 and 1
  app.WaitText(ID_ROW_PAUSE, kPaused);  // keys are handled in order: once 1 pauses row 1, all are done
  EXPECT_FALSE(IsWindowEnabled(app.Control(ID_ROW_PAUSE + 1)));
  EXPECT_EQ(kRunning, app.Text(ID_ROW_PAUSE + 1));
  EXPECT_EQ(L"PM 5:30:00", app.Text(ID_ROW_TIME + 1));
  EXPECT_EQ(3, app.Rows());
  EXPECT_EQ(0u, app.Dialogs(nullptr));
}

// Moves the mouse onto the middle of the control; X coordinates on the desktop are the Windows screen coordinates.
void MouseOn(HWND control) {
  RECT r{};
  GetWindowRect(control, &r);
  const std::wstring at = std::to_wstring((r.left + r.right) / 2) + L" " + std::to_wstring((r.top + r.bottom) / 2);
  Xdotool(L"mousemove " + at + L" mousemove_relative 1 0");
}

HWND ShownTip(const Program& app, const std::wstring& prefix) {  // a tip of the program showing a text so begun
  for (HWND tip : Shown(app.pi.dwProcessId, L"tooltips_class32"))
    if (Text(tip).rfind(prefix, 0) == 0) return tip;
  return nullptr;
}

HWND AwaitTip(const Program& app, const std::wstring& prefix) {  // the tip, as it was found showing
  HWND tip = nullptr;
  Await([&] { return (tip = ShownTip(app, prefix)) != nullptr; }, L"a tip: " + prefix);
  return tip;
}

// A control's tip: a row's whole name and its time left, which follows the row while it shows; a button's key. The
// tools go with their rows. Screen readers hear the same.
TEST_F(Window, TooltipsAndScreenReadersTellTheWholeNameAndTheKeys) {
  const std::wstring name = L"洗濯機の脱水を始める";
  Program app;
  app.Start({L"5(" + name + L")", L"1", L"2"});
  app.WaitRows(3);
  MouseOn(app.Control(ID_ROW_TIME));
  HWND tip = AwaitTip(app, name + L"\n" + kSay.left + L"0:0");
  Shot(app.main, nullptr, "tooltip_row");
  const std::wstring first = Text(tip);
  Await([&] { return Text(tip) != first; }, L"the open tip follows the row");
  EXPECT_TRUE(std::regex_match(Said(app.Control(ID_ROW_TIME)), std::wregex(kSay.timer + (L"1 " + name) + L" " + kSay.left + L"0:0\\d:\\d\\d/")));
  EXPECT_EQ(kSay.timer + std::wstring(L"3 ") + kDelete + L"/Alt+3", Said(app.Control(ID_ROW_DELETE + 2)));
  MouseOn(app.Control(ID_ROW_EDIT + 2));
  tip = AwaitTip(app, kSay.edit + std::wstring(L" (Ctrl+3)"));
  EXPECT_EQ(5 + 3 * 4, Send(tip, TTM_GETTOOLCOUNT));
  for (int row : {2, 1}) app.Close(app.Open(ID_ROW_DELETE + row, kDelete), IDOK);
  app.WaitRows(1);
  EXPECT_EQ(5 + 1 * 4, Send(tip, TTM_GETTOOLCOUNT)) << "no tool is left for the rows that went";
}

// The time field's tip, while it has the focus and at the mouse on it and its label: what the typed text means above
// the forms of a time text, and after OK on a text that is no time, that it is none.
TEST_F(Window, TheTimeFieldsTipReadsTheTypedText) {
  Program app;
  app.Start();
  HWND dlg = app.Open(ID_ADD, kAdd);
  HWND field = GetDlgItem(dlg, IDC_TIME), ok = GetDlgItem(dlg, IDOK);
  HWND tip = AwaitTip(app, kSay.hint);  // the forms show while the time field has the focus
  EXPECT_EQ(kSay.hint, Text(tip)) << "alone while it is empty";
  Foreground(dlg);
  Press(L"5 space m i n");
  tip = AwaitTip(app, kSay.fiveHours + std::wstring(L"\n\n") + kSay.hint);  // what the typed text means, above the forms
  RECT shown{}, button{}, overlap{};
  GetWindowRect(tip, &shown);
  GetWindowRect(ok, &button);
  EXPECT_FALSE(IntersectRect(&overlap, &shown, &button)) << "OK stays free";
  Shot(dlg, nullptr, "time_field_reading");
  Press(L"Tab");
  Await([&] { return !ShownTip(app, kSay.fiveHours); }, L"the tip goes with the focus");
  MouseOn(field);
  AwaitTip(app, kSay.fiveHours + std::wstring(L"\n"));  // and comes with the mouse
  MouseOn(ok);
  Await([&] { return !ShownTip(app, kSay.fiveHours); }, L"and goes with it");
  MouseOn(GetWindow(field, GW_HWNDPREV));
  AwaitTip(app, kSay.fiveHours + std::wstring(L"\n"));  // and comes back on the label
  Press(L"shift+Tab");
  Press(L"x y z");
  AwaitTip(app, kSay.refused + std::wstring(L"\n"));
  MouseOn(ok);
  Xdotool(L"click 1");
  Await([&] { return Send(field, EM_GETSEL) == MAKELONG(0, 3); }, L"OK selects the refused text");
  AwaitTip(app, kSay.refused + std::wstring(L"\n"));  // the tip says why
  EXPECT_TRUE(IsWindowVisible(dlg)) << "and the dialog stays";
  app.Close(dlg, IDCANCEL);
}

// Tab and Shift+Tab walk the buttons as they are seen, past the greyed pause of a clock timer, and show the focus;
// Space presses the focused one; a digit pauses its row wherever the focus is; a dialog gives the focus back.
TEST_F(Window, TheKeyboardAloneWalksAndPressesTheButtons) {
  Program app;
  app.Start({L"5", L"PM5:30"});
  app.WaitRows(2);
  auto focused = [&](int id) { AwaitFocus(app.Control(id), L"the focus on " + std::to_wstring(id)); };
  for (int id : {ID_ROW_PAUSE, ID_ROW_EDIT, ID_ROW_DELETE, ID_ROW_EDIT + 1, ID_ROW_DELETE + 1, ID_ADD, ID_MUTE}) {
    Key(app, L"Tab");
    focused(id);
  }
  EXPECT_EQ(0, Send(app.Control(ID_MUTE), WM_QUERYUISTATE) & UISF_HIDEFOCUS) << "the focus shows";
  Shot(app.main, app.main, "keyboard_focus");
  Key(app, L"space");
  Await([&] { return app.Check(ID_MUTE) == BST_CHECKED; }, L"Space presses it");
  Key(app, L"shift+Tab");
  focused(ID_ADD);
  Key(app, L"1");
  app.WaitText(ID_ROW_PAUSE, kPaused);  // a digit pauses its row
  focused(ID_ADD);
  app.Close(app.Open(ID_ADD, kAdd), IDCANCEL);
  focused(ID_ADD);  // back from a dialog
}

// A change of the system's colours repaints the bands in the menu colour of now, and back. Wine keeps the colours per
// process: the program's change inside it (ime_probe.dll), the driver's to match.
TEST_F(Window, FollowsTheSystemColours) {
  Program app;
  app.Start({L"5"});
  app.WaitRows(1);
  HookProbe(app);
  const int menu = COLOR_MENU;
  const COLORREF before = GetSysColor(menu);
  for (COLORREF colour : {RGB(0, 128, 0), before}) {
    SetSysColors(1, &menu, &colour);
    Send(app.main, RegisterWindowMessageW(kMenuColourMessage), colour);
    SCOPED_TRACE(colour);
    app.WaitBands({});
  }
}
