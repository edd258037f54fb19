// The main window procedure: creation, the tick, the position, the commands of the row
// buttons, the bottom buttons and the keys, the hot key, and the end of the window.
#include "ui.h"
#include <imm.h>
#include "app_state.h"
#include "resource.h"
#include "settings_store.h"
#include "tick.h"
#include "time_text.h"
#include "timer_handover.h"
#include "timer_table.h"

const wchar_t MainClassName[] = L"KorvalindeMainClass";
const wchar_t MainWindowTitle[] = L"Korvalinde";

static const wchar_t DeleteQuestion[] = L"タイマー%d(%s)を削除します\nよろしいですか？";
static const wchar_t DeleteCaption[] = L"削除";

static HINSTANCE Instance() { return static_cast<HINSTANCE>(App.Instance); }

static LRESULT OnCreate(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    HDC dc = GetDC(window);
    if (!dc)
        return -1;
    TEXTMETRICW metrics = {};
    GetTextMetricsW(dc, &metrics);
    App.LineHeight = metrics.tmHeight + metrics.tmExternalLeading;
    App.CharWidth = metrics.tmAveCharWidth;
    ReleaseDC(window, dc);

    App.MainWindow = window;
    BuildTimerRows(window);
    // Every tick measures its delta from here, also one that runs inside a message box below.
    App.LastTick = GetTickCount64();
    App.WindowTimerId = SetTimer(window, WINDOW_TIMER_ID, TICK_PERIOD_MS, nullptr);
    if (!App.WindowTimerId)
        return -1;
    App.SavedImeContext = ImmAssociateContext(window, nullptr);
    RegisterActivationHotKey(window);
    PostMessageW(window, WM_COMMAND, ID_PROCESS_ARGS, 0);
    return DefWindowProcW(window, message, wParam, lParam);
}

static void OnMove(HWND window)
{
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof(placement);
    if (GetWindowPlacement(window, &placement)) {
        App.Position.X = placement.rcNormalPosition.left;
        App.Position.Y = placement.rcNormalPosition.top;
    }
}

// WM_DESTROY, and WM_ENDSESSION: the settings are saved either way. The tick and the input
// method are given up only when the window or the session really ends; a cancelled session
// end leaves the program running with its tick, and hands no timers over.
static void OnShutdown(HWND window, UINT message, WPARAM wParam)
{
    const int ending = message == WM_DESTROY || wParam != 0;
    if (ending) {
        if (App.WindowTimerId) {
            KillTimer(window, App.WindowTimerId);
            App.WindowTimerId = 0;
        }
        if (App.SavedImeContext) {
            ImmAssociateContext(window, static_cast<HIMC>(App.SavedImeContext));
            App.SavedImeContext = nullptr;
        }
    }
    if (message == WM_DESTROY) {
        SaveSettings();
        PostQuitMessage(0);
    } else {
        SaveAtSessionEnd(ending);
    }
}

// Runs a dialog from template with the ticks held back; 1 when it changed the timers.
static INT_PTR RunModalDialog(HWND window, int templateId, DLGPROC procedure, LPARAM parameter)
{
    return DialogBoxParamW(Instance(), MAKEINTRESOURCEW(templateId), window, procedure, parameter);
}

static void OnPauseCommand(HWND window, int index, int id)
{
    if (ToggleSuspend(index))
        SetDlgItemTextW(window, id, App.Timers.Records[index].Suspended ? L"\xFF1E" : L"\x25A0");
}

static void OnEditCommand(HWND window, int index)
{
    if (index >= App.Timers.Count)
        return;
    App.ModalOpen = 1;
    if (RunModalDialog(window, IDD_TIMER, EditTimerDialogProc, index) == IDOK)
        BuildTimerRows(window);
    App.ModalOpen = 0;
}

