#include "driver_support.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>

namespace e2e {

static int g_passed = 0, g_failed = 0;

void Note(const std::string& text) {
  std::printf("  note: %s\n", text.c_str());
  std::fflush(stdout);
}
int PassedCount() { return g_passed; }
int FailedCount() { return g_failed; }

std::string Utf8(const std::wstring& text) {
  if (text.empty()) return {};
  int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), (int)text.size(), nullptr, 0, nullptr, nullptr);
  std::string out(n, '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), (int)text.size(), &out[0], n, nullptr, nullptr);
  return out;
}

std::string Q(const std::wstring& text) {
  std::wstring out = L"\"";
  for (wchar_t c : text) {
    if (c == L'\n') out += L"\\n";
    else if (c < 0x20 || (c >= 0xD800 && c < 0xE000)) {
      wchar_t buf[8];
      swprintf(buf, 8, L"\\u%04x", (unsigned)c);
      out += buf;
    } else out += c;
  }
  return Utf8(out + L"\"");
}

std::string Printf(const char* format, ...) {
  char buf[2048];
  va_list ap;
  va_start(ap, format);
  vsnprintf(buf, sizeof buf, format, ap);
  va_end(ap);
  return buf;
}

bool CheckTrue(const char* file, int line, bool ok, const std::string& what) {
  if (ok) {
    ++g_passed;
    return true;
  }
  ++g_failed;
  const char* base = file;
  for (const char* p = file; *p; ++p)
    if (*p == '/' || *p == '\\') base = p + 1;
  std::printf("  FAIL %s:%d: %s\n", base, line, what.c_str());
  std::fflush(stdout);
  return false;
}

bool CheckEqInt(const char* file, int line, long long actual, long long expected, const char* what) {
  return CheckTrue(file, line, actual == expected, Printf("%s is %lld, expected %lld", what, actual, expected));
}

bool CheckEqText(const char* file, int line, const std::wstring& actual, const std::wstring& expected,
                 const char* what) {
  return CheckTrue(file, line, actual == expected,
                   Printf("%s is %s, expected %s", what, Q(actual).c_str(), Q(expected).c_str()));
}

std::vector<ScenarioInfo>& Scenarios() {
  static std::vector<ScenarioInfo> list;
  return list;
}

bool RunningUnderWine() {
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

uint64_t Now() { return GetTickCount64(); }
void Pause(DWORD ms) { Sleep(ms); }

bool WaitFor(const std::function<bool()>& done, DWORD timeoutMs) {
  const uint64_t end = Now() + timeoutMs;
  for (;;) {
    if (done()) return true;
    if (Now() >= end) return false;
    Sleep(20);
  }
}

// ---------------------------------------------------------------------------------------------
// Registry

RegValue ReadValue(const wchar_t* name, const wchar_t* key) {
  RegValue v;
  HKEY h;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, key, 0, KEY_READ, &h) != ERROR_SUCCESS) return v;
  DWORD size = 0;
  if (RegQueryValueExW(h, name, nullptr, &v.type, nullptr, &size) == ERROR_SUCCESS) {
    v.data.resize(size);
    v.exists = RegQueryValueExW(h, name, nullptr, &v.type, v.data.data(), &size) == ERROR_SUCCESS;
    v.data.resize(v.exists ? size : 0);
  }
  RegCloseKey(h);
  return v;
}

bool WriteValue(const wchar_t* name, DWORD type, const void* data, DWORD size) {
  HKEY h;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &h, nullptr))
    return false;
  bool ok = RegSetValueExW(h, name, 0, type, static_cast<const BYTE*>(data), size) == ERROR_SUCCESS;
  RegCloseKey(h);
  return ok;
}

static void DeleteValueIn(const wchar_t* key, const wchar_t* name) {
  HKEY h;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, key, 0, KEY_ALL_ACCESS, &h) != ERROR_SUCCESS) return;
  RegDeleteValueW(h, name);
  RegCloseKey(h);
}

