// Scenarios about timers surviving a quit: save-and-quit writes Suspend0.., the next start takes
// them back.
#include <cstring>

#include "scenario_common.h"

using namespace e2e;

namespace {

constexpr uint64_t kMsToFileTime = 10000;

struct Stored {
  uint64_t preset;
  int32_t suspended;
  int32_t clockMode;
  uint64_t timeField;
  std::wstring name;
  bool nameTailZero;
};

Stored Decode(const std::vector<uint8_t>& d) {
  Stored s{};
  s.preset = LeU64(d, 0);
  s.suspended = (int32_t)LeU32(d, 8);
  s.clockMode = (int32_t)LeU32(d, 12);
  s.timeField = LeU64(d, 16);
  s.nameTailZero = true;
  bool ended = false;
  for (size_t i = 0; i < 12 && 24 + 2 * i + 1 < d.size(); ++i) {
    wchar_t c = (wchar_t)(d[24 + 2 * i] | (d[25 + 2 * i] << 8));
    if (ended && c != 0) s.nameTailZero = false;
    if (!ended && c == 0) ended = true;
    if (!ended) s.name += c;
  }
  return s;
}

std::vector<uint8_t> Encode(uint64_t preset, int32_t suspended, int32_t clockMode, uint64_t timeField,
                            const std::wstring& name) {
  std::vector<uint8_t> d(48, 0);
  auto put = [&](size_t o, uint64_t v, int n) {
    for (int i = 0; i < n; ++i) d[o + i] = (uint8_t)(v >> (8 * i));
  };
  put(0, preset, 8);
  put(8, (uint32_t)suspended, 4);
  put(12, (uint32_t)clockMode, 4);
  put(16, timeField, 8);
  for (size_t i = 0; i < name.size() && i < 11; ++i) put(24 + 2 * i, name[i], 2);
  return d;
}

// Milliseconds from the local time now to the next 17:30:00.
int64_t MsUntil1730() {
  SYSTEMTIME st;
  GetLocalTime(&st);
  int64_t now = ((st.wHour * 60 + st.wMinute) * 60 + st.wSecond) * 1000LL + st.wMilliseconds;
  int64_t target = 17LL * 3600000 + 30 * 60000;
  return target > now ? target - now : target + 86400000 - now;
}

}  // namespace

