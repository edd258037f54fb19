// What the main window's files share: the window procedure, the row builder, the dialogs
// and the requests by text.
#pragma once
#include <windows.h>
#include <commctrl.h>
#include "window_ops.h"   // BuildTimerRows, which the tick calls too
#include "window_state.h"

extern const wchar_t MAIN_CLASS_NAME[];     // "KorvalindeMainClass"
extern const wchar_t MAIN_WINDOW_TITLE[];   // "Korvalinde"
const DWORD MAIN_WINDOW_STYLE = WS_CLIPCHILDREN | WS_CAPTION | WS_SYSMENU;   // 0x02C80000

// main_window.cpp
LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// timer_rows.cpp
void LayoutTimerRows(HWND window);
void PaintRowBands(HWND window);
// WM_CTLCOLORSTATIC of a row's time display: the brush of the colours set, or 0 for the control's own.
LRESULT RowTimeColours(HDC dc, HWND control);
// Takes the high-contrast switch anew and repaints everything in the colours of now.
void FollowSystemColours(HWND window);
// The pause button's text: "■" while the timer runs, "＞" while it is paused.
const wchar_t* PauseButtonText(int suspended);

// tooltips.cpp: one tool per button and time display, added and removed with the controls
void CreateToolTips();
void DestroyToolTips();
void AddToolTip(HWND window, HWND control, int id);
void RemoveToolTip(HWND window, HWND control, int id);
void PlaceToolTip(HWND window, int id, const RECT& rect);
void OnToolTipText(NMTTDISPINFOW* info);
// The tip on show, if it is the control id's, takes its text again.
void RefreshToolTip(int id);
// Passes a mouse message of the main window or one of its controls to the tips (TTM_RELAYEVENT).
void RelayToolTipMouse(const MSG* message);

// accessibility.cpp: names for screen readers, with COM from a screen reader's first question
// to the end of the run
void EndAccessibility();
// The control answers a screen reader with the name and key of ui/control_texts.h.
void MakeAccessible(HWND control);
// A change of the control is read at once (live setting assertive), where the system keeps live
// settings and COM is up in the program; otherwise nothing.
void MarkAssertive(HWND control);

// language.cpp
// Chooses the program's language from the user's UI language, for the resources and for Text.
void ChooseLanguage();
LANGID ProgramLanguage();
// The string table's text with this number (a TextId) in the chosen language, in buffer.
const wchar_t* ResourceText(int id, wchar_t* buffer, int units);
const int BUTTON_WORD_UNITS = 16;
const int MESSAGE_UNITS = 64;

// timer_dialog.cpp
INT_PTR CALLBACK AddTimerDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK EditTimerDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// settings_dialog.cpp
INT_PTR CALLBACK SettingsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
void RegisterActivationHotKey(HWND window);

// timer_requests.cpp
void AddTimerFromText(HWND window, const wchar_t* request);
// Sends the arguments of the command line that no other copy took to our own window as
// requests (LB_ADDFILE), once it runs.
void SendCommandLineRequests(HWND window);
// A second start: sends the arguments from index first on to the running copy, in order, and
// returns the index of the first one it did not take (__argc when it took them all).
int HandOverRequests(HWND running, int first);

inline wchar_t* AsWide(char16_t* text) { return reinterpret_cast<wchar_t*>(text); }
inline const wchar_t* AsWide(const char16_t* text) { return reinterpret_cast<const wchar_t*>(text); }
inline const char16_t* AsUtf16(const wchar_t* text) { return reinterpret_cast<const char16_t*>(text); }
inline char16_t* AsUtf16(wchar_t* text) { return reinterpret_cast<char16_t*>(text); }
