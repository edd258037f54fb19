// The settings dialog (hot key, remember-at-shutdown, version information) and the
// registration of the activation hot key.
#include "ui.h"
#include <commctrl.h>
#include "app_state.h"
#include "hotkey_modifiers.h"
#include "resource.h"
#include "settings_store.h"

// The icon beside the version text. The static control loads it at the system's icon size
// and takes that size; the dialog gives it a square in dialog units, which grows with the
// dialog font and the DPI. So the dialog loads the largest image of the icon that fits in
// that square (a 16-colour image stretched by a pixel or two looks ragged), keeps it in
// DWLP_USER and destroys it when it ends.
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

// The width of the largest image in the program icon's group that is at most side pixels
// wide; side itself when none is.
static int FittingIconSize(int side)
{
    HINSTANCE instance = static_cast<HINSTANCE>(App.Instance);
    HRSRC found = FindResourceW(instance, MAKEINTRESOURCEW(IDI_MAIN), RT_GROUP_ICON);
    HGLOBAL loaded = found ? LoadResource(instance, found) : nullptr;
    const BYTE* group = loaded ? static_cast<const BYTE*>(LockResource(loaded)) : nullptr;
    const DWORD size = found ? SizeofResource(instance, found) : 0;
    if (!group || size < 6)
        return side;
    // A 6-byte header whose last word is the count, then 14-byte entries that start with
    // the width (0 for 256).
    const int count = group[4] | (group[5] << 8);
    int best = 0;
    for (int i = 0; i < count && 6 + 14 * (i + 1) <= static_cast<int>(size); ++i) {
        const int width = group[6 + 14 * i] ? group[6 + 14 * i] : 256;
        if (width <= side && width > best)
            best = width;
    }
    return best ? best : side;
}

static void LoadSettingsIcon(HWND dialog)
{
    HWND control = FindSettingsIcon(dialog);
    RECT box = {0, 0, SETTINGS_ICON_BOX, SETTINGS_ICON_BOX};
    if (!control || !MapDialogRect(dialog, &box))
        return;
    const int side = FittingIconSize(box.right < box.bottom ? box.right : box.bottom);
    HICON icon = static_cast<HICON>(LoadImageW(static_cast<HINSTANCE>(App.Instance), MAKEINTRESOURCEW(IDI_MAIN),
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

INT_PTR CALLBACK SettingsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        SendDlgItemMessageW(dialog, IDC_HOTKEY, HKM_SETHOTKEY, App.HotKey, 0);
        CheckDlgButton(dialog, IDC_REMEMBER, App.RememberAtShutdown ? BST_CHECKED : BST_UNCHECKED);
        LoadSettingsIcon(dialog);
        return TRUE;
    case WM_DESTROY:
        FreeSettingsIcon(dialog);
        return FALSE;
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
