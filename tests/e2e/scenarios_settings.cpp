// The settings dialog, the activation hot key and the end of the Windows session.
#include "scenario_common.h"

using namespace e2e;

namespace {

constexpr wchar_t kErrorCaption[] = L"エラー";

// Whether a combination is held by a program: the driver tries to register it itself.
bool Held(UINT modifiers, UINT vk, DWORD* error = nullptr) {
  SetLastError(0);
  if (RegisterHotKey(nullptr, 0x7123, modifiers, vk)) {
    UnregisterHotKey(nullptr, 0x7123);
    return false;
  }
  if (error) *error = GetLastError();
  return true;
}

// HotKey (2 bytes of REG_BINARY) and SuspendEnd (REG_DWORD) as stored, "missing" when not so.
std::string StoredSettings() {
  RegValue h = ReadValue(L"HotKey"), r = ReadValue(L"SuspendEnd");
  bool hOk = h.exists && h.type == REG_BINARY && h.data.size() == 2;
  bool rOk = r.exists && r.type == REG_DWORD && r.data.size() == 4;
  return (hOk ? Printf("HotKey %04X", h.data[0] | (h.data[1] << 8)) : "HotKey missing") + ", " +
         (rOk ? Printf("SuspendEnd %u", LeU32(r.data, 0)) : "SuspendEnd missing");
}
std::string Expected(WORD hotKey, bool remember) { return Printf("HotKey %04X, SuspendEnd %d", hotKey, remember); }

// Checks the hot-key error box that is open (or opens) and closes it.
void CloseErrorBox(App& app, HWND owner, const char* when) {
  HWND box = app.WaitDialog(kErrorCaption, 4000);
  REQUIRE(box, std::string("the error box appears ") + when);
  CHECK_TEXT(MessageBoxText(box), L"ホットキー登録に失敗しました");
  bool icon = false;
  for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
    icon = icon || (ClassName(c) == L"Static" && (GetWindowLongW(c, GWL_STYLE) & 0x1F) == SS_ICON);
  CHECK(icon, std::string("the error box shows an icon ") + when);
  if (owner) CHECK(GetWindow(box, GW_OWNER) == owner, std::string("the error box belongs to the window ") + when);
  PressDialogButton(box, IDOK);
  CHECK(app.WaitDialogGone(box), std::string("OK closes the error box ") + when);
}

std::wstring ProcessImage(DWORD pid) {
  std::wstring out;
  if (HANDLE p = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid)) {
    wchar_t buf[1024] = {};
    DWORD n = 1024;
    if (QueryFullProcessImageNameW(p, 0, buf, &n)) out.assign(buf, n);
    CloseHandle(p);
  }
  return out;
}

// The RunOnce entry: a REG_SZ with its terminator, or "missing".
std::wstring RunOnce() {
  RegValue run = ReadValue(L"Korvalinde", kRunOnceKey);
  std::wstring text((const wchar_t*)run.data.data(), run.data.size() / 2);
  if (!run.exists || run.type != REG_SZ || text.empty() || text.back() != L'\0') return L"missing";
  return text.substr(0, text.size() - 1);
}

}  // namespace

// The dialog shows what is stored; Cancel writes and changes nothing; OK writes both values at
// once and registers the new combination in place of the old one.
E2E_SCENARIO(settings_dialog_values) {
  const BYTE storedHotKey[2] = {'T', kHotCtrl | kHotAlt};
  const DWORD one = 1;
  REQUIRE(WriteValue(L"HotKey", REG_BINARY, storedHotKey, 2) && WriteValue(L"SuspendEnd", REG_DWORD, &one, 4),
          "stored settings written");
  App app;
  START(app);
  CHECK(Held(MOD_CONTROL | MOD_ALT, 'T'), "the stored Ctrl+Alt+T is registered at start");

  app.Key('O');
  HWND dlg = app.WaitDialog(kSettingsCaption);
  REQUIRE(dlg, "key O opens the settings dialog");
  CHECK(GetWindow(dlg, GW_OWNER) == app.Main(), "the dialog belongs to the main window");
  CHECK_EQ(DialogHotKey(dlg), HotKeyWord('T', kHotCtrl | kHotAlt));
  CHECK_EQ(SendWithTimeout(GetDlgItem(dlg, IDC_REMEMBER), BM_GETCHECK, 0, 0), BST_CHECKED);
  CHECK(!Held(MOD_CONTROL | MOD_ALT, 'T'), "the hot key is off while the dialog is open");
  Shot(app.Main(), dlg, "settings_dialog");
  CancelDialog(app, dlg);

  SetSettings(app, HotKeyWord('K', kHotCtrl | kHotShift), false, IDCANCEL);
  CHECK(StoredSettings() == Expected(HotKeyWord('T', kHotCtrl | kHotAlt), true), "after Cancel: " + StoredSettings());
  CHECK(Held(MOD_CONTROL | MOD_ALT, 'T'), "Ctrl+Alt+T is registered again after Cancel");
  CHECK(!Held(MOD_CONTROL | MOD_SHIFT, 'K'), "the cancelled Ctrl+Shift+K is not registered");

  const struct { WORD word; bool remember; UINT modifiers, vk; } cases[] = {  // vk 0: none registered
      {HotKeyWord('K', kHotCtrl | kHotAlt), false, MOD_CONTROL | MOD_ALT, 'K'},
      {HotKeyWord(VK_RIGHT, kHotCtrl | kHotExt), true, MOD_CONTROL, VK_RIGHT},
      {HotKeyWord(VK_F8, kHotShift | kHotAlt), false, MOD_SHIFT | MOD_ALT, VK_F8},
      {0, true, 0, 0}};
  UINT prevModifiers = MOD_CONTROL | MOD_ALT, prevVk = 'T';
  for (const auto& c : cases) {
    SetSettings(app, c.word, c.remember);
    const std::string what = Printf("after OK with %04X: ", c.word);
    CHECK(StoredSettings() == Expected(c.word, c.remember), what + StoredSettings());
    if (c.vk) CHECK(Held(c.modifiers, c.vk), what + "the combination is registered with its modifiers");
    if (prevVk) CHECK(!Held(prevModifiers, prevVk), what + "the previous combination is free");
    CHECK(!app.FindDialog(kErrorCaption), what + "no error box");
    dlg = OpenSettings(app);
    CHECK_EQ(DialogHotKey(dlg), c.word);
    CancelDialog(app, dlg);
    prevModifiers = c.modifiers;
    prevVk = c.vk;
  }
}

