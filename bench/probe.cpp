// The Windows side of the program benchmark (bench/run.sh). Each command does one step inside
// the Wine session and prints its results as "key value ..." lines on standard output.
//
//   bench_probe launch CLASS EXE [ARG]      starts EXE, waits until a visible top-level window of
//                                           CLASS belongs to it and it waits for input; prints its pid
//   bench_probe close CLASS                 WM_CLOSE to every top-level window of CLASS, waits for
//                                           their processes to end
//   bench_probe clear-settings              deletes HKCU\Software\Brelwix\Korvalinde
//   bench_probe startup RUNS EXE1 CLASS1 EXE2 CLASS2
//                                           CreateProcess to a visible window of CLASS, RUNS times
//                                           each (after one unmeasured start each), alternating;
//                                           every process is closed before the next start
//   bench_probe latency CLASS COUNT SECONDS  hands over COUNT "0:0:SECONDS" requests one after the
//                                           other and times each from its due time to a visible
//                                           "TimeUp" message box of the window's process
//   bench_probe add CLASS TEXT...           hands the texts over as requests (LB_ADDFILE)
//   bench_probe memory CLASS                working set of the window's process
//
// Windows are found by polling every millisecond (under Wine 8 an out-of-context WinEvent hook
// on another process was seen to receive no events). Times come from QueryPerformanceCounter.
// A request counts as handed over when the probe starts to send it; the probe first makes sure
// that the program is idle (it answers a WM_NULL), so that it takes the request at once.
// Exit code 0 on success, 1 on failure, 2 on bad arguments.
#include <windows.h>
#include <psapi.h>
#include <stdio.h>
#include <stdlib.h>
#include <wchar.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

const wchar_t kKorvalindeClass[] = L"KorvalindeMainClass";
const wchar_t kSettingsKey[] = L"Software\\Brelwix\\Korvalinde";
const wchar_t kNoticeClass[] = L"#32770";
const wchar_t kNoticeCaption[] = L"TimeUp";
const UINT kLbAddFile = 0x0196;
const int kRowTimeId = 0x200;   // the main window's row i shows its time in the control 0x200 + i
const int kRowPauseId = 0x300;  // and has its pause button in 0x300 + i
const DWORD kWaitWindowMs = 20000;
const DWORD kWaitExitMs = 10000;
const UINT kSendTimeoutMs = 5000;
const double kTickMs = 250.0;   // Korvalinde's tick: the latency requests are spread over its phases

double g_qpcPerMs = 0;

double NowMs()
{
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / g_qpcPerMs;
}

std::string Utf8(const std::wstring& text)
{
    if (text.empty()) return std::string();
    int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &out[0], n, nullptr, nullptr);
    return out;
}

void Fail(const char* what)
{
    printf("error %s\n", what);
    fflush(stdout);
}

// Dispatches whatever arrived for the probe, then waits up to a millisecond.
void PumpAndWait1ms()
{
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageW(&message);
    MsgWaitForMultipleObjectsEx(0, nullptr, 1, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageW(&message);
}

// A visible top-level window of the class (and caption, when given) that belongs to pid
// (any process when pid is 0).
HWND FindVisible(const wchar_t* windowClass, const wchar_t* caption, DWORD pid)
{
    HWND window = nullptr;
    while ((window = FindWindowExW(nullptr, window, windowClass, caption)) != nullptr) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if ((pid == 0 || owner == pid) && IsWindowVisible(window))
            return window;
    }
    return nullptr;
}

HWND WaitVisible(const wchar_t* windowClass, DWORD pid, DWORD timeoutMs, double* seenAt)
{
    const double deadline = NowMs() + timeoutMs;
    for (;;) {
        HWND window = FindVisible(windowClass, nullptr, pid);
        if (window) {
            if (seenAt) *seenAt = NowMs();
            return window;
        }
        if (NowMs() > deadline) return nullptr;
        PumpAndWait1ms();
    }
}

bool StartProcess(const wchar_t* exe, const wchar_t* argument, PROCESS_INFORMATION* pi)
{
    std::wstring commandLine = L"\"" + std::wstring(exe) + L"\"";
    if (argument) commandLine += L" " + std::wstring(argument);
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    *pi = PROCESS_INFORMATION{};
    return CreateProcessW(exe, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, pi) != 0;
}

// WM_CLOSE, then the wait for the process to end; ended forcibly (and false) when it does not.
bool CloseAndWait(HWND window, HANDLE process)
{
    PostMessageW(window, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process, kWaitExitMs) == WAIT_OBJECT_0) return true;
    TerminateProcess(process, 1);
    WaitForSingleObject(process, kWaitExitMs);
    return false;
}

void ClearSettings() { RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey); }

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

void PrintSummary(const char* key, const char* who, const std::vector<double>& values)
{
    printf("%s %s n %zu min %.1f median %.1f max %.1f\n", key, who, values.size(),
           *std::min_element(values.begin(), values.end()), Median(values),
           *std::max_element(values.begin(), values.end()));
}

