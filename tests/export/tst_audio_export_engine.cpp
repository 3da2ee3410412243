// The export engine against the real speech engine and file stream.
#include "app/app_error.h"
#include "export/audio_export.h"
#include "export/export_names.h"
#include "platform/speech/espeak_voice.h"
#include "platform/speech/wav_file_stream.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>
#include <cerrno>
#include <signal.h>
#include <sndfile.h>
#include <sys/resource.h>
#include <sys/stat.h>

class TestAudioExportEngine : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void writesSixteenKilohertzMonoSpeech();
    void cancelRemovesTheFile();
    void linesGiveOneFileEach_data();
    void linesGiveOneFileEach();
    void helpersSoundLikeTheEngine_data();
    void helpersSoundLikeTheEngine();
    void killedHelperEndsTheExport();
    void compressedFilesHoldTheSameSpeech_data();
    void compressedFilesHoldTheSameSpeech();
    void filesFollowTheUmask_data();
    void filesFollowTheUmask();
    void failuresNameTheChosenFile_data();
    void failuresNameTheChosenFile();

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

// The pauses of a sound, where every 10 ms stays quiet: how many last 100 ms or more, and the
// longest. Speech of the same words in the same order has as many; a doubled silence at a join
// shows as a longer one.
struct Pauses {
    int count = 0;
    double longest = 0; // seconds
};

