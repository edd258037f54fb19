// The reference windows of the program benchmark (bench/run.sh), built as Korvalinde is (same compiler, options,
// static linking): what Korvalinde costs beyond one of them is what its own way of working costs. By argument:
//   minimal     (also with no argument) one plain window whose only work is a 250 ms SetTimer (Korvalinde's tick); WM_TIMER does nothing
//   same-work   the visible work of ten named countdowns, done plainly: ten centred static controls with a client
//               edge on Korvalinde's row grid, each counting down 100 minutes from the start; on the 250 ms timer
//               each row shows its name ("name01") for four ticks and its time left (" 1:39:59") for the next
//               four, as Korvalinde's rows do, set by SetWindowTextW on the kept handle only when it changes
// It ends on WM_CLOSE.
#include <windows.h>
#include <wchar.h>

namespace {

const UINT_PTR kTimerId = 1;
const UINT kTimerPeriodMs = 250;
const int kRows = 10;
const ULONGLONG kDurationMs = 100 * 60 * 1000;
const int kGridColumns = 25;   // Korvalinde's grid: 25 cells wide, a pitch of a line and 10 pixels
const int kTextUnits = 16;

bool g_sameWork;
HWND g_rows[kRows];
wchar_t g_shown[kRows][kTextUnits];
ULONGLONG g_due;
unsigned g_phase;              // 0 to 7; names show while below 4

// Each row's text as Korvalinde's tick makes it: the name, or the time left rounded up to whole
// seconds, the hour padded to two columns.
void Tick()
{
    g_phase = (g_phase + 1) & 7;
    const ULONGLONG now = GetTickCount64();
    const ULONGLONG seconds = ((g_due > now ? g_due - now : 0) + 999) / 1000;
    for (int row = 0; row < kRows; ++row) {
        wchar_t text[kTextUnits];
        if (g_phase < 4)
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
    for (int row = 0; row < kRows; ++row) {
        g_rows[row] = CreateWindowExW(WS_EX_CLIENTEDGE, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_CENTER,
                                      4 * charWidth, 3 + row * pitch, 11 * charWidth, lineHeight + 4, window,
                                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(0x200 + row)), instance, nullptr);
        if (!g_rows[row])
            return false;
    }
    RECT frame = {0, 0, kGridColumns * charWidth, (kRows + 1) * pitch};
    AdjustWindowRectEx(&frame, style, FALSE, 0);
    SetWindowPos(window, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    g_due = GetTickCount64() + kDurationMs;
    Tick();
    return true;
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_TIMER:
        if (g_sameWork)
            Tick();
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
    if (!g_sameWork && wcscmp(mode, L"minimal") != 0)
        return 2;
    const wchar_t* className = g_sameWork ? L"KorvalindeBenchSameWorkClass" : L"KorvalindeBenchMinimalClass";
    const DWORD style = (g_sameWork ? WS_CLIPCHILDREN : WS_OVERLAPPED) | WS_CAPTION | WS_SYSMENU;

    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    const int background = g_sameWork ? COLOR_MENU : COLOR_BTNFACE;
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(background + 1));
    windowClass.lpszClassName = className;
    if (!RegisterClassW(&windowClass))
        return 1;
    const wchar_t* caption = g_sameWork ? L"Same-work window" : L"Minimal window";
    HWND window = CreateWindowExW(0, className, caption, style, CW_USEDEFAULT, CW_USEDEFAULT, 240, 160, nullptr,
                                  nullptr, instance, nullptr);
    if (!window)
        return 1;
    if (g_sameWork && !CreateRows(window, instance, style))
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
