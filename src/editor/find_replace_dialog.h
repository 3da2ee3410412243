#pragma once

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

// The modeless find dialog ("查找") or replace dialog ("替换"), laid out as desktop users know
// them: find-next is the default button, and the buttons report through signals while the
// dialog stays open.
class FindReplaceDialog : public QDialog {
    Q_OBJECT
public:
    enum class Kind { Find, Replace };
    FindReplaceDialog(Kind kind, QWidget* parent);

    QString findText() const;
    QString replaceText() const;
    bool matchCase() const;
    bool wholeWord() const;
    // Which button ran the last replace: replace-all or a single replace.
    bool replaceAllPressed() const { return m_replaceAllPressed; }

    QLineEdit* findEdit;
    QLineEdit* replaceEdit = nullptr;
    QCheckBox* wholeWordBox;
    QCheckBox* matchCaseBox;
    QRadioButton* upButton = nullptr;
    QRadioButton* downButton = nullptr;
    QPushButton* findNextButton;
    QPushButton* replaceButton = nullptr;
    QPushButton* replaceAllButton = nullptr;
    QPushButton* cancelButton;

signals:
    void findNext();
    void replace();

private:
    bool m_replaceAllPressed = false;
};
