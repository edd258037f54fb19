// The main window's rows of controls, kept in step with the timer table; their placement
// on the character grid; and the background bands, red behind expired timers.
#include "ui.h"
#include "app_state.h"
#include "resource.h"
#include "row_geometry.h"

static const wchar_t PAUSE_TEXT[] = L"\x25A0";    // ■ running
static const wchar_t RESUME_TEXT[] = L"\xFF1E";   // ＞ paused
static const DWORD CHILD_STYLE = WS_CHILD | WS_VISIBLE | SS_CENTER;
static const DWORD BUTTON_STYLE = WS_CHILD | WS_VISIBLE | WS_TABSTOP;
static const DWORD TOGGLE_STYLE = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHLIKE | BS_CHECKBOX;

static const int ROW_BASE[ROW_CONTROL_KINDS] = {ID_ROW_LABEL, ID_ROW_TIME, ID_ROW_PAUSE, ID_ROW_EDIT, ID_ROW_DELETE};
static const int BOTTOM_IDS[BOTTOM_BUTTONS] = {ID_ADD, ID_MUTE, ID_TOPMOST, ID_SUSPEND_ALL, ID_SETTINGS};

const wchar_t* PauseButtonText(int suspended) { return suspended ? RESUME_TEXT : PAUSE_TEXT; }

static HWND CreateChild(HWND window, const wchar_t* className, const wchar_t* text, DWORD style,
                        DWORD extendedStyle, int id)
{
    // Created small at the origin; LayoutTimerRows gives every control its real place.
    HWND control = CreateWindowExW(extendedStyle, className, text, style, 0, 0, 10, 10, window,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                   static_cast<HINSTANCE>(Ui.Instance), nullptr);
    AddToolTip(window, control, id);
    MakeAccessible(control);
    return control;
}

static HWND EnsureChild(HWND window, int id, const wchar_t* className, const wchar_t* text, DWORD style,
                        DWORD extendedStyle = 0)
{
    HWND control = GetDlgItem(window, id);
    return control ? control : CreateChild(window, className, text, style, extendedStyle, id);
}

