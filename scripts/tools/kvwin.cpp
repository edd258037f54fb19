// kvwin: the scripts' hands on Korvalinde inside the Wine session (scripts/run.sh, scripts/dpi-shots.sh).
// WINDOW is main, add, settings or notice: the main window, the timer dialog, the settings dialog, the notice.
//   kvwin show WINDOW          waits until it shows (a dialog also until it is the active window), repaints it
//                              and prints "x y width height" of the window, then of its client area, on screen
//   kvwin gone WINDOW          waits until it has gone
//   kvwin press WINDOW BUTTON  clicks BUTTON (add, mute, settings, cancel) as its WM_COMMAND does
//   kvwin row N                prints the text of the time display of row N (from 1), in UTF-8
//   kvwin close                closes the program (WM_CLOSE) and waits until it has ended
// A wait gives up after 30 s. Exit code 0 on success, 1 on a time-out or when there is no such window, 2 on
// bad arguments.
#include "win32_helpers.h"  // windows.h first

#include <stdio.h>

using namespace kv;

struct Window {
  const wchar_t* name;
  const wchar_t* cls;
  const wchar_t* caption;
};
const Window kWindows[] = {{L"main", kMainClass, nullptr},
                           {L"add", kDialogClass, kAdd},
                           {L"settings", kDialogClass, kSettings},
                           {L"notice", kDialogClass, kNotice}};
struct Button {
  const wchar_t* name;
  int id;
};
const Button kButtons[] = {{L"add", ID_ADD}, {L"mute", ID_MUTE}, {L"settings", ID_SETTINGS}, {L"cancel", IDCANCEL}};
const DWORD kWaitMs = 30000;

template <typename Entry, size_t n>
const Entry* Lookup(const Entry (&table)[n], const wchar_t* name) {
  for (const Entry& entry : table)
    if (!wcscmp(entry.name, name)) return &entry;
  return nullptr;
}

int Show(const Window& window) {
  HWND shown = nullptr;
  // The dialog manager shows a dialog, then activates it: waited for both, so that its frame is painted in
  // its final, active state.
  const bool dialog = window.caption != nullptr;
  const bool found = WaitFor(
      [&] {
        shown = FindWindowW(window.cls, window.caption);
        return shown && IsWindowVisible(shown) && (!dialog || GetForegroundWindow() == shown);
      },
      kWaitMs);
  if (!found) return 1;
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

int Row(int row) {
  HWND display = GetDlgItem(FindWindowW(kMainClass, nullptr), ID_ROW_TIME + row - 1);
  if (row < 1 || !display) return 1;
  char utf8[1024] = "";
  WideCharToMultiByte(CP_UTF8, 0, Text(display).c_str(), -1, utf8, sizeof utf8, nullptr, nullptr);
  printf("%s\n", utf8);
  return 0;
}

int wmain(int argc, wchar_t** argv) {
  const std::wstring command = argc > 1 ? argv[1] : L"";
  const Window* window = argc > 2 ? Lookup(kWindows, argv[2]) : nullptr;
  const Button* button = argc > 3 ? Lookup(kButtons, argv[3]) : nullptr;
  if (command == L"show" && argc == 3 && window) return Show(*window);
  if (command == L"gone" && argc == 3 && window) {
    const bool gone = WaitFor([&] { return !FindWindowW(window->cls, window->caption); }, kWaitMs);
    return gone ? 0 : 1;
  }
  if (command == L"press" && argc == 4 && window && button) {
    HWND target = FindWindowW(window->cls, window->caption);
    return target && PostMessageW(target, WM_COMMAND, button->id, 0) ? 0 : 1;
  }
  if (command == L"row" && argc == 3) return Row(_wtoi(argv[2]));
  if (command == L"close" && argc == 2) return CloseAll(kMainClass) ? 0 : 1;
  fwprintf(stderr, L"usage: kvwin show|gone WINDOW | press WINDOW BUTTON | row N | close\n");
  return 2;
}
