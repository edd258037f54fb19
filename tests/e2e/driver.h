// End-to-end test support: starts the real Korvalinde.exe and drives it from outside as a user and Windows
// would. Every wait is for something the program makes true; the timeouts only bound a failure.
#pragma once
#include "win32_test_support.h"  // windows.h first

#include <oleacc.h>

#include <functional>

#include "resource.h"

namespace e2e {
using namespace kvtest;

constexpr wchar_t kRunning[] = L"■", kPaused[] = L"＞";
constexpr int kBoxText = 0xFFFF;  // the text of a message box

inline std::vector<std::wstring> NextTexts(HWND control, int n) {  // the next n texts it shows, each waited for
  std::vector<std::wstring> seen{Text(control)};
  while (int(seen.size()) <= n && WaitFor([&] { return Text(control) != seen.back(); })) seen.push_back(Text(control));
  return {seen.begin() + 1, seen.end()};
}

// What a screen reader hears for a control: its accessible name, "/", its keyboard shortcut.
inline std::wstring Said(HWND control) {
  static const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  IAccessible* object = nullptr;
  BSTR name = nullptr, key = nullptr;
  VARIANT self{};
  self.vt = VT_I4;  // CHILDID_SELF
  if (FAILED(com) || FAILED(AccessibleObjectFromWindow(control, OBJID_CLIENT, __uuidof(IAccessible), (void**)&object)))
    return L"no accessible object";
  object->get_accName(self, &name);
  object->get_accKeyboardShortcut(self, &key);
  object->Release();
  const std::wstring said = std::wstring(name ? name : L"") + L"/" + (key ? key : L"");
  SysFreeString(name);
  SysFreeString(key);
  return said;
}

// Runs a Unix program; Wine cannot wait for one, so it is done once it has made `file`.
inline bool Unix(const wchar_t* program, std::wstring line, const std::wstring& file) {
  STARTUPINFOW si{sizeof si};
  PROCESS_INFORMATION pi{};
  return CreateProcessW(program, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi) &&
         WaitFor([&] { return GetFileAttributesW((L"Z:" + file).c_str()) != INVALID_FILE_ATTRIBUTES; });
}

// Real input through the X server, as a user's goes: xdotool's commands, done once xdotool has ended.
inline bool Xdotool(const std::wstring& commands) {
  const std::wstring done = L"/tmp/korvalinde-xdotool-" + std::to_wstring(GetCurrentProcessId());
  return Unix(L"/bin/sh", L"sh -c \"xdotool " + commands + L"; : >" + done + L"\"", done) &&
         DeleteFileW((L"Z:" + done).c_str());
}

// Keys for the window in front, by xdotool names ("ctrl+alt+k"). Wine resets its modifiers to the X server's on
// a focus change, dropping ones injected by SendInput, and its own focus requests can be refused, so xdotool
// first gives the X focus to the window in front. Alt goes up last: first, it would open a menu.
inline void Press(const std::wstring& keys) {
  std::wstring down, up, key = keys;
  for (size_t plus; (plus = key.find(L'+')) != std::wstring::npos; key.erase(0, plus + 1))
    down += L" keydown " + key.substr(0, plus), up = L" keyup " + key.substr(0, plus) + up;
  const auto xid = std::to_wstring(uintptr_t(GetPropW(GetForegroundWindow(), L"__wine_x11_whole_window")));
  EXPECT_TRUE(Xdotool(L"windowfocus --sync " + xid + down + L" key " + key + up)) << testing::PrintToString(keys);
}

inline HWND ActiveOf(HWND window) {  // the active window of the thread of `window`
  GUITHREADINFO info{sizeof info};
  return GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) ? info.hwndActive : nullptr;
}

// In front, as a user would bring it; more than the system's word: the window's thread has activated it and
// handled all that was sent to it before. A focus change from the X server still on its way (after a dialog
// of the program closed) can take the foreground back once; then the window is asked again.
inline bool Foreground(HWND window) {
  return WaitFor([&] {
    if (GetForegroundWindow() != window) SetForegroundWindow(window);
    return GetForegroundWindow() == window && ActiveOf(window) == window && !Send(window, 0);
  });
}


