#pragma once

#include <QElapsedTimer>
#include <QSet>
#include <cstdint>

// Which keys are down, as the window and the system-wide key events see them, so that a key
// held when a command of the window starts is not echoed by that command's own speech: neither
// its repeats nor its release (a reading started from the keyboard would otherwise be cut off
// by the release of the key that started it).
class HeldKeys {
public:
    // A key of the keystroke layout: scan code and extended flag.
    static std::uint32_t keyOf(std::uint32_t lParam);
    // The key for a window key event's native scan code (an X or XKB key code); 0 for none.
    static std::uint32_t keyOfNativeScanCode(quint32 nativeScanCode);

    // Key events the window itself received.
    void windowKeyPressed(std::uint32_t key);
    void windowKeyReleased(std::uint32_t key);
    // The window lost the keyboard; it will not see the releases.
    void windowKeysLost();

    // A command starts: every key down now is held by it, and so is a key whose first press
    // reaches us just after (a system-wide key's grab reports it before the key events do).
    void commandStarted();

    // A system-wide key event; false when it must not be echoed. Keeps track of the keys down.
    bool echoes(std::uint32_t lParam);

private:
    QSet<std::uint32_t> m_windowDown;
    QSet<std::uint32_t> m_hookDown;
    QSet<std::uint32_t> m_held;
    QElapsedTimer m_sinceCommand;
};
