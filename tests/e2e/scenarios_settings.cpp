// Scenarios about the settings dialog, the activation hot key and the end of the Windows session:
// what the dialog shows and writes, the hot key from a real key press, a combination that is
// taken, and WM_QUERYENDSESSION / WM_ENDSESSION with and without remembering the timers.
#include "scenario_common.h"

using namespace e2e;

namespace {

constexpr UINT kHkmSetHotKey = WM_USER + 1;  // HKM_SETHOTKEY
constexpr UINT kHkmGetHotKey = WM_USER + 2;  // HKM_GETHOTKEY
constexpr BYTE kHotCtrl = 0x02, kHotAlt = 0x04, kHotShift = 0x01, kHotExt = 0x08;
constexpr wchar_t kErrorCaption[] = L"エラー";
constexpr wchar_t kErrorText[] = L"ホットキー登録に失敗しました";

WORD HotKeyWord(BYTE vk, BYTE flags) { return (WORD)(vk | (flags << 8)); }

HWND OpenSettings(App& app) {
  app.Command(ID_SETTINGS);
  HWND dlg = app.WaitDialog(kSettingsCaption);
  REQUIRE(dlg, "the settings dialog opens");
  return dlg;
}

WORD DialogHotKey(HWND dlg) { return (WORD)(SendWithTimeout(GetDlgItem(dlg, IDC_HOTKEY), kHkmGetHotKey, 0, 0) & 0xFFFF); }
int DialogRemember(HWND dlg) { return (int)SendWithTimeout(GetDlgItem(dlg, IDC_REMEMBER), BM_GETCHECK, 0, 0); }

void FillSettings(HWND dlg, WORD hotKey, bool remember) {
  SendWithTimeout(GetDlgItem(dlg, IDC_HOTKEY), kHkmSetHotKey, hotKey, 0);
  SendWithTimeout(GetDlgItem(dlg, IDC_REMEMBER), BM_SETCHECK, remember ? BST_CHECKED : BST_UNCHECKED, 0);
  CHECK_EQ(DialogHotKey(dlg), hotKey);
}

// Confirms the dialog with the given values and waits until it has gone.
void ConfirmSettings(App& app, WORD hotKey, bool remember) {
  HWND dlg = OpenSettings(app);
  FillSettings(dlg, hotKey, remember);
  PressDialogButton(dlg, IDOK);
  REQUIRE(app.WaitDialogGone(dlg), "OK closes the settings dialog");
}

// The stored settings of the dialog, read while the program runs.
struct StoredSettings {
  bool hotKeyOk = false;  // REG_BINARY of 2 bytes
  WORD hotKey = 0;
  bool rememberOk = false;  // REG_DWORD
  DWORD remember = 0;
};
StoredSettings ReadStoredSettings() {
  StoredSettings s;
  RegValue h = ReadValue(L"HotKey"), r = ReadValue(L"SuspendEnd");
  s.hotKeyOk = h.exists && h.type == REG_BINARY && h.data.size() == 2;
  if (s.hotKeyOk) s.hotKey = (WORD)(h.data[0] | (h.data[1] << 8));
  s.rememberOk = r.exists && r.type == REG_DWORD && r.data.size() == 4;
  if (s.rememberOk) s.remember = LeU32(r.data, 0);
  return s;
}

// Whether some other program holds a key combination: the driver tries to register it itself.
// RegisterHotKey fails with ERROR_HOTKEY_ALREADY_REGISTERED (1409) for a taken one.
bool HeldElsewhere(UINT modifiers, UINT vk, DWORD* error = nullptr) {
  SetLastError(0);
  if (RegisterHotKey(nullptr, 0x7123, modifiers, vk)) {
    UnregisterHotKey(nullptr, 0x7123);
    if (error) *error = 0;
    return false;
  }
  if (error) *error = GetLastError();
  return true;
}

HWND WaitErrorBox(DWORD pid, DWORD timeoutMs) {
  HWND box = nullptr;
  WaitFor([&] {
    auto list = TopWindows(pid, L"#32770", kErrorCaption);
    box = list.empty() ? nullptr : list.front();
    return box != nullptr;
  }, timeoutMs);
  return box;
}

bool HasIconStatic(HWND box) {
  bool found = false;
  for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
    if (lstrcmpiW(ClassName(c).c_str(), L"Static") == 0 && (GetWindowLongW(c, GWL_STYLE) & 0x1F) == SS_ICON)
      found = true;
  return found;
}

// Checks an open hot-key error box and closes it.
void CheckAndCloseErrorBox(HWND box, HWND owner, const char* when) {
  CHECK_TEXT(MessageBoxText(box), kErrorText);
  CHECK(HasIconStatic(box), std::string("the error box shows an icon ") + when);
  if (owner) CHECK(GetWindow(box, GW_OWNER) == owner, std::string("the error box belongs to the main window ") + when);
  PressDialogButton(box, IDOK);
  CHECK(WaitFor([&] { return !IsWindow(box) || !IsWindowVisible(box); }, 2000),
        std::string("OK closes the error box ") + when);
}

// A window of the driver's own, to take the foreground away from the program.
class OwnWindow {
 public:
  OwnWindow() {
    hwnd_ = CreateWindowExW(0, L"STATIC", L"driver window", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 420, 320, 240, 120,
                            nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    Pump();
  }
  ~OwnWindow() {
    if (hwnd_) DestroyWindow(hwnd_);
  }
  HWND Handle() const { return hwnd_; }
  static void Pump() {
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&m);
      DispatchMessageW(&m);
    }
  }
  static bool Wait(const std::function<bool()>& done, DWORD timeoutMs) {
    const uint64_t end = Now() + timeoutMs;
    for (;;) {
      Pump();
      if (done()) return true;
      if (Now() >= end) return false;
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
  }
  bool TakeForeground() {
    SetForegroundWindow(hwnd_);
    if (!Wait([&] { return GetForegroundWindow() == hwnd_; }, 500)) {
      RECT r{};
      GetWindowRect(hwnd_, &r);
      ClickScreen((r.left + r.right) / 2, r.top + GetSystemMetrics(SM_CYCAPTION) / 2 + 1);
    }
    return Wait([&] { return GetForegroundWindow() == hwnd_; }, 1500);
  }

 private:
  HWND hwnd_ = nullptr;
};

std::wstring ProcessImage(DWORD pid) {
  HANDLE p = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
  if (!p) return {};
  wchar_t buf[1024] = {};
  DWORD n = 1024;
  std::wstring out;
  if (QueryFullProcessImageNameW(p, 0, buf, &n)) out.assign(buf, n);
  CloseHandle(p);
  return out;
}

// Whether a row's text stays the same for `ms`: no tick rewrote it.
bool TextFrozen(App& app, int id, DWORD ms) {
  const std::wstring first = app.Text(id);
  const uint64_t end = Now() + ms;
  while (Now() < end) {
    if (app.Text(id) != first) return false;
    Pause(50);
  }
  return true;
}

}  // namespace

