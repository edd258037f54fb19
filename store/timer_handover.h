// Timers handed over across a quit or the end of Windows: Suspend0..Suspend9 under the
// settings key, and the one-time restart under RunOnce.
#pragma once
#include "registry.h"

const int SUSPEND_RECORD_BYTES = 48;

// Writes every timer of the table as Suspend0.. (48-byte REG_BINARY records).
void SaveTimers();
// While remember-at-shutdown is on, the Suspend values are also a journal of the table,
// rewritten at every change of it, so that however the program ends the next start takes the
// timers up. A running timer is stored by the moment it runs out, so counting down needs no
// write. Writes the table and deletes the values behind it; with the setting off, nothing.
void JournalTimers();
// Deletes Suspend0..9: after a deliberate close, or when the setting is switched off.
void DiscardJournal();
// Sets RememberAtShutdown. The journal starts with the setting, and goes with it: a stale one
// would bring back timers long gone at some later start.
void RememberTimers(int remember);
// At the start, with the settings key open: appends the stored timers to the table; not
// remembering, it deletes each value it read.
void RestoreTimers(RegistryKey key);
// Writes the quoted module path as "Korvalinde" under HKCU\...\RunOnce.
void RegisterRunOnce();
