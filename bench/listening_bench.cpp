// Jump latency of the listening commands, for bench/run.
//   listening_bench [jumps]   reads a long text into the sound device, steps to the next
//                             sentence that many times (20), and prints in ms the median and
//                             the worst, from the key's command to the new sentence's first
//                             sample above -40 dBFS and to the old sentence's last one; beside
//                             them the same from 从光标处朗读 to its first sound, the first
//                             reading after start-up (which opens the sound device) and one
//                             after 停止.
// The sound is taken from a recording of the sink's monitor (parec); each recorded sample is
// dated by its arrival, counted back from the end of the piece it came in. Every sentence opens
// with the same word, so the new sentence is found where the recording best matches the opening
// heard after 从光标处朗读; what is loud between the key and that point is the old sentence.
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
#include <cmath>
#include <cstdio>
#include <vector>

namespace {

constexpr int Loud = 328; // -40 dBFS of 16-bit samples
constexpr int Rate = EspeakVoice::SampleRate;
constexpr int OpeningMs = 300; // of a sentence's sound, to find it by
constexpr int SearchMs = 700;  // after the key, where the new sentence is looked for
constexpr double MinMatch = 0.6;
constexpr double GoodMatch = 0.9;
constexpr int PlainMs = 8000; // of reading without a jump, to count its gaps

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
    // How much the monitor has delivered so far.
    qint64 recordedMs() const { return qint64(m_samples.size()) * 1000 / Rate; }
    // The first loud sample at or after time t (ns); -1 if none yet.
    qint64 firstLoudAfter(qint64 t) const {
        for (size_t i = indexAt(t); i < m_samples.size(); ++i) {
            if (std::abs(m_samples[i]) > Loud)
                return timeOf(i);
        }
        return -1;
    }
    // The recording from time t, ms long.
    std::vector<qint16> clip(qint64 t, int ms) const {
        const size_t first = indexAt(t);
        const size_t last = std::min(m_samples.size(), first + size_t(Rate * ms / 1000));
        return {m_samples.begin() + qsizetype(first), m_samples.begin() + qsizetype(last)};
    }
    // Where, between from and to, the recording's loudness best follows the clip's (normalised
    // cross-correlation of 1 ms levels, blind to the resampler's phase), taking the first
    // clear match; -1 when nothing there resembles it.
    qint64 find(const std::vector<qint16>& clip, qint64 from, qint64 to) const {
        const std::vector<double> pattern = centred(levels(clip.data(), clip.size()));
        const size_t first = indexAt(from);
        const size_t last = std::min(indexAt(to) + clip.size(), m_samples.size());
        const std::vector<double> heard = levels(m_samples.data() + first, last - first);
        double best = MinMatch;
        qint64 found = -1;
        for (size_t at = 0; at + pattern.size() <= heard.size(); ++at) {
            const std::vector<double> part = centred(
                {heard.begin() + qsizetype(at), heard.begin() + qsizetype(at + pattern.size())});
            double product = 0, a = 0, b = 0;
            for (size_t k = 0; k < pattern.size(); ++k) {
                product += pattern[k] * part[k];
                a += pattern[k] * pattern[k];
                b += part[k] * part[k];
            }
            const double match = a > 0 && b > 0 ? product / std::sqrt(a * b) : 0;
            if (match > best) {
                best = match;
                found = timeOf(first + at * LevelSamples);
            } else if (best >= GoodMatch && match < best - 0.2) {
                break; // the first clear match: later words may resemble the opening too
            }
        }
        return found;
    }
    // The number of quiet runs in [from, to) of at least ms.
    int quietRuns(qint64 from, qint64 to, int ms) const {
        const size_t least = size_t(Rate * ms / 1000);
        int runs = 0;
        size_t quiet = 0;
        for (size_t i = indexAt(from); i < indexAt(to); ++i) {
            quiet = std::abs(m_samples[i]) > Loud ? 0 : quiet + 1;
            if (quiet == least)
                ++runs;
        }
        return runs;
    }
    // The last loud sample in [from, to); from itself when there is none.
    qint64 lastLoudBetween(qint64 from, qint64 to) const {
        qint64 last = from;
        for (size_t i = indexAt(from); i < indexAt(to); ++i) {
            if (std::abs(m_samples[i]) > Loud)
                last = timeOf(i);
        }
        return last;
    }

private:
    static constexpr size_t LevelSamples = Rate / 1000;

