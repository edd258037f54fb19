// Workspace and screen coordinates of the window position: they differ by the offset of the
// monitor's work area from the monitor's corner.
#include "window_position.h"

static int Inside(WindowPosition point, const ScreenRect& rect)
{
    return point.X >= rect.Left && point.X < rect.Right && point.Y >= rect.Top && point.Y < rect.Bottom;
}

int WorkspaceToScreen(WindowPosition saved, const MonitorArea* monitors, int count, WindowPosition* screen)
{
    for (int i = 0; i < count; ++i) {
        const MonitorArea& m = monitors[i];
        WindowPosition candidate = {saved.X + (m.Work.Left - m.Monitor.Left), saved.Y + (m.Work.Top - m.Monitor.Top)};
        if (Inside(candidate, m.Monitor)) {
            *screen = candidate;
            return 1;
        }
    }
    return 0;
}

WindowPosition ScreenToWorkspace(WindowPosition screen, const MonitorArea& monitor)
{
    WindowPosition saved = {screen.X - (monitor.Work.Left - monitor.Monitor.Left),
                            screen.Y - (monitor.Work.Top - monitor.Monitor.Top)};
    return saved;
}
