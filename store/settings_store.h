// The settings key HKEY_CURRENT_USER\Software\Brelwix\Korvalinde: window settings, hot key,
// remember-at-shutdown and the name history.
#pragma once

// Reads the settings and the history into App, then takes up the handed-over timers.
void LoadSettings();
// Writes Position, Mute, TopMost and History0..15 (deleting the unused ones).
void SaveSettings();
// Writes HotKey (2 bytes) and SuspendEnd (DWORD) at once, after the settings dialog's OK.
void SaveHotKeySettings();
// Writes the settings key, and what else of the user's registry is pending, to disk now.
void FlushSettings();
// The end of the Windows session: the settings, and when the user asked for it the timers with
// a one-time restart at the next logon, written through to disk.
void HandOverAtSessionEnd();
