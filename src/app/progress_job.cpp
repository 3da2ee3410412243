#include "app/progress_job.h"

#include "app/job_progress_dialog.h"

namespace {
constexpr int BusyShownFor = 2000; // milliseconds
}

ProgressJob::ProgressJob(QWidget* window, Guard guard)
    : QObject(window), m_window(window), m_guard(std::move(guard)) {
    connect(&m_job, &BackgroundJob::progress, this, &ProgressJob::showProgress);
    connect(&m_job, &BackgroundJob::finished, this, &ProgressJob::finish);
}

ProgressJob::~ProgressJob() {
    abandon();
}

void ProgressJob::start(const Texts& texts, BackgroundJob::Work work) {
    if (refuseWhileRunning())
        return;
    m_texts = texts;
    m_busyShown.invalidate();
    m_dialog = new JobProgressDialog(m_window, texts.title);
    m_dialog->setLabelText(label(0, 0));
    connect(m_dialog, &JobProgressDialog::canceled, &m_job, &BackgroundJob::cancel);
    m_job.start(std::move(work));
    if (texts.usesVoice)
        emit voiceHeld(true);
}

bool ProgressJob::refuseWhileRunning() {
    if (!m_job.isRunning())
        return false;
    if (m_dialog) {
        m_dialog->setLabelText(m_texts.busy);
        m_dialog->showNow();
        m_busyShown.start();
    }
    return true;
}

void ProgressJob::abandon() {
    m_job.abandon();
    delete m_dialog;
}

QString ProgressJob::label(qint64 done, qint64 total) const {
    if (total <= 0 && !m_texts.starting.isEmpty())
        return m_texts.starting;
    if (m_texts.describe)
        return m_texts.describe(done, total);
    if (!m_texts.labelFormat.contains(QStringLiteral("%1")))
        return m_texts.labelFormat;
    return m_texts.labelFormat.arg(done).arg(total);
}

void ProgressJob::showProgress(qint64 done, qint64 total) {
    if (!m_dialog || m_job.isCancelled())
        return;
    if (!m_busyShown.isValid() || m_busyShown.hasExpired(BusyShownFor))
        m_dialog->setLabelText(label(done, total));
    m_dialog->setProgress(total > 0 ? int(done * 1000 / total) : 0);
}

void ProgressJob::finish() {
    delete m_dialog;
    if (m_texts.usesVoice)
        emit voiceHeld(false);
    if (m_job.isCancelled())
        return;
    m_guard([this] { m_job.complete(); });
}
