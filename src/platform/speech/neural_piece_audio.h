#pragma once

#include "neural_speech_text.h"
#include "neural_worker.h"

#include <QString>
#include <vector>

// How a natural voice is to say a text.
struct NeuralSpeech {
    QString folder;
    int speaker = 0;  // of a model with several
    QString language; // a Chinese voice is given the program's reading of numbers and dates
    int rate = 0;     // -10 to 10
    int volume = 100; // 0 to 100
};

// A piece as the voice said it: its audio at the voice's rate with the volume applied, and
// where its sentence and words are heard in that audio (pieceMarks).
struct NeuralPieceAudio {
    std::vector<qint16> samples;
    std::vector<SpeechMark> marks;
};

// The piece of text through the worker, made to its end. AppError as the worker's.
NeuralPieceAudio neuralPieceAudio(NeuralWorker& worker, const NeuralSpeech& speech,
                                  const QString& text, const SpeechPiece& piece);

// A piece's whole audio at another rate, its tail drained. AppError when the rates are refused.
std::vector<qint16> resampled(const std::vector<qint16>& samples, int from, int to);

// A mark's sample in the audio resampled from one rate to another, which has count samples.
size_t sampleAtRate(size_t sample, int from, int to, size_t count);
