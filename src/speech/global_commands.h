#pragma once

#include <QKeySequence>
#include <QList>
#include <QString>

// The commands that system-wide keys give, whatever window has the focus.
enum class GlobalCommand { ReadSelection, PauseResume, Stop, NextSentence, PreviousSentence };

struct GlobalCommandInfo {
    GlobalCommand command;
    QString id;      // the name under which set.ini and the desktop know the key
    QString caption; // as the key dialog shows it
    QKeySequence defaultKey;
};

// Every command, in the order the key dialog shows them.
const QList<GlobalCommandInfo>& globalCommands();
const GlobalCommandInfo& globalCommandInfo(GlobalCommand command);

// One command's key; an empty key gives the command no key.
struct GlobalKey {
    GlobalCommand command;
    QKeySequence key;
    bool operator==(const GlobalKey&) const = default;
};

QList<GlobalKey> defaultGlobalKeys();
