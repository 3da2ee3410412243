#include "export/natural_pieces.h"

#include <chrono>
#include <condition_variable>
#include <exception>
#include <map>
#include <mutex>
#include <thread>

namespace natural_pieces {

namespace {

using namespace std::chrono_literals;

// What the helpers' threads and the calling thread share, under the mutex.
struct Jobs {
    std::mutex mutex;
    std::condition_variable changed;
    qsizetype next = 0;     // the next job to take
    qsizetype handedOn = 0; // jobs handed on
    bool stopped = false;
    std::map<qsizetype, NeuralPieceAudio> made;
    std::map<qsizetype, std::exception_ptr> failed;

    bool ready(qsizetype job) const { return made.contains(job) || failed.contains(job); }
};

// One helper: takes the next job while the finished ones waiting stay under the window.
void work(Jobs& jobs, qsizetype count, qsizetype window, const Make& make) {
    NeuralWorker worker;
    for (;;) {
        qsizetype job = 0;
        {
            std::unique_lock lock(jobs.mutex);
            jobs.changed.wait(lock, [&] {
                return jobs.stopped || jobs.next >= count || jobs.next < jobs.handedOn + window;
            });
            if (jobs.stopped || jobs.next >= count)
                return;
            job = jobs.next++;
        }
        NeuralPieceAudio sound;
        std::exception_ptr failure;
        try {
            sound = make(worker, job);
        } catch (...) {
            failure = std::current_exception();
        }
        std::lock_guard lock(jobs.mutex);
        if (failure)
            jobs.failed.emplace(job, failure);
        else
            jobs.made.emplace(job, std::move(sound));
        jobs.changed.notify_all();
        // Every later job waits behind the failed one, which ends the whole row.
        if (failure)
            return;
    }
}

// Ends the helpers' threads once their jobs in hand are done.
struct Helpers {
    Jobs& jobs;
    std::vector<std::thread> threads;

    ~Helpers() {
        {
            std::lock_guard lock(jobs.mutex);
            jobs.stopped = true;
        }
        jobs.changed.notify_all();
        for (std::thread& thread : threads)
            thread.join();
    }
};

} // namespace

bool say(int helpers, qsizetype jobs, const Make& make, const Deliver& deliver,
         const StillWanted& stillWanted) {
    Jobs shared;
    const qsizetype count = std::max<qsizetype>(1, std::min<qsizetype>(helpers, jobs));
    Helpers running{shared, {}};
    for (qsizetype k = 0; k < count && jobs > 0; ++k)
        running.threads.emplace_back(work, std::ref(shared), jobs, 2 * count, std::cref(make));
    for (qsizetype job = 0; job < jobs; ++job) {
        NeuralPieceAudio sound;
        {
            std::unique_lock lock(shared.mutex);
            while (!shared.changed.wait_for(lock, 50ms, [&] { return shared.ready(job); })) {
                lock.unlock();
                const bool wanted = stillWanted();
                lock.lock();
                if (!wanted)
                    return false;
            }
            if (const auto failed = shared.failed.find(job); failed != shared.failed.end())
                std::rethrow_exception(failed->second);
            sound = std::move(shared.made.at(job));
            shared.made.erase(job);
            ++shared.handedOn;
        }
        shared.changed.notify_all();
        if (!deliver(job, sound))
            return false;
    }
    return true;
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
