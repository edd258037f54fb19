// Making and changing timers: the timer dialog in both modes, the recent names, pause and resume,
// the delete question and the ticks held while a dialog is open.
#include "scenario_common.h"

using namespace e2e;

static HWND FocusOf(HWND window) {
  GUITHREADINFO gui{};
  gui.cbSize = sizeof gui;
  return GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &gui) ? gui.hwndFocus : nullptr;
}

E2E_SCENARIO(add_dialog) {
  App app;
  START(app);
  const int cw = M().charWidth, lh = M().lineHeight, pitch = M().RowPitch();
  SetWindowPos(app.Main(), nullptr, 150, 100, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  REQUIRE(WaitFor([&] { return app.WindowRect().left == 150; }, 1500), "window moved off the screen corner");
  const RECT emptyWindow = app.WindowRect();

  app.Key('A');
  HWND dlg = app.WaitDialog(kAddCaption);
  REQUIRE(dlg, "key A opens the dialog タイマー追加");
  CHECK(GetWindow(dlg, GW_OWNER) == app.Main(), "the dialog is owned by the main window");
  CHECK(!IsWindowEnabled(app.Main()), "the main window is disabled while the dialog is open");
  POINT origin = {0, 0}, dialogOrigin = {0, 0};
  ClientToScreen(app.Main(), &origin);
  ClientToScreen(dlg, &dialogOrigin);
  CHECK(dialogOrigin.x == origin.x && dialogOrigin.y == origin.y,
        Printf("the dialog's client area starts at the window's client origin (%ld,%ld): (%ld,%ld)", origin.x,
               origin.y, dialogOrigin.x, dialogOrigin.y));
  CHECK(WaitFor([&] { return FocusOf(dlg) == GetDlgItem(dlg, IDC_TIME); }, 1000), "the time field has the focus");
  CHECK_TEXT(ClassName(GetDlgItem(dlg, IDC_NAME)), L"ComboBox");
  CHECK_TEXT(Field(dlg, IDC_TIME), L"");
  CHECK_TEXT(Field(dlg, IDOK), L"OK");
  CHECK_TEXT(Field(dlg, IDCANCEL), L"キャンセル");
  CHECK_TEXT(ComboItems(dlg), L"[]");
  CHECK_EQ(SendWithTimeout(GetDlgItem(dlg, IDC_TIME), EM_GETLIMITTEXT, 0, 0), 255);
  HWND nameEdit = FindWindowExW(GetDlgItem(dlg, IDC_NAME), nullptr, L"Edit", nullptr);
  CHECK(nameEdit && SendWithTimeout(nameEdit, EM_GETLIMITTEXT, 0, 0) == 10, "the name takes ten units");
  Shot(app.Main(), dlg, "add_dialog");

  for (const wchar_t* time : {L"", L"0"})
    CHECK(!SubmitTimerDialog(app, dlg, time, L"zero"), "OK with time " + Q(time) + " keeps the dialog open");
  CHECK_EQ(app.RowCount(), 0);

  // From the keyboard: typed digits and Enter.
  SetControlText(GetDlgItem(dlg, IDC_TIME), L"");
  SetControlText(GetDlgItem(dlg, IDC_NAME), L"茶");
  SetForegroundWindow(dlg);
  PressKey('2');
  PressKey('5');
  CHECK(WaitFor([&] { return Field(dlg, IDC_TIME) == L"25"; }, 1000), "typed digits reach the time field");
  PressKey(VK_RETURN);
  CHECK(app.WaitDialogGone(dlg), "Enter closes the dialog");
  REQUIRE_ROWS(app, 1);
  CHECK(IsWindowEnabled(app.Main()), "the main window is enabled again");
  CHECK_EQ(Height(app.WindowRect()) - Height(emptyWindow), pitch);
  CHECK_EQ(Width(app.WindowRect()), Width(emptyWindow));

  CHECK_TEXT(app.Text(ID_ROW_LABEL), L"1:");
  CHECK_TEXT(app.Text(ID_ROW_PAUSE), kRunningMark);
  CHECK_TEXT(app.Text(ID_ROW_EDIT), L"…");
  CHECK_TEXT(app.Text(ID_ROW_DELETE), L"Ｘ");
  CHECK_PLACE(app, ID_ROW_LABEL, cw, 2 + 3, 3 * cw, lh);
  CHECK_PLACE(app, ID_ROW_TIME, 4 * cw, 2 + 1, 11 * cw, lh + 4);
  CHECK_PLACE(app, ID_ROW_PAUSE, 15 * cw, 2, 3 * cw, lh + 6);
  CHECK_PLACE(app, ID_ROW_EDIT, 18 * cw, 2, 3 * cw, lh + 6);
  CHECK_PLACE(app, ID_ROW_DELETE, 21 * cw, 2, 3 * cw, lh + 6);
  CHECK_PLACE(app, ID_ADD, cw, 2 + pitch, 5 * cw, lh + 6);
  CHECK((GetWindowLongPtrW(app.Control(ID_ROW_TIME), GWL_EXSTYLE) & WS_EX_CLIENTEDGE) != 0,
        "the time display has a sunken edge");
  CHECK(WaitText(app, ID_ROW_TIME, L"茶", 3000), "row 1 shows its name");
  CHECK(WaitPrefix(app, ID_ROW_TIME, L" 0:24:5", 3000), "row 1 shows its time: " + Q(app.Text(ID_ROW_TIME)));

  // The add button: the name just used is offered; Esc cancels, OK adds.
  dlg = OpenTimerDialog(app);
  CHECK_TEXT(ComboItems(dlg), L"[茶]");
  SetForegroundWindow(dlg);
  PressKey('7');
  PressKey(VK_ESCAPE);
  CHECK(app.WaitDialogGone(dlg), "Esc closes the dialog");
  Pause(300);
  CHECK_EQ(app.RowCount(), 1);
  CHECK(SubmitTimerDialog(app, OpenTimerDialog(app), L"1:30", L""), "OK with 1:30 closes the dialog");
  REQUIRE_ROWS(app, 2);
  CHECK(WaitPrefix(app, ID_ROW_TIME + 1, L" 1:"), "row 2 shows an hour and a half: " + Q(app.Text(ID_ROW_TIME + 1)));
  app.Key('1');
  CHECK(WaitText(app, ID_ROW_PAUSE, kPausedMark), "the keys work again after the dialog: 1 pauses row 1");
}

// The names offered in the dialog come from History0.. and are kept most recent first; names that
// were cancelled or came by request stay out; the list is saved at exit.
E2E_SCENARIO(name_history) {
  for (const auto& h : {std::make_pair(L"History0", L"A"), std::make_pair(L"History2", L"C")})
    REQUIRE(WriteValue(h.first, REG_SZ, h.second, 4), "history value written");
  {
    App app;
    START(app);
    HWND dlg = OpenTimerDialog(app);
    CHECK_TEXT(ComboItems(dlg), L"[A, C]");
    CHECK(SubmitTimerDialog(app, dlg, L"9", L"c"), "OK adds a timer named c");
    dlg = OpenTimerDialog(app);
    CHECK_TEXT(ComboItems(dlg), L"[c, A, C]");
    SetControlText(GetDlgItem(dlg, IDC_NAME), L"Z");
    CancelDialog(app, dlg);
    CHECK(app.AddRequest(L"7(R)"), "request delivered");
    CHECK(SubmitTimerDialog(app, OpenTimerDialog(app, 0), L"8", L"A"), "editing row 1 with the name A");
    CHECK_TEXT(ComboItems(dlg = OpenTimerDialog(app)), L"[A, c, C]");
    CancelDialog(app, dlg);
    REQUIRE(app.Close(), "closes");
  }
  for (int i = 0; i < 4; ++i) {
    RegValue v = ReadValue((L"History" + std::to_wstring(i)).c_str());
    std::wstring text = v.exists && v.type == REG_SZ ? std::wstring((const wchar_t*)v.data.data(), v.data.size() / 2) : L"";
    CHECK_TEXT(text, i < 3 ? std::wstring(1, L"AcC"[i]) + L'\0' : L"");
  }
}

E2E_SCENARIO(pause_resume_keys) {
  App app;
  START(app);
  ADD_TIMER(app, L"0:1:0", 1);
  ADD_TIMER(app, L"PM5:30", 2);
  REQUIRE(WaitPrefix(app, ID_ROW_TIME, L" 0:0"), "row 1 shows its time");
  const struct { WORD key; bool button; const wchar_t* mark; } steps[] = {
      {'1', false, kPausedMark}, {'1', false, kRunningMark}, {VK_NUMPAD1, false, kPausedMark},
      {0, true, kRunningMark}};
  for (const auto& s : steps) {
    const bool first = &s - steps < 2;
    if (s.button) app.Command(ID_ROW_PAUSE);
    else app.Key(s.key);
    CHECK(WaitText(app, ID_ROW_PAUSE, s.mark, 1500),
          Printf("%s %s row 1", s.button ? "the button" : "the key", s.mark == kPausedMark ? "pauses" : "resumes"));
    if (first && s.mark == kPausedMark) CHECK(TextFrozen(app, ID_ROW_TIME, 1300), "a paused row stands still");
    if (first && s.mark == kRunningMark) CHECK(!TextFrozen(app, ID_ROW_TIME, 1300), "a resumed row counts");
  }
  // A clock timer cannot be paused: its button is greyed, and its key does nothing.
  CHECK(!app.Enabled(ID_ROW_PAUSE + 1), "a clock timer's pause button is greyed");
  CHECK(WaitText(app, ID_ROW_TIME + 1, L"PM 5:30:00"), "a clock timer shows its target: " + Q(app.Text(ID_ROW_TIME + 1)));
  app.Key('2');
  Pause(400);
  CHECK_TEXT(app.Text(ID_ROW_PAUSE + 1), kRunningMark);
}

E2E_SCENARIO(delete_confirmation) {
  App app;
  START(app);
  ADD_TIMER(app, L"1(first)", 1);
  ADD_TIMER(app, L"3", 2);
  const RECT twoRows = app.WindowRect();
  const std::wstring question = L"タイマー2( 0:03:00)を削除します\nよろしいですか？";

  app.Key('2', kAlt);
  HWND box = app.WaitDialog(kDeleteCaption);
  REQUIRE(box, "Alt+2 asks 削除");
  CHECK_TEXT(MessageBoxText(box), question);
  CHECK(GetDlgItem(box, IDOK) && GetDlgItem(box, IDCANCEL), "the question has OK and Cancel");
  CHECK(GetWindow(box, GW_OWNER) == app.Main(), "the question is owned by the main window");
  Shot(app.Main(), box, "delete_question");
  CancelDialog(app, box);
  Pause(300);
  CHECK_EQ(app.RowCount(), 2);

  app.Command(ID_ROW_DELETE + 1);
  box = app.WaitDialog(kDeleteCaption);
  REQUIRE(box, "the delete button asks");
  CHECK_TEXT(MessageBoxText(box), question);
  PressDialogButton(box, IDOK);
  REQUIRE_ROWS(app, 1);
  CHECK_EQ(Height(twoRows) - Height(app.WindowRect()), M().RowPitch());
  CHECK(WaitText(app, ID_ROW_TIME, L"first"), "row 1 is still the timer named first");

  // Deleting the first of three moves the others up.
  ADD_TIMER(app, L"2(second)", 2);
  ADD_TIMER(app, L"4(third)", 3);
  app.Command(ID_ROW_DELETE);
  box = app.WaitDialog(kDeleteCaption);
  REQUIRE(box, "deleting row 1 asks");
  CHECK_TEXT(MessageBoxText(box), L"タイマー1(first)を削除します\nよろしいですか？");
  PressDialogButton(box, IDOK);
  REQUIRE_ROWS(app, 2);
  CHECK(WaitText(app, ID_ROW_TIME, L"second"), "row 1 now shows second");
  CHECK(WaitText(app, ID_ROW_TIME + 1, L"third"), "row 2 now shows third");
}

E2E_SCENARIO(edit_prefill) {
  App app;
  START(app);
  ADD_TIMER(app, L"0:1:25(茶)", 1);
  ADD_TIMER(app, L"PM5:30", 2);
  ADD_TIMER(app, L"A0:05", 3);
  Pause(1600);
  // What the edit dialog is filled with: the time left, unpadded; a clock timer's target.
  const struct { int row; std::vector<std::wstring> times; const wchar_t* name; } cases[] = {
      {0, {L"0:1:22", L"0:1:23", L"0:1:24"}, L"茶"}, {1, {L"PM5:30:0"}, L""}, {2, {L"AM0:5:0"}, L""}};
  for (const auto& c : cases) {
    HWND dlg = OpenTimerDialog(app, c.row);
    std::wstring time = Field(dlg, IDC_TIME);
    bool ok = false;
    for (const auto& t : c.times) ok = ok || t == time;
    CHECK(ok, Printf("row %d edits as ", c.row + 1) + Q(time) + ", expected " + Q(c.times[0]));
    CHECK_TEXT(Field(dlg, IDC_NAME), c.name);
    if (c.row == 0) Shot(app.Main(), dlg, "edit_dialog");
    CancelDialog(app, dlg);
  }

  // OK with a new time and no name replaces the timer in place.
  app.Key('1', kCtrl);
  HWND dlg = app.WaitDialog(kEditCaption);
  REQUIRE(dlg, "Ctrl+1 opens the edit dialog");
  CHECK(SubmitTimerDialog(app, dlg, L"0:0:50", L""), "OK closes it");
  CHECK_EQ(app.RowCount(), 3);
  Pause(300);  // the display keeps its old text until the next tick
  bool named = false;
  WaitFor([&] { named = named || app.Text(ID_ROW_TIME) == L"茶"; return false; }, 2200);
  CHECK(!named, "row 1 has lost its name");
  CHECK(StartsWith(app.Text(ID_ROW_TIME), L" 0:00:4"), "row 1 counts down from 50 s: " + Q(app.Text(ID_ROW_TIME)));

  // OK with the prefilled text unchanged restarts a paused countdown.
  app.Key('1');
  REQUIRE(WaitText(app, ID_ROW_PAUSE, kPausedMark), "key 1 pauses row 1");
  dlg = OpenTimerDialog(app, 0);
  PressDialogButton(dlg, IDOK);
  CHECK(app.WaitDialogGone(dlg), "OK closes it");
  CHECK(WaitText(app, ID_ROW_PAUSE, kRunningMark), "the edited timer runs again");
  CHECK(!TextFrozen(app, ID_ROW_TIME, 2500), "and counts down");

  CHECK(!SubmitTimerDialog(app, dlg = OpenTimerDialog(app, 0), L"0", L"x"), "OK with 0 keeps the edit dialog open");
  CancelDialog(app, dlg);
}

// While a dialog of the window is open no tick counts: a timer due meanwhile runs out right after.
E2E_SCENARIO(modal_holds_ticks) {
  App app;
  START(app);
  ADD_TIMER(app, L"0:0:3", 1);
  REQUIRE(WaitPrefix(app, ID_ROW_TIME, L" 0:00:0"), "the row shows its time");
  HWND dlg = OpenTimerDialog(app);
  const uint64_t end = Now() + 5000;
  bool notice = false, frozen = true;
  const std::wstring first = app.Text(ID_ROW_TIME);
  while (Now() < end) {
    notice = notice || app.FindDialog(kNoticeCaption);
    frozen = frozen && app.Text(ID_ROW_TIME) == first;
    Pause(100);
  }
  CHECK(!notice, "no notice while the add dialog is open");
  CHECK(frozen, "the row stands still while the dialog is open: " + Q(first));
  PressDialogButton(dlg, IDCANCEL);
  HWND box = app.WaitDialog(kNoticeCaption, 2000);
  REQUIRE(box, "the notice follows right after the dialog closes");
  CHECK_TEXT(MessageBoxText(box), L"時間です\n 0:00:03");
  PressDialogButton(box, IDOK);
  CHECK(WaitRows(app, 0), "rows: " + RowsState(app));
}
