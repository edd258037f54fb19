// Requests by text: "5(tea)" is a five-minute timer named tea; "5" has no name.
#include "request_split.h"
#include "text16.h"

static const char16_t* FindUnit(const char16_t* text, char16_t unit)
{
    for (; *text; ++text)
        if (*text == unit)
            return text;
    return nullptr;
}

// Copies at most count units of source, cut to room - 1, and terminates.
static void CopyUnits(char16_t* destination, int room, const char16_t* source, int count)
{
    if (count > room - 1)
        count = room - 1;
    for (int i = 0; i < count; ++i)
        destination[i] = source[i];
    destination[count] = 0;
}

void SplitTimerRequest(const char16_t* request, char16_t (&timeText)[TIME_TEXT_UNITS],
                       char16_t (&name)[MAX_NAME_LENGTH + 1])
{
    timeText[0] = 0;
    name[0] = 0;
    if (!request)
        return;
    const char16_t* open = FindUnit(request, u'(');
    const int length = TextLength(request);
    if (open && request[length - 1] == u')') {
        CopyUnits(timeText, TIME_TEXT_UNITS, request, static_cast<int>(open - request));
        // The units between "(" and the final ")", cut as the timer dialog's name is.
        const char16_t* nameStart = open + 1;
        char16_t span[MAX_NAME_LENGTH + 2];
        CopyUnits(span, MAX_NAME_LENGTH + 2, nameStart, static_cast<int>(request + length - 1 - nameStart));
        TextCopyWhole(name, MAX_NAME_LENGTH + 1, span);
        return;
    }
    CopyUnits(timeText, TIME_TEXT_UNITS, request, length);
}
