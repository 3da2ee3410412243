// The natural voices through their helper: the tiny voices of make_tiny_voices.py, whose models
// make HOP samples for each token at the normal speed, and malformed voice folders, which end
// the helper with a Chinese message naming the folder while this process goes on.
#include "app/app_error.h"
#include "platform/speech/neural_worker.h"
#include "tiny_voices.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <vector>

namespace {

constexpr int Hop = 160; // samples per token at speed 1, as make_tiny_voices.py builds them

// Rewrites the one-digit "version" in the model's metadata: the entry's key and value as the
// ONNX file stores them, of the same length, so the file stays whole.
bool setModelVersion(const QString& path, char version) {
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite))
        return false;
    QByteArray bytes = file.readAll();
    const QByteArray entry("\x0a\x07version\x12\x01", 11);
    const qsizetype at = bytes.indexOf(entry);
    if (at < 0 || bytes.indexOf(entry, at + 1) >= 0)
        return false;
    bytes[at + entry.size()] = version;
    return file.seek(0) && file.write(bytes) == bytes.size();
}

} // namespace

class TestNeuralWorker : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void sampleCount_data();
    void sampleCount();
    void speakerIsHeard_data();
    void speakerIsHeard();
    void stopsEarly();
    void malformedVoice_data();
    void malformedVoice();
    void missingHelper();

private:
    QString voice(const QString& name) const { return m_voices.filePath(name); }

    QTemporaryDir m_voices;
};

void TestNeuralWorker::initTestCase() {
    if (!naturalRuntimeFetched())
        QSKIP("The natural voices' runtime was not fetched (scripts/install-deps): no natural "
              "voice to test");
    const QString failure = makeTinyVoices(m_voices.path());
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
}

void TestNeuralWorker::sampleCount_data() {
    QTest::addColumn<QString>("voice");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("speaker");
    QTest::addColumn<double>("speed");
    QTest::addColumn<int>("sampleRate");
    QTest::addColumn<int>("speakers");
    QTest::addColumn<int>("tokens");
    // tiny-zh: the word's phones between the silences and end the runtime adds (3 tokens).
    QTest::newRow("Chinese lexicon, 你好: n i h ao") << "tiny-zh"
                                                     << "你好" << 0 << 1.0 << 16000 << 2 << 7;
    QTest::newRow("Chinese lexicon, four more phones")
        << "tiny-zh"
        << "你好世界" << 0 << 1.0 << 16000 << 2 << 11;
    QTest::newRow("Chinese lexicon, second speaker") << "tiny-zh"
                                                     << "你好" << 1 << 1.0 << 16000 << 2 << 7;
    QTest::newRow("Chinese lexicon, twice as fast") << "tiny-zh"
                                                    << "你好" << 0 << 2.0 << 16000 << 2 << 7;
    // MeloTTS: a blank before, between and after the phones.
    QTest::newRow("MeloTTS, 你好: n i h ao") << "tiny-melo-zh_en"
                                             << "你好" << 0 << 1.0 << 22050 << 1 << 9;
    QTest::newRow("MeloTTS, English hello: HH AH L OW") << "tiny-melo-zh_en"
                                                        << "hello" << 0 << 1.0 << 22050 << 1 << 9;
    QTest::newRow("MeloTTS, 你好世界") << "tiny-melo-zh_en"
                                       << "你好世界" << 0 << 1.0 << 22050 << 1 << 17;
    // Piper: espeak-ng's ^həlˈoʊ$, with a blank between each two.
    QTest::newRow("Piper, hello") << "tiny-piper-en"
                                  << "hello" << 0 << 1.0 << 22050 << 1 << 15;
    QTest::newRow("Piper, hello twice as fast") << "tiny-piper-en"
                                                << "hello" << 0 << 2.0 << 22050 << 1 << 15;
    // Matcha: the acoustic model's phones with a blank around each, the vocoder beside it
    // making the sound.
    QTest::newRow("Matcha, 你好: n i h ao") << "tiny-matcha-zh"
                                            << "你好" << 0 << 1.0 << 22050 << 1 << 9;
    QTest::newRow("Matcha, 你好世界") << "tiny-matcha-zh"
                                      << "你好世界" << 0 << 1.0 << 22050 << 1 << 17;
    QTest::newRow("Matcha, twice as fast") << "tiny-matcha-zh"
                                           << "你好" << 0 << 2.0 << 22050 << 1 << 9;
    // Kokoro: espeak-ng's həlˈoʊ between two pads; the speakers are in voices.bin.
    QTest::newRow("Kokoro, hello") << "tiny-kokoro-en"
                                   << "hello" << 0 << 1.0 << 24000 << 2 << 8;
    QTest::newRow("Kokoro, second speaker") << "tiny-kokoro-en"
                                            << "hello" << 1 << 1.0 << 24000 << 2 << 8;
    QTest::newRow("Kokoro, hello twice as fast") << "tiny-kokoro-en"
                                                 << "hello" << 0 << 2.0 << 24000 << 2 << 8;
}

