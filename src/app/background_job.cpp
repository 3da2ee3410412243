#include "background_job.h"

#include <QMetaObject>

namespace {
constexpr int ReportInterval = 40; // milliseconds
}

void BackgroundJob::Control::report(qint64 done, qint64 total) {
    if (done < total && m_sinceReport.isValid() && !m_sinceReport.hasExpired(ReportInterval))
        return;
    m_sinceReport.start();
    QMetaObject::invokeMethod(
        &m_job, [job = &m_job, done, total] { Q_EMIT job->progress(done, total); },
        Qt::QueuedConnection);
}

BackgroundJob::BackgroundJob(QObject* parent) : QObject(parent) {}

BackgroundJob::~BackgroundJob() {
    abandon();
}

bool BackgroundJob::start(Work work) {
    if (m_running)
        return false;
    join();
    m_running = true;
    m_cancelled = false;
    m_completion = nullptr;
    m_failure = nullptr;
    const int generation = ++m_generation;
    m_thread = std::thread([this, generation, work = std::move(work)] {
        Control control(*this);
        Completion completion;
        std::exception_ptr failure;
        try {
            completion = work(control);
        } catch (...) {
            failure = std::current_exception();
        }
        // Delivered on the owner's thread; dropped there when the work was abandoned meanwhile.
        QMetaObject::invokeMethod(
            this,
            [this, generation, completion = std::move(completion), failure] {
                if (generation != m_generation || !m_running)
                    return;
                join();
                m_running = false;
                m_completion = completion;
                m_failure = failure;
                Q_EMIT finished();
            },
            Qt::QueuedConnection);
    });
    return true;
}

void BackgroundJob::cancel() {
    m_cancelled = true;
}

void BackgroundJob::abandon() {
    m_cancelled = true;
    join();
    m_running = false;
    ++m_generation;
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
