#include "background_job.h"

namespace {
constexpr int ReportInterval = 40; // milliseconds
}

void BackgroundJob::Control::report(qint64 done, qint64 total) {
    if (done < total && m_sinceReport.isValid() && !m_sinceReport.hasExpired(ReportInterval))
        return;
    m_sinceReport.start();
    Q_EMIT m_job.workReported(done, total, QPrivateSignal());
}

// Queued signals carry the hand-offs: the values travel as copies made inside Qt, so the owner
// never reads memory the work's thread wrote before a synchronisation it can show (the join).
BackgroundJob::BackgroundJob(QObject* parent) : QObject(parent) {
    connect(this, &BackgroundJob::workReported, this, &BackgroundJob::progress,
            Qt::QueuedConnection);
    connect(this, &BackgroundJob::workEnded, this, &BackgroundJob::endWork, Qt::QueuedConnection);
}

BackgroundJob::~BackgroundJob() {
    abandon();
}

bool BackgroundJob::start(Work work) {
    if (m_running)
        return false;
    join();
    m_running = true;
    m_stage = Stage::Working;
    m_completion = nullptr;
    m_failure = nullptr;
    const int generation = ++m_generation;
    m_thread = std::thread([this, generation, work = std::move(work)] {
        Control control(*this);
        try {
            m_workCompletion = work(control);
        } catch (...) {
            m_workFailure = std::current_exception();
        }
        Stage working = Stage::Working;
        m_stage.compare_exchange_strong(working, Stage::Returned);
        Q_EMIT workEnded(generation, QPrivateSignal());
    });
    return true;
}

// On the owner's thread; dropped when the work was abandoned meanwhile.
void BackgroundJob::endWork(int generation) {
    if (generation != m_generation || !m_running)
        return;
    join();
    m_running = false;
    m_completion = std::exchange(m_workCompletion, nullptr);
    m_failure = std::exchange(m_workFailure, nullptr);
    Q_EMIT finished();
}

void BackgroundJob::cancel() {
    Stage working = Stage::Working;
    m_stage.compare_exchange_strong(working, Stage::Cancelled);
}

void BackgroundJob::abandon() {
    m_stage = Stage::Cancelled;
    join();
    m_running = false;
    ++m_generation;
    m_workCompletion = nullptr;
    m_workFailure = nullptr;
}

void BackgroundJob::complete() {
    const Completion completion = std::exchange(m_completion, nullptr);
    if (const std::exception_ptr failure = std::exchange(m_failure, nullptr))
        std::rethrow_exception(failure);
    if (completion)
        completion();
}

void BackgroundJob::join() {
    if (m_thread.joinable())
        m_thread.join();
}
