// The Windows side of the program benchmark (bench/run.sh). Each command does one step inside the Wine session
// and prints its results as "key value ..." lines on standard output.
//
//   bench_probe launch CLASS EXE [ARG]       starts EXE, waits until a visible top-level window of CLASS belongs
//                                            to it and it waits for input; prints its pid
//   bench_probe close CLASS                  WM_CLOSE to every top-level window of CLASS, waits for their
//                                            processes to end
//   bench_probe clear-settings               deletes Korvalinde's settings
//   bench_probe startup RUNS EXE1 CLASS1 EXE2 CLASS2
//                                            CreateProcess to a visible window of CLASS, RUNS times each (after
//                                            one unmeasured start each), alternating; every process is closed
//                                            before the next start
//   bench_probe latency CLASS COUNT SECONDS  hands over COUNT "0:0:SECONDS" requests one after the other and
//                                            times each from its due time to a visible notice of the window's
//                                            process
//   bench_probe add CLASS TEXT...            hands the texts over as requests (LB_ADDFILE)
//   bench_probe add-paused CLASS TEXT...     the same, then presses every row's pause button
//   bench_probe memory CLASS                 working set of the window's process
//
// CLASS "korvalinde" is Korvalinde's main window class.
// Windows are looked for every millisecond (an out-of-context WinEvent hook on another process was seen to
// receive no events under Wine). Times come from QueryPerformanceCounter. A request counts as handed over
// when the probe starts to send it; the probe first makes sure that the program is idle (it answers a
// WM_NULL), so that it takes the request at once. Exit code 0 on success, 1 on failure, 2 on bad arguments.
#include "win32_helpers.h"  // windows.h first

#include <psapi.h>
#include <stdio.h>

#include <algorithm>

using namespace kv;

