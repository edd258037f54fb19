// The program's entry: one instance per user, the hand-over of a second start's arguments,
// the window class, the settings, the main window and the message loop.
#include "ui.h"
#include <commctrl.h>
#include "app_state.h"
#include "resource.h"
#include "settings_store.h"
#include "window_position.h"

static const int MONITOR_ROOM = 16;

struct MonitorList {
    MonitorArea Areas[MONITOR_ROOM];
    int Count;
};

static BOOL CALLBACK CollectMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM data)
{
    MonitorList* list = reinterpret_cast<MonitorList*>(data);
    MONITORINFO info = {};
    info.cbSize = sizeof(info);
    if (list->Count >= MONITOR_ROOM || !GetMonitorInfoW(monitor, &info))
        return TRUE;
    MonitorArea area = {{info.rcMonitor.left, info.rcMonitor.top, info.rcMonitor.right, info.rcMonitor.bottom},
                        {info.rcWork.left, info.rcWork.top, info.rcWork.right, info.rcWork.bottom}};
    // The primary monitor first: a position that fits several is taken as the primary's.
    int at = (info.dwFlags & MONITORINFOF_PRIMARY) ? 0 : list->Count;
    for (int i = list->Count; i > at; --i)
        list->Areas[i] = list->Areas[i - 1];
    list->Areas[at] = area;
    ++list->Count;
    return TRUE;
}

// The saved position is in workspace coordinates; the window is created in screen ones. A
// position on a monitor that is gone would open the window where nobody can see it; then
// the window opens at the top-left corner instead.
static WindowPosition StartPosition()
{
    MonitorList monitors = {};
    EnumDisplayMonitors(nullptr, nullptr, CollectMonitor, reinterpret_cast<LPARAM>(&monitors));
    WindowPosition screen = {0, 0};
    if (!WorkspaceToScreen(App.Position, monitors.Areas, monitors.Count, &screen))
        return screen;
    RECT caption = {screen.X, screen.Y, screen.X + 120, screen.Y + 24};
    if (!MonitorFromRect(&caption, MONITOR_DEFAULTTONULL))
        screen.X = screen.Y = 0;
    return screen;
}

static int InitInstance(HINSTANCE instance)
{
    HWND running = FindWindowW(MAIN_CLASS_NAME, nullptr);
    if (running) {
        SendCommandLineRequests(running);
        BringToFront(running);
        return 0;
    }

    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = MainWindowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_MAIN));
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.lpszClassName = MAIN_CLASS_NAME;   // no background brush: the window paints its bands
    if (!RegisterClassW(&windowClass))
        return 0;

    // The settings dialog's hot-key control and the tooltips belong to the common controls.
    INITCOMMONCONTROLSEX controls = {};
    controls.dwSize = sizeof(controls);
    controls.dwICC = ICC_HOTKEY_CLASS | ICC_BAR_CLASSES;
    InitCommonControlsEx(&controls);

    App.Instance = instance;
    LoadSettings();
    return 1;
}

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int)
{
    if (!InitInstance(instance))
        return 0;
    WindowPosition start = StartPosition();
    HWND window = CreateWindowExW(0, MAIN_CLASS_NAME, MAIN_WINDOW_TITLE, MAIN_WINDOW_STYLE, start.X, start.Y,
                                  CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, nullptr);
    if (!window)
        return 0;
    if (App.TopMost)
        SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
    ShowWindow(window, SW_SHOWDEFAULT);
    UpdateWindow(window);

    HACCEL accelerators = LoadAcceleratorsW(instance, MAKEINTRESOURCEW(IDR_ACCELERATORS));
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0)) {
        RelayToolTipMouse(&message);
        // The keys act on the main window whichever of its controls has the focus.
        if (!accelerators || !TranslateAcceleratorW(window, accelerators, &message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    return 0;
}
