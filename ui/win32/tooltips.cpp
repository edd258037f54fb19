// One tooltip control with a tool for every button and time display of the main window,
// kept in step with the rows. The texts are asked for when a tip shows (TTN_GETDISPINFOW),
// so a row's tip tells the time left at that moment, and again whenever the row's text changes
// while its tip shows.
#include "ui.h"
#include <commctrl.h>
#include "app_state.h"
#include "resource.h"
#include "control_texts.h"

static HWND ToolTip() { return static_cast<HWND>(Ui.ToolTip); }

// A static control lets the mouse through to the window below it, so a time display's tool
// is a rectangle of the main window; a button's tool is the button itself.
static int IsTimeDisplay(int id) { return id >= ID_ROW_TIME && id < ID_ROW_TIME + MAX_TIMERS; }

static TOOLINFOW ToolFor(HWND window, HWND control, int id)
{
    TOOLINFOW tool = {};
    tool.cbSize = sizeof(tool);
    tool.hwnd = window;
    tool.uFlags = IsTimeDisplay(id) ? 0 : TTF_IDISHWND;   // no TTF_SUBCLASS: see RelayToolTipMouse
    tool.uId = IsTimeDisplay(id) ? static_cast<UINT_PTR>(id) : reinterpret_cast<UINT_PTR>(control);
    tool.lpszText = LPSTR_TEXTCALLBACKW;
    return tool;
}

void CreateToolTips()
{
    // Owned by no window: a tooltip makes itself top-most, and under Wine a top-most popup owned
    // by the main window keeps the main window from being made top-most itself. The tip still
    // comes to the top whenever it shows; the main window destroys it when it ends.
    Ui.ToolTip = CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                                  CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr,
                                  static_cast<HINSTANCE>(Ui.Instance), nullptr);
    // A width makes the tip break lines at "\n": the name above, the time below.
    if (ToolTip())
        SendMessageW(ToolTip(), TTM_SETMAXTIPWIDTH, 0, 400);
}

void DestroyToolTips()
{
    if (ToolTip())
        DestroyWindow(ToolTip());
    Ui.ToolTip = nullptr;
}

void AddToolTip(HWND window, HWND control, int id)
{
    if (!ToolTip() || !control || (id >= ID_ROW_LABEL && id < ID_ROW_LABEL + MAX_TIMERS))
        return;
    TOOLINFOW tool = ToolFor(window, control, id);
    SendMessageW(ToolTip(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

void RemoveToolTip(HWND window, HWND control, int id)
{
    if (!ToolTip())
        return;
    TOOLINFOW tool = ToolFor(window, control, id);
    SendMessageW(ToolTip(), TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

void PlaceToolTip(HWND window, int id, const RECT& rect)
{
    if (!ToolTip() || !IsTimeDisplay(id))
        return;
    TOOLINFOW tool = ToolFor(window, nullptr, id);
    tool.rect = rect;
    SendMessageW(ToolTip(), TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&tool));
}

void OnToolTipText(NMTTDISPINFOW* info)
{
    const int id = (info->uFlags & TTF_IDISHWND) ? GetDlgCtrlID(reinterpret_cast<HWND>(info->hdr.idFrom))
                                                 : static_cast<int>(info->hdr.idFrom);
    ToolTipText(id, Ui.ToolTipBuffer);
    info->lpszText = AsWide(Ui.ToolTipBuffer);
}

void RefreshToolTip(int id)
{
    // Nothing to do, and no message sent, while no tip shows.
    if (!ToolTip() || !IsWindowVisible(ToolTip()))
        return;
    TOOLINFOW tool = {};
    tool.cbSize = sizeof(tool);
    if (!SendMessageW(ToolTip(), TTM_GETCURRENTTOOLW, 0, reinterpret_cast<LPARAM>(&tool)))
        return;
    const int shown = (tool.uFlags & TTF_IDISHWND) ? GetDlgCtrlID(reinterpret_cast<HWND>(tool.uId))
                                                   : static_cast<int>(tool.uId);
    if (shown != id)
        return;
    // The control asks for its text again and redraws the tip where it is.
    tool.lpszText = LPSTR_TEXTCALLBACKW;
    SendMessageW(ToolTip(), TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
}

// The tip learns where the mouse is from the message loop. A tooltip that subclasses the main
// window instead finds its data (GetProp) on every message the window gets, each tick and each
// row repaint among them, and under Wine each of those is a round trip to the server. A mouse
// message over a time display comes to the main window (a static lets the mouse through) in its
// coordinates, which its rectangle tool is in; one over a button comes to the button, its tool.
void RelayToolTipMouse(const MSG* message)
{
    switch (message->message) {
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
        break;
    default:
        return;
    }
    HWND main = static_cast<HWND>(Ui.MainWindow);
    if (ToolTip() && (message->hwnd == main || GetParent(message->hwnd) == main))
        SendMessageW(ToolTip(), TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(message));
}
