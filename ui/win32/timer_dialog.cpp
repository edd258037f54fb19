// The timer dialog, in add mode (a new timer) and in edit mode (the row's time and name
// filled in; OK restarts that timer). The time field has no input method while it is open, and
// a tooltip with what its text means and the forms of a time text; OK on a text that makes no
// timer says so there.
#include "ui.h"
#include <imm.h>
#include "app_state.h"
#include "name_history.h"
#include "resource.h"
#include "time_text.h"
#include "timer_table.h"
#include "control_texts.h"
#include "text16.h"

// The time field's tips say what the text in the field means, above the forms of a time text:
// one at the mouse on the field and on its label, and one that shows by itself while the field
// has the keyboard focus. The dialog owns them, so they go when it goes.
const UINT_PTR FOCUS_TOOL_ID = 0;

static HWND HoverTip() { return static_cast<HWND>(Ui.TimeFieldTip); }
static HWND FocusTip() { return static_cast<HWND>(Ui.TimeFieldFocusTip); }

static HWND CreateTip(HWND dialog)
{
    HWND tip = CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, dialog, nullptr,
                               static_cast<HINSTANCE>(Ui.Instance), nullptr);
    if (tip)
        SendMessageW(tip, TTM_SETMAXTIPWIDTH, 0, 400);   // one line a form
    return tip;
}

static TOOLINFOW Tool(HWND dialog, UINT flags, UINT_PTR id)
{
    TOOLINFOW tool = {};
    tool.cbSize = sizeof(tool);
    tool.uFlags = flags;
    tool.hwnd = dialog;
    tool.uId = id;
    tool.lpszText = const_cast<wchar_t*>(L"");
    return tool;
}

// The tools as TTM_ADDTOOLW and TTM_UPDATETIPTEXTW take them: on the focus tip the one that it
// shows where it is put; on the mouse's tip the field, and the label "時間:" just before it, which
// lets the mouse through to the dialog, so that its tool is its rectangle of the dialog.
static void TimeFieldTools(HWND dialog, TOOLINFOW (&tools)[3])
{
    HWND field = GetDlgItem(dialog, IDC_TIME);
    tools[0] = Tool(dialog, TTF_TRACK | TTF_ABSOLUTE, FOCUS_TOOL_ID);
    tools[1] = Tool(dialog, TTF_IDISHWND | TTF_SUBCLASS, reinterpret_cast<UINT_PTR>(field));
    tools[2] = Tool(dialog, TTF_SUBCLASS, IDC_TIME);
    HWND label = GetWindow(field, GW_HWNDPREV);
    if (label && GetWindowRect(label, &tools[2].rect))
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&tools[2].rect), 2);
}

static void UpdateTimeFieldTips(HWND dialog)
{
    wchar_t text[TIME_TEXT_UNITS];
    char16_t tip[TIME_FIELD_TIP_UNITS];
    GetDlgItemTextW(dialog, IDC_TIME, text, TIME_TEXT_UNITS);
    TimeFieldTip(AsUtf16(text), tip);
    TOOLINFOW tools[3];
    TimeFieldTools(dialog, tools);
    for (TOOLINFOW& tool : tools) {
        tool.lpszText = AsWide(tip);
        SendMessageW(&tool == tools ? FocusTip() : HoverTip(), TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
    }
}

static void AddTimeFieldTips(HWND dialog)
{
    Ui.TimeFieldTip = CreateTip(dialog);
    Ui.TimeFieldFocusTip = CreateTip(dialog);
    if (!HoverTip() || !FocusTip())
        return;
    TOOLINFOW tools[3];
    TimeFieldTools(dialog, tools);
    for (TOOLINFOW& tool : tools)
        SendMessageW(&tool == tools ? FocusTip() : HoverTip(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    UpdateTimeFieldTips(dialog);
}

// Level with the field, beside the dialog, where it covers none of the dialog's controls: to the
// right, or to the left where the screen ends first. Meanwhile the mouse's tip would only say
// the same again.
static void ShowFocusTip(HWND dialog)
{
    TOOLINFOW tool = Tool(dialog, TTF_TRACK | TTF_ABSOLUTE, FOCUS_TOOL_ID);
    RECT frame = {}, field = {};
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof(monitor);
    GetWindowRect(dialog, &frame);
    GetWindowRect(GetDlgItem(dialog, IDC_TIME), &field);
    GetMonitorInfoW(MonitorFromWindow(dialog, MONITOR_DEFAULTTONEAREST), &monitor);
    const LONG width = LOWORD(SendMessageW(FocusTip(), TTM_GETBUBBLESIZE, 0, reinterpret_cast<LPARAM>(&tool)));
    LONG x = frame.right;
    if (x + width > monitor.rcWork.right && frame.left - width >= monitor.rcWork.left)
        x = frame.left - width;
    SendMessageW(FocusTip(), TTM_TRACKPOSITION, 0, MAKELPARAM(x, field.top));
    SendMessageW(FocusTip(), TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&tool));
    SendMessageW(HoverTip(), TTM_ACTIVATE, FALSE, 0);
}

static void HideFocusTip(HWND dialog)
{
    TOOLINFOW tool = Tool(dialog, TTF_TRACK | TTF_ABSOLUTE, FOCUS_TOOL_ID);
    SendMessageW(FocusTip(), TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&tool));
    SendMessageW(HoverTip(), TTM_ACTIVATE, TRUE, 0);
}

static void OnTimeFieldNotice(HWND dialog, int notice)
{
    const int focused = GetFocus() == GetDlgItem(dialog, IDC_TIME);
    if (notice == EN_CHANGE)
        UpdateTimeFieldTips(dialog);
    // Shown again after a change too: the tip's width follows its text.
    if ((notice == EN_CHANGE && focused) || notice == EN_SETFOCUS)
        ShowFocusTip(dialog);
    if (notice == EN_KILLFOCUS)
        HideFocusTip(dialog);
}

// OK did not take the time text: the field gets the focus with its text selected, to be typed
// over, and the tip says what the text means, or that it is no time.
static void RefuseTimeText(HWND dialog)
{
    SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dialog, IDC_TIME)), TRUE);
    ShowFocusTip(dialog);
}

