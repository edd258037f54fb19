// Requests by text: "5(tea)" is a five-minute timer named tea; "5" has no name.
#include "request_split.h"
#include "platform.h"
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
    if (open) {
        const char16_t* end = request + TextLength(request);
        const char16_t* last = PlatformPrevChar(request, end);
        if (last != end && *last == u')') {
            CopyUnits(timeText, TIME_TEXT_UNITS, request, static_cast<int>(open - request));
            const char16_t* nameStart = open + 1;
            int span = static_cast<int>(last - nameStart);
            int length = span;
            if (span > MAX_NAME_LENGTH) {
                // The longest run of whole characters that fits: a character straddling the
                // tenth unit is dropped whole.
                length = 0;
                const char16_t* step = nameStart;
                while (step < last) {
                    const char16_t* next = PlatformNextChar(step);
                    if (next <= step || next - nameStart > MAX_NAME_LENGTH)
                        break;
                    step = next;
                    length = static_cast<int>(step - nameStart);
                }
            }
            CopyUnits(name, MAX_NAME_LENGTH + 1, nameStart, length);
            return;
        }
    }
    CopyUnits(timeText, TIME_TEXT_UNITS, request, TextLength(request));
}
