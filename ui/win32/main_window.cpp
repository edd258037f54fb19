// The main window procedure: creation, the ticks, the position, the commands of the row
// buttons, the bottom buttons and the keys, the hot key, and the end of the window.
#include "ui.h"
#include <imm.h>
#include "app_state.h"
#include "resource.h"
#include "settings_store.h"
#include "time_text.h"
#include "tick_driver.h"
#include "timer_handover.h"
#include "timer_table.h"

const wchar_t MAIN_CLASS_NAME[] = L"" MAIN_CLASS_TEXT;
const wchar_t MAIN_WINDOW_TITLE[] = L"Korvalinde";


static HINSTANCE Instance() { return static_cast<HINSTANCE>(Ui.Instance); }

static LRESULT OnCreate(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    HDC dc = GetDC(window);
    if (!dc)
        return -1;
    TEXTMETRICW metrics = {};
    GetTextMetricsW(dc, &metrics);
    Ui.LineHeight = metrics.tmHeight + metrics.tmExternalLeading;
    Ui.CharWidth = metrics.tmAveCharWidth;
    ReleaseDC(window, dc);

    Ui.MainWindow = window;
    FollowSystemColours(window);
    CreateToolTips();
    // Every tick measures its delta from here, also one that runs inside a message box below.
    StartTickClocks();
    // Builds the rows of the handed-over timers, writes them to the journal anew and starts
    // the tick when there are any.
    if (!TimersChanged(window))
        return -1;
    Ui.SavedImeContext = ImmAssociateContext(window, nullptr);
    RegisterActivationHotKey(window);
    PostMessageW(window, WM_COMMAND, ID_PROCESS_ARGS, 0);
    return DefWindowProcW(window, message, wParam, lParam);
}

static void OnMove(HWND window)
{
    // Workspace coordinates, as stored; the start converts them back to screen coordinates.
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof(placement);
    if (GetWindowPlacement(window, &placement)) {
        App.Position.X = placement.rcNormalPosition.left;
        App.Position.Y = placement.rcNormalPosition.top;
    }
}

static void OnDestroy(HWND window)
{
    StopTicks(window);
    if (Ui.SavedImeContext) {
        ImmAssociateContext(window, static_cast<HIMC>(Ui.SavedImeContext));
        Ui.SavedImeContext = nullptr;
    }
    DestroyToolTips();
    SaveSettings();
    PostQuitMessage(0);
}


// The settings are saved either way. A real end of the session (wParam TRUE) hands the timers
// over when the user asked for it, with a one-time restart at the next logon, and puts it all
// on disk. The tick goes on: should the program outlive the end (another program can send
// this message too), its timers keep counting and the journal keeps what it handed over true.
static void OnEndSession(WPARAM sessionEnds)
{
    if (sessionEnds)
        HandOverAtSessionEnd();
    else
        SaveSettings();
}

// Runs a dialog of ours with the ticks held back (ModalOpen): the first tick afterwards
// subtracts the whole time it was open. IDOK when it changed the timers.
static INT_PTR RunModalDialog(HWND window, int templateId, DLGPROC procedure, LPARAM parameter)
{
    Ui.ModalOpen = 1;
    INT_PTR result = DialogBoxParamW(Instance(), MAKEINTRESOURCEW(templateId), window, procedure, parameter);
    Ui.ModalOpen = 0;
    return result;
}

// Asks whether to delete timer index, with the ticks held back like a dialog of ours.
static int ConfirmDelete(HWND window, int index)
{
    wchar_t form[MESSAGE_UNITS];
    wchar_t caption[MESSAGE_UNITS];
    wchar_t question[MESSAGE_UNITS];
    ResourceText(TEXT_DELETE_QUESTION, form, MESSAGE_UNITS);
    wsprintfW(question, form, index + 1, AsWide(TimerLabel(&App.Timers.Records[index])));
    Ui.ModalOpen = 1;
    int answer = MessageBoxW(window, question, ResourceText(TEXT_DELETE_CAPTION, caption, MESSAGE_UNITS), MB_OKCANCEL | MB_ICONQUESTION);
    Ui.ModalOpen = 0;
    return answer == IDOK;
}

static void OnPauseCommand(HWND window, int index)
{
    if (ToggleSuspend(index))
        TimersChanged(window);
}

