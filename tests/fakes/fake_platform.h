// A scriptable stand-in for the platform seam, for the native unit tests: a clock the test
// moves, a local time it sets, and a record of every window operation of the tick.
#pragma once
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>
#include "platform.h"

// One time-up notice box opened through PlatformShowNotice.
struct FakeNotice {
    WindowHandle Handle = nullptr;
    std::u16string Text;
    bool Cancelled = false;                  // closed by PlatformSendCancel
};

struct FakePlatformState {
    uint64_t TickCount = 0;
    LocalClockTime LocalTime = {0, 0, 0, 0};
    uint64_t LocalFileTime = 0;              // FILETIME scale, a multiple of 10000
    std::u16string ModulePath;               // what GetModuleFileNameW reports
    bool ModuleFileNameFails = false;

    // Window side.
    std::map<int, std::u16string> RowTexts;  // control id -> last text set
    int RowTextSets = 0;
    WindowHandle Foreground = nullptr;
    std::vector<WindowHandle> Children;      // windows that PlatformIsChild reports as children
    int InvalidateCount = 0;
    // A popup other than a notice (a dialog, say) that PlatformLastActivePopup reports when no
    // notice is open; null: the window itself. OtherPopupCaption is its caption.
    WindowHandle OtherPopup = nullptr;
    std::u16string OtherPopupCaption;
    bool LastActivePopupFails = false;       // PlatformLastActivePopup reports no window at all
    bool NoticeIgnoresCancel = false;        // a notice that never goes away
    int SendCancelCount = 0;
    std::vector<unsigned> Sleeps;            // every PlatformSleep in order
    std::vector<FakeNotice> OpenNotices;     // the notices whose box call has not returned
    std::vector<std::u16string> NoticeTexts; // every notice shown, in order
    std::vector<WindowHandle> NoticeOwners;
    // The notice's modal loop: runs while the box is open (nested ticks may run in it);
    // the box call returns when it returns. Its argument is the notice's nesting depth, 1 based.
    std::function<void(int depth)> NoticeLoop;
    uint32_t CurrentThreadId = 1;
    std::map<WindowHandle, uint32_t> WindowThreads;   // absent: CurrentThreadId
    std::vector<std::string> Calls;          // names of the window operations, in order
    std::vector<WindowHandle> ForegroundSets;
    std::vector<WindowHandle> ActiveSets;
    struct Attach {
        uint32_t From;
        uint32_t To;
        int On;
    };
    std::vector<Attach> Attaches;
    int BuildTimerRowsCount = 0;
    std::function<void()> OnBuildTimerRows;  // runs inside BuildTimerRows, when set
};

extern FakePlatformState Fake;

// Zeroes App and puts the fake platform back to its defaults.
void ResetFakePlatform();

// The handle the fake gives the n-th notice box (n from 1); never a real pointer.
WindowHandle FakeNoticeHandle(int n);
