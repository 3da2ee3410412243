#pragma once

#include "speech/global_commands.h"

#include <QObject>

// Keys that reach the program while other programs have the focus. A key another program
// holds is skipped, never fatal: the program goes on without it.
class GlobalKeys : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Replaces the keys asked for; the keys with no key sequence are left out.
    virtual void setKeys(const QList<GlobalKey>& keys) = 0;
    // The commands whose key another program holds.
    virtual QList<GlobalCommand> unavailable() const = 0;
    // Lets go of every key (at exit).
    virtual void release() = 0;

Q_SIGNALS:
    void activated(GlobalCommand command);
};
