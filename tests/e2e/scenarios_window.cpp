// The main window: geometry without timers, commands for rows that do not exist, and the
// top-most state and position kept from one run to the next.
#include "scenario_common.h"

using namespace e2e;

E2E_SCENARIO(empty_window) {
  App app;
  START(app);
  const int cw = M().charWidth, lh = M().lineHeight;
  REQUIRE(cw > 0 && lh > 0, "the default font has metrics");
  CHECK_TEXT(WindowText(app.Main()), L"Korvalinde");
  const LONG_PTR style = GetWindowLongPtrW(app.Main(), GWL_STYLE);
  CHECK((style & (WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX)) ==
            (WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN),
        Printf("style 0x%llx: caption, system menu, clip-children; no sizing, no min/max box", (long long)style));
  CHECK((app.ExStyle() & WS_EX_TOPMOST) == 0, "not top-most on the first run");
  CHECK_EQ(Width(app.ClientRect()), 25 * cw);
  CHECK_EQ(Height(app.ClientRect()), M().RowPitch());
  CHECK_EQ(app.RowCount(), 0);

  const struct { int id, cell, cells; const wchar_t* text; } buttons[] = {
      {ID_ADD, 1, 5, L"追加"}, {ID_MUTE, 6, 5, L"無言"}, {ID_TOPMOST, 11, 5, L"最前"},
      {ID_SUSPEND_ALL, 16, 5, L"中断"}, {ID_SETTINGS, 21, 3, L"＊"}};
  for (const auto& b : buttons) {
    CHECK_PLACE(app, b.id, b.cell * cw, 2, b.cells * cw, lh + 6);
    CHECK_TEXT(app.Text(b.id), b.text);
    CHECK_EQ(app.CheckState(b.id), BST_UNCHECKED);
  }
  CHECK(app.Enabled(ID_ADD), "add button enabled");
  COLORREF band = BandColour(app, 0);
  CHECK(band == MenuColour(), "the bottom band " + Rgb(band) + " has the menu colour " + Rgb(MenuColour()));
  Shot(app.Main(), app.Main(), "empty_window");

  DWORD code = 1234;
  PostMessageW(app.Main(), WM_CLOSE, 0, 0);
  REQUIRE(app.WaitExit(5000, &code), "the program ends after WM_CLOSE");
  CHECK_EQ(code, 0);
  for (const wchar_t* name : {L"HotKey", L"SuspendEnd", L"Suspend0", L"History0"})
    CHECK(!ReadValue(name).exists, "a plain close of a fresh window writes no " + Utf8(name));
}

// Commands and keys for rows that do not exist, and identifiers without a command, change nothing.
E2E_SCENARIO(stray_commands) {
  App app;
  START(app);
  ADD_TIMER(app, L"3", 1);
  const RECT before = app.WindowRect();
  for (int id : {ID_ROW_PAUSE + 5, ID_ROW_EDIT + 5, ID_ROW_DELETE + 5, ID_ROW_EDIT + 9, ID_ROW_DELETE + 1,
                 ID_ROW_EDIT + 0xFF, 0x1005, 0x100A, 0x100F})
    app.Command(id);
  app.Key('0');           // row 10: pause
  app.Key('5', kCtrl);    // row 5: edit
  app.Key('5', kAlt);     // row 5: delete
  Pause(600);
  CHECK_EQ(TopWindows(app.Pid(), L"#32770").size(), 0);
  CHECK_EQ(app.RowCount(), 1);
  CHECK_TEXT(app.Text(ID_ROW_PAUSE), kRunningMark);
  RECT after = app.WindowRect();
  CHECK(EqualRect(&before, &after), "window unchanged: " + RectText(before) + " -> " + RectText(after));
  app.Key('1');
  CHECK(WaitText(app, ID_ROW_PAUSE, kPausedMark), "key 1 still pauses row 1");
}

// Top-most (key T, then the button) and the window's place survive a restart.
E2E_SCENARIO(window_settings_kept) {
  {
    App app;
    START(app);
    RECT r = app.WindowRect();
    CHECK(r.left == 0 && r.top == 0, "the first run opens at (0,0): " + RectText(r));
    app.Key('T');
    CHECK(WaitFor([&] { return (app.ExStyle() & WS_EX_TOPMOST) != 0; }, 1500), "T makes the window top-most");
    CHECK_EQ(app.CheckState(ID_TOPMOST), BST_CHECKED);
    SetWindowPos(app.Main(), nullptr, 200, 150, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    REQUIRE(WaitFor([&] { return app.WindowRect().left == 200; }, 1500), "window moved to (200,150)");
    REQUIRE(app.Close(), "closes");
  }
  RegValue pos = ReadValue(L"Position");
  CHECK(pos.exists && pos.type == REG_BINARY && pos.data.size() == 8 && LeU32(pos.data, 0) == 200 &&
            LeU32(pos.data, 4) == 150,
        "Position saved as 8 bytes of REG_BINARY: 200, 150");
  CHECK(IsBinary32(L"TopMost", 1), "TopMost saved as REG_BINARY 1");
  {
    App app;
    START(app);
    RECT r = app.WindowRect();
    CHECK(r.left == 200 && r.top == 150, "restarted at (200,150): " + RectText(r));
    CHECK((app.ExStyle() & WS_EX_TOPMOST) != 0, "top-most again at the next start");
    CHECK_EQ(app.CheckState(ID_TOPMOST), BST_CHECKED);
    app.Command(ID_TOPMOST);
    CHECK(WaitFor([&] { return (app.ExStyle() & WS_EX_TOPMOST) == 0; }, 1500), "the button switches top-most off");
    CHECK_EQ(app.CheckState(ID_TOPMOST), BST_UNCHECKED);
    REQUIRE(app.Close(), "closes");
  }
  CHECK(IsBinary32(L"TopMost", 0), "TopMost saved as REG_BINARY 0");
  // A position on a monitor that is gone opens the window at the top-left corner.
  int32_t lost[2] = {-30000, 40000};
  REQUIRE(WriteValue(L"Position", REG_BINARY, lost, sizeof(lost)), "an unreachable Position written");
  App app;
  START(app);
  CHECK((app.ExStyle() & WS_EX_TOPMOST) == 0, "normal at the third start");
  RECT r = app.WindowRect();
  CHECK(r.left == 0 && r.top == 0, "a position on no monitor falls back to (0,0): " + RectText(r));
}