// The dialog shows what is stored; Cancel writes nothing and keeps the values; OK writes both
// values at once, with their types and sizes, and the hot key is registered from the new word.
E2E_SCENARIO(settings_dialog_values) {
  const BYTE storedHotKey[2] = {'T', kHotCtrl | kHotAlt};
  const DWORD storedRemember = 1;
  REQUIRE(WriteValue(L"HotKey", REG_BINARY, storedHotKey, 2) &&
              WriteValue(L"SuspendEnd", REG_DWORD, &storedRemember, 4),
          "stored settings written");

  App app;
  START(app);
  CHECK(HeldElsewhere(MOD_CONTROL | MOD_ALT, 'T'), "the stored Ctrl+Alt+T is registered at start");

  app.Key('O');
  HWND dlg = app.WaitDialog(kSettingsCaption);
  REQUIRE(dlg, "key O opens the settings dialog");
  CHECK(GetWindow(dlg, GW_OWNER) == app.Main(), "the dialog belongs to the main window");
  CHECK_EQ(DialogHotKey(dlg), HotKeyWord('T', kHotCtrl | kHotAlt));
  CHECK_EQ(DialogRemember(dlg), BST_CHECKED);
  CHECK(!HeldElsewhere(MOD_CONTROL | MOD_ALT, 'T'), "the hot key is off while the dialog is open");
  SavePng(CaptureWindow(dlg), "settings_dialog");

  // Cancel after changing both: nothing written, nothing changed.
  FillSettings(dlg, HotKeyWord('K', kHotCtrl | kHotShift), false);
  PressDialogButton(dlg, IDCANCEL);
  REQUIRE(app.WaitDialogGone(dlg), "Cancel closes the dialog");
  StoredSettings s = ReadStoredSettings();
  CHECK(s.hotKeyOk && s.hotKey == HotKeyWord('T', kHotCtrl | kHotAlt), Printf("HotKey still 54 06 (%04X)", s.hotKey));
  CHECK(s.rememberOk && s.remember == 1, "SuspendEnd still 1");
  CHECK(HeldElsewhere(MOD_CONTROL | MOD_ALT, 'T'), "Ctrl+Alt+T is registered again after Cancel");
  CHECK(!HeldElsewhere(MOD_CONTROL | MOD_SHIFT, 'K'), "the cancelled Ctrl+Shift+K is not registered");
  dlg = OpenSettings(app);
  CHECK_EQ(DialogHotKey(dlg), HotKeyWord('T', kHotCtrl | kHotAlt));
  CHECK_EQ(DialogRemember(dlg), BST_CHECKED);
  PressDialogButton(dlg, IDCANCEL);
  REQUIRE(app.WaitDialogGone(dlg), "Cancel closes the dialog again");

  // OK: the values are in the registry at once, and the new combination is the registered one.
  struct Case {
    const char* what;
    WORD word;
    bool remember;
    UINT modifiers;  // what RegisterHotKey must have been given
    UINT vk;         // 0: no hot key registered
  };
  const Case cases[] = {
      {"Ctrl+Alt+K", HotKeyWord('K', kHotCtrl | kHotAlt), false, MOD_CONTROL | MOD_ALT, 'K'},
      {"F9 alone", HotKeyWord(VK_F9, 0), true, 0, VK_F9},
      {"Ctrl+Right (extended)", HotKeyWord(VK_RIGHT, kHotCtrl | kHotExt), true, MOD_CONTROL, VK_RIGHT},
      {"Shift+Alt+F8", HotKeyWord(VK_F8, kHotShift | kHotAlt), false, MOD_SHIFT | MOD_ALT, VK_F8},
      {"empty", 0, false, 0, 0},
  };
  const Case* previous = nullptr;
  for (const Case& c : cases) {
    ConfirmSettings(app, c.word, c.remember);
    s = ReadStoredSettings();
    CHECK(s.hotKeyOk, std::string(c.what) + ": HotKey is REG_BINARY of 2 bytes");
    CHECK(s.hotKey == c.word, Printf("%s: HotKey %04X, expected %04X", c.what, s.hotKey, c.word));
    CHECK(s.rememberOk, std::string(c.what) + ": SuspendEnd is a REG_DWORD");
    CHECK(s.remember == (c.remember ? 1u : 0u), Printf("%s: SuspendEnd %lu", c.what, s.remember));
    if (c.vk) CHECK(HeldElsewhere(c.modifiers, c.vk), std::string(c.what) + ": registered with its modifiers");
    if (previous && previous->vk)
      CHECK(!HeldElsewhere(previous->modifiers, previous->vk), std::string(c.what) + ": the previous combination is free");
    CHECK(!app.FindDialog(kErrorCaption), std::string(c.what) + ": no error box");
    dlg = OpenSettings(app);
    CHECK_EQ(DialogHotKey(dlg), c.word);
    CHECK_EQ(DialogRemember(dlg), c.remember ? BST_CHECKED : BST_UNCHECKED);
    PressDialogButton(dlg, IDCANCEL);
    REQUIRE(app.WaitDialogGone(dlg), "Cancel closes the dialog");
    previous = &c;
  }

  // OK with unchanged values writes them again.
  DeleteValue(L"HotKey");
  DeleteValue(L"SuspendEnd");
  dlg = OpenSettings(app);
  PressDialogButton(dlg, IDOK);
  REQUIRE(app.WaitDialogGone(dlg), "OK closes the dialog");
  s = ReadStoredSettings();
  CHECK(s.hotKeyOk && s.hotKey == 0, "an unchanged OK writes HotKey 00 00");
  CHECK(s.rememberOk && s.remember == 0, "an unchanged OK writes SuspendEnd 0");

  // Written at once: they hold even when the program is killed.
  ConfirmSettings(app, HotKeyWord('K', kHotCtrl | kHotAlt), true);
  app.Kill();
  s = ReadStoredSettings();
  CHECK(s.hotKeyOk && s.hotKey == HotKeyWord('K', kHotCtrl | kHotAlt), "HotKey kept after the program was killed");
  CHECK(s.rememberOk && s.remember == 1, "SuspendEnd kept after the program was killed");
  CHECK(!ReadValue(L"Position").exists, "a killed program saved no window settings");
}

