// Scenarios about making and changing timers: the timer dialog in both modes, pause and resume,
// the delete confirmation and the held ticks while a dialog is open.
#include <cstring>

#include "scenario_common.h"

using namespace e2e;

namespace {

// Reads "h:m:s" into seconds; -1 when the text is not three unpadded numbers.
long ParseEditTime(const std::wstring& t) {
  long parts[3] = {0, 0, 0};
  int field = 0;
  size_t digits = 0;
  for (wchar_t c : t) {
    if (c >= L'0' && c <= L'9') {
      if (digits > 0 && parts[field] == 0) return -1;  // a leading zero
      parts[field] = parts[field] * 10 + (c - L'0');
      ++digits;
    } else if (c == L':' && digits > 0 && field < 2) {
      ++field;
      digits = 0;
    } else {
      return -1;
    }
  }
  if (field != 2 || digits == 0) return -1;
  return parts[0] * 3600 + parts[1] * 60 + parts[2];
}

// Sets the fields of an open timer dialog.
void FillTimerDialog(HWND dialog, const std::wstring& time, const std::wstring& name) {
  CHECK(SetControlText(GetDlgItem(dialog, IDC_TIME), time), "time field set");
  CHECK(SetControlText(GetDlgItem(dialog, IDC_NAME), name), "name field set");
}

std::vector<std::wstring> ComboItems(HWND combo) {
  std::vector<std::wstring> items;
  LRESULT n = SendWithTimeout(combo, CB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < n && i < 32; ++i) {
    wchar_t buf[64] = {};
    LRESULT len = SendWithTimeout(combo, CB_GETLBTEXTLEN, i, 0);
    if (len < 0 || len >= 64) {
      items.push_back(L"<bad length>");
      continue;
    }
    SendWithTimeout(combo, CB_GETLBTEXT, i, (LPARAM)buf);
    items.emplace_back(buf);
  }
  return items;
}

}  // namespace

