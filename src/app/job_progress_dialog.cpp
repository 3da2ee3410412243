#include "app/job_progress_dialog.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace {
constexpr int ShowAfter = 500; // milliseconds
}

JobProgressDialog::JobProgressDialog(QWidget* parent, const QString& title)
    : QDialog(parent), m_label(new QLabel(this)), m_bar(new QProgressBar(this)),
      m_showTimer(new QTimer(this)) {
    setObjectName(QStringLiteral("JobProgress"));
    setWindowTitle(title);
    setWindowModality(Qt::ApplicationModal);
    m_bar->setRange(0, 1000);
    m_bar->setValue(0);
    m_bar->setTextVisible(false);
    m_bar->setAccessibleName(QStringLiteral("进度"));
    auto* cancel = new QPushButton(QStringLiteral("取消"), this);
    cancel->setObjectName(QStringLiteral("Cancel"));
    connect(cancel, &QPushButton::clicked, this, &JobProgressDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_label);
    layout->addWidget(m_bar);
    layout->addWidget(cancel, 0, Qt::AlignRight);
    setMinimumWidth(360);
    m_showTimer->setSingleShot(true);
    connect(m_showTimer, &QTimer::timeout, this, &QWidget::show);
    m_showTimer->start(ShowAfter);
}

void JobProgressDialog::setLabelText(const QString& text) {
    m_label->setText(text);
}

void JobProgressDialog::setProgress(int thousandths) {
    m_bar->setValue(thousandths);
}

void JobProgressDialog::showNow() {
    m_showTimer->stop();
    show();
    raise();
    activateWindow();
}

void JobProgressDialog::reject() {
    Q_EMIT canceled();
    hide();
}
