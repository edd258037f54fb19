// Scenarios about the single instance and timer requests by text: a second start hands its
// arguments over and brings the running window forward; the program's own arguments follow the
// restored timers; the request forms; and requests that another process may send carelessly or
// on purpose (no text, empty, huge, broken UTF-16, a storm).
#include <cstring>

#include "scenario_common.h"

using namespace e2e;

namespace {

// ---------------------------------------------------------------------------------------------
// The timers as the program hands them over: save-and-quit writes every record of the table as
// Suspend0.., which gives the exact preset and name of each timer in table order.
struct Saved {
  uint64_t preset = 0;
  int32_t suspended = 0;
  int32_t clockMode = 0;
  std::wstring name;
};

std::vector<Saved> ReadHandedOver() {
  std::vector<Saved> out;
  for (int i = 0; i < kMaxRows; ++i) {
    RegValue v = ReadValue((L"Suspend" + std::to_wstring(i)).c_str());
    if (!v.exists) break;
    Saved s;
    s.preset = LeU64(v.data, 0);
    s.suspended = (int32_t)LeU32(v.data, 8);
    s.clockMode = (int32_t)LeU32(v.data, 12);
    for (size_t k = 0; k < 12 && 25 + 2 * k < v.data.size(); ++k) {
      wchar_t c = (wchar_t)(v.data[24 + 2 * k] | (v.data[25 + 2 * k] << 8));
      if (c == 0) break;
      s.name += c;
    }
    out.push_back(s);
  }
  return out;
}

// Quits with the save-and-quit command and returns the timers it handed over; the hand-over is
// removed again so that the next start of the scenario begins empty.
std::vector<Saved> SaveAndQuit(App& app, bool* historyWritten = nullptr) {
  app.Command(ID_SUSPEND_ALL);
  DWORD code = 1234;
  REQUIRE(app.WaitExit(5000, &code), "save-and-quit ends the program");
  CHECK_EQ(code, 0);
  std::vector<Saved> saved = ReadHandedOver();
  CHECK(!ReadValue(L"Suspend10").exists, "never more than ten timers handed over");
  if (historyWritten) *historyWritten = ReadValue(L"History0").exists;
  ClearSettingsKey();
  return saved;
}

std::string Units(const std::wstring& text) {
  std::string out;
  for (wchar_t c : text) out += Printf(out.empty() ? "%04X" : " %04X", (unsigned)c);
  return "[" + out + "]";
}

// ---------------------------------------------------------------------------------------------
// A window of the driver's own, to take the foreground away from the program.
class OwnWindow {
 public:
  OwnWindow() {
    hwnd_ = CreateWindowExW(0, L"STATIC", L"driver window", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 420, 320, 240, 120,
                            nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    Pump();
  }
  ~OwnWindow() {
    if (hwnd_) DestroyWindow(hwnd_);
  }
  HWND Handle() const { return hwnd_; }

  static void Pump() {
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&m);
      DispatchMessageW(&m);
    }
  }
  // Waits while answering the messages that activation sends to this thread.
  static bool Wait(const std::function<bool()>& done, DWORD timeoutMs) {
    const uint64_t end = Now() + timeoutMs;
    for (;;) {
      Pump();
      if (done()) return true;
      if (Now() >= end) return false;
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
  }
  bool TakeForeground() {
    SetForegroundWindow(hwnd_);
    if (!Wait([&] { return GetForegroundWindow() == hwnd_; }, 500)) {
      RECT r{};
      GetWindowRect(hwnd_, &r);
      ClickScreen((r.left + r.right) / 2, r.top + GetSystemMetrics(SM_CYCAPTION) / 2 + 1);
    }
    return Wait([&] { return GetForegroundWindow() == hwnd_; }, 1500);
  }

 private:
  HWND hwnd_ = nullptr;
};

// The active window of the thread that owns `window`.
HWND ThreadActive(HWND window) {
  GUITHREADINFO gi{};
  gi.cbSize = sizeof gi;
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &gi)) return nullptr;
  return gi.hwndActive;
}

