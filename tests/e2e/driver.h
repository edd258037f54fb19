// End-to-end test support: starts the real Korvalinde.exe, drives it from outside as a user and Windows would,
// and reads what it stores. Every wait is for something the program makes true; the timeouts only bound a
// failure. The actions check their own outcome, so a test body states only the facts it is about.
#pragma once
#include "win32_helpers.h"  // windows.h first

#include <fcntl.h>
#include <gtest/gtest.h>
#include <io.h>
#include <oleacc.h>

namespace e2e {
using namespace kv;

constexpr wchar_t kRunning[] = L"■", kPaused[] = L"＞";  // a row's pause button
constexpr int kBoxText = 0xFFFF;                       // the text of a message box
constexpr uint64_t kFileTimePerMs = 10000;
inline const int kBinaryStdout = _setmode(_fileno(stdout), _O_BINARY);  // ctest reads the cases in "\n" lines
inline const std::wstring kExe = [] {  // KORVALINDE_EXE, else the one built; a Unix path is on drive Z:
  wchar_t path[MAX_PATH] = L"" KORVALINDE_EXE_PATH;
  GetEnvironmentVariableW(L"KORVALINDE_EXE", path, MAX_PATH);
  for (wchar_t* c = path; *c; ++c) *c = *c == L'/' ? L'\\' : *c;
  return (path[0] == L'\\' ? L"Z:" : L"") + std::wstring(path);
}();

struct RegValue {
  bool exists = false;
  DWORD type = 0;
  std::vector<uint8_t> data;
  bool Is(DWORD t, const std::vector<uint8_t>& bytes) const { return exists && type == t && data == bytes; }
  std::wstring Sz() const { return std::wstring(reinterpret_cast<const wchar_t*>(data.data()), data.size() / 2); }
};
inline RegValue ReadValue(const wchar_t* name, const wchar_t* key = kSettingsKey) {  // raw: no terminator added
  RegValue v;
  HKEY k;
  DWORD size = 0;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, key, 0, KEY_READ, &k)) return v;
  if (!RegQueryValueExW(k, name, nullptr, &v.type, nullptr, &size)) v.data.resize(size);
  v.exists = !RegQueryValueExW(k, name, nullptr, &v.type, v.data.data(), &size);
  RegCloseKey(k);
  return v;
}
inline void WriteValue(const wchar_t* name, DWORD type, const void* data, DWORD size,
                       const wchar_t* key = kSettingsKey) {
  const LSTATUS status = RegSetKeyValueW(HKEY_CURRENT_USER, key, name, type, data, size);
  EXPECT_EQ(ERROR_SUCCESS, status) << "written: " << testing::PrintToString(std::wstring(name));
}
inline void SetRemembering(DWORD remember) { WriteValue(L"SuspendEnd", REG_DWORD, &remember, 4); }
inline uint64_t LocalFileTimeNow() {
  SYSTEMTIME now;
  FILETIME ft;
  GetLocalTime(&now);
  SystemTimeToFileTime(&now, &ft);
  return uint64_t(ft.dwHighDateTime) << 32 | ft.dwLowDateTime;
}

// A timer as handed over in SuspendN, 48 bytes of REG_BINARY, little-endian as the host is: a running timer's
// time is its expiry as local FILETIME, any other's the milliseconds left; zeros follow the name.
struct Record {
  uint64_t preset;
  uint32_t suspended, clockMode;
  uint64_t time;
  wchar_t name[12];
  std::wstring Name() const { return std::wstring(name, wcsnlen(name, 12)); }
};
static_assert(sizeof(Record) == 48, "the stored layout");
inline void WriteRecord(int index, const Record& r) {
  WriteValue((L"Suspend" + std::to_wstring(index)).c_str(), REG_BINARY, &r, 48);
}
inline std::vector<Record> ReadRecords() {  // Suspend0.. up to the first missing one
  std::vector<Record> out;
  for (RegValue v; (v = ReadValue((L"Suspend" + std::to_wstring(out.size())).c_str())).exists;) {
    Record r{};
    memcpy(&r, v.data.data(), std::min<size_t>(v.data.size(), 48));
    const std::wstring rest = std::wstring(r.name, 12).substr(r.Name().size());
    const auto layout = std::make_tuple(v.type, v.data.size(), rest);  // zeros after the name
    EXPECT_EQ(std::make_tuple(DWORD(REG_BINARY), size_t(48), std::wstring(rest.size(), 0)), layout) << out.size();
    out.push_back(r);
  }
  return out;
}

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
  if (!CreateProcessW(program, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return false;
  return WaitFor([&] { return GetFileAttributesW((L"Z:" + file).c_str()) != INVALID_FILE_ATTRIBUTES; });
}

// Real input through the X server, as a user's goes: xdotool's commands, done once xdotool has ended.
inline void Xdotool(const std::wstring& commands) {
  const std::wstring done = L"/tmp/korvalinde-xdotool-" + std::to_wstring(GetCurrentProcessId());
  const bool ran = Unix(L"/bin/sh", L"sh -c \"xdotool " + commands + L"; : >" + done + L"\"", done);
  EXPECT_TRUE(ran) << testing::PrintToString(commands);
  DeleteFileW((L"Z:" + done).c_str());
}

// Keys for the window in front, by xdotool names ("ctrl+alt+k"). Wine resets its modifiers to the X server's on
// a focus change, dropping ones injected by SendInput, and its own focus requests can be refused, so xdotool
// first gives the X focus to the window in front. Alt goes up last: first, it would open a menu.
inline void Press(const std::wstring& keys) {
  std::wstring down, up, key = keys;
  for (size_t plus = key.find(L'+'); plus != std::wstring::npos; plus = key.find(L'+')) {
    down += L" keydown " + key.substr(0, plus);
    up = L" keyup " + key.substr(0, plus) + up;
    key.erase(0, plus + 1);
  }
  const auto xid = std::to_wstring(uintptr_t(GetPropW(GetForegroundWindow(), L"__wine_x11_whole_window")));
  Xdotool(L"windowfocus --sync " + xid + down + L" key " + key + up);
}

inline HWND ActiveOf(HWND window) {  // the active window of the thread of `window`
  GUITHREADINFO info{sizeof info};
  return GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) ? info.hwndActive : nullptr;
}

