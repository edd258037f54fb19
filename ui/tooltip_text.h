// What the tooltip of each control of the main window says: a row's whole name and what its
// time means, and every button's key.
#pragma once
#include "app_state.h"

// The tip of the control with this identifier, taken now (empty for a control without one).
void ToolTipText(int controlId, char16_t (&text)[TIP_TEXT_UNITS]);
