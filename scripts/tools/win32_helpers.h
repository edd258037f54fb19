// Drives Korvalinde.exe from another process, for the end-to-end tests, the benchmark's probe and the
// scripts' window tool: its windows found by the names of ui/resource.h, waits, starts, closes, its settings.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "resource.h"

namespace kv {

constexpr wchar_t kMainClass[] = L"" MAIN_CLASS_TEXT, kDialogClass[] = L"#32770";
constexpr wchar_t kAdd[] = L"" ADD_DIALOG_CAPTION, kEdit[] = L"" EDIT_DIALOG_CAPTION;
constexpr wchar_t kSettings[] = L"" SETTINGS_DIALOG_CAPTION, kNotice[] = L"" NOTICE_BOX_CAPTION;
constexpr wchar_t kDelete[] = L"" DELETE_BOX_CAPTION, kError[] = L"" ERROR_BOX_CAPTION;
constexpr wchar_t kSettingsKey[] = L"Software\\Brelwix\\Korvalinde";
constexpr wchar_t kRunOnceKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";

// Asks done() every pollMs until it is true (then true) or timeoutMs has passed (then false). Meanwhile
// the caller's own windows get their messages.
inline bool WaitFor(const std::function<bool()>& done, DWORD timeoutMs = 5000, DWORD pollMs = 20) {
  const ULONGLONG end = GetTickCount64() + timeoutMs;
  while (!done()) {
    if (GetTickCount64() > end) return false;
    MsgWaitForMultipleObjectsEx(0, nullptr, pollMs, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    for (MSG msg; PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE);) DispatchMessageW(&msg);
  }
  return true;
}

// The window's answer; -1 when it gives none within 5 s.
inline LRESULT Send(HWND window, UINT message, WPARAM w = 0, LPARAM l = 0) {
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutW(window, message, w, l, SMTO_NORMAL, 5000, &result)) return -1;
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

// A visible top-level window of the class (and caption) of process pid (0: of any), asked for every pollMs
// until timeoutMs has passed; null when none showed.
inline HWND WaitShown(DWORD pid, const wchar_t* cls, const wchar_t* caption, DWORD timeoutMs, DWORD pollMs = 20) {
  std::vector<HWND> found;
  if (!WaitFor([&] { return !(found = Shown(pid, cls, caption)).empty(); }, timeoutMs, pollMs)) return nullptr;
  return found[0];
}

// Starts exe with the arguments, each quoted.
inline bool StartProcess(const std::wstring& exe, const std::vector<std::wstring>& args, PROCESS_INFORMATION* pi) {
  std::wstring line = L"\"" + exe + L"\"";
  for (const std::wstring& arg : args) line += L" \"" + arg + L"\"";
  STARTUPINFOW si = {sizeof si};
  return CreateProcessW(exe.c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, pi);
}

// WM_CLOSE to the window, then the wait for the process to end; false, and ended by force, when it does not
// within 10 s.
inline bool CloseAndWait(HWND window, HANDLE process) {
  PostMessageW(window, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(process, 10000) == WAIT_OBJECT_0) return true;
  TerminateProcess(process, 99);
  WaitForSingleObject(process, 5000);
  return false;
}

// CloseAndWait for every visible window of the class; false when a process had to be ended by force.
inline bool CloseAll(const wchar_t* cls) {
  bool closed = true;
  for (HWND w : Shown(0, cls)) {
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid);
    if (!process) continue;
    if (!CloseAndWait(w, process)) closed = false;
    CloseHandle(process);
  }
  return closed;
}

// How many rows of timers the main window shows (an eleventh would be counted).
inline int Rows(HWND main) {
  int rows = 0;
  while (rows <= 10 && GetDlgItem(main, ID_ROW_LABEL + rows)) ++rows;
  return rows;
}

// The settings key with all its values, and the program's value under RunOnce.
inline void ClearSettings() {
  RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey);
  RegDeleteKeyValueW(HKEY_CURRENT_USER, kRunOnceKey, L"Korvalinde");
}

// The property by which the end-to-end tests' hook into the program reports whether `window` has an input
// method context.
inline std::wstring InputContextProperty(HWND window) { return L"ime " + std::to_wstring(uintptr_t(window)); }

}  // namespace kv
