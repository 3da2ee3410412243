#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <atomic>
#include <exception>
#include <functional>
#include <thread>

// A long operation run on a thread of its own, so that the window's event loop never waits in a
// nested loop from which the window could be closed or re-entered. The work returns what to do
// with its result on the owner's thread. Destroying the job abandons the work.
class BackgroundJob : public QObject {
    Q_OBJECT
public:
    // What the work sees of its job: whether to stop, and how far it has come.
    class Control {
    public:
        explicit Control(BackgroundJob& job) : m_job(job) {}
        bool cancelled() const { return m_job.isCancelled(); }
        // Passed on to the owner at most every few tens of milliseconds, and always the first
        // and the last.
        void report(qint64 done, qint64 total);

    private:
        BackgroundJob& m_job;
        QElapsedTimer m_sinceReport;
    };
    // Runs on the owner's thread once the work has returned.
    using Completion = std::function<void()>;
    using Work = std::function<Completion(Control& control)>;

    explicit BackgroundJob(QObject* parent = nullptr);
    ~BackgroundJob() override;

    bool isRunning() const { return m_running; }
    // Whether the work was asked to stop before it returned.
    bool isCancelled() const { return m_stage.load() == Stage::Cancelled; }
    // Starts the work; false, and nothing started, while another work runs.
    bool start(Work work);
    // Asks the work to stop; its completion still comes. Once the work has returned, a cancel
    // changes nothing: what it did is done.
    void cancel();
    // Stops the work and waits for it; its completion and any failure are dropped.
    void abandon();
    // Runs the completion of the work that finished, or throws what the work threw. Called by
    // the owner on finished().
    void complete();

Q_SIGNALS:
    void progress(qint64 done, qint64 total);
    // The work has returned; the job can start again.
    void finished();

    // Sent from the work's thread and queued to the owner's. Only plain values travel: what
    // the work made is read from the job once its thread is joined.
    void workReported(qint64 done, qint64 total, QPrivateSignal);
    void workEnded(int generation, QPrivateSignal);

private:
    void endWork(int generation);
    void join();

    std::thread m_thread;
    enum class Stage { Working, Cancelled, Returned };
    std::atomic<Stage> m_stage{Stage::Working};
    bool m_running = false;
    int m_generation = 0; // of the work whose end is awaited; abandoned works are older
    Completion m_completion;
    std::exception_ptr m_failure;
    // What the work returned or threw, written by its thread and read once it is joined.
    Completion m_workCompletion;
    std::exception_ptr m_workFailure;
};
