// Helpers shared by the scenarios: expected geometry, row waits, band colours, the hand-over
// records, and the timer and settings dialogs.
#pragma once

#include "driver_support.h"

namespace e2e {

inline const Metrics& M() {
  static Metrics m = DefaultFontMetrics();
  return m;
}
// The client area: 25 character cells wide, one row pitch per timer plus the bottom row.
inline int ExpectedClientHeight(int rows) { return M().RowPitch() * (rows + 1); }
inline int Width(const RECT& r) { return r.right - r.left; }
inline int Height(const RECT& r) { return r.bottom - r.top; }
inline std::string RectText(const RECT& r) {
  return Printf("(%ld,%ld %ldx%ld)", r.left, r.top, r.right - r.left, r.bottom - r.top);
}
inline bool StartsWith(const std::wstring& text, const wchar_t* prefix) { return text.rfind(prefix, 0) == 0; }

#define CHECK_PLACE(app, id, x, y, w, h)                                                                \
  do {                                                                                                  \
    RECT r_ = (app).ControlClientRect(id), e_ = {(x), (y), (x) + (w), (y) + (h)};                       \
    CHECK(EqualRect(&r_, &e_), ::e2e::Printf("control 0x%x at %s, expected %s", (id),                   \
                                             ::e2e::RectText(r_).c_str(), ::e2e::RectText(e_).c_str())); \
  } while (0)

inline bool WaitRows(App& app, int rows, DWORD timeoutMs = 2000) {
  return WaitFor([&] { return app.RowCount() == rows && Height(app.ClientRect()) == ExpectedClientHeight(rows); },
                 timeoutMs);
}
inline std::string RowsState(App& app) {
  return Printf("%d row(s), client height %d", app.RowCount(), Height(app.ClientRect()));
}
#define REQUIRE_ROWS(app, rows)                                                                              \
  REQUIRE(::e2e::WaitRows((app), (rows)), ::e2e::Printf("%d row(s) with client height %d; the window has %s", \
                                                        (rows), ::e2e::ExpectedClientHeight(rows),            \
                                                        ::e2e::RowsState(app).c_str()))
#define START(app, ...) REQUIRE((app).Start(__VA_ARGS__), "Korvalinde.exe starts and shows its main window")
#define ADD_TIMER(app, text, rows)                                                                          \
  do {                                                                                                      \
    CHECK((app).AddRequest(text), "the request reaches the window");                                       \
    REQUIRE(::e2e::WaitRows((app), (rows)), ::e2e::Printf("%d row(s) after request %s; the window has %s",   \
                                                          (rows), ::e2e::Q(text).c_str(),                   \
                                                          ::e2e::RowsState(app).c_str()));                  \
  } while (0)

inline bool WaitText(App& app, int id, const std::wstring& text, DWORD timeoutMs = 2500) {
  return WaitFor([&] { return app.Text(id) == text; }, timeoutMs);
}
inline bool WaitPrefix(App& app, int id, const wchar_t* prefix, DWORD timeoutMs = 2500) {
  return WaitFor([&] { return StartsWith(app.Text(id), prefix); }, timeoutMs);
}
inline bool WaitCheck(App& app, int id, int state) {
  return WaitFor([&] { return app.CheckState(id) == state; }, 1500);
}
// True when no tick rewrites the control's text for `ms`.
inline bool TextFrozen(App& app, int id, DWORD ms) {
  const std::wstring first = app.Text(id);
  return !WaitFor([&] { return app.Text(id) != first; }, ms);
}

// Pauses a row once a tick has counted it, so that it holds its exact milliseconds.
inline void PauseAfterTick(App& app, int row) {
  REQUIRE(WaitPrefix(app, ID_ROW_TIME + row, L" 0:0"), "the row shows its time");
  Pause(300);
  app.Command(ID_ROW_PAUSE + row);
  REQUIRE(WaitText(app, ID_ROW_PAUSE + row, kPausedMark), "the row is paused");
}

// The colour behind row `band` (the last band is the bottom row), in the free cell left of it.
inline COLORREF BandColour(App& app, int band) {
  return CaptureClient(app.Main()).Pixel(M().charWidth / 2, band * M().RowPitch() + M().RowPitch() / 2);
}
inline COLORREF MenuColour() { return GetSysColor(COLOR_MENU); }
constexpr COLORREF kRed = RGB(255, 0, 0);

// A REG_BINARY value of 4 bytes holding `expected`.
inline bool IsBinary32(const wchar_t* name, uint32_t expected) {
  RegValue v = ReadValue(name);
  return v.exists && v.type == REG_BINARY && v.data.size() == 4 && LeU32(v.data, 0) == expected;
}

// ---------------------------------------------------------------------------------------------
// A timer as handed over in SuspendN: 48 bytes of REG_BINARY.
constexpr uint64_t kFileTimePerMs = 10000;
struct Record {
  uint64_t preset = 0;
  int32_t suspended = 0, clockMode = 0;
  uint64_t time = 0;  // local FILETIME of the expiry when running, else milliseconds left
  std::wstring name;
};

inline std::wstring SuspendName(int i) { return L"Suspend" + std::to_wstring(i); }

inline std::vector<uint8_t> Encode(const Record& r) {
  std::vector<uint8_t> d(48, 0);
  auto put = [&](size_t o, uint64_t v, int n) {
    for (int i = 0; i < n; ++i) d[o + i] = (uint8_t)(v >> (8 * i));
  };
  put(0, r.preset, 8);
  put(8, (uint32_t)r.suspended, 4);
  put(12, (uint32_t)r.clockMode, 4);
  put(16, r.time, 8);
  for (size_t i = 0; i < r.name.size() && i < 11; ++i) put(24 + 2 * i, r.name[i], 2);
  return d;
}

inline void WriteRecord(int i, const Record& r) {
  auto d = Encode(r);
  REQUIRE(WriteValue(SuspendName(i).c_str(), REG_BINARY, d.data(), 48), "hand-over value written");
}

// The records Suspend0.. up to the first missing one; each must be 48 bytes of REG_BINARY with
// zeros after the name's terminator.
inline std::vector<Record> HandedOver() {
  std::vector<Record> out;
  for (int i = 0;; ++i) {
    RegValue v = ReadValue(SuspendName(i).c_str());
    if (!v.exists) break;
    CHECK(v.type == REG_BINARY && v.data.size() == 48, Printf("Suspend%d is 48 bytes of REG_BINARY", i));
    Record r{LeU64(v.data, 0), (int32_t)LeU32(v.data, 8), (int32_t)LeU32(v.data, 12), LeU64(v.data, 16), {}};
    bool ended = false, tailZero = true;
    for (size_t k = 24; k + 1 < v.data.size() && k < 48; k += 2) {
      wchar_t c = (wchar_t)(v.data[k] | (v.data[k + 1] << 8));
      if (ended) tailZero = tailZero && c == 0;
      else if (c == 0) ended = true;
      else r.name += c;
    }
    CHECK(tailZero, Printf("Suspend%d: zeros after the name", i));
    out.push_back(r);
  }
  return out;
}

// Quits with the save-and-quit button and returns what was handed over; the key is cleared again.
inline std::vector<Record> SaveAndQuit(App& app) {
  app.Command(ID_SUSPEND_ALL);
  DWORD code = 1234;
  REQUIRE(app.WaitExit(5000, &code), "save-and-quit ends the program");
  CHECK_EQ(code, 0);
  std::vector<Record> saved = HandedOver();
  ClearSettingsKey();
  return saved;
}

// ---------------------------------------------------------------------------------------------
// Dialogs

// Opens the add dialog (row < 0) or the edit dialog of `row` by its button.
inline HWND OpenTimerDialog(App& app, int row = -1) {
  app.Command(row < 0 ? ID_ADD : ID_ROW_EDIT + row);
  HWND dlg = app.WaitDialog(row < 0 ? kAddCaption : kEditCaption);
  REQUIRE(dlg, "the timer dialog opens");
  return dlg;
}

inline std::wstring Field(HWND dlg, int id) { return WindowText(GetDlgItem(dlg, id)); }

// Fills the dialog and presses OK; true when it closed.
inline bool SubmitTimerDialog(App& app, HWND dlg, const std::wstring& time, const std::wstring& name) {
  CHECK(SetControlText(GetDlgItem(dlg, IDC_TIME), time) && SetControlText(GetDlgItem(dlg, IDC_NAME), name),
        "dialog fields set");
  PressDialogButton(dlg, IDOK);
  return app.WaitDialogGone(dlg, time == L"0" || time.empty() ? 400 : 3000);
}

inline void CancelDialog(App& app, HWND dlg) {
  PressDialogButton(dlg, IDCANCEL);
  REQUIRE(app.WaitDialogGone(dlg), "Cancel closes the dialog");
}

inline std::wstring ComboItems(HWND dlg) {
  HWND combo = GetDlgItem(dlg, IDC_NAME);
  std::wstring out = L"[";
  for (LRESULT i = 0, n = SendWithTimeout(combo, CB_GETCOUNT, 0, 0); i < n && i < 32; ++i) {
    wchar_t buf[64] = {};
    if (SendWithTimeout(combo, CB_GETLBTEXTLEN, i, 0) < 64) SendWithTimeout(combo, CB_GETLBTEXT, i, (LPARAM)buf);
    out += (i ? L", " : L"") + std::wstring(buf);
  }
  return out + L"]";
}

constexpr UINT kHkmSetHotKey = WM_USER + 1, kHkmGetHotKey = WM_USER + 2;
constexpr BYTE kHotShift = 0x01, kHotCtrl = 0x02, kHotAlt = 0x04, kHotExt = 0x08;
inline WORD HotKeyWord(BYTE vk, BYTE flags) { return (WORD)(vk | (flags << 8)); }

inline HWND OpenSettings(App& app) {
  app.Command(ID_SETTINGS);
  HWND dlg = app.WaitDialog(kSettingsCaption);
  REQUIRE(dlg, "the settings dialog opens");
  return dlg;
}

inline WORD DialogHotKey(HWND dlg) {
  return (WORD)SendWithTimeout(GetDlgItem(dlg, IDC_HOTKEY), kHkmGetHotKey, 0, 0);
}

// Sets the dialog's fields and presses OK (or Cancel); waits until it has gone.
inline void SetSettings(App& app, WORD hotKey, bool remember, int button = IDOK) {
  HWND dlg = OpenSettings(app);
  SendWithTimeout(GetDlgItem(dlg, IDC_HOTKEY), kHkmSetHotKey, hotKey, 0);
  SendWithTimeout(GetDlgItem(dlg, IDC_REMEMBER), BM_SETCHECK, remember ? BST_CHECKED : BST_UNCHECKED, 0);
  PressDialogButton(dlg, button);
  REQUIRE(app.WaitDialogGone(dlg), "the settings dialog closes");
}

}  // namespace e2e