void DeleteValue(const wchar_t* name) { DeleteValueIn(kSettingsKey, name); }

void ClearSettingsKey() {
  HKEY h;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_ALL_ACCESS, &h) == ERROR_SUCCESS) {
    wchar_t name[256];
    DWORD len = 256;
    while (RegEnumValueW(h, 0, name, &len, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS &&
           RegDeleteValueW(h, name) == ERROR_SUCCESS)
      len = 256;
    RegCloseKey(h);
    RegDeleteKeyW(HKEY_CURRENT_USER, kSettingsKey);
  }
  DeleteValueIn(kRunOnceKey, L"Korvalinde");
}

uint32_t LeU32(const std::vector<uint8_t>& d, size_t o) {
  if (d.size() < o + 4) return 0;
  return d[o] | (d[o + 1] << 8) | (d[o + 2] << 16) | ((uint32_t)d[o + 3] << 24);
}

uint64_t LeU64(const std::vector<uint8_t>& d, size_t o) { return LeU32(d, o) | ((uint64_t)LeU32(d, o + 4) << 32); }

uint64_t LocalFileTimeNow() {
  SYSTEMTIME st;
  GetLocalTime(&st);
  FILETIME ft;
  SystemTimeToFileTime(&st, &ft);
  return ((uint64_t)ft.dwHighDateTime << 32) | ft.dwLowDateTime;
}

// ---------------------------------------------------------------------------------------------
// Windows of other processes

LRESULT SendWithTimeout(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, DWORD timeoutMs, bool* ok) {
  DWORD_PTR result = 0;
  LRESULT r = SendMessageTimeoutW(hwnd, msg, wp, lp, SMTO_ABORTIFHUNG | SMTO_BLOCK, timeoutMs, &result);
  if (ok) *ok = r != 0;
  return (LRESULT)result;
}

std::wstring WindowText(HWND hwnd) {
  if (!hwnd) return {};
  wchar_t buf[1024] = {};
  bool ok = false;
  LRESULT n = SendWithTimeout(hwnd, WM_GETTEXT, 1024, (LPARAM)buf, 2000, &ok);
  if (!ok) n = GetWindowTextW(hwnd, buf, 1024);  // the owner is busy: the text the system keeps
  return std::wstring(buf, buf + (n < 0 ? 0 : n > 1023 ? 1023 : n));
}

std::wstring ClassName(HWND hwnd) {
  wchar_t buf[256] = {};
  int n = GetClassNameW(hwnd, buf, 256);
  return std::wstring(buf, buf + (n > 0 ? n : 0));
}

namespace {
struct EnumCtx {
  DWORD pid;
  const wchar_t* cls;
  const wchar_t* caption;
  bool visibleOnly;
  std::vector<HWND> out;
};
BOOL CALLBACK EnumTop(HWND hwnd, LPARAM lp) {
  auto* ctx = reinterpret_cast<EnumCtx*>(lp);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  wchar_t caption[512] = {};
  if (ctx->caption) GetWindowTextW(hwnd, caption, 512);
  if ((!ctx->pid || pid == ctx->pid) && (!ctx->visibleOnly || IsWindowVisible(hwnd)) &&
      ClassName(hwnd) == ctx->cls && (!ctx->caption || lstrcmpW(caption, ctx->caption) == 0))
    ctx->out.push_back(hwnd);
  return TRUE;
}
}  // namespace

std::vector<HWND> TopWindows(DWORD pid, const wchar_t* cls, const wchar_t* caption, bool visibleOnly) {
  EnumCtx ctx{pid, cls, caption, visibleOnly, {}};
  EnumWindows(EnumTop, (LPARAM)&ctx);
  return ctx.out;
}

std::wstring MessageBoxText(HWND box) { return WindowText(GetDlgItem(box, 0xFFFF)); }

void PressDialogButton(HWND dialog, int id) {
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)GetDlgItem(dialog, id));
}