// The program's visible main window and its process; null (reported) when it is not there.
static HWND FindProgram(const wchar_t* windowClass, DWORD* pid)
{
    HWND main = FindVisible(windowClass, nullptr, 0);
    if (!main)
        Fail("the program's window is not there");
    else
        GetWindowThreadProcessId(main, pid);
    return main;
}

int CmdLaunch(const wchar_t* windowClass, const wchar_t* exe, const wchar_t* argument)
{
    PROCESS_INFORMATION pi;
    if (!StartProcess(exe, argument, &pi)) {
        Fail("CreateProcess failed");
        return 1;
    }
    HWND window = WaitVisible(windowClass, pi.dwProcessId, kWaitWindowMs, nullptr);
    if (!window) {
        Fail("no visible window of the started process");
        TerminateProcess(pi.hProcess, 1);
        return 1;
    }
    WaitForInputIdle(pi.hProcess, kWaitWindowMs);
    printf("pid %lu\n", pi.dwProcessId);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return 0;
}

int CmdClose(const wchar_t* windowClass)
{
    bool ok = true;
    HWND window = nullptr;
    std::vector<HWND> windows;
    while ((window = FindWindowExW(nullptr, window, windowClass, nullptr)) != nullptr)
        windows.push_back(window);
    for (HWND w : windows) {
        DWORD pid = 0;
        GetWindowThreadProcessId(w, &pid);
        HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, pid);
        if (!process) continue;
        if (!CloseAndWait(w, process)) ok = false;
        CloseHandle(process);
    }
    printf("closed %zu\n", windows.size());
    return ok ? 0 : 1;
}

int CmdStartup(int runs, const wchar_t* exes[2], const wchar_t* classes[2])
{
    std::vector<double> times[2];
    for (int run = -1; run < runs; ++run) {   // run -1: one unmeasured start of each
        for (int k = 0; k < 2; ++k) {
            if (wcscmp(classes[k], kKorvalindeClass) == 0) {
                if (FindWindowW(kKorvalindeClass, nullptr)) {
                    Fail("Korvalinde is already running; a start would only hand over to it");
                    return 1;
                }
                ClearSettings();
            }
            PROCESS_INFORMATION pi;
            const double start = NowMs();
            if (!StartProcess(exes[k], nullptr, &pi)) {
                Fail("CreateProcess failed");
                return 1;
            }
            double shown = 0;
            HWND window = WaitVisible(classes[k], pi.dwProcessId, kWaitWindowMs, &shown);
            if (!window) {
                Fail("no visible window of the started process");
                TerminateProcess(pi.hProcess, 1);
                return 1;
            }
            if (run >= 0) {
                times[k].push_back(shown - start);
                printf("start %d %s %.1f\n", run, Utf8(classes[k]).c_str(), shown - start);
            }
            // Wait until it waits for input, so that closing it does not cut its start short.
            WaitForInputIdle(pi.hProcess, kWaitWindowMs);
            const bool closed = CloseAndWait(window, pi.hProcess);
            CloseHandle(pi.hThread);
            CloseHandle(pi.hProcess);
            if (!closed) {
                Fail("the started process did not end on WM_CLOSE");
                return 1;
            }
        }
    }
    if (wcscmp(classes[0], kKorvalindeClass) == 0) ClearSettings();
    PrintSummary("startup", "first", times[0]);
    PrintSummary("startup", "second", times[1]);
    return 0;
}

int CmdLatency(const wchar_t* windowClass, int count, int seconds)
{
    DWORD pid = 0;
    HWND main = FindProgram(windowClass, &pid);
    if (!main)
        return 1;
    if (FindVisible(kNoticeClass, kNoticeCaption, pid)) {
        Fail("a notice is already open");
        return 1;
    }

    wchar_t request[32];
    swprintf(request, 32, L"0:0:%d", seconds);
    const double duration = seconds * 1000.0;
    std::vector<double> latencies, sends;
    for (int i = 0; i < count; ++i) {
        // The program has done what the previous notice left it to do once it answers a
        // message of ours; only then does the time to the next hand-over start.
        DWORD_PTR result = 0;
        if (!SendMessageTimeoutW(main, WM_NULL, 0, 0, SMTO_NORMAL, kSendTimeoutMs, &result)) {
            Fail("the program does not answer");
            return 1;
        }
        // Spread the hand-over over the phases of the tick: a pause after the previous notice
        // closed of 100 ms plus a different slice of 250 ms each time (in a shuffled order).
        const int slice = static_cast<int>((static_cast<long long>(i) * 7919) % count);
        const double sendAt = NowMs() + 100 + kTickMs * slice / count;
        while (NowMs() < sendAt) {
            const double left = sendAt - NowMs();
            if (left > 3) Sleep(static_cast<DWORD>(left - 2));
        }
        const double handedOver = NowMs();
        if (!SendMessageTimeoutW(main, kLbAddFile, 0, reinterpret_cast<LPARAM>(request), SMTO_NORMAL,
                                 kSendTimeoutMs, &result)) {
            Fail("the request was not delivered");
            return 1;
        }
        sends.push_back(NowMs() - handedOver);
        const double due = handedOver + duration;
        const double deadline = due + 5000;
        HWND notice = nullptr;
        double seen = 0;
        for (;;) {
            notice = FindVisible(kNoticeClass, kNoticeCaption, pid);
            if (notice) {
                seen = NowMs();
                break;
            }
            if (NowMs() > deadline) {
                Fail("no notice within 5 s of the due time");
                return 1;
            }
            PumpAndWait1ms();
        }
        latencies.push_back(seen - due);
        printf("expiry %d slice %d send %.1f latency %.1f\n", i, slice, sends.back(), seen - due);
        fflush(stdout);
        // Close it (its Cancel) and wait until it has gone.
        PostMessageW(notice, WM_COMMAND, IDCANCEL, 0);
        const double closeDeadline = NowMs() + 5000;
        while (IsWindow(notice)) {
            if (NowMs() > closeDeadline) {
                Fail("the notice did not close");
                return 1;
            }
            PumpAndWait1ms();
        }
    }
    PrintSummary("handover", "send", sends);
    PrintSummary("latency", "expiry", latencies);
    return 0;
}

