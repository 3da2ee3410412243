// Delay of the follow-along highlight, for bench/run.
//   highlight_bench [words]   reads a text of that many words (1000) into the sound device and
//                             prints the median and 95th percentile, in ms, from a word's first
//                             sample reaching the sink to the editor's first paint showing it.
// When the sink renders the stream's first sound is taken from a recording of its monitor
// (parec); the reading's leading silence comes from the same text written to a file. Later
// samples follow at the sample rate: playback runs without a gap, as synthesis is far faster.
#include "platform/speech/espeak_voice.h"
#include "platform/speech/wav_file_stream.h"
#include "speech/pronunciation.h"
#include "speech/reading_highlight.h"
#include "speech/text_units.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QThread>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

QString wordsText(int count) {
    const QStringList words =
        QStringLiteral("the reader speaks every line of this text aloud and marks "
                       "each word as it is heard by the listener")
            .split(u' ');
    QString text;
    for (int i = 0; i < count; ++i) {
        text += words.at(i % words.size());
        text += (i % 12 == 11) ? QStringLiteral(". ") : QStringLiteral(" ");
    }
    return text;
}

struct HeardWord {
    qint64 streamPosition;
    qint64 paintedAt = -1; // ns on the bench's clock
};

// Stamps the words shown since the last paint of the editor.
class PaintClock : public QObject {
public:
    PaintClock(const QElapsedTimer& clock, std::vector<HeardWord>& words)
        : m_clock(clock), m_words(words) {}
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            for (size_t i = m_stamped; i < m_words.size(); ++i)
                m_words[i].paintedAt = m_clock.nsecsElapsed();
            m_stamped = m_words.size();
        }
        return false;
    }

private:
    const QElapsedTimer& m_clock;
    std::vector<HeardWord>& m_words;
    size_t m_stamped = 0;
};

constexpr int Loud = 300; // the first sample above this starts the sound

// Seconds of silence before the text's first sound, from the text written to a file.
double leadingSilence(EspeakVoice& voice, const QString& text) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("lead.wav"));
    WavFileStream stream(EspeakVoice::SampleRate);
    stream.setFormatType(SpeechFileStream::Format16kHz16BitMono);
    stream.Open(path, SpeechFileStream::CreateForWrite, false);
    voice.setAudioOutputStream(&stream);
    voice.Speak(text.left(200), SpeechVoice::SpeakAsync);
    voice.WaitUntilDone(-1);
    stream.Close();
    voice.setAudioOutputToDevice();
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    const QByteArray data = file.readAll().mid(44);
    const auto* samples = reinterpret_cast<const qint16*>(data.constData());
    for (qsizetype i = 0; i < data.size() / 2; ++i) {
        if (std::abs(samples[i]) > Loud)
            return double(i) / 16000;
    }
    return 0;
}

// Records the sink's monitor and notes when its first sound arrived.
class SinkRecorder {
public:
    explicit SinkRecorder(const QElapsedTimer& clock) : m_clock(clock) {
        QObject::connect(&m_parec, &QProcess::readyReadStandardOutput, [this] { read(); });
        m_parec.start(QStringLiteral("parec"),
                      {QStringLiteral("-d"), QStringLiteral("@DEFAULT_MONITOR@"),
                       QStringLiteral("--raw"), QStringLiteral("--format=s16le"),
                       QStringLiteral("--rate=%1").arg(EspeakVoice::SampleRate),
                       QStringLiteral("--channels=1"), QStringLiteral("--latency-msec=2")});
        m_parec.waitForStarted();
    }
    ~SinkRecorder() {
        m_parec.kill();
        m_parec.waitForFinished();
    }
    // ns on the bench's clock; -1 while no sound has come.
    qint64 firstSoundAt() const { return m_firstSoundAt; }

private:
    void read() {
        const qint64 now = m_clock.nsecsElapsed();
        m_pending += m_parec.readAllStandardOutput();
        const qsizetype count = m_pending.size() / 2;
        const auto* samples = reinterpret_cast<const qint16*>(m_pending.constData());
        for (qsizetype i = 0; i < count && m_firstSoundAt < 0; ++i) {
            if (std::abs(samples[i]) > Loud)
                m_firstSoundAt = now - (count - i) * 1'000'000'000 / EspeakVoice::SampleRate;
        }
        m_pending.remove(0, count * 2);
    }

    const QElapsedTimer& m_clock;
    QProcess m_parec;
    QByteArray m_pending;
    qint64 m_firstSoundAt = -1;
};

double percentile(std::vector<double> values, double fraction) {
    std::sort(values.begin(), values.end());
    return values[size_t(fraction * double(values.size() - 1))];
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const int wordCount = argc > 1 ? std::atoi(argv[1]) : 1000;
    const QString text = wordsText(wordCount);

    QTextEdit editor;
    editor.resize(700, 500);
    editor.setPlainText(text);
    editor.show();
    ReadingHighlight highlight(&editor);

    EspeakVoice voice;
    for (const VoiceToken& token : voice.GetVoices({}, {})) {
        if (token.id == QStringLiteral("gmw/en"))
            voice.setVoice(token);
    }
    voice.setRate(10);
    const double lead = leadingSilence(voice, text);
    QThread::msleep(2500); // let the sound server settle on the new stream

    QElapsedTimer clock;
    clock.start();
    std::vector<HeardWord> words;
    words.reserve(size_t(wordCount) * 2);
    PaintClock paints(clock, words);
    editor.viewport()->installEventFilter(&paints);
    SinkRecorder sink(clock);
    QThread::msleep(300); // the recording runs before the reading starts
    QObject::connect(
        &voice, &SpeechVoice::Boundary, &editor,
        [&](int, qint64 streamPosition, SpeechBoundary boundary, int position, int length) {
            if (boundary == SpeechBoundary::Sentence)
                highlight.sentence(position);
            if (boundary == SpeechBoundary::Word) {
                words.push_back({streamPosition});
                highlight.word(position, length);
            }
            if (boundary == SpeechBoundary::End)
                app.quit();
        });
    highlight.begin(0, PronunciationDictionary().spoken(text), sentenceSpans(text));
    voice.Speak(text, SpeechVoice::SpeakAsync);
    app.exec();

    if (sink.firstSoundAt() < 0) {
        std::fputs("the sink's monitor recorded no sound\n", stderr);
        return 1;
    }
    const double streamStart = double(sink.firstSoundAt()) - lead * 1e9;
    std::vector<double> delays;
    for (const HeardWord& word : words) {
        if (word.paintedAt < 0)
            continue;
        const double reachedSink =
            streamStart + double(word.streamPosition) / 2.0 / EspeakVoice::SampleRate * 1e9;
        delays.push_back((double(word.paintedAt) - reachedSink) / 1e6);
    }
    if (delays.empty()) {
        std::fputs("no word was highlighted\n", stderr);
        return 1;
    }
    std::printf("highlight delay over %zu words: median %.1f ms, 95th percentile %.1f ms, "
                "min %.1f ms, max %.1f ms\n",
                delays.size(), percentile(delays, 0.5), percentile(delays, 0.95),
                percentile(delays, 0.0), percentile(delays, 1.0));
    return 0;
}
