// The settings dialog (hot key, remember-at-shutdown, version information) and the
// registration of the activation hot key.
#include "ui.h"
#include <commctrl.h>
#include "app_state.h"
#include "hotkey_modifiers.h"
#include "resource.h"
#include "settings_store.h"

INT_PTR CALLBACK SettingsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        SendDlgItemMessageW(dialog, IDC_HOTKEY, HKM_SETHOTKEY, App.HotKey, 0);
        CheckDlgButton(dialog, IDC_REMEMBER, App.RememberAtShutdown ? BST_CHECKED : BST_UNCHECKED);
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
            App.HotKey = static_cast<uint16_t>(SendDlgItemMessageW(dialog, IDC_HOTKEY, HKM_GETHOTKEY, 0, 0) & 0xFFFF);
            App.RememberAtShutdown = IsDlgButtonChecked(dialog, IDC_REMEMBER) == BST_CHECKED ? 1 : 0;
            // Written at once, so that they hold even if the program is killed later.
            SaveHotKeySettings();
            EndDialog(dialog, IDOK);
            return TRUE;
        case IDCANCEL:
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        }
        return FALSE;
    }
    return FALSE;
}

void RegisterActivationHotKey(HWND window)
{
    if (App.HotKey == 0 || App.HotKeyRegistered)
        return;
    App.HotKeyRegistered = RegisterHotKey(window, ACTIVATION_HOTKEY_ID, HotKeyModifiers(App.HotKey),
                                          HotKeyVirtualKey(App.HotKey))
                               ? 1
                               : 0;
    if (!App.HotKeyRegistered)
        MessageBoxW(window, L"ホットキー登録に失敗しました", L"エラー", MB_ICONERROR);
}