E2E_SCENARIO(save_and_quit) {
  uint64_t savedAt = 0;
  {
    App app;
    START(app);
    ADD_TIMER(app, L"10(tea)", 1);
    ADD_TIMER(app, L"PM5:30", 2);
    ADD_TIMER(app, L"0:2:0", 3);
    // Pause it after a tick has counted it: a timer paused before its first tick keeps the
    // extra milliseconds that make up for the time since the previous tick.
    REQUIRE(WaitNonEmpty(app, ID_ROW_TIME + 2), "row 3 shows its time");
    Pause(300);
    app.Command(ID_ROW_PAUSE + 2);
    REQUIRE(WaitText(app, ID_ROW_PAUSE + 2, kPausedMark, 1500), "row 3 paused");
    Pause(300);

    savedAt = LocalFileTimeNow();
    app.Key('S');
    DWORD code = 1234;
    REQUIRE(app.WaitExit(5000, &code), "S saves the timers and ends the program");
    CHECK_EQ(code, 0);
  }

  RegValue v0 = ReadValue(L"Suspend0"), v1 = ReadValue(L"Suspend1"), v2 = ReadValue(L"Suspend2");
  for (const RegValue* v : {&v0, &v1, &v2})
    CHECK(v->exists && v->type == REG_BINARY && v->data.size() == 48, "Suspend value of 48 bytes of REG_BINARY");
  CHECK(!ReadValue(L"Suspend3").exists, "no Suspend3 for three timers");
  CHECK(ReadValue(L"Position").exists && ReadValue(L"Mute").exists && ReadValue(L"TopMost").exists,
        "the window settings are saved too");
  if (v0.data.size() == 48 && v1.data.size() == 48 && v2.data.size() == 48) {
    // A running countdown is stored by its local expiry time.
    Stored s = Decode(v0.data);
    CHECK_EQ(s.preset, 600000);
    CHECK_EQ(s.suspended, 0);
    CHECK_EQ(s.clockMode, 0);
    CHECK_EQ(s.timeField % kMsToFileTime, 0);
    int64_t left = (int64_t)(s.timeField - savedAt) / (int64_t)kMsToFileTime;
    CHECK(left > 590000 && left <= 600500, Printf("tea runs out about 10 minutes after the save (%lld ms)", (long long)left));
    CHECK_TEXT(s.name, L"tea");
    CHECK(s.nameTailZero, "the units after tea's terminator are zero");

    // A clock timer is stored the same way, by the moment it is due.
    s = Decode(v1.data);
    CHECK_EQ(s.preset, 17LL * 3600000 + 30 * 60000);
    CHECK_EQ(s.clockMode, 1);
    CHECK_EQ(s.suspended, 0);
    left = (int64_t)(s.timeField - savedAt) / (int64_t)kMsToFileTime;
    int64_t expected = MsUntil1730();
    CHECK(left > expected - 10000 && left < expected + 2000,
          Printf("the clock timer is due at 17:30 (%lld ms, expected about %lld)", (long long)left, (long long)expected));
    CHECK_TEXT(s.name, L"");

    // A paused countdown keeps its milliseconds.
    s = Decode(v2.data);
    CHECK_EQ(s.preset, 120000);
    CHECK_EQ(s.suspended, 1);
    CHECK_EQ(s.clockMode, 0);
    CHECK(s.timeField > 110000 && s.timeField <= 120000,
          Printf("the paused timer is stored with its milliseconds left (%llu)", (unsigned long long)s.timeField));
  }

  // The next start takes the timers back and removes the values.
  App app;
  START(app);
  REQUIRE_ROWS(app, 3);
  for (const wchar_t* name : {L"Suspend0", L"Suspend1", L"Suspend2"})
    CHECK(!ReadValue(name).exists, "restored value removed: " + Utf8(name));
  CHECK(WaitText(app, ID_ROW_TIME, L"tea", 2500), "row 1 is tea");
  CHECK(WaitFor([&] { return app.Text(ID_ROW_TIME).compare(0, 5, L" 0:09") == 0; }, 2500),
        "tea has a little under ten minutes left: " + Utf8(Quoted(app.Text(ID_ROW_TIME))));
  CHECK(WaitText(app, ID_ROW_TIME + 1, L"PM 5:30:00", 1500), "row 2 is the clock timer");
  CHECK(!app.Enabled(ID_ROW_PAUSE + 1), "the clock timer's button is greyed");
  CHECK_TEXT(app.Text(ID_ROW_PAUSE + 2), kPausedMark);
  std::wstring paused = app.Text(ID_ROW_TIME + 2);
  CHECK(paused == L" 0:01:59" || paused == L" 0:02:00" || paused == L" 0:01:58",
        "row 3 is paused with its time: " + Utf8(Quoted(paused)));
  Pause(1200);
  CHECK_TEXT(app.Text(ID_ROW_TIME + 2), paused);
  REQUIRE(app.Close(), "closes");
  CHECK(!ReadValue(L"Suspend0").exists, "a plain close hands nothing over");

  App third;
  START(third);
  Pause(300);
  CHECK_EQ(third.RowCount(), 0);
}