void TestNeuralWorker::sampleCount() {
    QFETCH(QString, voice);
    QFETCH(QString, text);
    QFETCH(int, speaker);
    QFETCH(double, speed);
    QFETCH(int, sampleRate);
    QFETCH(int, speakers);
    QFETCH(int, tokens);
    NeuralWorker worker;
    QElapsedTimer timer;
    timer.start();
    const NeuralWorker::VoiceInfo info = worker.open(this->voice(voice));
    const qint64 opened = timer.restart();
    QCOMPARE(info.sampleRate, sampleRate);
    QCOMPARE(info.speakerCount, speakers);
    size_t samples = 0;
    // A wave swings both ways (a Matcha model's own output, without its vocoder, does not).
    bool above = false;
    bool below = false;
    QVERIFY(worker.synthesise(
        {this->voice(voice), speaker, speed}, text, [&](const qint16* block, size_t count) {
            samples += count;
            above = above || std::any_of(block, block + count, [](qint16 s) { return s > 1000; });
            below = below || std::any_of(block, block + count, [](qint16 s) { return s < -1000; });
            return true;
        }));
    qDebug("helper start and voice opened in %lld ms, text spoken in %lld ms", opened,
           timer.elapsed());
    QCOMPARE(samples, size_t(tokens * int(Hop / speed)));
    QVERIFY(above);
    QVERIFY(below);
}

void TestNeuralWorker::speakerIsHeard_data() {
    QTest::addColumn<QString>("voice");
    QTest::addColumn<QString>("text");
    QTest::newRow("VITS, speaker id to the model") << "tiny-zh"
                                                   << "你好";
    QTest::newRow("Kokoro, speaker's style from voices.bin") << "tiny-kokoro-en"
                                                             << "hello";
}

void TestNeuralWorker::speakerIsHeard() {
    QFETCH(QString, voice);
    QFETCH(QString, text);
    NeuralWorker worker;
    std::vector<qint16> voices[2];
    for (int speaker : {0, 1})
        QVERIFY(worker.synthesise(
            {this->voice(voice), speaker}, text, [&](const qint16* block, size_t count) {
                voices[speaker].insert(voices[speaker].end(), block, block + count);
                return true;
            }));
    QCOMPARE(voices[0].size(), voices[1].size());
    QVERIFY(voices[0] != voices[1]); // the tiny models raise their pitch by speaker
}

void TestNeuralWorker::stopsEarly() {
    NeuralWorker worker;
    const NeuralWorker::Voice voice{this->voice(QStringLiteral("tiny-zh"))};
    int blocks = 0;
    QVERIFY(!worker.synthesise(voice, QStringLiteral("你好。世界。今天。"),
                               [&](const qint16*, size_t) { return ++blocks < 1; }));
    QCOMPARE(blocks, 1);
    // The next text starts a new helper and is whole.
    size_t samples = 0;
    QVERIFY(worker.synthesise(voice, QStringLiteral("你好"), [&](const qint16*, size_t count) {
        samples += count;
        return true;
    }));
    QCOMPARE(samples, size_t(7 * Hop));
}

