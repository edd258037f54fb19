// kvwin: the scripts' hands on Korvalinde inside the Wine session (scripts/run.sh, scripts/dpi-shots.sh).
// WINDOW is main, add, settings or notice: the main window, the timer dialog, the settings dialog, the notice.
//   kvwin show WINDOW          waits until it shows (a dialog also until it is the active window), repaints it
//                              and prints "x y width height" of the window, then of its client area, on screen
//   kvwin press WINDOW BUTTON  clicks BUTTON (add, mute, settings, cancel) as its WM_COMMAND does; a dialog is
//                              then waited for until it has gone
//   kvwin tip TEXT             waits until a tooltip of the program shows a text that begins with TEXT, and prints
//                              "x y width height" of it on screen
//   kvwin row N                prints the text of the time display of row N (from 1), in UTF-8
//   kvwin bands FLAGS          waits until the band behind each row is red where FLAGS has a 1 (row 1 first) and
//                              has the menu colour elsewhere, the buttons' band too
//   kvwin close                closes the program (WM_CLOSE) and waits until it has ended
//   kvwin hold                 keeps Wine's desktop process alive (scripts/wine-env.sh): one hidden window
//                              until the Wine session ends
//   kvwin race N               N times: starts Korvalinde, starts a second copy with 5(x), and 300 to 600 ms later
//                              closes the first by save-and-quit, which keeps a timer it took; then saves and quits
//                              whichever copy runs and counts the timers x kept: 1 is right, 0 is a lost one, 2 one
//                              taken twice. Prints a line per try that was not right and a summary; the settings
//                              are cleared before each try
//   kvwin pair N               N times: two first starts at once, with 1(a) and 2(b); one copy must run, with both
//                              timers. Prints a line per try that was not right and a summary
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

int Tip(const Program& program, const std::wstring& text) {
  RECT r{};
  const bool shown = WaitFor([&] {
    for (HWND tip : Shown(program.pi.dwProcessId, L"tooltips_class32"))
      if (Text(tip).rfind(text, 0) == 0 && GetWindowRect(tip, &r)) return true;
    return false;
  }, program.waitMs);
  if (shown) printf("%ld %ld %ld %ld\n", r.left, r.top, r.right - r.left, r.bottom - r.top);
  return shown ? 0 : 1;
}

int Row(const Program& program, int row) {
  if (row < 1 || !program.Control(ID_ROW_TIME + row - 1)) return 1;
  char utf8[1024] = "";
  WideCharToMultiByte(CP_UTF8, 0, program.Text(ID_ROW_TIME + row - 1).c_str(), -1, utf8, sizeof utf8, nullptr, nullptr);
  printf("%s\n", utf8);
  return 0;
}

int TimersNamed(const wchar_t* name) {  // among the handed-over timers
  int count = 0;
  for (const Record& r : ReadRecords()) count += r.Name() == name;
  return count;
}

int Race(int tries) {
  int wrong[3] = {}, ran = 0;  // tries with 0, 1 and 2 timers x kept; tries in which the second start ran
  ReportFailure = [](const std::wstring& what) { fwprintf(stderr, L"kvwin race: %ls\n", what.c_str()); };
  srand(GetTickCount());
  for (int i = 0; i < tries; ++i) {
    ClearSettings();
    Program first, second;
    first.Start();
    second.Start({L"5(x)"}, false);
    const DWORD delay = 300 + rand() % 301;
    Sleep(delay);  // the race itself: a close at a chosen moment of the second start
    first.Command(ID_SUSPEND_ALL);
    first.WaitExit();
    WaitFor([&] { return second.Ended() || !Shown(second.pi.dwProcessId, kMainClass).empty(); });
    const bool runs = !second.Ended();
    if (runs) {
      ++ran;
      second.WaitWindow();
      second.Command(ID_SUSPEND_ALL);
    }
    DWORD code = 0;
    second.WaitExit(&code);
    const int kept = std::min(TimersNamed(L"x"), 2);
    ++wrong[kept];
    if (kept != 1 || code)
      printf("try %d: closed after %lu ms: %d timers x kept; the second start ran: %d, its exit code %lu\n", i + 1,
             delay, kept, runs, code);
  }
  ClearSettings();
  printf("race: %d tries, %d lost, %d taken twice; the second start ran in %d\n", tries, wrong[0], wrong[2], ran);
  return wrong[0] || wrong[2] ? 1 : 0;
}

int Pair(int tries) {
  int wrong = 0;
  ReportFailure = [](const std::wstring& what) { fwprintf(stderr, L"kvwin pair: %ls\n", what.c_str()); };
  for (int i = 0; i < tries; ++i) {
    ClearSettings();
    Program copies[2];
    copies[0].Start({L"1(a)"}, false);
    copies[1].Start({L"2(b)"}, false);
    int running = 0, rows = 0;
    for (Program& copy : copies) {  // it ends, or shows its window
      WaitFor([&] { return copy.Ended() || !Shown(copy.pi.dwProcessId, kMainClass).empty(); });
      running += !copy.Ended();
    }
    for (Program& copy : copies)  // the one running has both timers
      if (running == 1 && !copy.Ended()) {
        copy.WaitWindow();
        copy.WaitRows(2);
        rows = copy.Rows();
      }
    if (running != 1 || rows != 2) printf("try %d: %d copies run, with %d timers\n", i + 1, running, rows);
    wrong += running != 1 || rows != 2;
  }
  printf("pair: %d tries, %d wrong\n", tries, wrong);
  return wrong ? 1 : 0;
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
  if (command == L"race" && argc == 3) return Race(_wtoi(argv[2]));
  if (command == L"pair" && argc == 3) return Pair(_wtoi(argv[2]));
  if (command == L"hold" && argc == 2) {  // Wine ends its desktop process a second after its last window goes
    CreateWindowExW(0, L"Static", L"kvwin hold", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    for (MSG msg; GetMessageW(&msg, nullptr, 0, 0) > 0;) DispatchMessageW(&msg);
    return 0;
  }
  const bool show = command == L"show" && argc == 3 && window;
  const bool press = command == L"press" && argc == 4 && window && button;
  const bool row = command == L"row" && argc == 3;
  const bool bands = command == L"bands" && argc == 3;
  const bool tip = command == L"tip" && argc == 3;
  if (!show && !press && !row && !bands && !tip) {
    fwprintf(stderr, L"usage: kvwin show WINDOW | press WINDOW BUTTON | tip TEXT | row N | bands FLAGS | close | hold | race N | pair N\n");
    return 2;
  }
  Program program;
  program.waitMs = 30000;
  program.Attach();
  if (show) return Show(program, window->caption);
  if (row) return Row(program, _wtoi(argv[2]));
  if (tip) return Tip(program, argv[2]);
  if (bands) {
    std::vector<bool> red;
    for (const wchar_t* flag = argv[2]; *flag; ++flag) red.push_back(*flag == L'1');
    return WaitFor([&] { return Bands(program.main, red).empty(); }, program.waitMs) ? 0 : 1;
  }
  if (window->caption) program.Close(program.Dialog(window->caption), button->id);
  if (!window->caption) program.Command(button->id);
  return 0;
}
