#include "speech_workers.h"

#include "app/app_error.h"
#include "platform/speech/helper_stream.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QThread>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {
constexpr int PiecesAhead = 2;   // per helper: the one being read and the next
constexpr int PollInterval = 50; // milliseconds between two progress reports while waiting
// Audio a helper may have waiting beyond the one being read, about three minutes of speech.
// Always more than one block, so the helper being read never waits on this limit.
constexpr size_t BufferLimit = 8 << 20;
static_assert(BufferLimit > sizeof(quint32) + 2 * size_t(HelperStream::MaxBlockSamples));
constexpr size_t ChunkSize = 64 << 10;
// How long a helper whose input closed may take to end on its own.
constexpr int ExitTimeout = 1000;

AppError workerFailed() {
    return AppError(QStringLiteral("朗读助手程序在导出完成前停止了"));
}

void closeFd(int& fd) {
    if (fd >= 0)
        close(fd);
    fd = -1;
}

// A piece and how to say it.
QByteArray request(const QString& piece, bool endPause, const SpeechWorkers::Voice& voice,
                   int sampleRate) {
    const QByteArray text = piece.toUtf8();
    return QStringLiteral("%1\t%2\t%3\t%4\t%5\t%6\n")
               .arg(voice.id)
               .arg(voice.rate)
               .arg(voice.volume)
               .arg(sampleRate)
               .arg(endPause ? 1 : 0)
               .arg(text.size())
               .toUtf8() +
           text;
}
} // namespace

struct SpeechWorkers::Helper {
    pid_t pid = -1;
    // Its input is a socket, so that writing to a helper that is gone fails instead of raising
    // SIGPIPE; its output is a pipe, which it can make large.
    int input = -1;
    int output = -1;
    QByteArray unsent;
    HelperStream stream;
    quint64 received = 0; // bytes ever read
    bool ended = false;   // its output closed

    void send(const QByteArray& bytes) {
        unsent += bytes;
        flush();
    }

    void flush() {
        while (!unsent.isEmpty()) {
            const ssize_t sent =
                ::send(input, unsent.constData(), size_t(unsent.size()), MSG_NOSIGNAL);
            if (sent < 0 && errno == EINTR)
                continue;
            if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
                return;
            if (sent < 0) {
                // Gone: its output ends too, and that is what the reader notices.
                unsent.clear();
                return;
            }
            unsent.remove(0, sent);
        }
    }

    // Waits for the helper to end, killing it after timeout milliseconds.
    void reap(int timeout) {
        closeFd(input);
        closeFd(output);
        if (pid <= 0)
            return;
        QElapsedTimer waited;
        waited.start();
        for (;;) {
            const pid_t ended = waitpid(pid, nullptr, WNOHANG);
            if (ended == pid || (ended < 0 && errno != EINTR))
                break;
            if (waited.hasExpired(timeout)) {
                ::kill(pid, SIGKILL);
                while (waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
                }
                break;
            }
            usleep(2000);
        }
        pid = -1;
    }
};

SpeechWorkers::SpeechWorkers(QString program, int count, std::chrono::milliseconds silenceLimit)
    : m_program(std::move(program)), m_count(count), m_silenceLimit(silenceLimit),
      m_chunk(ChunkSize) {}

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
    for (const auto& helper : m_helpers)
        ids << helper->pid;
    return ids;
}

std::unique_ptr<SpeechWorkers::Helper> SpeechWorkers::start() const {
    const AppError failure(QStringLiteral("无法启动朗读助手程序 %1").arg(m_program));
    int input[2] = {-1, -1};
    int output[2] = {-1, -1};
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, input) != 0)
        throw failure;
    if (pipe2(output, O_CLOEXEC) != 0) {
        closeFd(input[0]);
        closeFd(input[1]);
        throw failure;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, input[1], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, output[1], STDOUT_FILENO);
    // The thread that starts it may block or catch signals; the helper starts plain.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t plain;
    sigemptyset(&plain);
    posix_spawnattr_setsigmask(&attributes, &plain);
    sigaddset(&plain, SIGPIPE);
    sigaddset(&plain, SIGTERM);
    sigaddset(&plain, SIGINT);
    sigaddset(&plain, SIGHUP);
    posix_spawnattr_setsigdefault(&attributes, &plain);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    const QByteArray path = QFile::encodeName(m_program);
    char* arguments[] = {const_cast<char*>(path.constData()), nullptr};
    auto helper = std::make_unique<Helper>();
    const int spawned =
        posix_spawn(&helper->pid, path.constData(), &actions, &attributes, arguments, environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    closeFd(input[1]);
    closeFd(output[1]);
    helper->input = input[0];
    helper->output = output[0];
    if (spawned != 0) {
        helper->pid = -1;
        helper->reap(0);
        throw failure;
    }
    fcntl(helper->input, F_SETFL, fcntl(helper->input, F_GETFL) | O_NONBLOCK);
    fcntl(helper->output, F_SETFL, fcntl(helper->output, F_GETFL) | O_NONBLOCK);
    return helper;
}