// Sends the requests; with `pause`, then presses every row's pause button as a click would.
int CmdAdd(const wchar_t* windowClass, int n, wchar_t** texts, bool pause)
{
    DWORD pid = 0;
    HWND main = FindProgram(windowClass, &pid);
    if (!main)
        return 1;
    for (int i = 0; i < n; ++i) {
        DWORD_PTR result = 0;
        if (!SendMessageTimeoutW(main, kLbAddFile, 0, reinterpret_cast<LPARAM>(texts[i]), SMTO_NORMAL,
                                 kSendTimeoutMs, &result)) {
            Fail("a request was not delivered");
            return 1;
        }
    }
    int rows = 0, paused = 0;
    for (int i = 0; i < 10; ++i) {
        if (GetDlgItem(main, kRowTimeId + i)) ++rows;
        HWND button = GetDlgItem(main, kRowPauseId + i);
        DWORD_PTR result = 0;
        if (pause && button && SendMessageTimeoutW(main, WM_COMMAND, kRowPauseId + i, reinterpret_cast<LPARAM>(button),
                                                   SMTO_NORMAL, kSendTimeoutMs, &result))
            ++paused;
    }
    printf("sent %d rows %d paused %d\n", n, rows, paused);
    return 0;
}

int CmdMemory(const wchar_t* windowClass)
{
    DWORD pid = 0;
    HWND main = FindProgram(windowClass, &pid);
    if (!main)
        return 1;
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
    PROCESS_MEMORY_COUNTERS_EX counters = {};
    counters.cb = sizeof(counters);
    if (!process || !GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                                          sizeof(counters))) {
        Fail("GetProcessMemoryInfo failed");
        if (process) CloseHandle(process);
        return 1;
    }
    CloseHandle(process);
    printf("memory working-set-kb %zu peak-working-set-kb %zu private-kb %zu\n", counters.WorkingSetSize / 1024,
           counters.PeakWorkingSetSize / 1024, counters.PrivateUsage / 1024);
    return 0;
}

int Usage()
{
    fprintf(stderr,
            "usage: bench_probe launch CLASS EXE [ARG] | close CLASS | clear-settings |\n"
            "       startup RUNS EXE1 CLASS1 EXE2 CLASS2 | latency CLASS COUNT SECONDS |\n"
            "       add CLASS TEXT... | add-paused CLASS TEXT... | memory CLASS\n");
    return 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    g_qpcPerMs = static_cast<double>(frequency.QuadPart) / 1000.0;
    setvbuf(stdout, nullptr, _IOLBF, 0);
    if (argc < 2) return Usage();
    const std::wstring command = argv[1];
    if (command == L"launch" && (argc == 4 || argc == 5)) return CmdLaunch(argv[2], argv[3], argc == 5 ? argv[4] : nullptr);
    if (command == L"close" && argc == 3) return CmdClose(argv[2]);
    if (command == L"clear-settings" && argc == 2) {
        ClearSettings();
        return 0;
    }
    if (command == L"startup" && argc == 7) {
        const wchar_t* exes[2] = {argv[3], argv[5]};
        const wchar_t* classes[2] = {argv[4], argv[6]};
        const int runs = _wtoi(argv[2]);
        if (runs < 1) return Usage();
        return CmdStartup(runs, exes, classes);
    }
    if (command == L"latency" && argc == 5) {
        const int count = _wtoi(argv[3]), seconds = _wtoi(argv[4]);
        if (count < 1 || seconds < 1) return Usage();
        return CmdLatency(argv[2], count, seconds);
    }
    if (command == L"add" && argc >= 4) return CmdAdd(argv[2], argc - 3, argv + 3, false);
    if (command == L"add-paused" && argc >= 4) return CmdAdd(argv[2], argc - 3, argv + 3, true);
    if (command == L"memory" && argc == 3) return CmdMemory(argv[2]);
    return Usage();
}
