// Scenarios about the main window itself: geometry, bottom buttons, commands that must do
// nothing, top-most and the kept position.
#include "scenario_common.h"

using namespace e2e;

E2E_SCENARIO(empty_window) {
  App app;
  START(app);
  const int cw = M().charWidth, lh = M().lineHeight, pitch = M().RowPitch();
  REQUIRE(cw > 0 && lh > 0, "the default font has metrics");

  CHECK_TEXT(WindowText(app.Main()), L"Korvalinde");
  const LONG_PTR style = GetWindowLongPtrW(app.Main(), GWL_STYLE);
  CHECK((style & (WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN)) == (WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN),
        Printf("window style 0x%llx has caption, system menu and clip-children", (long long)style));
  CHECK((style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX)) == 0,
        Printf("window style 0x%llx has no sizing border and no minimize or maximize box", (long long)style));
  CHECK((app.ExStyle() & WS_EX_TOPMOST) == 0, "not top-most on the first run");

  // Client area: 25 cells wide, one row pitch high.
  RECT client = app.ClientRect();
  CHECK_EQ(Width(client), 25 * cw);
  CHECK_EQ(Height(client), pitch);
  CHECK_EQ(app.RowCount(), 0);
  for (int i = 0; i < kMaxRows; ++i)
    for (int base : {ID_ROW_LABEL, ID_ROW_TIME, ID_ROW_PAUSE, ID_ROW_EDIT, ID_ROW_DELETE})
      if (app.Exists(base + i)) CHECK(false, Printf("no row control 0x%x without timers", base + i));

  // The bottom row at y = 2.
  CHECK_PLACE(app, ID_ADD, cw, 2, 5 * cw, lh + 6);
  CHECK_PLACE(app, ID_MUTE, 6 * cw, 2, 5 * cw, lh + 6);
  CHECK_PLACE(app, ID_TOPMOST, 11 * cw, 2, 5 * cw, lh + 6);
  CHECK_PLACE(app, ID_SUSPEND_ALL, 16 * cw, 2, 5 * cw, lh + 6);
  CHECK_PLACE(app, ID_SETTINGS, 21 * cw, 2, 3 * cw, lh + 6);
  CHECK_TEXT(app.Text(ID_ADD), L"追加");
  CHECK_TEXT(app.Text(ID_MUTE), L"無言");
  CHECK_TEXT(app.Text(ID_TOPMOST), L"最前");
  CHECK_TEXT(app.Text(ID_SUSPEND_ALL), L"中断");
  CHECK_TEXT(app.Text(ID_SETTINGS), L"＊");
  CHECK(app.Enabled(ID_ADD), "add button enabled");
  for (int id : {ID_MUTE, ID_TOPMOST, ID_SUSPEND_ALL, ID_SETTINGS}) CHECK_EQ(app.CheckState(id), BST_UNCHECKED);

  // The one band behind the bottom row has the menu colour.
  COLORREF band = BandColour(app, 0);
  CHECK(band == MenuColour(), "bottom band " + Rgb(band) + " has the menu colour " + Rgb(MenuColour()));
  SavePng(CaptureWindow(app.Main()), "empty_window");

  // Closing saves the window settings only.
  DWORD code = 1234;
  PostMessageW(app.Main(), WM_CLOSE, 0, 0);
  REQUIRE(app.WaitExit(5000, &code), "the program ends after WM_CLOSE");
  CHECK_EQ(code, 0);
  RegValue pos = ReadValue(L"Position"), mute = ReadValue(L"Mute"), top = ReadValue(L"TopMost");
  CHECK(pos.exists && pos.type == REG_BINARY && pos.data.size() == 8, "Position written as 8 bytes of REG_BINARY");
  CHECK(mute.exists && mute.type == REG_BINARY && mute.data.size() == 4 && LeU32(mute.data, 0) == 0,
        "Mute written as REG_BINARY 0");
  CHECK(top.exists && top.type == REG_BINARY && top.data.size() == 4 && LeU32(top.data, 0) == 0,
        "TopMost written as REG_BINARY 0");
  CHECK(!ReadValue(L"HotKey").exists, "no HotKey before the settings dialog was confirmed");
  CHECK(!ReadValue(L"SuspendEnd").exists, "no SuspendEnd before the settings dialog was confirmed");
  CHECK(!ReadValue(L"Suspend0").exists, "closing does not hand timers over");
  CHECK(!ReadValue(L"History0").exists, "empty history writes no History0");
}

