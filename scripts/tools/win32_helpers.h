// Drives Korvalinde.exe from another process, for the end-to-end tests, the benchmark's probe and the
// scripts' window tool: its windows found by the names of ui/resource.h, waits, starts, closes, its settings.
#pragma once
#include <windows.h>

#include <stdint.h>
#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "resource.h"

namespace kv {

constexpr wchar_t kMainClass[] = L"" MAIN_CLASS_TEXT, kDialogClass[] = L"#32770";
// The program speaks English unless the UI language is Japanese; this process inherits the same Unix locale.
inline const bool kEnglish = PRIMARYLANGID(GetUserDefaultUILanguage()) != LANG_JAPANESE;
#define KV_CAPTION(name) (kEnglish ? L"" name##_EN : L"" name)
inline const wchar_t* const kAdd = KV_CAPTION(ADD_DIALOG_CAPTION);
inline const wchar_t* const kEdit = KV_CAPTION(EDIT_DIALOG_CAPTION);
inline const wchar_t* const kSettings = KV_CAPTION(SETTINGS_DIALOG_CAPTION);
inline const wchar_t* const kDelete = KV_CAPTION(DELETE_BOX_CAPTION);
inline const wchar_t* const kError = KV_CAPTION(ERROR_BOX_CAPTION);
constexpr wchar_t kNotice[] = L"" NOTICE_BOX_CAPTION;
constexpr wchar_t kSettingsKey[] = L"Software\\Brelwix\\Korvalinde";
constexpr wchar_t kRunOnceKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";

// How long a wait gives the program before it takes it for failed. Under load a start was seen to take 7.4 s to
// reach the program's code: the bound is for a program that failed, not for a busy machine.
constexpr DWORD kPatienceMs = 60000;

// Asks done() every pollMs until it is true (then true) or timeoutMs has passed (then false). Meanwhile
// the caller's own windows get their messages.
inline bool WaitFor(const std::function<bool()>& done, DWORD timeoutMs = kPatienceMs, DWORD pollMs = 20) {
  const ULONGLONG end = GetTickCount64() + timeoutMs;
  while (!done()) {
    if (GetTickCount64() > end) return false;
    MsgWaitForMultipleObjectsEx(0, nullptr, pollMs, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    for (MSG msg; PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE);) DispatchMessageW(&msg);
  }
  return true;
}

// The window's answer; -1 when it gives none within kPatienceMs.
inline LRESULT Send(HWND window, UINT message, WPARAM w = 0, LPARAM l = 0) {
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutW(window, message, w, l, SMTO_NORMAL, kPatienceMs, &result)) return -1;
  return LRESULT(result);
}

// The text of a window, or of its control id.
inline std::wstring Text(HWND window, int id = 0) {
  wchar_t text[1024] = L"";
  Send(id ? GetDlgItem(window, id) : window, WM_GETTEXT, 1024, LPARAM(text));
  return text;
}

// The visible top-level windows of the class (and caption) that belong to process pid (0: to any).
inline std::vector<HWND> Shown(DWORD pid, const wchar_t* cls, const wchar_t* caption = nullptr) {
  std::vector<HWND> found;
  for (HWND w = FindWindowExW(nullptr, nullptr, cls, caption); w; w = FindWindowExW(nullptr, w, cls, caption)) {
    DWORD owner = 0;
    GetWindowThreadProcessId(w, &owner);
    if ((!pid || owner == pid) && IsWindowVisible(w)) found.push_back(w);
  }
  return found;
}

// How a step that fails (of CloseAll or Program) says so: on stderr, unless the caller (the end-to-end tests)
// sets its own.
inline void (*ReportFailure)(const std::wstring& what) = [](const std::wstring& what) {
  fwprintf(stderr, L"%ls\n", what.c_str());
};

// WaitFor, and a report through ReportFailure of what did not come true.
inline bool Await(const std::function<bool()>& done, const std::wstring& what) {
  const bool came = WaitFor(done);
  if (!came) ReportFailure(L"waited in vain: " + what);
  return came;
}

