// kvwin: the scripts' hands on Korvalinde inside the Wine session (scripts/run.sh, scripts/dpi-shots.sh).
// WINDOW is main, add, settings or notice: the main window, the timer dialog, the settings dialog, the notice.
//   kvwin show WINDOW          waits until it shows (a dialog also until it is the active window), repaints it
//                              and prints "x y width height" of the window, then of its client area, on screen
//   kvwin press WINDOW BUTTON  clicks BUTTON (add, mute, settings, cancel) as its WM_COMMAND does; a dialog is
//                              then waited for until it has gone
//   kvwin row N                prints the text of the time display of row N (from 1), in UTF-8
//   kvwin bands FLAGS          waits until the band behind each row is red where FLAGS has a 1 (row 1 first) and
//                              has the menu colour elsewhere, the buttons' band too
//   kvwin close                closes the program (WM_CLOSE) and waits until it has ended
//   kvwin hold                 keeps Wine's desktop process alive (scripts/wine-env.sh): one hidden window
//                              until the Wine session ends
// A wait gives up after 30 s. Exit code 0 on success, 1 on a time-out or when there is no such window, 2 on
// bad arguments.
#include "win32_helpers.h"  // windows.h first

#include <stdlib.h>

using namespace kv;

struct Name {
  const wchar_t* name;
  const wchar_t* caption;  // of a window (null: the main window)
  int id;                  // of a button
};
const Name kWindows[] = {{L"main", nullptr, 0}, {L"add", kAdd, 0}, {L"settings", kSettings, 0},
                         {L"notice", kNotice, 0}};
const Name kButtons[] = {{L"add", nullptr, ID_ADD}, {L"mute", nullptr, ID_MUTE}, {L"settings", nullptr, ID_SETTINGS},
                         {L"cancel", nullptr, IDCANCEL}};

template <size_t n>
const Name* Lookup(const Name (&table)[n], const wchar_t* name) {
  for (const Name& entry : table)
    if (!wcscmp(entry.name, name)) return &entry;
  return nullptr;
}

int Show(const Program& program, const wchar_t* caption) {
  const HWND shown = caption ? program.Dialog(caption) : program.main;
  // The dialog manager shows a dialog, then activates it: waited for both, so that its frame is painted in
  // its final, active state.
  if (caption && !WaitFor([&] { return GetForegroundWindow() == shown; }, program.waitMs)) return 1;
  // Painted now, so that a screenshot taken next shows the whole window.
  RedrawWindow(shown, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  RECT frame, client;
  GetWindowRect(shown, &frame);
  GetClientRect(shown, &client);
  MapWindowPoints(shown, nullptr, reinterpret_cast<POINT*>(&client), 2);
  printf("%ld %ld %ld %ld %ld %ld %ld %ld\n", frame.left, frame.top, frame.right - frame.left, frame.bottom - frame.top,
         client.left, client.top, client.right - client.left, client.bottom - client.top);
  return 0;
}

int Row(const Program& program, int row) {
  if (row < 1 || !program.Control(ID_ROW_TIME + row - 1)) return 1;
  char utf8[1024] = "";
  WideCharToMultiByte(CP_UTF8, 0, program.Text(ID_ROW_TIME + row - 1).c_str(), -1, utf8, sizeof utf8, nullptr, nullptr);
  printf("%s\n", utf8);
  return 0;
}

int wmain(int argc, wchar_t** argv) {
  SetProcessDPIAware();  // the program's metrics, at the DPI it runs at
  ReportFailure = [](const std::wstring& what) {
    fwprintf(stderr, L"kvwin: %ls\n", what.c_str());
    exit(1);
  };
  const std::wstring command = argc > 1 ? argv[1] : L"";
  const Name* window = argc > 2 ? Lookup(kWindows, argv[2]) : nullptr;
  const Name* button = argc > 3 ? Lookup(kButtons, argv[3]) : nullptr;
  if (command == L"close" && argc == 2) return CloseAll(kMainClass) ? 0 : 1;
  if (command == L"hold" && argc == 2) {  // Wine ends its desktop process a second after its last window goes
    CreateWindowExW(0, L"Static", L"kvwin hold", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    for (MSG msg; GetMessageW(&msg, nullptr, 0, 0) > 0;) DispatchMessageW(&msg);
    return 0;
  }
  const bool show = command == L"show" && argc == 3 && window;
  const bool press = command == L"press" && argc == 4 && window && button;
  const bool row = command == L"row" && argc == 3;
  const bool bands = command == L"bands" && argc == 3;
  if (!show && !press && !row && !bands) {
    fwprintf(stderr, L"usage: kvwin show WINDOW | press WINDOW BUTTON | row N | bands FLAGS | close | hold\n");
    return 2;
  }
  Program program;
  program.waitMs = 30000;
  program.Attach();
  if (show) return Show(program, window->caption);
  if (row) return Row(program, _wtoi(argv[2]));
  if (bands) {
    std::vector<bool> red;
    for (const wchar_t* flag = argv[2]; *flag; ++flag) red.push_back(*flag == L'1');
    return WaitFor([&] { return Bands(program.main, red).empty(); }, program.waitMs) ? 0 : 1;
  }
  if (window->caption) program.Close(program.Dialog(window->caption), button->id);
  if (!window->caption) program.Command(button->id);
  return 0;
}
