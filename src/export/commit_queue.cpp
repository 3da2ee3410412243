#include "export/commit_queue.h"

#include "app/app_error.h"

namespace {
// Files waiting for their turn, each holding an open file: enough to ride out a slow sync.
constexpr size_t MaxWaiting = 32;
} // namespace

CommitQueue::~CommitQueue() {
    drain();
    if (!m_thread.joinable())
        return;
    {
        std::lock_guard lock(m_mutex);
        m_quit = true;
        m_changed.notify_all();
    }
    m_thread.join();
}

void CommitQueue::post(Step step) {
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return m_steps.size() < MaxWaiting || m_failure; });
    rethrow();
    if (!m_thread.joinable())
        m_thread = std::thread(&CommitQueue::run, this);
    m_steps.push_back(std::move(step));
    m_changed.notify_all();
}

void CommitQueue::wait() {
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return m_steps.empty() && !m_busy; });
    rethrow();
}

void CommitQueue::drain() {
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return m_steps.empty() && !m_busy; });
    m_failure.reset();
}

void CommitQueue::rethrow() {
    if (m_failure)
        throw AppError(*m_failure);
}

void CommitQueue::run() {
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [this] { return !m_steps.empty() || m_quit; });
        if (m_steps.empty())
            return;
        Step step = std::move(m_steps.front());
        m_steps.pop_front();
        m_changed.notify_all(); // room for another
        if (m_failure)
            continue; // dropped with the step: its file never takes its name
        m_busy = true;
        lock.unlock();
        std::optional<QString> failure;
        try {
            step();
        } catch (const AppError& error) {
            failure = error.message();
        }
        step = nullptr;
        lock.lock();
        m_busy = false;
        if (failure && !m_failure)
            m_failure = failure;
        m_changed.notify_all();
    }
}
