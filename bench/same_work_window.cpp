// The second reference program of the program benchmark (bench/run.sh): a window that does the
// visible work of Korvalinde with ten named countdowns, plainly, and nothing else. What Korvalinde
// costs beyond this is what its way of doing that work costs.
//
//   same_work_window.exe    ten centred static controls with a client edge, on Korvalinde's row
//                           grid, each counting down 100 minutes from the start; on a 250 ms
//                           SetTimer every row shows its name ("name01" to "name10") for four
//                           ticks and its time left (" 1:39:59") for the next four, as Korvalinde's
//                           rows do, and a text is set (SetWindowTextW on the kept handle) only
//                           when it changes.
//
// It ends on WM_CLOSE. Built with the same compiler, options and static linking as Korvalinde.
#include <windows.h>
#include <wchar.h>

namespace {

const wchar_t kClassName[] = L"KorvalindeBenchSameWorkClass";
const UINT_PTR kTimerId = 1;
const UINT kTimerPeriodMs = 250;
const int kRows = 10;
const ULONGLONG kDurationMs = 100 * 60 * 1000;
const int kGridColumns = 25;   // Korvalinde's grid: 25 cells wide, a pitch of a line and 10 pixels
const int kTextUnits = 16;

HWND g_rows[kRows];
wchar_t g_shown[kRows][kTextUnits];
ULONGLONG g_due;
unsigned g_phase;              // 0 to 7; names show while below 4

// The text of a row as Korvalinde's tick makes it: the name, or the time left rounded up to
// whole seconds, the hour padded to two columns.
void RowText(int row, ULONGLONG now, wchar_t (&text)[kTextUnits])
{
    if (g_phase < 4) {
        swprintf(text, kTextUnits, L"name%02d", row + 1);
        return;
    }
    const ULONGLONG left = g_due > now ? g_due - now : 0;
    const ULONGLONG seconds = left / 1000 + (left % 1000 != 0 ? 1 : 0);
    swprintf(text, kTextUnits, L"%2u:%02u:%02u", static_cast<unsigned>(seconds / 3600),
             static_cast<unsigned>(seconds / 60 % 60), static_cast<unsigned>(seconds % 60));
}

void Tick()
{
    g_phase = (g_phase + 1) & 7;
    const ULONGLONG now = GetTickCount64();
    for (int row = 0; row < kRows; ++row) {
        wchar_t text[kTextUnits];
        RowText(row, now, text);
        if (wcscmp(text, g_shown[row]) == 0)
            continue;
        lstrcpynW(g_shown[row], text, kTextUnits);
        SetWindowTextW(g_rows[row], text);
    }
}

// The time displays where Korvalinde puts them: 4 cells in, 11 cells wide, a line and 4 pixels
// high, one pitch apart.
bool CreateRows(HWND window, HINSTANCE instance, int charWidth, int lineHeight)
{
    const int pitch = lineHeight + 10;
    for (int row = 0; row < kRows; ++row) {
        g_rows[row] = CreateWindowExW(WS_EX_CLIENTEDGE, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_CENTER,
                                      4 * charWidth, 3 + row * pitch, 11 * charWidth, lineHeight + 4, window,
                                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(0x200 + row)), instance, nullptr);
        if (!g_rows[row])
            return false;
    }
    RECT frame = {0, 0, kGridColumns * charWidth, (kRows + 1) * pitch};
    AdjustWindowRectEx(&frame, WS_CLIPCHILDREN | WS_CAPTION | WS_SYSMENU, FALSE, 0);
    SetWindowPos(window, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    return true;
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_TIMER:
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
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_MENU + 1);
    windowClass.lpszClassName = kClassName;
    if (!RegisterClassW(&windowClass))
        return 1;
    HWND window = CreateWindowExW(0, kClassName, L"Same-work window", WS_CLIPCHILDREN | WS_CAPTION | WS_SYSMENU,
                                  CW_USEDEFAULT, CW_USEDEFAULT, 240, 160, nullptr, nullptr, instance, nullptr);
    if (!window)
        return 1;
    // Korvalinde's grid comes from the default font's metrics.
    HDC dc = GetDC(window);
    TEXTMETRICW metrics = {};
    if (!dc || !GetTextMetricsW(dc, &metrics))
        return 1;
    ReleaseDC(window, dc);
    if (!CreateRows(window, instance, metrics.tmAveCharWidth, metrics.tmHeight + metrics.tmExternalLeading))
        return 1;
    g_due = GetTickCount64() + kDurationMs;
    Tick();
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
