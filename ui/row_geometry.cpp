// The rectangles of the main window's rows and buttons; plain computations over the
// font metrics and the number of timers.
#include "row_geometry.h"
#include "app_state.h"

int RowPitch(int lineHeight) { return lineHeight + 10; }

PixelRect ClientAreaFor(int count, int charWidth, int lineHeight)
{
    PixelRect area = {0, 0, GRID_COLUMNS * charWidth, RowPitch(lineHeight) * (count + 1)};
    return area;
}

PixelRect RowControlRect(int row, int kind, int charWidth, int lineHeight)
{
    // Column and width in cells; the number label and the time display sit lower than the
    // buttons so that all three are centred on one line.
    static const int column[ROW_CONTROL_KINDS] = {1, 4, 15, 18, 21};
    static const int width[ROW_CONTROL_KINDS] = {3, 11, 3, 3, 3};
    static const int down[ROW_CONTROL_KINDS] = {3, 1, 0, 0, 0};
    static const int extraHeight[ROW_CONTROL_KINDS] = {0, 4, 6, 6, 6};
    if (kind < 0 || kind >= ROW_CONTROL_KINDS)
        kind = KIND_LABEL;
    int top = 2 + row * RowPitch(lineHeight);
    PixelRect rect = {column[kind] * charWidth, top + down[kind], width[kind] * charWidth,
                      lineHeight + extraHeight[kind]};
    return rect;
}

PixelRect BottomButtonRect(int count, int button, int charWidth, int lineHeight)
{
    static const int column[BOTTOM_BUTTONS] = {1, 6, 11, 16, 21};
    static const int width[BOTTOM_BUTTONS] = {5, 5, 5, 5, 3};
    if (button < 0 || button >= BOTTOM_BUTTONS)
        button = 0;
    PixelRect rect = {column[button] * charWidth, 2 + count * RowPitch(lineHeight), width[button] * charWidth,
                      lineHeight + 6};
    return rect;
}

int BandIsExpired(int band)
{
    return band >= 0 && band < App.Timers.Count && band < MAX_TIMERS && App.Timers.Records[band].Remaining == 0;
}

WindowColour BandBackground(int band, int highContrast)
{
    if (!BandIsExpired(band))
        return {SYSTEM_MENU, 0};
    return highContrast ? WindowColour{SYSTEM_HIGHLIGHT, 0} : WindowColour{FIXED_COLOUR, EXPIRED_RED};
}

int RowTimeHighlighted(int row, int highContrast)
{
    return highContrast && BandIsExpired(row);
}