// The hot key set in the dialog brings the window forward from a real key press, except while the
// settings dialog is open.
E2E_SCENARIO(hotkey_activates) {
  App app;
  START(app);
  CHECK(!HeldElsewhere(MOD_CONTROL | MOD_ALT, 'K'), "no hot key before one is set");
  ConfirmSettings(app, HotKeyWord('K', kHotCtrl | kHotAlt), false);
  CHECK(HeldElsewhere(MOD_CONTROL | MOD_ALT, 'K'), "Ctrl+Alt+K is registered after OK");

  OwnWindow other;
  for (int round = 1; round <= 2; ++round) {
    REQUIRE(other.TakeForeground(), "the driver's window takes the foreground");
    PressKey('K', kCtrl | kAlt);
    CHECK(OwnWindow::Wait([&] { return GetForegroundWindow() == app.Main(); }, 2000),
          Printf("round %d: Ctrl+Alt+K brings the main window forward (foreground %p, main %p)", round,
                 (void*)GetForegroundWindow(), (void*)app.Main()));
    if (round == 2) break;

    // While the dialog is open the hot key does nothing.
    HWND dlg = OpenSettings(app);
    REQUIRE(other.TakeForeground(), "the driver's window takes the foreground from the dialog");
    PressKey('K', kCtrl | kAlt);
    OwnWindow::Wait([] { return false; }, 700);
    CHECK(GetForegroundWindow() == other.Handle(),
          Printf("with the dialog open, Ctrl+Alt+K changes nothing (foreground %p, dialog %p, main %p)",
                 (void*)GetForegroundWindow(), (void*)dlg, (void*)app.Main()));
    CHECK(IsWindow(dlg) && IsWindowVisible(dlg), "the dialog is still open");
    PressDialogButton(dlg, IDCANCEL);
    REQUIRE(app.WaitDialogGone(dlg), "Cancel closes the dialog");
  }

  // With a dialog of the window open, the hot key brings that dialog forward.
  app.Command(ID_ADD);
  HWND add = app.WaitDialog(kAddCaption);
  REQUIRE(add, "the add dialog opens");
  REQUIRE(other.TakeForeground(), "the driver's window takes the foreground from the add dialog");
  PressKey('K', kCtrl | kAlt);
  CHECK(OwnWindow::Wait([&] { return GetForegroundWindow() == add; }, 2000),
        Printf("Ctrl+Alt+K brings the open add dialog forward (foreground %p, dialog %p)", (void*)GetForegroundWindow(),
               (void*)add));
  PressDialogButton(add, IDCANCEL);
  CHECK(app.WaitDialogGone(add), "Cancel closes the add dialog");
}

