#pragma once

#include "platform/key_hook.h"

#include <QStringList>

// A key hook that records HookOn and HookOff and delivers the key events a test sends.
class FakeKeyHook : public KeyHook {
public:
    bool available = true;
    QStringList calls;

    bool HookOn() override {
        calls << QStringLiteral("HookOn");
        return available;
    }
    void HookOff() override { calls << QStringLiteral("HookOff"); }
    void send(std::uint32_t lParam) { Q_EMIT KeyMessage(lParam); }
};