// Hand-over values written by hand: a paused timer, one that ran out while the program was away,
// one still running, a gap in the numbering and a value too long to be read.
E2E_SCENARIO(handover_restore) {
  const uint64_t now = LocalFileTimeNow();
  auto write = [](const wchar_t* name, const std::vector<uint8_t>& d) {
    REQUIRE(WriteValue(name, REG_BINARY, d.data(), (DWORD)d.size()), "value written: " + Utf8(name));
  };
  write(L"Suspend0", Encode(90000, 1, 0, 90000, L"p"));
  write(L"Suspend3", Encode(120000, 0, 0, now - 60000 * kMsToFileTime, L""));
  write(L"Suspend4", Encode(600000, 0, 0, now + 300000 * kMsToFileTime, L"later"));
  std::vector<uint8_t> tooLong = Encode(60000, 1, 0, 60000, L"long");
  tooLong.resize(50, 0);
  write(L"Suspend5", tooLong);

  App app;
  START(app);
  REQUIRE(WaitRows(app, 3, 1500) || app.FindDialog(kNoticeCaption), "three timers restored");
  HWND notice = app.WaitDialog(kNoticeCaption, 2000);
  REQUIRE(notice, "the timer that ran out while the program was away is reported at once");
  CHECK_TEXT(MessageBoxText(notice), L"時間です\n 0:02:00");
  CHECK_EQ(app.RowCount(), 3);
  CHECK_TEXT(app.Text(ID_ROW_PAUSE), kPausedMark);
  CHECK_TEXT(app.Text(ID_ROW_TIME + 1), L" 0:02:00");
  for (const wchar_t* name : {L"Suspend0", L"Suspend3", L"Suspend4"})
    CHECK(!ReadValue(name).exists, "restored value removed: " + Utf8(name));
  RegValue kept = ReadValue(L"Suspend5");
  CHECK(kept.exists && kept.data.size() == 50, "the over-long Suspend5 is left in place");

  PressDialogButton(notice, IDOK);
  REQUIRE_ROWS(app, 2);
  bool sawP = false, sawPausedTime = false;
  WaitFor([&] {
    std::wstring t = app.Text(ID_ROW_TIME);
    if (t == L"p") sawP = true;
    if (t == L" 0:01:30") sawPausedTime = true;
    return sawP && sawPausedTime;
  }, 3000);
  CHECK(sawP && sawPausedTime, "row 1 is the paused timer p with 1:30 left");
  CHECK(WaitText(app, ID_ROW_TIME + 1, L"later", 2500), "row 2 is later");
  CHECK(WaitFor([&] { return app.Text(ID_ROW_TIME + 1).compare(0, 5, L" 0:04") == 0; }, 2500),
        "later has a little under five minutes left: " + Utf8(Quoted(app.Text(ID_ROW_TIME + 1))));
}

// A timer that ran out while muted is handed over as expired and comes back red, still muted.
E2E_SCENARIO(handover_muted_expired) {
  {
    App app;
    START(app);
    app.Key('M');
    REQUIRE(WaitFor([&] { return app.CheckState(ID_MUTE) == BST_CHECKED; }, 1500), "muted");
    ADD_TIMER(app, L"0:0:1(x)", 1);
    ADD_TIMER(app, L"0:5", 2);
    REQUIRE(WaitFor([&] { return BandColour(app, 0) == kRed; }, 2500), "row 1 runs out and turns red");
    app.Command(ID_SUSPEND_ALL);
    REQUIRE(app.WaitExit(5000), "the save-and-quit button ends the program");
  }
  RegValue v = ReadValue(L"Suspend0");
  REQUIRE(v.exists && v.data.size() == 48, "Suspend0 written");
  Stored s = Decode(v.data);
  CHECK_EQ(s.preset, 1000);
  CHECK_EQ(s.suspended, 0);
  CHECK_EQ(s.timeField, 0);
  CHECK_TEXT(s.name, L"x");

  App app;
  START(app);
  REQUIRE_ROWS(app, 2);
  CHECK_EQ(app.CheckState(ID_MUTE), BST_CHECKED);
  CHECK(WaitText(app, ID_ROW_TIME, L"x", 1000), "the expired row shows its name");
  Pause(700);
  COLORREF band = BandColour(app, 0);
  CHECK(band == kRed, "the expired row is red again: " + Rgb(band));
  CHECK_EQ(app.CountDialogs(kNoticeCaption), 0);
  CHECK_TEXT(app.Text(ID_ROW_TIME), L"x");
  app.Key('M');
  REQUIRE_ROWS(app, 1);
  CHECK(WaitFor([&] { return app.Text(ID_ROW_TIME).compare(0, 5, L" 0:04") == 0; }, 1500),
        "the five-minute timer is left in row 1");
}
