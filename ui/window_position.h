// The saved window position is in workspace coordinates (GetWindowPlacement's, relative to
// the work area of the window's monitor); CreateWindowExW wants screen coordinates. With the
// taskbar at the top or left the two differ, and using one as the other moves the window at
// every start.
#pragma once
#include "app_state.h"

struct ScreenRect {
    int Left;
    int Top;
    int Right;
    int Bottom;
};

struct MonitorArea {
    ScreenRect Monitor;   // the whole monitor
    ScreenRect Work;      // the monitor less the taskbar and other desktop toolbars
};

// The screen point of a saved workspace position: on the first monitor (primary first) on
// which it lands inside the monitor. 0 when it lands on none; screen is then unchanged.
int WorkspaceToScreen(WindowPosition saved, const MonitorArea* monitors, int count, WindowPosition* screen);
// The workspace position of a screen point on the given monitor, as GetWindowPlacement gives it.
WindowPosition ScreenToWorkspace(WindowPosition screen, const MonitorArea& monitor);
