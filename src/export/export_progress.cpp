#include "export/export_progress.h"

#include <QCoreApplication>

namespace {
constexpr int ShowAfter = 500; // milliseconds
constexpr int Steps = 1000;    // the bar's resolution, whatever the counts
} // namespace

ExportProgressDialog::ExportProgressDialog(QWidget* parent, const QString& labelFormat)
    : m_dialog(parent), m_labelFormat(labelFormat) {
    m_dialog.setObjectName(QStringLiteral("ExportProgress"));
    m_dialog.setWindowTitle(QStringLiteral("导出"));
    m_dialog.setCancelButtonText(QStringLiteral("取消"));
    m_dialog.setWindowModality(Qt::ApplicationModal);
    m_dialog.setAutoReset(false);
    m_dialog.setAutoClose(false);
    m_dialog.setRange(0, Steps);
    m_dialog.setMinimumDuration(ShowAfter);
    m_dialog.setValue(0);
}

bool ExportProgressDialog::update(qint64 done, qint64 total) {
    const int step = total > 0 ? int(done * Steps / total) : Steps;
    m_dialog.setLabelText(m_labelFormat.arg(done).arg(total));
    if (step != m_dialog.value())
        m_dialog.setValue(step);
    QCoreApplication::processEvents();
    return !m_dialog.wasCanceled();
}