// A combination that another program holds: the error box after OK, after Cancel and at start-up,
// with the ticks held while it is open after the dialog; once free, the program takes it.
E2E_SCENARIO(hotkey_taken) {
  SetLastError(0);
  REQUIRE(RegisterHotKey(nullptr, 1, MOD_CONTROL | MOD_ALT, 'J') != 0,
          Printf("the driver holds Ctrl+Alt+J (error %lu)", GetLastError()));
  DWORD error = 0;
  CHECK(HeldElsewhere(MOD_CONTROL | MOD_ALT, 'J', &error) && error == 1409,
        Printf("a taken combination fails with 1409 (%lu)", error));

  {
    App app;
    START(app);
    ADD_TIMER(app, L"5", 1);
    REQUIRE(WaitNonEmpty(app, ID_ROW_TIME), "the timer shows its time");

    ConfirmSettings(app, HotKeyWord('J', kHotCtrl | kHotAlt), true);
    HWND box = WaitErrorBox(app.Pid(), 2000);
    REQUIRE(box, "the error box appears after OK");
    StoredSettings s = ReadStoredSettings();
    CHECK(s.hotKeyOk && s.hotKey == HotKeyWord('J', kHotCtrl | kHotAlt), "HotKey written all the same");
    CHECK(TextFrozen(app, ID_ROW_TIME, 1300), "no tick while the error box after the dialog is open");
    CheckAndCloseErrorBox(box, app.Main(), "after OK");
    CHECK(WaitFor([&] { return !TextFrozen(app, ID_ROW_TIME, 300); }, 2000), "the ticks go on afterwards");

    HWND dlg = OpenSettings(app);
    PressDialogButton(dlg, IDCANCEL);
    box = WaitErrorBox(app.Pid(), 2000);
    REQUIRE(box, "the error box appears again after Cancel");
    CheckAndCloseErrorBox(box, app.Main(), "after Cancel");
    CHECK_EQ(app.CountDialogs(kErrorCaption), 0);
    REQUIRE(app.Close(), "closes");
  }

  {
    // At start-up: the box comes while the window is being created.
    App app;
    app.Start({}, 1500);
    HWND box = WaitErrorBox(app.Pid(), 4000);
    REQUIRE(box, "the error box appears at start-up");
    CheckAndCloseErrorBox(box, nullptr, "at start-up");
    HWND main = nullptr;
    CHECK(WaitFor([&] {
      auto list = TopWindows(app.Pid(), kMainClass);
      main = list.empty() ? nullptr : list.front();
      return main != nullptr;
    }, 3000), "the main window shows after the error box");
    if (main) PostMessageW(main, WM_CLOSE, 0, 0);
    CHECK(app.WaitExit(5000), "closes");
  }

  // Once the combination is free, the next start takes it without a word.
  UnregisterHotKey(nullptr, 1);
  App app;
  START(app);
  CHECK(!WaitErrorBox(app.Pid(), 800), "no error box for a free combination");
  CHECK(HeldElsewhere(MOD_CONTROL | MOD_ALT, 'J'), "the program holds Ctrl+Alt+J now");
}