namespace {

const DWORD kWaitWindowMs = 20000, kPollMs = 1;
double g_qpcPerMs = 0;

double NowMs() {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return double(now.QuadPart) / g_qpcPerMs;
}

const wchar_t* ClassOf(const wchar_t* name) { return wcscmp(name, L"korvalinde") ? name : kMainClass; }

int Fail(const char* what) {
  printf("error %s\n", what);
  return 1;
}

void PrintSummary(const char* key, const char* who, std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const size_t n = values.size();
  const double median = n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
  printf("%s %s n %zu min %.1f median %.1f max %.1f\n", key, who, n, values.front(), median, values.back());
}

// Starts exe and waits for its visible window of the class; its time of showing in *shown. Null (reported, the
// process ended) when none shows.
HWND StartAndWait(const wchar_t* exe, const wchar_t* arg, const wchar_t* cls, PROCESS_INFORMATION* pi, double* shown) {
  std::vector<std::wstring> args;
  if (arg) args.push_back(arg);
  if (!StartProcess(exe, args, pi)) {
    Fail("CreateProcess failed");
    return nullptr;
  }
  HWND window = WaitShown(pi->dwProcessId, cls, nullptr, kWaitWindowMs, kPollMs);
  *shown = NowMs();
  if (!window) {
    Fail("no visible window of the started process");
    TerminateProcess(pi->hProcess, 1);
  }
  return window;
}

// The visible window of the class (of a program already running) and its process.
HWND FindProgram(const wchar_t* cls, DWORD* pid) {
  const std::vector<HWND> shown = Shown(0, cls);
  if (shown.empty()) return nullptr;
  GetWindowThreadProcessId(shown[0], pid);
  return shown[0];
}

int Launch(const wchar_t* cls, const wchar_t* exe, const wchar_t* arg) {
  PROCESS_INFORMATION pi{};
  double shown = 0;
  if (!StartAndWait(exe, arg, cls, &pi, &shown)) return 1;
  WaitForInputIdle(pi.hProcess, kWaitWindowMs);
  printf("pid %lu\n", pi.dwProcessId);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return 0;
}

int Startup(int runs, const wchar_t* const exes[2], const wchar_t* const classes[2]) {
  std::vector<double> times[2];
  for (int run = -1; run < runs; ++run) {  // run -1: one unmeasured start of each
    for (int k = 0; k < 2; ++k) {
      const bool korvalinde = !wcscmp(classes[k], kMainClass);
      if (korvalinde && !Shown(0, kMainClass).empty())
        return Fail("Korvalinde is already running; a start would only hand over to it");
      if (korvalinde) ClearSettings();
      PROCESS_INFORMATION pi{};
      double shown = 0;
      const double start = NowMs();
      HWND window = StartAndWait(exes[k], nullptr, classes[k], &pi, &shown);
      if (!window) return 1;
      if (run >= 0) {
        times[k].push_back(shown - start);
        printf("start %d %ls %.1f\n", run, classes[k], shown - start);
      }
      // Waited for until it waits for input, so that closing it does not cut its start short.
      WaitForInputIdle(pi.hProcess, kWaitWindowMs);
      const bool closed = CloseAndWait(window, pi.hProcess);
      CloseHandle(pi.hThread);
      CloseHandle(pi.hProcess);
      if (!closed) return Fail("the started process did not end on WM_CLOSE");
    }
  }
  if (!wcscmp(classes[0], kMainClass)) ClearSettings();
  PrintSummary("startup", "first", times[0]);
  PrintSummary("startup", "second", times[1]);
  return 0;
}

int Latency(const wchar_t* cls, int count, int seconds) {
  DWORD pid = 0;
  HWND main = FindProgram(cls, &pid);
  if (!main) return Fail("the program's window is not there");
  if (!Shown(pid, kDialogClass, kNotice).empty()) return Fail("a notice is already open");
  const std::wstring request = L"0:0:" + std::to_wstring(seconds);
  std::vector<double> latencies, sends;
  for (int i = 0; i < count; ++i) {
    // The program has done what the previous notice left it to do once it answers a message of ours; only
    // then does the time to the next hand-over start.
    if (Send(main, WM_NULL) == -1) return Fail("the program does not answer");
    // Spread over the phases of the tick: a pause after the previous notice closed of 100 ms plus a
    // different slice of the tick each time (in a shuffled order).
    const int slice = int(i * 7919LL % count);
    const double sendAt = NowMs() + 100 + double(TICK_PERIOD_MS) * slice / count;
    for (double left = sendAt - NowMs(); left > 0; left = sendAt - NowMs())
      if (left > 3) Sleep(DWORD(left - 2));
    const double handedOver = NowMs();
    if (Send(main, LB_ADDFILE, 0, LPARAM(request.c_str())) == -1) return Fail("the request was not delivered");
    sends.push_back(NowMs() - handedOver);
    const double due = handedOver + seconds * 1000.0;
    HWND notice = WaitShown(pid, kDialogClass, kNotice, DWORD(std::max(0.0, due - NowMs())) + 5000, kPollMs);
    const double seen = NowMs();
    if (!notice) return Fail("no notice within 5 s of the due time");
    latencies.push_back(seen - due);
    printf("expiry %d slice %d send %.1f latency %.1f\n", i, slice, sends.back(), seen - due);
    fflush(stdout);
    PostMessageW(notice, WM_COMMAND, IDCANCEL, 0);  // its Cancel
    if (!WaitFor([&] { return !IsWindow(notice); }, 5000, kPollMs)) return Fail("the notice did not close");
  }
  PrintSummary("handover", "send", sends);
  PrintSummary("latency", "expiry", latencies);
  return 0;
}

// Sends the requests; with `pause`, then presses every row's pause button as a click would.
int Add(const wchar_t* cls, int n, wchar_t** texts, bool pause) {
  DWORD pid = 0;
  HWND main = FindProgram(cls, &pid);
  if (!main) return Fail("the program's window is not there");
  for (int i = 0; i < n; ++i)
    if (Send(main, LB_ADDFILE, 0, LPARAM(texts[i])) == -1) return Fail("a request was not delivered");
  const int rows = Rows(main);
  int paused = 0;
  for (int row = 0; row < rows && pause; ++row)
    if (Send(main, WM_COMMAND, ID_ROW_PAUSE + row, LPARAM(GetDlgItem(main, ID_ROW_PAUSE + row))) != -1) ++paused;
  printf("sent %d rows %d paused %d\n", n, rows, paused);
  return 0;
}

int Memory(const wchar_t* cls) {
  DWORD pid = 0;
  if (!FindProgram(cls, &pid)) return Fail("the program's window is not there");
  HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
  PROCESS_MEMORY_COUNTERS_EX counters = {sizeof counters};
  const BOOL read = process && GetProcessMemoryInfo(process, PPROCESS_MEMORY_COUNTERS(&counters), sizeof counters);
  if (process) CloseHandle(process);
  if (!read) return Fail("GetProcessMemoryInfo failed");
  printf("memory working-set-kb %zu peak-working-set-kb %zu private-kb %zu\n", counters.WorkingSetSize / 1024,
         counters.PeakWorkingSetSize / 1024, counters.PrivateUsage / 1024);
  return 0;
}

int Usage() {
  fprintf(stderr,
          "usage: bench_probe launch CLASS EXE [ARG] | close CLASS | clear-settings |\n"
          "       startup RUNS EXE1 CLASS1 EXE2 CLASS2 | latency CLASS COUNT SECONDS |\n"
          "       add CLASS TEXT... | add-paused CLASS TEXT... | memory CLASS\n");
  return 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  g_qpcPerMs = double(frequency.QuadPart) / 1000.0;
  setvbuf(stdout, nullptr, _IOLBF, 0);
  const std::wstring command = argc > 1 ? argv[1] : L"";
  const wchar_t* cls = argc > 2 ? ClassOf(argv[2]) : L"";
  if (command == L"launch" && (argc == 4 || argc == 5)) return Launch(cls, argv[3], argc == 5 ? argv[4] : nullptr);
  if (command == L"close" && argc == 3) {
    const size_t windows = Shown(0, cls).size();
    const bool closed = CloseAll(cls);
    printf("closed %zu\n", windows);
    return closed ? 0 : 1;
  }
  if (command == L"clear-settings" && argc == 2) {
    ClearSettings();
    return 0;
  }
  if (command == L"startup" && argc == 7 && _wtoi(argv[2]) >= 1) {
    const wchar_t* const exes[2] = {argv[3], argv[5]}, *const classes[2] = {ClassOf(argv[4]), ClassOf(argv[6])};
    return Startup(_wtoi(argv[2]), exes, classes);
  }
  if (command == L"latency" && argc == 5 && _wtoi(argv[3]) >= 1 && _wtoi(argv[4]) >= 1)
    return Latency(cls, _wtoi(argv[3]), _wtoi(argv[4]));
  if ((command == L"add" || command == L"add-paused") && argc >= 4)
    return Add(cls, argc - 3, argv + 3, command == L"add-paused");
  if (command == L"memory" && argc == 3) return Memory(cls);
  return Usage();
}
