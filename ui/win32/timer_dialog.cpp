// The timer dialog, in add mode (a new timer) and in edit mode (the row's time and name
// filled in; OK restarts that timer). The time field has no input method while it is open, and
// a tooltip with the forms of a time text.
#include "ui.h"
#include <imm.h>
#include "app_state.h"
#include "name_history.h"
#include "resource.h"
#include "time_text.h"
#include "timer_table.h"
#include "control_texts.h"
#include "text16.h"

// A tooltip on the time field and on its label with the forms of a time text. Owned by the
// dialog, it goes when the dialog goes.
static void AddTimeFieldHint(HWND dialog)
{
    HWND tip = CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, dialog, nullptr,
                               static_cast<HINSTANCE>(Ui.Instance), nullptr);
    HWND field = GetDlgItem(dialog, IDC_TIME);
    if (!tip || !field)
        return;
    SendMessageW(tip, TTM_SETMAXTIPWIDTH, 0, 400);   // one form a line
    TOOLINFOW tool = {};
    tool.cbSize = sizeof(tool);
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = dialog;
    tool.uId = reinterpret_cast<UINT_PTR>(field);
    tool.lpszText = const_cast<wchar_t*>(AsWide(TIME_FIELD_HINT));
    SendMessageW(tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    // The label "時間:" comes just before the field. A static lets the mouse through to the
    // dialog, so its tool is its rectangle of the dialog.
    HWND label = GetWindow(field, GW_HWNDPREV);
    if (!label || !GetWindowRect(label, &tool.rect))
        return;
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&tool.rect), 2);
    tool.uFlags = TTF_SUBCLASS;
    tool.uId = IDC_TIME;
    SendMessageW(tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

static void InitTimerDialog(HWND dialog)
{
    SendDlgItemMessageW(dialog, IDC_TIME, EM_LIMITTEXT, TIME_TEXT_UNITS - 1, 0);
    SendDlgItemMessageW(dialog, IDC_NAME, CB_LIMITTEXT, MAX_NAME_LENGTH, 0);
    for (int i = 0; i < App.History.Count && i < MAX_HISTORY; ++i)
        SendDlgItemMessageW(dialog, IDC_NAME, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(AsWide(App.History.Entries[i])));
    // Digits and A, P, M are typed straight into the time field, without the input method.
    Ui.TimeFieldImeContext = ImmAssociateContext(GetDlgItem(dialog, IDC_TIME), nullptr);
    AddTimeFieldHint(dialog);
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
            return TRUE;
        }
        case IDCANCEL:
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        }
        return FALSE;
    case WM_DESTROY:
        if (Ui.TimeFieldImeContext)
            ImmAssociateContext(GetDlgItem(dialog, IDC_TIME), static_cast<HIMC>(Ui.TimeFieldImeContext));
        Ui.TimeFieldImeContext = nullptr;
        return FALSE;
    }
    return FALSE;
}

INT_PTR CALLBACK EditTimerDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        Ui.EditIndex = static_cast<int>(lParam);
        InitTimerDialog(dialog);
        SetWindowTextW(dialog, L"" EDIT_DIALOG_CAPTION);
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
        return TRUE;
    }
    return AddTimerDialogProc(dialog, message, wParam, lParam);
}
