// Fuzz target: any text through the time-text reader. Both forms of the value read must fit the buffer, and the edit
// form must read back as that value rounded up to whole seconds. Its reading in words fits its buffer and says a time
// exactly when a timer takes the text.
#include "app_state.h"
#include "fuzz_support.h"
#include "time_reading.h"
#include "time_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<char16_t> text = TerminatedText(data, size);
    uint64_t value = 0;
    int clockMode = ParseTimeText(&value, text.data());
    Check(clockMode == 0 || clockMode == 1);
    Check(clockMode == 0 || value < MS_PER_DAY);
    FormatTimeText(value, clockMode);
    Check(Terminated(App.TimeTextBuffer, TIME_TEXT_BUFFER_UNITS));
    FormatEditTimeText(value, clockMode);
    Check(Terminated(App.TimeTextBuffer, TIME_TEXT_BUFFER_UNITS));
    uint64_t seconds = value / 1000 + (value % 1000 != 0 ? 1 : 0);
    uint64_t again = 0;
    Check(ParseTimeText(&again, App.TimeTextBuffer) == clockMode);
    Check(again == (clockMode ? seconds * 1000 % MS_PER_DAY : seconds * 1000));
    char16_t reading[TIME_READING_UNITS];
    Check(TimeTextReading(text.data(), reading) == (clockMode || value != 0));
    Check(Terminated(reading, TIME_READING_UNITS));
    return 0;
}