bool SetControlText(HWND control, const std::wstring& text) {
  bool ok = false;
  SendWithTimeout(control, WM_SETTEXT, 0, (LPARAM)text.c_str(), 3000, &ok);
  return ok;
}

HWND ThreadActive(HWND window) {
  GUITHREADINFO gi{};
  gi.cbSize = sizeof gi;
  return GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &gi) ? gi.hwndActive : nullptr;
}

// ---------------------------------------------------------------------------------------------
// Input

static void KeyEvent(WORD vk, bool up) {
  INPUT in{};
  in.type = INPUT_KEYBOARD;
  in.ki.wVk = vk;
  in.ki.wScan = (WORD)MapVirtualKeyW(vk, MAPVK_VK_TO_VSC);
  in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  SendInput(1, &in, sizeof in);
  Sleep(15);
}

void PressKey(WORD vk, int modifiers) {
  const WORD mods[] = {VK_CONTROL, VK_MENU, VK_SHIFT};
  for (int i = 0; i < 3; ++i)
    if (modifiers & (1 << i)) KeyEvent(mods[i], false);
  KeyEvent(vk, false);
  KeyEvent(vk, true);
  for (int i = 2; i >= 0; --i)
    if (modifiers & (1 << i)) KeyEvent(mods[i], true);
}

void ClickScreen(int x, int y) {
  const int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
  INPUT in[3] = {};
  const DWORD flags[3] = {MOUSEEVENTF_MOVE, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP};
  for (int i = 0; i < 3; ++i) {
    in[i].type = INPUT_MOUSE;
    in[i].mi.dx = (LONG)((x * 65535LL + (sw - 1) / 2) / (sw - 1));
    in[i].mi.dy = (LONG)((y * 65535LL + (sh - 1) / 2) / (sh - 1));
    in[i].mi.dwFlags = flags[i] | MOUSEEVENTF_ABSOLUTE;
  }
  SendInput(3, in, sizeof(INPUT));
  Sleep(30);
}

bool BringForeground(HWND window) {
  if (GetForegroundWindow() == window) return true;
  SetForegroundWindow(window);
  if (!WaitFor([&] { return GetForegroundWindow() == window; }, 300)) {  // not given: click the caption
    RECT r{};
    GetWindowRect(window, &r);
    ClickScreen((r.left + r.right) / 2, r.top + GetSystemMetrics(SM_CYCAPTION) / 2 + 1);
  }
  return WaitFor([&] { return GetForegroundWindow() == window; }, 1500);
}

Metrics DefaultFontMetrics() {
  Metrics m;
  HDC dc = GetDC(nullptr);
  TEXTMETRICW tm{};
  if (dc && GetTextMetricsW(dc, &tm)) {
    m.lineHeight = tm.tmHeight + tm.tmExternalLeading;
    m.charWidth = tm.tmAveCharWidth;
  }
  if (dc) ReleaseDC(nullptr, dc);
  return m;
}

// ---------------------------------------------------------------------------------------------
// Screen capture and PNG

COLORREF Capture::Pixel(int x, int y) const {
  if (x < 0 || y < 0 || x >= width || y >= height) return CLR_INVALID;
  uint32_t p = rgb[(size_t)y * width + x];
  return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
}

std::string Rgb(COLORREF c) {
  return c == CLR_INVALID ? "(outside)" : Printf("RGB(%d,%d,%d)", GetRValue(c), GetGValue(c), GetBValue(c));
}

