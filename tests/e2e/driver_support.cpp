// End-to-end driver support: process control, window inspection, input, registry, screen
// capture and the reporter.
#include "driver_support.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>

namespace e2e {

// ---------------------------------------------------------------------------------------------
// Reporter

static int g_passed = 0;
static int g_failed = 0;

static void WriteOut(const std::string& text) {
  fwrite(text.data(), 1, text.size(), stdout);
  fflush(stdout);
}

void Pass() { ++g_passed; }
void Fail(const char* file, int line, const std::string& what) {
  ++g_failed;
  const char* base = file;
  for (const char* p = file; *p; ++p)
    if (*p == '/' || *p == '\\') base = p + 1;
  WriteOut(Printf("  FAIL %s:%d: %s\n", base, line, what.c_str()));
}
void Note(const std::string& text) { WriteOut("  note: " + text + "\n"); }
int PassedCount() { return g_passed; }
int FailedCount() { return g_failed; }

std::string Utf8(const std::wstring& text) {
  if (text.empty()) return {};
  int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), (int)text.size(), nullptr, 0, nullptr, nullptr);
  std::string out(n, '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), (int)text.size(), &out[0], n, nullptr, nullptr);
  return out;
}

std::wstring Quoted(const std::wstring& text) {
  std::wstring out = L"\"";
  for (wchar_t c : text) {
    if (c == L'\n') out += L"\\n";
    else if (c == L'\r') out += L"\\r";
    else if (c == L'\t') out += L"\\t";
    else if (c < 0x20) {
      wchar_t buf[8];
      swprintf(buf, 8, L"\\x%02x", (unsigned)c);
      out += buf;
    } else out += c;
  }
  return out + L"\"";
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
  if (ok) Pass();
  else Fail(file, line, what);
  return ok;
}

bool CheckEqInt(const char* file, int line, long long actual, long long expected, const char* what) {
  if (actual == expected) {
    Pass();
    return true;
  }
  Fail(file, line, Printf("%s is %lld, expected %lld", what, actual, expected));
  return false;
}

bool CheckEqText(const char* file, int line, const std::wstring& actual, const std::wstring& expected,
                 const char* what) {
  if (actual == expected) {
    Pass();
    return true;
  }
  Fail(file, line, Printf("%s is %s, expected %s", what, Utf8(Quoted(actual)).c_str(), Utf8(Quoted(expected)).c_str()));
  return false;
}

// ---------------------------------------------------------------------------------------------
// Scenario registry

std::vector<ScenarioInfo>& Scenarios() {
  static std::vector<ScenarioInfo> list;
  return list;
}

ScenarioRegistrar::ScenarioRegistrar(const char* name, ScenarioFn fn, const char* file) {
  Scenarios().push_back({name, fn, file});
}

bool RunningUnderWine() {
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

// ---------------------------------------------------------------------------------------------
// Time

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
  DWORD type = 0, size = 0;
  if (RegQueryValueExW(h, name, nullptr, &type, nullptr, &size) == ERROR_SUCCESS) {
    v.data.resize(size);
    if (RegQueryValueExW(h, name, nullptr, &type, size ? v.data.data() : nullptr, &size) == ERROR_SUCCESS) {
      v.exists = true;
      v.type = type;
      v.data.resize(size);
    } else {
      v.data.clear();
    }
  }
  RegCloseKey(h);
  return v;
}

bool WriteValue(const wchar_t* name, DWORD type, const void* data, DWORD size, const wchar_t* key) {
  HKEY h;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &h, nullptr) != ERROR_SUCCESS)
    return false;
  bool ok = RegSetValueExW(h, name, 0, type, static_cast<const BYTE*>(data), size) == ERROR_SUCCESS;
  RegCloseKey(h);
  return ok;
}

void DeleteValue(const wchar_t* name, const wchar_t* key) {
  HKEY h;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, key, 0, KEY_ALL_ACCESS, &h) != ERROR_SUCCESS) return;
  RegDeleteValueW(h, name);
  RegCloseKey(h);
}

bool KeyExists(const wchar_t* key) {
  HKEY h;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, key, 0, KEY_READ, &h) != ERROR_SUCCESS) return false;
  RegCloseKey(h);
  return true;
}

