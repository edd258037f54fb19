// Timers handed over across a quit or the end of Windows: Suspend0..Suspend9 under the
// settings key, and the one-time restart under RunOnce.
#pragma once

const int SUSPEND_RECORD_BYTES = 48;

// Writes every timer of the table as Suspend0.. (48-byte REG_BINARY records).
void SaveTimers();
// Writes the quoted module path as "Korvalinde" under HKCU\...\RunOnce.
void RegisterRunOnce();
