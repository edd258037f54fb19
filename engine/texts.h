// Every text the program shows, in Japanese and in English, in one list: the resource script makes
// a string table per language of it, and the window-free code reads the language chosen at start
// from it without LoadString. A text's number is its string identifier in both.
#pragma once

// The captions the windows are found by from outside (tests, benchmark, scripts), in each language.
// UTF-8 texts: the resource script takes them as they are, the code as L"" NAME (or u"" NAME).
#define ADD_DIALOG_CAPTION         "タイマー追加"
#define ADD_DIALOG_CAPTION_EN      "Add Timer"
#define EDIT_DIALOG_CAPTION        "タイマー修正"
#define EDIT_DIALOG_CAPTION_EN     "Edit Timer"
#define SETTINGS_DIALOG_CAPTION    "設定"
#define SETTINGS_DIALOG_CAPTION_EN "Settings"
#define DELETE_BOX_CAPTION         "削除"
#define DELETE_BOX_CAPTION_EN      "Delete"
#define ERROR_BOX_CAPTION          "エラー"
#define ERROR_BOX_CAPTION_EN       "Error"
#define NOTICE_BOX_CAPTION         "TimeUp"   // in every language

#define KV_TEXTS(X) \
    X(TEXT_HOURS, 1, "時間", " h ") \
    X(TEXT_CLOCK_HOUR, 2, "時", " h ") \
    X(TEXT_MINUTES, 3, "分", " min ") \
    X(TEXT_SECONDS, 4, "秒", " s ") \
    X(TEXT_MORNING, 5, "午前", "AM ") \
    X(TEXT_AFTERNOON, 6, "午後", "PM ") \
    X(TEXT_ALARM, 7, "に通知", "alarm") \
    X(TEXT_REFUSED, 8, "時間になりません", "not a time") \
    X(TEXT_TIME_FIELD_HINT, 9, "5 → 5分\n1:30 → 1時間30分\n0:0:45 → 45秒\nP5:30 → 午後5時30分 (A は午前)", \
      "5 → 5 min\n1:30 → 1 h 30 min\n0:0:45 → 45 s\nP5:30 → PM 5:30 (A for AM)") \
    X(TEXT_TIP_ADD, 10, "タイマー追加", "Add a timer") \
    X(TEXT_TIP_MUTE, 11, "無言：時間切れを知らせない", "Mute: no notice when time is up") \
    X(TEXT_TIP_TOPMOST, 12, "常に最前面に表示", "Always on top") \
    X(TEXT_TIP_SUSPEND_ALL, 13, "タイマーを記憶して終了", "Save the timers and quit") \
    X(TEXT_SETTINGS, 14, "設定", "Settings") \
    X(TEXT_NAME_FIELD, 15, "名称", "Name") \
    X(TEXT_HOTKEY_FIELD, 16, "ホットキー", "Hot key") \
    X(TEXT_PAUSE_OR_RESUME, 17, "一時停止・再開", "Pause or resume") \
    X(TEXT_RESUME, 18, "再開", "Resume") \
    X(TEXT_PAUSE, 19, "一時停止", "Pause") \
    X(TEXT_EDIT, 20, "修正", "Edit") \
    X(TEXT_DELETE, 21, "削除", "Delete") \
    X(TEXT_TIME_UP, 22, "時間切れ", "time up") \
    X(TEXT_ROW_ALARM, 23, " に通知", " alarm") \
    X(TEXT_LEFT, 24, "残り ", "left ") \
    X(TEXT_TIMER, 25, "タイマー", "Timer ") \
    X(TEXT_PAUSED, 26, "一時停止中 ", "paused ") \
    X(TEXT_NOTICE_HEADING, 27, "時間です", "Time is up") \
    X(TEXT_ADD_BUTTON, 28, "追加", "Add") \
    X(TEXT_MUTE_BUTTON, 29, "無言", "Mute") \
    X(TEXT_TOPMOST_BUTTON, 30, "最前", "Top") \
    X(TEXT_SUSPEND_ALL_BUTTON, 31, "中断", "Save") \
    X(TEXT_DELETE_QUESTION, 32, "タイマー%d(%s)を削除します\nよろしいですか？", "Delete timer %d (%s)?") \
    X(TEXT_DELETE_CAPTION, 33, DELETE_BOX_CAPTION, DELETE_BOX_CAPTION_EN) \
    X(TEXT_HOTKEY_FAILED, 34, "ホットキー登録に失敗しました", "The hot key could not be registered") \
    X(TEXT_ERROR_CAPTION, 35, ERROR_BOX_CAPTION, ERROR_BOX_CAPTION_EN) \
    X(TEXT_EDIT_CAPTION, 36, EDIT_DIALOG_CAPTION, EDIT_DIALOG_CAPTION_EN)

#ifndef RC_INVOKED
#define KV_TEXT_ID(id, number, japanese, english) id = number,
enum TextId { KV_TEXTS(KV_TEXT_ID) TEXT_LAST };
#undef KV_TEXT_ID

// Chooses the language of every later Text: 0 Japanese (the start), 1 English.
void SelectTexts(int english);
// The text in the chosen language.
const char16_t* Text(TextId id);
#endif