void ClearSettingsKey() {
  HKEY h;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_ALL_ACCESS, &h) == ERROR_SUCCESS) {
    // The key has values only; remove them, then the key itself.
    for (;;) {
      wchar_t name[256];
      DWORD len = 256;
      if (RegEnumValueW(h, 0, name, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
      if (RegDeleteValueW(h, name) != ERROR_SUCCESS) break;
    }
    RegCloseKey(h);
    RegDeleteKeyW(HKEY_CURRENT_USER, kSettingsKey);
  }
  DeleteValue(L"Korvalinde", kRunOnceKey);
}

uint32_t LeU32(const std::vector<uint8_t>& d, size_t o) {
  if (d.size() < o + 4) return 0;
  return d[o] | (d[o + 1] << 8) | (d[o + 2] << 16) | ((uint32_t)d[o + 3] << 24);
}

uint64_t LeU64(const std::vector<uint8_t>& d, size_t o) {
  return LeU32(d, o) | ((uint64_t)LeU32(d, o + 4) << 32);
}

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
  if (!ok) {
    // The owner is busy: fall back to the text the system keeps for the window.
    n = GetWindowTextW(hwnd, buf, 1024);
  }
  if (n < 0) n = 0;
  if (n > 1023) n = 1023;
  return std::wstring(buf, buf + n);
}

std::wstring ClassName(HWND hwnd) {
  wchar_t buf[256] = {};
  int n = GetClassNameW(hwnd, buf, 256);
  return std::wstring(buf, buf + (n > 0 ? n : 0));
}

DWORD WindowProcessId(HWND hwnd) {
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  return pid;
}

RECT ScreenRect(HWND hwnd) {
  RECT r{};
  GetWindowRect(hwnd, &r);
  return r;
}

namespace {
struct EnumCtx {
  DWORD pid;
  const wchar_t* cls;
  const wchar_t* caption;
  bool visibleOnly;
  std::vector<HWND>* out;
};
BOOL CALLBACK EnumTop(HWND hwnd, LPARAM lp) {
  auto* ctx = reinterpret_cast<EnumCtx*>(lp);
  if (ctx->pid && WindowProcessId(hwnd) != ctx->pid) return TRUE;
  if (ctx->visibleOnly && !IsWindowVisible(hwnd)) return TRUE;
  if (ctx->cls && ClassName(hwnd) != ctx->cls) return TRUE;
  if (ctx->caption) {
    wchar_t buf[512] = {};
    GetWindowTextW(hwnd, buf, 512);
    if (lstrcmpW(buf, ctx->caption) != 0) return TRUE;
  }
  ctx->out->push_back(hwnd);
  return TRUE;
}
}  // namespace

std::vector<HWND> TopWindows(DWORD pid, const wchar_t* cls, const wchar_t* caption, bool visibleOnly) {
  std::vector<HWND> out;
  EnumCtx ctx{pid, cls, caption, visibleOnly, &out};
  EnumWindows(EnumTop, (LPARAM)&ctx);
  return out;
}

namespace {
BOOL CALLBACK EnumStaticText(HWND hwnd, LPARAM lp) {
  auto* out = reinterpret_cast<std::wstring*>(lp);
  std::wstring cls = ClassName(hwnd);
  if (lstrcmpiW(cls.c_str(), L"Static") != 0) return TRUE;
  std::wstring t = WindowText(hwnd);
  if (!t.empty()) {
    *out = t;
    return FALSE;
  }
  return TRUE;
}
}  // namespace

std::wstring MessageBoxText(HWND box) {
  // The message text is the box's static control 0xFFFF; look for any static with text if the
  // platform numbers it differently.
  HWND text = GetDlgItem(box, 0xFFFF);
  if (text) return WindowText(text);
  std::wstring out;
  EnumChildWindows(box, EnumStaticText, (LPARAM)&out);
  return out;
}

void PressDialogButton(HWND dialog, int id) {
  HWND button = GetDlgItem(dialog, id);
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)button);
}

bool SetControlText(HWND control, const std::wstring& text) {
  bool ok = false;
  SendWithTimeout(control, WM_SETTEXT, 0, (LPARAM)text.c_str(), 3000, &ok);
  return ok;
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
  if (modifiers & kCtrl) KeyEvent(VK_CONTROL, false);
  if (modifiers & kAlt) KeyEvent(VK_MENU, false);
  if (modifiers & kShift) KeyEvent(VK_SHIFT, false);
  KeyEvent(vk, false);
  KeyEvent(vk, true);
  if (modifiers & kShift) KeyEvent(VK_SHIFT, true);
  if (modifiers & kAlt) KeyEvent(VK_MENU, true);
  if (modifiers & kCtrl) KeyEvent(VK_CONTROL, true);
}

