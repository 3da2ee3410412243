#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <chrono>
#include <functional>
#include <memory>
#include <vector>

// Several helper processes that synthesise pieces of a text at once; their audio comes back in
// text order. Each helper holds at most two pieces and a few megabytes of audio waiting: beyond
// that it is not read, so it waits on its own full pipe and memory stays bounded for any text.
// Needs no event loop: it may run on any thread.
class SpeechWorkers {
public:
    struct Voice {
        QString id;
        int rate = 0;
        int volume = 100;
    };
    // Samples at the rate asked, in text order; false stops.
    using Sink = std::function<bool(const qint16* samples, size_t count)>;
    // The number of pieces complete; false stops.
    using Progress = std::function<bool(qsizetype piecesDone)>;
    // Where the speech stands, for an export that times its text.
    struct Timing {
        // Piece number piece has gone to the sink whole, and nothing of the next one yet.
        std::function<void(qsizetype piece)> pieceEnd;
        // The engine began a word: its code point in the piece as sent (from 1), and its
        // sample in the piece's audio.
        std::function<void(qsizetype piece, quint32 position, quint32 sample)> wordStart;
    };

    // A helper that sends nothing for silenceLimit while its audio is awaited has hung.
    SpeechWorkers(QString program, int count,
                  std::chrono::milliseconds silenceLimit = std::chrono::seconds(30));
    ~SpeechWorkers();
    SpeechWorkers(const SpeechWorkers&) = delete;
    SpeechWorkers& operator=(const SpeechWorkers&) = delete;

    // The helper program beside this executable, and how many helpers this machine runs: one
    // per core, none on a single core.
    static QString defaultProgram();
    static int defaultCount();

    // False when stopped. AppError when a helper cannot start, hangs, sends what no helper
    // sends, or ends before its work is done; the helpers are gone when it returns or throws.
    // endPauses tells which pieces end with a sentence's pause; empty: all but the last.
    bool synthesise(const QStringList& pieces, const Voice& voice, int sampleRate, const Sink& sink,
                    const Progress& progress, const Timing& timing = {},
                    const QList<bool>& endPauses = {});

    // The helpers' process ids while synthesise runs.
    QList<qint64> processIds() const;

private:
    struct Helper;

    bool run(const QStringList& pieces, const Voice& voice, int sampleRate, const Sink& sink,
             const Progress& progress, const Timing& timing, const QList<bool>& endPauses);
    std::unique_ptr<Helper> start() const;
    // Sends what waits to be sent and reads what the helpers made, each while its waiting audio
    // is under the limit; waits up to timeout milliseconds for either.
    void exchange(int timeout);
    void stopAll(bool done);

    QString m_program;
    int m_count;
    std::chrono::milliseconds m_silenceLimit;
    std::vector<std::unique_ptr<Helper>> m_helpers;
    std::vector<char> m_chunk; // one read's bytes
};
