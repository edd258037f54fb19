// The window operations of the tick and the notice, on the real Win32 calls.
#include "ui.h"
#include "resource.h"
#include "tick_driver.h"
#include "window_ops.h"

static HWND AsWindow(WindowHandle window) { return static_cast<HWND>(window); }

void WindowSetRowText(WindowHandle, int row, const char16_t* text)
{
    SetWindowTextW(AsWindow(Ui.RowTimeDisplay[row]), AsWide(text));
    RefreshToolTip(ID_ROW_TIME + row);
}

#ifndef EVENT_OBJECT_LIVEREGIONCHANGED
#define EVENT_OBJECT_LIVEREGIONCHANGED 0x8019
#endif

void WindowAnnounceRow(WindowHandle, int row)
{
    HWND display = row >= 0 && row < MAX_TIMERS ? AsWindow(Ui.RowTimeDisplay[row]) : nullptr;
    if (!display)
        return;
    MarkAssertive(display);
    NotifyWinEvent(EVENT_OBJECT_NAMECHANGE, display, OBJID_CLIENT, CHILDID_SELF);
    NotifyWinEvent(EVENT_OBJECT_LIVEREGIONCHANGED, display, OBJID_CLIENT, CHILDID_SELF);
}

int WindowForegroundOwner(WindowHandle mainWindow)
{
    HWND main = AsWindow(mainWindow);
    HWND foreground = GetForegroundWindow();
    if (foreground == nullptr)
        return FOREGROUND_ELSEWHERE;
    if (foreground == main || IsChild(main, foreground))
        return FOREGROUND_MAIN;
    return GetAncestor(foreground, GA_ROOTOWNER) == main ? FOREGROUND_POPUP : FOREGROUND_ELSEWHERE;
}

void BringToFront(WindowHandle window)
{
    HWND target = GetLastActivePopup(AsWindow(window));
    if (target == nullptr)
        target = AsWindow(window);
    // Attaching to the window's thread lets another process (a second start) pass the
    // foreground on; for our own thread the calls fail without effect.
    DWORD windowThread = GetWindowThreadProcessId(AsWindow(window), nullptr);
    DWORD currentThread = GetCurrentThreadId();
    AttachThreadInput(windowThread, currentThread, TRUE);
    SetForegroundWindow(target);
    AttachThreadInput(windowThread, currentThread, FALSE);
    SetActiveWindow(target);
}

void WindowFlash(WindowHandle window)
{
    FLASHWINFO flash = {};
    flash.cbSize = sizeof(flash);
    flash.hwnd = AsWindow(window);
    flash.dwFlags = FLASHW_ALL | FLASHW_TIMERNOFG;
    FlashWindowEx(&flash);
}

void WindowAlertSound() { MessageBeep(MB_ICONINFORMATION); }

void WindowInvalidate(WindowHandle window) { InvalidateRect(AsWindow(window), nullptr, TRUE); }

WindowHandle WindowOpenNotice(WindowHandle mainWindow)
{
    HWND popup = GetLastActivePopup(AsWindow(mainWindow));
    if (popup == nullptr || popup == AsWindow(mainWindow))
        return nullptr;
    // A caption longer than the buffer is cut and then differs from "TimeUp".
    wchar_t caption[256];
    if (GetWindowTextW(popup, caption, 256) <= 0 || lstrcmpW(caption, AsWide(NOTICE_CAPTION)) != 0)
        return nullptr;
    return popup;
}

void WindowCloseNotice(WindowHandle notice) { SendMessageW(AsWindow(notice), WM_COMMAND, IDCANCEL, 0); }

void WindowSleep(unsigned milliseconds) { Sleep(milliseconds); }

void WindowShowNotice(WindowHandle mainWindow, const char16_t* text)
{
    // The button in the program's language (Windows itself takes its own), on top of other programs' windows.
    MessageBoxExW(AsWindow(mainWindow), AsWide(text), AsWide(NOTICE_CAPTION), MB_OK | MB_ICONINFORMATION | MB_TOPMOST,
                  ProgramLanguage());
}

int WindowStartTimer(WindowHandle mainWindow, uintptr_t id, unsigned milliseconds)
{
    return SetTimer(AsWindow(mainWindow), id, milliseconds, nullptr) != 0 ? 1 : 0;
}

void WindowStopTimer(WindowHandle mainWindow, uintptr_t id) { KillTimer(AsWindow(mainWindow), id); }
