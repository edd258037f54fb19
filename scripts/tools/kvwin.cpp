// kvwin: a small helper that the run script uses inside the Wine session.
//   kvwin wait  NAME.exe SECONDS   waits until a process whose image is NAME.exe shows a visible
//                                  top-level window; prints its title and rectangle.
//   kvwin close NAME.exe SECONDS   sends WM_CLOSE to those windows and waits until the process ends.
// Exit code 0 on success, 1 on time-out, 2 on bad arguments.
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

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 4) {
    fwprintf(stderr, L"usage: kvwin wait|close NAME.exe SECONDS\n");
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