void ClickScreen(int x, int y) {
  const int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
  INPUT in[3] = {};
  for (auto& i : in) {
    i.type = INPUT_MOUSE;
    i.mi.dx = (LONG)((x * 65535LL + (sw - 1) / 2) / (sw - 1));
    i.mi.dy = (LONG)((y * 65535LL + (sh - 1) / 2) / (sh - 1));
  }
  in[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  in[1].mi.dwFlags = MOUSEEVENTF_LEFTDOWN | MOUSEEVENTF_ABSOLUTE;
  in[2].mi.dwFlags = MOUSEEVENTF_LEFTUP | MOUSEEVENTF_ABSOLUTE;
  SendInput(3, in, sizeof(INPUT));
  Sleep(30);
}

// ---------------------------------------------------------------------------------------------
// Metrics

Metrics DefaultFontMetrics() {
  // A device context with its default font, as the main window measures its own.
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
// Capture and PNG

COLORREF Capture::Pixel(int x, int y) const {
  if (x < 0 || y < 0 || x >= width || y >= height) return CLR_INVALID;
  uint32_t p = bgr[(size_t)y * width + x];
  return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
}

std::string Rgb(COLORREF c) {
  if (c == CLR_INVALID) return "(outside)";
  return Printf("RGB(%d,%d,%d)", GetRValue(c), GetGValue(c), GetBValue(c));
}

Capture CaptureScreenRect(const RECT& r) {
  Capture c;
  c.screen = r;
  c.width = r.right - r.left;
  c.height = r.bottom - r.top;
  if (c.width <= 0 || c.height <= 0) {
    c.width = c.height = 0;
    return c;
  }
  HDC screen = GetDC(nullptr);
  HDC mem = CreateCompatibleDC(screen);
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = c.width;
  bi.bmiHeader.biHeight = -c.height;  // top-down
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bmp = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (bmp && bits) {
    HGDIOBJ old = SelectObject(mem, bmp);
    BitBlt(mem, 0, 0, c.width, c.height, screen, r.left, r.top, SRCCOPY | CAPTUREBLT);
    GdiFlush();
    const uint32_t* px = static_cast<const uint32_t*>(bits);
    c.bgr.assign(px, px + (size_t)c.width * c.height);
    for (auto& p : c.bgr) p &= 0x00FFFFFF;
    SelectObject(mem, old);
  } else {
    c.width = c.height = 0;
  }
  if (bmp) DeleteObject(bmp);
  DeleteDC(mem);
  ReleaseDC(nullptr, screen);
  return c;
}

Capture CaptureWindow(HWND hwnd) { return CaptureScreenRect(ScreenRect(hwnd)); }

Capture CaptureClient(HWND hwnd) {
  RECT r{};
  GetClientRect(hwnd, &r);
  MapWindowPoints(hwnd, nullptr, reinterpret_cast<POINT*>(&r), 2);
  return CaptureScreenRect(r);
}

namespace {
uint32_t Crc32(const uint8_t* p, size_t n, uint32_t crc = 0) {
  static uint32_t table[256];
  static bool ready = false;
  if (!ready) {
    for (uint32_t i = 0; i < 256; ++i) {
      uint32_t c = i;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      table[i] = c;
    }
    ready = true;
  }
  crc = ~crc;
  for (size_t i = 0; i < n; ++i) crc = table[(crc ^ p[i]) & 0xFF] ^ (crc >> 8);
  return ~crc;
}

void PutBe32(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(v >> 24);
  out.push_back(v >> 16);
  out.push_back(v >> 8);
  out.push_back(v);
}

void Chunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& data) {
  PutBe32(out, (uint32_t)data.size());
  size_t start = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), data.begin(), data.end());
  PutBe32(out, Crc32(out.data() + start, out.size() - start));
}

std::wstring ShotDir() {
  wchar_t buf[MAX_PATH] = {};
  DWORD n = GetEnvironmentVariableW(L"KORVALINDE_SHOTS", buf, MAX_PATH);
  std::wstring dir = (n > 0 && n < MAX_PATH) ? std::wstring(buf) : std::wstring(L"screenshots");
  // A Unix path from the shell: Wine maps the file system root to drive Z:.
  if (!dir.empty() && dir[0] == L'/') dir = L"Z:" + dir;
  return dir;
}

void MakeDirs(const std::wstring& dir) {
  for (size_t i = 3; i <= dir.size(); ++i)
    if (i == dir.size() || dir[i] == L'\\' || dir[i] == L'/') CreateDirectoryW(dir.substr(0, i).c_str(), nullptr);
}
}  // namespace

