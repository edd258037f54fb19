// Workspace and screen coordinates of the window position, and keeping the caption where the
// mouse can reach it.
#include "window_position.h"
#include <cstdint>

static int Inside(int64_t x, int64_t y, const ScreenRect& rect)
{
    return x >= rect.Left && x < rect.Right && y >= rect.Top && y < rect.Bottom;
}

int WorkspaceToScreen(WindowPosition saved, const MonitorArea* monitors, int count, WindowPosition* screen)
{
    for (int i = 0; i < count; ++i) {
        const MonitorArea& m = monitors[i];
        const int64_t x = int64_t(saved.X) + (int64_t(m.Work.Left) - m.Monitor.Left);
        const int64_t y = int64_t(saved.Y) + (int64_t(m.Work.Top) - m.Monitor.Top);
        // Inside a monitor, the point is within the monitor's own int coordinates.
        if (Inside(x, y, m.Monitor)) {
            *screen = {static_cast<int32_t>(x), static_cast<int32_t>(y)};
            return 1;
        }
    }
    return 0;
}

// The nearest start within [low, high - size], or low when size does not fit.
static int64_t Clamp(int64_t start, int64_t size, int64_t low, int64_t high)
{
    if (start > high - size)
        start = high - size;
    return start < low ? low : start;
}

static int64_t Distance(int64_t a, int64_t b) { return a > b ? a - b : b - a; }

WindowPosition CaptionInReach(WindowPosition place, int width, int height, const MonitorArea* monitors, int count)
{
    WindowPosition best = place;
    int64_t bestMove = INT64_MAX;
    for (int i = 0; i < count; ++i) {
        const ScreenRect& work = monitors[i].Work;
        const int64_t x = Clamp(place.X, width, work.Left, work.Right);
        const int64_t y = Clamp(place.Y, height, work.Top, work.Bottom);
        // Steps along each axis: no product, so nothing can overflow.
        const int64_t move = Distance(x, place.X) + Distance(y, place.Y);
        if (move < bestMove) {
            bestMove = move;
            best = {static_cast<int32_t>(x), static_cast<int32_t>(y)};
        }
    }
    return best;
}
