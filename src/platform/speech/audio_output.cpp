#include "audio_output.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLibrary>
#include <cstdio>

namespace {

class ClockOutput : public AudioOutput {
public:
    explicit ClockOutput(int sampleRate) : m_rate(sampleRate) { m_clock.start(); }

    qint64 samplesWanted() override {
        advance();
        // Keep 100 ms ahead of what is heard, as a device buffer would.
        return m_suspended ? 0 : std::max<qint64>(0, m_played + m_rate / 10 - m_written);
    }
    void write(const qint16*, qint64 count) override { m_written += count; }
    qint64 samplesWritten() const override { return m_written; }
    qint64 samplesPlayed() override {
        advance();
        return m_played;
    }
    void suspend() override {
        advance();
        m_suspended = true;
    }
    void resume() override {
        advance();
        m_suspended = false;
    }
    void reset() override {
        advance();
        m_written = m_played;
        m_suspended = false;
    }

private:
    // Time passes for the samples written but not yet heard, never for silence.
    void advance() {
        const qint64 now = m_clock.nsecsElapsed();
        const qint64 nanoseconds = now - m_last + m_carry;
        m_last = now;
        m_carry = 0;
        if (m_suspended || m_played >= m_written)
            return;
        const qint64 heard = nanoseconds * m_rate / 1'000'000'000;
        m_carry = nanoseconds - heard * 1'000'000'000 / m_rate;
        m_played = std::min(m_written, m_played + heard);
    }

    int m_rate;
    QElapsedTimer m_clock;
    qint64 m_last = 0;
    qint64 m_carry = 0;
    qint64 m_written = 0;
    qint64 m_played = 0;
    bool m_suspended = false;
};

} // namespace

std::unique_ptr<AudioOutput> AudioOutput::open(int sampleRate) {
    // Never unloaded: the device it opens lives until the program ends.
    QLibrary module(QCoreApplication::applicationDirPath() + QStringLiteral("/parlora_sound.so"));
    if (const auto openDevice =
            reinterpret_cast<OpenSoundDevice>(module.resolve("parloraOpenSoundDevice"))) {
        if (std::unique_ptr<AudioOutput> device{openDevice(sampleRate)})
            return device;
        std::fputs("parlora: no sound device; speech runs silently\n", stderr);
    } else {
        std::fprintf(stderr, "parlora: no sound module (%s); speech runs silently\n",
                     qPrintable(module.errorString()));
    }
    return std::make_unique<ClockOutput>(sampleRate);
}