static void OnDeleteCommand(HWND window, int index)
{
    if (index >= App.Timers.Count)
        return;
    wchar_t question[64];
    wsprintfW(question, DeleteQuestion, index + 1, AsWide(TimerLabel(&App.Timers.Records[index])));
    App.ModalOpen = 1;
    if (MessageBoxW(window, question, DeleteCaption, MB_OKCANCEL | MB_ICONQUESTION) == IDOK) {
        DeleteTimer(index);
        BuildTimerRows(window);
    }
    App.ModalOpen = 0;
}

static void OnAddCommand(HWND window)
{
    if (App.Timers.Count >= MAX_TIMERS)
        return;
    App.ModalOpen = 1;
    if (RunModalDialog(window, IDD_TIMER, AddTimerDialogProc, 0) == IDOK)
        BuildTimerRows(window);
    App.ModalOpen = 0;
}

static void OnMuteCommand(HWND window)
{
    App.Mute = App.Mute ? 0 : 1;
    SendDlgItemMessageW(window, ID_MUTE, BM_SETCHECK, App.Mute, 0);
    // Timers that ran out while muted were never reported; un-muting removes them all at once.
    if (!App.Mute && CompactExpired() > 0)
        BuildTimerRows(window);
}

static void OnTopMostCommand(HWND window)
{
    App.TopMost = App.TopMost ? 0 : 1;
    SendDlgItemMessageW(window, ID_TOPMOST, BM_SETCHECK, App.TopMost, 0);
    SetWindowPos(window, App.TopMost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
}

static void OnSettingsCommand(HWND window)
{
    App.ModalOpen = 1;
    // The hot key is off while the dialog is open, and registered again from the word as it
    // then stands, after OK and after Cancel alike.
    if (App.HotKeyRegistered)
        UnregisterHotKey(window, ACTIVATION_HOTKEY_ID);
    App.HotKeyRegistered = 0;
    RunModalDialog(window, IDD_SETTINGS, SettingsDialogProc, 0);
    RegisterActivationHotKey(window);
    App.ModalOpen = 0;
}

static void OnCommand(HWND window, WPARAM wParam)
{
    const int index = static_cast<int>(wParam & 0xFF);
    switch (wParam & 0xFF00) {
    case ID_ROW_PAUSE:
        OnPauseCommand(window, index, static_cast<int>(wParam & 0xFFFF));
        return;
    case ID_ROW_EDIT:
        OnEditCommand(window, index);
        return;
    case ID_ROW_DELETE:
        OnDeleteCommand(window, index);
        return;
    }
    switch (wParam & 0xFFFF) {
    case ID_ADD:
        OnAddCommand(window);
        break;
    case ID_MUTE:
        OnMuteCommand(window);
        break;
    case ID_TOPMOST:
        OnTopMostCommand(window);
        break;
    case ID_SUSPEND_ALL:
        SaveTimers();
        // The default procedure destroys the window within this call; WM_DESTROY then saves
        // the settings, after the timers.
        SendMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
        break;
    case ID_SETTINGS:
        OnSettingsCommand(window);
        break;
    case ID_PROCESS_ARGS:
        ProcessCommandLineRequests(window);
        break;
    }
}

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        return OnCreate(window, message, wParam, lParam);
    case WM_DESTROY:
    case WM_ENDSESSION:
        OnShutdown(window, message, wParam);
        return 0;
    case WM_MOVE:
        OnMove(window);
        break;
    case WM_SIZE:
        LayoutTimerRows(window);
        return 0;
    case WM_PAINT:
        PaintRowBands(window);
        return 0;
    case WM_COMMAND:
        OnCommand(window, wParam);
        return 0;
    case WM_TIMER:
        // While a dialog of ours is open the ticks are dropped; the first tick afterwards
        // subtracts the whole time since LastTick.
        if (!App.ModalOpen)
            ProcessTick(window);
        return 0;
    case LB_ADDFILE:
        AddTimerFromText(window, reinterpret_cast<const wchar_t*>(lParam));
        return 0;
    case WM_HOTKEY:
        BringToFront(window);
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}
