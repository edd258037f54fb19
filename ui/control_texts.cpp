// The texts the main window's controls give of themselves. A row's time display holds 11
// characters, too few for a Japanese name of 10; its tip shows the whole name and what the time
// means, taken at the moment the tip shows, and a screen reader hears the same with the row and
// whether it is paused. A row's buttons read "タイマーk" and what they do, k being the digit
// beside the row and its key (row 10 is 0). Two fields of the dialogs are named here too.
#include "control_texts.h"
#include "resource.h"
#include "text16.h"
#include "texts.h"
#include "time_reading.h"
#include "time_text.h"
#include "timer_table.h"

// What a control says of itself: a bottom button its tip, a dialog's field its name; and its key.
struct ControlText {
    int Id;
    TextId Text;
    const char16_t* Key;
};

static const ControlText BOTTOM_BUTTONS_TEXTS[] = {
    {ID_ADD, TEXT_TIP_ADD, u"A"},
    {ID_MUTE, TEXT_TIP_MUTE, u"M"},
    {ID_TOPMOST, TEXT_TIP_TOPMOST, u"T"},
    {ID_SUSPEND_ALL, TEXT_TIP_SUSPEND_ALL, u"S"},
    {ID_SETTINGS, TEXT_SETTINGS, u"O"},
};

// The dialogs' fields that a screen reader would otherwise name by their text: the typed name, or
// the resource's placeholder.
static const ControlText DIALOG_FIELDS[] = {
    {IDC_NAME, TEXT_NAME_FIELD, u""},
    {IDC_HOTKEY, TEXT_HOTKEY_FIELD, u"Alt+H"},
};

// The entry of a table of texts by control, or null.
template <int Count>
static const ControlText* EntryOf(const ControlText (&entries)[Count], int controlId)
{
    for (const ControlText& entry : entries)
        if (entry.Id == controlId)
            return &entry;
    return nullptr;
}

// The row of a row control whose timer exists, or -1.
static int RowOf(int controlId)
{
    const int row = controlId & 0xFF;
    if (controlId < ID_ROW_LABEL || controlId > ID_ROW_DELETE + 0xFF || row >= App.Timers.Count || row >= MAX_TIMERS)
        return -1;
    return row;
}

// What a row button does, as its tip says it and as a screen reader says it.
static const char16_t* RowAction(int controlId, int row, int spoken)
{
    switch (controlId & 0xFF00) {
    case ID_ROW_PAUSE:
        if (!spoken)
            return Text(TEXT_PAUSE_OR_RESUME);
        return Text(App.Timers.Records[row].Suspended ? TEXT_RESUME : TEXT_PAUSE);
    case ID_ROW_EDIT:
        return Text(TEXT_EDIT);
    case ID_ROW_DELETE:
        return Text(TEXT_DELETE);
    }
    return nullptr;
}

// The display form without the padding in front ("0:12:30", "PM 5:30:00").
static void AppendTime(char16_t (&text)[TIP_TEXT_UNITS], uint64_t value, int clockMode)
{
    const char16_t* shown = FormatTimeText(value, clockMode);
    while (*shown == u' ')
        ++shown;
    TextAppend(text, TIP_TEXT_UNITS, shown);
}

// What the time of a row means: 時間切れ, the time of day it goes off, or the time left.
static void AppendRowState(const TimerRecord& record, char16_t (&text)[TIP_TEXT_UNITS])
{
    if (record.Remaining == 0) {
        TextAppend(text, TIP_TEXT_UNITS, Text(TEXT_TIME_UP));
    } else if (record.ClockMode) {
        AppendTime(text, record.Preset, 1);
        TextAppend(text, TIP_TEXT_UNITS, Text(TEXT_ROW_ALARM));
    } else {
        TextAppend(text, TIP_TEXT_UNITS, Text(TEXT_LEFT));
        AppendTime(text, TimeLeftNow(&record), 0);
    }
}

static void RowTimeTip(const TimerRecord& record, char16_t (&text)[TIP_TEXT_UNITS])
{
    text[0] = 0;
    if (record.Name[0] != 0) {
        TextCopyWhole(text, MAX_NAME_LENGTH + 1, record.Name);
        TextAppend(text, TIP_TEXT_UNITS, u"\n");
    }
    AppendRowState(record, text);
}

// "タイマーk", k being the digit beside the row and its key (row 10 is 0).
static void CopyRowTitle(int row, char16_t (&text)[TIP_TEXT_UNITS])
{
    const char16_t digit[2] = {static_cast<char16_t>(u'0' + (row + 1) % 10), 0};
    TextCopy(text, TIP_TEXT_UNITS, Text(TEXT_TIMER));
    TextAppend(text, TIP_TEXT_UNITS, digit);
}