Pauses pausesOf(const std::vector<short>& samples, int rate) {
    const size_t window = size_t(rate) / 100;
    Pauses pauses;
    int quiet = 0;
    for (size_t at = 0; at + window <= samples.size(); at += window) {
        const auto [low, high] = std::minmax_element(samples.begin() + qsizetype(at),
                                                     samples.begin() + qsizetype(at + window));
        if (std::max(-int(*low), int(*high)) < 300) {
            ++quiet;
            continue;
        }
        if (quiet >= 10)
            ++pauses.count;
        pauses.longest = std::max(pauses.longest, quiet / 100.0);
        quiet = 0;
    }
    return pauses;
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

void TestAudioExportEngine::linesGiveOneFileEach_data() {
    QTest::addColumn<int>("helpers");
    QTest::newRow("engine") << 0;
    QTest::newRow("helpers") << 2;
}

// One file per non-empty line, each holding its own line's speech; a cancel keeps the files
// finished and leaves no other.
void TestAudioExportEngine::linesGiveOneFileEach() {
    QFETCH(int, helpers);
    const auto exporter = [&] {
        auto made = std::make_unique<AudioExport>(
            *m_voice, *m_stream,
            helpers ? std::make_unique<SpeechWorkers>(SpeechWorkers::defaultProgram(), helpers)
                    : nullptr);
        made->setHelperVoice({QStringLiteral("gmw/en"), 0, 100});
        return made;
    };
    const QStringList lines{QStringLiteral("one"), QString(), QStringLiteral("two"),
                            QStringLiteral("the third line is the longest of them all")};
    QTemporaryDir folder;
    QVERIFY(exporter()->exportLines(folder.path(), lines, always));
    const QDir dir(folder.path());
    QCOMPARE(
        dir.entryList(QDir::Files | QDir::Hidden, QDir::Name),
        (QStringList{"0.one.wav", "2.two.wav", "3.the third line is the longest of them all.wav"}));
    const Sound two = readSound(dir.filePath(QStringLiteral("2.two.wav")));
    const Sound third = readSound(dir.filePath(lineFileName(3, lines[3])));
    QVERIFY(two.peak > 1000);
    QVERIFY2(third.frames > 3 * two.frames,
             qPrintable(QStringLiteral("%1 against %2").arg(third.frames).arg(two.frames)));

    QTemporaryDir cancelled;
    QVERIFY(!exporter()->exportLines(cancelled.path(), lines,
                                     [](qint64 done, qint64) { return done < 2; }));
    QCOMPARE(QDir(cancelled.path()).entryList(QDir::Files | QDir::Hidden),
             QStringList{"0.one.wav"});
}

// The helpers speak the same pieces as the engine: the same sound, joined without gaps.
// Helpers resample to the file's rate themselves, down, up, or not at all.
void TestAudioExportEngine::helpersSoundLikeTheEngine_data() {
    QTest::addColumn<int>("format");
    QTest::addColumn<int>("rate");
    QTest::newRow("wav") << Wav << 16000;
    QTest::newRow("opus") << int(SpeechFileStream::FormatOpus) << 24000;
    QTest::newRow("flac") << int(SpeechFileStream::FormatFlac) << EspeakVoice::SampleRate;
}

void TestAudioExportEngine::helpersSoundLikeTheEngine() {
    QFETCH(int, format);
    QFETCH(int, rate);
    const QString text = longText();
    const QString serialPath = m_dir.filePath(QStringLiteral("serial.audio"));
    const QString parallelPath = m_dir.filePath(QStringLiteral("parallel.audio"));
    AudioExport serial(*m_voice, *m_stream);
    QVERIFY(serial.exportText(serialPath, text, format, always));
    AudioExport parallel(*m_voice, *m_stream,
                         std::make_unique<SpeechWorkers>(SpeechWorkers::defaultProgram(), 2));
    parallel.setHelperVoice({QStringLiteral("gmw/en"), 0, 100});
    int reports = 0;
    QVERIFY(parallel.exportText(parallelPath, text, format, [&](qint64, qint64) {
        ++reports;
        return true;
    }));
    QVERIFY(reports >= 3);
    const Sound one = readSound(serialPath);
    const Sound other = readSound(parallelPath);
    QCOMPARE(other.rate, rate);
    QVERIFY2(std::abs(double(other.frames - one.frames)) < 0.01 * double(one.frames),
             qPrintable(QStringLiteral("%1 against %2 frames").arg(other.frames).arg(one.frames)));
    const Pauses serialPauses = pausesOf(one.samples, rate);
    const Pauses parallelPauses = pausesOf(other.samples, rate);
    QVERIFY(serialPauses.count > 200);
    QCOMPARE(parallelPauses.count, serialPauses.count);
    QVERIFY2(parallelPauses.longest < serialPauses.longest * 1.3 + 0.05,
             qPrintable(QStringLiteral("%1 s against %2 s")
                            .arg(parallelPauses.longest)
                            .arg(serialPauses.longest)));
}

void TestAudioExportEngine::killedHelperEndsTheExport() {
    auto helpers = std::make_unique<SpeechWorkers>(SpeechWorkers::defaultProgram(), 2);
    SpeechWorkers* workers = helpers.get();
    AudioExport exporter(*m_voice, *m_stream, std::move(helpers));
    exporter.setHelperVoice({QStringLiteral("gmw/en"), 0, 100});
    const QString path = m_dir.filePath(QStringLiteral("killed.wav"));
    QList<qint64> pids;
    try {
        exporter.exportText(path, longText().repeated(3), Wav, [&](qint64, qint64) {
            if (pids.isEmpty()) {
                pids = workers->processIds();
                ::kill(pid_t(pids.constLast()), SIGKILL);
            }
            return true;
        });
        QFAIL("the export went on without its helper");
    } catch (const AppError& error) {
        QCOMPARE(error.message(), QStringLiteral("朗读助手程序在导出完成前停止了"));
    }
    // The other helper went with it.
    QCOMPARE(pids.size(), 2);
    for (const qint64 pid : pids)
        QVERIFY(::kill(pid_t(pid), 0) == -1 && errno == ESRCH);
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

void TestAudioExportEngine::filesFollowTheUmask_data() {
    QTest::addColumn<int>("mask");
    QTest::addColumn<int>("mode");
    QTest::newRow("022") << 022 << 0644;
    QTest::newRow("027") << 027 << 0640;
    QTest::newRow("077") << 077 << 0600;
    QTest::newRow("002") << 002 << 0664;
}

// An exported file gets the permissions any new file of the user gets.
void TestAudioExportEngine::filesFollowTheUmask() {
    QFETCH(int, mask);
    QFETCH(int, mode);
    const mode_t saved = umask(mode_t(mask));
    AudioExport exporter(*m_voice, *m_stream);
    const QString path = m_dir.filePath(QStringLiteral("mode-%1.wav").arg(mask, 0, 8));
    const bool exported = exporter.exportText(path, QStringLiteral("Hi."), Wav, always);
    umask(saved);
    QVERIFY(exported);
    struct stat info {};
    QCOMPARE(stat(QFile::encodeName(path).constData(), &info), 0);
    QCOMPARE(int(info.st_mode & 07777), mode);
}

void TestAudioExportEngine::failuresNameTheChosenFile_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("message");
    QTest::newRow("no such folder") << "missing/file.wav" << QStringLiteral("无法创建文件 %1");
    QTest::newRow("a folder in the way") << "taken.wav" << QStringLiteral("无法创建文件 %1");
    QTest::newRow("the disk refuses") << "big.wav" << QStringLiteral("无法写入文件 %1");
}

// A failed export names the file the user chose, never its hidden part, and leaves neither.
void TestAudioExportEngine::failuresNameTheChosenFile() {
    QFETCH(QString, name);
    QFETCH(QString, message);
    QTemporaryDir folder;
    const QString path = folder.filePath(name);
    QVERIFY(QDir(folder.path()).mkpath(QStringLiteral("taken.wav/inside")));
    // Files of this process may grow to 64 KiB: far less than the speech.
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    const auto previous = signal(SIGXFSZ, SIG_IGN);
    if (name == QStringLiteral("big.wav")) {
        const rlimit limit{64 << 10, saved.rlim_max};
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    QString error;
    try {
        AudioExport exporter(*m_voice, *m_stream);
        exporter.exportText(path, longText(), Wav, always);
    } catch (const AppError& failure) {
        error = failure.message();
    }
    setrlimit(RLIMIT_FSIZE, &saved);
    signal(SIGXFSZ, previous);
    QCOMPARE(error, message.arg(path));
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList{});
}

QTEST_GUILESS_MAIN(TestAudioExportEngine)
#include "tst_audio_export_engine.moc"
