// The tooltip texts of the main window. A row's time display holds 11 characters, too few
// for a Japanese name of 10; its tip shows the whole name and what the time means, taken at
// the moment the tip shows.
#include "tooltip_text.h"
#include "resource.h"
#include "text16.h"
#include "time_text.h"
#include "timer_table.h"

struct ButtonTip {
    int Id;
    const char16_t* Text;
};

const char16_t TIME_FIELD_HINT[] = u"5 → 5分\n1:30 → 1時間30分\n0:0:45 → 45秒\n"
                                   u"P5:30 → 午後5時30分 (A は午前)\n5(お茶) → 名前つき (コマンドライン)";

static const ButtonTip BOTTOM_TIPS[] = {
    {ID_ADD, u"タイマー追加 (A)"},
    {ID_MUTE, u"無言：時間切れを知らせない (M)"},
    {ID_TOPMOST, u"常に最前面に表示 (T)"},
    {ID_SUSPEND_ALL, u"タイマーを記憶して終了 (S)"},
    {ID_SETTINGS, u"設定 (O)"},
};

// The display form without the padding in front ("0:12:30", "PM 5:30:00").
static void AppendTime(char16_t (&text)[TIP_TEXT_UNITS], uint64_t value, int clockMode)
{
    const char16_t* shown = FormatTimeText(value, clockMode);
    while (*shown == u' ')
        ++shown;
    TextAppend(text, TIP_TEXT_UNITS, shown);
}

static void RowTimeTip(const TimerRecord& record, char16_t (&text)[TIP_TEXT_UNITS])
{
    if (record.Name[0] != 0) {
        TextCopyWhole(text, MAX_NAME_LENGTH + 1, record.Name);
        TextAppend(text, TIP_TEXT_UNITS, u"\n");
    }
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

void ToolTipText(int controlId, char16_t (&text)[TIP_TEXT_UNITS])
{
    text[0] = 0;
    for (const ButtonTip& tip : BOTTOM_TIPS)
        if (tip.Id == controlId)
            TextCopy(text, TIP_TEXT_UNITS, tip.Text);
    const int row = controlId & 0xFF;
    if (controlId < ID_ROW_TIME || controlId > ID_ROW_DELETE + 0xFF || row >= App.Timers.Count || row >= MAX_TIMERS)
        return;
    // The key of row i is the digit (i + 1) mod 10: row 10 is 0.
    const char16_t key[2] = {static_cast<char16_t>(u'0' + (row + 1) % 10), 0};
    switch (controlId & 0xFF00) {
    case ID_ROW_TIME:
        RowTimeTip(App.Timers.Records[row], text);
        return;
    case ID_ROW_PAUSE:
        TextCopy(text, TIP_TEXT_UNITS, u"一時停止・再開 (");
        break;
    case ID_ROW_EDIT:
        TextCopy(text, TIP_TEXT_UNITS, u"修正 (Ctrl+");
        break;
    case ID_ROW_DELETE:
        TextCopy(text, TIP_TEXT_UNITS, u"削除 (Alt+");
        break;
    default:
        return;
    }
    TextAppend(text, TIP_TEXT_UNITS, key);
    TextAppend(text, TIP_TEXT_UNITS, u")");
}
