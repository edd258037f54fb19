// End-to-end driver support: starts the real Korvalinde.exe and works it from outside as a user
// and Windows would (window messages, real key presses, dialogs, registry, screen).
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace e2e {

constexpr wchar_t kMainClass[] = L"KorvalindeMainClass";
constexpr wchar_t kSettingsKey[] = L"Software\\Brelwix\\Korvalinde";
constexpr wchar_t kRunOnceKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
constexpr wchar_t kNoticeCaption[] = L"TimeUp";
constexpr wchar_t kDeleteCaption[] = L"削除";
constexpr wchar_t kAddCaption[] = L"タイマー追加";
constexpr wchar_t kEditCaption[] = L"タイマー修正";
constexpr wchar_t kSettingsCaption[] = L"設定";
constexpr wchar_t kRunningMark[] = L"■";
constexpr wchar_t kPausedMark[] = L"＞";

constexpr int ID_ROW_LABEL = 0x100, ID_ROW_TIME = 0x200, ID_ROW_PAUSE = 0x300, ID_ROW_EDIT = 0x400,
              ID_ROW_DELETE = 0x500;
constexpr int ID_ADD = 0x1000, ID_MUTE = 0x1001, ID_TOPMOST = 0x1002, ID_SUSPEND_ALL = 0x1003,
              ID_SETTINGS = 0x1004;
constexpr int IDC_TIME = 1001, IDC_NAME = 1002, IDC_HOTKEY = 2001, IDC_REMEMBER = 2002;
constexpr UINT kLbAddFile = 0x0196;
constexpr int kMaxRows = 10;

// Reporting. A failed CHECK is counted and the scenario goes on; a failed REQUIRE ends it.
struct ScenarioAbort {};
void Note(const std::string& text);
int PassedCount();
int FailedCount();
std::string Utf8(const std::wstring& text);
std::string Q(const std::wstring& text);  // quoted UTF-8, \n and control characters escaped
std::string Printf(const char* format, ...);
bool CheckTrue(const char* file, int line, bool ok, const std::string& what);
bool CheckEqInt(const char* file, int line, long long actual, long long expected, const char* what);
bool CheckEqText(const char* file, int line, const std::wstring& actual, const std::wstring& expected,
                 const char* what);

#define CHECK(cond, what) ::e2e::CheckTrue(__FILE__, __LINE__, (cond), (what))
#define CHECK_EQ(actual, expected) \
  ::e2e::CheckEqInt(__FILE__, __LINE__, (long long)(actual), (long long)(expected), #actual)
#define CHECK_TEXT(actual, expected) ::e2e::CheckEqText(__FILE__, __LINE__, (actual), (expected), #actual)
#define REQUIRE(cond, what)                                                                  \
  do {                                                                                       \
    if (!::e2e::CheckTrue(__FILE__, __LINE__, (cond), (what))) throw ::e2e::ScenarioAbort{}; \
  } while (0)

using ScenarioFn = void (*)();
struct ScenarioInfo {
  const char* name;
  ScenarioFn fn;
};
std::vector<ScenarioInfo>& Scenarios();
struct ScenarioRegistrar {
  ScenarioRegistrar(const char* name, ScenarioFn fn) { Scenarios().push_back({name, fn}); }
};
#define E2E_SCENARIO(name)                                                       \
  static void Scenario_##name();                                                 \
  static ::e2e::ScenarioRegistrar registrar_##name(#name, &Scenario_##name);     \
  static void Scenario_##name()

bool RunningUnderWine();
uint64_t Now();
void Pause(DWORD ms);
bool WaitFor(const std::function<bool()>& done, DWORD timeoutMs);  // polls every 20 ms

// Registry, by default under the program's settings key.
struct RegValue {
  bool exists = false;
  DWORD type = 0;
  std::vector<uint8_t> data;
};
RegValue ReadValue(const wchar_t* name, const wchar_t* key = kSettingsKey);
bool WriteValue(const wchar_t* name, DWORD type, const void* data, DWORD size);
void DeleteValue(const wchar_t* name);
void ClearSettingsKey();  // the whole key and the RunOnce entry
uint32_t LeU32(const std::vector<uint8_t>& data, size_t offset);
uint64_t LeU64(const std::vector<uint8_t>& data, size_t offset);
uint64_t LocalFileTimeNow();

// Windows of other processes.
LRESULT SendWithTimeout(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, DWORD timeoutMs = 3000, bool* ok = nullptr);
std::wstring WindowText(HWND hwnd);
std::wstring ClassName(HWND hwnd);
std::vector<HWND> TopWindows(DWORD pid, const wchar_t* cls, const wchar_t* caption = nullptr,
                             bool visibleOnly = true);
std::wstring MessageBoxText(HWND box);
void PressDialogButton(HWND dialog, int id);  // posts the button's click
bool SetControlText(HWND control, const std::wstring& text);
HWND ThreadActive(HWND window);  // the active window of the thread that owns `window`

// Real input through SendInput: it reaches the foreground thread.
enum Modifier { kNone = 0, kCtrl = 1, kAlt = 2, kShift = 4 };
void PressKey(WORD vk, int modifiers = kNone);
void ClickScreen(int x, int y);
bool BringForeground(HWND window);  // as a user would: asked for, else a click on the caption

struct Metrics {
  int lineHeight = 0;
  int charWidth = 0;
  int RowPitch() const { return lineHeight + 10; }
};
Metrics DefaultFontMetrics();

struct Capture {
  int width = 0, height = 0;
  std::vector<uint32_t> rgb;  // 0x00RRGGBB, rows top to bottom
  COLORREF Pixel(int x, int y) const;
};
Capture CaptureScreenRect(const RECT& screenRect);
Capture CaptureClient(HWND hwnd);
std::string Rgb(COLORREF c);
// Saves `shown` (a window, or the whole screen when null) as KORVALINDE_SHOTS\name.png once the
// program's window `owner` has settled: two ticks after the last change, then a full repaint.
void Shot(HWND owner, HWND shown, const std::string& name);

// A window of the driver's own on its own thread, standing for whatever else the user works with.
class Decoy {
 public:
  Decoy();
  ~Decoy();
  Decoy(const Decoy&) = delete;
  Decoy& operator=(const Decoy&) = delete;
  HWND Window() const { return hwnd_; }
  bool TakeForeground();

 private:
  static DWORD WINAPI Thread(LPVOID self);
  HANDLE thread_ = nullptr, ready_ = nullptr;
  DWORD threadId_ = 0;
  HWND hwnd_ = nullptr;
};

// One running Korvalinde.exe.
class App {
 public:
  App() = default;
  ~App();
  App(const App&) = delete;
  App& operator=(const App&) = delete;

  bool Start(const std::vector<std::wstring>& args = {}, DWORD timeoutMs = 8000);  // true: window shown
  // A further start while this one runs; its exit code, or -1 when it did not end.
  long RunSecondInstance(const std::vector<std::wstring>& args);
  bool Running() const;
  bool Close();  // WM_CLOSE, then waits for the end
  bool WaitExit(DWORD timeoutMs, DWORD* exitCode = nullptr);
  void Kill();

  HWND Main() const { return hwnd_; }
  DWORD Pid() const { return pi_.dwProcessId; }
  HWND Control(int id) const { return hwnd_ ? GetDlgItem(hwnd_, id) : nullptr; }
  bool Exists(int id) const { return Control(id) != nullptr; }
  std::wstring Text(int id) const { return WindowText(Control(id)); }
  bool Enabled(int id) const;
  int CheckState(int id) const;           // BM_GETCHECK
  RECT ControlClientRect(int id) const;
  RECT ClientRect() const;
  RECT WindowRect() const;
  int RowCount() const;
  LONG_PTR ExStyle() const { return GetWindowLongPtrW(hwnd_, GWL_EXSTYLE); }

  void Command(int id);                        // a button click
  bool AddRequest(const std::wstring& text);   // LB_ADDFILE; true when delivered
  void Key(WORD vk, int modifiers = kNone);    // a real key press with the window in front

  HWND FindDialog(const wchar_t* caption) const;  // top-level #32770 of the process
  HWND WaitDialog(const wchar_t* caption, DWORD timeoutMs = 3000) const;
  bool WaitDialogGone(HWND dialog, DWORD timeoutMs = 3000) const;
  size_t CountDialogs(const wchar_t* caption) const;

 private:
  PROCESS_INFORMATION pi_{};
  HWND hwnd_ = nullptr;
};

void EndStrayInstances();  // by process id, found by the window class
// Sends LB_ADDFILE with a null text to `target` from a child process of the driver (packing a
// null text may fault the sender); returns the child's exit code (0 sent, 1 posted).
DWORD SendNullRequest(HWND target);

}  // namespace e2e
