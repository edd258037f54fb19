// Where the main window's controls go: a grid of character cells measured in CharWidth
// and LineHeight, one row cell of LineHeight + 10 pixels per timer plus the bottom row.
#pragma once

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
