// The Windows side of the program benchmark (bench/run.sh): each command does one step inside the Wine session and
// prints its results as "key value ..." lines. CLASS "korvalinde" names Korvalinde's main window class.
//   launch CLASS EXE [ARG]   starts EXE and waits until its visible window of CLASS waits for input; prints its pid
//   close CLASS              closes every visible window of CLASS (WM_CLOSE) and waits for their processes to end
//   startup RUNS EXE1 CLASS1 EXE2 CLASS2
//                            times start-up to a visible window, RUNS times each after one unmeasured start each,
//                            alternating; each is closed before the next start
//   latency COUNT SECONDS    hands Korvalinde COUNT "0:0:SECONDS" requests one after the other and times each from
//                            its due time to its visible notice
//   ten named|paused         hands Korvalinde ten 100-minute requests, named "name01" to "name10", or unnamed and
//                            then paused by their rows' pause buttons
//   memory CLASS             the working set of the window's process
// Korvalinde always starts from no settings. Windows are looked for every millisecond (an out-of-context WinEvent
// hook was seen to receive no events under Wine); times come from QueryPerformanceCounter. A request counts as
// handed over when the probe starts to send it, once the program is idle (it answers a WM_NULL) so that it takes
// the request at once. Exit code 0 on success, 1 on failure, 2 on bad arguments.
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

// Starts exe and waits until its visible window of the class shows (the time from the start in *startMs) and
// it waits for input, so that closing it does not cut its start short. Ended when no window shows.
int Start(const wchar_t* cls, const wchar_t* exe, const wchar_t* arg, PROCESS_INFORMATION* pi, HWND* window,
          double* startMs) {
  const bool korvalinde = !wcscmp(cls, kMainClass);
  if (korvalinde && !Shown(0, kMainClass).empty()) return Fail("Korvalinde already runs; a start would hand over");
  if (korvalinde) ClearSettings();
  std::vector<std::wstring> args;
  if (arg) args.push_back(arg);
  const double start = NowMs();
  if (!StartProcess(exe, args, pi)) return Fail("CreateProcess failed");
  *window = WaitShown(pi->dwProcessId, cls, nullptr, kWaitWindowMs, kPollMs);
  *startMs = NowMs() - start;
  if (!*window) {
    TerminateProcess(pi->hProcess, 1);
    return Fail("no visible window of the started process");
  }
  WaitForInputIdle(pi->hProcess, kWaitWindowMs);
  return 0;
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
  HWND window = nullptr;
  double startMs = 0;
  if (Start(cls, exe, arg, &pi, &window, &startMs)) return 1;
  printf("pid %lu\n", pi.dwProcessId);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return 0;
}

int Startup(int runs, const wchar_t* const exes[2], const wchar_t* const classes[2]) {
  std::vector<double> times[2];
  for (int run = -1; run < runs; ++run) {  // run -1: one unmeasured start of each
    for (int k = 0; k < 2; ++k) {
      PROCESS_INFORMATION pi{};
      HWND window = nullptr;
      double startMs = 0;
      if (Start(classes[k], exes[k], nullptr, &pi, &window, &startMs)) return 1;
      if (run >= 0) {
        times[k].push_back(startMs);
        printf("start %d %ls %.1f\n", run, classes[k], startMs);
      }
      const bool closed = CloseAndWait(window, pi.hProcess);
      CloseHandle(pi.hThread);
      CloseHandle(pi.hProcess);
      if (!closed) return Fail("the started process did not end on WM_CLOSE");
    }
  }
  PrintSummary("startup", "first", times[0]);
  PrintSummary("startup", "second", times[1]);
  return 0;
}

int Latency(HWND main, DWORD pid, int count, int seconds) {
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

// Ten 100-minute requests, named or (with `pause`) unnamed and then paused as a click on each row's pause
// button would; fails unless ten rows (all paused) show.
int Ten(HWND main, bool pause) {
  for (int i = 1; i <= 10; ++i) {
    wchar_t request[32];
    swprintf(request, 32, pause ? L"100" : L"100(name%02d)", i);
    if (Send(main, LB_ADDFILE, 0, LPARAM(request)) == -1) return Fail("a request was not delivered");
  }
  const int rows = Rows(main);
  int paused = 0;
  for (int row = 0; row < rows && pause; ++row)
    if (Send(main, WM_COMMAND, ID_ROW_PAUSE + row, LPARAM(GetDlgItem(main, ID_ROW_PAUSE + row))) != -1) ++paused;
  printf("rows %d paused %d\n", rows, paused);
  return rows == 10 && paused == (pause ? 10 : 0) ? 0 : Fail("not ten rows as asked");
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
    printf("closed %zu\n", Shown(0, cls).size());
    return CloseAll(cls) ? 0 : 1;
  }
  if (command == L"startup" && argc == 7 && _wtoi(argv[2]) >= 1) {
    const wchar_t* const exes[2] = {argv[3], argv[5]}, *const classes[2] = {ClassOf(argv[4]), ClassOf(argv[6])};
    return Startup(_wtoi(argv[2]), exes, classes);
  }
  if (command == L"memory" && argc == 3) return Memory(cls);
  const bool ten = command == L"ten" && argc == 3 && (!wcscmp(argv[2], L"named") || !wcscmp(argv[2], L"paused"));
  const bool latency = command == L"latency" && argc == 4 && _wtoi(argv[2]) >= 1 && _wtoi(argv[3]) >= 1;
  if (!ten && !latency) {
    fprintf(stderr, "bench_probe: no such command; the head of bench/probe.cpp lists them\n");
    return 2;
  }
  DWORD pid = 0;
  HWND main = FindProgram(kMainClass, &pid);
  if (!main) return Fail("Korvalinde's window is not there");
  return ten ? Ten(main, !wcscmp(argv[2], L"paused")) : Latency(main, pid, _wtoi(argv[2]), _wtoi(argv[3]));
}
