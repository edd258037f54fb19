// The Windows side of the program benchmark (bench/run.sh): each command does one step inside the Wine session and
// prints its results as "key value ..." lines. CLASS "korvalinde" names Korvalinde's main window class; Korvalinde
// is kv::ProgramPath(), always started from no settings.
//   launch CLASS [EXE [ARG]] starts Korvalinde, or EXE, and waits until its visible window of CLASS waits for input
//                            (with CLASS "korvalinde" and an EXE: that build of Korvalinde)
//   close CLASS              closes every visible window of CLASS (WM_CLOSE) and waits for their processes to end
//   startup RUNS EXE CLASS [KEXE]
//                            times start-up to a visible window of Korvalinde, of the Korvalinde build KEXE if given,
//                            and of EXE, RUNS times each after one unmeasured start each, in turns; each is closed
//                            before the next start ("startup first", "startup second" (EXE), "startup third" (KEXE))
//   latency COUNT SECONDS CLASS...
//                            hands the running window of each CLASS in turn (one expiry each, then the next round)
//                            COUNT "0:0:SECONDS" requests and times each from its due time to its visible notice
//                            ("latency CLASS" lines as given)
//   ten named|paused         hands Korvalinde ten 100-minute requests, named "name01" to "name10", or unnamed and
//                            then paused by their rows' pause buttons
// Windows are looked for every millisecond (an out-of-context WinEvent hook was seen to receive no events under
// Wine); times come from QueryPerformanceCounter. A request counts as handed over when the probe starts to send it,
// once the program is idle (it answers a WM_NULL) so that it takes the request at once. Exit code 0 on success, 1 on
// failure (an "error" line says which), 2 on bad arguments.
#include "win32_helpers.h"  // windows.h first

#include <stdlib.h>

#include <algorithm>

using namespace kv;

