// One instance and timer requests by text: a second start hands its arguments over and brings the
// running window forward; arguments follow the restored timers; a full table takes no more; the
// request forms; and requests that another process may send carelessly or on purpose.
#include <algorithm>

#include "scenario_common.h"

using namespace e2e;

namespace {

std::string Units(const std::wstring& text) {
  std::string out;
  for (wchar_t c : text) out += Printf(out.empty() ? "%04X" : " %04X", (unsigned)c);
  return "[" + out + "]";
}

size_t MainWindows() { return TopWindows(0, kMainClass, nullptr, false).size(); }

// Compares the handed-over table with the expected presets and names, in order.
void CheckTable(const std::vector<Record>& saved, const std::vector<std::pair<uint64_t, std::wstring>>& expected) {
  REQUIRE(saved.size() == expected.size(), Printf("%zu timers handed over, expected %zu", saved.size(), expected.size()));
  for (size_t i = 0; i < saved.size(); ++i)
    CHECK(saved[i].preset == expected[i].first && saved[i].name == expected[i].second,
          Printf("timer %zu: %llu ms ", i + 1, (unsigned long long)saved[i].preset) + Units(saved[i].name) +
              Printf(", expected %llu ms ", (unsigned long long)expected[i].first) + Units(expected[i].second));
}

}  // namespace

// A second start without arguments brings the running window (or its open dialog) forward; one
// with arguments adds them in order, even while a dialog is open. Never a second window.
E2E_SCENARIO(second_start) {
  App app;
  START(app);
  Decoy other;
  auto secondStart = [&](const std::vector<std::wstring>& args, HWND front, const char* what) {
    REQUIRE(other.TakeForeground(), "the driver's window takes the foreground");
    CHECK_EQ(app.RunSecondInstance(args), 0);
    CHECK_EQ(MainWindows(), 1);
    // Under Wine the system foreground is left empty once the second process has ended: the
    // target must be the active window of the program's thread.
    if (front)
      CHECK(WaitFor([&] { return ThreadActive(app.Main()) == front && GetForegroundWindow() != other.Window(); }, 2000),
            Printf("%s comes forward (active %p, foreground %p)", what, (void*)ThreadActive(app.Main()),
                   (void*)GetForegroundWindow()));
  };
  secondStart({}, app.Main(), "the main window");
  CHECK_EQ(app.RowCount(), 0);
  secondStart({L"3(first)", L"0:4:0", L"5(third)"}, nullptr, "");
  CHECK_EQ(app.RowCount(), 3);  // handed over before the second process ends

  HWND dlg = OpenSettings(app);
  secondStart({}, dlg, "the open settings dialog");
  secondStart({L"7(during)"}, dlg, "the settings dialog, after a start with arguments,");
  CHECK_EQ(app.RowCount(), 4);
  CHECK(IsWindow(dlg) && IsWindowVisible(dlg), "the dialog stays open");
  CancelDialog(app, dlg);
  REQUIRE(WaitRows(app, 4), "the window has grown to four rows");
  CHECK(WaitText(app, ID_ROW_TIME, L"first"), "row 1 is first");
  CheckTable(SaveAndQuit(app), {{180000, L"first"}, {240000, L""}, {300000, L"third"}, {420000, L"during"}});
}

