#pragma once

#include "platform/speech/neural_piece_audio.h"

#include <functional>
#include <memory>
#include <thread>
#include <vector>

// A natural voice's sound for a row of jobs (the pieces of a text, or lines), made by several
// helpers at once, each on a thread of its own with its own NeuralWorker (and so one runtime
// thread), and handed on in the jobs' order on the calling thread. At most two finished jobs per
// helper wait to be handed on, so memory stays bounded for any text.
namespace natural_pieces {

// Job number job's sound, made on a helper's thread. AppError as the worker's.
using Make = std::function<NeuralPieceAudio(NeuralWorker& worker, qsizetype job)>;
// A job's sound, on the calling thread, in order; false stops.
using Deliver = std::function<bool(qsizetype job, NeuralPieceAudio& sound)>;
// Asked about every 50 ms while the next job is awaited; false stops.
using StillWanted = std::function<bool()>;

// Helpers that stay from one row of jobs to the next, each keeping its voice open: an
// audiobook's chapters load the voice once per helper, not once per chapter. Their threads
// start as a row first needs them and end with the object.
class Helpers {
public:
    explicit Helpers(int most);
    ~Helpers();
    Helpers(const Helpers&) = delete;
    Helpers& operator=(const Helpers&) = delete;

    // False when stopped. The first failed job's AppError (in the jobs' order) when one
    // failed. No job of the row is being made when it returns or throws.
    bool say(qsizetype jobs, const Make& make, const Deliver& deliver,
             const StillWanted& stillWanted);

private:
    struct Shared;
    std::unique_ptr<Shared> m_shared;
    std::vector<std::thread> m_threads;
    int m_most;
};

// One row with helpers of its own, whose threads have ended when it returns or throws.
bool say(int helpers, qsizetype jobs, const Make& make, const Deliver& deliver,
         const StillWanted& stillWanted);

// The piece of text through the worker at another sample rate: its sound resampled from the
// voice's and its marks moved with it.
NeuralPieceAudio pieceAtRate(NeuralWorker& worker, const NeuralSpeech& speech, const QString& text,
                             const SpeechPiece& piece, int sampleRate);

} // namespace natural_pieces
