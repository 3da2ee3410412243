#pragma once

#include "speech/global_commands.h"

#include <QDialog>

class QKeySequenceEdit;

// 快捷键设置: a key editor for each system-wide command, with a note beside each key that
// another program holds.
class GlobalKeysDialog : public QDialog {
    Q_OBJECT
public:
    GlobalKeysDialog(const QList<GlobalKey>& keys, const QList<GlobalCommand>& unavailable,
                     QWidget* parent);
    ~GlobalKeysDialog() override;
    QList<GlobalKey> keys() const;
    // The editor of a command's key (its objectName is the command's id).
    QKeySequenceEdit* editor(GlobalCommand command) const;

private:
    QList<QKeySequenceEdit*> m_editors; // in the order of globalCommands()
};