// For a report of a wait that gave up: the top-level windows shown, and the hidden ones of process pid.
inline std::wstring Windows(DWORD pid) {
  std::wstring list = L"; windows:";
  for (HWND w = GetTopWindow(nullptr); w; w = GetWindow(w, GW_HWNDNEXT)) {
    DWORD owner = 0;
    wchar_t cls[64] = L"", caption[64] = L"";
    GetWindowThreadProcessId(w, &owner);
    GetClassNameW(w, cls, 64);
    GetWindowTextW(w, caption, 64);  // of another process: the text kept by the system, no message
    if (IsWindowVisible(w) || owner == pid)
      list += std::wstring(L" ") + cls + L" \"" + caption + L"\" of " + std::to_wstring(owner) +
              (IsWindowVisible(w) ? L"," : L" (hidden),");
  }
  return list;
}

// Closes every visible window of the class (WM_CLOSE) and waits for its process to end; one that does not
// within kPatienceMs is ended by force, reported, and the answer is false.
inline bool CloseAll(const wchar_t* cls) {
  bool closed = true;
  for (HWND w : Shown(0, cls)) {
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid);
    if (!process) continue;
    PostMessageW(w, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process, kPatienceMs) != WAIT_OBJECT_0) {
      const std::wstring windows = Windows(pid);
      TerminateProcess(process, 99);
      WaitForSingleObject(process, kPatienceMs);
      ReportFailure(L"a program does not end at WM_CLOSE and is ended by force" + windows);
      closed = false;
    }
    CloseHandle(process);
  }
  return closed;
}

// The default font's average character width, and its line height + 10: the width of a character cell of the
// main window and the pitch of its rows.
inline const struct {
  LONG cw, pitch;
} Font = [] {
  TEXTMETRICW tm{};
  HDC dc = GetDC(nullptr);
  GetTextMetricsW(dc, &tm);
  ReleaseDC(nullptr, dc);
  return decltype(Font){tm.tmAveCharWidth, tm.tmHeight + tm.tmExternalLeading + 10};
}();

// Where the bands behind the rows (the last one behind the buttons) differ from `red` (true: red, else the
// menu colour) in the free columns left and right of the controls, within `part`; "" where they match.
inline std::string Bands(HWND window, const std::vector<bool>& red, RECT part = {0, 0, 9999, 9999}) {
  RECT c;
  POINT at{};
  GetClientRect(window, &c);
  ClientToScreen(window, &at);
  auto want = [&](LONG y) {
    return size_t(y / Font.pitch) < red.size() && red[y / Font.pitch] ? RGB(255, 0, 0) : GetSysColor(COLOR_MENU);
  };
  HDC screen = GetDC(nullptr);
  std::string mismatch;
  for (LONG x : {Font.cw / 2, c.right - 1 - Font.cw / 2})
    for (LONG y = std::max(0L, part.top); x >= part.left && x < part.right && y < std::min(c.bottom, part.bottom); ++y)
      if (mismatch.empty() && GetPixel(screen, at.x + x, at.y + y) != want(y))
        mismatch = std::to_string(x) + "," + std::to_string(y);
  ReleaseDC(nullptr, screen);
  return mismatch;
}

// Korvalinde.exe: KORVALINDE_EXE, else the one built; a Unix path is on drive Z:.
inline std::wstring ProgramPath() {
  wchar_t path[MAX_PATH] = L"" KORVALINDE_EXE_PATH;
  GetEnvironmentVariableW(L"KORVALINDE_EXE", path, MAX_PATH);
  for (wchar_t* c = path; *c; ++c) *c = *c == L'/' ? L'\\' : *c;
  return (path[0] == L'\\' ? L"Z:" : L"") + std::wstring(path);
}

