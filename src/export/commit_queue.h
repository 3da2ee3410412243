#pragma once

#include <QString>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

// Runs the steps that put finished files in place on a thread of its own, one after another in
// the order given. Each file is synced to the disk before it takes its name; a per-line export
// writes a thousand small files, and waiting for each sync in turn would double its time.
class CommitQueue {
public:
    // A step throws AppError when its file cannot be put in place.
    using Step = std::function<void()>;

    CommitQueue() = default;
    ~CommitQueue(); // runs the steps given; failures are dropped
    CommitQueue(const CommitQueue&) = delete;
    CommitQueue& operator=(const CommitQueue&) = delete;

    // AppError when an earlier step failed: no step runs after a failure until drain.
    void post(Step step);
    // Waits until every step given has run; AppError with the first failure.
    void wait();
    // Waits as wait does, and forgets a failure, so that the next run starts clean.
    void drain();

private:
    void run();
    void rethrow();

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<Step> m_steps;
    bool m_busy = false;
    bool m_quit = false;
    std::optional<QString> m_failure;
    std::thread m_thread;
};