E2E_SCENARIO(add_dialog) {
  App app;
  START(app);
  const int cw = M().charWidth, lh = M().lineHeight, pitch = M().RowPitch();
  SetWindowPos(app.Main(), nullptr, 150, 100, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  REQUIRE(WaitFor([&] { return app.WindowRect().left == 150; }, 1500), "window moved to (150,100)");
  const RECT emptyWindow = app.WindowRect();

  app.Key('A');
  HWND dlg = app.WaitDialog(kAddCaption);
  REQUIRE(dlg, "key A opens the dialog \"タイマー追加\"");
  CHECK(GetWindow(dlg, GW_OWNER) == app.Main(), "the dialog is owned by the main window");
  CHECK(!IsWindowEnabled(app.Main()), "the main window is disabled while the dialog is open");
  {
    // The template's place (0, 0) is the owner's client origin: the dialog's client area starts
    // there (the window was moved off the screen corner so that no clamping hides the place).
    POINT origin = {0, 0}, dialogOrigin = {0, 0};
    ClientToScreen(app.Main(), &origin);
    ClientToScreen(dlg, &dialogOrigin);
    CHECK(dialogOrigin.x == origin.x && dialogOrigin.y == origin.y,
          Printf("the dialog's client area starts at the window's client origin (%ld,%ld): (%ld,%ld)", origin.x,
                 origin.y, dialogOrigin.x, dialogOrigin.y));
  }
  CHECK(GetDlgItem(dlg, IDC_TIME) != nullptr, "time field 1001 exists");
  CHECK(GetDlgItem(dlg, IDC_NAME) != nullptr, "name field 1002 exists");
  CHECK_EQ(ClassName(GetDlgItem(dlg, IDC_NAME)) == L"ComboBox", true);
  CHECK_TEXT(WindowText(GetDlgItem(dlg, IDC_TIME)), L"");
  CHECK_TEXT(WindowText(GetDlgItem(dlg, IDOK)), L"OK");
  CHECK_TEXT(WindowText(GetDlgItem(dlg, IDCANCEL)), L"キャンセル");
  CHECK_EQ(ComboItems(GetDlgItem(dlg, IDC_NAME)).size(), 0);
  CHECK_EQ(SendWithTimeout(GetDlgItem(dlg, IDC_TIME), EM_GETLIMITTEXT, 0, 0), 255);
  HWND nameEdit = FindWindowExW(GetDlgItem(dlg, IDC_NAME), nullptr, L"Edit", nullptr);
  CHECK(nameEdit != nullptr, "the name box has an edit field");
  if (nameEdit) CHECK_EQ(SendWithTimeout(nameEdit, EM_GETLIMITTEXT, 0, 0), 10);
  SavePng(CaptureWindow(dlg), "add_dialog");

  // OK with an empty time, and with a zero countdown, keeps the dialog open.
  PressDialogButton(dlg, IDOK);
  Pause(400);
  CHECK(IsWindow(dlg) && IsWindowVisible(dlg), "OK with an empty time keeps the dialog open");
  FillTimerDialog(dlg, L"0", L"zero");
  PressDialogButton(dlg, IDOK);
  Pause(400);
  CHECK(IsWindow(dlg) && IsWindowVisible(dlg), "OK with time 0 keeps the dialog open");
  CHECK_TEXT(WindowText(GetDlgItem(dlg, IDC_TIME)), L"0");
  CHECK_EQ(app.RowCount(), 0);

  FillTimerDialog(dlg, L"0:5:0", L"茶");
  PressDialogButton(dlg, IDOK);
  CHECK(app.WaitDialogGone(dlg), "OK with 0:5:0 closes the dialog");
  REQUIRE_ROWS(app, 1);
  CHECK(IsWindowEnabled(app.Main()), "the main window is enabled again");
  RECT oneRow = app.WindowRect();
  CHECK_EQ(Height(oneRow) - Height(emptyWindow), pitch);
  CHECK_EQ(Width(oneRow), Width(emptyWindow));

  // Row 1: label, display, buttons, and the bottom row one pitch lower.
  CHECK_TEXT(app.Text(ID_ROW_LABEL), L"1:");
  CHECK_TEXT(app.Text(ID_ROW_PAUSE), kRunningMark);
  CHECK_TEXT(app.Text(ID_ROW_EDIT), L"…");
  CHECK_TEXT(app.Text(ID_ROW_DELETE), L"Ｘ");
  CHECK(app.Enabled(ID_ROW_PAUSE), "a countdown's pause button is enabled");
  CHECK_PLACE(app, ID_ROW_LABEL, cw, 2 + 3, 3 * cw, lh);
  CHECK_PLACE(app, ID_ROW_TIME, 4 * cw, 2 + 1, 11 * cw, lh + 4);
  CHECK_PLACE(app, ID_ROW_PAUSE, 15 * cw, 2, 3 * cw, lh + 6);
  CHECK_PLACE(app, ID_ROW_EDIT, 18 * cw, 2, 3 * cw, lh + 6);
  CHECK_PLACE(app, ID_ROW_DELETE, 21 * cw, 2, 3 * cw, lh + 6);
  CHECK_PLACE(app, ID_ADD, cw, 2 + pitch, 5 * cw, lh + 6);
  CHECK_PLACE(app, ID_SETTINGS, 21 * cw, 2 + pitch, 3 * cw, lh + 6);
  LONG_PTR displayEx = GetWindowLongPtrW(app.Control(ID_ROW_TIME), GWL_EXSTYLE);
  CHECK((displayEx & WS_EX_CLIENTEDGE) != 0, "the time display has a sunken edge");

  // A named row takes turns: the name, then the time.
  CHECK(WaitText(app, ID_ROW_TIME, L"茶", 3000), "row 1 shows its name");
  bool sawTime = WaitFor([&] {
    std::wstring t = app.Text(ID_ROW_TIME);
    return t == L" 0:04:59" || t == L" 0:04:58" || t == L" 0:04:57";
  }, 3000);
  CHECK(sawTime, "row 1 shows its time, now " + Utf8(Quoted(app.Text(ID_ROW_TIME))));

  // The add button sends the same command as the key.
  app.Command(ID_ADD);
  dlg = app.WaitDialog(kAddCaption);
  REQUIRE(dlg, "the add button opens the dialog");
  std::vector<std::wstring> names = ComboItems(GetDlgItem(dlg, IDC_NAME));
  CHECK(names.size() == 1 && names[0] == L"茶", "the name list offers the name just used");
  FillTimerDialog(dlg, L"1:30", L"");
  PressDialogButton(dlg, IDOK);
  CHECK(app.WaitDialogGone(dlg), "OK with 1:30 closes the dialog");
  REQUIRE_ROWS(app, 2);
  CHECK_TEXT(app.Text(ID_ROW_LABEL + 1), L"2:");
  CHECK(WaitFor([&] {
    std::wstring t = app.Text(ID_ROW_TIME + 1);
    return t == L" 1:30:00" || t == L" 1:29:59";
  }, 1500), "row 2 shows an hour and a half, now " + Utf8(Quoted(app.Text(ID_ROW_TIME + 1))));
  SavePng(CaptureWindow(app.Main()), "main_two_timers");

  // Cancel changes nothing.
  app.Key('A');
  dlg = app.WaitDialog(kAddCaption);
  REQUIRE(dlg, "the dialog opens again");
  FillTimerDialog(dlg, L"7", L"cancelled");
  PressDialogButton(dlg, IDCANCEL);
  CHECK(app.WaitDialogGone(dlg), "Cancel closes the dialog");
  Pause(300);
  CHECK_EQ(app.RowCount(), 2);

  // The history is saved at exit, most recent first; the cancelled name is not in it.
  REQUIRE(app.Close(), "closes");
  RegValue h0 = ReadValue(L"History0");
  CHECK(h0.exists && h0.type == REG_SZ && h0.data.size() == 4 && h0.data[0] == 0x36 && h0.data[1] == 0x83,
        "History0 is \"茶\" as REG_SZ with its terminator");
  CHECK(!ReadValue(L"History1").exists, "only one history entry");
}

E2E_SCENARIO(pause_resume_keys) {
  App app;
  START(app);
  ADD_TIMER(app, L"0:1:0", 1);
  REQUIRE(WaitNonEmpty(app, ID_ROW_TIME), "the row shows its time");

  app.Key('1');
  CHECK(WaitText(app, ID_ROW_PAUSE, kPausedMark, 1500), "key 1 pauses: the button reads ＞");
  const std::wstring held = app.Text(ID_ROW_TIME);
  Pause(1600);
  CHECK_TEXT(app.Text(ID_ROW_TIME), held);

  app.Key('1');
  CHECK(WaitText(app, ID_ROW_PAUSE, kRunningMark, 1500), "key 1 again resumes: the button reads ■");
  CHECK(WaitFor([&] { return app.Text(ID_ROW_TIME) != held; }, 2500), "the time runs again");

  // The keypad digit and the row's button do the same.
  app.Key(VK_NUMPAD1);
  CHECK(WaitText(app, ID_ROW_PAUSE, kPausedMark, 1500), "keypad 1 pauses");
  app.Command(ID_ROW_PAUSE);
  CHECK(WaitText(app, ID_ROW_PAUSE, kRunningMark, 1500), "the pause button resumes");

  // A clock timer cannot be paused: its button is greyed, and its key does nothing.
  ADD_TIMER(app, L"PM5:30", 2);
  CHECK(!app.Enabled(ID_ROW_PAUSE + 1), "a clock timer's pause button is greyed");
  CHECK_TEXT(app.Text(ID_ROW_PAUSE + 1), kRunningMark);
  CHECK(WaitText(app, ID_ROW_TIME + 1, L"PM 5:30:00", 1500),
        "a clock timer shows its target time, now " + Utf8(Quoted(app.Text(ID_ROW_TIME + 1))));
  app.Key('2');
  Pause(400);
  CHECK_TEXT(app.Text(ID_ROW_PAUSE + 1), kRunningMark);

  // Key 0 is row 10, which does not exist.
  app.Key('0');
  Pause(300);
  CHECK_TEXT(app.Text(ID_ROW_PAUSE), kRunningMark);
  CHECK_TEXT(app.Text(ID_ROW_PAUSE + 1), kRunningMark);
}

E2E_SCENARIO(delete_confirmation) {
  App app;
  START(app);
  ADD_TIMER(app, L"1(first)", 1);
  ADD_TIMER(app, L"3", 2);
  const RECT twoRows = app.WindowRect();

  app.Key('2', kAlt);
  HWND box = app.WaitDialog(kDeleteCaption);
  REQUIRE(box, "Alt+2 asks \"削除\"");
  CHECK_TEXT(MessageBoxText(box), L"タイマー2( 0:03:00)を削除します\nよろしいですか？");
  CHECK(GetDlgItem(box, IDOK) && GetDlgItem(box, IDCANCEL), "the question has OK and Cancel");
  CHECK(GetWindow(box, GW_OWNER) == app.Main(), "the question is owned by the main window");
  SavePng(CaptureWindow(box), "delete_question");
  PressDialogButton(box, IDCANCEL);
  CHECK(app.WaitDialogGone(box), "Cancel closes the question");
  Pause(300);
  CHECK_EQ(app.RowCount(), 2);

  // The delete button asks the same; OK removes the timer and shrinks the window.
  app.Command(ID_ROW_DELETE + 1);
  box = app.WaitDialog(kDeleteCaption);
  REQUIRE(box, "the delete button asks");
  CHECK_TEXT(MessageBoxText(box), L"タイマー2( 0:03:00)を削除します\nよろしいですか？");
  PressDialogButton(box, IDOK);
  CHECK(app.WaitDialogGone(box), "OK closes the question");
  REQUIRE_ROWS(app, 1);
  RECT oneRow = app.WindowRect();
  CHECK_EQ(Height(twoRows) - Height(oneRow), M().RowPitch());
  CHECK(!app.Exists(ID_ROW_TIME + 1) && !app.Exists(ID_ROW_DELETE + 1), "row 2's controls are gone");
  CHECK(WaitText(app, ID_ROW_TIME, L"first", 2500), "row 1 is still the timer named first");

  // Deleting the first of three moves the others up.
  ADD_TIMER(app, L"2(second)", 2);
  ADD_TIMER(app, L"4(third)", 3);
  app.Command(ID_ROW_DELETE + 0);
  box = app.WaitDialog(kDeleteCaption);
  REQUIRE(box, "deleting row 1 asks");
  CHECK_TEXT(MessageBoxText(box), L"タイマー1(first)を削除します\nよろしいですか？");
  PressDialogButton(box, IDOK);
  REQUIRE_ROWS(app, 2);
  CHECK(WaitText(app, ID_ROW_TIME, L"second", 2500), "row 1 now shows second");
  CHECK(WaitText(app, ID_ROW_TIME + 1, L"third", 2500), "row 2 now shows third");
  CHECK_TEXT(app.Text(ID_ROW_LABEL + 1), L"2:");
}

E2E_SCENARIO(edit_prefill) {
  App app;
  START(app);
  ADD_TIMER(app, L"0:1:25(茶)", 1);
  Pause(1600);

  app.Key('1', kCtrl);
  HWND dlg = app.WaitDialog(kEditCaption);
  REQUIRE(dlg, "Ctrl+1 opens the dialog \"タイマー修正\"");
  std::wstring time = WindowText(GetDlgItem(dlg, IDC_TIME));
  long secs = ParseEditTime(time);
  CHECK(secs >= 80 && secs <= 84, "the time field holds the time left, unpadded: " + Utf8(Quoted(time)));
  CHECK_TEXT(WindowText(GetDlgItem(dlg, IDC_NAME)), L"茶");
  SavePng(CaptureWindow(dlg), "edit_dialog");
  PressDialogButton(dlg, IDCANCEL);
  CHECK(app.WaitDialogGone(dlg), "Cancel closes the edit dialog");

  // A clock timer shows its target time of day.
  ADD_TIMER(app, L"PM5:30", 2);
  app.Command(ID_ROW_EDIT + 1);
  dlg = app.WaitDialog(kEditCaption);
  REQUIRE(dlg, "the edit button opens the edit dialog");
  CHECK_TEXT(WindowText(GetDlgItem(dlg, IDC_TIME)), L"PM5:30:0");
  CHECK_TEXT(WindowText(GetDlgItem(dlg, IDC_NAME)), L"");
  PressDialogButton(dlg, IDCANCEL);
  CHECK(app.WaitDialogGone(dlg), "Cancel closes it");

  // More edit forms: midday and midnight hours, and a countdown beyond a day.
  struct Form {
    const wchar_t* request;
    const wchar_t* display;
    const wchar_t* edit;
  };
  const Form forms[] = {{L"PM0:15", L"PM 0:15:00", L"PM0:15:0"},
                        {L"A0:05", L"AM 0:05:00", L"AM0:5:0"},
                        {L"100:0:0", L"100:00:00", L"100:0:0"}};
  int row = 2;
  for (const Form& f : forms) {
    ADD_TIMER(app, f.request, row + 1);
    if (f.display[0] == L'1') {
      // A running countdown: the display and the edit text count down from the value set.
      CHECK(WaitFor([&] {
        std::wstring t = app.Text(ID_ROW_TIME + row);
        return t == f.display || t == L" 99:59:59" || t == L"99:59:59";
      }, 1500), "100 hours shows in full: " + Utf8(Quoted(app.Text(ID_ROW_TIME + row))));
    } else {
      CHECK(WaitText(app, ID_ROW_TIME + row, f.display, 1500),
            Utf8(f.request) + " shows " + Utf8(Quoted(app.Text(ID_ROW_TIME + row))));
    }
    app.Command(ID_ROW_EDIT + row);
    dlg = app.WaitDialog(kEditCaption);
    REQUIRE(dlg, "the edit dialog opens");
    std::wstring text = WindowText(GetDlgItem(dlg, IDC_TIME));
    if (f.display[0] == L'1')
      CHECK(text == f.edit || text == L"99:59:59", "100 hours edits as 100:0:0: " + Utf8(Quoted(text)));
    else
      CHECK_TEXT(text, f.edit);
    PressDialogButton(dlg, IDCANCEL);
    CHECK(app.WaitDialogGone(dlg), "Cancel closes it");
    ++row;
  }

  // OK with a new time and no name replaces the timer in place.
  app.Key('1', kCtrl);
  dlg = app.WaitDialog(kEditCaption);
  REQUIRE(dlg, "the edit dialog opens again");
  FillTimerDialog(dlg, L"0:0:50", L"");
  PressDialogButton(dlg, IDOK);
  CHECK(app.WaitDialogGone(dlg), "OK closes it");
  CHECK_EQ(app.RowCount(), 5);
  Pause(300);  // the display keeps its old text until the next tick writes it
  bool onlyTime = true, sawTime = false;
  const uint64_t end = Now() + 2300;
  while (Now() < end) {
    std::wstring t = app.Text(ID_ROW_TIME);
    if (t == L"茶") onlyTime = false;
    if (t == L" 0:00:50" || t == L" 0:00:49" || t == L" 0:00:48") sawTime = true;
    Pause(50);
  }
  CHECK(sawTime, "row 1 counts down from 50 seconds, now " + Utf8(Quoted(app.Text(ID_ROW_TIME))));
  CHECK(onlyTime, "row 1 has lost its name");

  // OK with the prefilled text unchanged restarts a paused countdown.
  app.Key('1');
  REQUIRE(WaitText(app, ID_ROW_PAUSE, kPausedMark, 1500), "key 1 pauses row 1");
  app.Key('1', kCtrl);
  dlg = app.WaitDialog(kEditCaption);
  REQUIRE(dlg, "the edit dialog opens for the paused timer");
  const std::wstring shown = WindowText(GetDlgItem(dlg, IDC_TIME));
  PressDialogButton(dlg, IDOK);
  CHECK(app.WaitDialogGone(dlg), "OK closes it");
  CHECK(WaitText(app, ID_ROW_PAUSE, kRunningMark, 1500), "the edited timer runs again: its button reads ■");
  const std::wstring restarted = app.Text(ID_ROW_TIME);
  CHECK(WaitFor([&] { return app.Text(ID_ROW_TIME) != restarted; }, 2500),
        "the edited timer counts down from " + Utf8(Quoted(shown)));

  // OK with a zero time keeps the edit dialog open and the timer unchanged.
  app.Key('1', kCtrl);
  dlg = app.WaitDialog(kEditCaption);
  REQUIRE(dlg, "the edit dialog opens once more");
  FillTimerDialog(dlg, L"0", L"x");
  PressDialogButton(dlg, IDOK);
  Pause(400);
  CHECK(IsWindow(dlg) && IsWindowVisible(dlg), "OK with 0 keeps the edit dialog open");
  PressDialogButton(dlg, IDCANCEL);
  CHECK(app.WaitDialogGone(dlg), "Cancel closes it");
}

// While a dialog of the window is open, no tick counts: a timer due meanwhile runs out right
// after the dialog closes.
E2E_SCENARIO(modal_holds_ticks) {
  App app;
  START(app);
  ADD_TIMER(app, L"0:0:3", 1);
  app.Key('A');
  HWND dlg = app.WaitDialog(kAddCaption, 2000);
  REQUIRE(dlg, "the add dialog opens");
  const std::wstring frozen = app.Text(ID_ROW_TIME);
  bool noticeSeen = false, changed = false;
  const uint64_t end = Now() + 5000;
  while (Now() < end) {
    if (app.FindDialog(kNoticeCaption)) noticeSeen = true;
    if (app.Text(ID_ROW_TIME) != frozen) changed = true;
    Pause(100);
  }
  CHECK(!noticeSeen, "no notice while the add dialog is open");
  CHECK(!changed, "the row display stands still while the dialog is open: " + Utf8(Quoted(frozen)));
  CHECK_EQ(app.RowCount(), 1);

  const uint64_t closed = Now();
  PressDialogButton(dlg, IDCANCEL);
  HWND notice = app.WaitDialog(kNoticeCaption, 2000);
  CHECK(notice != nullptr, "the notice follows right after the dialog closes");
  if (notice) {
    Note(Printf("notice %llu ms after Cancel", (unsigned long long)(Now() - closed)));
    CHECK_TEXT(MessageBoxText(notice), L"時間です\n 0:00:03");
    PressDialogButton(notice, IDOK);
    CHECK(WaitRows(app, 0), "rows: " + RowsState(app));
  }
}

// The dialog from the keyboard alone: the time field has the focus, Enter is OK, Esc is Cancel.
E2E_SCENARIO(dialog_keys) {
  App app;
  START(app);
  app.Key('A');
  HWND dlg = app.WaitDialog(kAddCaption);
  REQUIRE(dlg, "key A opens the add dialog");
  GUITHREADINFO gui{};
  gui.cbSize = sizeof gui;
  HWND focus = nullptr;
  WaitFor([&] {
    focus = GetGUIThreadInfo(GetWindowThreadProcessId(dlg, nullptr), &gui) ? gui.hwndFocus : nullptr;
    return focus == GetDlgItem(dlg, IDC_TIME);
  }, 1000);
  CHECK(focus == GetDlgItem(dlg, IDC_TIME), "the time field has the focus");
  SetForegroundWindow(dlg);
  PressKey('2');
  PressKey('5');
  CHECK(WaitFor([&] { return WindowText(GetDlgItem(dlg, IDC_TIME)) == L"25"; }, 1000),
        "typed digits reach the time field: " + Utf8(Quoted(WindowText(GetDlgItem(dlg, IDC_TIME)))));
  PressKey(VK_RETURN);
  CHECK(app.WaitDialogGone(dlg), "Enter closes the dialog");
  REQUIRE_ROWS(app, 1);
  CHECK(WaitFor([&] {
    std::wstring t = app.Text(ID_ROW_TIME);
    return t == L" 0:25:00" || t == L" 0:24:59";
  }, 1500), "Enter added a 25-minute timer: " + Utf8(Quoted(app.Text(ID_ROW_TIME))));

  app.Key('A');
  dlg = app.WaitDialog(kAddCaption);
  REQUIRE(dlg, "the add dialog opens again");
  SetForegroundWindow(dlg);
  PressKey('7');
  PressKey(VK_ESCAPE);
  CHECK(app.WaitDialogGone(dlg), "Esc closes the dialog");
  Pause(300);
  CHECK_EQ(app.RowCount(), 1);

  // The accelerators work again after the dialog: key 1 pauses the new timer.
  app.Key('1');
  CHECK(WaitText(app, ID_ROW_PAUSE, kPausedMark, 1500), "key 1 pauses after the dialog closed");
}

// A full table: the tenth row is 0:, adding is refused in every way, key 0 reaches row 10.
E2E_SCENARIO(ten_timers) {
  App app;
  START(app);
  for (int i = 1; i <= kMaxRows; ++i) {
    std::wstring text = std::to_wstring(i) + L"(t" + std::to_wstring(i) + L")";
    CHECK(app.AddRequest(text), "request delivered");
  }
  REQUIRE_ROWS(app, kMaxRows);
  CHECK_EQ(Height(app.ClientRect()), 11 * M().RowPitch());
  CHECK_TEXT(app.Text(ID_ROW_LABEL + 8), L"9:");
  CHECK_TEXT(app.Text(ID_ROW_LABEL + 9), L"0:");
  CHECK(!app.Enabled(ID_ADD), "the add button is greyed");
  CHECK_PLACE(app, ID_ADD, M().charWidth, 2 + 10 * M().RowPitch(), 5 * M().charWidth, M().lineHeight + 6);
  SavePng(CaptureWindow(app.Main()), "ten_timers");

  CHECK(app.AddRequest(L"11(eleven)"), "request delivered");
  app.Key('A');
  app.Command(ID_ADD);
  Pause(600);
  CHECK_EQ(app.CountDialogs(kAddCaption), 0);
  CHECK_EQ(app.RowCount(), kMaxRows);

  app.Key('0');
  CHECK(WaitText(app, ID_ROW_PAUSE + 9, kPausedMark, 1500), "key 0 pauses row 10");
  app.Key(VK_NUMPAD0);
  CHECK(WaitText(app, ID_ROW_PAUSE + 9, kRunningMark, 1500), "keypad 0 resumes row 10");

  app.Key('0', kAlt);
  HWND box = app.WaitDialog(kDeleteCaption);
  REQUIRE(box, "Alt+0 asks about row 10");
  CHECK_TEXT(MessageBoxText(box), L"タイマー10(t10)を削除します\nよろしいですか？");
  PressDialogButton(box, IDOK);
  REQUIRE_ROWS(app, kMaxRows - 1);
  CHECK(app.Enabled(ID_ADD), "the add button is enabled again");
  CHECK(!app.Exists(ID_ROW_LABEL + 9), "row 10 is gone");
}

// What a row shows: the time rounded up to whole seconds; for a named timer one second of name
// and one second of time in turn; for a clock timer its target time.
E2E_SCENARIO(row_display) {
  App app;
  START(app);
  ADD_TIMER(app, L"0:0:4", 1);
  ADD_TIMER(app, L"0:10(pot)", 2);
  ADD_TIMER(app, L"A9:05", 3);

  // Sample the three displays until the countdown runs out.
  std::vector<std::wstring> countdown;
  std::vector<std::pair<bool, uint64_t>> runs;  // row 2: (shows the name, when the run began)
  bool clockSteady = true;
  std::wstring clockText;
  WaitFor([&] {
    std::wstring t = app.Text(ID_ROW_TIME);
    if (!t.empty() && (countdown.empty() || countdown.back() != t)) countdown.push_back(t);
    std::wstring n = app.Text(ID_ROW_TIME + 1);
    bool isName = n == L"pot";
    // The first run is cut short: the name shows from whatever phase the blink was in.
    if (!n.empty() && (runs.empty() || runs.back().first != isName)) runs.push_back({isName, Now()});
    std::wstring c = app.Text(ID_ROW_TIME + 2);
    if (!c.empty() && c != L"AM 9:05:00") {
      clockSteady = false;
      clockText = c;
    }
    return app.FindDialog(kNoticeCaption) != nullptr;
  }, 6000);

  std::wstring all;
  for (const auto& t : countdown) all += t + L"|";
  CHECK(countdown.size() >= 4 && countdown[0] == L" 0:00:04" && countdown[1] == L" 0:00:03" &&
            countdown[2] == L" 0:00:02" && countdown[3] == L" 0:00:01",
        "a four-second countdown reads 0:00:04 down to 0:00:01: " + Utf8(Quoted(all)));

  int whole = 0;
  for (size_t i = 1; i + 1 < runs.size(); ++i) {
    uint64_t len = runs[i + 1].second - runs[i].second;
    CHECK(len >= 850 && len <= 1150, Printf("a %s run lasts about one second (%llu ms)",
                                            runs[i].first ? "name" : "time", (unsigned long long)len));
    ++whole;
  }
  CHECK(whole >= 2, Printf("at least two whole runs of name and time seen (%d)", whole));
  CHECK(clockSteady, "the clock timer shows AM 9:05:00 all the time, not " + Utf8(Quoted(clockText)));

  HWND notice = app.WaitDialog(kNoticeCaption, 1000);
  REQUIRE(notice, "the notice");
  CHECK_TEXT(MessageBoxText(notice), L"時間です\n 0:00:04");
  PressDialogButton(notice, IDOK);
  REQUIRE_ROWS(app, 2);
}

namespace {

void WriteHistory(int index, const std::wstring& name) {
  std::wstring value = L"History" + std::to_wstring(index);
  REQUIRE(WriteValue(value.c_str(), REG_SZ, name.c_str(), (DWORD)((name.size() + 1) * 2)), "history value written");
}

std::wstring ReadHistory(int index) {
  RegValue v = ReadValue((L"History" + std::to_wstring(index)).c_str());
  if (!v.exists) return L"<missing>";
  if (v.type != REG_SZ || v.data.size() % 2 || v.data.size() < 2) return L"<bad value>";
  std::wstring s(v.data.size() / 2 - 1, L'\0');
  memcpy(&s[0], v.data.data(), s.size() * 2);
  if (v.data[v.data.size() - 1] || v.data[v.data.size() - 2]) return L"<no terminator>";
  return s;
}

// Opens the dialog (add, or edit of row `editRow`), reads its name list, and ends it with OK
// and the given texts, or with Cancel when `time` is empty.
std::vector<std::wstring> RunDialog(App& app, int editRow, const std::wstring& time, const std::wstring& name) {
  app.Command(editRow < 0 ? ID_ADD : ID_ROW_EDIT + editRow);
  HWND dlg = app.WaitDialog(editRow < 0 ? kAddCaption : kEditCaption);
  REQUIRE(dlg, "the timer dialog opens");
  std::vector<std::wstring> items = ComboItems(GetDlgItem(dlg, IDC_NAME));
  if (time.empty()) {
    PressDialogButton(dlg, IDCANCEL);
  } else {
    FillTimerDialog(dlg, time, name);
    PressDialogButton(dlg, IDOK);
  }
  REQUIRE(app.WaitDialogGone(dlg), "the timer dialog closes");
  return items;
}

std::wstring Joined(const std::vector<std::wstring>& items) {
  std::wstring s = L"[";
  for (size_t i = 0; i < items.size(); ++i) s += (i ? L", " : L"") + items[i];
  return s + L"]";
}

}  // namespace

// The names offered in the dialog: loaded from History0.., most recent first, a name used again
// moves to the front, case counts, cancelled and requested names stay out, saved at exit.
E2E_SCENARIO(name_history) {
  WriteHistory(0, L"A");
  WriteHistory(2, L"C");  // History1 missing: the entries close up
  WriteHistory(3, L"0123456789X");  // 11 units and a terminator: too long, skipped
  {
    App app;
    START(app);
    CHECK_TEXT(Joined(RunDialog(app, -1, L"9", L"C")), L"[A, C]");
    CHECK_TEXT(Joined(RunDialog(app, -1, L"9", L"c")), L"[C, A]");
    CHECK_TEXT(Joined(RunDialog(app, -1, L"", L"")), L"[c, C, A]");
    CHECK_TEXT(Joined(RunDialog(app, 0, L"8", L"A")), L"[c, C, A]");
    CHECK(app.AddRequest(L"7(R)"), "request delivered");
    CHECK_TEXT(Joined(RunDialog(app, -1, L"", L"")), L"[A, c, C]");
    REQUIRE(app.Close(), "closes");
  }
  CHECK_TEXT(ReadHistory(0), L"A");
  CHECK_TEXT(ReadHistory(1), L"c");
  CHECK_TEXT(ReadHistory(2), L"C");
  CHECK(!ReadValue(L"History3").exists, "History3 removed: three names are left");

  // A full list loses its oldest name to a new one.
  for (int i = 0; i < 16; ++i) WriteHistory(i, L"n" + std::to_wstring(i));
  {
    App app;
    START(app);
    std::vector<std::wstring> items = RunDialog(app, -1, L"9", L"new");
    CHECK_EQ(items.size(), 16);
    if (items.size() == 16) CHECK_TEXT(items[15], L"n15");
    items = RunDialog(app, -1, L"", L"");
    CHECK_EQ(items.size(), 16);
    if (items.size() == 16) {
      CHECK_TEXT(items[0], L"new");
      CHECK_TEXT(items[15], L"n14");
    }
    REQUIRE(app.Close(), "closes");
  }
  CHECK_TEXT(ReadHistory(0), L"new");
  CHECK_TEXT(ReadHistory(15), L"n14");
}