void TestNeuralWorker::malformedVoice_data() {
    QTest::addColumn<QString>("voice");
    QTest::addColumn<QString>("damage"); // what is done to a copy of the voice's folder
    QTest::addColumn<QString>("reason");
    QTest::newRow("missing tokens.txt") << "tiny-zh"
                                        << "rm tokens.txt"
                                        << "tokens.txt";
    QTest::newRow("truncated model.onnx") << "tiny-zh"
                                          << "truncate model.onnx"
                                          << "model.onnx";
    QTest::newRow("missing lexicon") << "tiny-zh"
                                     << "rm lexicon.txt"
                                     << "lexicon.txt";
    QTest::newRow("Piper voice without espeak-ng's phonemes") << "tiny-piper-en"
                                                              << "rm espeak-ng-data/phondata"
                                                              << "运行库无法载入";
    QTest::newRow("Matcha voice without its vocoder") << "tiny-matcha-zh"
                                                      << "rm hifigan_v2.onnx"
                                                      << "请把声码器（vocos-*.onnx）放在模型旁边";
    QTest::newRow("Kokoro voice without espeak-ng's data") << "tiny-kokoro-en"
                                                           << "rm espeak-ng-data"
                                                           << "espeak-ng-data";
    // The runtime would end its process for want of them.
    QTest::newRow("multilingual Kokoro voice without its lexicons") << "tiny-kokoro-en"
                                                                    << "multilingual model.onnx"
                                                                    << "缺少词典文件";
    // The runtime ends its process on this one.
    QTest::newRow("token lines without ids") << "tiny-zh"
                                             << "garble tokens.txt"
                                             << "退出码";
    QTest::newRow("no folder") << "tiny-zh"
                               << "rm ."
                               << "不存在";
}

void TestNeuralWorker::malformedVoice() {
    QFETCH(QString, voice);
    QFETCH(QString, damage);
    QFETCH(QString, reason);
    QTemporaryDir work;
    const QString folder = work.filePath(QStringLiteral("损坏的声音"));
    QVERIFY(copyFolder(this->voice(voice), folder));
    const QString action = damage.section(QLatin1Char(' '), 0, 0);
    const QString file = QDir(folder).filePath(damage.section(QLatin1Char(' '), 1));
    if (action == QLatin1String("rm"))
        QVERIFY(QFileInfo(file).isDir() ? QDir(file).removeRecursively() : QFile::remove(file));
    else if (action == QLatin1String("truncate"))
        QVERIFY(QFile::resize(file, QFileInfo(file).size() / 2));
    else if (action == QLatin1String("multilingual"))
        QVERIFY(setModelVersion(file, '2'));
    else {
        QFile tokens(file);
        QVERIFY(tokens.open(QIODevice::WriteOnly));
        tokens.write("a b c\nx y\n");
    }

    NeuralWorker worker;
    try {
        worker.open(folder);
        QFAIL("a malformed voice was opened");
    } catch (const AppError& error) {
        QVERIFY2(error.message().startsWith(QStringLiteral("无法使用自然语音“%1”").arg(folder)),
                 qPrintable(error.message()));
        QVERIFY2(error.message().contains(reason), qPrintable(error.message()));
    }
    // The same worker goes on with a sound voice.
    QCOMPARE(worker.open(this->voice(QStringLiteral("tiny-zh"))).sampleRate, 16000);
}

void TestNeuralWorker::missingHelper() {
    NeuralWorker worker(QStringLiteral("/nonexistent/parlora-neural-worker"));
    QVERIFY_THROWS_EXCEPTION(AppError, worker.open(voice(QStringLiteral("tiny-zh"))));
}

QTEST_GUILESS_MAIN(TestNeuralWorker)
#include "tst_neural_worker.moc"
