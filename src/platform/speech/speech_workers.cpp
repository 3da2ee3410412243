#include "speech_workers.h"

#include "app/app_error.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QThread>

namespace {
constexpr int PiecesAhead = 2;   // per helper: the one being read and the next
constexpr int PollInterval = 50; // milliseconds between two progress reports while waiting
// Audio a helper may have waiting beyond the one being read, about three minutes of speech.
constexpr qint64 BufferLimit = 8 << 20;

AppError workerFailed() {
    return AppError(QStringLiteral("The speech helper stopped before the export was complete"));
}
} // namespace

SpeechWorkers::SpeechWorkers(QString program, int count)
    : m_program(std::move(program)), m_count(count) {}

SpeechWorkers::~SpeechWorkers() {
    stopAll(false);
}

QString SpeechWorkers::defaultProgram() {
    return QCoreApplication::applicationDirPath() + QStringLiteral("/parlora-speech-worker");
}

int SpeechWorkers::defaultCount() {
    const int cores = QThread::idealThreadCount();
    return cores > 1 && QFileInfo(defaultProgram()).isExecutable() ? cores : 0;
}

QList<qint64> SpeechWorkers::processIds() const {
    QList<qint64> ids;
    for (const auto& worker : m_workers)
        ids << worker->processId();
    return ids;
}

void SpeechWorkers::send(QProcess& worker, const QString& piece, const Voice& voice,
                         int sampleRate) {
    const QByteArray text = piece.toUtf8();
    worker.write(QStringLiteral("%1\t%2\t%3\t%4\t%5\n")
                     .arg(voice.id)
                     .arg(voice.rate)
                     .arg(voice.volume)
                     .arg(sampleRate)
                     .arg(text.size())
                     .toUtf8() +
                 text);
}

bool SpeechWorkers::readExactly(QProcess& worker, char* data, qint64 size, const Progress& progress,
                                qsizetype piecesDone) {
    qint64 got = 0;
    while (got < size) {
        // Take in what the other helpers made meanwhile, so that they need not wait for their turn.
        for (const auto& other : m_workers) {
            if (other.get() != &worker && other->bytesAvailable() < BufferLimit)
                other->waitForReadyRead(0);
        }
        const qint64 read = worker.read(data + got, size - got);
        if (read < 0)
            throw workerFailed();
        got += read;
        if (got == size)
            break;
        if (!worker.waitForReadyRead(PollInterval)) {
            if (worker.state() == QProcess::NotRunning)
                throw workerFailed();
            if (!progress(piecesDone))
                return false;
        }
    }
    return true;
}

bool SpeechWorkers::synthesise(const QStringList& pieces, const Voice& voice, int sampleRate,
                               const Sink& sink, const Progress& progress) {
    stopAll(false);
    const int count = int(std::min<qsizetype>(m_count, pieces.size()));
    for (int i = 0; i < count; ++i) {
        auto worker = std::make_unique<QProcess>();
        worker->setProgram(m_program);
        worker->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        worker->start();
        if (!worker->waitForStarted())
            throw AppError(
                QStringLiteral("The speech helper %1 could not be started").arg(m_program));
        m_workers.push_back(std::move(worker));
    }
    // Piece i goes to helper i % count, so reading the helpers in turn gives text order.
    for (qsizetype i = 0; i < std::min<qsizetype>(pieces.size(), qsizetype(count) * PiecesAhead);
         ++i)
        send(*m_workers[size_t(i % count)], pieces[i], voice, sampleRate);
    std::vector<qint16> samples;
    // While audio keeps coming the reads never wait, so progress is also asked between blocks:
    // a slow sink (a compressed file) would otherwise hold a stop back for a whole piece.
    QElapsedTimer sinceProgress;
    sinceProgress.start();
    for (qsizetype i = 0; i < pieces.size(); ++i) {
        QProcess& worker = *m_workers[size_t(i % count)];
        for (;;) {
            quint32 size = 0;
            if (!readExactly(worker, reinterpret_cast<char*>(&size), sizeof size, progress, i))
                return stopAll(false), false;
            if (size == 0)
                break;
            samples.resize(size);
            if (!readExactly(worker, reinterpret_cast<char*>(samples.data()),
                             qint64(size) * qint64(sizeof(qint16)), progress, i) ||
                !sink(samples.data(), samples.size()))
                return stopAll(false), false;
            if (sinceProgress.hasExpired(PollInterval)) {
                sinceProgress.restart();
                if (!progress(i))
                    return stopAll(false), false;
            }
        }
        if (i + qsizetype(count) * PiecesAhead < pieces.size())
            send(worker, pieces[i + qsizetype(count) * PiecesAhead], voice, sampleRate);
        if (!progress(i + 1))
            return stopAll(false), false;
    }
    stopAll(true);
    return true;
}

// Done helpers end on their own when their input closes; the others are killed at once.
void SpeechWorkers::stopAll(bool done) {
    for (auto& worker : m_workers) {
        worker->closeWriteChannel();
        if (!done || !worker->waitForFinished(1000))
            worker->kill();
        worker->waitForFinished(1000);
    }
    m_workers.clear();
}