void SpeechWorkers::exchange(int timeout) {
    std::vector<pollfd> fds;
    std::vector<Helper*> owners;
    for (const auto& helper : m_helpers) {
        if (!helper->unsent.isEmpty()) {
            fds.push_back({helper->input, POLLOUT, 0});
            owners.push_back(helper.get());
        }
        if (!helper->ended && helper->stream.waiting() < BufferLimit) {
            fds.push_back({helper->output, POLLIN, 0});
            owners.push_back(helper.get());
        }
    }
    if (fds.empty() || poll(fds.data(), nfds_t(fds.size()), timeout) <= 0)
        return;
    for (size_t k = 0; k < fds.size(); ++k) {
        Helper& helper = *owners[k];
        if (!fds[k].revents)
            continue;
        if (fds[k].events == POLLOUT) {
            helper.flush();
            continue;
        }
        const ssize_t got = read(helper.output, m_chunk.data(), m_chunk.size());
        if (got > 0) {
            helper.stream.append(m_chunk.data(), size_t(got));
            helper.received += quint64(got);
        } else if (got == 0 || (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)) {
            helper.ended = true;
        }
    }
}

bool SpeechWorkers::synthesise(const QStringList& pieces, const Voice& voice, int sampleRate,
                               const Sink& sink, const Progress& progress, const Timing& timing,
                               const QList<bool>& endPauses) {
    stopAll(false);
    try {
        const bool finished = run(pieces, voice, sampleRate, sink, progress, timing, endPauses);
        stopAll(finished);
        return finished;
    } catch (...) {
        stopAll(false);
        throw;
    }
}

bool SpeechWorkers::run(const QStringList& pieces, const Voice& voice, int sampleRate,
                        const Sink& sink, const Progress& progress, const Timing& timing,
                        const QList<bool>& endPauses) {
    const auto requestFor = [&](qsizetype i) {
        const bool endPause = endPauses.isEmpty() ? i + 1 < pieces.size() : endPauses.value(i);
        return request(pieces[i], endPause, voice, sampleRate);
    };
    const qsizetype count = std::min<qsizetype>(m_count, pieces.size());
    for (qsizetype i = 0; i < count; ++i)
        m_helpers.push_back(start());
    // Piece i goes to helper i % count, so reading the helpers in turn gives text order.
    const qsizetype ahead = count * PiecesAhead;
    for (qsizetype i = 0; i < std::min(pieces.size(), ahead); ++i)
        m_helpers[size_t(i % count)]->send(requestFor(i));
    // While audio keeps coming nothing waits, so progress is also asked between blocks: a slow
    // sink (a compressed file) would otherwise hold a stop back for a whole piece.
    QElapsedTimer sinceProgress;
    sinceProgress.start();
    const auto goOn = [&](qsizetype piecesDone) {
        if (!sinceProgress.hasExpired(PollInterval))
            return true;
        sinceProgress.restart();
        return progress(piecesDone);
    };
    for (qsizetype i = 0; i < pieces.size(); ++i) {
        Helper& helper = *m_helpers[size_t(i % count)];
        QElapsedTimer silent; // since this helper last sent anything we were waiting for
        silent.start();
        for (;;) {
            const HelperStream::Block block = helper.stream.next();
            if (block.kind == HelperStream::Block::PieceEnd)
                break;
            if (block.kind == HelperStream::Block::WordStart) {
                if (timing.wordStart)
                    timing.wordStart(i, block.position, block.sample);
                continue;
            }
            if (block.kind == HelperStream::Block::Samples) {
                if (!sink(block.samples, block.count))
                    return false;
                silent.restart();
                exchange(0); // the others go on while this one is read
            } else if (block.kind == HelperStream::Block::Corrupt || helper.ended) {
                throw workerFailed();
            } else {
                const quint64 received = helper.received;
                exchange(PollInterval);
                if (helper.received != received)
                    silent.restart();
                else if (silent.hasExpired(m_silenceLimit.count()))
                    throw workerFailed();
            }
            if (!goOn(i))
                return false;
        }
        if (timing.pieceEnd)
            timing.pieceEnd(i);
        if (i + ahead < pieces.size())
            helper.send(requestFor(i + ahead));
        if (!progress(i + 1))
            return false;
    }
    return true;
}

// Done helpers end on their own when their input closes; the others are killed at once.
void SpeechWorkers::stopAll(bool done) {
    for (auto& helper : m_helpers) {
        closeFd(helper->input);
        if (!done && helper->pid > 0)
            ::kill(helper->pid, SIGKILL);
    }
    for (auto& helper : m_helpers)
        helper->reap(ExitTimeout);
    m_helpers.clear();
}