// Watches the rows for a while and records every text each time display showed: a named timer
// alternates its name and its time every second.
std::vector<std::vector<std::wstring>> WatchRows(App& app, int rows, DWORD ms) {
  std::vector<std::vector<std::wstring>> seen(rows);
  const uint64_t end = Now() + ms;
  while (Now() < end) {
    for (int i = 0; i < rows; ++i) {
      std::wstring t = app.Text(ID_ROW_TIME + i);
      bool known = false;
      for (const auto& s : seen[i]) known = known || s == t;
      if (!known) seen[i].push_back(t);
    }
    Pause(40);
  }
  return seen;
}

bool Saw(const std::vector<std::wstring>& texts, const std::wstring& text) {
  for (const auto& t : texts)
    if (t == text) return true;
  return false;
}

std::string Joined(const std::vector<std::wstring>& texts) {
  std::wstring out;
  for (const auto& t : texts) out += (out.empty() ? L"" : L", ") + Quoted(t);
  return Utf8(out);
}

}  // namespace

// A second start with three arguments adds three timers, in argument order, to the running
// window and opens no second window.
E2E_SCENARIO(second_start_args) {
  App app;
  START(app);
  const uint64_t t0 = Now();
  long code = app.RunSecondInstance({L"3(first)", L"0:4:0", L"5(third)"});
  Note(Printf("second start with three arguments took %llu ms", (unsigned long long)(Now() - t0)));
  CHECK_EQ(code, 0);
  // The forwarding is synchronous: the timers are there when the second process has ended.
  CHECK_EQ(app.RowCount(), 3);
  REQUIRE(WaitRows(app, 3), "three rows");
  CHECK_EQ(TopWindows(0, kMainClass, nullptr, false).size(), 1);
  CHECK(app.Running(), "the first instance still runs");

  auto seen = WatchRows(app, 3, 2200);
  CHECK(Saw(seen[0], L"first"), "row 1 shows first: " + Joined(seen[0]));
  CHECK(Saw(seen[1], L" 0:04:00") || Saw(seen[1], L" 0:03:59"), "row 2 counts down from 4 minutes: " + Joined(seen[1]));
  CHECK(Saw(seen[2], L"third"), "row 3 shows third: " + Joined(seen[2]));

  std::vector<Saved> saved = SaveAndQuit(app);
  REQUIRE(saved.size() == 3, Printf("three timers handed over, got %zu", saved.size()));
  const struct { uint64_t preset; const wchar_t* name; } expected[] = {
      {180000, L"first"}, {240000, L""}, {300000, L"third"}};
  for (size_t i = 0; i < 3; ++i) {
    CHECK_EQ(saved[i].preset, expected[i].preset);
    CHECK_TEXT(saved[i].name, expected[i].name);
    CHECK_EQ(saved[i].clockMode, 0);
  }
}