// Restored timers come first, then the program's own arguments; a second start into nine timers
// adds its first valid request only; a full table refuses every way of adding.
E2E_SCENARIO(full_table) {
  WriteRecord(0, {90000, 1, 0, 90000, L"old1"});
  WriteRecord(1, {150000, 1, 0, 150000, L"old2"});
  App app;
  START(app, {L"4(arg1)", L"6"});
  REQUIRE_ROWS(app, 4);
  for (int i = 0; i < 4; ++i) CHECK_TEXT(app.Text(ID_ROW_PAUSE + i), i < 2 ? kPausedMark : kRunningMark);
  for (int i = 4; i < 9; ++i) ADD_TIMER(app, L"20(t" + std::to_wstring(i) + L")", i + 1);

  CHECK_EQ(app.RunSecondInstance({L"0(zero)", L"2(b)", L"3(c)"}), 0);
  REQUIRE_ROWS(app, kMaxRows);
  CHECK(WaitText(app, ID_ROW_TIME + 9, L"b"), "row 10 is b, the first request that gives a timer");
  CHECK_TEXT(app.Text(ID_ROW_LABEL + 8), L"9:");
  CHECK_TEXT(app.Text(ID_ROW_LABEL + 9), L"0:");
  CHECK(!app.Enabled(ID_ADD), "the add button is greyed");
  CHECK_PLACE(app, ID_ADD, M().charWidth, 2 + 10 * M().RowPitch(), 5 * M().charWidth, M().lineHeight + 6);
  Shot(app.Main(), app.Main(), "ten_timers");

  CHECK(app.AddRequest(L"11(eleven)"), "request delivered");
  CHECK_EQ(app.RunSecondInstance({L"4(d)"}), 0);
  app.Key('A');
  app.Command(ID_ADD);
  Pause(600);
  CHECK_EQ(app.CountDialogs(kAddCaption), 0);
  CHECK_EQ(app.RowCount(), kMaxRows);
  CHECK_EQ(MainWindows(), 1);

  app.Key('0');
  CHECK(WaitText(app, ID_ROW_PAUSE + 9, kPausedMark), "key 0 pauses row 10");
  app.Key(VK_NUMPAD0);
  CHECK(WaitText(app, ID_ROW_PAUSE + 9, kRunningMark), "keypad 0 resumes row 10");
  app.Key('0', kAlt);
  HWND box = app.WaitDialog(kDeleteCaption);
  REQUIRE(box, "Alt+0 asks about row 10");
  CHECK_TEXT(MessageBoxText(box), L"タイマー10(b)を削除します\nよろしいですか？");
  CancelDialog(app, box);

  std::vector<std::pair<uint64_t, std::wstring>> expected = {
      {90000, L"old1"}, {150000, L"old2"}, {240000, L"arg1"}, {360000, L""}};
  for (int i = 4; i < 9; ++i) expected.push_back({1200000, L"t" + std::to_wstring(i)});
  expected.push_back({120000, L"b"});
  std::vector<Record> saved = SaveAndQuit(app);
  CheckTable(saved, expected);
  CHECK(saved[0].suspended == 1 && saved[1].suspended == 1 && saved[2].suspended == 0, "restored ones still paused");
}

// The forms of a request, checked by the timers the program hands over.
E2E_SCENARIO(request_forms) {
  const struct { std::wstring request; bool added; uint64_t preset; int clockMode; std::wstring name; } cases[] = {
      {L"5(tea)", true, 300000, 0, L"tea"},
      {L"5()", true, 300000, 0, L""},
      {L"5 (tea)", true, 300000, 0, L"tea"},
      {L"5(tea", true, 5 * 3600000ULL, 0, L""},
      {L"5(abcdefghijkl)", true, 300000, 0, L"abcdefghij"},
      {L"5(abcdefghi\xD83D\xDE00x)", true, 300000, 0, L"abcdefghi"},  // the pair would straddle unit 10
      {L"5(abcdefgh\xD83D\xDE00xy)", true, 300000, 0, L"abcdefgh\xD83D\xDE00"},
      {L"(tea)", false, 0, 0, L""},
      {L"pm5:30(夕方)", true, (17 * 60 + 30) * 60000ULL, 1, L"夕方"},
  };
  App app;
  START(app);
  int rows = 0;
  std::vector<std::pair<uint64_t, std::wstring>> expected;
  for (const auto& c : cases) {
    bool ok = false;
    LRESULT r = SendWithTimeout(app.Main(), kLbAddFile, 0, (LPARAM)c.request.c_str(), 3000, &ok);
    CHECK(ok && r == 0, "request " + Q(c.request) + " answered 0");
    if (c.added) expected.push_back({c.preset, c.name});
    rows += c.added;
    CHECK(WaitRows(app, rows, 1500), Printf("%d row(s) after ", rows) + Q(c.request));
  }
  std::vector<Record> saved = SaveAndQuit(app);
  CheckTable(saved, expected);
  for (size_t i = 0, k = 0; i < sizeof cases / sizeof cases[0] && k < saved.size(); ++i)
    if (cases[i].added) CHECK_EQ(saved[k++].clockMode, cases[i].clockMode);
}

