// A scriptable stand-in for the platform seam, for the native unit tests: a clock the test
// moves, a local time it sets, and a record of every window operation of the tick.
#pragma once
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>
#include "platform.h"

struct FakePlatformState {
    uint64_t TickCount = 0;
    LocalClockTime LocalTime = {0, 0, 0, 0};
    uint64_t LocalFileTime = 0;              // FILETIME scale, a multiple of 10000
    std::u16string ModulePath;               // what GetModuleFileNameW reports
    bool ModuleFileNameFails = false;
    // The window side is extended by the tick tests (row texts, foreground, popups, notice).
};

extern FakePlatformState Fake;

// Zeroes App and puts the fake platform back to its defaults.
void ResetFakePlatform();