// Commands and keys for rows that do not exist, identifiers without a command, and requests
// that hold no timer, change nothing.
E2E_SCENARIO(stray_commands) {
  App app;
  START(app);
  ADD_TIMER(app, L"3", 1);
  const RECT before = app.WindowRect();

  for (int id : {ID_ROW_PAUSE + 5, ID_ROW_EDIT + 5, ID_ROW_DELETE + 5, ID_ROW_EDIT + 9, ID_ROW_DELETE + 1,
                 ID_ROW_EDIT + 0xFF, 0x1005, 0x100A, 0x100F})
    app.Command(id);
  app.Key('0');                 // row 10: pause
  app.Key('5', kCtrl);          // row 5: edit
  app.Key('5', kAlt);           // row 5: delete
  Pause(600);
  CHECK_EQ(TopWindows(app.Pid(), L"#32770").size(), 0);
  CHECK(app.Running(), "still running");
  CHECK_EQ(app.RowCount(), 1);
  CHECK_TEXT(app.Text(ID_ROW_PAUSE), kRunningMark);
  RECT after = app.WindowRect();
  CHECK(EqualRect(&before, &after), "window unchanged: " + RectText(before) + " -> " + RectText(after));

  // Requests that give no timer.
  for (const wchar_t* text : {L"0", L"", L"(tea)", L"0:0:0(zero)", L"x"}) {
    CHECK(app.AddRequest(text), "request delivered: " + Utf8(Quoted(text)));
  }
  Pause(300);
  CHECK_EQ(app.RowCount(), 1);

  // A request without a text. Sent from a child process of ours, since a sender may fault while
  // packing a null text for another process.
  {
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    wchar_t cmd[MAX_PATH + 64];
    swprintf(cmd, MAX_PATH + 64, L"\"%ls\" --send-null-request %llx", self, (unsigned long long)(uintptr_t)app.Main());
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (CreateProcessW(self, cmd, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
      DWORD code = 0xFFFF;
      if (WaitForSingleObject(pi.hProcess, 8000) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 98);
      GetExitCodeProcess(pi.hProcess, &code);
      CloseHandle(pi.hProcess);
      CloseHandle(pi.hThread);
      if (code == 0) Note("null request sent");
      else if (code == 1) Note("null request posted (sending it failed)");
      else Note(Printf("the null request could not be delivered (sender ended with 0x%lx)", code));
    } else {
      Note("could not start the null-request sender");
    }
    Pause(300);
    CHECK(app.Running(), "still running after a request without text");
    CHECK_EQ(app.RowCount(), 1);
  }

  // The program still answers.
  app.Key('1');
  CHECK(WaitText(app, ID_ROW_PAUSE, kPausedMark, 1500), "key 1 still pauses row 1");
}

E2E_SCENARIO(topmost_kept) {
  {
    App app;
    START(app);
    app.Key('T');
    CHECK(WaitFor([&] { return (app.ExStyle() & WS_EX_TOPMOST) != 0; }, 1500), "T makes the window top-most");
    CHECK_EQ(app.CheckState(ID_TOPMOST), BST_CHECKED);
    REQUIRE(app.Close(), "closes");
    RegValue v = ReadValue(L"TopMost");
    CHECK(v.exists && v.type == REG_BINARY && v.data.size() == 4 && LeU32(v.data, 0) == 1, "TopMost saved as REG_BINARY 1");
  }
  {
    App app;
    START(app);
    CHECK((app.ExStyle() & WS_EX_TOPMOST) != 0, "top-most again at the next start");
    CHECK_EQ(app.CheckState(ID_TOPMOST), BST_CHECKED);
    app.Command(ID_TOPMOST);  // the button
    CHECK(WaitFor([&] { return (app.ExStyle() & WS_EX_TOPMOST) == 0; }, 1500), "the button switches top-most off");
    CHECK_EQ(app.CheckState(ID_TOPMOST), BST_UNCHECKED);
    REQUIRE(app.Close(), "closes");
    RegValue v = ReadValue(L"TopMost");
    CHECK(v.exists && v.data.size() == 4 && LeU32(v.data, 0) == 0, "TopMost saved as 0");
  }
  {
    App app;
    START(app);
    CHECK((app.ExStyle() & WS_EX_TOPMOST) == 0, "normal at the third start");
    CHECK_EQ(app.CheckState(ID_TOPMOST), BST_UNCHECKED);
  }
}

E2E_SCENARIO(position_kept) {
  {
    App app;
    START(app);
    RECT r = app.WindowRect();
    CHECK(r.left == 0 && r.top == 0, "first run opens at (0,0): " + RectText(r));
    SetWindowPos(app.Main(), nullptr, 200, 150, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    CHECK(WaitFor([&] { RECT w = app.WindowRect(); return w.left == 200 && w.top == 150; }, 1500),
          "window moved to (200,150)");
    REQUIRE(app.Close(), "closes");
    RegValue pos = ReadValue(L"Position");
    CHECK(pos.exists && pos.type == REG_BINARY && pos.data.size() == 8, "Position is 8 bytes of REG_BINARY");
    CHECK_EQ((int32_t)LeU32(pos.data, 0), 200);
    CHECK_EQ((int32_t)LeU32(pos.data, 4), 150);
  }
  {
    App app;
    START(app);
    RECT r = app.WindowRect();
    CHECK(r.left == 200 && r.top == 150, "restarted at (200,150): " + RectText(r));
    REQUIRE(app.Close(), "closes");
  }
  {
    // A Position of 4 bytes gives x only.
    int32_t x = 120;
    REQUIRE(WriteValue(L"Position", REG_BINARY, &x, 4), "short Position written");
    App app;
    START(app);
    RECT r = app.WindowRect();
    CHECK(r.left == 120 && r.top == 0, "4-byte Position places the window at (120,0): " + RectText(r));
  }
}
