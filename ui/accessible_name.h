// What a screen reader says for the main window's controls whose own text says too little: a
// glyph on a button, a time display cut short. And every button's key.
#pragma once
#include "window_state.h"

const int ACCESSIBLE_KEY_UNITS = 8;   // "Ctrl+0" and the terminator

// The accessible name of the control with this identifier, taken now; empty where the
// control's own text is its name.
void AccessibleName(int controlId, char16_t (&name)[TIP_TEXT_UNITS]);
// The key that works the control, as a screen reader names it ("1", "Ctrl+1", "A"); empty for
// a control without one.
void AccessibleShortcut(int controlId, char16_t (&key)[ACCESSIBLE_KEY_UNITS]);
