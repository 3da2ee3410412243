#include "echo/held_keys.h"

#include "echo/keystroke.h"
#include "keyhook/scan_codes.h"

namespace {
// X and XKB key codes are the Linux key codes plus 8.
constexpr quint32 XKeyCodeOffset = 8;
// How late the first press of the key that started a command may reach us, in milliseconds.
constexpr int LatePress = 100;
} // namespace

std::uint32_t HeldKeys::keyOf(std::uint32_t lParam) {
    return lParam & (0xff0000u | keystroke::Extended);
}

std::uint32_t HeldKeys::keyOfNativeScanCode(quint32 nativeScanCode) {
    if (nativeScanCode <= XKeyCodeOffset)
        return 0;
    const ScanCode scan = scanCodeOf(nativeScanCode - XKeyCodeOffset);
    if (scan.code == 0)
        return 0;
    return keyOf(keystroke::make(scan.code, scan.extended, false, false));
}

void HeldKeys::windowKeyPressed(std::uint32_t key) {
    if (key != 0)
        m_windowDown.insert(key);
}

void HeldKeys::windowKeyReleased(std::uint32_t key) {
    m_windowDown.remove(key);
}

void HeldKeys::windowKeysLost() {
    m_windowDown.clear();
}

void HeldKeys::commandStarted() {
    m_held.unite(m_windowDown);
    m_held.unite(m_hookDown);
    m_sinceCommand.start();
}

bool HeldKeys::echoes(std::uint32_t lParam) {
    const std::uint32_t key = keyOf(lParam);
    const bool released = lParam & keystroke::Transition;
    if (released)
        m_hookDown.remove(key);
    else
        m_hookDown.insert(key);
    const bool firstPress = !released && !(lParam & keystroke::PreviousState);
    if (firstPress && m_sinceCommand.isValid() && !m_sinceCommand.hasExpired(LatePress))
        m_held.insert(key);
    if (!m_held.contains(key))
        return true;
    // The first press of a held key can reach us after the command it started; it stays held
    // until it is let go.
    if (released)
        m_held.remove(key);
    return false;
}