// The end of the Windows session, told to the window as Windows tells it: the settings are saved;
// with remember-at-shutdown the timers are handed over and a one-time restart is registered.
E2E_SCENARIO(session_end) {
  for (bool remember : {true, false}) {
    const char* mode = remember ? "remembering" : "not remembering";
    ClearSettingsKey();
    uint64_t endedAt = 0;
    std::wstring image;
    {
      App app;
      START(app);
      image = ProcessImage(app.Pid());
      if (remember) ConfirmSettings(app, 0, true);
      ADD_TIMER(app, L"10(tea)", 1);
      ADD_TIMER(app, L"0:3:0", 2);
      REQUIRE(WaitNonEmpty(app, ID_ROW_TIME + 1), "row 2 shows its time");
      Pause(300);
      app.Command(ID_ROW_PAUSE + 1);
      REQUIRE(WaitText(app, ID_ROW_PAUSE + 1, kPausedMark, 1500), "row 2 paused");
      app.Command(ID_MUTE);
      REQUIRE(WaitFor([&] { return app.CheckState(ID_MUTE) == BST_CHECKED; }, 1500), "mute on");
      CHECK(!ReadValue(L"Mute").exists, "nothing of the window settings saved yet");

      bool ok = false;
      LRESULT agree = SendWithTimeout(app.Main(), WM_QUERYENDSESSION, 0, 0, 3000, &ok);
      CHECK(ok && agree != 0, Printf("%s: the window agrees to end the session (%lld)", mode, (long long)agree));
      endedAt = LocalFileTimeNow();
      LRESULT r = SendWithTimeout(app.Main(), WM_ENDSESSION, TRUE, 0, 5000, &ok);
      CHECK(ok && r == 0, Printf("%s: WM_ENDSESSION answered 0", mode));

      // Everything is in the registry before the process is ended.
      RegValue mute = ReadValue(L"Mute");
      CHECK(mute.exists && mute.type == REG_BINARY && mute.data.size() == 4 && LeU32(mute.data, 0) == 1,
            std::string(mode) + ": Mute saved as 1");
      CHECK(ReadValue(L"Position").exists && ReadValue(L"TopMost").exists, std::string(mode) + ": window settings saved");
      RegValue s0 = ReadValue(L"Suspend0"), s1 = ReadValue(L"Suspend1");
      RegValue run = ReadValue(L"Korvalinde", kRunOnceKey);
      if (remember) {
        CHECK(s0.exists && s0.type == REG_BINARY && s0.data.size() == 48, "Suspend0 of 48 bytes");
        CHECK(s1.exists && s1.type == REG_BINARY && s1.data.size() == 48, "Suspend1 of 48 bytes");
        CHECK(!ReadValue(L"Suspend2").exists, "no Suspend2 for two timers");
        if (s0.data.size() == 48) {
          CHECK_EQ(LeU64(s0.data, 0), 600000);
          CHECK_EQ(LeU32(s0.data, 8), 0);
          const int64_t left = (int64_t)(LeU64(s0.data, 16) - endedAt) / 10000;
          CHECK(left > 590000 && left <= 600500, Printf("tea is stored by its expiry, %lld ms ahead", (long long)left));
        }
        if (s1.data.size() == 48) {
          CHECK_EQ(LeU32(s1.data, 8), 1);
          CHECK(LeU64(s1.data, 16) > 170000 && LeU64(s1.data, 16) <= 180000, "the paused timer keeps its milliseconds");
        }
        CHECK(run.exists && run.type == REG_SZ, "RunOnce entry Korvalinde as REG_SZ");
        std::wstring text;
        if (run.data.size() >= 2) text.assign((const wchar_t*)run.data.data(), run.data.size() / 2);
        CHECK(!text.empty() && text.back() == L'\0', "the RunOnce data is stored with its terminator");
        if (!text.empty() && text.back() == L'\0') text.pop_back();
        Note("RunOnce: " + Utf8(text) + ", image: " + Utf8(image));
        CHECK_TEXT(text, L"\"" + image + L"\"");
      } else {
        CHECK(!s0.exists, "no Suspend0 without remember-at-shutdown");
        CHECK(!run.exists, "no RunOnce entry without remember-at-shutdown");
      }
      // The session really ends: the tick has stopped.
      CHECK(TextFrozen(app, ID_ROW_TIME, 1300), std::string(mode) + ": no tick after the session end");
      app.Kill();  // as Windows ends the process
    }

    // The next start (the one RunOnce makes, when remembering).
    App next;
    START(next);
    if (remember) {
      REQUIRE(WaitRows(next, 2), "the two timers come back");
      CHECK(WaitText(next, ID_ROW_TIME, L"tea", 2500), "row 1 is tea");
      CHECK_TEXT(next.Text(ID_ROW_PAUSE + 1), kPausedMark);
      CHECK(!ReadValue(L"Suspend0").exists, "the hand-over is taken up");
    } else {
      Pause(300);
      CHECK_EQ(next.RowCount(), 0);
    }
    CHECK_EQ(next.CheckState(ID_MUTE), BST_CHECKED);
    next.Kill();
  }
}