static void OnEditCommand(HWND window, int index)
{
    if (index < App.Timers.Count && RunModalDialog(window, IDD_TIMER, EditTimerDialogProc, index) == IDOK)
        TimersChanged(window);
}

static void OnDeleteCommand(HWND window, int index)
{
    if (index < App.Timers.Count && ConfirmDelete(window, index)) {
        DeleteTimer(index);
        TimersChanged(window);
    }
}

static void OnAddCommand(HWND window)
{
    if (App.Timers.Count < MAX_TIMERS && RunModalDialog(window, IDD_TIMER, AddTimerDialogProc, 0) == IDOK)
        TimersChanged(window);
}

static void OnMuteCommand(HWND window)
{
    App.Mute = App.Mute ? 0 : 1;
    SendDlgItemMessageW(window, ID_MUTE, BM_SETCHECK, App.Mute, 0);
    // Timers that ran out while muted were never reported; un-muting removes them all at once.
    if (!App.Mute && CompactExpired() > 0)
        TimersChanged(window);
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
    // The hot key is off while the dialog is open, and registered again from the word as it
    // then stands, after OK and after Cancel alike.
    if (Ui.HotKeyRegistered)
        UnregisterHotKey(window, ACTIVATION_HOTKEY_ID);
    Ui.HotKeyRegistered = 0;
    RunModalDialog(window, IDD_SETTINGS, SettingsDialogProc, 0);
    RegisterActivationHotKey(window);
}

static void OnCommand(HWND window, WPARAM wParam)
{
    const int index = static_cast<int>(wParam & 0xFF);
    switch (wParam & 0xFF00) {
    case ID_ROW_PAUSE:
        OnPauseCommand(window, index);
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
        Ui.KeepTimersOnClose = 1;
        SaveTimers();
        // The default procedure destroys the window within this call; WM_DESTROY then saves
        // the settings, after the timers.
        SendMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
        break;
    case ID_SETTINGS:
        OnSettingsCommand(window);
        break;
    case ID_PROCESS_ARGS:
        SendCommandLineRequests(window);
        break;
    }
}

// A plain window forgets which control had the focus when it is left (for another program or one
// of our dialogs); the keyboard user comes back to the button they left, as in a dialog.
static int OnActivate(HWND window, WPARAM wParam)
{
    HWND focused = GetFocus();
    if (LOWORD(wParam) == WA_INACTIVE) {
        Ui.FocusedControl = IsChild(window, focused) ? focused : nullptr;
        return 0;
    }
    HWND back = static_cast<HWND>(Ui.FocusedControl);
    if (!back || !IsChild(window, back) || !IsWindowEnabled(back))
        return 0;
    SetFocus(back);
    return 1;
}

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        return OnCreate(window, message, wParam, lParam);
    case WM_DESTROY:
        OnDestroy(window);
        return 0;
    case WM_CLOSE:
        // The close button, Alt+F4, another program's WM_CLOSE or save-and-quit.
        TimersAtClose();
        break;
    case WM_ENDSESSION:
        OnEndSession(wParam);
        return 0;
    case WM_ACTIVATE:
        if (OnActivate(window, wParam))
            return 0;
        break;
    case WM_MOVE:
        OnMove(window);
        break;
    case WM_SIZE:
        LayoutTimerRows(window);
        return 0;
    case WM_PAINT:
        PaintRowBands(window);
        return 0;
    case WM_CTLCOLORSTATIC:
        if (LRESULT brush = RowTimeColours(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam)))
            return brush;
        break;
    case WM_SYSCOLORCHANGE:
    case WM_SETTINGCHANGE:
        FollowSystemColours(window);
        break;
    case WM_COMMAND:
        OnCommand(window, wParam);
        return 0;
    case WM_NOTIFY:
        if (reinterpret_cast<NMHDR*>(lParam)->code == TTN_GETDISPINFOW)
            OnToolTipText(reinterpret_cast<NMTTDISPINFOW*>(lParam));
        return 0;
    case WM_TIMER:
        OnWindowTimer(window, wParam);
        return 0;
    case WM_TIMECHANGE:
        OnClockChange(window);
        return 0;
    case WM_POWERBROADCAST:
        OnPowerEvent(window, wParam);
        return TRUE;
    case LB_ADDFILE:
        AddTimerFromText(window, reinterpret_cast<const wchar_t*>(lParam));
        return 0;
    case WM_HOTKEY:
        BringToFront(window);
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}
