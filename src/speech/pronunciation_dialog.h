#pragma once

#include "speech/pronunciation_file.h"

#include <QDialog>
#include <functional>

class QLabel;
class QPushButton;
class QTableWidget;

// 发音词典: the rules as a table of written and spoken sides, to add to, remove from and try
// out. A rule that cannot be used is shown in red with the reason. OK saves through save, which
// reports its own failure and returns false, so that the edits stay open for another try.
class PronunciationDialog : public QDialog {
    Q_OBJECT
public:
    using Save = std::function<bool(const PronunciationList& list)>;
    PronunciationDialog(const PronunciationList& list, Save save, QWidget* parent);

    // The rules as the table holds them; rows left wholly empty are dropped.
    PronunciationList list() const;
    void accept() override;

Q_SIGNALS:
    // 试听: the spoken side of the current rule is to be heard.
    void listenRequested(const QString& spoken);

private:
    void addRow(const PronunciationEntry& entry);
    void addRule();
    void removeRules();
    void checkRows();

    Save m_save;
    QTableWidget* m_table;
    QLabel* m_problems;
    QPushButton* m_listen;
    QStringList m_trailing;
};