// A second start without arguments only brings the running window forward, or its open dialog;
// one with arguments while a dialog is open still adds the timers.
E2E_SCENARIO(second_start_front) {
  App app;
  START(app);
  OwnWindow other;
  // Brought forward: the target is the active window of the program's thread and the driver's
  // window has lost the foreground. (Under Wine the system foreground is left empty once the
  // second process, whose input the program's thread shared for the hand-over, has ended.)
  auto broughtForward = [&](HWND target, const char* what) {
    bool ok = OwnWindow::Wait([&] { return ThreadActive(app.Main()) == target && GetForegroundWindow() != other.Handle(); },
                              2000);
    CHECK(ok, Printf("%s is brought forward (active %p, foreground %p, target %p)", what,
                     (void*)ThreadActive(app.Main()), (void*)GetForegroundWindow(), (void*)target));
    if (ok && GetForegroundWindow() != target)
      Note(Printf("%s: the system foreground is %p, not the target", what, (void*)GetForegroundWindow()));
  };

  REQUIRE(other.TakeForeground(), "the driver's own window takes the foreground");
  REQUIRE(ThreadActive(app.Main()) != app.Main(), "the main window is not active before the second start");
  CHECK_EQ(app.RunSecondInstance({}), 0);
  broughtForward(app.Main(), "the main window, after a second start without arguments,");
  CHECK_EQ(TopWindows(0, kMainClass, nullptr, false).size(), 1);
  CHECK_EQ(app.RowCount(), 0);

  // With the settings dialog open, the dialog is what comes forward.
  app.Command(ID_SETTINGS);
  HWND dlg = app.WaitDialog(kSettingsCaption);
  REQUIRE(dlg, "the settings dialog opens");
  REQUIRE(other.TakeForeground(), "the driver's window takes the foreground from the dialog");
  REQUIRE(ThreadActive(app.Main()) != dlg, "the dialog is not active before the second start");
  CHECK_EQ(app.RunSecondInstance({}), 0);
  broughtForward(dlg, "the open settings dialog");

  // A second start with arguments while the dialog is open adds the timers all the same.
  REQUIRE(other.TakeForeground(), "the driver's window takes the foreground again");
  CHECK_EQ(app.RunSecondInstance({L"7(during)", L"8"}), 0);
  CHECK_EQ(app.RowCount(), 2);
  CHECK(IsWindow(dlg) && IsWindowVisible(dlg), "the dialog stays open");
  broughtForward(dlg, "the settings dialog, after a second start with arguments,");
  PressDialogButton(dlg, IDCANCEL);
  CHECK(app.WaitDialogGone(dlg), "Cancel closes the dialog");
  REQUIRE(WaitRows(app, 2), "the window has grown to two rows");
  CHECK(WaitText(app, ID_ROW_TIME, L"during", 2500), "row 1 is during");
}

// The program's own arguments become timers behind the ones handed over from the last run.
E2E_SCENARIO(args_behind_restored) {
  auto record = [](uint64_t ms, const wchar_t* name) {
    std::vector<uint8_t> d(48, 0);
    for (int i = 0; i < 8; ++i) d[i] = (uint8_t)(ms >> (8 * i));
    d[8] = 1;  // paused: stored by its milliseconds
    for (int i = 0; i < 8; ++i) d[16 + i] = (uint8_t)(ms >> (8 * i));
    for (size_t i = 0; name[i] && i < 11; ++i) {
      d[24 + 2 * i] = (uint8_t)name[i];
      d[25 + 2 * i] = (uint8_t)(name[i] >> 8);
    }
    return d;
  };
  auto r0 = record(90000, L"old1"), r1 = record(150000, L"old2");
  REQUIRE(WriteValue(L"Suspend0", REG_BINARY, r0.data(), 48) && WriteValue(L"Suspend1", REG_BINARY, r1.data(), 48),
          "hand-over values written");

  App app;
  START(app, {L"4(arg1)", L"6"});
  REQUIRE(WaitRows(app, 4), "two restored timers and two from the arguments");
  CHECK_TEXT(app.Text(ID_ROW_PAUSE), kPausedMark);
  CHECK_TEXT(app.Text(ID_ROW_PAUSE + 1), kPausedMark);
  CHECK_TEXT(app.Text(ID_ROW_PAUSE + 2), kRunningMark);
  CHECK_TEXT(app.Text(ID_ROW_PAUSE + 3), kRunningMark);

  std::vector<Saved> saved = SaveAndQuit(app);
  REQUIRE(saved.size() == 4, Printf("four timers handed over, got %zu", saved.size()));
  const struct { uint64_t preset; int suspended; const wchar_t* name; } expected[] = {
      {90000, 1, L"old1"}, {150000, 1, L"old2"}, {240000, 0, L"arg1"}, {360000, 0, L""}};
  for (size_t i = 0; i < 4; ++i) {
    CHECK_EQ(saved[i].preset, expected[i].preset);
    CHECK_EQ(saved[i].suspended, expected[i].suspended);
    CHECK_TEXT(saved[i].name, expected[i].name);
  }
}

