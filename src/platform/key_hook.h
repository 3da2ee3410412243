#pragma once

#include <QObject>
#include <cstdint>

// The system-wide key hook: once on, every key event arrives as one KeyMessage.
class KeyHook : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Loads the key module and switches delivery on; false, silently, when key echo is not
    // available (no module, no entry points, no private block).
    virtual bool HookOn() = 0;
    // Stops delivery at once and releases the module; harmless when the hook never came on.
    virtual void HookOff() = 0;

Q_SIGNALS:
    // One key event in the keystroke layout.
    void KeyMessage(std::uint32_t lParam);
};