bool SavePng(const Capture& c, const std::string& name) {
  if (c.width <= 0 || c.height <= 0) return false;
  // Raw scanlines (filter 0, RGB), stored in uncompressed deflate blocks.
  std::vector<uint8_t> raw;
  raw.reserve((size_t)c.height * (c.width * 3 + 1));
  for (int y = 0; y < c.height; ++y) {
    raw.push_back(0);
    for (int x = 0; x < c.width; ++x) {
      uint32_t p = c.bgr[(size_t)y * c.width + x];
      raw.push_back((p >> 16) & 0xFF);
      raw.push_back((p >> 8) & 0xFF);
      raw.push_back(p & 0xFF);
    }
  }
  std::vector<uint8_t> z = {0x78, 0x01};
  size_t pos = 0;
  do {
    size_t n = raw.size() - pos;
    if (n > 65535) n = 65535;
    bool last = pos + n == raw.size();
    z.push_back(last ? 1 : 0);
    z.push_back(n & 0xFF);
    z.push_back(n >> 8);
    z.push_back(~n & 0xFF);
    z.push_back((~n >> 8) & 0xFF);
    z.insert(z.end(), raw.begin() + pos, raw.begin() + pos + n);
    pos += n;
  } while (pos < raw.size());
  uint32_t a = 1, b = 0;
  for (uint8_t v : raw) {
    a = (a + v) % 65521;
    b = (b + a) % 65521;
  }
  PutBe32(z, (b << 16) | a);

  std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<uint8_t> ihdr;
  PutBe32(ihdr, c.width);
  PutBe32(ihdr, c.height);
  ihdr.insert(ihdr.end(), {8, 2, 0, 0, 0});
  Chunk(png, "IHDR", ihdr);
  Chunk(png, "IDAT", z);
  Chunk(png, "IEND", {});

  std::wstring dir = ShotDir();
  MakeDirs(dir);
  std::wstring path = dir + L"\\" + std::wstring(name.begin(), name.end()) + L".png";
  HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) {
    Note("cannot write " + Utf8(path));
    return false;
  }
  DWORD written = 0;
  bool ok = WriteFile(f, png.data(), (DWORD)png.size(), &written, nullptr) && written == png.size();
  CloseHandle(f);
  if (ok) Note("screenshot " + Utf8(path));
  return ok;
}

// ---------------------------------------------------------------------------------------------
// Decoy

Decoy::Decoy() {
  ready_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  thread_ = CreateThread(nullptr, 0, &Decoy::Thread, this, 0, &threadId_);
  WaitForSingleObject(ready_, 3000);
}

