// The export engine against the real speech engine and file stream.
#include "app/app_error.h"
#include "export/audio_export.h"
#include "platform/speech/espeak_voice.h"
#include "platform/speech/wav_file_stream.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>
#include <signal.h>
#include <sndfile.h>

class TestAudioExportEngine : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void writesSixteenKilohertzMonoSpeech();
    void cancelRemovesTheFile();
    void linesGiveOneFileEach();
    void helpersSoundLikeTheEngine();
    void killedHelperEndsTheExport();
    void compressedFilesHoldTheSameSpeech_data();
    void compressedFilesHoldTheSameSpeech();

private:
    std::unique_ptr<EspeakVoice> m_voice;
    std::unique_ptr<WavFileStream> m_stream;
    QTemporaryDir m_dir;
};

namespace {

struct Sound {
    int rate = 0;
    int channels = 0;
    int format = 0;
    sf_count_t frames = 0;
    double peak = 0;
    std::vector<short> samples;
};

// How alike the loudness of two sounds is over time, a second at a time: 1 is the same.
double envelopeCorrelation(const std::vector<short>& a, const std::vector<short>& b) {
    constexpr size_t Window = 16000;
    std::vector<double> x, y;
    for (size_t at = 0; at + Window <= std::min(a.size(), b.size()); at += Window) {
        double sa = 0, sb = 0;
        for (size_t i = at; i < at + Window; ++i) {
            sa += std::abs(double(a[i]));
            sb += std::abs(double(b[i]));
        }
        x.push_back(sa);
        y.push_back(sb);
    }
    const double n = double(x.size());
    double mx = 0, my = 0;
    for (size_t i = 0; i < x.size(); ++i) {
        mx += x[i] / n;
        my += y[i] / n;
    }
    double sxy = 0, sxx = 0, syy = 0;
    for (size_t i = 0; i < x.size(); ++i) {
        sxy += (x[i] - mx) * (y[i] - my);
        sxx += (x[i] - mx) * (x[i] - mx);
        syy += (y[i] - my) * (y[i] - my);
    }
    return sxx > 0 && syy > 0 ? sxy / std::sqrt(sxx * syy) : 0;
}

QString longText() {
    QString text;
    for (int i = 0; i < 120; ++i)
        text += QStringLiteral("Paragraph %1 tells a short story, and then it ends.\n").arg(i);
    return text;
}

Sound readSound(const QString& path) {
    Sound sound;
    SF_INFO info{};
    SNDFILE* file = sf_open(QFile::encodeName(path).constData(), SFM_READ, &info);
    if (!file)
        return sound;
    sound = {info.samplerate, info.channels, info.format, info.frames, 0, {}};
    sound.samples.resize(size_t(info.frames) * size_t(info.channels));
    sf_read_short(file, sound.samples.data(), sf_count_t(sound.samples.size()));
    for (short s : sound.samples)
        sound.peak = std::max(sound.peak, std::abs(double(s)));
    sf_close(file);
    return sound;
}

constexpr int Wav = SpeechFileStream::Format16kHz16BitMono;

bool always(qint64, qint64) {
    return true;
}

} // namespace

void TestAudioExportEngine::initTestCase() {
    QVERIFY(m_dir.isValid());
    m_voice = std::make_unique<EspeakVoice>();
    m_stream = std::make_unique<WavFileStream>(EspeakVoice::SampleRate);
    for (const VoiceToken& token : m_voice->GetVoices({}, {})) {
        if (token.id == QStringLiteral("gmw/en"))
            m_voice->setVoice(token);
    }
}

void TestAudioExportEngine::cleanupTestCase() {
    m_stream.reset();
    m_voice.reset();
}

void TestAudioExportEngine::writesSixteenKilohertzMonoSpeech() {
    AudioExport exporter(*m_voice, *m_stream);
    const QString path = m_dir.filePath(QStringLiteral("one.wav"));
    QVERIFY(
        exporter.exportText(path, QStringLiteral("Hello there.\nThis is a test."), Wav, always));
    const Sound sound = readSound(path);
    QCOMPARE(sound.rate, 16000);
    QCOMPARE(sound.channels, 1);
    QCOMPARE(sound.format, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    QVERIFY2(sound.frames > 16000 && sound.frames < 16000 * 6,
             qPrintable(QString::number(sound.frames)));
    QVERIFY(sound.peak > 1000);
}

void TestAudioExportEngine::cancelRemovesTheFile() {
    AudioExport exporter(*m_voice, *m_stream);
    const QString path = m_dir.filePath(QStringLiteral("cancelled.wav"));
    const QString text =
        QStringLiteral("A sentence that is spoken many times over.\n").repeated(400);
    int reports = 0;
    QVERIFY(!exporter.exportText(path, text, Wav, [&](qint64, qint64) { return ++reports < 3; }));
    QVERIFY(!QFile::exists(path));
    QCOMPARE(
        QDir(m_dir.path()).entryList({QStringLiteral(".export-*")}, QDir::Files | QDir::Hidden),
        QStringList{});
    // The engine is usable again at once.
    QVERIFY(exporter.exportText(path, QStringLiteral("Again."), Wav, always));
    QVERIFY(readSound(path).peak > 1000);
}

void TestAudioExportEngine::linesGiveOneFileEach() {
    AudioExport exporter(*m_voice, *m_stream);
    QTemporaryDir folder;
    QVERIFY(exporter.exportLines(
        folder.path(), {QStringLiteral("one"), QString(), QStringLiteral("two")}, always));
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name),
             (QStringList{"0.one.wav", "2.two.wav"}));
    QVERIFY(readSound(folder.filePath(QStringLiteral("2.two.wav"))).peak > 1000);
}