// One run of Korvalinde.exe. Its steps check their own outcome and report a failure through ReportFailure; the
// waits that follow a failed step then give up at their time-outs.
struct Program {
  PROCESS_INFORMATION pi{};
  HWND main = nullptr;
  std::wstring exe = ProgramPath();  // what Start starts: Korvalinde, unless the caller (the benchmark) names another
  DWORD waitMs = kPatienceMs, pollMs = 20;  // how long Find waits for a window, and how often it looks
  ~Program() { Kill(); }
  void Start(const std::vector<std::wstring>& args = {}, bool wait = true) {  // wait: until its window shows
    std::wstring line = L"\"" + exe + L"\"";  // each argument quoted
    for (const std::wstring& arg : args) line += L" \"" + arg + L"\"";
    STARTUPINFOW si = {sizeof si};
    // Under Wine a start was seen to fail once in some hundreds while other sessions were busy: asked again.
    DWORD error = 0;
    const bool started = WaitFor([&] {
      const BOOL created = CreateProcessW(exe.c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi);
      error = created ? 0 : GetLastError();
      return created != FALSE;
    });
    if (!started) ReportFailure(L"the program does not start (error " + std::to_wstring(error) + L"): " + exe);
    if (started && wait) WaitWindow();
  }
  void Attach() {  // to a Korvalinde already running, found by its window; this record does not end it
    WaitWindow();
    GetWindowThreadProcessId(main, &pi.dwProcessId);
  }
  bool Ended() const { return pi.hProcess && WaitForSingleObject(pi.hProcess, 0) == WAIT_OBJECT_0; }
  HWND Find(const wchar_t* cls, const wchar_t* caption = nullptr) const {  // a shown window of it, waited for
    std::vector<HWND> found;
    WaitFor([&] { return !(found = Shown(pi.dwProcessId, cls, caption)).empty() || Ended(); }, waitMs, pollMs);
    if (!found.empty()) return found[0];
    ReportFailure(std::wstring(L"no window shows: ") + (caption ? caption : cls) + L"; " + Outcome());
    return nullptr;
  }
  std::wstring Outcome() const {  // for a report: how the process ended, if it did, and the windows there are
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(pi.hProcess, &code);
    return (code == STILL_ACTIVE ? L"it runs" : L"it ended with exit code " + std::to_wstring(code)) +
           Windows(pi.dwProcessId);
  }
  void WaitWindow() {
    main = Find(kMainClass);
    Settle();
  }
  static void Second(const std::vector<std::wstring>& args = {}) {  // a second start, which hands over and ends
    Program second;
    DWORD code = DWORD(-1);
    second.Start(args, false);
    second.WaitExit(&code);
    if (code != 0) ReportFailure(L"a second start ends with " + std::to_wstring(code) + Windows(0));
  }
  void Settle() const { Send(main, WM_NULL); }  // its thread is back in a message loop: what it did is done
  bool WaitExit(DWORD* code = nullptr) {        // without code: true only for exit code 0, reported otherwise
    DWORD own = 1;
    if (WaitForSingleObject(pi.hProcess, kPatienceMs) != WAIT_OBJECT_0) {
      ReportFailure(L"the program does not end; " + Outcome());
      return false;
    }
    if (!GetExitCodeProcess(pi.hProcess, code ? code : &own)) return false;
    if (!code && own != 0) ReportFailure(L"the program ends with exit code " + std::to_wstring(own));
    return code || own == 0;
  }
  void Quit() {
    PostMessageW(main, WM_CLOSE, 0, 0);
    WaitExit();
  }
  void Kill() {
    if (!pi.hProcess) return;
    TerminateProcess(pi.hProcess, 99);
    WaitForSingleObject(pi.hProcess, kPatienceMs);
    Leave();
  }
  void Leave() {  // lets it run on after this record
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    pi = {};
  }
  HWND Control(int id) const { return GetDlgItem(main, id); }
  std::wstring Text(int id) const { return kv::Text(main, id); }
  LRESULT Check(int id) const { return Send(Control(id), BM_GETCHECK); }
  int Rows() const {  // how many rows of timers it shows (an eleventh would be counted)
    int rows = 0;
    while (rows <= 10 && Control(ID_ROW_LABEL + rows)) ++rows;
    return rows;
  }
  // The waits that follow report their own failure, with what the program shows instead.
  bool WaitRows(int rows) const {  // that many rows, and what made them handled
    const bool shown = WaitFor([&] { return Rows() == rows; });
    if (!shown) ReportFailure(L"it shows " + std::to_wstring(Rows()) + L" rows, not " + std::to_wstring(rows));
    Settle();
    return shown;
  }
  bool WaitText(int id, const std::wstring& text, bool prefix = false) const {  // shows text, or begins so
    const bool shown = WaitFor([&] { return prefix ? Text(id).rfind(text, 0) == 0 : Text(id) == text; });
    if (!shown) ReportFailure(L"control " + std::to_wstring(id) + L" shows \"" + Text(id) + L"\", not \"" + text + L"\"");
    return shown;
  }
  bool WaitBands(const std::vector<bool>& red, RECT part = {0, 0, 9999, 9999}) const {  // see Bands
    std::string at;
    const bool shown = WaitFor([&] { return (at = Bands(main, red, part)).empty(); });
    if (!shown) ReportFailure(L"the bands differ from the rows' colours at " + std::wstring(at.begin(), at.end()));
    return shown;
  }
  void Command(int id) const { PostMessageW(main, WM_COMMAND, id, LPARAM(Control(id))); }  // as a click
  void Request(const std::wstring& text) const {  // by text, as other programs may; always answered 0
    if (Send(main, LB_ADDFILE, 0, LPARAM(text.c_str())) != 0) ReportFailure(L"a request is not answered 0");
  }
  size_t Dialogs(const wchar_t* caption) const { return Shown(pi.dwProcessId, kDialogClass, caption).size(); }
  HWND Dialog(const wchar_t* caption) const { return Find(kDialogClass, caption); }
  HWND Open(int command, const wchar_t* caption) const {
    Command(command);
    return Dialog(caption);
  }
  void Close(HWND dialog, int button) const {  // returns once the dialog is gone and what opened it is done
    PostMessageW(dialog, WM_COMMAND, button, 0);
    if (!WaitFor([&] { return !IsWindow(dialog); })) ReportFailure(L"the dialog does not close");
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
};

// The settings key with all its values, and the program's value under RunOnce.
inline void ClearSettings() {
  RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey);
  RegDeleteKeyValueW(HKEY_CURRENT_USER, kRunOnceKey, L"Korvalinde");
}

