// The sixteen most recently used timer names, most recent first.
#pragma once

// Moves or inserts name at the front; an empty name changes nothing.
void AddNameToHistory(const char16_t* name);