Capture CaptureScreenRect(const RECT& r) {
  Capture c;
  const int w = r.right - r.left, h = r.bottom - r.top;
  if (w <= 0 || h <= 0) return c;
  HDC screen = GetDC(nullptr);
  HDC mem = CreateCompatibleDC(screen);
  BITMAPINFO bi{};
  bi.bmiHeader = {sizeof bi.bmiHeader, w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HBITMAP bmp = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (bmp && bits) {
    HGDIOBJ old = SelectObject(mem, bmp);
    BitBlt(mem, 0, 0, w, h, screen, r.left, r.top, SRCCOPY | CAPTUREBLT);
    GdiFlush();
    const uint32_t* px = static_cast<const uint32_t*>(bits);
    c.rgb.assign(px, px + (size_t)w * h);
    for (auto& p : c.rgb) p &= 0x00FFFFFF;
    c.width = w;
    c.height = h;
    SelectObject(mem, old);
  }
  if (bmp) DeleteObject(bmp);
  DeleteDC(mem);
  ReleaseDC(nullptr, screen);
  return c;
}

Capture CaptureClient(HWND hwnd) {
  RECT r{};
  GetClientRect(hwnd, &r);
  MapWindowPoints(hwnd, nullptr, reinterpret_cast<POINT*>(&r), 2);
  return CaptureScreenRect(r);
}

namespace {
uint32_t Crc32(const uint8_t* p, size_t n) {
  uint32_t crc = ~0u;
  for (size_t i = 0; i < n; ++i) {
    crc ^= p[i];
    for (int k = 0; k < 8; ++k) crc = (crc & 1) ? 0xEDB88320u ^ (crc >> 1) : crc >> 1;
  }
  return ~crc;
}

void PutBe32(std::vector<uint8_t>& out, uint32_t v) {
  for (int s = 24; s >= 0; s -= 8) out.push_back((uint8_t)(v >> s));
}

void Chunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& data) {
  PutBe32(out, (uint32_t)data.size());
  size_t start = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), data.begin(), data.end());
  PutBe32(out, Crc32(out.data() + start, out.size() - start));
}

// An RGB PNG with stored (uncompressed) deflate blocks.
std::vector<uint8_t> EncodePng(const Capture& c) {
  std::vector<uint8_t> raw;
  for (int y = 0; y < c.height; ++y) {
    raw.push_back(0);
    for (int x = 0; x < c.width; ++x) {
      uint32_t p = c.rgb[(size_t)y * c.width + x];
      raw.insert(raw.end(), {(uint8_t)(p >> 16), (uint8_t)(p >> 8), (uint8_t)p});
    }
  }
  std::vector<uint8_t> z = {0x78, 0x01};
  for (size_t pos = 0; pos < raw.size();) {
    size_t n = std::min<size_t>(raw.size() - pos, 65535);
    z.insert(z.end(), {(uint8_t)(pos + n == raw.size()), (uint8_t)n, (uint8_t)(n >> 8), (uint8_t)~n,
                       (uint8_t)(~n >> 8)});
    z.insert(z.end(), raw.begin() + pos, raw.begin() + pos + n);
    pos += n;
  }
  uint32_t a = 1, b = 0;
  for (uint8_t v : raw) {
    a = (a + v) % 65521;
    b = (b + a) % 65521;
  }
  PutBe32(z, (b << 16) | a);
  std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'}, ihdr;
  PutBe32(ihdr, c.width);
  PutBe32(ihdr, c.height);
  ihdr.insert(ihdr.end(), {8, 2, 0, 0, 0});
  Chunk(png, "IHDR", ihdr);
  Chunk(png, "IDAT", z);
  Chunk(png, "IEND", {});
  return png;
}

std::wstring EnvPath(const wchar_t* name, const wchar_t* fallback) {
  wchar_t buf[MAX_PATH] = {};
  DWORD n = GetEnvironmentVariableW(name, buf, MAX_PATH);
  std::wstring path = (n > 0 && n < MAX_PATH) ? buf : fallback;
  if (!path.empty() && path[0] == L'/') path = L"Z:" + path;  // a Unix path: Wine's drive Z:
  for (auto& c : path)
    if (c == L'/') c = L'\\';
  return path;
}
}  // namespace

