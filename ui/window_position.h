// The saved window position is in workspace coordinates (GetWindowPlacement's, relative to
// the work area of the window's monitor); CreateWindowExW wants screen coordinates. With the
// taskbar at the top or left the two differ, and using one as the other moves the window at
// every start. A stored position may be anything, so all of this is done in 64 bits.
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
// Where a window at `place` goes so that its caption, `width` by `height` pixels from its
// top-left corner, lies wholly in the work area of a monitor: the least move (the primary's
// work area on a tie), none when it already does. A caption wider or taller than every work
// area keeps to the work area's left or top edge. With no monitor the place stays.
WindowPosition CaptionInReach(WindowPosition place, int width, int height, const MonitorArea* monitors, int count);
