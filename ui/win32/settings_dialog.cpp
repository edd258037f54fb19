// The settings dialog (hot key, remember-at-shutdown, version information) and the
// registration of the activation hot key.
#include "ui.h"
#include <commctrl.h>
#include "app_state.h"
#include "hotkey_modifiers.h"
#include "resource.h"
#include "settings_store.h"
#include "timer_handover.h"

static const int ICON_IMAGE_SIZE = 32;   // the icon file's one image

// The icon beside the version text. The static control loads the icon at the system's icon
// size; the dialog gives it a square in dialog units, which grows with the dialog font and the
// DPI. So the dialog loads the icon at that square's size, keeps it in DWLP_USER and destroys
// it when it ends. Within a few pixels of the 32-pixel image the image is kept as drawn: a
// 16-colour picture stretched by a pixel or two looks ragged.
static HWND FindSettingsIcon(HWND dialog)
{
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        wchar_t className[8];
        if (GetClassNameW(child, className, 8) && lstrcmpiW(className, L"Static") == 0 &&
            (GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON)
            return child;
    }
    return nullptr;
}

static void LoadSettingsIcon(HWND dialog)
{
    HWND control = FindSettingsIcon(dialog);
    RECT box = {0, 0, SETTINGS_ICON_BOX, SETTINGS_ICON_BOX};
    if (!control || !MapDialogRect(dialog, &box))
        return;
    const int fits = box.right < box.bottom ? box.right : box.bottom;
    const int side = fits >= ICON_IMAGE_SIZE && fits < ICON_IMAGE_SIZE * 5 / 4 ? ICON_IMAGE_SIZE : fits;
    HICON icon = static_cast<HICON>(LoadImageW(static_cast<HINSTANCE>(Ui.Instance), MAKEINTRESOURCEW(IDI_MAIN),
                                               IMAGE_ICON, side, side, LR_DEFAULTCOLOR));
    if (!icon)
        return;
    // The control's first icon was loaded shared: it is not ours to destroy.
    SendMessageW(control, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
    SetWindowLongPtrW(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(icon));
}

static void FreeSettingsIcon(HWND dialog)
{
    HICON icon = reinterpret_cast<HICON>(GetWindowLongPtrW(dialog, DWLP_USER));
    if (!icon)
        return;
    HWND control = FindSettingsIcon(dialog);
    if (control)
        SendMessageW(control, STM_SETICON, 0, 0);
    SetWindowLongPtrW(dialog, DWLP_USER, 0);
    DestroyIcon(icon);
}

// OK: the hot key and remember-at-shutdown as the dialog shows them.
static void AcceptSettings(HWND dialog)
{
    App.HotKey = static_cast<uint16_t>(SendDlgItemMessageW(dialog, IDC_HOTKEY, HKM_GETHOTKEY, 0, 0) & 0xFFFF);
    RememberTimers(IsDlgButtonChecked(dialog, IDC_REMEMBER) == BST_CHECKED);
    // Written at once, so that they hold even if the program is killed later.
    SaveHotKeySettings();
}

// In the hot-key field every combination is a hot key: Alt+S there is the key Alt+S, not also the
// access key of the check box. The dialog's loop offers each message to this filter before it
// looks for access keys.
static LRESULT CALLBACK FilterAccessKeys(int code, WPARAM wParam, LPARAM lParam)
{
    const MSG* message = reinterpret_cast<const MSG*>(lParam);
    if (code == MSGF_DIALOGBOX && message->message == WM_SYSCHAR && GetDlgCtrlID(message->hwnd) == IDC_HOTKEY)
        return TRUE;
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

INT_PTR CALLBACK SettingsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        SendDlgItemMessageW(dialog, IDC_HOTKEY, HKM_SETHOTKEY, App.HotKey, 0);
        CheckDlgButton(dialog, IDC_REMEMBER, App.RememberAtShutdown ? BST_CHECKED : BST_UNCHECKED);
        LoadSettingsIcon(dialog);
        // Named from its label for screen readers, not by the resource's placeholder text.
        MakeAccessible(GetDlgItem(dialog, IDC_HOTKEY));
        Ui.DialogKeyHook = SetWindowsHookExW(WH_MSGFILTER, FilterAccessKeys, nullptr, GetCurrentThreadId());
        // The focus starts on the check box, not in the hot-key field, where the first key
        // pressed, an access key among them, would become the hot key; Alt+H or Tab goes there.
        SetFocus(GetDlgItem(dialog, IDC_REMEMBER));
        return FALSE;
    case WM_DESTROY:
        FreeSettingsIcon(dialog);
        if (Ui.DialogKeyHook)
            UnhookWindowsHookEx(static_cast<HHOOK>(Ui.DialogKeyHook));
        Ui.DialogKeyHook = nullptr;
        return FALSE;
    case WM_COMMAND: {
        const int command = LOWORD(wParam);
        if (command != IDOK && command != IDCANCEL)
            return FALSE;
        if (command == IDOK)
            AcceptSettings(dialog);
        EndDialog(dialog, command);
        return TRUE;
    }
    }
    return FALSE;
}

void RegisterActivationHotKey(HWND window)
{
    if (App.HotKey == 0 || Ui.HotKeyRegistered)
        return;
    Ui.HotKeyRegistered = RegisterHotKey(window, ACTIVATION_HOTKEY_ID, HotKeyModifiers(App.HotKey),
                                          HotKeyVirtualKey(App.HotKey))
                               ? 1
                               : 0;
    if (!Ui.HotKeyRegistered) {
        wchar_t text[MESSAGE_UNITS];
        wchar_t caption[MESSAGE_UNITS];
        MessageBoxW(window, ResourceText(TEXT_HOTKEY_FAILED, text, MESSAGE_UNITS),
                    ResourceText(TEXT_ERROR_CAPTION, caption, MESSAGE_UNITS), MB_ICONERROR);
    }
}
