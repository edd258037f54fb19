// A scriptable stand-in for the platform seam, for the native unit tests: a clock the test
// moves, a local time it sets, and a log of every window operation of the tick.
#pragma once
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>
#include "platform.h"

struct FakeNotice {
    WindowHandle Handle;
    bool Cancelled;
};

struct FakePlatformState {
    uint64_t TickCount = 0;
    LocalClockTime LocalTime = {0, 0, 0, 0};
    uint64_t LocalFileTime = 0;              // FILETIME scale, a multiple of 10000
    std::u16string ModulePath;               // empty: GetModuleFileNameW fails

    std::map<int, std::u16string> RowTexts;  // control id -> last text set
    WindowHandle Foreground = nullptr;
    WindowHandle Child = nullptr;            // the one window PlatformIsChild accepts
    // The last active popup while no notice is open (null: the window itself), its caption,
    // and whether the query reports no window at all.
    WindowHandle Popup = nullptr;
    std::u16string PopupCaption;
    bool NoPopup = false;
    bool NoticeIgnoresCancel = false;        // a notice that never goes away
    uint32_t WindowThread = 1;               // thread of every window; ours is 1
    std::vector<FakeNotice> OpenNotices;     // boxes whose call has not returned
    std::vector<std::u16string> Notices;     // every notice text shown, in order
    // The notice's modal loop, given its nesting depth (1 based); nested ticks may run in it.
    std::function<void(int depth)> NoticeLoop;
    // Window operations in order, with their handle or thread arguments:
    // "SetForeground 4", "Attach 7 1", "Sleep 100", "ShowNotice", "BuildTimerRows", ...
    std::vector<std::string> Calls;
};

extern FakePlatformState Fake;

// Zeroes App and puts the fake platform back to its defaults.
void ResetFakePlatform();
// A window handle that is never a real pointer; the log shows it as n.
WindowHandle FakeWindow(int n);
// How many logged calls equal call.
int FakeCallCount(const std::string& call);