    static std::vector<double> levels(const qint16* samples, size_t count) {
        std::vector<double> out;
        for (size_t i = 0; i + LevelSamples <= count; i += LevelSamples) {
            double sum = 0;
            for (size_t k = i; k < i + LevelSamples; ++k)
                sum += std::abs(samples[k]);
            out.push_back(sum / LevelSamples);
        }
        return out;
    }
    static std::vector<double> centred(std::vector<double> values) {
        double mean = 0;
        for (const double value : values)
            mean += value / double(values.size());
        for (double& value : values)
            value -= mean;
        return values;
    }

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
    // A sound server started just before takes about a second to play anything, and a new
    // recording of its monitor a while to keep pace: the first reading waits for both, so that
    // what it measures is the program.
    QElapsedTimer warming;
    warming.start();
    while (sink.recordedMs() < 500 && warming.elapsed() < 5000)
        waitMs(50);
    waitMs(500);
    const qint64 started = clock.nsecsElapsed();
    window.NReadFromCaret->trigger();
    waitMs(1500);
    const qint64 firstLoud = sink.firstLoudAfter(started);
    if (firstLoud < 0) {
        std::fputs("the sink's monitor recorded no sound\n", stderr);
        return 1;
    }
    const double firstSound = double(firstLoud - started) / 1e6;
    const std::vector<qint16> opening = sink.clip(firstLoud, OpeningMs);

    std::vector<double> toNew, oldLasts;
    for (int i = 0; i < jumps; ++i) {
        const qint64 key = clock.nsecsElapsed();
        window.NNextSentence->trigger();
        waitMs(900);
        const qint64 next = sink.find(opening, key, key + SearchMs * 1'000'000LL);
        if (next < 0) {
            std::fputs("the sink's monitor recorded no jump\n", stderr);
            return 1;
        }
        // A little before the match: it may be placed a few samples late.
        const qint64 cut = sink.lastLoudBetween(key, next - 2'000'000);
        oldLasts.push_back(double(cut - key) / 1e6);
        toNew.push_back(double(next - key) / 1e6);
    }
    // Underruns show as gaps in plain reading.
    const qint64 plain = clock.nsecsElapsed();
    waitMs(PlainMs + 200);
    const int gaps = sink.quietRuns(plain, plain + PlainMs * 1'000'000LL, 20);
    const int pauses = sink.quietRuns(plain, plain + PlainMs * 1'000'000LL, 150);
    window.BtnStop->click();
    // The first reading also starts the sound device; a second one shows what is left of it.
    waitMs(500);
    window.RichEdit1->moveCursor(QTextCursor::Start);
    const qint64 again = clock.nsecsElapsed();
    window.NReadFromCaret->trigger();
    waitMs(1000);
    const qint64 againLoud = sink.firstLoudAfter(again);
    window.BtnStop->click();
    if (againLoud < 0) {
        std::fputs("the sink's monitor recorded no second reading\n", stderr);
        return 1;
    }
    std::printf(
        "jump to the next sentence over %d jumps: first sound of the new sentence median "
        "%.1f ms (worst %.1f ms), last sound of the old one median %.1f ms (worst %.1f "
        "ms); 从光标处朗读 to first sound %.1f ms (the device opened by it), %.1f ms when read "
        "again; in %d s of plain reading %d quiet runs of 20 ms "
        "or more, %d of 150 ms or more\n",
        jumps, median(toNew), *std::max_element(toNew.begin(), toNew.end()), median(oldLasts),
        *std::max_element(oldLasts.begin(), oldLasts.end()), firstSound,
        double(againLoud - again) / 1e6, PlainMs / 1000, gaps, pauses);
    return 0;
}
