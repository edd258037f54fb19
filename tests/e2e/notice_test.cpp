// Timers running out: the red row and the notice, notices combined and replaced, mute, and no ticks while a
// dialog of the window is open.
#include "driver.h"

#include <regex>

using namespace e2e;
using Notice = E2e;

// Timers running out in one tick share one notice, owned by the window, which comes forward; one running out
// while it is open replaces it with one that lists all. Expired rows turn red; the ticks go on meanwhile.
TEST_F(Notice, TimersRunningOutTogetherOrMeanwhileShareOneNotice) {
  const std::wstring both = kSay.heading + std::wstring(L"\n一\n二"), all = both + L"\n 0:00:05";
  Program app;
  HWND other = Decoy(), notice = nullptr;
  app.Start();
  Foreground(other);
  for (const wchar_t* request : {L"0:0:2(一)", L"0:0:2(二)", L"0:0:5", L"0:5:0(stay)"}) app.Request(request);
  // Requested apart, the first two may straddle a tick: then the first's notice is replaced at once by one for both.
  Await([&] {
    notice = app.Dialog(kNotice);
    return Text(notice, kBoxText) == both;
  }, L"one notice for both");
  EXPECT_EQ(app.main, GetWindow(notice, GW_OWNER));
  app.WaitBands({true, true});
  Await([&] { return GetAncestor(GetForegroundWindow(), GA_ROOTOWNER) == app.main; }, L"the notice in front");
  app.WaitText(ID_ROW_TIME + 3, L" 0:04:", true);  // the ticks go on
  size_t most = 0;  // notices open at once
  Await([&] {
    const std::vector<HWND> shown = Shown(app.pi.dwProcessId, kDialogClass, kNotice);
    most = std::max(most, shown.size());
    notice = shown.empty() ? nullptr : shown[0];
    return Text(notice, kBoxText) == all;
  }, L"the notice replaced by one that lists all");
  EXPECT_EQ(1u, most);
  app.WaitBands({true, true, true});
  EXPECT_EQ(L" 0:00:05", app.Text(ID_ROW_TIME + 2));
  Shot(app.main, notice, "notice_combined");
  app.Close(notice, IDOK);
  app.WaitRows(1);
  app.WaitBands({});
  app.WaitText(ID_ROW_TIME, L"stay");
}

// Muted, expired timers stay as red rows, without a notice and without taking the foreground, whatever part
// of the window is repainted; un-muting removes them.
TEST_F(Notice, MutedTimersStayRedWithoutANotice) {
  const std::vector<bool> red = {true, false, true, false};
  const LONG p = Font.pitch, w = 25 * Font.cw;
  Program app;
  HWND other = Decoy();
  app.Start();
  Key(app, L"m");
  Await([&] { return app.Check(ID_MUTE) == BST_CHECKED; }, L"M mutes");
  Foreground(other);
  for (const wchar_t* request : {L"0:0:1(r)", L"0:5", L"0:0:1(s)"}) app.Request(request);
  app.WaitBands(red);
  app.Settle();  // the tick that found them expired is done
  EXPECT_EQ(0u, app.Dialogs(kNotice));
  EXPECT_EQ(other, GetForegroundWindow());
  EXPECT_EQ(L"s", app.Text(ID_ROW_TIME + 2));
  for (RECT part : {RECT{0, p / 2, w, p * 2 + 3}, {0, p + 1, w / 2, p * 3 + 9}, {w / 3, p * 2 + 5, w, p * 4},
                    {0, 3, 5, p * 4 - 3}}) {
    HDC dc = GetDC(app.main);  // blackened first, so only the program's own repaint of the part is right
    FillRect(dc, &part, HBRUSH(GetStockObject(BLACK_BRUSH)));
    ReleaseDC(app.main, dc);
    Await([&] { return !Bands(app.main, red, part).empty(); }, L"the part blackened");
    RedrawWindow(app.main, &part, 0, RDW_INVALIDATE | RDW_ERASE);
    app.WaitBands(red, part);
  }
  Key(app, L"m");
  app.WaitRows(1);  // un-muted, the expired rows go
  EXPECT_EQ(0u, app.Dialogs(kNotice)) << "without a notice";
}