// A value of the registry as stored.
struct RegValue {
  bool exists = false;
  DWORD type = 0;
  std::vector<uint8_t> data;
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
inline std::vector<Record> ReadRecords() {  // Suspend0.. up to the first missing one; a bad layout is reported
  std::vector<Record> out;
  for (RegValue v; (v = ReadValue((L"Suspend" + std::to_wstring(out.size())).c_str())).exists;) {
    Record r{};
    memcpy(&r, v.data.data(), std::min<size_t>(v.data.size(), 48));
    const std::wstring at = L"Suspend" + std::to_wstring(out.size()) + L": ";
    if (v.type != REG_BINARY) ReportFailure(at + L"of type " + std::to_wstring(v.type));
    if (v.data.size() != 48) ReportFailure(at + std::to_wstring(v.data.size()) + L" bytes");
    if (std::wstring(r.name, 12).find_first_not_of(L'\0', r.Name().size()) != std::wstring::npos)
      ReportFailure(at + L"no zeros after the name");
    out.push_back(r);
  }
  return out;
}

// The property by which the end-to-end tests' hook in the program tells whether `window` has an input method.
inline std::wstring InputContextProperty(HWND window) { return L"ime " + std::to_wstring(uintptr_t(window)); }
const wchar_t kFlashesProperty[] = L"flashes";  // and how often a window's caption flashed
// Sent to a window hooked by ime_probe.dll: its process takes wParam as its menu colour (Wine keeps the system's
// colours per process).
constexpr wchar_t kMenuColourMessage[] = L"Korvalinde probe: menu colour";

}  // namespace kv