inline const struct {
  LONG cw, pitch;
} M = [] {  // the default font's character width, and LineHeight + 10
  TEXTMETRICW tm{};
  HDC dc = GetDC(nullptr);
  GetTextMetricsW(dc, &tm), ReleaseDC(nullptr, dc);
  return decltype(M){tm.tmAveCharWidth, tm.tmHeight + tm.tmExternalLeading + 10};
}();

// Where the bands behind the rows (the last one behind the buttons) differ from `red` (true: red, else the
// menu colour) in the free columns left and right of the controls, within `part`; "" where they match.
inline std::string Bands(HWND window, const std::vector<bool>& red, RECT part = {0, 0, 9999, 9999}) {
  RECT c;
  POINT at{};
  HDC screen = GetDC(nullptr);
  std::string mismatch;
  GetClientRect(window, &c), ClientToScreen(window, &at);
  auto want = [&](LONG y) {
    return size_t(y / M.pitch) < red.size() && red[y / M.pitch] ? RGB(255, 0, 0) : GetSysColor(COLOR_MENU);
  };
  for (LONG x : {M.cw / 2, c.right - 1 - M.cw / 2})
    for (LONG y = std::max(0L, part.top); x >= part.left && x < part.right && y < std::min(c.bottom, part.bottom); ++y)
      if (mismatch.empty() && GetPixel(screen, at.x + x, at.y + y) != want(y))
        mismatch = std::to_string(x) + "," + std::to_string(y);
  return ReleaseDC(nullptr, screen), mismatch;
}

