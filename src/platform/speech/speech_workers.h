#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

class QProcess;

// Several helper processes that synthesise pieces of a text at once; their audio comes back in
// text order. Each helper holds at most two pieces and a few megabytes of audio waiting, so
// memory stays bounded for any text.
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

    SpeechWorkers(QString program, int count);
    ~SpeechWorkers();

    // The helper program beside this executable, and how many helpers this machine runs: one
    // per core, none on a single core.
    static QString defaultProgram();
    static int defaultCount();

    // False when stopped. AppError when a helper cannot start or ends before its work is done.
    bool synthesise(const QStringList& pieces, const Voice& voice, int sampleRate, const Sink& sink,
                    const Progress& progress);

    // The helpers' process ids while synthesise runs.
    QList<qint64> processIds() const;

private:
    void send(QProcess& worker, const QString& piece, const Voice& voice, int sampleRate);
    bool readExactly(QProcess& worker, char* data, qint64 size, const Progress& progress,
                     qsizetype piecesDone);
    void stopAll(bool done);

    QString m_program;
    int m_count;
    std::vector<std::unique_ptr<QProcess>> m_workers;
};