// A session end that is cancelled (WM_ENDSESSION with FALSE): the settings are saved, nothing is
// handed over, and the program goes on with its tick.
E2E_SCENARIO(session_end_cancelled) {
  App app;
  START(app);
  ConfirmSettings(app, 0, true);
  ADD_TIMER(app, L"3", 1);
  REQUIRE(WaitNonEmpty(app, ID_ROW_TIME), "the timer shows its time");
  app.Command(ID_MUTE);
  REQUIRE(WaitFor([&] { return app.CheckState(ID_MUTE) == BST_CHECKED; }, 1500), "mute on");

  bool ok = false;
  SendWithTimeout(app.Main(), WM_QUERYENDSESSION, 0, 0, 3000, &ok);
  CHECK(ok, "WM_QUERYENDSESSION answered");
  LRESULT r = SendWithTimeout(app.Main(), WM_ENDSESSION, FALSE, 0, 5000, &ok);
  CHECK(ok && r == 0, "WM_ENDSESSION(FALSE) answered 0");

  RegValue mute = ReadValue(L"Mute");
  CHECK(mute.exists && mute.data.size() == 4 && LeU32(mute.data, 0) == 1, "the settings are saved");
  CHECK(!ReadValue(L"Suspend0").exists, "no timers handed over");
  CHECK(!ReadValue(L"Korvalinde", kRunOnceKey).exists, "no RunOnce entry");
  CHECK(app.Running(), "the program goes on");

  const std::wstring before = app.Text(ID_ROW_TIME);
  Pause(1300);
  const std::wstring after = app.Text(ID_ROW_TIME);
  CHECK(before != after && after < before,
        "the countdown keeps counting: " + Utf8(Quoted(before)) + " -> " + Utf8(Quoted(after)));

  app.Key('1');
  CHECK(WaitText(app, ID_ROW_PAUSE, kPausedMark, 1500), "key 1 still pauses row 1");
  REQUIRE(app.Close(), "closes");
  CHECK(!ReadValue(L"Suspend0").exists, "a plain close after it hands nothing over");
}