// The hot key brings the window forward from a real key press, or the open timer dialog, but
// does nothing while the settings dialog is open.
E2E_SCENARIO(hotkey_activates) {
  App app;
  START(app);
  SetSettings(app, HotKeyWord('K', kHotCtrl | kHotAlt), false);
  Decoy other;
  auto press = [&](HWND expected, const char* what) {
    REQUIRE(other.TakeForeground(), "the driver's window takes the foreground");
    PressKey('K', kCtrl | kAlt);
    bool ok = expected == other.Window() ? (Pause(700), GetForegroundWindow() == expected)
                                         : WaitFor([&] { return GetForegroundWindow() == expected; }, 2000);
    CHECK(ok, Printf("Ctrl+Alt+K: %s in front (foreground %p, expected %p)", what, (void*)GetForegroundWindow(),
                 (void*)expected));
  };
  press(app.Main(), "the main window");
  HWND dlg = OpenSettings(app);
  press(other.Window(), "with the settings dialog open, still the other window");
  CancelDialog(app, dlg);
  press(app.Main(), "after the dialog, the main window");
  dlg = OpenTimerDialog(app);
  press(dlg, "the open add dialog");
  CancelDialog(app, dlg);
}

// A combination another program holds: the error box after OK (ticks held while it is open),
// after Cancel and at start-up; once free, the program takes it without a word.
E2E_SCENARIO(hotkey_taken) {
  REQUIRE(RegisterHotKey(nullptr, 1, MOD_CONTROL | MOD_ALT, 'J') != 0, "the driver holds Ctrl+Alt+J");
  DWORD error = 0;
  CHECK(Held(MOD_CONTROL | MOD_ALT, 'J', &error) && error == ERROR_HOTKEY_ALREADY_REGISTERED,
        Printf("a taken combination fails with 1409 (%lu)", error));
  {
    App app;
    START(app);
    ADD_TIMER(app, L"5", 1);
    REQUIRE(WaitPrefix(app, ID_ROW_TIME, L" 0:0"), "the timer shows its time");
    SetSettings(app, HotKeyWord('J', kHotCtrl | kHotAlt), true);
    REQUIRE(app.WaitDialog(kErrorCaption, 2000), "the error box appears after OK");
    CHECK(StoredSettings() == Expected(HotKeyWord('J', kHotCtrl | kHotAlt), true), "written all the same: " + StoredSettings());
    CHECK(TextFrozen(app, ID_ROW_TIME, 1300), "no tick while the error box after the dialog is open");
    CloseErrorBox(app, app.Main(), "after OK");
    CHECK(!TextFrozen(app, ID_ROW_TIME, 1500), "the ticks go on afterwards");
    CancelDialog(app, OpenSettings(app));
    CloseErrorBox(app, app.Main(), "after Cancel");
    REQUIRE(app.Close(), "closes");
  }
  {
    App app;
    app.Start({}, 1500);  // the box comes while the window is being created
    CloseErrorBox(app, nullptr, "at start-up");
    CHECK(WaitFor([&] { return !TopWindows(app.Pid(), kMainClass).empty(); }, 3000), "the window shows after it");
    for (HWND h : TopWindows(app.Pid(), kMainClass)) PostMessageW(h, WM_CLOSE, 0, 0);
    CHECK(app.WaitExit(5000), "closes");
  }
  UnregisterHotKey(nullptr, 1);
  App app;
  START(app);
  CHECK(!app.WaitDialog(kErrorCaption, 800), "no error box for a free combination");
  CHECK(Held(MOD_CONTROL | MOD_ALT, 'J'), "the program holds Ctrl+Alt+J now");
}

