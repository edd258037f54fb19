// The window layer's global state block: the main window and its controls' handles, the
// tick's window timers, the row texts on show, the tooltip and the dialogs' state. Statically
// allocated and zero at start, like the engine's App.
#pragma once
#include <cstdint>
#include "app_state.h"

typedef void* WindowHandle;   // an HWND on Windows, opaque to the window-free code
typedef void* ImeContext;     // an HIMC on Windows

const int TIP_TEXT_UNITS = 64;        // a tooltip: a name, a line feed and what the time means

struct WindowState {
    void* Instance;                                 // HINSTANCE of the program's module
    WindowHandle MainWindow;
    int32_t ModalOpen;
    int32_t HeldExpirySignalled;                    // a timer's time came while a dialog was open, and was signalled
    int32_t KeepTimersOnClose;                      // save-and-quit is closing the window
    int32_t ArgumentsHandedOver;                    // the first ones, taken by a copy that then closed
    uintptr_t WindowTimerId;                        // the 250 ms tick; 0 while the table is empty
    int32_t EarlyCheckArmed;                        // the one-shot timer for an expiry between ticks
    char16_t ShownRowText[MAX_TIMERS][ROW_TEXT_UNITS];   // what each row's time display shows
    uint32_t BuiltRowsShape;                        // what the row controls were last built for
    uint32_t PaintedBands;                          // the row count above bits of the expired rows, as last built
    WindowHandle RowTimeDisplay[MAX_TIMERS];        // each row's time display; null without the row
    ImeContext SavedImeContext;                     // the main window's own input context
    ImeContext TimeFieldImeContext;                 // the timer dialog's time field's input context
    int32_t EditIndex;
    char16_t EditShownTime[TIME_TEXT_BUFFER_UNITS];  // the time text the edit form showed at its start
    WindowHandle TimeFieldTip;                      // the timer dialog's tip at the mouse on its time field
    WindowHandle TimeFieldFocusTip;                 // and the one shown while the field has the focus
    uint8_t HotKeyRegistered;
    WindowHandle FocusedControl;                    // the control that had the focus when the window was left
    void* DialogKeyHook;                            // the settings dialog's filter of its access keys (HHOOK)
    WindowHandle ToolTip;                           // one tooltip control for every control of the window
    char16_t ToolTipBuffer[TIP_TEXT_UNITS];         // the text of the tip on show
    int32_t AccessibilityReady;                     // 1 once COM is started for a screen reader, -1 when it failed
    int32_t HighContrast;                           // the system's high-contrast switch, as last seen
    int32_t LineHeight;
    int32_t CharWidth;
};

extern WindowState Ui;
