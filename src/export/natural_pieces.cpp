#include "export/natural_pieces.h"

#include <QScopeGuard>

#include <chrono>
#include <condition_variable>
#include <exception>
#include <map>
#include <mutex>
#include <thread>

namespace natural_pieces {

namespace {

using namespace std::chrono_literals;

// One row of jobs, shared under the helpers' mutex.
struct Row {
    Row(qsizetype count, qsizetype window, const Make& make)
        : window(window), make(make), end(count) {}

    const qsizetype window; // finished jobs that may wait to be handed on
    const Make& make;
    qsizetype next = 0;     // the next job to take
    qsizetype end;          // no job from here is taken: every later one waits behind a failure
    qsizetype handedOn = 0; // jobs handed on
    bool stopped = false;
    int inHand = 0; // jobs being made
    std::map<qsizetype, NeuralPieceAudio> made;
    std::map<qsizetype, std::exception_ptr> failed;

    bool ready(qsizetype job) const { return made.contains(job) || failed.contains(job); }
    bool hasWork() const { return !stopped && next < end && next < handedOn + window; }
};

} // namespace

struct Helpers::Shared {
    std::mutex mutex;
    std::condition_variable changed;
    Row* row = nullptr;
    bool closing = false;

    // One helper: takes the next job of the row while there is one, until closing.
    void work() {
        NeuralWorker worker;
        std::unique_lock lock(mutex);
        for (;;) {
            changed.wait(lock, [&] { return closing || (row && row->hasWork()); });
            if (closing)
                return;
            Row& taken = *row;
            const qsizetype job = taken.next++;
            ++taken.inHand;
            lock.unlock();
            NeuralPieceAudio sound;
            std::exception_ptr failure;
            try {
                sound = taken.make(worker, job);
            } catch (...) {
                failure = std::current_exception();
            }
            lock.lock();
            if (failure) {
                taken.failed.emplace(job, failure);
                taken.end = std::min(taken.end, job);
            } else {
                taken.made.emplace(job, std::move(sound));
            }
            --taken.inHand;
            changed.notify_all();
        }
    }
};

Helpers::Helpers(int most) : m_shared(std::make_unique<Shared>()), m_most(std::max(1, most)) {}

Helpers::~Helpers() {
    {
        std::lock_guard lock(m_shared->mutex);
        m_shared->closing = true;
    }
    m_shared->changed.notify_all();
    for (std::thread& thread : m_threads)
        thread.join();
}

bool Helpers::say(qsizetype jobs, const Make& make, const Deliver& deliver,
                  const StillWanted& stillWanted) {
    if (jobs <= 0)
        return true;
    const qsizetype helpers = std::min<qsizetype>(m_most, jobs);
    while (qsizetype(m_threads.size()) < helpers)
        m_threads.emplace_back(&Shared::work, m_shared.get());
    Shared& shared = *m_shared;
    Row row(jobs, 2 * helpers, make);
    {
        std::lock_guard lock(shared.mutex);
        shared.row = &row;
    }
    shared.changed.notify_all();
    // However the row ends, the jobs in hand are waited for before the row goes.
    const auto leave = qScopeGuard([&] {
        std::unique_lock lock(shared.mutex);
        row.stopped = true;
        shared.changed.wait(lock, [&] { return row.inHand == 0; });
        shared.row = nullptr;
    });
    for (qsizetype job = 0; job < jobs; ++job) {
        NeuralPieceAudio sound;
        {
            std::unique_lock lock(shared.mutex);
            while (!shared.changed.wait_for(lock, 50ms, [&] { return row.ready(job); })) {
                lock.unlock();
                const bool wanted = stillWanted();
                lock.lock();
                if (!wanted)
                    return false;
            }
            if (const auto failed = row.failed.find(job); failed != row.failed.end())
                std::rethrow_exception(failed->second);
            sound = std::move(row.made.at(job));
            row.made.erase(job);
            ++row.handedOn;
        }
        shared.changed.notify_all();
        if (!deliver(job, sound))
            return false;
    }
    return true;
}

bool say(int helpers, qsizetype jobs, const Make& make, const Deliver& deliver,
         const StillWanted& stillWanted) {
    return Helpers(helpers).say(jobs, make, deliver, stillWanted);
}

NeuralPieceAudio pieceAtRate(NeuralWorker& worker, const NeuralSpeech& speech, const QString& text,
                             const SpeechPiece& piece, int sampleRate) {
    const int voiceRate = worker.open(speech.folder).sampleRate;
    NeuralPieceAudio sound = neuralPieceAudio(worker, speech, text, piece);
    std::vector<qint16> out = resampled(sound.samples, voiceRate, sampleRate);
    for (SpeechMark& mark : sound.marks)
        mark.sample = sampleAtRate(mark.sample, voiceRate, sampleRate, out.size());
    sound.samples = std::move(out);
    return sound;
}

} // namespace natural_pieces
