// Where the main window's controls go: a grid of character cells measured in CharWidth
// and LineHeight, one row cell of LineHeight + 10 pixels per timer plus the bottom row.
#pragma once
#include <cstdint>

struct PixelRect {
    int X;
    int Y;
    int Width;
    int Height;
};

// The five controls of a row, in the order they are created and placed.
enum RowControlKind { KIND_LABEL, KIND_TIME, KIND_PAUSE, KIND_EDIT, KIND_DELETE, ROW_CONTROL_KINDS };
const int BOTTOM_BUTTONS = 5;   // add, mute, topmost, save and quit, settings
const int GRID_COLUMNS = 25;

int RowPitch(int lineHeight);
// The client area for count timers: GRID_COLUMNS cells wide, count + 1 row cells high.
PixelRect ClientAreaFor(int count, int charWidth, int lineHeight);
PixelRect RowControlRect(int row, int kind, int charWidth, int lineHeight);
PixelRect BottomButtonRect(int count, int button, int charWidth, int lineHeight);
// Band b lies behind row b (the last band behind the bottom buttons); it is red while
// timer b has expired.
int BandIsExpired(int band);

// A colour of the main window: the system colour with that index (a COLOR_ value), or where
// System is FIXED_COLOUR, Rgb (0x00BBGGRR).
const int FIXED_COLOUR = -1;
const int SYSTEM_MENU = 4;              // COLOR_MENU
const int SYSTEM_HIGHLIGHT = 13;        // COLOR_HIGHLIGHT
const int SYSTEM_HIGHLIGHT_TEXT = 14;   // COLOR_HIGHLIGHTTEXT
const uint32_t EXPIRED_RED = 0x0000FF;
struct WindowColour {
    int System;
    uint32_t Rgb;
};
// Band b's background: the menu colour, red while its timer has expired. With high contrast
// every colour is the system's: an expired band takes the highlight colour.
WindowColour BandBackground(int band, int highContrast);
// Whether row's time display is drawn in colours of the program's (with high contrast on an
// expired row: the highlight text on the highlight), or in the control's own.
int RowTimeHighlighted(int row, int highContrast);
