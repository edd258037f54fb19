// What the tooltip of each control of the main window says: a row's whole name and what its
// time means, and every button's key; and the timer dialog's hint on the time texts.
#pragma once
#include "window_state.h"

// The tip of the control with this identifier, taken now (empty for a control without one).
void ToolTipText(int controlId, char16_t (&text)[TIP_TEXT_UNITS]);
// The timer dialog's hint on its time field: the forms a time text takes.
extern const char16_t TIME_FIELD_HINT[];
