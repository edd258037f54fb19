// The quarter-second tick: counts the timers down, refreshes the row texts, and on expiry
// raises the window and shows the one time-up notice that lists every expired timer.
#include "tick.h"
#include "platform.h"
#include "text16.h"
#include "time_text.h"
#include "timer_table.h"

const char16_t NoticeCaption[] = u"TimeUp";

// Identifier of row 0's time display; row i's is this + i (ID_ROW_TIME of the window).
static const int RowTimeControl = 0x200;
static const int NoticeTextUnits = 256;
// "時間です" (it is time), the first line of the notice; escaped so that every compiler
// reads the source the same way.
static const char16_t NoticeHeading[] = u"\u6642\u9593\u3067\u3059";
// The wait for a closed notice to go away gives up after 30 polls of 100 ms, so a
// notice that never disappears cannot hang the program.
static const int ReplaceWaitPolls = 30;
static const unsigned ReplaceWaitPollMs = 100;

// A label or name cut to the 10 units a name may have, so that a record whose name lost
// its terminator cannot make a row or the notice read on into the next record.
struct RowText {
    char16_t Units[MAX_NAME_LENGTH + 1];
};

static RowText Bounded(const char16_t* text)
{
    RowText out;
    TextCopyWhole(out.Units, MAX_NAME_LENGTH + 1, text);
    return out;
}

// A running or paused row shows its name while BlinkPhase is below 4, else its time: the
// target time of a clock timer, the time left of a countdown.
static void ShowRunningRow(WindowHandle mainWindow, int index, const TimerRecord* record)
{
    if (App.BlinkPhase < 4 && record->Name[0] != 0) {
        PlatformSetRowText(mainWindow, RowTimeControl + index, Bounded(record->Name).Units);
        return;
    }
    uint64_t value = record->ClockMode ? record->Preset : record->Remaining;
    PlatformSetRowText(mainWindow, RowTimeControl + index, FormatTimeText(value, record->ClockMode));
}

// 1 when popup is an open time-up notice of the main window.
static int IsOpenNotice(WindowHandle mainWindow, WindowHandle popup)
{
    if (popup == nullptr || popup == mainWindow)
        return 0;
    char16_t caption[NoticeTextUnits];
    caption[0] = 0;
    if (PlatformWindowCaption(popup, caption, NoticeTextUnits) <= 0)
        return 0;
    caption[NoticeTextUnits - 1] = 0;
    return TextEqual(caption, NoticeCaption);
}

// Closes the open notice so that a new one can list every expired timer.
static void CloseOpenNotice(WindowHandle mainWindow)
{
    WindowHandle popup = PlatformLastActivePopup(mainWindow);
    if (!IsOpenNotice(mainWindow, popup))
        return;
    PlatformSendCancel(popup);
    for (int poll = 0; poll < ReplaceWaitPolls; ++poll) {
        PlatformSleep(ReplaceWaitPollMs);
        if (!IsOpenNotice(mainWindow, PlatformLastActivePopup(mainWindow)))
            return;
    }
}

void ProcessTick(WindowHandle mainWindow)
{
    if (App.NoticeState & TickBusy)
        return;
    App.NoticeState |= TickBusy;

    uint64_t now = PlatformTickCount();
    uint64_t delta = now - App.LastTick;
    App.LastTick = now;
    App.BlinkPhase = (App.BlinkPhase + 1) & 7;

    TimerTable& table = App.Timers;
    if (table.Count <= 0) {
        App.NoticeState &= ~TickBusy;
        return;
    }

    int expired[MAX_TIMERS];
    int expiredCount = 0;
    for (int i = 0; i < table.Count && i < MAX_TIMERS; ++i) {
        TimerRecord& record = table.Records[i];
        if (record.Remaining == 0)
            continue;   // expired earlier, waiting for removal
        if (record.Suspended != 0) {
            ShowRunningRow(mainWindow, i, &record);
        } else if (record.Remaining > delta) {
            record.Remaining -= delta;
            ShowRunningRow(mainWindow, i, &record);
        } else {
            expired[expiredCount++] = i;
            record.Remaining = 0;
            PlatformSetRowText(mainWindow, RowTimeControl + i, Bounded(TimerLabel(&record)).Units);
        }
    }
    if (expiredCount == 0) {
        App.NoticeState &= ~TickBusy;
        return;
    }

    if (!App.Mute) {
        WindowHandle foreground = PlatformForegroundWindow();
        if (foreground == nullptr || (foreground != mainWindow && !PlatformIsChild(mainWindow, foreground)))
            BringToFront(mainWindow);
    }
    PlatformInvalidateAll(mainWindow);
    // From here on a nested tick may run inside the notice's message loop.
    App.NoticeState &= ~TickBusy;

    if (App.NoticeState & NoticeShown) {
        App.NoticeState |= NoticeReplacing;
        // The new notice lists the timers of the open one as well.
        expiredCount = 0;
        for (int i = 0; i < table.Count && i < MAX_TIMERS; ++i)
            if (table.Records[i].Remaining == 0)
                expired[expiredCount++] = i;
        CloseOpenNotice(mainWindow);
        App.NoticeState &= ~NoticeReplacing;
    }

    if (App.Mute)
        return;   // expired timers stay, red, until mute is switched off

    App.NoticeState |= NoticeShown;
    char16_t notice[NoticeTextUnits];
    TextCopy(notice, NoticeTextUnits, NoticeHeading);
    for (int k = 0; k < expiredCount; ++k) {
        TextAppend(notice, NoticeTextUnits, u"\n");
        TextAppend(notice, NoticeTextUnits, Bounded(TimerLabel(&table.Records[expired[k]])).Units);
    }
    PlatformShowNotice(mainWindow, notice);

    // A tick that replaced this notice has already removed the timers and rebuilt the rows.
    if (!(App.NoticeState & NoticeReplacing)) {
        CompactExpired();
        BuildTimerRows(mainWindow);
    }
    App.NoticeState &= ~NoticeShown;
}

void BringToFront(WindowHandle window)
{
    WindowHandle target = PlatformLastActivePopup(window);
    if (target == nullptr)
        target = window;
    uint32_t currentThread = PlatformCurrentThreadId();
    uint32_t windowThread = PlatformWindowThreadId(window);
    PlatformAttachThreadInput(windowThread, currentThread, 1);
    PlatformSetForegroundWindow(target);
    PlatformAttachThreadInput(windowThread, currentThread, 0);
    PlatformSetActiveWindow(target);
}
