// Fuzz target: requests from other processes split into time text and name. Both parts are terminated within their
// arrays, cut from the request, and the name never ends on a high surrogate (half a pair).
#include <algorithm>
#include "fuzz_support.h"
#include "request_split.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<char16_t> request = TerminatedText(data, size);
    char16_t timeText[TIME_TEXT_UNITS], name[MAX_NAME_LENGTH + 1];
    std::fill_n(timeText, TIME_TEXT_UNITS, u'?');
    std::fill_n(name, MAX_NAME_LENGTH + 1, u'?');
    SplitTimerRequest(request.data(), timeText, name);
    int timeLength = static_cast<int>(std::find(timeText, timeText + TIME_TEXT_UNITS, 0) - timeText);
    int nameLength = static_cast<int>(std::find(name, name + MAX_NAME_LENGTH + 1, 0) - name);
    Check(timeLength < TIME_TEXT_UNITS);
    Check(nameLength <= MAX_NAME_LENGTH);
    Check(std::equal(timeText, timeText + timeLength, request.begin()));
    auto open = std::find(request.begin(), std::find(request.begin(), request.end(), 0), u'(');
    if (nameLength == 0)
        return 0;
    Check(*open == u'(');
    Check(std::equal(name, name + nameLength, open + 1));
    Check(!(name[nameLength - 1] >= 0xD800 && name[nameLength - 1] <= 0xDBFF));
    return 0;
}