// With nine timers only the first valid request of a second start finds room; with ten, none.
E2E_SCENARIO(second_start_fills_table) {
  App app;
  START(app);
  for (int i = 0; i < 9; ++i) ADD_TIMER(app, L"20(t" + std::to_wstring(i) + L")", i + 1);

  CHECK_EQ(app.RunSecondInstance({L"0(zero)", L"2(b)", L"3(c)"}), 0);
  CHECK_EQ(app.RowCount(), 10);
  REQUIRE(WaitRows(app, 10), "ten rows");
  CHECK(WaitText(app, ID_ROW_TIME + 9, L"b", 2500), "row 10 is b, the first request that gives a timer");

  CHECK_EQ(app.RunSecondInstance({L"4(d)"}), 0);
  Pause(300);
  CHECK_EQ(app.RowCount(), 10);
  CHECK_EQ(TopWindows(0, kMainClass, nullptr, false).size(), 1);

  std::vector<Saved> saved = SaveAndQuit(app);
  REQUIRE(saved.size() == 10, Printf("ten timers handed over, got %zu", saved.size()));
  CHECK_EQ(saved[9].preset, 120000);
  CHECK_TEXT(saved[9].name, L"b");
  CHECK_TEXT(saved[8].name, L"t8");
}

// The forms of a request and what each one gives, checked by the timers the program hands over.
E2E_SCENARIO(request_forms) {
  const wchar_t pairAtCut[] = L"5(abcdefghi\xD83D\xDE00x)";   // the pair would straddle unit 10
  const wchar_t pairFits[] = L"5(abcdefgh\xD83D\xDE00xy)";    // the pair ends at unit 10
  std::wstring longTime = std::wstring(254, L'0') + L"15";    // 256 units: the 256th is cut off
  struct Case {
    std::wstring request;
    bool added;
    uint64_t preset;
    int clockMode;
    std::wstring name;
  };
  const std::vector<std::vector<Case>> batches = {
      {
          {L"5(tea)", true, 300000, 0, L"tea"},
          {L"5()", true, 300000, 0, L""},
          {L"5 (tea)", true, 300000, 0, L"tea"},
          {L"5(tea", true, 5 * 3600000ULL, 0, L""},
          {L"5(abcdefghijkl)", true, 300000, 0, L"abcdefghij"},
          {L"5(abcdefghij)", true, 300000, 0, L"abcdefghij"},
          {pairAtCut, true, 300000, 0, L"abcdefghi"},
          {pairFits, true, 300000, 0, L"abcdefgh\xD83D\xDE00"},
          {L"5(a(b))", true, 300000, 0, L"a(b)"},
          {L"(tea)", false, 0, 0, L""},
          {L"1:30(お茶)", true, 90 * 60000ULL, 0, L"お茶"},
      },
      {
          {L"pm5:30(夕方)", true, 17 * 3600000ULL + 30 * 60000, 1, L"夕方"},
          {L"0:0:45", true, 45000, 0, L""},
          {longTime, true, 60000, 0, L""},
          {longTime + L"(cut)", true, 60000, 0, L"cut"},
          {L"0(zero)", false, 0, 0, L""},
          {L"5(x)y", true, 5 * 3600000ULL, 0, L""},
      },
  };

  int batchNo = 0;
  for (const auto& batch : batches) {
    ++batchNo;
    App app;
    START(app);
    std::vector<const Case*> added;
    for (const Case& c : batch) {
      bool ok = false;
      LRESULT r = SendWithTimeout(app.Main(), kLbAddFile, 0, (LPARAM)c.request.c_str(), 3000, &ok);
      CHECK(ok && r == 0, "request " + Utf8(Quoted(c.request)) + " answered 0");
      if (c.added) added.push_back(&c);
      CHECK(WaitRows(app, (int)added.size(), 1500),
            Printf("batch %d: %zu row(s) after %s", batchNo, added.size(), Utf8(Quoted(c.request)).c_str()));
    }
    if (batchNo == 1) CHECK(WaitText(app, ID_ROW_TIME, L"tea", 2500), "row 1 shows tea");
    if (batchNo == 2) {
      // A name given by request is not offered in the timer dialog's recent names.
      app.Command(ID_ADD);
      HWND dlg = app.WaitDialog(kAddCaption);
      if (CHECK(dlg != nullptr, "the add dialog opens")) {
        CHECK_EQ(SendWithTimeout(GetDlgItem(dlg, IDC_NAME), CB_GETCOUNT, 0, 0), 0);
        PressDialogButton(dlg, IDCANCEL);
        CHECK(app.WaitDialogGone(dlg), "Cancel closes it");
      }
    }
    bool history = true;
    std::vector<Saved> saved = SaveAndQuit(app, &history);
    CHECK(!history, "request names are not recorded in the history");
    REQUIRE(saved.size() == added.size(),
            Printf("batch %d: %zu timers handed over, expected %zu", batchNo, saved.size(), added.size()));
    for (size_t i = 0; i < saved.size(); ++i) {
      const Case& c = *added[i];
      const std::string what = "request " + Utf8(Quoted(c.request));
      CHECK(saved[i].preset == c.preset,
            what + Printf(": preset %llu, expected %llu", (unsigned long long)saved[i].preset,
                          (unsigned long long)c.preset));
      CHECK(saved[i].clockMode == c.clockMode, what + Printf(": clock flag %d", saved[i].clockMode));
      CHECK(saved[i].name == c.name, what + ": name " + Units(saved[i].name) + ", expected " + Units(c.name));
    }
  }
}

