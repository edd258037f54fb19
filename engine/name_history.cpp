// The sixteen most recently used timer names, most recent first: a name used again
// moves to the front, a new one pushes the oldest off a full list.
#include "name_history.h"
#include "app_state.h"
#include "text16.h"

// Compares within one slot, so an entry loaded without a terminator is never read past.
static int SameName(const char16_t* entry, const char16_t* name)
{
    for (int i = 0; i < HISTORY_NAME_UNITS; ++i) {
        if (entry[i] != name[i])
            return 0;
        if (entry[i] == 0)
            return 1;
    }
    return 0;
}

void AddNameToHistory(const char16_t* name)
{
    if (name == nullptr || name[0] == 0)
        return;
    // Callers give at most 10 units; a longer name is cut to fit its slot.
    char16_t fitted[HISTORY_NAME_UNITS];
    TextCopyWhole(fitted, HISTORY_NAME_UNITS, name);

    NameHistory& history = App.History;
    int count = history.Count;
    if (count < 0)
        count = 0;
    if (count > MAX_HISTORY)
        count = MAX_HISTORY;

    int found = -1;
    for (int i = 0; i < count; ++i) {
        if (SameName(history.Entries[i], fitted)) {
            found = i;
            break;
        }
    }
    // Moving from the back towards the front, each entry into its successor's slot.
    int moving = found >= 0 ? found : (count < MAX_HISTORY - 1 ? count : MAX_HISTORY - 1);
    for (int i = moving; i > 0; --i)
        TextCopy(history.Entries[i], HISTORY_NAME_UNITS, history.Entries[i - 1]);
    if (found < 0 && count < MAX_HISTORY)
        ++count;
    history.Count = count;
    TextCopy(history.Entries[0], HISTORY_NAME_UNITS, fitted);
}
