// The two tables of texts, made from the one list, and the one chosen at start.
#include "texts.h"

#define KV_JAPANESE(id, number, japanese, english) {number, u"" japanese},
#define KV_ENGLISH(id, number, japanese, english) {number, u"" english},

struct TextEntry {
    int Id;
    const char16_t* Text;
};

static const TextEntry JAPANESE[] = {KV_TEXTS(KV_JAPANESE)};
static const TextEntry ENGLISH[] = {KV_TEXTS(KV_ENGLISH)};
static const TextEntry* Chosen = JAPANESE;

void SelectTexts(int english) { Chosen = english ? ENGLISH : JAPANESE; }

const char16_t* Text(TextId id)
{
    // The list numbers its texts from 1 without gaps.
    if (id < 1 || id >= TEXT_LAST)
        return u"";
    return Chosen[id - 1].Text;
}
