#include "global_keys_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QKeySequenceEdit>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

GlobalKeysDialog::GlobalKeysDialog(const QList<GlobalKey>& keys,
                                   const QList<GlobalCommand>& unavailable, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("GlobalKeysDialog"));
    setWindowTitle(QStringLiteral("快捷键设置"));
    auto* form = new QFormLayout;
    for (const GlobalCommandInfo& info : globalCommands()) {
        auto* edit = new QKeySequenceEdit(this);
        edit->setObjectName(info.id);
        // The form's caption labels the row, not the editor, nor the text field inside it that
        // has the focus: a screen reader would hear a nameless field.
        edit->setAccessibleName(info.caption);
        if (auto* field = edit->findChild<QLineEdit*>())
            field->setAccessibleName(info.caption);
        for (const GlobalKey& key : keys) {
            if (key.command == info.command)
                edit->setKeySequence(key.key);
        }
        // One key with its modifiers: the desktop takes no key sequences.
        connect(edit, &QKeySequenceEdit::editingFinished, edit, [edit] {
            if (edit->keySequence().count() > 1)
                edit->setKeySequence(QKeySequence(edit->keySequence()[0]));
        });
        // A key gives one command: the one it was given last.
        connect(edit, &QKeySequenceEdit::keySequenceChanged, this, [this, edit] {
            if (edit->keySequence().isEmpty())
                return;
            for (QKeySequenceEdit* other : std::as_const(m_editors)) {
                if (other != edit && !other->keySequence().isEmpty() &&
                    other->keySequence()[0] == edit->keySequence()[0])
                    other->clear();
            }
        });
        m_editors << edit;
        auto* row = new QHBoxLayout;
        row->addWidget(edit);
        if (unavailable.contains(info.command)) {
            auto* note = new QLabel(QStringLiteral("已被其他程序占用"), this);
            note->setObjectName(info.id + QStringLiteral("Taken"));
            row->addWidget(note);
        }
        form->addRow(info.caption, row);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("以下按键在其他程序中也有效："), this));
    layout->addLayout(form);
    layout->addWidget(buttons);
}

// An editor still recording a key finishes when QDialog's destructor hides the dialog, after
// the editors' list is gone: its report must no longer reach the dialog.
GlobalKeysDialog::~GlobalKeysDialog() {
    for (QKeySequenceEdit* edit : std::as_const(m_editors))
        edit->disconnect(this);
}

QList<GlobalKey> GlobalKeysDialog::keys() const {
    QList<GlobalKey> keys;
    for (qsizetype i = 0; i < m_editors.size(); ++i)
        keys << GlobalKey{globalCommands().at(i).command, m_editors.at(i)->keySequence()};
    return keys;
}

QKeySequenceEdit* GlobalKeysDialog::editor(GlobalCommand command) const {
    return m_editors.at(int(command));
}