// The end of the Windows session as Windows tells it: the settings are always saved; with
// remember-at-shutdown the timers are handed over and a one-time restart registered; a cancelled
// end (WM_ENDSESSION FALSE) hands nothing over and the program goes on ticking.
E2E_SCENARIO(session_end) {
  const struct { bool remember; BOOL ends; } cases[] = {{true, TRUE}, {false, TRUE}, {true, FALSE}};
  for (const auto& c : cases) {
    const std::string mode = Printf("remember %d, ending %d: ", c.remember, c.ends);
    const bool handsOver = c.remember && c.ends;
    ClearSettingsKey();
    uint64_t endedAt = 0;
    std::wstring image;
    {
      App app;
      START(app);
      image = ProcessImage(app.Pid());
      if (c.remember) SetSettings(app, 0, true);
      ADD_TIMER(app, L"10(tea)", 1);
      ADD_TIMER(app, L"0:3:0", 2);
      PauseAfterTick(app, 1);
      app.Command(ID_MUTE);
      REQUIRE(WaitCheck(app, ID_MUTE, BST_CHECKED), "mute on");
      CHECK(!ReadValue(L"Mute").exists, mode + "nothing of the window settings saved yet");

      bool ok = false;
      LRESULT agree = SendWithTimeout(app.Main(), WM_QUERYENDSESSION, 0, 0, 3000, &ok);
      CHECK(ok && agree != 0, mode + "the window agrees to end the session");
      endedAt = LocalFileTimeNow();
      LRESULT r = SendWithTimeout(app.Main(), WM_ENDSESSION, c.ends, 0, 5000, &ok);
      CHECK(ok && r == 0, mode + "WM_ENDSESSION answered 0");

      // Everything is in the registry before the process is ended.
      CHECK(IsBinary32(L"Mute", 1), mode + "Mute saved as 1");
      CHECK(ReadValue(L"Position").exists && ReadValue(L"TopMost").exists, mode + "window settings saved");
      std::vector<Record> saved = HandedOver();
      CHECK_EQ(saved.size(), handsOver ? 2 : 0);
      if (saved.size() == 2) {
        const int64_t left = (int64_t)(saved[0].time - endedAt) / (int64_t)kFileTimePerMs;
        CHECK(saved[0].preset == 600000 && !saved[0].suspended && left > 590000 && left <= 600500,
              Printf("tea is stored by its due time, %lld ms ahead", (long long)left));
        CHECK(saved[1].suspended == 1 && saved[1].time > 170000 && saved[1].time <= 180000,
              "the paused timer keeps its milliseconds");
      }
      CHECK_TEXT(RunOnce(), handsOver ? L"\"" + image + L"\"" : L"missing");
      CHECK(TextFrozen(app, ID_ROW_TIME, 1300) == !!c.ends, mode + (c.ends ? "no tick after the end" : "ticks go on"));
      if (!c.ends) CHECK(app.Running(), mode + "the program goes on");
      app.Kill();
    }
    App next;  // the start that RunOnce makes, when remembering
    START(next);
    CHECK_EQ(next.CheckState(ID_MUTE), BST_CHECKED);
    if (handsOver) {
      REQUIRE(WaitRows(next, 2), "the two timers come back");
      CHECK(WaitText(next, ID_ROW_TIME, L"tea"), "row 1 is tea");
      CHECK_TEXT(next.Text(ID_ROW_PAUSE + 1), kPausedMark);
    } else {
      Pause(300);
      CHECK_EQ(next.RowCount(), 0);
    }
    next.Kill();
  }
}

// The real end of the Wine session with remember-at-shutdown on: the program ends with code 0,
// and the timers and the one-time restart are in the registry. Last: it ends everything else too.
E2E_SCENARIO(session_end_wineboot) {
  if (!RunningUnderWine()) return Note("not under Wine: skipped");
  const DWORD one = 1;
  REQUIRE(WriteValue(L"SuspendEnd", REG_DWORD, &one, 4), "remember-at-shutdown stored");
  App app;
  START(app, {L"10(tea)", L"0:0:50"});
  REQUIRE_ROWS(app, 2);
  const std::wstring image = ProcessImage(app.Pid());
  wchar_t cmd[] = L"wineboot.exe --end-session --shutdown";
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  REQUIRE(CreateProcessW(nullptr, cmd, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi), "wineboot started");
  CHECK(WaitForSingleObject(pi.hProcess, 20000) == WAIT_OBJECT_0, "wineboot ends");
  CloseHandle(pi.hProcess);
  CloseHandle(pi.hThread);
  DWORD code = 1234;
  CHECK(app.WaitExit(10000, &code), "the program ends with the session");
  CHECK_EQ(code, 0);
  std::vector<Record> saved = HandedOver();
  CHECK(saved.size() == 2 && saved[0].preset == 600000 && saved[1].preset == 50000, "both timers handed over");
  CHECK_TEXT(RunOnce(), L"\"" + image + L"\"");
}