void Shot(HWND owner, HWND shown, const std::string& name) {
  Pause(650);
  RedrawWindow(owner, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  if (shown && shown != owner)
    RedrawWindow(shown, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  SendWithTimeout(owner, WM_NULL, 0, 0);
  Pause(150);
  RECT r = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  if (shown) GetWindowRect(shown, &r);
  Capture c = CaptureScreenRect(r);
  std::wstring dir = EnvPath(L"KORVALINDE_SHOTS", L"screenshots");
  for (size_t i = 3; i <= dir.size(); ++i)
    if (i == dir.size() || dir[i] == L'\\') CreateDirectoryW(dir.substr(0, i).c_str(), nullptr);
  std::wstring path = dir + L"\\" + std::wstring(name.begin(), name.end()) + L".png";
  std::vector<uint8_t> png = EncodePng(c);
  HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  DWORD written = 0;
  bool ok = c.width > 0 && f != INVALID_HANDLE_VALUE && WriteFile(f, png.data(), (DWORD)png.size(), &written, nullptr);
  if (f != INVALID_HANDLE_VALUE) CloseHandle(f);
  Note((ok ? "screenshot " : "cannot write ") + Utf8(path));
}

// ---------------------------------------------------------------------------------------------
// Decoy

Decoy::Decoy() {
  ready_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  thread_ = CreateThread(nullptr, 0, &Decoy::Thread, this, 0, &threadId_);
  WaitForSingleObject(ready_, 3000);
}

Decoy::~Decoy() {
  PostThreadMessageW(threadId_, WM_QUIT, 0, 0);
  WaitForSingleObject(thread_, 3000);
  CloseHandle(thread_);
  CloseHandle(ready_);
}

DWORD WINAPI Decoy::Thread(LPVOID p) {
  auto* self = static_cast<Decoy*>(p);
  WNDCLASSW wc{};
  wc.lpfnWndProc = DefWindowProcW;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"KorvalindeE2EDecoy";
  wc.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
  RegisterClassW(&wc);
  self->hwnd_ = CreateWindowExW(0, wc.lpszClassName, L"decoy", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 560, 440, 220, 140,
                                nullptr, nullptr, wc.hInstance, nullptr);
  SetEvent(self->ready_);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  DestroyWindow(self->hwnd_);
  return 0;
}

bool Decoy::TakeForeground() { return BringForeground(hwnd_); }

// ---------------------------------------------------------------------------------------------
// The program under test

static bool Launch(const std::vector<std::wstring>& args, PROCESS_INFORMATION* pi) {
  const std::wstring exe = EnvPath(L"KORVALINDE_EXE", L"Korvalinde.exe");
  std::wstring cmd = L"\"" + exe + L"\"";
  for (const auto& a : args) {
    cmd += L" \"";
    for (wchar_t c : a) cmd += c == L'"' ? std::wstring(L"\\\"") : std::wstring(1, c);
    cmd += L"\"";
  }
  STARTUPINFOW si{};
  si.cb = sizeof si;
  if (CreateProcessW(exe.c_str(), &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, pi)) return true;
  Note(Printf("CreateProcessW(%s) failed with error %lu", Utf8(exe).c_str(), GetLastError()));
  return false;
}

static DWORD WaitChild(PROCESS_INFORMATION& pi, DWORD timeoutMs, DWORD failCode) {
  DWORD code = failCode;
  if (WaitForSingleObject(pi.hProcess, timeoutMs) == WAIT_OBJECT_0) GetExitCodeProcess(pi.hProcess, &code);
  else TerminateProcess(pi.hProcess, failCode);
  WaitForSingleObject(pi.hProcess, 2000);
  CloseHandle(pi.hProcess);
  CloseHandle(pi.hThread);
  return code;
}

App::~App() {
  Kill();
  if (pi_.hProcess) CloseHandle(pi_.hProcess);
  if (pi_.hThread) CloseHandle(pi_.hThread);
}

bool App::Start(const std::vector<std::wstring>& args, DWORD timeoutMs) {
  if (!Launch(args, &pi_)) return false;
  WaitFor([&] {
    auto list = TopWindows(Pid(), kMainClass);
    hwnd_ = list.empty() ? nullptr : list.front();
    return hwnd_ != nullptr || !Running();
  }, timeoutMs);
  if (!hwnd_) return false;
  WaitForInputIdle(pi_.hProcess, 2000);
  Sleep(100);
  return true;
}

long App::RunSecondInstance(const std::vector<std::wstring>& args) {
  PROCESS_INFORMATION pi{};
  return Launch(args, &pi) ? (long)WaitChild(pi, 8000, (DWORD)-1) : -1;
}

bool App::Running() const { return pi_.hProcess && WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT; }

bool App::WaitExit(DWORD timeoutMs, DWORD* exitCode) {
  if (WaitForSingleObject(pi_.hProcess, timeoutMs) != WAIT_OBJECT_0) return false;
  if (exitCode) GetExitCodeProcess(pi_.hProcess, exitCode);
  return true;
}

bool App::Close() {
  if (!Running()) return true;
  PostMessageW(hwnd_, WM_CLOSE, 0, 0);
  return WaitExit(5000);
}

void App::Kill() {
  if (!Running()) return;
  TerminateProcess(pi_.hProcess, 99);
  WaitForSingleObject(pi_.hProcess, 3000);
}

bool App::Enabled(int id) const {
  HWND c = Control(id);
  return c && IsWindowEnabled(c);
}

int App::CheckState(int id) const {
  HWND c = Control(id);
  return c ? (int)SendWithTimeout(c, BM_GETCHECK, 0, 0) : -1;
}

RECT App::ControlClientRect(int id) const {
  RECT r{};
  if (HWND c = Control(id)) {
    GetWindowRect(c, &r);
    MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&r), 2);
  }
  return r;
}

