#include "pronunciation_dialog.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

enum Column { Written, Spoken };
// The comment lines above a rule travel with its written cell.
constexpr int NotesRole = Qt::UserRole;
const QColor ProblemColor(0xc0, 0x00, 0x00);

QString cellText(const QTableWidget* table, int row, int column) {
    const QTableWidgetItem* item = table->item(row, column);
    return item ? item->text().trimmed() : QString();
}

PronunciationRule ruleAt(const QTableWidget* table, int row) {
    return {cellText(table, row, Written), cellText(table, row, Spoken)};
}

bool isBlank(const PronunciationRule& rule) {
    return rule.written.isEmpty() && rule.spoken.isEmpty();
}

} // namespace

PronunciationDialog::PronunciationDialog(const PronunciationList& list, Save save, QWidget* parent)
    : QDialog(parent), m_save(std::move(save)), m_table(new QTableWidget(0, 2, this)),
      m_problems(new QLabel(this)), m_listen(new QPushButton(QStringLiteral("试听(&L)"), this)),
      m_trailing(list.trailing) {
    setObjectName(QStringLiteral("PronunciationDialog"));
    setWindowTitle(QStringLiteral("发音词典"));
    resize(560, 420);
    m_table->setObjectName(QStringLiteral("Rules"));
    m_table->setAccessibleName(QStringLiteral("发音规则"));
    m_table->setHorizontalHeaderLabels({QStringLiteral("原文"), QStringLiteral("读作")});
    m_table->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    m_table->verticalHeader()->hide();
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    for (const PronunciationEntry& entry : list.entries)
        addRow(entry);

    m_problems->setObjectName(QStringLiteral("Problems"));
    m_problems->setWordWrap(true);
    m_problems->setTextFormat(Qt::PlainText);
    QPalette red = m_problems->palette();
    red.setColor(QPalette::WindowText, ProblemColor);
    m_problems->setPalette(red);

    auto* add = new QPushButton(QStringLiteral("添加(&A)"), this);
    add->setObjectName(QStringLiteral("Add"));
    auto* remove = new QPushButton(QStringLiteral("删除(&R)"), this);
    remove->setObjectName(QStringLiteral("Remove"));
    m_listen->setObjectName(QStringLiteral("Listen"));
    connect(add, &QPushButton::clicked, this, &PronunciationDialog::addRule);
    connect(remove, &QPushButton::clicked, this, &PronunciationDialog::removeRules);
    connect(m_listen, &QPushButton::clicked, this, [this] {
        const int row = m_table->currentRow();
        if (row >= 0 && !cellText(m_table, row, Spoken).isEmpty())
            Q_EMIT listenRequested(cellText(m_table, row, Spoken));
    });
    connect(m_table, &QTableWidget::itemChanged, this, &PronunciationDialog::checkRows);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &PronunciationDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* rowButtons = new QHBoxLayout;
    rowButtons->addWidget(add);
    rowButtons->addWidget(remove);
    rowButtons->addWidget(m_listen);
    rowButtons->addStretch();
    auto* layout = new QVBoxLayout(this);
    auto* help = new QLabel(QStringLiteral("朗读和导出时，原文按“读作”一栏读出。以 re: 开头的原文"
                                           "是正则表达式（不区分大小写；re(c): 区分大小写）。"),
                            this);
    help->setWordWrap(true);
    layout->addWidget(help);
    layout->addWidget(m_table);
    layout->addWidget(m_problems);
    layout->addLayout(rowButtons);
    layout->addWidget(buttons);
    checkRows();
}

void PronunciationDialog::addRow(const PronunciationEntry& entry) {
    const QSignalBlocker quiet(m_table);
    const int row = m_table->rowCount();
    m_table->insertRow(row);
    auto* written = new QTableWidgetItem(entry.rule.written);
    written->setData(NotesRole, entry.notes);
    m_table->setItem(row, Written, written);
    m_table->setItem(row, Spoken, new QTableWidgetItem(entry.rule.spoken));
}

void PronunciationDialog::addRule() {
    addRow({});
    const int row = m_table->rowCount() - 1;
    m_table->setCurrentCell(row, Written);
    m_table->editItem(m_table->item(row, Written));
}

void PronunciationDialog::removeRules() {
    QList<int> rows;
    for (const QModelIndex& index : m_table->selectionModel()->selectedRows())
        rows << index.row();
    if (rows.isEmpty() && m_table->currentRow() >= 0)
        rows << m_table->currentRow();
    std::sort(rows.begin(), rows.end(), std::greater<>());
    for (const int row : rows) {
        // Comments are the user's words, not the rule's: they stay where they stood.
        const QStringList notes = m_table->item(row, Written)->data(NotesRole).toStringList();
        if (QTableWidgetItem* next = m_table->item(row + 1, Written)) {
            const QSignalBlocker quiet(m_table);
            next->setData(NotesRole, notes + next->data(NotesRole).toStringList());
        } else {
            m_trailing = notes + m_trailing;
        }
        m_table->removeRow(row);
    }
    checkRows();
}

// Each rule that cannot be used turns red, with its reason in the cell's tip and below the table.
void PronunciationDialog::checkRows() {
    const QSignalBlocker quiet(m_table);
    QStringList problems;
    for (int row = 0; row < m_table->rowCount(); ++row) {
        const PronunciationRule rule = ruleAt(m_table, row);
        const QString problem = isBlank(rule) ? QString() : ruleProblem(rule);
        for (const int column : {Written, Spoken}) {
            QTableWidgetItem* item = m_table->item(row, column);
            item->setForeground(problem.isEmpty() ? palette().color(QPalette::Text) : ProblemColor);
            item->setToolTip(problem);
        }
        if (!problem.isEmpty())
            problems << QStringLiteral("第 %1 条 %2：%3").arg(row + 1).arg(rule.written, problem);
    }
    m_problems->setText(problems.join(u'\n'));
    m_problems->setVisible(!problems.isEmpty());
}

PronunciationList PronunciationDialog::list() const {
    PronunciationList list;
    QStringList notes; // an emptied rule's comments stay in its place
    for (int row = 0; row < m_table->rowCount(); ++row) {
        notes << m_table->item(row, Written)->data(NotesRole).toStringList();
        const PronunciationRule rule = ruleAt(m_table, row);
        if (isBlank(rule))
            continue;
        list.entries << PronunciationEntry{rule, notes};
        notes.clear();
    }
    list.trailing = notes + m_trailing;
    return list;
}

void PronunciationDialog::accept() {
    if (m_save(list()))
        QDialog::accept();
}
