// The language of the program, chosen once at start from the user's UI language: Japanese where
// it is Japanese, English everywhere else. The dialogs and the string table come in both.
#include "ui.h"
#include "texts.h"

static LANGID Chosen = MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT);

void ChooseLanguage()
{
    const int english = PRIMARYLANGID(GetUserDefaultUILanguage()) != LANG_JAPANESE;
    if (english)
        Chosen = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
    // Windows picks the resources of the thread's UI language; Wine (whose SetThreadUILanguage
    // does nothing) those of the thread locale.
    SetThreadUILanguage(Chosen);
    SetThreadLocale(MAKELCID(Chosen, SORT_DEFAULT));
    SelectTexts(english);
}

LANGID ProgramLanguage() { return Chosen; }

const wchar_t* ResourceText(int id, wchar_t* buffer, int units)
{
    if (LoadStringW(GetModuleHandleW(nullptr), static_cast<UINT>(id), buffer, units) <= 0)
        buffer[0] = 0;
    return buffer;
}