// The helpers speak the same pieces as the engine: the same sound, joined without gaps.
void TestAudioExportEngine::helpersSoundLikeTheEngine() {
    const QString text = longText();
    const QString serialPath = m_dir.filePath(QStringLiteral("serial.wav"));
    const QString parallelPath = m_dir.filePath(QStringLiteral("parallel.wav"));
    AudioExport serial(*m_voice, *m_stream);
    QVERIFY(serial.exportText(serialPath, text, Wav, always));
    AudioExport parallel(*m_voice, *m_stream,
                         std::make_unique<SpeechWorkers>(SpeechWorkers::defaultProgram(), 2));
    parallel.setHelperVoice({QStringLiteral("gmw/en"), 0, 100});
    int reports = 0;
    QVERIFY(parallel.exportText(parallelPath, text, Wav, [&](qint64, qint64) {
        ++reports;
        return true;
    }));
    QVERIFY(reports >= 3);
    const Sound one = readSound(serialPath);
    const Sound other = readSound(parallelPath);
    QCOMPARE(other.rate, 16000);
    QVERIFY2(std::abs(double(other.frames - one.frames)) < 0.01 * double(one.frames),
             qPrintable(QStringLiteral("%1 against %2 frames").arg(other.frames).arg(one.frames)));
    const double similarity = envelopeCorrelation(one.samples, other.samples);
    QVERIFY2(similarity > 0.9, qPrintable(QString::number(similarity)));
}

void TestAudioExportEngine::killedHelperEndsTheExport() {
    auto helpers = std::make_unique<SpeechWorkers>(SpeechWorkers::defaultProgram(), 2);
    SpeechWorkers* workers = helpers.get();
    AudioExport exporter(*m_voice, *m_stream, std::move(helpers));
    exporter.setHelperVoice({QStringLiteral("gmw/en"), 0, 100});
    const QString path = m_dir.filePath(QStringLiteral("killed.wav"));
    bool killed = false;
    try {
        exporter.exportText(path, longText().repeated(3), Wav, [&](qint64, qint64) {
            if (!killed)
                ::kill(pid_t(workers->processIds().constLast()), SIGKILL);
            killed = true;
            return true;
        });
        QFAIL("the export went on without its helper");
    } catch (const AppError& error) {
        QVERIFY(error.message().contains(QStringLiteral("helper")));
    }
    QVERIFY(!QFile::exists(path));
    QCOMPARE(
        QDir(m_dir.path()).entryList({QStringLiteral(".export-*")}, QDir::Files | QDir::Hidden),
        QStringList{});
}

void TestAudioExportEngine::compressedFilesHoldTheSameSpeech_data() {
    QTest::addColumn<int>("format");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("rate");
    QTest::newRow("mp3") << int(SpeechFileStream::FormatMp3) << "s.mp3" << EspeakVoice::SampleRate;
    QTest::newRow("ogg") << int(SpeechFileStream::FormatOggVorbis) << "s.ogg"
                         << EspeakVoice::SampleRate;
    QTest::newRow("opus") << int(SpeechFileStream::FormatOpus) << "s.opus" << 24000;
    QTest::newRow("flac") << int(SpeechFileStream::FormatFlac) << "s.flac"
                          << EspeakVoice::SampleRate;
}

// The same text as a WAV file and as a compressed one: the same length of sound.
void TestAudioExportEngine::compressedFilesHoldTheSameSpeech() {
    QFETCH(int, format);
    QFETCH(QString, name);
    QFETCH(int, rate);
    AudioExport exporter(*m_voice, *m_stream);
    const QString text = QStringLiteral("Compressed files hold the same speech as the others.");
    const QString wavPath = m_dir.filePath(QStringLiteral("reference.wav"));
    const QString path = m_dir.filePath(name);
    QVERIFY(exporter.exportText(wavPath, text, Wav, always));
    QVERIFY(exporter.exportText(path, text, format, always));
    const Sound wav = readSound(wavPath);
    const Sound sound = readSound(path);
    QCOMPARE(sound.channels, 1);
    QCOMPARE(sound.rate, rate);
    const double seconds = double(sound.frames) / sound.rate;
    const double expected = double(wav.frames) / wav.rate;
    QVERIFY2(std::abs(seconds - expected) < expected * 0.05,
             qPrintable(QStringLiteral("%1 s against %2 s").arg(seconds).arg(expected)));
    QVERIFY(sound.peak > 1000);
}

QTEST_GUILESS_MAIN(TestAudioExportEngine)
#include "tst_audio_export_engine.moc"