// Brings the window in front, as a user would; more than the system's word: the window's thread has activated
// it and handled all that was sent to it before. A focus change from the X server still on its way (after a
// dialog of the program closed) can take the foreground back once; then the window is asked again.
inline void Foreground(HWND window) {
  const bool front = WaitFor([&] {
    if (GetForegroundWindow() != window) SetForegroundWindow(window);
    return GetForegroundWindow() == window && ActiveOf(window) == window && !Send(window, WM_NULL);
  });
  EXPECT_TRUE(front) << "the window comes to the front";
}

inline HWND IconOf(HWND window) {  // its first icon static
  HWND icon = FindWindowExW(window, nullptr, L"Static", nullptr);
  while (icon && (GetWindowLongW(icon, GWL_STYLE) & SS_TYPEMASK) != SS_ICON)
    icon = FindWindowExW(window, icon, L"Static", nullptr);
  return icon;
}

inline const struct {
  LONG cw, pitch;
} M = [] {  // the default font's character width, and LineHeight + 10
  TEXTMETRICW tm{};
  HDC dc = GetDC(nullptr);
  GetTextMetricsW(dc, &tm);
  ReleaseDC(nullptr, dc);
  return decltype(M){tm.tmAveCharWidth, tm.tmHeight + tm.tmExternalLeading + 10};
}();

// Where the bands behind the rows (the last one behind the buttons) differ from `red` (true: red, else the
// menu colour) in the free columns left and right of the controls, within `part`; "" where they match.
inline std::string Bands(HWND window, const std::vector<bool>& red, RECT part = {0, 0, 9999, 9999}) {
  RECT c;
  POINT at{};
  GetClientRect(window, &c);
  ClientToScreen(window, &at);
  auto want = [&](LONG y) {
    return size_t(y / M.pitch) < red.size() && red[y / M.pitch] ? RGB(255, 0, 0) : GetSysColor(COLOR_MENU);
  };
  HDC screen = GetDC(nullptr);
  std::string mismatch;
  for (LONG x : {M.cw / 2, c.right - 1 - M.cw / 2})
    for (LONG y = std::max(0L, part.top); x >= part.left && x < part.right && y < std::min(c.bottom, part.bottom); ++y)
      if (mismatch.empty() && GetPixel(screen, at.x + x, at.y + y) != want(y))
        mismatch = std::to_string(x) + "," + std::to_string(y);
  ReleaseDC(nullptr, screen);
  return mismatch;
}

