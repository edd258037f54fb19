// The settings dialog and the activation hot key.
#include "driver.h"  // windows.h first

#include <commctrl.h>

using namespace e2e;
using Settings = E2e;

// Whether the program holds a combination: the driver's own registration fails with 1409; one that succeeds
// is released at once, so that the probe never keeps the combination from the program.
bool Held(UINT modifiers, UINT vk) {
  if (RegisterHotKey(nullptr, 1, modifiers, vk)) return UnregisterHotKey(nullptr, 1), false;
  return GetLastError() == ERROR_HOTKEY_ALREADY_REGISTERED;
}

// Fills the dialog and presses `button` (0: returns the dialog). App::Close returns once the program has
// registered the hot key again: the dialog is destroyed and the command that opened it is done.
HWND SetSettings(App& app, WORD hotKey, bool remember, int button = IDOK) {
  HWND dlg = app.Open(ID_SETTINGS, kSettings);
  Send(GetDlgItem(dlg, IDC_HOTKEY), HKM_SETHOTKEY, hotKey), Send(GetDlgItem(dlg, IDC_REMEMBER), BM_SETCHECK, remember);
  return !button ? dlg : app.Close(dlg, button) ? app.main : nullptr;
}

bool Stored(BYTE vk, BYTE flags, BYTE remember) {  // HotKey: 2 bytes of REG_BINARY; SuspendEnd: a REG_DWORD
  return ReadValue(L"HotKey").Is(REG_BINARY, {vk, flags}) &&
         ReadValue(L"SuspendEnd").Is(REG_DWORD, {remember, 0, 0, 0});
}

// The dialog shows what is stored; Cancel writes and changes nothing; OK writes both values at once and
// registers the new combination instead of the old. HOTKEYF_ flags: 1 Shift, 2 Ctrl, 4 Alt, 8 extended key.
TEST_F(Settings, TheDialogSetsTheHotKeyThatBringsTheWindowForward) {
  const BYTE ctrlAltT[2] = {'T', 6}, one[4] = {1};
  App app;
  ASSERT_TRUE(WriteValue(L"HotKey", REG_BINARY, ctrlAltT, 2) && WriteValue(L"SuspendEnd", REG_DWORD, one, 4) &&
              app.Start());
  EXPECT_TRUE(Held(MOD_CONTROL | MOD_ALT, 'T') && (app.Key(L"o"), true)) << "the stored hot key is registered at start";
  HWND dlg = app.Dialog(kSettings);
  EXPECT_TRUE(GetWindow(dlg, GW_OWNER) == app.main && Send(GetDlgItem(dlg, IDC_HOTKEY), HKM_GETHOTKEY) == 0x654 &&
              Send(GetDlgItem(dlg, IDC_REMEMBER), BM_GETCHECK) == 1 && !Held(MOD_CONTROL | MOD_ALT, 'T'))
      << "O opens it with the stored values; the hot key is off meanwhile";
  Shot(app.main, dlg, "settings_dialog");
  ASSERT_TRUE(app.Close(dlg, IDCANCEL) && SetSettings(app, 0x34B, false, IDCANCEL));  // Ctrl+Shift+K, Cancel
  EXPECT_TRUE(Stored('T', 6, 1) && Held(MOD_CONTROL | MOD_ALT, 'T') && !Held(MOD_CONTROL | MOD_SHIFT, 'K'));
  HWND other = Decoy();  // pressed in another window, it brings the window forward, or its open timer dialog
  for (int step = 0; step < 2; ++step) {
    HWND front = step ? app.Open(ID_ADD, kAdd) : app.main;
    ASSERT_TRUE(Foreground(other) && (Press(L"ctrl+alt+t"), true));
    EXPECT_TRUE(WaitFor([&] { return GetForegroundWindow() == front && ActiveOf(front) == front; })) << step;
  }
  ASSERT_TRUE(app.Close(app.Dialog(kAdd), IDCANCEL));
  const std::tuple<BYTE, BYTE, BYTE, UINT> cases[] = {  // key, flags, remember, the modifiers registered
      {'K', 6, 0, MOD_CONTROL | MOD_ALT}, {VK_RIGHT, 10, 1, MOD_CONTROL}, {VK_F8, 5, 0, MOD_SHIFT | MOD_ALT}, {}};
  std::pair<UINT, UINT> before = {MOD_CONTROL | MOD_ALT, 'T'};
  for (auto [vk, flags, remember, modifiers] : cases) {
    ASSERT_TRUE(SetSettings(app, MAKEWORD(vk, flags), remember) && Stored(vk, flags, remember)) << int(vk);
    EXPECT_TRUE((!vk || Held(modifiers, vk)) && !Held(before.first, before.second) && !app.Dialogs(kError)) << int(vk);
    before = {modifiers, vk};
  }
}

// A combination another program holds: the error box after OK, after Cancel and at start-up; once it is
// free the program takes it without a word.
TEST_F(Settings, ATakenHotKeyIsReported) {
  App app, starting, free;
  auto closeBox = [](App& app, bool owned) {
    HWND box = app.Dialog(kError), icon = nullptr;
    while ((icon = FindWindowExW(box, icon, L"Static", nullptr)) &&
           (GetWindowLongW(icon, GWL_STYLE) & 0x1F) != SS_ICON) {
    }
    EXPECT_TRUE(Text(box, kBoxText) == L"ホットキー登録に失敗しました" && icon &&
                (!owned || GetWindow(box, GW_OWNER) == app.main));
    return PostMessageW(box, WM_COMMAND, IDOK, 0) && WaitFor([&] { return !IsWindow(box); });
  };
  ASSERT_TRUE(RegisterHotKey(nullptr, 2, MOD_CONTROL | MOD_ALT, 'K') && app.Start());
  ASSERT_TRUE(PostMessageW(SetSettings(app, 0x64B, true, 0), WM_COMMAND, IDOK, 0) && closeBox(app, true));
  EXPECT_TRUE(Stored('K', 6, 1)) << "written all the same";
  EXPECT_TRUE(PostMessageW(app.Open(ID_SETTINGS, kSettings), WM_COMMAND, IDCANCEL, 0) && closeBox(app, true) &&
              app.Quit());
  EXPECT_TRUE(starting.Start({}, false) && closeBox(starting, false) && starting.WaitWindow() && starting.Quit());
  ASSERT_TRUE(UnregisterHotKey(nullptr, 2) && free.Start());  // a box would have come before the window
  EXPECT_TRUE(!free.Dialogs(kError) && Held(MOD_CONTROL | MOD_ALT, 'K'));
}
