// Jump latency of the listening commands, for bench/run.
//   listening_bench [jumps]   reads a long text into the sound device, steps to the next
//                             sentence that many times (20), and prints in ms the median and
//                             the worst, from the key's command to the new sentence's first
//                             sample above -40 dBFS and to the old sentence's last one; beside
//                             them the same from 从光标处朗读 to its first sound.
// The sound is taken from a recording of the sink's monitor (parec); each recorded sample is
// dated by its arrival, counted back from the end of the piece it came in.
#include "app/tfmain.h"
#include "platform/fakes/fake_platform.h"
#include "platform/speech/espeak_voice.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTextEdit>
#include <QThread>
#include <QToolButton>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int Loud = 328;    // -40 dBFS of 16-bit samples
constexpr int SilenceMs = 8; // the cut: this much silence after the key
constexpr int Rate = EspeakVoice::SampleRate;

// The sink's monitor, sample by sample, with the time each sample arrived (ns).
class SinkRecorder {
public:
    explicit SinkRecorder(const QElapsedTimer& clock) : m_clock(clock) {
        QObject::connect(&m_parec, &QProcess::readyReadStandardOutput, [this] { read(); });
        m_parec.start(QStringLiteral("parec"),
                      {QStringLiteral("-d"), QStringLiteral("@DEFAULT_MONITOR@"),
                       QStringLiteral("--raw"), QStringLiteral("--format=s16le"),
                       QStringLiteral("--rate=%1").arg(Rate), QStringLiteral("--channels=1"),
                       QStringLiteral("--latency-msec=2")});
        m_parec.waitForStarted();
    }
    ~SinkRecorder() {
        m_parec.kill();
        m_parec.waitForFinished();
    }
    // The first loud sample at or after time t (ns); -1 if none yet.
    qint64 firstLoudAfter(qint64 t) const {
        for (size_t i = indexAt(t); i < m_samples.size(); ++i) {
            if (std::abs(m_samples[i]) > Loud)
                return timeOf(i);
        }
        return -1;
    }
    // The last loud sample after t before SilenceMs of silence; t itself if silent at once.
    qint64 cutAfter(qint64 t) const {
        const size_t silence = size_t(Rate * SilenceMs / 1000);
        size_t quiet = 0;
        qint64 lastLoud = t;
        for (size_t i = indexAt(t); i < m_samples.size(); ++i) {
            if (std::abs(m_samples[i]) > Loud) {
                lastLoud = timeOf(i);
                quiet = 0;
            } else if (++quiet >= silence) {
                return lastLoud;
            }
        }
        return -1;
    }

private:
    void read() {
        const qint64 now = m_clock.nsecsElapsed();
        m_pending += m_parec.readAllStandardOutput();
        const qsizetype count = m_pending.size() / 2;
        const auto* samples = reinterpret_cast<const qint16*>(m_pending.constData());
        m_samples.insert(m_samples.end(), samples, samples + count);
        m_pending.remove(0, count * 2);
        m_endTime = now;
    }
    qint64 timeOf(size_t index) const {
        return m_endTime - qint64(m_samples.size() - index) * 1'000'000'000 / Rate;
    }
    size_t indexAt(qint64 t) const {
        const qint64 back = (m_endTime - t) * Rate / 1'000'000'000;
        return size_t(
            std::clamp<qint64>(qint64(m_samples.size()) - back, 0, qint64(m_samples.size())));
    }

    const QElapsedTimer& m_clock;
    QProcess m_parec;
    QByteArray m_pending;
    std::vector<qint16> m_samples;
    qint64 m_endTime = 0;
};

void waitMs(int ms) {
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const int jumps = argc > 1 ? std::atoi(argv[1]) : 20;
    FakePlatform fakes;
    EspeakVoice voice;
    Platform platform = fakes.bundle();
    platform.voice = &voice;
    TFmain window(platform);
    QStringList sentences;
    for (int i = 0; i < jumps + 5; ++i)
        sentences << QStringLiteral("Sentence %1 is long enough to be cut off in its middle by "
                                    "the next step of the listener.")
                         .arg(i + 1);
    window.RichEdit1->setPlainText(sentences.join(u' '));

    QElapsedTimer clock;
    clock.start();
    SinkRecorder sink(clock);
    waitMs(500);
    const qint64 started = clock.nsecsElapsed();
    window.NReadFromCaret->trigger();
    waitMs(1500);
    const double firstSound = double(sink.firstLoudAfter(started) - started) / 1e6;

    std::vector<double> toNew, oldLasts;
    for (int i = 0; i < jumps; ++i) {
        const qint64 key = clock.nsecsElapsed();
        window.NNextSentence->trigger();
        waitMs(900);
        const qint64 cut = sink.cutAfter(key);
        const qint64 next = cut < 0 ? -1 : sink.firstLoudAfter(cut + SilenceMs * 1'000'000);
        if (next < 0) {
            std::fputs("the sink's monitor recorded no jump\n", stderr);
            return 1;
        }
        oldLasts.push_back(double(cut - key) / 1e6);
        toNew.push_back(double(next - key) / 1e6);
    }
    window.BtnStop->click();
    std::printf("jump to the next sentence over %d jumps: first sound of the new sentence median "
                "%.1f ms (worst %.1f ms), last sound of the old one median %.1f ms (worst %.1f "
                "ms); 从光标处朗读 to first sound %.1f ms\n",
                jumps, median(toNew), *std::max_element(toNew.begin(), toNew.end()),
                median(oldLasts), *std::max_element(oldLasts.begin(), oldLasts.end()), firstSound);
    return 0;
}