// Saves KORVALINDE_SHOTS/name.png of the window `shown`, or of the desktop, once `owner` has repainted.
inline void Shot(HWND owner, HWND shown, const char* name) {
  RECT r = {0, 0, 800, 600};  // the desktop: X coordinates inside it are the Windows screen coordinates
  wchar_t dir[MAX_PATH] = L"" KORVALINDE_SHOTS_PATH, crop[64];
  for (HWND w : {owner, shown})
    if (w) RedrawWindow(w, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
  Send(owner, WM_NULL);  // answered once the repaint is done
  if (shown) GetWindowRect(shown, &r);
  GetEnvironmentVariableW(L"KORVALINDE_SHOTS", dir, MAX_PATH);
  swprintf(crop, 64, L"%ldx%ld+%ld+%ld ", r.right - r.left, r.bottom - r.top, r.left, r.top);
  const std::wstring file = dir + (L"/" + std::wstring(name, name + strlen(name))) + L".png";
  const bool saved = Unix(L"/usr/bin/import", L"import -window root -crop " + (crop + file), file);
  EXPECT_TRUE(saved) << name;
}

inline HWND Decoy() {  // a window of the driver's, for whatever else the user works with
  return CreateWindowExW(0, L"Static", L"decoy", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 560, 440, 220, 140, 0, 0, 0, 0);
}

struct Program {  // one run of Korvalinde.exe
  PROCESS_INFORMATION pi{};
  HWND main = nullptr;
  ~Program() { Kill(); }
  void Start(const std::vector<std::wstring>& args = {}, bool wait = true) {  // wait: until its window shows
    const bool started = StartProcess(kExe, args, &pi);
    EXPECT_TRUE(started) << "Korvalinde.exe starts";
    if (started && wait) WaitWindow();
  }
  HWND Find(const wchar_t* cls, const wchar_t* caption = nullptr) const {  // a shown window of it, waited for
    HWND found = WaitShown(pi.dwProcessId, cls, caption, 10000);
    EXPECT_TRUE(found) << "a window shows: " << testing::PrintToString(std::wstring(caption ? caption : cls));
    return found;
  }
  void WaitWindow() {
    main = Find(kMainClass);
    Settle();
  }
  static void Second(const std::vector<std::wstring>& args = {}) {  // a second start, which ends with 0
    Program second;
    DWORD code = DWORD(-1);
    second.Start(args, false);
    second.WaitExit(&code);
    EXPECT_EQ(0u, code) << "a second start hands over and ends";
  }
  void Settle() const { Send(main, WM_NULL); }  // its thread is back in a message loop: what it did is done
  bool WaitExit(DWORD* code = nullptr) {        // without code: true only for exit code 0
    DWORD own = 1;
    if (WaitForSingleObject(pi.hProcess, 10000) != WAIT_OBJECT_0) return false;
    if (!GetExitCodeProcess(pi.hProcess, code ? code : &own)) return false;
    return code || own == 0;
  }
  void Quit() {
    PostMessageW(main, WM_CLOSE, 0, 0);
    const bool ended = WaitExit();
    EXPECT_TRUE(ended) << "a close ends the program with 0";
  }
  void Kill() {
    if (!pi.hProcess) return;
    TerminateProcess(pi.hProcess, 99);
    WaitForSingleObject(pi.hProcess, 10000);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    pi = {};
  }
  HWND Control(int id) const { return GetDlgItem(main, id); }
  std::wstring Text(int id) const { return kv::Text(main, id); }
  LRESULT Check(int id) const { return Send(Control(id), BM_GETCHECK); }
  int Rows() const { return kv::Rows(main); }
  bool WaitRows(int rows) const {  // that many rows, and the client area fitted to them
    RECT r{};
    return WaitFor([&] { return Rows() == rows && GetClientRect(main, &r) && r.bottom == M.pitch * (rows + 1); });
  }
  bool WaitText(int id, const std::wstring& text, bool prefix = false) const {  // shows text, or begins so
    return WaitFor([&] { return prefix ? Text(id).rfind(text, 0) == 0 : Text(id) == text; });
  }
  void Command(int id) const { PostMessageW(main, WM_COMMAND, id, LPARAM(Control(id))); }  // as a click
  void Request(const std::wstring& text) const {  // by text, as other programs may; always answered 0
    EXPECT_EQ(0, Send(main, LB_ADDFILE, 0, LPARAM(text.c_str()))) << text.size() << " units";
  }
  void Key(const std::wstring& keys) const {
    Foreground(main);
    Press(keys);
  }
  size_t Dialogs(const wchar_t* caption) const { return Shown(pi.dwProcessId, kDialogClass, caption).size(); }
  HWND Dialog(const wchar_t* caption) const { return Find(kDialogClass, caption); }
  HWND Open(int command, const wchar_t* caption) const {
    Command(command);
    return Dialog(caption);
  }
  void Close(HWND dialog, int button) const {  // returns once the dialog is gone and the code that opened it is done
    PostMessageW(dialog, WM_COMMAND, button, 0);
    const bool gone = WaitFor([&] { return !IsWindow(dialog); });
    EXPECT_TRUE(gone) << "the dialog closes";
    Settle();
  }
  // Fills the timer dialog (null: as it stands) and presses OK. OK is handled before Send returns: a refused
  // text leaves the dialog shown; one that took the texts is waited for until it is gone.
  void Submit(HWND dialog, const wchar_t* time = nullptr, const wchar_t* name = nullptr) const {
    if (time) Send(GetDlgItem(dialog, IDC_TIME), WM_SETTEXT, 0, LPARAM(time));
    if (name) Send(GetDlgItem(dialog, IDC_NAME), WM_SETTEXT, 0, LPARAM(name));
    Send(dialog, WM_COMMAND, IDOK);
    if (IsWindowVisible(dialog)) return;
    WaitFor([&] { return !IsWindow(dialog); });
    Settle();
  }
  std::vector<Record> SaveAndQuit() {  // the save-and-quit button: the records it wrote (then cleared)
    Command(ID_SUSPEND_ALL);
    const bool ended = WaitExit();
    EXPECT_TRUE(ended) << "save-and-quit ends the program with 0";
    const std::vector<Record> saved = ReadRecords();
    ClearSettings();
    return saved;
  }
};

struct E2e : testing::Test {  // every test starts and ends with no program running and no settings
  void SetUp() override {
    CloseAll(kMainClass);
    ClearSettings();
  }
  void TearDown() override { SetUp(); }
};

}  // namespace e2e
