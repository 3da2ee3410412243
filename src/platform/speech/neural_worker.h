#pragma once

#include <QByteArray>
#include <QString>
#include <chrono>
#include <functional>
#include <memory>

class QProcess;

// Speaks with a natural voice through parlora-neural-worker, which keeps the voice open between
// requests. A voice the helper cannot open or speak ends the helper, never this process: its
// reason comes back as an AppError naming the voice folder, and the next request starts a new
// helper. Needs no event loop.
class NeuralWorker {
public:
    struct Voice {
        QString folder;
        int speaker = 0;
        double speed = 1; // 2: twice as fast
    };
    struct VoiceInfo {
        int sampleRate = 0;
        int speakerCount = 0;
    };
    // Samples at the voice's sample rate; false stops.
    using Sink = std::function<bool(const qint16* samples, size_t count)>;

    // A helper that sends nothing for silenceLimit while its audio is awaited has hung.
    explicit NeuralWorker(QString program = defaultProgram(),
                          std::chrono::milliseconds silenceLimit = std::chrono::seconds(30));
    ~NeuralWorker();
    NeuralWorker(const NeuralWorker&) = delete;
    NeuralWorker& operator=(const NeuralWorker&) = delete;

    // The helper beside this executable.
    static QString defaultProgram();

    // Opens the voice folder, once; AppError naming it when the voice cannot be used.
    VoiceInfo open(const QString& folder);
    // The text's audio to the sink; false when the sink stopped it. AppError as open.
    bool synthesise(const Voice& voice, const QString& text, const Sink& sink);

private:
    VoiceInfo request(const Voice& voice, const QByteArray& text, const Sink& sink, bool& stopped);
    void start(const QString& folder);
    // Waits for count bytes of the helper's output.
    QByteArray read(qsizetype count, const QString& folder);
    quint32 readNumber(const QString& folder);
    [[noreturn]] void failed(const QString& folder, const QString& reason);
    void stop();

    QString m_program;
    std::chrono::milliseconds m_silenceLimit;
    std::unique_ptr<QProcess> m_process;
    QByteArray m_buffer;
};
