// The hot-key control's word and what RegisterHotKey wants.
#pragma once
#include <cstdint>

// Modifier flags for RegisterHotKey from the high byte of a hot-key word: HOTKEYF_SHIFT
// becomes MOD_SHIFT, HOTKEYF_CONTROL MOD_CONTROL, HOTKEYF_ALT MOD_ALT; HOTKEYF_EXT and
// every other bit are dropped.
uint32_t HotKeyModifiers(uint16_t hotKey);
// The virtual-key code, the low byte.
uint32_t HotKeyVirtualKey(uint16_t hotKey);
