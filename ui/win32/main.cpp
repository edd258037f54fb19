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

static MonitorList Monitors()
{
    MonitorList monitors = {};
    EnumDisplayMonitors(nullptr, nullptr, CollectMonitor, reinterpret_cast<LPARAM>(&monitors));
    return monitors;
}

// The saved position is in workspace coordinates; the window is created in screen ones. A
// position on no monitor (one that is gone, or a value nobody saved) is taken as it is and
// brought within reach by KeepCaptionInReach; a point of it is brought there already, so that
// the window is never created far off every screen.
static WindowPosition StartPosition(const MonitorList& monitors)
{
    WindowPosition screen = App.Position;
    WorkspaceToScreen(App.Position, monitors.Areas, monitors.Count, &screen);
    return CaptionInReach(screen, 1, 1, monitors.Areas, monitors.Count);
}

// The whole caption on a monitor's work area, the least move away: a window with one pixel on
// screen is out of reach of the mouse.
static void KeepCaptionInReach(HWND window, const MonitorList& monitors)
{
    RECT frame = {};
    POINT client = {0, 0};
    if (!GetWindowRect(window, &frame) || !ClientToScreen(window, &client))
        return;
    const WindowPosition place = {frame.left, frame.top};
    const WindowPosition reach =
        CaptionInReach(place, frame.right - frame.left, client.y - frame.top, monitors.Areas, monitors.Count);
    if (reach.X != place.X || reach.Y != place.Y)
        SetWindowPos(window, nullptr, reach.X, reach.Y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// What a start comes to: the running copy, a hand-over to it, or an end for want of a window.
enum StartOutcome { START_RUN, START_HANDED_OVER, START_FAILED };
static const int EXIT_NO_WINDOW = 1;   // the class or the window could not be made

// The running copy holds this mutex from before it makes its window until it has saved all and
// its window is gone, so a start that finds no window, or one that no longer takes requests,
// learns from it when that copy has come or gone. One per user and session.
static HANDLE RunningMutex;

static HANDLE OpenRunningMutex()
{
    wchar_t name[300] = L"Local\\KorvalindeMainClass ";
    DWORD size = 256;   // a user name has at most 256 characters
    GetUserNameW(name + lstrlenW(name), &size);
    return CreateMutexW(nullptr, FALSE, name);
}

// Hands the arguments to the running copy, found by its window class, or becomes the running
// copy. A copy that is closing no longer takes requests: this start then waits until it is gone
// and becomes the running copy with the arguments it did not take, each argument going to one
// copy only. A start into a copy still making its window waits for the window. The mutex is
// waited for in short slices, the window looked for between them; a copy that takes nothing for
// a minute is given up.
static int HandOverOrRun()
{
    const DWORD LOOK_AGAIN_MS = 100, GIVE_UP_MS = 60000;
    int next = 1;
    ULONGLONG progress = GetTickCount64();
    while (GetTickCount64() - progress < GIVE_UP_MS) {
        HWND running = FindWindowW(MAIN_CLASS_NAME, nullptr);
        if (running) {
            const int taken = HandOverRequests(running, next);
            if (taken >= __argc) {
                BringToFront(running);
                return START_HANDED_OVER;
            }
            if (taken > next)
                progress = GetTickCount64();
            next = taken;
        }
        // Without the mutex (an elevated copy's, or none could be made) the window alone tells.
        if (RunningMutex && WaitForSingleObject(RunningMutex, LOOK_AGAIN_MS) == WAIT_TIMEOUT)
            continue;
        // No copy runs now, but one of an older build, without the mutex, may have a window.
        if (!FindWindowW(MAIN_CLASS_NAME, nullptr)) {
            Ui.ArgumentsHandedOver = next - 1;
            return START_RUN;
        }
        if (RunningMutex)
            ReleaseMutex(RunningMutex);
        else
            Sleep(LOOK_AGAIN_MS);
    }
    return START_HANDED_OVER;
}

static int InitInstance(HINSTANCE instance)
{
    ChooseLanguage();
    RunningMutex = OpenRunningMutex();
    const int outcome = HandOverOrRun();
    if (outcome != START_RUN)
        return outcome;

    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = MainWindowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_MAIN));
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.lpszClassName = MAIN_CLASS_NAME;   // no background brush: the window paints its bands
    if (!RegisterClassW(&windowClass))
        return START_FAILED;

    // The settings dialog's hot-key control and the tooltips belong to the common controls.
    INITCOMMONCONTROLSEX controls = {};
    controls.dwSize = sizeof(controls);
    controls.dwICC = ICC_HOTKEY_CLASS | ICC_BAR_CLASSES;
    InitCommonControlsEx(&controls);

    Ui.Instance = instance;
    LoadSettings();
    return START_RUN;
}

// The exit code: 0, but for a start that could make no window (under Wine, when no desktop
// could be had), so that whoever started it learns of it. The running copy lets the mutex go
// once all is saved.
static int EndProgram(int code)
{
    EndAccessibility();
    ReleaseMutex(RunningMutex);
    return code;
}

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int)
{
    const int outcome = InitInstance(instance);
    if (outcome != START_RUN)
        return outcome == START_FAILED ? EndProgram(EXIT_NO_WINDOW) : 0;
    const MonitorList monitors = Monitors();
    const WindowPosition start = StartPosition(monitors);
    HWND window = CreateWindowExW(0, MAIN_CLASS_NAME, MAIN_WINDOW_TITLE, MAIN_WINDOW_STYLE, start.X, start.Y,
                                  CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, nullptr);
    if (!window)
        return EndProgram(EXIT_NO_WINDOW);
    KeepCaptionInReach(window, monitors);
    if (App.TopMost)
        SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
    ShowWindow(window, SW_SHOWDEFAULT);
    UpdateWindow(window);

    HACCEL accelerators = LoadAcceleratorsW(instance, MAKEINTRESOURCEW(IDR_ACCELERATORS));
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0)) {
        RelayToolTipMouse(&message);
        // The keys act on the main window whichever of its controls has the focus.
        if (accelerators && TranslateAcceleratorW(window, accelerators, &message))
            continue;
        // What is left of the keyboard works the buttons as in a dialog: Tab and Shift+Tab move the
        // focus (and show it), Space presses the focused button.
        if (IsDialogMessageW(window, &message))
            continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return EndProgram(0);
}
