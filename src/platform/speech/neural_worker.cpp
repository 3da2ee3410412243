#include "neural_worker.h"

#include "app/app_error.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>

#include <cstring>
#include <vector>

namespace {

AppError voiceError(const QString& folder, const QString& reason) {
    return AppError(QStringLiteral("无法使用自然语音“%1”：%2").arg(folder, reason));
}

// The helper's own reason when it gave up (status 1); otherwise the runtime ended it, and its
// last words say why.
QString endReason(QProcess& process) {
    const QString lastLine =
        QString::fromUtf8(process.readAllStandardError()).trimmed().split(QLatin1Char('\n')).last();
    if (process.exitStatus() == QProcess::NormalExit && process.exitCode() == 1 &&
        !lastLine.isEmpty())
        return lastLine;
    const QString end = process.exitStatus() == QProcess::NormalExit
                            ? QStringLiteral("退出码 %1").arg(process.exitCode())
                            : QStringLiteral("崩溃");
    return lastLine.isEmpty() ? QStringLiteral("合成程序意外结束（%1）").arg(end)
                              : QStringLiteral("合成程序意外结束（%1）：%2").arg(end, lastLine);
}

} // namespace

NeuralWorker::NeuralWorker(QString program, std::chrono::milliseconds silenceLimit)
    : m_program(std::move(program)), m_silenceLimit(silenceLimit) {}

NeuralWorker::~NeuralWorker() {
    stop();
}

QString NeuralWorker::defaultProgram() {
    return QDir(QCoreApplication::applicationDirPath())
        .filePath(QStringLiteral("parlora-neural-worker"));
}

NeuralWorker::VoiceInfo NeuralWorker::open(const QString& folder) {
    bool stopped = false;
    return request(Voice{folder}, {}, {}, stopped);
}

bool NeuralWorker::synthesise(const Voice& voice, const QString& text, const Sink& sink) {
    bool stopped = false;
    if (!text.isEmpty())
        request(voice, text.toUtf8(), sink, stopped);
    return !stopped;
}

NeuralWorker::VoiceInfo NeuralWorker::request(const Voice& voice, const QByteArray& text,
                                              const Sink& sink, bool& stopped) {
    const QString& folder = voice.folder;
    if (!m_process)
        start(folder);
    // Only a failure's last words matter: the runtime's notes on earlier texts go.
    m_process->readAllStandardError();
    const QByteArray path = QFile::encodeName(folder);
    QByteArray header = QByteArray::number(path.size()) + '\t' + QByteArray::number(voice.speaker) +
                        '\t' + QByteArray::number(voice.speed, 'g', 6) + '\t' +
                        QByteArray::number(text.size()) + '\n';
    m_process->write(header + path + text);
    VoiceInfo info;
    info.sampleRate = int(readNumber(folder));
    info.speakerCount = int(readNumber(folder));
    std::vector<qint16> samples;
    while (const quint32 count = readNumber(folder)) {
        const QByteArray block = read(qsizetype(count) * 2, folder);
        samples.resize(count);
        std::memcpy(samples.data(), block.constData(), size_t(block.size()));
        if (!sink(samples.data(), samples.size())) {
            // The helper is midway through the text: a new one is quicker than draining it.
            stop();
            stopped = true;
            return info;
        }
    }
    return info;
}

void NeuralWorker::start(const QString& folder) {
    m_buffer.clear();
    m_process = std::make_unique<QProcess>();
    m_process->start(m_program, {});
    if (!m_process->waitForStarted())
        failed(folder, QStringLiteral("无法启动 %1").arg(m_program));
}

QByteArray NeuralWorker::read(qsizetype count, const QString& folder) {
    QElapsedTimer silence;
    silence.start();
    while (m_buffer.size() < count) {
        m_buffer += m_process->readAllStandardOutput();
        if (m_buffer.size() >= count)
            break;
        if (m_process->state() == QProcess::NotRunning)
            failed(folder, endReason(*m_process));
        const qint64 left = m_silenceLimit.count() - silence.elapsed();
        if (left <= 0)
            failed(folder, QStringLiteral("合成程序没有回应"));
        if (m_process->waitForReadyRead(int(left)))
            silence.restart();
    }
    const QByteArray bytes = m_buffer.left(count);
    m_buffer.remove(0, count);
    return bytes;
}

quint32 NeuralWorker::readNumber(const QString& folder) {
    quint32 value = 0;
    std::memcpy(&value, read(sizeof value, folder).constData(), sizeof value);
    return value;
}

void NeuralWorker::failed(const QString& folder, const QString& reason) {
    stop();
    throw voiceError(folder, reason);
}

void NeuralWorker::stop() {
    if (!m_process)
        return;
    m_process->kill();
    m_process->waitForFinished();
    m_process.reset();
    m_buffer.clear();
}
