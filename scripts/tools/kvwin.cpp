// kvwin: a small helper that the run script uses inside the Wine session.
//   kvwin wait  NAME.exe SECONDS   waits until a process whose image is NAME.exe shows a visible
//                                  top-level window; prints its title and rectangle.
//   kvwin close NAME.exe SECONDS   sends WM_CLOSE to those windows and waits until the process ends.
//   kvwin show  CLASS TITLE SECONDS     waits until a visible top-level window of that class and
//                                       title exists (any process; a dialog also until it is the
//                                       active window), repaints it and its children
//                                       at once, and prints "x y width height" of the window and
//                                       then of its client area, in screen coordinates.
//   kvwin gone  CLASS TITLE SECONDS     waits until no such window exists.
//   kvwin post  CLASS TITLE COMMAND     posts WM_COMMAND COMMAND (decimal or 0x hex) to that window.
//   kvwin text  CLASS TITLE CONTROL     prints the text of the window's child CONTROL, in UTF-8.
//   kvwin icon  CLASS TITLE -           prints "width height" of the window's first icon static
//                                       (SS_ICON), then of the window's client area.
// CLASS "#32770" is a dialog or message box. Exit code 0 on success, 1 on time-out or when no
// such window exists, 2 on bad arguments.
#include <windows.h>
#include <stdio.h>
#include <wchar.h>

namespace {

const wchar_t* g_image = nullptr;

bool ImageMatches(DWORD pid) {
  HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
  if (!process) return false;
  wchar_t path[MAX_PATH];
  DWORD size = MAX_PATH;
  bool match = false;
  if (QueryFullProcessImageNameW(process, 0, path, &size)) {
    const wchar_t* base = wcsrchr(path, L'\\');
    base = base ? base + 1 : path;
    match = _wcsicmp(base, g_image) == 0;
  }
  CloseHandle(process);
  return match;
}

struct Found {
  HWND windows[64];
  DWORD pids[64];
  int count;
};

BOOL CALLBACK Collect(HWND window, LPARAM param) {
  Found* found = reinterpret_cast<Found*>(param);
  if (!IsWindowVisible(window) || GetWindow(window, GW_OWNER)) return TRUE;
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (pid && found->count < 64 && ImageMatches(pid)) {
    found->windows[found->count] = window;
    found->pids[found->count] = pid;
    ++found->count;
  }
  return TRUE;
}

Found Find() {
  Found found = {};
  EnumWindows(Collect, reinterpret_cast<LPARAM>(&found));
  return found;
}

void PrintUtf8(const wchar_t* text) {
  char utf8[1024] = "";
  WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8, sizeof utf8, nullptr, nullptr);
  printf("%s", utf8);
}

// The window commands: show, post, text.
int WindowCommand(const wchar_t* command, const wchar_t* className, const wchar_t* title, const wchar_t* value) {
  HWND window = FindWindowW(className, title);
  if (wcscmp(command, L"show") == 0) {
    const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(_wtoi(value)) * 1000;
    // A dialog or message box is shown, and activated by the dialog manager: wait for both,
    // so that its frame is painted in its final, active state.
    const bool dialog = wcscmp(className, L"#32770") == 0;
    while (!window || !IsWindowVisible(window) || (dialog && GetForegroundWindow() != window)) {
      if (GetTickCount64() > deadline) return 1;
      Sleep(50);
      window = FindWindowW(className, title);
    }
    // Painted now, synchronously, so that a screenshot taken next shows the whole window.
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    RECT frame, client;
    GetWindowRect(window, &frame);
    GetClientRect(window, &client);
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&client), 2);
    printf("%ld %ld %ld %ld %ld %ld %ld %ld\n", frame.left, frame.top, frame.right - frame.left,
           frame.bottom - frame.top, client.left, client.top, client.right - client.left, client.bottom - client.top);
    return 0;
  }
  if (wcscmp(command, L"gone") == 0) {
    const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(_wtoi(value)) * 1000;
    while (FindWindowW(className, title)) {
      if (GetTickCount64() > deadline) return 1;
      Sleep(50);
    }
    return 0;
  }
  if (!window) return 1;
  if (wcscmp(command, L"post") == 0)
    return PostMessageW(window, WM_COMMAND, static_cast<WPARAM>(wcstoul(value, nullptr, 0)), 0) ? 0 : 1;
  if (wcscmp(command, L"icon") == 0) {
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
      wchar_t name[8];
      if (GetClassNameW(child, name, 8) && _wcsicmp(name, L"Static") == 0 &&
          (GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
        RECT icon, client;
        GetClientRect(child, &icon);
        GetClientRect(window, &client);
        printf("%ld %ld %ld %ld\n", icon.right, icon.bottom, client.right, client.bottom);
        return 0;
      }
    }
    return 1;
  }
  if (wcscmp(command, L"text") == 0) {
    wchar_t text[256] = L"";
    if (!GetDlgItemTextW(window, static_cast<int>(wcstol(value, nullptr, 0)), text, 256) && GetLastError() != 0)
      return 1;
    PrintUtf8(text);
    printf("\n");
    return 0;
  }
  return 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc == 5 && (wcscmp(argv[1], L"show") == 0 || wcscmp(argv[1], L"gone") == 0 || wcscmp(argv[1], L"post") == 0 ||
                    wcscmp(argv[1], L"text") == 0 || wcscmp(argv[1], L"icon") == 0))
    return WindowCommand(argv[1], argv[2], argv[3], argv[4]);
  if (argc != 4) {
    fwprintf(stderr, L"usage: kvwin wait|close NAME.exe SECONDS, or kvwin show|gone|post|text|icon CLASS TITLE VALUE\n");
    return 2;
  }
  g_image = argv[2];
  const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(_wtoi(argv[3])) * 1000;
  if (wcscmp(argv[1], L"wait") == 0) {
    for (;;) {
      Found found = Find();
      if (found.count > 0) {
        Sleep(500);  // let it paint
        RECT r;
        GetWindowRect(found.windows[0], &r);
        wchar_t title[256] = L"";
        GetWindowTextW(found.windows[0], title, 256);
        char utf8[768] = "";
        WideCharToMultiByte(CP_UTF8, 0, title, -1, utf8, sizeof utf8, nullptr, nullptr);
        printf("window \"%s\" at %ld,%ld size %ldx%ld\n", utf8, r.left, r.top, r.right - r.left,
               r.bottom - r.top);
        return 0;
      }
      if (GetTickCount64() > deadline) return 1;
      Sleep(100);
    }
  }
  if (wcscmp(argv[1], L"close") == 0) {
    Found found = Find();
    HANDLE processes[64];
    int n = 0;
    for (int i = 0; i < found.count; ++i) {
      PostMessageW(found.windows[i], WM_CLOSE, 0, 0);
      HANDLE p = OpenProcess(SYNCHRONIZE, FALSE, found.pids[i]);
      if (p) processes[n++] = p;
    }
    bool ended = true;
    for (int i = 0; i < n; ++i) {
      ULONGLONG now = GetTickCount64();
      DWORD wait = now < deadline ? static_cast<DWORD>(deadline - now) : 0;
      if (WaitForSingleObject(processes[i], wait) != WAIT_OBJECT_0) ended = false;
      CloseHandle(processes[i]);
    }
    return ended ? 0 : 1;
  }
  fwprintf(stderr, L"kvwin: unknown command %ls\n", argv[1]);
  return 2;
}
