// What the main window's controls say about themselves: each one's tooltip (a row's whole name
// and what its time means, every button's key), its accessible name where its own text says too
// little (a glyph on a button, a time display cut short) and its keyboard shortcut; and the
// timer dialog's tip on its time field: what the text in it means, above the forms of a time text.
#pragma once
#include "window_state.h"

const int ACCESSIBLE_KEY_UNITS = 8;   // "Ctrl+0" and the terminator
const int TIME_FIELD_TIP_UNITS = 128;  // a reading, an empty line and the forms (English the longer)

// The tip of the control with this identifier, taken now (empty for a control without one).
void ToolTipText(int controlId, char16_t (&text)[TIP_TEXT_UNITS]);
// The accessible name of the control, taken now; empty where its own text is its name.
void AccessibleName(int controlId, char16_t (&name)[TIP_TEXT_UNITS]);
// The key that works the control, as a screen reader names it ("1", "Ctrl+1", "A"); empty for
// a control without one.
void AccessibleShortcut(int controlId, char16_t (&key)[ACCESSIBLE_KEY_UNITS]);
// The tip of the timer dialog's time field holding timeText: its reading (none while the field is
// empty), an empty line and the forms.
void TimeFieldTip(const char16_t* timeText, char16_t (&tip)[TIME_FIELD_TIP_UNITS]);
