// What the main window's files share: the window procedure, the row builder, the dialogs
// and the requests by text.
#pragma once
#include <windows.h>
#include "platform.h"   // BuildTimerRows, called by the tick as well

extern const wchar_t MainClassName[];   // "KorvalindeMainClass"
extern const wchar_t MainWindowTitle[]; // "Korvalinde"
const DWORD MAIN_WINDOW_STYLE = WS_CLIPCHILDREN | WS_CAPTION | WS_SYSMENU;   // 0x02C80000

// main_window.cpp
LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// timer_rows.cpp (BuildTimerRows is declared in platform.h: the tick calls it too)
void LayoutTimerRows(HWND window);
void PaintRowBands(HWND window);

// timer_dialog.cpp
INT_PTR CALLBACK AddTimerDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK EditTimerDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// settings_dialog.cpp
INT_PTR CALLBACK SettingsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
void RegisterActivationHotKey(HWND window);

// timer_requests.cpp
void AddTimerFromText(HWND window, const wchar_t* request);
void ProcessCommandLineRequests(HWND window);
void ForwardCommandLineRequests(HWND runningWindow);

inline wchar_t* AsWide(char16_t* text) { return reinterpret_cast<wchar_t*>(text); }
inline const wchar_t* AsWide(const char16_t* text) { return reinterpret_cast<const wchar_t*>(text); }
inline const char16_t* AsUtf16(const wchar_t* text) { return reinterpret_cast<const char16_t*>(text); }
inline char16_t* AsUtf16(wchar_t* text) { return reinterpret_cast<char16_t*>(text); }
