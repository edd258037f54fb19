// Timers requested by text: the program's own command line, and the arguments a second
// start forwards to the running instance as LB_ADDFILE messages.
#include "ui.h"
#include <stdlib.h>
#include "app_state.h"
#include "request_split.h"
#include "tick_driver.h"
#include "timer_table.h"

void AddTimerFromText(HWND window, const wchar_t* request)
{
    // The text may come from another process: a null or empty one is dropped, and the
    // splitting never copies more than the fixed buffers hold.
    if (!request || App.Timers.Count >= MAX_TIMERS)
        return;
    char16_t timeText[TIME_TEXT_UNITS];
    char16_t name[MAX_NAME_LENGTH + 1];
    SplitTimerRequest(AsUtf16(request), timeText, name);
    if (AddTimer(timeText, name))
        TimersChanged(window);
}

void SendCommandLineRequests(HWND window)
{
    for (int i = 1 + Ui.ArgumentsHandedOver; i < __argc; ++i)
        SendMessageW(window, LB_ADDFILE, 0, reinterpret_cast<LPARAM>(__wargv[i]));
}

int HandOverRequests(HWND running, int first)
{
    // A copy under load may take seconds to answer; one that takes longer than this is
    // asked again later, and may then take the request twice rather than lose it.
    const UINT ANSWER_MS = 20000;
    DWORD_PTR answer = 0;
    while (first < __argc && SendMessageTimeoutW(running, LB_ADDFILE, 0, reinterpret_cast<LPARAM>(__wargv[first]),
                                                 SMTO_NORMAL, ANSWER_MS, &answer))
        ++first;
    return first;
}
