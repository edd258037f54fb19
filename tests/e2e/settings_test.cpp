// The settings dialog, its icon at each DPI, and the activation hot key.
#include "driver.h"  // windows.h first

#include <commctrl.h>

using namespace e2e;
using Settings = E2e;

// Whether the program holds a combination: the driver's own registration fails with 1409; one that succeeds
// is released at once, so that the probe never keeps the combination from the program.
void ExpectHeld(bool held, UINT modifiers, UINT vk) {
  const bool registered = RegisterHotKey(nullptr, 1, modifiers, vk);
  const DWORD error = registered ? 0 : GetLastError();
  UnregisterHotKey(nullptr, 1);
  EXPECT_EQ(held ? DWORD(ERROR_HOTKEY_ALREADY_REGISTERED) : 0, error) << "modifiers " << modifiers << ", key " << vk;
}

// Opens the dialog and fills it, then presses `button` (0: none). Program::Close returns once the program has
// registered the hot key again: the dialog is destroyed and the command that opened it is done.
HWND SetSettings(const Program& app, WORD hotKey, bool remember, int button = IDOK) {
  HWND dlg = app.Open(ID_SETTINGS, kSettings);
  Send(GetDlgItem(dlg, IDC_HOTKEY), HKM_SETHOTKEY, hotKey);
  Send(GetDlgItem(dlg, IDC_REMEMBER), BM_SETCHECK, remember);
  if (button) app.Close(dlg, button);
  return dlg;
}

// The dialog shows what is stored; Cancel writes and changes nothing; OK writes both values at once and
// registers the new combination instead of the old. HOTKEYF_ flags: 1 Shift, 2 Ctrl, 4 Alt, 8 extended key.
TEST_F(Settings, TheDialogSetsTheHotKeyThatBringsTheWindowForward) {
  const BYTE ctrlAltT[2] = {'T', 6};
  Program app;
  WriteValue(L"HotKey", REG_BINARY, ctrlAltT, 2);
  SetRemembering(1);
  app.Start();
  ExpectHeld(true, MOD_CONTROL | MOD_ALT, 'T');  // the stored hot key is registered at start
  Key(app, L"o");
  HWND dlg = app.Dialog(kSettings);
  EXPECT_EQ(0x654, Send(GetDlgItem(dlg, IDC_HOTKEY), HKM_GETHOTKEY)) << "O opens it with the stored values";
  EXPECT_EQ(BST_CHECKED, Send(GetDlgItem(dlg, IDC_REMEMBER), BM_GETCHECK));
  ExpectHeld(false, MOD_CONTROL | MOD_ALT, 'T');  // the hot key is off meanwhile
  app.Close(dlg, IDCANCEL);
  SetSettings(app, 0x34B, false, IDCANCEL);  // Ctrl+Shift+K, cancelled
  ExpectValue(L"HotKey", REG_BINARY, {'T', 6});  // the key and its HOTKEYF_ flags
  ExpectValue(L"SuspendEnd", REG_DWORD, {1, 0, 0, 0});
  ExpectHeld(true, MOD_CONTROL | MOD_ALT, 'T');
  ExpectHeld(false, MOD_CONTROL | MOD_SHIFT, 'K');
  // Pressed in another window, the hot key brings the window forward, or its open timer dialog. The window first
  // takes a key (Tab): a Wine program that takes in its own X focus change late releases modifiers pressed meanwhile.
  HWND other = Decoy();
  auto pressedElsewhereBrings = [&](HWND front) {
    Foreground(front);
    const HWND focus = ThreadOf(front).hwndFocus;
    Press(L"Tab");
    Await([&] { return ThreadOf(front).hwndFocus != focus; }, L"Tab moves the focus");
    Foreground(other);
    Press(L"ctrl+alt+t");
    Await([&] { return GetForegroundWindow() == front; }, L"the hot key brings it to the front");
    Await([&] { return ThreadOf(front).hwndActive == front; }, L"active in its thread");
  };
  pressedElsewhereBrings(app.main);
  dlg = app.Open(ID_ADD, kAdd);
  pressedElsewhereBrings(dlg);
  app.Close(dlg, IDCANCEL);
  const std::tuple<BYTE, BYTE, BYTE, UINT> cases[] = {  // key, flags, remember, the modifiers registered
      {'K', 6, 0, MOD_CONTROL | MOD_ALT}, {VK_RIGHT, 10, 1, MOD_CONTROL}, {VK_F8, 5, 0, MOD_SHIFT | MOD_ALT}, {}};
  std::pair<UINT, UINT> before = {MOD_CONTROL | MOD_ALT, 'T'};
  for (auto [vk, flags, remember, modifiers] : cases) {
    SCOPED_TRACE(int(vk));
    SetSettings(app, MAKEWORD(vk, flags), remember);
    ExpectValue(L"HotKey", REG_BINARY, {vk, flags});
    ExpectValue(L"SuspendEnd", REG_DWORD, {remember, 0, 0, 0});
    ExpectHeld(vk != 0, modifiers, vk);
    ExpectHeld(false, before.first, before.second);
    EXPECT_EQ(0u, app.Dialogs(kError));
    before = {modifiers, vk};
  }
}