namespace {

double g_qpcPerMs = 0;

double NowMs() {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return double(now.QuadPart) / g_qpcPerMs;
}

const wchar_t* ClassOf(const wchar_t* name) { return wcscmp(name, L"korvalinde") ? name : kMainClass; }

void PrintSummary(const char* key, const char* who, std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const size_t n = values.size();
  const double median = n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
  printf("%s %s n %zu min %.1f median %.1f max %.1f\n", key, who, n, values.front(), median, values.back());
}

// Starts Korvalinde (no exe) or exe, and waits until its visible window of the class shows and it waits for
// input, so that closing it does not cut its start short; returns the time to the window, in ms.
double Start(Program& program, const wchar_t* cls, const wchar_t* exe, const wchar_t* arg = nullptr) {
  program.waitMs = 20000;
  program.pollMs = 1;
  if (exe) program.exe = exe;
  const bool korvalinde = !wcscmp(cls, kMainClass);
  if (korvalinde && !Shown(0, kMainClass).empty()) ReportFailure(L"Korvalinde already runs; a start would hand over");
  if (korvalinde) ClearSettings();
  const double start = NowMs();
  program.Start(arg ? std::vector<std::wstring>{arg} : std::vector<std::wstring>{}, false);
  program.main = program.Find(cls);
  const double ms = NowMs() - start;
  program.Settle();
  return ms;
}

int Startup(int runs, const wchar_t* exe, const wchar_t* cls, const wchar_t* korvalinde2) {
  std::vector<double> times[3];
  const int kinds = korvalinde2 ? 3 : 2;
  for (int run = -1; run < runs; ++run) {  // run -1: one unmeasured start of each
    for (int k = 0; k < kinds; ++k) {
      Program program;
      const double ms = k == 1 ? Start(program, cls, exe)
                        : k == 2 ? Start(program, kMainClass, korvalinde2)
                                 : Start(program, kMainClass, nullptr);
      if (run >= 0) times[k].push_back(ms);
      program.Quit();
    }
  }
  PrintSummary("startup", "first", times[0]);
  PrintSummary("startup", "second", times[1]);
  if (korvalinde2) PrintSummary("startup", "third", times[2]);
  return 0;
}

// The running window of the class (one shown window of any process), as Program::Attach finds Korvalinde.
void AttachTo(Program& program, const wchar_t* cls) {
  program.pollMs = 1;
  program.main = program.Find(cls);
  GetWindowThreadProcessId(program.main, &program.pi.dwProcessId);
  program.Settle();
  if (program.Dialogs(kNotice)) ReportFailure(L"a notice is already open");
}

int Latency(int count, int seconds, int windows, wchar_t** names) {
  std::vector<Program> programs(windows);
  for (int w = 0; w < windows; ++w) AttachTo(programs[w], ClassOf(names[w]));
  const std::wstring request = L"0:0:" + std::to_wstring(seconds);
  std::vector<std::vector<double>> latencies(windows), sends(windows);
  for (int i = 0; i < count; ++i) {
    // Spread over the phases of the tick: a pause after the previous notice closed of 100 ms plus a
    // different slice of the tick each time (in a shuffled order); each window gets the same slices, in turns.
    const int slice = int(i * 7919LL % count);
    for (int w = 0; w < windows; ++w) {
      Program& program = programs[w];
      const double sendAt = NowMs() + 100 + double(TICK_PERIOD_MS) * slice / count;
      for (double left = sendAt - NowMs(); left > 0; left = sendAt - NowMs())
        if (left > 3) Sleep(DWORD(left - 2));
      const double handedOver = NowMs();
      program.Request(request);
      sends[w].push_back(NowMs() - handedOver);
      const HWND notice = program.Dialog(kNotice);
      latencies[w].push_back(NowMs() - handedOver - seconds * 1000.0);
      printf("expiry %d %ls slice %d send %.1f latency %.1f\n", i, names[w], slice, sends[w].back(),
             latencies[w].back());
      // Returns once the program has done what the notice left it to do: the next hand-over finds it idle.
      program.Close(notice, IDCANCEL);
    }
  }
  for (int w = 0; w < windows; ++w) {
    const std::string name(names[w], names[w] + wcslen(names[w]));  // class names are ASCII
    PrintSummary("handover", name.c_str(), sends[w]);
    PrintSummary("latency", name.c_str(), latencies[w]);
  }
  for (Program& program : programs) program.pi = {};  // attached, not started: nothing of theirs to end
  return 0;
}

// Ten 100-minute requests, named or (with `pause`) unnamed and then paused as a click on each row's pause
// button would; fails unless ten rows (all paused) show.
int Ten(bool pause) {
  Program program;
  program.Attach();
  for (int i = 1; i <= 10; ++i) {
    wchar_t request[32];
    swprintf(request, 32, pause ? L"100" : L"100(name%02d)", i);
    program.Request(request);
  }
  if (!program.WaitRows(10)) ReportFailure(L"not ten rows");
  for (int row = 0; row < 10 && pause; ++row) program.Command(ID_ROW_PAUSE + row);
  // The clicks are handled in order: once the last row's button offers to resume, all are paused.
  if (pause && !program.WaitText(ID_ROW_PAUSE + 9, L"＞")) ReportFailure(L"the rows are not paused");
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  g_qpcPerMs = double(frequency.QuadPart) / 1000.0;
  setvbuf(stdout, nullptr, _IOLBF, 0);
  // A failed step ends the probe; what it started ends with the session.
  ReportFailure = [](const std::wstring& what) {
    printf("error %ls\n", what.c_str());
    exit(1);
  };
  const std::wstring command = argc > 1 ? argv[1] : L"";
  const wchar_t* cls = argc > 2 ? ClassOf(argv[2]) : L"";
  if (command == L"launch" && argc >= 3 && argc <= 5) {
    Program program;
    Start(program, cls, argc > 3 ? argv[3] : nullptr, argc > 4 ? argv[4] : nullptr);
    program.Leave();
    return 0;
  }
  if (command == L"close" && argc == 3) return CloseAll(cls) ? 0 : 1;
  if (command == L"startup" && (argc == 5 || argc == 6) && _wtoi(argv[2]) >= 1)
    return Startup(_wtoi(argv[2]), argv[3], argv[4], argc == 6 ? argv[5] : nullptr);
  if (command == L"latency" && argc >= 5 && _wtoi(argv[2]) >= 1 && _wtoi(argv[3]) >= 1)
    return Latency(_wtoi(argv[2]), _wtoi(argv[3]), argc - 4, argv + 4);
  if (command == L"ten" && argc == 3 && !wcscmp(argv[2], L"named")) return Ten(false);
  if (command == L"ten" && argc == 3 && !wcscmp(argv[2], L"paused")) return Ten(true);
  fprintf(stderr, "bench_probe: no such command; the head of bench/probe.cpp lists them\n");
  return 2;
}
