// The window side of the tick: shows what CountDownTimers says, brings the window forward
// when timers run out and shows the one notice that lists them all, replacing an open one.
// Window-free: it works through ui/window_ops.h, so the unit tests drive it natively.
#include "tick_driver.h"
#include "resource.h"
#include "settings_store.h"
#include "text16.h"
#include "texts.h"
#include "tick.h"
#include "timer_handover.h"
#include "timer_table.h"
#include "window_ops.h"

const char16_t NOTICE_CAPTION[] = u"" NOTICE_BOX_CAPTION;

static const int NOTICE_TEXT_UNITS = 256;
// The wait for a closed notice to go away gives up after 30 polls of 100 ms, so a notice
// that never disappears cannot hang the program.
static const int REPLACE_WAIT_POLLS = 30;
static const unsigned REPLACE_WAIT_POLL_MS = 100;
// Timers that fall due this close together are reported in one notice, as one tick would:
// timers started by one command line are some milliseconds apart (each request rebuilds the
// rows), more on a busy machine. Only the first of such a group waits, by at most this long.
static const uint64_t EXPIRY_GROUP_MS = 100;

void ShowRowText(WindowHandle mainWindow, int row, const char16_t* text)
{
    if (row < 0 || row >= MAX_TIMERS)
        return;
    char16_t(&shown)[ROW_TEXT_UNITS] = Ui.ShownRowText[row];
    // Setting a static's text repaints it even when nothing changes.
    if (TextEqual(shown, text))
        return;
    TextCopy(shown, ROW_TEXT_UNITS, text);
    WindowSetRowText(mainWindow, row, shown);
}

static void DisarmEarlyCheck(WindowHandle mainWindow)
{
    if (!Ui.EarlyCheckArmed)
        return;
    WindowStopTimer(mainWindow, EARLY_CHECK_TIMER_ID);
    Ui.EarlyCheckArmed = 0;
}

// A timer that falls due before the next regular tick gets a check of its own at its due
// moment (with those due right after it), so that the notice is not up to a quarter second late. A check that comes a few
// milliseconds early (the tick count moves in steps) arms itself again for the rest.
static void ArmEarlyCheck(WindowHandle mainWindow)
{
    uint64_t due = NextExpiryDue(EXPIRY_GROUP_MS);
    if (due >= TICK_PERIOD_MS) {
        DisarmEarlyCheck(mainWindow);
        return;
    }
    Ui.EarlyCheckArmed = WindowStartTimer(mainWindow, EARLY_CHECK_TIMER_ID, static_cast<unsigned>(due));
}

// Starts the 250 ms tick when the table holds a timer and stops it (with the early check)
// when it holds none. 0 when the tick is needed but could not be started.
static int StartOrStopTick(WindowHandle mainWindow)
{
    if (App.Timers.Count > 0 && !Ui.WindowTimerId) {
        // LastTick stays where the last tick left it; AddTimer added the time since then to
        // the new timer, and the first tick takes it off again.
        if (WindowStartTimer(mainWindow, WINDOW_TIMER_ID, TICK_PERIOD_MS))
            Ui.WindowTimerId = WINDOW_TIMER_ID;
    } else if (App.Timers.Count <= 0 && Ui.WindowTimerId) {
        StopTicks(mainWindow);
    }
    return App.Timers.Count <= 0 || Ui.WindowTimerId != 0;
}

int TimersChanged(WindowHandle mainWindow)
{
    // Written first: a timer the user can see is already kept.
    JournalTimers();
    BuildTimerRows(mainWindow);
    // An expired row shows its label; a live one is written by the next tick.
    for (int row = 0; row < App.Timers.Count && row < MAX_TIMERS; ++row) {
        if (App.Timers.Records[row].Remaining != 0)
            continue;
        char16_t label[MAX_NAME_LENGTH + 1];
        CopyTimerLabel(&App.Timers.Records[row], label);
        ShowRowText(mainWindow, row, label);
    }
    return StartOrStopTick(mainWindow);
}

void StopTicks(WindowHandle mainWindow)
{
    if (Ui.WindowTimerId)
        WindowStopTimer(mainWindow, Ui.WindowTimerId);
    Ui.WindowTimerId = 0;
    DisarmEarlyCheck(mainWindow);
}

static void DrawAttention(WindowHandle mainWindow)
{
    if (!App.Mute && WindowForegroundOwner(mainWindow) != FOREGROUND_MAIN) {
        BringToFront(mainWindow);
        // Windows refuses the foreground to a program in the background; then the taskbar
        // button flashes until the user comes. Nothing else takes the focus.
        if (WindowForegroundOwner(mainWindow) == FOREGROUND_ELSEWHERE)
            WindowFlash(mainWindow);
    }
    WindowInvalidate(mainWindow);
}

// Closes the open notice so that a new one can list every expired timer, and waits until
// it has gone.
static void CloseOpenNotice(WindowHandle mainWindow)
{
    WindowHandle notice = WindowOpenNotice(mainWindow);
    if (notice == nullptr)
        return;
    WindowCloseNotice(notice);
    for (int poll = 0; poll < REPLACE_WAIT_POLLS; ++poll) {
        WindowSleep(REPLACE_WAIT_POLL_MS);
        if (WindowOpenNotice(mainWindow) == nullptr)
            return;
    }
}

