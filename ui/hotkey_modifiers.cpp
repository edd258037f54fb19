// Translation of the hot-key control's flags into RegisterHotKey's modifiers.
#include "hotkey_modifiers.h"

uint32_t HotKeyModifiers(uint16_t hotKey)
{
    const uint32_t flags = hotKey >> 8;
    uint32_t modifiers = 0;
    if (flags & 0x01)   // HOTKEYF_SHIFT
        modifiers |= 0x0004;   // MOD_SHIFT
    if (flags & 0x02)   // HOTKEYF_CONTROL
        modifiers |= 0x0002;   // MOD_CONTROL
    if (flags & 0x04)   // HOTKEYF_ALT
        modifiers |= 0x0001;   // MOD_ALT
    return modifiers;          // HOTKEYF_EXT (0x08) has no modifier of its own
}

uint32_t HotKeyVirtualKey(uint16_t hotKey) { return hotKey & 0xFFu; }
