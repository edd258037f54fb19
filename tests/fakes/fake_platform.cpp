// The fake platform of the native unit tests: every function of the platform seam over
// the scriptable state in Fake, plus a counting BuildTimerRows.
#include "fake_platform.h"
#include <cstring>

FakePlatformState Fake;

void ResetFakePlatform()
{
    std::memset(static_cast<void*>(&App), 0, sizeof App);
    Fake = FakePlatformState();
}

WindowHandle FakeNoticeHandle(int n)
{
    return reinterpret_cast<WindowHandle>(static_cast<uintptr_t>(0x7000 + n));
}

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
    if (IsHigh(position[0]) && IsLow(position[1]))
        return position + 2;
    return position + 1;
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

// GetModuleFileNameW: on a short buffer the path is cut, terminated, and room returned.
int PlatformModuleFileName(char16_t* buffer, int room)
{
    if (Fake.ModuleFileNameFails || room <= 0)
        return 0;
    int length = static_cast<int>(Fake.ModulePath.size());
    int copied = length < room ? length : room - 1;
    for (int i = 0; i < copied; ++i)
        buffer[i] = Fake.ModulePath[i];
    buffer[copied] = 0;
    return length < room ? length : room;
}

void PlatformSetRowText(WindowHandle, int controlId, const char16_t* text)
{
    Fake.Calls.push_back("SetRowText");
    Fake.RowTexts[controlId] = text;
    ++Fake.RowTextSets;
}

WindowHandle PlatformForegroundWindow()
{
    Fake.Calls.push_back("ForegroundWindow");
    return Fake.Foreground;
}

int PlatformIsChild(WindowHandle, WindowHandle window)
{
    for (WindowHandle child : Fake.Children)
        if (child == window)
            return 1;
    return 0;
}

void PlatformInvalidateAll(WindowHandle)
{
    Fake.Calls.push_back("InvalidateAll");
    ++Fake.InvalidateCount;
}

// The most recent notice that is still open, else the other popup, else the window.
WindowHandle PlatformLastActivePopup(WindowHandle window)
{
    Fake.Calls.push_back("LastActivePopup");
    if (Fake.LastActivePopupFails)
        return nullptr;
    for (auto it = Fake.OpenNotices.rbegin(); it != Fake.OpenNotices.rend(); ++it)
        if (!it->Cancelled)
            return it->Handle;
    if (Fake.OtherPopup != nullptr)
        return Fake.OtherPopup;
    return window;
}

int PlatformWindowCaption(WindowHandle window, char16_t* buffer, int room)
{
    std::u16string caption;
    for (const FakeNotice& notice : Fake.OpenNotices)
        if (notice.Handle == window)
            caption = u"TimeUp";
    if (window != nullptr && window == Fake.OtherPopup)
        caption = Fake.OtherPopupCaption;
    if (room <= 0)
        return 0;
    int copied = static_cast<int>(caption.size()) < room ? static_cast<int>(caption.size()) : room - 1;
    for (int i = 0; i < copied; ++i)
        buffer[i] = caption[i];
    buffer[copied] = 0;
    return copied;
}

void PlatformSendCancel(WindowHandle popup)
{
    Fake.Calls.push_back("SendCancel");
    ++Fake.SendCancelCount;
    if (Fake.NoticeIgnoresCancel)
        return;
    for (FakeNotice& notice : Fake.OpenNotices)
        if (notice.Handle == popup)
            notice.Cancelled = true;
}

void PlatformSleep(unsigned milliseconds)
{
    Fake.Calls.push_back("Sleep");
    Fake.Sleeps.push_back(milliseconds);
}

void PlatformShowNotice(WindowHandle owner, const char16_t* text)
{
    Fake.Calls.push_back("ShowNotice");
    Fake.NoticeTexts.push_back(text);
    Fake.NoticeOwners.push_back(owner);
    FakeNotice notice;
    notice.Handle = FakeNoticeHandle(static_cast<int>(Fake.NoticeTexts.size()));
    notice.Text = text;
    Fake.OpenNotices.push_back(notice);
    if (Fake.NoticeLoop)
        Fake.NoticeLoop(static_cast<int>(Fake.OpenNotices.size()));
    Fake.OpenNotices.pop_back();
}

uint32_t PlatformCurrentThreadId() { return Fake.CurrentThreadId; }

uint32_t PlatformWindowThreadId(WindowHandle window)
{
    auto found = Fake.WindowThreads.find(window);
    return found != Fake.WindowThreads.end() ? found->second : Fake.CurrentThreadId;
}

void PlatformAttachThreadInput(uint32_t from, uint32_t to, int attach)
{
    Fake.Calls.push_back(attach ? "Attach" : "Detach");
    Fake.Attaches.push_back({from, to, attach});
}

void PlatformSetForegroundWindow(WindowHandle window)
{
    Fake.Calls.push_back("SetForegroundWindow");
    Fake.ForegroundSets.push_back(window);
}

void PlatformSetActiveWindow(WindowHandle window)
{
    Fake.Calls.push_back("SetActiveWindow");
    Fake.ActiveSets.push_back(window);
}

void BuildTimerRows(WindowHandle)
{
    Fake.Calls.push_back("BuildTimerRows");
    ++Fake.BuildTimerRowsCount;
    if (Fake.OnBuildTimerRows)
        Fake.OnBuildTimerRows();
}