// The focus starts on the check box: its access key ticks it and leaves the hot key alone. In the hot-key field
// the same keys are a hot key and tick nothing.
TEST_F(Settings, AnAccessKeyIsNotAlsoAHotKey) {
  Program app;
  app.Start();
  HWND dlg = app.Open(ID_SETTINGS, kSettings);
  HWND field = GetDlgItem(dlg, IDC_HOTKEY), box = GetDlgItem(dlg, IDC_REMEMBER);
  AwaitFocus(box, L"the focus on the box");
  Foreground(dlg);
  Press(L"alt+s");
  Await([&] { return Send(box, BM_GETCHECK) == BST_CHECKED; }, L"Alt+S ticks the box");
  EXPECT_EQ(0, Send(field, HKM_GETHOTKEY));
  Press(L"alt+h");
  AwaitFocus(field, L"Alt+H: the focus on the field");
  Press(L"alt+s");
  Press(L"Tab");
  AwaitFocus(box, L"Tab: the focus on the box, every key before it handled");
  EXPECT_EQ(MAKEWORD('S', HOTKEYF_ALT), Send(field, HKM_GETHOTKEY)) << "Alt+S is the hot key";
  EXPECT_EQ(BST_CHECKED, Send(box, BM_GETCHECK)) << "and the box stays ticked";
  app.Close(dlg, IDCANCEL);
}

// Reads the error box of a taken combination, owned by the window (at start-up still hidden), and closes it.
void CloseTakenBox(const Program& app) {
  HWND box = app.Dialog(kError);
  EXPECT_EQ(kSay.hotKeyFailed, Text(box, kBoxText));
  EXPECT_EQ(FindWindowW(kMainClass, nullptr), GetWindow(box, GW_OWNER));
  app.Close(box, IDOK);
}

// A combination another program holds: the error box after OK, after Cancel and at start-up; once it is
// free the program takes it without a word.
TEST_F(Settings, ATakenHotKeyIsReported) {
  Program app, starting, free;
  const BOOL taken = RegisterHotKey(nullptr, 2, MOD_CONTROL | MOD_ALT, 'K');
  ASSERT_TRUE(taken) << "by another program";
  app.Start();
  PostMessageW(SetSettings(app, 0x64B, true, 0), WM_COMMAND, IDOK, 0);
  CloseTakenBox(app);
  ExpectValue(L"HotKey", REG_BINARY, {'K', 6});  // written all the same
  PostMessageW(app.Open(ID_SETTINGS, kSettings), WM_COMMAND, IDCANCEL, 0);
  CloseTakenBox(app);
  app.Quit();
  starting.Start({}, false);
  CloseTakenBox(starting);
  starting.WaitWindow();
  starting.Quit();
  UnregisterHotKey(nullptr, 2);
  free.Start();  // a box would have come before the window
  EXPECT_EQ(0u, free.Dialogs(kError));
  ExpectHeld(true, MOD_CONTROL | MOD_ALT, 'K');
}

// The icon fills its square of 20 dialog units (32, 37, 40, 50 pixels at these DPIs, read at the program's start),
// but within a quarter above its 32-pixel image it stays as drawn.
TEST_F(Settings, TheIconFillsItsSquareAtEachDpi) {
  const wchar_t desktop[] = L"Control Panel\\Desktop";
  const RegValue before = ReadValue(L"LogPixels", desktop);
  for (auto [dpi, side] : {std::make_pair(96, 32L), {108, 32L}, {120, 40L}, {144, 50L}}) {
    Program app;
    RECT icon{};
    WriteValue(L"LogPixels", REG_DWORD, &dpi, 4, desktop);
    app.Start();
    GetClientRect(IconOf(app.Open(ID_SETTINGS, kSettings)), &icon);
    EXPECT_EQ(side, icon.right) << dpi << " DPI";
    EXPECT_EQ(side, icon.bottom) << dpi << " DPI";
  }
  if (before.exists) WriteValue(L"LogPixels", before.type, before.data.data(), DWORD(before.data.size()), desktop);
  if (!before.exists) RegDeleteKeyValueW(HKEY_CURRENT_USER, desktop, L"LogPixels");
}