// The real end of the Wine session (wineboot --end-session --shutdown) with remember-at-shutdown
// on: the timers and the one-time restart are in the registry afterwards, and the program has
// ended with code 0. Last in the list: it ends every other program of the session as well.
E2E_SCENARIO(session_end_wineboot) {
  if (!RunningUnderWine()) {
    Note("not under Wine: skipped");
    return;
  }
  const DWORD remember = 1;
  REQUIRE(WriteValue(L"SuspendEnd", REG_DWORD, &remember, 4), "remember-at-shutdown stored");
  App app;
  START(app, {L"10(tea)", L"0:0:50"});
  REQUIRE(WaitRows(app, 2), "two timers");
  const std::wstring image = ProcessImage(app.Pid());

  wchar_t cmd[] = L"wineboot.exe --end-session --shutdown";
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  const uint64_t t0 = Now();
  REQUIRE(CreateProcessW(nullptr, cmd, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi) != 0,
          "wineboot started");
  CHECK(WaitForSingleObject(pi.hProcess, 20000) == WAIT_OBJECT_0, "wineboot ends");
  CloseHandle(pi.hProcess);
  CloseHandle(pi.hThread);
  DWORD code = 1234;
  CHECK(app.WaitExit(10000, &code), "the program ends with the session");
  CHECK_EQ(code, 0);
  Note(Printf("session end took %llu ms", (unsigned long long)(Now() - t0)));

  RegValue s0 = ReadValue(L"Suspend0"), s1 = ReadValue(L"Suspend1");
  CHECK(s0.exists && s0.data.size() == 48 && LeU64(s0.data, 0) == 600000, "tea handed over");
  CHECK(s1.exists && s1.data.size() == 48 && LeU64(s1.data, 0) == 50000, "the 50-second timer handed over");
  RegValue run = ReadValue(L"Korvalinde", kRunOnceKey);
  std::wstring text;
  if (run.data.size() >= 2) text.assign((const wchar_t*)run.data.data(), run.data.size() / 2 - 1);
  CHECK(run.exists && run.type == REG_SZ, "RunOnce entry written");
  CHECK_TEXT(text, L"\"" + image + L"\"");
}
