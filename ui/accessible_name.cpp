// The accessible names and keyboard shortcuts of the main window's controls. A row's buttons
// read "タイマーk" and what they do, k being the digit beside the row and its key (row 10 is
// 0); a time display reads as its tooltip; ＊ reads 設定.
#include "accessible_name.h"
#include "resource.h"
#include "text16.h"
#include "tooltip_text.h"

struct ButtonKey {
    int Id;
    const char16_t* Key;
};

static const ButtonKey BOTTOM_KEYS[] = {
    {ID_ADD, u"A"}, {ID_MUTE, u"M"}, {ID_TOPMOST, u"T"}, {ID_SUSPEND_ALL, u"S"}, {ID_SETTINGS, u"O"},
};

// The row of a row control whose timer exists, or -1.
static int RowOf(int controlId)
{
    const int row = controlId & 0xFF;
    if (controlId < ID_ROW_TIME || controlId > ID_ROW_DELETE + 0xFF || row >= App.Timers.Count || row >= MAX_TIMERS)
        return -1;
    return row;
}

static char16_t RowDigit(int row) { return static_cast<char16_t>(u'0' + (row + 1) % 10); }

void AccessibleName(int controlId, char16_t (&name)[TIP_TEXT_UNITS])
{
    name[0] = 0;
    if (controlId == ID_SETTINGS)
        TextCopy(name, TIP_TEXT_UNITS, u"設定");
    const int row = RowOf(controlId);
    if (row < 0)
        return;
    if ((controlId & 0xFF00) == ID_ROW_TIME) {
        // The tip's two lines, name and time, read as one.
        ToolTipText(controlId, name);
        for (char16_t* unit = name; *unit != 0; ++unit)
            if (*unit == u'\n')
                *unit = u' ';
        return;
    }
    const char16_t* action = nullptr;
    switch (controlId & 0xFF00) {
    case ID_ROW_PAUSE:
        action = App.Timers.Records[row].Suspended ? u" 再開" : u" 一時停止";
        break;
    case ID_ROW_EDIT:
        action = u" 修正";
        break;
    case ID_ROW_DELETE:
        action = u" 削除";
        break;
    default:
        return;
    }
    const char16_t digit[2] = {RowDigit(row), 0};
    TextCopy(name, TIP_TEXT_UNITS, u"タイマー");
    TextAppend(name, TIP_TEXT_UNITS, digit);
    TextAppend(name, TIP_TEXT_UNITS, action);
}

void AccessibleShortcut(int controlId, char16_t (&key)[ACCESSIBLE_KEY_UNITS])
{
    key[0] = 0;
    for (const ButtonKey& button : BOTTOM_KEYS)
        if (button.Id == controlId)
            TextCopy(key, ACCESSIBLE_KEY_UNITS, button.Key);
    const int row = RowOf(controlId);
    if (row < 0)
        return;
    switch (controlId & 0xFF00) {
    case ID_ROW_EDIT:
        TextCopy(key, ACCESSIBLE_KEY_UNITS, u"Ctrl+");
        break;
    case ID_ROW_DELETE:
        TextCopy(key, ACCESSIBLE_KEY_UNITS, u"Alt+");
        break;
    case ID_ROW_PAUSE:
        break;
    default:
        return;
    }
    const char16_t digit[2] = {RowDigit(row), 0};
    TextAppend(key, ACCESSIBLE_KEY_UNITS, digit);
}