// Requests that another process may send: no text, an empty one, a huge one, broken UTF-16, and
// a storm. The program answers each with 0, never holds more than ten timers, and keeps working.
E2E_SCENARIO(untrusted_requests) {
  App app;
  START(app);

  // No text at all, from a child process of ours (packing a null text may fault the sender).
  {
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    wchar_t cmd[MAX_PATH + 64];
    swprintf(cmd, MAX_PATH + 64, L"\"%ls\" --send-null-request %llx", self, (unsigned long long)(uintptr_t)app.Main());
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (CHECK(CreateProcessW(self, cmd, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi) != 0,
              "null-request sender started")) {
      DWORD code = 0xFFFF;
      if (WaitForSingleObject(pi.hProcess, 8000) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 98);
      GetExitCodeProcess(pi.hProcess, &code);
      CloseHandle(pi.hProcess);
      CloseHandle(pi.hThread);
      Note(Printf("null-request sender ended with %lu (0 sent, 1 posted)", code));
    }
    Pause(200);
    CHECK(app.Running(), "still running after a request without text");
    CHECK_EQ(app.RowCount(), 0);
  }

  // Texts that are too long or not proper UTF-16. What a timer's name must be when one is added
  // (nullptr: any name of at most ten units).
  const std::wstring hugeNamed = L"1(" + std::wstring(99990, L'\xD800') + L")";
  struct Case {
    std::wstring request;
    int adds;              // 1 a timer, 0 none, -1 either
    const wchar_t* name;
  };
  const Case cases[] = {
      {L"", 0, nullptr},
      {std::wstring(100000, L'9'), -1, L""},
      {hugeNamed, 1, L"\xD800\xD800\xD800\xD800\xD800\xD800\xD800\xD800\xD800\xD800"},
      {L"2" + std::wstring(99998, L' ') + L"7", 1, L""},
      {std::wstring(100000, L'('), 0, nullptr},
      {L"\xD800", 0, nullptr},
      {L"\xDC00\xD800", 0, nullptr},
      {L"(\xD83D\xDE00)", 0, nullptr},
      {L"5(\xD800)", 1, L"\xD800"},
      {L"5(\xDC00\xDC00\xDC00\xDC00\xDC00\xDC00\xDC00\xDC00\xDC00\xDC00\xDC00\xDC00)", 1, nullptr},
      {L"5(abcdefghi\xD800x)", 1, nullptr},
      {L"5(x)\xDC00", 1, L""},
  };
  std::vector<const Case*> added;
  for (const Case& c : cases) {
    bool ok = false;
    const int before = app.RowCount();
    const uint64_t t0 = Now();
    LRESULT r = SendWithTimeout(app.Main(), kLbAddFile, 0, (LPARAM)c.request.c_str(), 5000, &ok);
    const uint64_t took = Now() - t0;
    const std::string what = Printf("request of %zu units starting %s", c.request.size(),
                                    Units(c.request.substr(0, 6)).c_str());
    CHECK(ok && r == 0, what + Printf(": delivered and answered 0 (delivered %d, answer %lld, %llu ms)", ok,
                                      (long long)r, (unsigned long long)took));
    REQUIRE(app.Running(), what + ": the program survives");
    const int rows = app.RowCount();
    CHECK(rows == before || rows == before + 1, what + Printf(": %d row(s) after %d", rows, before));
    if (c.adds >= 0) CHECK(rows == before + c.adds, what + Printf(": %d row(s) after %d", rows, before));
    if (rows == before + 1) added.push_back(&c);
  }
  const int lastRows = app.RowCount();
  Note(Printf("%d timer(s) from the unusual requests", lastRows));

  // A storm of 1000 requests; only the first valid ones find room.
  std::vector<std::wstring> storm;
  std::vector<std::wstring> firstValid;
  for (int i = 0; i < 1000; ++i) {
    switch (i % 4) {
      case 0: storm.push_back(L""); break;
      case 1: storm.push_back(L"0(z)"); break;
      case 2: storm.push_back(L"30(n" + std::to_wstring(i) + L")"); break;
      default: storm.push_back(L"\xDFFF(\xD800)"); break;
    }
    if (i % 4 == 2 && (int)firstValid.size() < kMaxRows - lastRows) firstValid.push_back(L"n" + std::to_wstring(i));
  }
  int answeredZero = 0, maxRows = 0;
  const uint64_t t0 = Now();
  for (size_t i = 0; i < storm.size(); ++i) {
    bool ok = false;
    LRESULT r = SendWithTimeout(app.Main(), kLbAddFile, 0, (LPARAM)storm[i].c_str(), 3000, &ok);
    if (ok && r == 0) ++answeredZero;
    if (i % 50 == 0) {
      int rows = app.RowCount();
      if (app.Exists(ID_ROW_LABEL + kMaxRows) || Height(app.ClientRect()) > ExpectedClientHeight(kMaxRows))
        rows = kMaxRows + 1;
      if (rows > maxRows) maxRows = rows;
    }
  }
  Note(Printf("1000 requests took %llu ms", (unsigned long long)(Now() - t0)));
  CHECK_EQ(answeredZero, 1000);
  CHECK(maxRows <= kMaxRows, Printf("never more than ten rows (%d)", maxRows));
  REQUIRE(app.Running(), "the program survives the storm");
  REQUIRE(WaitRows(app, kMaxRows), "the table is full");
  CHECK_EQ(app.RowCount(), kMaxRows);

  // Still responsive: the window answers at once, and a key pauses row 1.
  bool ok = false;
  SendWithTimeout(app.Main(), WM_NULL, 0, 0, 1000, &ok);
  CHECK(ok, "the window answers a message within a second");
  app.Key('1');
  CHECK(WaitText(app, ID_ROW_PAUSE, kPausedMark, 1500), "key 1 still pauses row 1");

  // The table as handed over: every name within ten units, the storm's first valid requests last.
  std::vector<Saved> saved = SaveAndQuit(app);
  REQUIRE(saved.size() == (size_t)kMaxRows, Printf("ten timers handed over, got %zu", saved.size()));
  for (size_t i = 0; i < saved.size(); ++i) {
    CHECK(saved[i].name.size() <= 10, Printf("timer %zu: name of at most ten units ", i + 1) + Units(saved[i].name));
    if (i < added.size() && added[i]->name)
      CHECK(saved[i].name == added[i]->name,
            Printf("timer %zu: name ", i + 1) + Units(saved[i].name) + ", expected " + Units(added[i]->name));
  }
  for (size_t k = 0; k < firstValid.size(); ++k) {
    const size_t i = (size_t)lastRows + k;
    if (i < saved.size()) CHECK_TEXT(saved[i].name, firstValid[k]);
  }
  CHECK_EQ(saved[0].suspended, 1);
}
