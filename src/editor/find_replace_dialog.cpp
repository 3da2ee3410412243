#include "find_replace_dialog.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

FindReplaceDialog::FindReplaceDialog(Kind kind, QWidget* parent) : QDialog(parent) {
    const bool replacing = kind == Kind::Replace;
    setObjectName(replacing ? QStringLiteral("ReplaceDialog1") : QStringLiteral("FindDialog1"));
    setWindowTitle(replacing ? QStringLiteral("替换") : QStringLiteral("查找"));
    setModal(false);

    auto* fields = new QGridLayout;
    findEdit = new QLineEdit(this);
    auto* findLabel = new QLabel(QStringLiteral("查找内容(&N):"), this);
    findLabel->setBuddy(findEdit);
    fields->addWidget(findLabel, 0, 0);
    fields->addWidget(findEdit, 0, 1);
    if (replacing) {
        replaceEdit = new QLineEdit(this);
        auto* replaceLabel = new QLabel(QStringLiteral("替换为(&P):"), this);
        replaceLabel->setBuddy(replaceEdit);
        fields->addWidget(replaceLabel, 1, 0);
        fields->addWidget(replaceEdit, 1, 1);
    }

    wholeWordBox = new QCheckBox(QStringLiteral("全字匹配(&W)"), this);
    matchCaseBox = new QCheckBox(QStringLiteral("区分大小写(&C)"), this);
    auto* choices = new QHBoxLayout;
    auto* boxes = new QVBoxLayout;
    boxes->addWidget(wholeWordBox);
    boxes->addWidget(matchCaseBox);
    boxes->addStretch();
    choices->addLayout(boxes);
    if (!replacing) {
        // Shown as users expect it; the search always runs forward.
        auto* direction = new QGroupBox(QStringLiteral("方向"), this);
        upButton = new QRadioButton(QStringLiteral("向上(&U)"), direction);
        downButton = new QRadioButton(QStringLiteral("向下(&D)"), direction);
        downButton->setChecked(true);
        auto* directionLayout = new QHBoxLayout(direction);
        directionLayout->addWidget(upButton);
        directionLayout->addWidget(downButton);
        choices->addWidget(direction);
    }

    auto* left = new QVBoxLayout;
    left->addLayout(fields);
    left->addLayout(choices);

    auto* buttons = new QVBoxLayout;
    findNextButton = new QPushButton(QStringLiteral("查找下一个(&F)"), this);
    findNextButton->setDefault(true);
    buttons->addWidget(findNextButton);
    connect(findNextButton, &QPushButton::clicked, this, &FindReplaceDialog::findNext);
    if (replacing) {
        replaceButton = new QPushButton(QStringLiteral("替换(&R)"), this);
        replaceAllButton = new QPushButton(QStringLiteral("全部替换(&A)"), this);
        buttons->addWidget(replaceButton);
        buttons->addWidget(replaceAllButton);
        connect(replaceButton, &QPushButton::clicked, this, [this] {
            m_replaceAllPressed = false;
            emit replace();
        });
        connect(replaceAllButton, &QPushButton::clicked, this, [this] {
            m_replaceAllPressed = true;
            emit replace();
        });
    }
    cancelButton = new QPushButton(QStringLiteral("取消"), this);
    buttons->addWidget(cancelButton);
    buttons->addStretch();
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);

    // Nothing to search for: the search buttons wait for a text.
    const auto enableSearch = [this] {
        const bool hasText = !findEdit->text().isEmpty();
        for (QPushButton* button : {findNextButton, replaceButton, replaceAllButton})
            if (button)
                button->setEnabled(hasText);
    };
    connect(findEdit, &QLineEdit::textChanged, this, enableSearch);
    enableSearch();

    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left);
    layout->addLayout(buttons);
}

QString FindReplaceDialog::findText() const {
    return findEdit->text();
}

QString FindReplaceDialog::replaceText() const {
    return replaceEdit ? replaceEdit->text() : QString();
}

bool FindReplaceDialog::matchCase() const {
    return matchCaseBox->isChecked();
}

bool FindReplaceDialog::wholeWord() const {
    return wholeWordBox->isChecked();
}
