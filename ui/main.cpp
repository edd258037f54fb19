// The program's entry: one instance per user, the hand-over of a second start's arguments,
// the window class, the settings, the main window and the message loop.
#include "ui.h"
#include <commctrl.h>
#include "app_state.h"
#include "resource.h"
#include "settings_store.h"
#include "tick.h"

// A saved position on a monitor that is gone would open the window where nobody can see
// it; then the window opens at the top-left corner instead.
static void KeepPositionVisible()
{
    RECT caption = {App.Position.X, App.Position.Y, App.Position.X + 120, App.Position.Y + 24};
    if (!MonitorFromRect(&caption, MONITOR_DEFAULTTONULL)) {
        App.Position.X = 0;
        App.Position.Y = 0;
    }
}

static int InitInstance(HINSTANCE instance)
{
    HWND running = FindWindowW(MainClassName, nullptr);
    if (running) {
        ForwardCommandLineRequests(running);
        BringToFront(running);
        return 0;
    }

    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = MainWindowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_MAIN));
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.lpszClassName = MainClassName;   // no background brush: the window paints its bands
    if (!RegisterClassW(&windowClass))
        return 0;

    // The settings dialog's hot-key control belongs to the common controls.
    INITCOMMONCONTROLSEX controls = {};
    controls.dwSize = sizeof(controls);
    controls.dwICC = ICC_HOTKEY_CLASS;
    InitCommonControlsEx(&controls);

    App.Instance = instance;
    LoadSettings();
    return 1;
}

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int)
{
    if (!InitInstance(instance))
        return 0;
    KeepPositionVisible();
    HWND window = CreateWindowExW(0, MainClassName, MainWindowTitle, MAIN_WINDOW_STYLE, App.Position.X,
                                  App.Position.Y, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, nullptr);
    if (!window)
        return 0;
    if (App.TopMost)
        SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
    ShowWindow(window, SW_SHOWDEFAULT);
    UpdateWindow(window);

    HACCEL accelerators = LoadAcceleratorsW(instance, MAKEINTRESOURCEW(IDR_ACCELERATORS));
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0)) {
        // The keys act on the main window whichever of its controls has the focus.
        if (!accelerators || !TranslateAcceleratorW(window, accelerators, &message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    return 0;
}
