// The reference windows of the program benchmark (bench/run.sh), built as Korvalinde is (same compiler, options,
// static linking): what Korvalinde costs beyond one of them is what its own way of working costs. By argument:
//   minimal     (also with no argument) one plain window whose only work is a 250 ms SetTimer (Korvalinde's tick); WM_TIMER does nothing
//   same-work   the visible work of ten named countdowns, done plainly: ten centred static controls with a client
//               edge on Korvalinde's row grid, each counting down 100 minutes from the start; on the 250 ms timer
//               each row shows its name ("name01") for four ticks and its time left (" 1:39:59") for the next
//               four, as Korvalinde's rows do, set by SetWindowTextW on the kept handle only when it changes
//   one-timer   the visible work of one countdown request: one such row, empty until a request comes
// Every mode takes a request "0:0:SECONDS" as Korvalinde does (LB_ADDFILE, answered 0): one countdown of that many
// seconds, a one-shot SetTimer for its due moment (armed again for the rest when the tick count is not there yet)
// and then the notice Korvalinde shows, a MessageBoxExW captioned "TimeUp"; in one-timer mode the row shows the
// time left meanwhile. It ends on WM_CLOSE.
#include <windows.h>
#include <wchar.h>

namespace {

const UINT_PTR kTimerId = 1, kDueTimerId = 2;
const UINT kTimerPeriodMs = 250;
const int kRows = 10;
const ULONGLONG kDurationMs = 100 * 60 * 1000;
const int kGridColumns = 25;   // Korvalinde's grid: 25 cells wide, a pitch of a line and 10 pixels
const int kTextUnits = 16;

bool g_sameWork, g_oneTimer;
int g_rowCount;                // rows shown: ten (same-work), one (one-timer) or none
HWND g_rows[kRows];
wchar_t g_shown[kRows][kTextUnits];
ULONGLONG g_due;
ULONGLONG g_requestDue;        // the due moment of a request, 0 while none runs
unsigned g_phase;              // 0 to 7; names show while below 4

// Each row's text as Korvalinde's tick makes it: the name, or the time left rounded up to whole
// seconds, the hour padded to two columns; the one-timer row shows the time left of its request,
// or nothing.
void Tick()
{
    g_phase = (g_phase + 1) & 7;
    const ULONGLONG now = GetTickCount64();
    const ULONGLONG due = g_oneTimer ? g_requestDue : g_due;
    const ULONGLONG seconds = ((due > now ? due - now : 0) + 999) / 1000;
    for (int row = 0; row < g_rowCount; ++row) {
        wchar_t text[kTextUnits];
        if (g_oneTimer && !g_requestDue)
            text[0] = L'\0';
        else if (g_sameWork && g_phase < 4)
            swprintf(text, kTextUnits, L"name%02d", row + 1);
        else
            swprintf(text, kTextUnits, L"%2u:%02u:%02u", static_cast<unsigned>(seconds / 3600),
                     static_cast<unsigned>(seconds / 60 % 60), static_cast<unsigned>(seconds % 60));
        if (wcscmp(text, g_shown[row]) == 0)
            continue;
        lstrcpynW(g_shown[row], text, kTextUnits);
        SetWindowTextW(g_rows[row], text);
    }
}

// The time displays where Korvalinde puts them, its grid from the default font's metrics: 4 cells
// in, 11 cells wide, a line and 4 pixels high, one pitch apart.
bool CreateRows(HWND window, HINSTANCE instance, DWORD style)
{
    HDC dc = GetDC(window);
    TEXTMETRICW metrics = {};
    if (!dc || !GetTextMetricsW(dc, &metrics))
        return false;
    ReleaseDC(window, dc);
    const int charWidth = metrics.tmAveCharWidth;
    const int lineHeight = metrics.tmHeight + metrics.tmExternalLeading;
    const int pitch = lineHeight + 10;
    for (int row = 0; row < g_rowCount; ++row) {
        g_rows[row] = CreateWindowExW(WS_EX_CLIENTEDGE, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_CENTER,
                                      4 * charWidth, 3 + row * pitch, 11 * charWidth, lineHeight + 4, window,
                                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(0x200 + row)), instance, nullptr);
        if (!g_rows[row])
            return false;
    }
    RECT frame = {0, 0, kGridColumns * charWidth, (g_rowCount + 1) * pitch};
    AdjustWindowRectEx(&frame, style, FALSE, 0);
    SetWindowPos(window, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    g_due = GetTickCount64() + kDurationMs;
    Tick();
    return true;
}

// A request "0:0:SECONDS" (the only form the benchmark sends): its countdown starts now.
void Request(HWND window, const wchar_t* text)
{
    unsigned seconds = 0;
    if (!text || swscanf(text, L"0:0:%u", &seconds) != 1 || seconds == 0)
        return;
    g_requestDue = GetTickCount64() + seconds * 1000ULL;
    SetTimer(window, kDueTimerId, seconds * 1000, nullptr);
    if (g_oneTimer)
        Tick();
}

// The request's due check: the notice once the tick count has reached the due moment, else a check again for the rest.
void CheckDue(HWND window)
{
    KillTimer(window, kDueTimerId);
    const ULONGLONG now = GetTickCount64();
    if (!g_requestDue)
        return;
    if (now < g_requestDue) {
        SetTimer(window, kDueTimerId, static_cast<UINT>(g_requestDue - now), nullptr);
        return;
    }
    g_requestDue = 0;
    if (g_oneTimer)
        Tick();
    MessageBoxExW(window, L"\u6642\u9593\u3067\u3059", L"TimeUp", MB_OK | MB_ICONINFORMATION | MB_TOPMOST,
                  MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT));
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_TIMER:
        if (wParam == kDueTimerId)
            CheckDue(window);
        else if (g_rowCount > 0)
            Tick();
        return 0;
    case LB_ADDFILE:
        Request(window, reinterpret_cast<const wchar_t*>(lParam));
        return 0;
    case WM_DESTROY:
        KillTimer(window, kTimerId);
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int)
{
    const wchar_t* mode = __argc == 2 ? __wargv[1] : L"minimal";
    g_sameWork = wcscmp(mode, L"same-work") == 0;
    g_oneTimer = wcscmp(mode, L"one-timer") == 0;
    if (!g_sameWork && !g_oneTimer && wcscmp(mode, L"minimal") != 0)
        return 2;
    g_rowCount = g_sameWork ? kRows : g_oneTimer ? 1 : 0;
    const bool rows = g_rowCount > 0;
    const wchar_t* className = g_sameWork ? L"KorvalindeBenchSameWorkClass"
                               : g_oneTimer ? L"KorvalindeBenchOneTimerClass"
                                            : L"KorvalindeBenchMinimalClass";
    const DWORD style = (rows ? WS_CLIPCHILDREN : WS_OVERLAPPED) | WS_CAPTION | WS_SYSMENU;

    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    const int background = rows ? COLOR_MENU : COLOR_BTNFACE;
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(background + 1));
    windowClass.lpszClassName = className;
    if (!RegisterClassW(&windowClass))
        return 1;
    const wchar_t* caption = g_sameWork ? L"Same-work window" : g_oneTimer ? L"One-timer window" : L"Minimal window";
    HWND window = CreateWindowExW(0, className, caption, style, CW_USEDEFAULT, CW_USEDEFAULT, 240, 160, nullptr,
                                  nullptr, instance, nullptr);
    if (!window)
        return 1;
    if (rows && !CreateRows(window, instance, style))
        return 1;
    if (!SetTimer(window, kTimerId, kTimerPeriodMs, nullptr))
        return 1;
    ShowWindow(window, SW_SHOWDEFAULT);
    UpdateWindow(window);

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
