#pragma once

#include <linux/input-event-codes.h>

// A Linux key code as the scan code and extended flag of the keystroke layout.
struct ScanCode {
    unsigned code = 0; // 0: a key without a scan code, not forwarded
    bool extended = false;
};

constexpr ScanCode scanCodeOf(unsigned key) {
    // Up to F12 the Linux codes are the scan codes, Num Lock apart.
    if (key == KEY_NUMLOCK)
        return {0x45, true};
    if (key >= KEY_ESC && key <= KEY_F12)
        return {key, false};
    if (key >= KEY_F13 && key <= KEY_F23)
        return {0x64 + (key - KEY_F13), false};
    switch (key) {
    case KEY_F24:
        return {0x76, false};
    case KEY_PAUSE:
        return {0x45, false};
    case KEY_KPENTER:
        return {0x1c, true};
    case KEY_RIGHTCTRL:
        return {0x1d, true};
    case KEY_KPSLASH:
        return {0x35, true};
    case KEY_SYSRQ:
        return {0x37, true};
    case KEY_RIGHTALT:
        return {0x38, true};
    case KEY_HOME:
        return {0x47, true};
    case KEY_UP:
        return {0x48, true};
    case KEY_PAGEUP:
        return {0x49, true};
    case KEY_LEFT:
        return {0x4b, true};
    case KEY_RIGHT:
        return {0x4d, true};
    case KEY_END:
        return {0x4f, true};
    case KEY_DOWN:
        return {0x50, true};
    case KEY_PAGEDOWN:
        return {0x51, true};
    case KEY_INSERT:
        return {0x52, true};
    case KEY_DELETE:
        return {0x53, true};
    case KEY_LEFTMETA:
        return {0x5b, true};
    case KEY_RIGHTMETA:
        return {0x5c, true};
    case KEY_COMPOSE:
        return {0x5d, true};
    default:
        return {};
    }
}
