// Splitting a timer request "time(name)" into its time text and its name.
#pragma once
#include "app_state.h"

// Splits request into a time text (at most 255 units, cut) and a name (at most 10 units, cut
// by the rule the timer dialog's names are cut by, TextCopyWhole). A request whose last unit is not ")" or that has no "("
// is all time text. Both outputs are always terminated.
void SplitTimerRequest(const char16_t* request, char16_t (&timeText)[TIME_TEXT_UNITS],
                       char16_t (&name)[MAX_NAME_LENGTH + 1]);
