// What the end-to-end tests add to win32_helpers.h: the stored values, real input, screen-reader names, pictures.
// Every wait is for something the program makes true; the timeouts only bound a failure.
#pragma once
#include "win32_helpers.h"  // windows.h first

#include <fcntl.h>
#include <gtest/gtest.h>
#include <io.h>
#include <oleacc.h>

namespace e2e {
using namespace kv;

constexpr wchar_t kRunning[] = L"■", kPaused[] = L"＞";  // a row's pause button
// The texts the program shows, in the language it shows them (the driver's UI language is the program's).
struct Words {
  const wchar_t *heading, *timer, *paused, *left, *timeUp, *name, *hotKey, *hotKeyFailed, *deleteTimer, *sure, *hint,
      *edit, *fiveHours, *refused;
};
constexpr Words kJapanese = {L"時間です", L"タイマー", L"一時停止中 ", L"残り ", L"時間切れ", L"名称", L"ホットキー",
                             L"ホットキー登録に失敗しました", L"タイマー", L"を削除します\nよろしいですか？",
                             L"5 → 5分\n1:30 → 1時間30分\n0:0:45 → 45秒\nP5:30 → 午後5時30分 (A は午前)", L"修正",
                             L"5時間", L"時間になりません"};
constexpr Words kEnglishWords = {L"Time is up", L"Timer ", L"paused ", L"left ", L"time up", L"Name", L"Hot key",
                                 L"The hot key could not be registered", L"Delete timer ", L"?",
                                 L"5 → 5 min\n1:30 → 1 h 30 min\n0:0:45 → 45 s\nP5:30 → PM 5:30 (A for AM)", L"Edit",
                                 L"5 h", L"not a time"};
inline const Words& kSay = kEnglish ? kEnglishWords : kJapanese;
inline std::wstring DeleteQuestion(const wchar_t* row, const wchar_t* name) {  // "タイマー2(arg)を…", "Delete timer 2 (arg)?"
  return kSay.deleteTimer + std::wstring(row) + (kEnglish ? L" (" : L"(") + name + L")" + kSay.sure;
}
constexpr int kBoxText = 0xFFFF;                       // the text of a message box
constexpr uint64_t kFileTimePerMs = 10000;
inline const int kBinaryStdout = _setmode(_fileno(stdout), _O_BINARY);  // ctest reads the cases in "\n" lines
inline void ExpectValue(const wchar_t* name, DWORD type, const std::vector<uint8_t>& data) {  // its type and bytes
  const RegValue v = ReadValue(name);
  EXPECT_EQ(type, v.type) << testing::PrintToString(std::wstring(name));
  EXPECT_EQ(data, v.data) << testing::PrintToString(std::wstring(name));
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

inline std::wstring XWindowInFront() {  // the X window of the window in front, for xdotool
  return std::to_wstring(uintptr_t(GetPropW(GetForegroundWindow(), L"__wine_x11_whole_window")));
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
  Xdotool(L"windowfocus --sync " + XWindowInFront() + down + L" key " + key + up);
}

inline GUITHREADINFO ThreadOf(HWND window) {  // the active and the focused window of the thread of `window`
  GUITHREADINFO info{sizeof info};
  GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info);
  return info;
}
inline void AwaitFocus(HWND control, const std::wstring& what) {  // the keyboard focus of its thread on it
  Await([&] { return ThreadOf(control).hwndFocus == control; }, what);
}

// Brings the window in front as a user would: its thread has activated it and handled all sent before. A focus
// change from the X server still on its way (after a dialog closed) can take it back once: then it is asked again.
inline void Foreground(HWND window) {
  const bool front = WaitFor([&] {
    if (GetForegroundWindow() != window) SetForegroundWindow(window);
    return GetForegroundWindow() == window && ThreadOf(window).hwndActive == window && !Send(window, WM_NULL);
  });
  EXPECT_TRUE(front) << "the window comes to the front";
}

inline HWND IconOf(HWND window) {  // its first icon static
  HWND icon = FindWindowExW(window, nullptr, L"Static", nullptr);
  while (icon && (GetWindowLongW(icon, GWL_STYLE) & SS_TYPEMASK) != SS_ICON)
    icon = FindWindowExW(window, icon, L"Static", nullptr);
  return icon;
}

// Saves KORVALINDE_SHOTS/name.png (-en.png in English) of `shown`, or of the desktop, once `owner` has repainted.
inline void Shot(HWND owner, HWND shown, const char* name) {
  RECT r = {0, 0, 800, 600};  // the desktop: X coordinates inside it are the Windows screen coordinates
  wchar_t dir[MAX_PATH] = L"" KORVALINDE_SHOTS_PATH, crop[64];
  for (HWND w : {owner, shown})
    if (w) RedrawWindow(w, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
  Send(owner, WM_NULL);  // answered once the repaint is done
  if (shown) GetWindowRect(shown, &r);
  GetEnvironmentVariableW(L"KORVALINDE_SHOTS", dir, MAX_PATH);
  swprintf(crop, 64, L"%ldx%ld+%ld+%ld ", r.right - r.left, r.bottom - r.top, r.left, r.top);
  const std::wstring file = dir + (L"/" + std::wstring(name, name + strlen(name))) + (kEnglish ? L"-en.png" : L".png");
  const bool saved = Unix(L"/usr/bin/import", L"import -window root -crop " + (crop + file), file);
  EXPECT_TRUE(saved) << name;
}

inline HWND Decoy() {  // a window of the driver's, for whatever else the user works with
  return CreateWindowExW(0, L"Static", L"decoy", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 560, 440, 220, 140, 0, 0, 0, 0);
}

inline std::vector<Record> SaveAndQuit(Program& app) {  // the save-and-quit button: the records it wrote, cleared
  app.Command(ID_SUSPEND_ALL);
  app.WaitExit();
  const std::vector<Record> saved = ReadRecords();
  ClearSettings();
  return saved;
}

inline void Key(const Program& app, const std::wstring& keys) {  // keys pressed in the main window
  Foreground(app.main);
  Press(keys);
}

inline void HookProbe(const Program& app) {  // ime_probe.dll into the program's thread, see ime_probe.cpp
  const HMODULE probe = LoadLibraryW(L"ime_probe.dll");
  void* see = probe ? reinterpret_cast<void*>(GetProcAddress(probe, "SeeInputContext")) : nullptr;
  const HOOKPROC proc = reinterpret_cast<HOOKPROC>(see);
  const HHOOK hook = proc ? SetWindowsHookExW(WH_CALLWNDPROC, proc, probe, app.pi.dwThreadId) : nullptr;
  EXPECT_TRUE(hook) << "ime_probe.dll hooked";
}

// Every test starts and ends with no program running and no settings; a failed step of Program fails it.
struct E2e : testing::Test {
  void SetUp() override {
    ReportFailure = [](const std::wstring& what) { ADD_FAILURE() << what; };
    CloseAll(kMainClass);
    ClearSettings();
  }
  void TearDown() override { SetUp(); }
};

}  // namespace e2e
