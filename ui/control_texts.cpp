// The texts the main window's controls give of themselves. A row's time display holds 11
// characters, too few for a Japanese name of 10; its tip shows the whole name and what the time
// means, taken at the moment the tip shows, and a screen reader hears the same with the row and
// whether it is paused. A row's buttons read "タイマーk" and what they do, k being the digit
// beside the row and its key (row 10 is 0). Two fields of the dialogs are named here too.
#include "control_texts.h"
#include "resource.h"
#include "text16.h"
#include "time_reading.h"
#include "time_text.h"
#include "timer_table.h"

struct BottomButton {
    int Id;
    const char16_t* Tip;
    const char16_t* Key;
};

const char16_t TIME_FIELD_HINT[] = u"5 → 5分\n1:30 → 1時間30分\n0:0:45 → 45秒\nP5:30 → 午後5時30分 (A は午前)";

static const BottomButton BOTTOM_BUTTONS_TEXTS[] = {
    {ID_ADD, u"タイマー追加", u"A"},
    {ID_MUTE, u"無言：時間切れを知らせない", u"M"},
    {ID_TOPMOST, u"常に最前面に表示", u"T"},
    {ID_SUSPEND_ALL, u"タイマーを記憶して終了", u"S"},
    {ID_SETTINGS, u"設定", u"O"},
};

// The entry of a table of texts by control, or null.
template <typename Entry, int Count>
static const Entry* EntryOf(const Entry (&entries)[Count], int controlId)
{
    for (const Entry& entry : entries)
        if (entry.Id == controlId)
            return &entry;
    return nullptr;
}

// The dialogs' fields that a screen reader would otherwise name by their text: the typed name, or
// the resource's placeholder.
struct DialogField {
    int Id;
    const char16_t* Name;
    const char16_t* Key;
};

static const DialogField DIALOG_FIELDS[] = {
    {IDC_NAME, u"名称", u""},
    {IDC_HOTKEY, u"ホットキー", u"Alt+H"},
};


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
            return u"一時停止・再開";
        return App.Timers.Records[row].Suspended ? u"再開" : u"一時停止";
    case ID_ROW_EDIT:
        return u"修正";
    case ID_ROW_DELETE:
        return u"削除";
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
        TextAppend(text, TIP_TEXT_UNITS, u"時間切れ");
    } else if (record.ClockMode) {
        AppendTime(text, record.Preset, 1);
        TextAppend(text, TIP_TEXT_UNITS, u" に通知");
    } else {
        TextAppend(text, TIP_TEXT_UNITS, u"残り ");
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
    TextCopy(text, TIP_TEXT_UNITS, u"タイマー");
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
        TextAppend(name, TIP_TEXT_UNITS, u"一時停止中 ");
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
    const BottomButton* button = EntryOf(BOTTOM_BUTTONS_TEXTS, controlId);
    const char16_t* what = button ? button->Tip : row >= 0 ? RowAction(controlId, row, 0) : nullptr;
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
        TextCopy(name, TIP_TEXT_UNITS, u"設定");
    const DialogField* field = EntryOf(DIALOG_FIELDS, controlId);
    if (field != nullptr)
        TextCopy(name, TIP_TEXT_UNITS, field->Name);
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
    const BottomButton* button = EntryOf(BOTTOM_BUTTONS_TEXTS, controlId);
    if (button != nullptr)
        TextCopy(key, ACCESSIBLE_KEY_UNITS, button->Key);
    const DialogField* field = EntryOf(DIALOG_FIELDS, controlId);
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
    TextAppend(tip, TIME_FIELD_TIP_UNITS, TIME_FIELD_HINT);
}