Decoy::~Decoy() {
  if (thread_) {
    PostThreadMessageW(threadId_, WM_QUIT, 0, 0);
    WaitForSingleObject(thread_, 3000);
    CloseHandle(thread_);
  }
  if (ready_) CloseHandle(ready_);
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

bool Decoy::TakeForeground() {
  SetForegroundWindow(hwnd_);
  if (GetForegroundWindow() != hwnd_) {
    RECT r = ScreenRect(hwnd_);
    ClickScreen((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  }
  return WaitFor([&] { return GetForegroundWindow() == hwnd_; }, 1000);
}

// ---------------------------------------------------------------------------------------------
// The program under test

std::wstring ExePath() {
  wchar_t buf[MAX_PATH] = {};
  DWORD n = GetEnvironmentVariableW(L"KORVALINDE_EXE", buf, MAX_PATH);
  std::wstring path = (n > 0 && n < MAX_PATH) ? std::wstring(buf) : std::wstring(L"Korvalinde.exe");
  if (!path.empty() && path[0] == L'/') path = L"Z:" + path;
  for (auto& c : path)
    if (c == L'/') c = L'\\';
  return path;
}

static std::wstring CommandLine(const std::wstring& exe, const std::vector<std::wstring>& args) {
  std::wstring cmd = L"\"" + exe + L"\"";
  for (const auto& a : args) {
    cmd += L" \"";
    for (wchar_t c : a) {
      if (c == L'"') cmd += L'\\';
      cmd += c;
    }
    cmd += L"\"";
  }
  return cmd;
}

static HWND FindMainOf(DWORD pid) {
  for (HWND h : TopWindows(pid, kMainClass)) return h;
  return nullptr;
}

App::~App() {
  if (Running()) Kill();
  if (pi_.hProcess) CloseHandle(pi_.hProcess);
  if (pi_.hThread) CloseHandle(pi_.hThread);
}

bool App::Start(const std::vector<std::wstring>& args, DWORD timeoutMs) {
  const std::wstring exe = ExePath();
  std::wstring cmd = CommandLine(exe, args);
  STARTUPINFOW si{};
  si.cb = sizeof si;
  if (!CreateProcessW(exe.c_str(), &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi_)) {
    Note(Printf("CreateProcessW(%s) failed with error %lu", Utf8(exe).c_str(), GetLastError()));
    return false;
  }
  const DWORD pid = pi_.dwProcessId;
  WaitFor([&] {
    hwnd_ = FindMainOf(pid);
    return hwnd_ != nullptr || !Running();
  }, timeoutMs);
  if (!hwnd_) return false;
  // The window exists; let it finish its first layout and paint.
  WaitForInputIdle(pi_.hProcess, 2000);
  Sleep(100);
  return true;
}

long App::RunSecondInstance(const std::vector<std::wstring>& args, DWORD timeoutMs) {
  const std::wstring exe = ExePath();
  std::wstring cmd = CommandLine(exe, args);
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(exe.c_str(), &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return -1;
  long code = -1;
  if (WaitForSingleObject(pi.hProcess, timeoutMs) == WAIT_OBJECT_0) {
    DWORD c = 0;
    GetExitCodeProcess(pi.hProcess, &c);
    code = (long)c;
  } else {
    TerminateProcess(pi.hProcess, 99);
    WaitForSingleObject(pi.hProcess, 2000);
  }
  CloseHandle(pi.hProcess);
  CloseHandle(pi.hThread);
  return code;
}

bool App::Running() const { return pi_.hProcess && WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT; }

bool App::WaitExit(DWORD timeoutMs, DWORD* exitCode) {
  if (!pi_.hProcess) return true;
  if (WaitForSingleObject(pi_.hProcess, timeoutMs) != WAIT_OBJECT_0) return false;
  if (exitCode) GetExitCodeProcess(pi_.hProcess, exitCode);
  return true;
}

bool App::Close(DWORD timeoutMs) {
  if (!Running()) return true;
  PostMessageW(hwnd_, WM_CLOSE, 0, 0);
  return WaitExit(timeoutMs);
}

void App::Kill() {
  if (!Running()) return;
  TerminateProcess(pi_.hProcess, 99);
  WaitForSingleObject(pi_.hProcess, 3000);
}

HWND App::Control(int id) const { return hwnd_ ? GetDlgItem(hwnd_, id) : nullptr; }
std::wstring App::Text(int id) const { return WindowText(Control(id)); }
bool App::Enabled(int id) const {
  HWND c = Control(id);
  return c && IsWindowEnabled(c);
}
bool App::Visible(int id) const {
  HWND c = Control(id);
  return c && IsWindowVisible(c);
}
int App::CheckState(int id) const {
  HWND c = Control(id);
  if (!c) return -1;
  return (int)SendWithTimeout(c, BM_GETCHECK, 0, 0);
}

RECT App::ControlClientRect(int id) const {
  RECT r{};
  HWND c = Control(id);
  if (!c) return r;
  GetWindowRect(c, &r);
  MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

RECT App::ClientRect() const {
  RECT r{};
  GetClientRect(hwnd_, &r);
  return r;
}

RECT App::WindowRect() const { return ScreenRect(hwnd_); }

int App::RowCount() const {
  int n = 0;
  for (int i = 0; i < kMaxRows; ++i)
    if (Exists(ID_ROW_LABEL + i)) ++n;
  return n;
}

LONG_PTR App::ExStyle() const { return GetWindowLongPtrW(hwnd_, GWL_EXSTYLE); }

void App::Command(int id) { PostMessageW(hwnd_, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)Control(id)); }

bool App::AddRequest(const std::wstring& text) {
  bool ok = false;
  SendWithTimeout(hwnd_, kLbAddFile, 0, (LPARAM)text.c_str(), 3000, &ok);
  return ok;
}

void App::Focus() {
  if (GetForegroundWindow() == hwnd_) return;
  SetForegroundWindow(hwnd_);
  if (GetForegroundWindow() != hwnd_) {
    // Not given: click the caption as a user would.
    RECT r = WindowRect();
    ClickScreen((r.left + r.right) / 2, r.top + GetSystemMetrics(SM_CYCAPTION) / 2 + 1);
  }
  WaitFor([&] { return GetForegroundWindow() == hwnd_; }, 1000);
}

void App::Key(WORD vk, int modifiers) {
  Focus();
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
      DWORD pid = WindowProcessId(h);
      HANDLE p = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid);
      if (p) {
        TerminateProcess(p, 99);
        WaitForSingleObject(p, 3000);
        CloseHandle(p);
      }
    }
  }
}

}  // namespace e2e
