// The fake platform of the native unit tests (see fake_platform.h).
#include "fake_platform.h"
#include <algorithm>
#include <cstring>

FakePlatformState Fake;

void ResetFakePlatform()
{
    std::memset(static_cast<void*>(&App), 0, sizeof App);
    Fake = FakePlatformState();
}

WindowHandle FakeWindow(int n) { return reinterpret_cast<WindowHandle>(static_cast<uintptr_t>(n)); }

int FakeCallCount(const std::string& call)
{
    return static_cast<int>(std::count(Fake.Calls.begin(), Fake.Calls.end(), call));
}

static std::string Id(WindowHandle window) { return std::to_string(reinterpret_cast<uintptr_t>(window)); }
static bool IsHigh(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
static bool IsLow(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

uint64_t PlatformTickCount() { return Fake.TickCount; }
void PlatformLocalTime(LocalClockTime* out) { *out = Fake.LocalTime; }
uint64_t PlatformLocalFileTime() { return Fake.LocalFileTime; }

void PlatformUpperCase(char16_t* text)
{
    for (; *text != 0; ++text)
        if (*text >= u'a' && *text <= u'z')
            *text = static_cast<char16_t>(*text - u'a' + u'A');
}

const char16_t* PlatformNextChar(const char16_t* position)
{
    if (*position == 0)
        return position;
    return position + (IsHigh(position[0]) && IsLow(position[1]) ? 2 : 1);
}

const char16_t* PlatformPrevChar(const char16_t* start, const char16_t* position)
{
    if (position <= start)
        return start;
    const char16_t* previous = position - 1;
    if (previous > start && IsLow(*previous) && IsHigh(previous[-1]))
        --previous;
    return previous;
}

// GetModuleFileNameW: a path too long for the buffer is cut, terminated, and room returned.
int PlatformModuleFileName(char16_t* buffer, int room)
{
    int length = static_cast<int>(Fake.ModulePath.size());
    if (length == 0 || room <= 0)
        return 0;
    int copied = std::min(length, room - 1);
    std::copy(Fake.ModulePath.begin(), Fake.ModulePath.begin() + copied, buffer);
    buffer[copied] = 0;
    return std::min(length, room);
}

void PlatformSetRowText(WindowHandle, int controlId, const char16_t* text)
{
    Fake.Calls.push_back("SetRowText");
    Fake.RowTexts[controlId] = text;
}

WindowHandle PlatformForegroundWindow()
{
    Fake.Calls.push_back("Foreground");
    return Fake.Foreground;
}

int PlatformIsChild(WindowHandle, WindowHandle window) { return window != nullptr && window == Fake.Child; }

void PlatformInvalidateAll(WindowHandle) { Fake.Calls.push_back("Invalidate"); }

// The most recent notice still open, else the other popup, else the window.
WindowHandle PlatformLastActivePopup(WindowHandle window)
{
    Fake.Calls.push_back("LastActivePopup");
    if (Fake.NoPopup)
        return nullptr;
    for (auto it = Fake.OpenNotices.rbegin(); it != Fake.OpenNotices.rend(); ++it)
        if (!it->Cancelled)
            return it->Handle;
    return Fake.Popup != nullptr ? Fake.Popup : window;
}

int PlatformWindowCaption(WindowHandle window, char16_t* buffer, int room)
{
    std::u16string caption;
    for (const FakeNotice& notice : Fake.OpenNotices)
        if (notice.Handle == window)
            caption = u"TimeUp";
    if (window != nullptr && window == Fake.Popup)
        caption = Fake.PopupCaption;
    int copied = std::min(static_cast<int>(caption.size()), room - 1);
    std::copy(caption.begin(), caption.begin() + copied, buffer);
    buffer[copied] = 0;
    return copied;
}

void PlatformSendCancel(WindowHandle popup)
{
    Fake.Calls.push_back("Cancel " + Id(popup));
    for (FakeNotice& notice : Fake.OpenNotices)
        if (notice.Handle == popup && !Fake.NoticeIgnoresCancel)
            notice.Cancelled = true;
}

void PlatformSleep(unsigned milliseconds) { Fake.Calls.push_back("Sleep " + std::to_string(milliseconds)); }

void PlatformShowNotice(WindowHandle owner, const char16_t* text)
{
    Fake.Calls.push_back("ShowNotice " + Id(owner));
    Fake.Notices.push_back(text);
    Fake.OpenNotices.push_back({FakeWindow(100 + static_cast<int>(Fake.Notices.size())), false});
    if (Fake.NoticeLoop)
        Fake.NoticeLoop(static_cast<int>(Fake.OpenNotices.size()));
    Fake.OpenNotices.pop_back();
}

uint32_t PlatformCurrentThreadId() { return 1; }
uint32_t PlatformWindowThreadId(WindowHandle) { return Fake.WindowThread; }

void PlatformAttachThreadInput(uint32_t from, uint32_t to, int attach)
{
    Fake.Calls.push_back((attach ? "Attach " : "Detach ") + std::to_string(from) + " " + std::to_string(to));
}

void PlatformSetForegroundWindow(WindowHandle window) { Fake.Calls.push_back("SetForeground " + Id(window)); }
void PlatformSetActiveWindow(WindowHandle window) { Fake.Calls.push_back("SetActive " + Id(window)); }
void BuildTimerRows(WindowHandle) { Fake.Calls.push_back("BuildTimerRows"); }