// While a dialog of the window is open no tick counts: a timer due meanwhile runs out right after. " 0:00:02" shows
// from two seconds before it is due; once the tick after that has flashed the window, the row still shows it.
TEST_F(Notice, NoTickCountsWhileADialogIsOpen) {
  Program app;
  app.Start({L"0:0:3"});
  HookProbe(app);
  app.WaitText(ID_ROW_TIME, L" 0:00:02");
  HWND dlg = app.Open(ID_ADD, kAdd);
  const HANDLE flashes = GetPropW(app.main, kFlashesProperty);
  Await([&] { return GetPropW(app.main, kFlashesProperty) != flashes; }, L"the flash of a timer due under the dialog");
  app.Settle();
  EXPECT_EQ(L" 0:00:02", app.Text(ID_ROW_TIME));
  EXPECT_EQ(0u, app.Dialogs(kNotice));
  app.Close(dlg, IDCANCEL);
  const HWND notice = app.Dialog(kNotice);
  EXPECT_EQ(kSay.heading + std::wstring(L"\n 0:00:03"), Text(notice, kBoxText)) << "the notice right after it";
}

std::vector<std::pair<DWORD, HWND>> Heard;  // the name and live region changes of whole windows, as a screen reader hears them
void CALLBACK Hear(HWINEVENTHOOK, DWORD event, HWND window, LONG object, LONG child, DWORD, DWORD) {
  if (object == OBJID_CLIENT && child == CHILDID_SELF) Heard.push_back({event, window});
}

// A screen reader hears each row with its number and state, and a timer that runs out at once, muted too: its time
// display raises a name change and a live region change. The dialogs' fields are named by their labels.
TEST_F(Notice, AScreenReaderHearsTheRowsAndTheirExpiry) {
  const BYTE mute[4] = {1};
  WriteValue(L"Mute", REG_BINARY, mute, 4);
  HWINEVENTHOOK hook = SetWinEventHook(EVENT_OBJECT_NAMECHANGE, EVENT_OBJECT_LIVEREGIONCHANGED, nullptr, Hear, 0, 0,
                                       WINEVENT_OUTOFCONTEXT);  // before the start: the timer can run out at once
  Program app;
  app.Start({L"5(お茶)", L"1:30", L"0:0:2"});
  app.WaitRows(3);
  HWND expiring = app.Control(ID_ROW_TIME + 2);
  const std::pair<DWORD, HWND> live = {EVENT_OBJECT_LIVEREGIONCHANGED, expiring}, named = {EVENT_OBJECT_NAMECHANGE, expiring};
  Await([&] { return std::count(Heard.begin(), Heard.end(), live) == 1; }, L"a live region change");
  EXPECT_EQ(1, std::count(Heard.begin(), Heard.end(), named)) << "and a name change";
  EXPECT_EQ(kSay.timer + std::wstring(L"3 ") + kSay.timeUp + L"/", Said(expiring));
  UnhookWinEvent(hook);
  Key(app, L"2");
  app.WaitText(ID_ROW_PAUSE + 1, kPaused);
  EXPECT_TRUE(std::regex_match(Said(app.Control(ID_ROW_TIME)), std::wregex(kSay.timer + std::wstring(L"1 お茶 ") + kSay.left + L"0:04:\\d\\d/")));
  EXPECT_TRUE(std::regex_match(Said(app.Control(ID_ROW_TIME + 1)), std::wregex(kSay.timer + std::wstring(L"2 ") + kSay.paused + kSay.left + L"1:29:\\d\\d/")));
  EXPECT_EQ(kSay.timer + std::wstring(L"1/"), Said(app.Control(ID_ROW_LABEL)));
  HWND dlg = app.Open(ID_ADD, kAdd);
  EXPECT_EQ(kSay.name + std::wstring(L"/"), Said(GetDlgItem(dlg, IDC_NAME)));
  app.Close(dlg, IDCANCEL);
  dlg = app.Open(ID_SETTINGS, kSettings);
  EXPECT_EQ(kSay.hotKey + std::wstring(L"/Alt+H"), Said(GetDlgItem(dlg, IDC_HOTKEY)));
  app.Close(dlg, IDCANCEL);
}
