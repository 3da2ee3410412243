#pragma once

#include "platform/global_keys.h"

// Records the keys asked for; a test presses them with press() and makes others' keys taken.
class FakeGlobalKeys : public GlobalKeys {
public:
    QList<GlobalKey> keys;
    QList<QKeySequence> takenByOthers;
    bool released = false;

    void setKeys(const QList<GlobalKey>& wanted) override {
        keys = wanted;
        released = false;
    }
    QList<GlobalCommand> unavailable() const override {
        QList<GlobalCommand> taken;
        for (const GlobalKey& key : keys) {
            if (takenByOthers.contains(key.key))
                taken << key.command;
        }
        return taken;
    }
    void release() override { released = true; }
    void press(GlobalCommand command) { Q_EMIT activated(command); }
};
