// End-to-end driver support: starts the real Korvalinde.exe, works it from outside the way a
// user and Windows would (window messages, real key presses, dialogs, registry), and reports
// every check with its file and line.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace e2e {

// ---------------------------------------------------------------------------------------------
// Identifiers of the program under test, as it publishes them.
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

// ---------------------------------------------------------------------------------------------
// Reporting. A failed CHECK is counted and the scenario goes on; a failed REQUIRE ends the
// scenario (the checks after it would only repeat the same fault).
struct ScenarioAbort {};

void Pass();
void Fail(const char* file, int line, const std::string& what);
void Note(const std::string& text);
int PassedCount();
int FailedCount();

std::string Utf8(const std::wstring& text);
std::wstring Quoted(const std::wstring& text);  // "text" with \n, \t and non-printables escaped
std::string Printf(const char* format, ...);

bool CheckTrue(const char* file, int line, bool ok, const std::string& what);
bool CheckEqInt(const char* file, int line, long long actual, long long expected, const char* what);
bool CheckEqText(const char* file, int line, const std::wstring& actual, const std::wstring& expected,
                 const char* what);

#define CHECK(cond, what) ::e2e::CheckTrue(__FILE__, __LINE__, (cond), (what))
#define CHECK_EQ(actual, expected) \
  ::e2e::CheckEqInt(__FILE__, __LINE__, (long long)(actual), (long long)(expected), #actual)
#define CHECK_TEXT(actual, expected) ::e2e::CheckEqText(__FILE__, __LINE__, (actual), (expected), #actual)
#define REQUIRE(cond, what)                                               \
  do {                                                                    \
    if (!::e2e::CheckTrue(__FILE__, __LINE__, (cond), (what))) throw ::e2e::ScenarioAbort{}; \
  } while (0)

// ---------------------------------------------------------------------------------------------
// Scenarios register themselves by name.
using ScenarioFn = void (*)();
struct ScenarioInfo {
  const char* name;
  ScenarioFn fn;
  const char* file;
};
std::vector<ScenarioInfo>& Scenarios();
struct ScenarioRegistrar {
  ScenarioRegistrar(const char* name, ScenarioFn fn, const char* file);
};
#define E2E_SCENARIO(name)                                                          \
  static void Scenario_##name();                                                    \
  static ::e2e::ScenarioRegistrar registrar_##name(#name, &Scenario_##name, __FILE__); \
  static void Scenario_##name()

// True when the driver runs under Wine (its ntdll exports wine_get_version).
bool RunningUnderWine();

// ---------------------------------------------------------------------------------------------
// Time.
uint64_t Now();  // GetTickCount64
void Pause(DWORD ms);
// Polls `done` every 20 ms until it returns true or `timeoutMs` has passed; true when it held.
bool WaitFor(const std::function<bool()>& done, DWORD timeoutMs);

// ---------------------------------------------------------------------------------------------
// Registry under HKCU\Software\Brelwix\Korvalinde.
struct RegValue {
  bool exists = false;
  DWORD type = 0;
  std::vector<uint8_t> data;
};
RegValue ReadValue(const wchar_t* name, const wchar_t* key = kSettingsKey);
bool WriteValue(const wchar_t* name, DWORD type, const void* data, DWORD size, const wchar_t* key = kSettingsKey);
void DeleteValue(const wchar_t* name, const wchar_t* key = kSettingsKey);
bool KeyExists(const wchar_t* key = kSettingsKey);
void ClearSettingsKey();  // removes the whole key and the RunOnce entry
uint32_t LeU32(const std::vector<uint8_t>& data, size_t offset);
uint64_t LeU64(const std::vector<uint8_t>& data, size_t offset);
uint64_t LocalFileTimeNow();  // local wall-clock time on the FILETIME scale

// ---------------------------------------------------------------------------------------------
// Windows of other processes.
std::wstring WindowText(HWND hwnd);       // WM_GETTEXT with a timeout
std::wstring ClassName(HWND hwnd);
DWORD WindowProcessId(HWND hwnd);
RECT ScreenRect(HWND hwnd);
// Top-level windows of process `pid` with class `cls` (and caption `caption` when given).
std::vector<HWND> TopWindows(DWORD pid, const wchar_t* cls, const wchar_t* caption = nullptr,
                             bool visibleOnly = true);
// The text of a message box: its static control that carries text.
std::wstring MessageBoxText(HWND box);
// Presses a dialog's button by posting WM_COMMAND as its click would.
void PressDialogButton(HWND dialog, int id);
bool SetControlText(HWND control, const std::wstring& text);
LRESULT SendWithTimeout(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, DWORD timeoutMs = 3000, bool* ok = nullptr);

// ---------------------------------------------------------------------------------------------
// Real input through SendInput (Wine's input path: the keys reach the foreground thread's
// message queue, so the program's own accelerator translation sees them).
enum Modifier { kNone = 0, kCtrl = 1, kAlt = 2, kShift = 4 };
void PressKey(WORD vk, int modifiers = kNone);
void ClickScreen(int x, int y);

// ---------------------------------------------------------------------------------------------
// Font metrics that the main window uses: its default font (LineHeight, CharWidth).
struct Metrics {
  int lineHeight = 0;
  int charWidth = 0;
  int RowPitch() const { return lineHeight + 10; }
};
Metrics DefaultFontMetrics();

// ---------------------------------------------------------------------------------------------
// Screen capture of a window, kept in memory for pixel checks and saved as PNG.
struct Capture {
  int width = 0, height = 0;
  RECT screen{};               // the captured screen rectangle
  std::vector<uint32_t> bgr;   // 0x00RRGGBB per pixel, rows top to bottom
  COLORREF Pixel(int x, int y) const;  // in the captured rectangle's coordinates
};
Capture CaptureScreenRect(const RECT& screenRect);
Capture CaptureWindow(HWND hwnd);        // whole window rectangle
Capture CaptureClient(HWND hwnd);        // client area only
bool SavePng(const Capture& capture, const std::string& name);  // under KORVALINDE_SHOTS
std::string Rgb(COLORREF c);

// ---------------------------------------------------------------------------------------------
// A window of the driver's own (on its own thread, pumping messages) that takes the foreground,
// standing for whatever else the user works with.
class Decoy {
 public:
  Decoy();
  ~Decoy();
  Decoy(const Decoy&) = delete;
  Decoy& operator=(const Decoy&) = delete;
  HWND Window() const { return hwnd_; }
  bool TakeForeground();  // true when it became the foreground window

 private:
  static DWORD WINAPI Thread(LPVOID self);
  HANDLE thread_ = nullptr;
  HANDLE ready_ = nullptr;
  DWORD threadId_ = 0;
  HWND hwnd_ = nullptr;
};

// ---------------------------------------------------------------------------------------------
// One running Korvalinde.exe.
std::wstring ExePath();

class App {
 public:
  App() = default;
  ~App();
  App(const App&) = delete;
  App& operator=(const App&) = delete;

  // Starts the program with the given arguments; true when its main window showed up.
  bool Start(const std::vector<std::wstring>& args = {}, DWORD timeoutMs = 8000);
  // A further start of the program while this one runs (the second instance); returns its exit
  // code, or -1 when it did not end within the timeout.
  long RunSecondInstance(const std::vector<std::wstring>& args, DWORD timeoutMs = 8000);

  bool Running() const;
  // Posts WM_CLOSE and waits for the process to end; true when it ended.
  bool Close(DWORD timeoutMs = 5000);
  bool WaitExit(DWORD timeoutMs, DWORD* exitCode = nullptr);
  void Kill();

  HWND Main() const { return hwnd_; }
  DWORD Pid() const { return pi_.dwProcessId; }

  // Controls of the main window by identifier.
  HWND Control(int id) const;
  bool Exists(int id) const { return Control(id) != nullptr; }
  std::wstring Text(int id) const;
  bool Enabled(int id) const;
  bool Visible(int id) const;
  int CheckState(int id) const;           // BM_GETCHECK
  RECT ControlClientRect(int id) const;   // in the main window's client coordinates
  RECT ClientRect() const;
  RECT WindowRect() const;
  int RowCount() const;                   // rows whose label control exists
  LONG_PTR ExStyle() const;

  // Input from outside.
  void Command(int id);                     // posts WM_COMMAND as a button click would
  bool AddRequest(const std::wstring& text);  // sends LB_ADDFILE with the text; true when delivered
  void Focus();                             // makes the window the foreground window
  void Key(WORD vk, int modifiers = kNone); // a real key press aimed at the window

  // Dialogs and message boxes of the program (top-level #32770 windows of its process).
  HWND FindDialog(const wchar_t* caption) const;
  HWND WaitDialog(const wchar_t* caption, DWORD timeoutMs = 3000) const;
  bool WaitDialogGone(HWND dialog, DWORD timeoutMs = 3000) const;
  size_t CountDialogs(const wchar_t* caption) const;

 private:
  PROCESS_INFORMATION pi_{};
  HWND hwnd_ = nullptr;
};

// Ends any running instance of the program (found by its window class), by process id.
void EndStrayInstances();

}  // namespace e2e