RECT App::ClientRect() const {
  RECT r{};
  GetClientRect(hwnd_, &r);
  return r;
}

RECT App::WindowRect() const {
  RECT r{};
  GetWindowRect(hwnd_, &r);
  return r;
}

int App::RowCount() const {
  int n = 0;
  for (int i = 0; i <= kMaxRows; ++i) n += Exists(ID_ROW_LABEL + i);
  return n;
}

void App::Command(int id) { PostMessageW(hwnd_, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)Control(id)); }

bool App::AddRequest(const std::wstring& text) {
  bool ok = false;
  SendWithTimeout(hwnd_, kLbAddFile, 0, (LPARAM)text.c_str(), 3000, &ok);
  return ok;
}

void App::Key(WORD vk, int modifiers) {
  BringForeground(hwnd_);
  PressKey(vk, modifiers);
  Sleep(60);
}

HWND App::FindDialog(const wchar_t* caption) const {
  auto list = TopWindows(Pid(), L"#32770", caption);
  return list.empty() ? nullptr : list.front();
}

HWND App::WaitDialog(const wchar_t* caption, DWORD timeoutMs) const {
  HWND found = nullptr;
  WaitFor([&] { return (found = FindDialog(caption)) != nullptr; }, timeoutMs);
  return found;
}

bool App::WaitDialogGone(HWND dialog, DWORD timeoutMs) const {
  return WaitFor([&] { return !IsWindow(dialog) || !IsWindowVisible(dialog); }, timeoutMs);
}

size_t App::CountDialogs(const wchar_t* caption) const { return TopWindows(Pid(), L"#32770", caption).size(); }

void EndStrayInstances() {
  for (int round = 0; round < 5; ++round) {
    auto list = TopWindows(0, kMainClass, nullptr, false);
    if (list.empty()) return;
    for (HWND h : list) {
      DWORD pid = 0;
      GetWindowThreadProcessId(h, &pid);
      if (HANDLE p = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid)) {
        TerminateProcess(p, 99);
        WaitForSingleObject(p, 3000);
        CloseHandle(p);
      }
    }
  }
}

DWORD SendNullRequest(HWND target) {
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring cmd = L"\"" + std::wstring(self) + L"\" --send-null-request " +
                     std::to_wstring((unsigned long long)(uintptr_t)target);
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(self, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return 97;
  return WaitChild(pi, 8000, 98);
}

}  // namespace e2e
