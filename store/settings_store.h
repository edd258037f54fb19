// The settings key HKEY_CURRENT_USER\Software\Brelwix\Korvalinde: window settings, hot key,
// remember-at-shutdown and the name history.
#pragma once

extern const char16_t SettingsKeyPath[];

// Reads the settings and the history into App, then takes up the handed-over timers.
void LoadSettings();
// Writes Position, Mute, TopMost and History0..15 (deleting the unused ones).
void SaveSettings();
// Writes HotKey (2 bytes) and SuspendEnd (DWORD) at once, after the settings dialog's OK.
void SaveHotKeySettings();
// The saving part of the end of the Windows session: the settings always; the timers and
// the one-time restart only when the session really ends and RememberAtShutdown is on.
void SaveAtSessionEnd(int sessionEnds);