// Requests another process may send: none, empty, huge, broken UTF-16, a storm. Each is answered
// with 0, the table never holds more than ten timers, and the program keeps working.
E2E_SCENARIO(untrusted_requests) {
  App app;
  START(app);
  Note(Printf("null request: sender ended with %lu (0 sent, 1 posted)", SendNullRequest(app.Main())));
  Pause(200);
  REQUIRE(app.Running(), "the program survives a request without text");
  CHECK_EQ(app.RowCount(), 0);

  const wchar_t tenHigh[] = L"\xD800\xD800\xD800\xD800\xD800\xD800\xD800\xD800\xD800\xD800";
  const struct { std::wstring request; int adds; const wchar_t* name; } cases[] = {  // adds -1: either
      {L"", 0, nullptr},
      {std::wstring(100000, L'9'), -1, L""},
      {L"1(" + std::wstring(99990, L'\xD800') + L")", 1, tenHigh},
      {L"2" + std::wstring(99998, L' ') + L"7", 1, L""},
      {std::wstring(100000, L'('), 0, nullptr},
      {L"\xD800", 0, nullptr},
      {L"\xDC00\xD800", 0, nullptr},
      {L"(\xD83D\xDE00)", 0, nullptr},
      {L"5(\xD800)", 1, L"\xD800"},
      {L"5(" + std::wstring(12, L'\xDC00') + L")", 1, nullptr},
      {L"5(abcdefghi\xD800x)", 1, nullptr},
      {L"5(x)\xDC00", 1, L""},
  };
  std::vector<const wchar_t*> names;  // per added timer; null: any name of at most ten units
  for (const auto& c : cases) {
    const int before = app.RowCount();
    bool ok = false;
    LRESULT r = SendWithTimeout(app.Main(), kLbAddFile, 0, (LPARAM)c.request.c_str(), 5000, &ok);
    const std::string what = Printf("request of %zu units starting ", c.request.size()) + Units(c.request.substr(0, 6));
    CHECK(ok && r == 0, what + Printf(": delivered %d, answer %lld", ok, (long long)r));
    REQUIRE(app.Running(), what + ": the program survives");
    const int added = app.RowCount() - before;
    CHECK(c.adds < 0 ? added == 0 || added == 1 : added == c.adds, what + Printf(": %d timer(s) added", added));
    if (added == 1) names.push_back(c.name);
  }

  // A storm of 1000 requests: only the first valid ones find room.
  std::vector<std::wstring> firstValid;
  int answeredZero = 0, most = 0;
  for (int i = 0; i < 1000; ++i) {
    const std::wstring forms[] = {L"", L"0(z)", L"30(n" + std::to_wstring(i) + L")", L"\xDFFF(\xD800)"};
    if (i % 4 == 2 && names.size() + firstValid.size() < (size_t)kMaxRows) firstValid.push_back(L"n" + std::to_wstring(i));
    bool ok = false;
    answeredZero += SendWithTimeout(app.Main(), kLbAddFile, 0, (LPARAM)forms[i % 4].c_str(), 3000, &ok) == 0 && ok;
    if (i % 50 == 0) most = std::max(most, Height(app.ClientRect()) > ExpectedClientHeight(kMaxRows) ? 11 : app.RowCount());
  }
  CHECK_EQ(answeredZero, 1000);
  CHECK(most <= kMaxRows, Printf("never more than ten rows (%d)", most));
  REQUIRE(app.Running(), "the program survives the storm");
  REQUIRE_ROWS(app, kMaxRows);
  bool ok = false;
  SendWithTimeout(app.Main(), WM_NULL, 0, 0, 1000, &ok);
  CHECK(ok, "the window answers within a second");
  app.Key('1');
  CHECK(WaitText(app, ID_ROW_PAUSE, kPausedMark), "key 1 still pauses row 1");

  std::vector<Record> saved = SaveAndQuit(app);
  REQUIRE(saved.size() == (size_t)kMaxRows, Printf("ten timers handed over (%zu)", saved.size()));
  for (size_t i = 0; i < saved.size(); ++i) {
    const wchar_t* want = i < names.size() ? names[i] : firstValid[i - names.size()].c_str();
    CHECK(saved[i].name.size() <= 10 && (!want || saved[i].name == want),
          Printf("timer %zu: name ", i + 1) + Units(saved[i].name) + (want ? ", expected " + Units(want) : ""));
  }
}
