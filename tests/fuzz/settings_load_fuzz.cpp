// Fuzz target: the settings key holding anything an older run, another program or a hand edit may leave there. What
// loads must be sane, and the timers saved and loaded again come back the same. Input: 8 bytes of local clock
// (FILETIME), then values, each a byte choosing its name, a type byte, a size byte and that many bytes of data.
#include <cstring>
#include <string>
#include "byte_order.h"
#include "fakes.h"
#include "fuzz_support.h"
#include "settings_store.h"
#include "stored_values.h"
#include "timer_handover.h"
#include "timer_table.h"

static std::u16string ValueName(int index)   // 31 names
{
    static const char* const fixed[] = {"Position", "Mute", "TopMost", "HotKey", "SuspendEnd"};
    std::string name = index < 5 ? fixed[index]
                       : index < 21 ? "History" + std::to_string(index - 5) : "Suspend" + std::to_string(index - 21);
    return std::u16string(name.begin(), name.end());
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ResetFakes();
    // A clock Windows can give: below 2^63 (the year 30828), in whole milliseconds.
    uint64_t clock = size >= 8 ? GetLE64(data) & INT64_MAX : 0;
    Fake.LocalFileTime = clock - clock % 10000;
    auto& key = Fake.Keys[SETTINGS_KEY_PATH];
    for (size_t at = 8; at + 3 <= size; at += 3 + data[at + 2]) {
        const uint8_t* bytes = data + at + 3;
        key[ValueName(data[at] % 31)] = {data[at + 1], Bytes(bytes, bytes + std::min<size_t>(data[at + 2], size - at - 3))};
    }
    LoadSettings();
    StartTickClocks();   // as the window does at its creation, before it writes the journal
    Check(App.Timers.Count <= MAX_TIMERS);
    Check(App.History.Count <= MAX_HISTORY);
    for (int i = 0; i < App.History.Count; ++i)
        Check(Terminated(App.History.Entries[i], HISTORY_NAME_UNITS));
    for (int i = 0; i < App.Timers.Count; ++i)
        Check(Terminated(App.Timers.Records[i].Name, MAX_NAME_LENGTH + 1));

    // As the program goes on: the window writes the journal anew (when remembering), and a later save-and-quit writes
    // the table.
    JournalTimers();
    TimerTable loaded = App.Timers;
    SaveTimers();
    std::memset(&App.Timers, 0, sizeof App.Timers);
    LoadSettings();
    Check(App.Timers.Count == loaded.Count);
    static_assert(sizeof(TimerRecord) == 48, "no padding: the same bytes are the same fields");
    for (int i = 0; i < App.Timers.Count; ++i)
        Check(std::memcmp(&App.Timers.Records[i], &loaded.Records[i], sizeof(TimerRecord)) == 0);
    Check(Fake.OpenKeys == 0);
    return 0;
}