// Saves KORVALINDE_SHOTS/name.png of the window `shown`, or of the desktop, once `owner` has repainted.
inline void Shot(HWND owner, HWND shown, const char* name) {
  RECT r = {0, 0, 800, 600};  // the desktop: X coordinates inside it are the Windows screen coordinates
  wchar_t dir[MAX_PATH] = L"" KORVALINDE_SHOTS_PATH, crop[64];
  for (HWND w : {owner, shown})  // WM_NULL is answered once the repaint is done
    if (w) RedrawWindow(w, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
  GetEnvironmentVariableW(L"KORVALINDE_SHOTS", dir, MAX_PATH), Send(owner, WM_NULL), shown&& GetWindowRect(shown, &r);
  swprintf(crop, 64, L"%ldx%ld+%ld+%ld ", r.right - r.left, r.bottom - r.top, r.left, r.top);
  const std::wstring file = dir + (L"/" + std::wstring(name, name + strlen(name))) + L".png";
  EXPECT_TRUE(Unix(L"/usr/bin/import", L"import -window root -crop " + (crop + file), file)) << name;
}

inline HWND Decoy() {  // a window of the driver's, for whatever else the user works with
  return CreateWindowExW(0, L"Static", L"decoy", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 560, 440, 220, 140, 0, 0, 0, 0);
}

struct App {  // one run of Korvalinde.exe
  PROCESS_INFORMATION pi{};
  HWND main = nullptr;
  ~App() { Kill(); }
  bool Start(const std::vector<std::wstring>& args = {}, bool wait = true) {  // wait: until its window shows
    return StartProcess(kExe, args, &pi) && (!wait || WaitWindow());
  }
  HWND Find(const wchar_t* cls, const wchar_t* caption = nullptr) const {  // a shown window of it, waited for
    std::vector<HWND> found;
    return WaitFor([&] { return !(found = Shown(pi.dwProcessId, cls, caption)).empty(); }, 10000) ? found[0] : nullptr;
  }
  bool WaitWindow() { return (main = Find(kMainClass)) && Settle(); }
  static long Second(const std::vector<std::wstring>& args = {}) {  // a second start: its exit code
    App second;
    DWORD code = DWORD(-1);
    return second.Start(args, false) && second.WaitExit(&code), long(code);
  }
  bool Settle() { return !Send(main, WM_NULL); }  // its thread is back in a message loop, what it did is done
  bool WaitExit(DWORD* code = nullptr) {          // without code: true only for exit code 0
    DWORD own = 1;
    return !WaitForSingleObject(pi.hProcess, 10000) && GetExitCodeProcess(pi.hProcess, code ? code : &own) &&
           (code || !own);
  }
  bool Quit() { return PostMessageW(main, WM_CLOSE, 0, 0) && WaitExit(); }
  void Kill() {
    DWORD code;
    if (pi.hProcess)
      TerminateProcess(pi.hProcess, 99), WaitExit(&code), CloseHandle(pi.hProcess), CloseHandle(pi.hThread);
    pi = {};
  }
  HWND Control(int id) const { return GetDlgItem(main, id); }
  std::wstring Text(int id) const { return e2e::Text(main, id); }
  LRESULT Check(int id) const { return Send(Control(id), BM_GETCHECK); }
  int Rows() const { return kv::Rows(main); }
  bool WaitRows(int rows) {  // that many rows, and the client area fitted to them
    RECT r{};
    return WaitFor([&] { return Rows() == rows && GetClientRect(main, &r) && r.bottom == M.pitch * (rows + 1); });
  }
  bool WaitText(int id, const std::wstring& text, bool prefix = false) {  // the control shows text, or begins so
    return WaitFor([&] { return prefix ? !Text(id).rfind(text, 0) : Text(id) == text; });
  }
  void Command(int id) { PostMessageW(main, WM_COMMAND, id, LPARAM(Control(id))); }  // as a click
  bool Request(const std::wstring& text) { return !Send(main, LB_ADDFILE, 0, LPARAM(text.c_str())); }
  void Key(const std::wstring& keys) { Foreground(main), Press(keys); }
  size_t Dialogs(const wchar_t* caption) const { return Shown(pi.dwProcessId, L"#32770", caption).size(); }
  HWND Dialog(const wchar_t* caption) const { return Find(L"#32770", caption); }
  HWND Open(int command, const wchar_t* caption) { return Command(command), Dialog(caption); }
  bool Close(HWND dialog, int button) {  // true once the dialog is gone and the code that opened it is done
    return PostMessageW(dialog, WM_COMMAND, button, 0) && WaitFor([&] { return !IsWindow(dialog); }) && Settle();
  }
  // Fills the timer dialog (null: as it stands) and presses OK; true when it took the texts and closed. OK is
  // handled before Send returns: a refused text leaves the dialog shown.
  bool Submit(HWND dialog, const wchar_t* time = nullptr, const wchar_t* name = nullptr) {
    if (time) Send(GetDlgItem(dialog, IDC_TIME), WM_SETTEXT, 0, LPARAM(time));
    if (name) Send(GetDlgItem(dialog, IDC_NAME), WM_SETTEXT, 0, LPARAM(name));
    return Send(dialog, WM_COMMAND, IDOK),
           !IsWindowVisible(dialog) && WaitFor([&] { return !IsWindow(dialog); }) && Settle();
  }
  std::vector<Record> SaveAndQuit() {  // the save-and-quit button: the records it wrote (then cleared)
    EXPECT_TRUE((Command(ID_SUSPEND_ALL), WaitExit())) << "save-and-quit ends the program with 0";
    const std::vector<Record> saved = ReadRecords();
    return ClearSettings(), saved;
  }
};

struct E2e : testing::Test {  // every test starts and ends with no program running and no settings
  void SetUp() override {
    DWORD pid = 0;
    for (HWND w : Shown(0, kMainClass)) {
      HANDLE p = GetWindowThreadProcessId(w, &pid) ? OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid) : nullptr;
      if (p) TerminateProcess(p, 99), WaitForSingleObject(p, 5000), CloseHandle(p);
    }
    ClearSettings();
  }
  void TearDown() override { SetUp(); }
};

}  // namespace e2e
