// Helpers shared by the scenarios: the window's expected geometry, row waits and band colours.
#pragma once

#include "driver_support.h"

namespace e2e {

inline const Metrics& M() {
  static Metrics m = DefaultFontMetrics();
  return m;
}

// Client size that a window with `rows` timers must have: 25 character cells by one row pitch
// per timer plus the bottom row.
inline int ExpectedClientWidth() { return 25 * M().charWidth; }
inline int ExpectedClientHeight(int rows) { return M().RowPitch() * (rows + 1); }

inline int Width(const RECT& r) { return r.right - r.left; }
inline int Height(const RECT& r) { return r.bottom - r.top; }

inline std::string RectText(const RECT& r) {
  return Printf("(%ld,%ld %ldx%ld)", r.left, r.top, r.right - r.left, r.bottom - r.top);
}

// Checks a control's place in client coordinates.
#define CHECK_PLACE(app, id, x, y, w, h)                                                        \
  do {                                                                                          \
    RECT r_ = (app).ControlClientRect(id);                                                     \
    RECT e_ = {(x), (y), (x) + (w), (y) + (h)};                                                 \
    CHECK(EqualRect(&r_, &e_), ::e2e::Printf("control 0x%x at %s, expected %s", (id),        \
                                             ::e2e::RectText(r_).c_str(),                      \
                                             ::e2e::RectText(e_).c_str()));                    \
  } while (0)

inline bool WaitRows(App& app, int rows, DWORD timeoutMs = 2000) {
  return WaitFor([&] { return app.RowCount() == rows && Height(app.ClientRect()) == ExpectedClientHeight(rows); },
                 timeoutMs);
}

// What the window shows now, for failure messages.
inline std::string RowsState(App& app) {
  RECT c = app.ClientRect();
  return Printf("%d row(s), client %ldx%ld", app.RowCount(), c.right - c.left, c.bottom - c.top);
}

// Requires `rows` rows and the client height that goes with them.
#define REQUIRE_ROWS(app, rows)                                                                 \
  REQUIRE(::e2e::WaitRows((app), (rows)),                                                       \
          ::e2e::Printf("%d row(s) with client height %d; the window has %s", (rows),           \
                        ::e2e::ExpectedClientHeight(rows), ::e2e::RowsState(app).c_str()))

inline bool WaitText(App& app, int id, const std::wstring& text, DWORD timeoutMs = 2000) {
  return WaitFor([&] { return app.Text(id) == text; }, timeoutMs);
}

inline bool WaitNonEmpty(App& app, int id, DWORD timeoutMs = 2000) {
  return WaitFor([&] { return !app.Text(id).empty(); }, timeoutMs);
}

// Colour of the background band behind row `band` (the last band is the bottom row), read from
// the screen in the free cell left of the row's controls.
inline COLORREF BandColour(App& app, int band) {
  Capture c = CaptureClient(app.Main());
  return c.Pixel(M().charWidth / 2, band * M().RowPitch() + M().RowPitch() / 2);
}

inline COLORREF MenuColour() { return GetSysColor(COLOR_MENU); }
constexpr COLORREF kRed = RGB(255, 0, 0);

// Starts the program; the scenario cannot go on without its window.
#define START(app, ...) REQUIRE((app).Start(__VA_ARGS__), "Korvalinde.exe starts and shows its main window")

// Adds a timer by request and waits until its row exists.
#define ADD_TIMER(app, text, rows)                                                            \
  do {                                                                                        \
    CHECK((app).AddRequest(text), "the request reaches the window");                          \
    REQUIRE(WaitRows((app), (rows)),                                                          \
            ::e2e::Printf("%d row(s) after request %s; the window has %s", (rows),             \
                          ::e2e::Utf8(text).c_str(), ::e2e::RowsState(app).c_str()));          \
  } while (0)

}  // namespace e2e