static void InitTimerDialog(HWND dialog)
{
    SendDlgItemMessageW(dialog, IDC_TIME, EM_LIMITTEXT, TIME_TEXT_UNITS - 1, 0);
    SendDlgItemMessageW(dialog, IDC_NAME, CB_LIMITTEXT, MAX_NAME_LENGTH, 0);
    for (int i = 0; i < App.History.Count && i < MAX_HISTORY; ++i)
        SendDlgItemMessageW(dialog, IDC_NAME, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(AsWide(App.History.Entries[i])));
    // Digits and A, P, M are typed straight into the time field, without the input method.
    Ui.TimeFieldImeContext = ImmAssociateContext(GetDlgItem(dialog, IDC_TIME), nullptr);
    AddTimeFieldTips(dialog);
    // Named 名称 for screen readers, which would otherwise read the name typed in it.
    MakeAccessible(GetDlgItem(dialog, IDC_NAME));
}

// Reads both fields; 0 when the time field is empty.
static int ReadTimerFields(HWND dialog, wchar_t (&timeText)[TIME_TEXT_UNITS], wchar_t (&name)[MAX_NAME_LENGTH + 1])
{
    name[0] = 0;
    if (GetDlgItemTextW(dialog, IDC_TIME, timeText, TIME_TEXT_UNITS) == 0)
        return 0;
    GetDlgItemTextW(dialog, IDC_NAME, name, MAX_NAME_LENGTH + 1);
    return 1;
}

static void AcceptTimer(HWND dialog, const wchar_t* name)
{
    AddNameToHistory(AsUtf16(name));
    EndDialog(dialog, IDOK);
}

INT_PTR CALLBACK AddTimerDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        InitTimerDialog(dialog);
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK: {
            // A refused text leaves the dialog open with the texts as typed.
            wchar_t timeText[TIME_TEXT_UNITS], name[MAX_NAME_LENGTH + 1];
            if (ReadTimerFields(dialog, timeText, name) && AddTimer(AsUtf16(timeText), AsUtf16(name)))
                AcceptTimer(dialog, name);
            else
                RefuseTimeText(dialog);
            return TRUE;
        }
        case IDCANCEL:
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        case IDC_TIME:
            OnTimeFieldNotice(dialog, HIWORD(wParam));
            return TRUE;
        }
        return FALSE;
    case WM_MOVE:
        // The focus tip goes along with the dialog.
        if (FocusTip() && GetFocus() == GetDlgItem(dialog, IDC_TIME))
            ShowFocusTip(dialog);
        return FALSE;
    case WM_DESTROY:
        if (Ui.TimeFieldImeContext)
            ImmAssociateContext(GetDlgItem(dialog, IDC_TIME), static_cast<HIMC>(Ui.TimeFieldImeContext));
        Ui.TimeFieldImeContext = nullptr;
        Ui.TimeFieldTip = Ui.TimeFieldFocusTip = nullptr;   // the dialog's own, destroyed with it
        return FALSE;
    }
    return FALSE;
}

INT_PTR CALLBACK EditTimerDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        Ui.EditIndex = static_cast<int>(lParam);
        InitTimerDialog(dialog);
        wchar_t caption[MESSAGE_UNITS];
        SetWindowTextW(dialog, ResourceText(TEXT_EDIT_CAPTION, caption, MESSAGE_UNITS));
        if (Ui.EditIndex >= 0 && Ui.EditIndex < App.Timers.Count) {
            const TimerRecord& record = App.Timers.Records[Ui.EditIndex];
            // Kept, so that OK can tell a time text left as it was shown.
            TextCopy(Ui.EditShownTime, TIME_TEXT_BUFFER_UNITS, EditFormText(&record));
            SetDlgItemTextW(dialog, IDC_TIME, AsWide(Ui.EditShownTime));
            SetDlgItemTextW(dialog, IDC_NAME, AsWide(record.Name));
        }
        return TRUE;
    }
    if (message == WM_COMMAND && LOWORD(wParam) == IDOK) {
        wchar_t timeText[TIME_TEXT_UNITS], name[MAX_NAME_LENGTH + 1];
        if (Ui.EditIndex >= 0 && Ui.EditIndex < App.Timers.Count && ReadTimerFields(dialog, timeText, name) &&
            EditTimer(Ui.EditIndex, AsUtf16(timeText), Ui.EditShownTime, AsUtf16(name)))
            AcceptTimer(dialog, name);
        else
            RefuseTimeText(dialog);
        return TRUE;
    }
    return AddTimerDialogProc(dialog, message, wParam, lParam);
}