// A row's time display is read as one line with its row: "タイマー1 お茶 残り 0:04:55",
// "タイマー2 一時停止中 残り 1:29:59". Its label needs no more than "タイマー1".
static void RowTimeName(int row, char16_t (&name)[TIP_TEXT_UNITS])
{
    const TimerRecord& record = App.Timers.Records[row];
    CopyRowTitle(row, name);
    TextAppend(name, TIP_TEXT_UNITS, u" ");
    if (record.Name[0] != 0) {
        char16_t timerName[MAX_NAME_LENGTH + 1];
        TextCopyWhole(timerName, MAX_NAME_LENGTH + 1, record.Name);
        TextAppend(name, TIP_TEXT_UNITS, timerName);
        TextAppend(name, TIP_TEXT_UNITS, u" ");
    }
    if (record.Suspended && record.Remaining != 0)
        TextAppend(name, TIP_TEXT_UNITS, Text(TEXT_PAUSED));
    AppendRowState(record, name);
}

void ToolTipText(int controlId, char16_t (&text)[TIP_TEXT_UNITS])
{
    text[0] = 0;
    const int row = RowOf(controlId);
    if (row >= 0 && (controlId & 0xFF00) == ID_ROW_TIME) {
        RowTimeTip(App.Timers.Records[row], text);
        return;
    }
    const ControlText* button = EntryOf(BOTTOM_BUTTONS_TEXTS, controlId);
    const char16_t* what = button ? Text(button->Text) : row >= 0 ? RowAction(controlId, row, 0) : nullptr;
    if (what == nullptr)
        return;
    char16_t key[ACCESSIBLE_KEY_UNITS];
    AccessibleShortcut(controlId, key);
    TextCopy(text, TIP_TEXT_UNITS, what);
    TextAppend(text, TIP_TEXT_UNITS, u" (");
    TextAppend(text, TIP_TEXT_UNITS, key);
    TextAppend(text, TIP_TEXT_UNITS, u")");
}

void AccessibleName(int controlId, char16_t (&name)[TIP_TEXT_UNITS])
{
    name[0] = 0;
    if (controlId == ID_SETTINGS)
        TextCopy(name, TIP_TEXT_UNITS, Text(TEXT_SETTINGS));
    const ControlText* field = EntryOf(DIALOG_FIELDS, controlId);
    if (field != nullptr)
        TextCopy(name, TIP_TEXT_UNITS, Text(field->Text));
    const int row = RowOf(controlId);
    if (row < 0)
        return;
    if ((controlId & 0xFF00) == ID_ROW_TIME) {
        RowTimeName(row, name);
        return;
    }
    const char16_t* action = RowAction(controlId, row, 1);
    CopyRowTitle(row, name);
    if (action == nullptr)
        return;
    TextAppend(name, TIP_TEXT_UNITS, u" ");
    TextAppend(name, TIP_TEXT_UNITS, action);
}

void AccessibleShortcut(int controlId, char16_t (&key)[ACCESSIBLE_KEY_UNITS])
{
    key[0] = 0;
    const ControlText* button = EntryOf(BOTTOM_BUTTONS_TEXTS, controlId);
    if (button != nullptr)
        TextCopy(key, ACCESSIBLE_KEY_UNITS, button->Key);
    const ControlText* field = EntryOf(DIALOG_FIELDS, controlId);
    if (field != nullptr)
        TextCopy(key, ACCESSIBLE_KEY_UNITS, field->Key);
    const int row = RowOf(controlId);
    if (row < 0 || (controlId & 0xFF00) == ID_ROW_TIME || (controlId & 0xFF00) == ID_ROW_LABEL)
        return;
    if ((controlId & 0xFF00) == ID_ROW_EDIT)
        TextCopy(key, ACCESSIBLE_KEY_UNITS, u"Ctrl+");
    if ((controlId & 0xFF00) == ID_ROW_DELETE)
        TextCopy(key, ACCESSIBLE_KEY_UNITS, u"Alt+");
    // The key of row i is the digit (i + 1) mod 10: row 10 is 0.
    const char16_t digit[2] = {static_cast<char16_t>(u'0' + (row + 1) % 10), 0};
    TextAppend(key, ACCESSIBLE_KEY_UNITS, digit);
}

void TimeFieldTip(const char16_t* timeText, char16_t (&tip)[TIME_FIELD_TIP_UNITS])
{
    char16_t reading[TIME_READING_UNITS];
    TimeTextReading(timeText, reading);
    TextCopy(tip, TIME_FIELD_TIP_UNITS, reading);
    if (reading[0] != 0)
        TextAppend(tip, TIME_FIELD_TIP_UNITS, u"\n\n");   // a line between, so that it is not read as a form
    TextAppend(tip, TIME_FIELD_TIP_UNITS, Text(TEXT_TIME_FIELD_HINT));
}