static void SyncCheck(HWND window, int id, int on)
{
    LRESULT state = SendDlgItemMessageW(window, id, BM_GETCHECK, 0, 0);
    if ((state == BST_CHECKED) != (on != 0))
        SendDlgItemMessageW(window, id, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
}

// Setting a control's text repaints it even when nothing changes.
static void SetTextIfChanged(HWND control, const wchar_t* text)
{
    wchar_t shown[8];
    if (GetWindowTextW(control, shown, 8) == 0 || lstrcmpW(shown, text) != 0)
        SetWindowTextW(control, text);
}

static void BuildRow(HWND window, int row)
{
    const TimerRecord& record = App.Timers.Records[row];
    wchar_t label[8];
    wsprintfW(label, L"%d:", (row + 1) % 10);
    HWND labelControl = GetDlgItem(window, ID_ROW_LABEL + row);
    if (labelControl)
        SetTextIfChanged(labelControl, label);
    else
        CreateChild(window, L"STATIC", label, CHILD_STYLE, 0, ID_ROW_LABEL + row);

    HWND time = GetDlgItem(window, ID_ROW_TIME + row);
    if (!time) {
        time = CreateChild(window, L"STATIC", L"", CHILD_STYLE, WS_EX_CLIENTEDGE, ID_ROW_TIME + row);
        Ui.ShownRowText[row][0] = 0;
    }
    // The tick writes to it by this handle, not by looking the control up each time.
    Ui.RowTimeDisplay[row] = time;

    const wchar_t* pauseText = PauseButtonText(record.Suspended);
    HWND pause = GetDlgItem(window, ID_ROW_PAUSE + row);
    if (pause)
        SetTextIfChanged(pause, pauseText);
    else
        pause = CreateChild(window, L"BUTTON", pauseText, BUTTON_STYLE, 0, ID_ROW_PAUSE + row);
    if (pause)
        EnableWindow(pause, record.ClockMode == 0);   // only countdowns can be paused

    EnsureChild(window, ID_ROW_EDIT + row, L"BUTTON", L"\x2026", BUTTON_STYLE);     // …
    EnsureChild(window, ID_ROW_DELETE + row, L"BUTTON", L"\xFF38", BUTTON_STYLE);   // Ｘ
}

// Tab walks the controls in their z-order, and a new control goes below the others: put the rows
// top to bottom, then the bottom buttons, whenever each was created.
static void OrderTabStops(HWND window, int count)
{
    HWND after = HWND_TOP;
    for (int row = 0; row <= count && row <= MAX_TIMERS; ++row) {
        for (int kind = 0; kind < ROW_CONTROL_KINDS; ++kind) {
            HWND control = GetDlgItem(window, row < count ? ROW_BASE[kind] + row : BOTTOM_IDS[kind]);
            SetWindowPos(control, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
            after = control;
        }
    }
}

static void BuildControls(HWND window, int count)
{
    const int countBefore = static_cast<int>(Ui.BuiltRowsShape >> 24 & 0xF);
    for (int row = 0; row < count; ++row)
        BuildRow(window, row);
    for (int row = count; row < MAX_TIMERS; ++row) {
        for (int kind = 0; kind < ROW_CONTROL_KINDS; ++kind) {
            HWND control = GetDlgItem(window, ROW_BASE[kind] + row);
            if (control) {
                RemoveToolTip(window, control, ROW_BASE[kind] + row);
                DestroyWindow(control);
            }
        }
        Ui.ShownRowText[row][0] = 0;
        Ui.RowTimeDisplay[row] = nullptr;
    }

    wchar_t word[BUTTON_WORD_UNITS];
    HWND add = EnsureChild(window, ID_ADD, L"BUTTON", ResourceText(TEXT_ADD_BUTTON, word, BUTTON_WORD_UNITS), BUTTON_STYLE);
    if (add)
        EnableWindow(add, count < MAX_TIMERS);
    EnsureChild(window, ID_MUTE, L"BUTTON", ResourceText(TEXT_MUTE_BUTTON, word, BUTTON_WORD_UNITS), TOGGLE_STYLE);
    SyncCheck(window, ID_MUTE, App.Mute);
    EnsureChild(window, ID_TOPMOST, L"BUTTON", ResourceText(TEXT_TOPMOST_BUTTON, word, BUTTON_WORD_UNITS), TOGGLE_STYLE);
    SyncCheck(window, ID_TOPMOST, App.TopMost);
    EnsureChild(window, ID_SUSPEND_ALL, L"BUTTON", ResourceText(TEXT_SUSPEND_ALL_BUTTON, word, BUTTON_WORD_UNITS), TOGGLE_STYLE);
    EnsureChild(window, ID_SETTINGS, L"BUTTON", L"\xFF0A", TOGGLE_STYLE);   // ＊

    if (count != countBefore)
        OrderTabStops(window, count);

    PixelRect client = ClientAreaFor(count, Ui.CharWidth, Ui.LineHeight);
    RECT shown = {};
    GetClientRect(window, &shown);
    if (shown.right != client.Width || shown.bottom != client.Height) {
        RECT frame = {0, 0, client.Width, client.Height};
        AdjustWindowRectEx(&frame, MAIN_WINDOW_STYLE, FALSE, 0);
        // A size change sends WM_SIZE, whose handler places the controls.
        SetWindowPos(window, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

// What the controls depend on: the number of rows, which rows are paused and which are clock
// timers, and the two toggles; with a bit always set, so that the first build never matches.
static uint32_t RowsShape()
{
    uint32_t shape = 1u << 31 | static_cast<uint32_t>(App.Timers.Count) << 24;
    shape |= (App.Mute ? 1u << 28 : 0u) | (App.TopMost ? 1u << 29 : 0u);
    for (int row = 0; row < App.Timers.Count && row < MAX_TIMERS; ++row) {
        shape |= App.Timers.Records[row].Suspended ? 1u << row : 0u;
        shape |= App.Timers.Records[row].ClockMode ? 1u << (MAX_TIMERS + row) : 0u;
    }
    return shape;
}

// A change that leaves the shape as it was (a rename, a timer running out) has no control to
// change; the expired rows' bands still may.
void BuildTimerRows(WindowHandle handle)
{
    HWND window = static_cast<HWND>(handle);
    const int count = App.Timers.Count;
    const uint32_t shape = RowsShape();
    if (shape != Ui.BuiltRowsShape)
        BuildControls(window, count);
    Ui.BuiltRowsShape = shape;
    // The bands are painted again only when one of them changes colour or the rows change.
    uint32_t bands = static_cast<uint32_t>(count) << MAX_TIMERS;
    for (int band = 0; band < count; ++band)
        bands |= BandIsExpired(band) ? 1u << band : 0u;
    // With high contrast an expired row's time display changes colour too.
    if (bands != Ui.PaintedBands)
        RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | (Ui.HighContrast ? RDW_ALLCHILDREN : 0));
    Ui.PaintedBands = bands;
}

struct Placement {
    int Id;
    PixelRect Rect;
};

void LayoutTimerRows(HWND window)
{
    const int count = App.Timers.Count;
    Placement placements[MAX_TIMERS * ROW_CONTROL_KINDS + BOTTOM_BUTTONS];
    int total = 0;
    for (int row = 0; row < count && row < MAX_TIMERS; ++row)
        for (int kind = 0; kind < ROW_CONTROL_KINDS; ++kind)
            placements[total++] = {ROW_BASE[kind] + row, RowControlRect(row, kind, Ui.CharWidth, Ui.LineHeight)};
    for (int button = 0; button < BOTTOM_BUTTONS; ++button)
        placements[total++] = {BOTTOM_IDS[button], BottomButtonRect(count, button, Ui.CharWidth, Ui.LineHeight)};

    // All controls move in one deferred batch; if the batch fails, the rest is placed one by one.
    HDWP batch = BeginDeferWindowPos(total);
    int placed = 0;
    for (int i = 0; i < total; ++i) {
        const PixelRect& r = placements[i].Rect;
        RECT rect = {r.X, r.Y, r.X + r.Width, r.Y + r.Height};
        PlaceToolTip(window, placements[i].Id, rect);
    }
    for (; batch && placed < total; ++placed) {
        const PixelRect& r = placements[placed].Rect;
        batch = DeferWindowPos(batch, GetDlgItem(window, placements[placed].Id), nullptr, r.X, r.Y, r.Width,
                               r.Height, SWP_NOZORDER | SWP_NOCOPYBITS);
    }
    if (batch) {
        EndDeferWindowPos(batch);
        return;
    }
    // The control whose deferral failed is placed again directly, with everything after it.
    if (placed > 0)
        --placed;
    for (; placed < total; ++placed) {
        const PixelRect& r = placements[placed].Rect;
        SetWindowPos(GetDlgItem(window, placements[placed].Id), nullptr, r.X, r.Y, r.Width, r.Height,
                     SWP_NOZORDER | SWP_NOCOPYBITS);
    }
}

// A system colour's brush is the system's, not ours to delete.
static HBRUSH BrushOf(const WindowColour& colour)
{
    if (colour.System != FIXED_COLOUR)
        return GetSysColorBrush(colour.System);
    return CreateSolidBrush(colour.Rgb);
}

void PaintRowBands(HWND window)
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    const int pitch = RowPitch(Ui.LineHeight);
    for (int band = 0; dc && paint.fErase && band <= App.Timers.Count; ++band) {
        const WindowColour colour = BandBackground(band, Ui.HighContrast);
        HBRUSH brush = BrushOf(colour);
        RECT rect = {paint.rcPaint.left, band * pitch, paint.rcPaint.right, (band + 1) * pitch};
        FillRect(dc, &rect, brush ? brush : GetSysColorBrush(SYSTEM_MENU));
        if (brush && colour.System == FIXED_COLOUR)
            DeleteObject(brush);
    }
    EndPaint(window, &paint);
}

LRESULT RowTimeColours(HDC dc, HWND control)
{
    const int row = GetDlgCtrlID(control) - ID_ROW_TIME;
    if (row < 0 || row >= MAX_TIMERS || !RowTimeHighlighted(row, Ui.HighContrast))
        return 0;
    SetTextColor(dc, GetSysColor(SYSTEM_HIGHLIGHT_TEXT));
    SetBkColor(dc, GetSysColor(SYSTEM_HIGHLIGHT));
    return reinterpret_cast<LRESULT>(GetSysColorBrush(SYSTEM_HIGHLIGHT));
}

void FollowSystemColours(HWND window)
{
    HIGHCONTRASTW contrast = {};
    contrast.cbSize = sizeof(contrast);
    const BOOL read = SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof(contrast), &contrast, 0);
    Ui.HighContrast = read && (contrast.dwFlags & HCF_HIGHCONTRASTON) ? 1 : 0;
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}
