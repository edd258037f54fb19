// The reference program of the program benchmark (bench/run.sh): one plain top-level window
// whose only work is a 250 ms SetTimer, the period of Korvalinde's tick, and whose WM_TIMER
// does nothing. What Korvalinde costs beyond this is what its own work costs.
//
//   minimal_window.exe               the window and its 250 ms timer
//   minimal_window.exe --no-timer    the window alone (the floor of an idle window under Wine)
//
// It ends on WM_CLOSE. Built with the same compiler, options and static linking as Korvalinde.
#include <windows.h>
#include <wchar.h>

namespace {

const wchar_t kClassName[] = L"KorvalindeBenchMinimalClass";
const UINT_PTR kTimerId = 1;
const UINT kTimerPeriodMs = 250;

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_TIMER:
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
    bool withTimer = true;
    for (int i = 1; i < __argc; ++i)
        if (wcscmp(__wargv[i], L"--no-timer") == 0)
            withTimer = false;

    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kClassName;
    if (!RegisterClassW(&windowClass))
        return 1;
    HWND window = CreateWindowExW(0, kClassName, withTimer ? L"Minimal window" : L"Minimal window (no timer)",
                                  WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, CW_USEDEFAULT, CW_USEDEFAULT, 240,
                                  160, nullptr, nullptr, instance, nullptr);
    if (!window)
        return 1;
    if (withTimer && !SetTimer(window, kTimerId, kTimerPeriodMs, nullptr))
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
