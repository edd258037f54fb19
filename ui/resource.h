// Identifiers shared by the resource script and the program's code.
#pragma once

#include "texts.h"   // the captions, in each language

// The class the main window is found by from outside (tests, benchmark, scripts).
#define MAIN_CLASS_TEXT         "KorvalindeMainClass"

#define IDI_MAIN            105
#define IDD_TIMER           102
#define IDD_SETTINGS        103
#define IDR_ACCELERATORS    102

// timer dialog
#define IDC_TIME            1001
#define IDC_NAME            1002
// settings dialog
#define IDC_HOTKEY          2001
#define IDC_REMEMBER        2002
#define SETTINGS_ICON_BOX   20      // the icon's square beside the version text, in dialog units

// main window: row i's controls are the base + i; a button's identifier is its command
#define ID_ROW_LABEL        0x100
#define ID_ROW_TIME         0x200
#define ID_ROW_PAUSE        0x300
#define ID_ROW_EDIT         0x400
#define ID_ROW_DELETE       0x500
#define ID_ADD              0x1000
#define ID_MUTE             0x1001
#define ID_TOPMOST          0x1002
#define ID_SUSPEND_ALL      0x1003
#define ID_SETTINGS         0x1004
#define ID_PROCESS_ARGS     0x1010

#define ACTIVATION_HOTKEY_ID 101
#define WINDOW_TIMER_ID     1       // the 250 ms tick
#define EARLY_CHECK_TIMER_ID 2      // once, at the moment a timer falls due between two ticks
#define TICK_PERIOD_MS      250