static void ReportExpiries(WindowHandle mainWindow, const int* newlyExpired, int count)
{
    int expired[MAX_TIMERS];
    for (int k = 0; k < count; ++k)
        expired[k] = newlyExpired[k];
    if (App.NoticeState & NOTICE_SHOWN) {
        App.NoticeState |= NOTICE_REPLACING;
        // The new notice lists the timers of the open one as well.
        count = 0;
        for (int i = 0; i < App.Timers.Count && i < MAX_TIMERS; ++i)
            if (App.Timers.Records[i].Remaining == 0)
                expired[count++] = i;
        CloseOpenNotice(mainWindow);
        App.NoticeState &= ~NOTICE_REPLACING;
    }
    if (App.Mute)
        return;   // expired timers stay, red, until mute is switched off

    App.NoticeState |= NOTICE_SHOWN;
    char16_t notice[NOTICE_TEXT_UNITS];
    TextCopy(notice, NOTICE_TEXT_UNITS, Text(TEXT_NOTICE_HEADING));   // "時間です", it is time
    for (int k = 0; k < count; ++k) {
        char16_t label[MAX_NAME_LENGTH + 1];
        CopyTimerLabel(&App.Timers.Records[expired[k]], label);
        TextAppend(notice, NOTICE_TEXT_UNITS, u"\n");
        TextAppend(notice, NOTICE_TEXT_UNITS, label);
    }
    WindowShowNotice(mainWindow, notice);

    // A tick that replaced this notice has already removed the timers and rebuilt the rows.
    if (!(App.NoticeState & NOTICE_REPLACING)) {
        CompactExpired();
        TimersChanged(mainWindow);
    }
    App.NoticeState &= ~NOTICE_SHOWN;
}

void ProcessTick(WindowHandle mainWindow, int regular)
{
    // A tick further up the stack has not reached its notice: nothing changes, not even
    // LastTick or BlinkPhase.
    if (App.NoticeState & TICK_BUSY)
        return;
    App.NoticeState |= TICK_BUSY;

    TickOutcome outcome;
    CountDownTimers(regular, &outcome);
    for (int row = 0; row < outcome.RowCount; ++row)
        ShowRowText(mainWindow, row, outcome.RowText[row]);
    if (outcome.ExpiredCount > 0) {
        // Through the journal before the notice: a timer that ran out is reported at the next
        // start too, should the program end while the notice is open.
        TimersChanged(mainWindow);
        for (int k = 0; k < outcome.ExpiredCount; ++k)
            WindowAnnounceRow(mainWindow, outcome.Expired[k]);
        DrawAttention(mainWindow);
    }
    ArmEarlyCheck(mainWindow);

    // From here on a nested tick may run inside the notice's message loop.
    App.NoticeState &= ~TICK_BUSY;
    if (outcome.ExpiredCount > 0)
        ReportExpiries(mainWindow, outcome.Expired, outcome.ExpiredCount);
}

// While a dialog of ours is open the table stays as it is (the dialog may hold an index into it),
// but a timer whose time comes is not kept quiet: the taskbar button flashes and the information
// sound plays, once a dialog. The notice follows when the dialog closes.
static void SignalHeldExpiry(WindowHandle mainWindow)
{
    if (App.Mute || Ui.HeldExpirySignalled || !TimerIsDue())
        return;
    Ui.HeldExpirySignalled = 1;
    WindowFlash(mainWindow);
    WindowAlertSound();
}

static void TickOrHold(WindowHandle mainWindow, int regular)
{
    if (Ui.ModalOpen) {
        SignalHeldExpiry(mainWindow);
        return;
    }
    // The first tick after a dialog subtracts the whole time since LastTick.
    Ui.HeldExpirySignalled = 0;
    ProcessTick(mainWindow, regular);
}

void OnWindowTimer(WindowHandle mainWindow, uintptr_t timerId)
{
    const int regular = timerId == WINDOW_TIMER_ID;
    // A window timer repeats; the early check is meant to fire once.
    if (!regular)
        DisarmEarlyCheck(mainWindow);
    TickOrHold(mainWindow, regular);
}

// An alarm whose time the clock jumped past goes off now, not at the next tick; after a sleep
// the countdowns are right already (the tick count goes on while Windows sleeps), and the
// alarms are checked against the wall clock at once.
void OnClockChange(WindowHandle mainWindow)
{
    if (App.Timers.Count > 0)
        TickOrHold(mainWindow, 0);
}

void OnPowerEvent(WindowHandle mainWindow, uintptr_t event)
{
    if (event == POWER_RESUME_SUSPEND || event == POWER_RESUME_AUTOMATIC)
        OnClockChange(mainWindow);
}

void TimersAtClose()
{
    if (Ui.KeepTimersOnClose)
        FlushSettings();
    else if (App.RememberAtShutdown)
        DiscardJournal();
}
