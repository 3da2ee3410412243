// The speech voice over the natural voices, with the tiny voices of make_tiny_voices.py installed
// in a temporary data folder beside two broken ones. How texts are cut into pieces and
// syllables is checked without the runtime; everything else needs it.
#include "app/app_error.h"
#include "platform/speech/neural_speech_text.h"
#include "platform/speech/neural_voice.h"
#include "platform/speech/neural_voice_folder.h"
#include "platform/speech/neural_worker.h"
#include "platform/speech/wav_file_stream.h"
#include "tiny_voices.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>
#include <algorithm>
#include <cmath>
#include <sndfile.h>

Q_DECLARE_METATYPE(std::vector<SpeechPiece>)

namespace {

const QString TinyZh = QStringLiteral("tiny-zh");
const QString Broken = QStringLiteral("损坏的声音");  // tiny-zh without tokens.txt
const QString Garbage = QStringLiteral("乱码模型");   // a model file that is no model
const QString NoModel = QStringLiteral("空的文件夹"); // nothing in it

struct Heard {
    SpeechBoundary kind;
    qint64 streamPosition;
    int position;
    int length;
};

QList<Heard> heard(const QSignalSpy& spy) {
    QList<Heard> events;
    for (const QList<QVariant>& event : spy)
        events << Heard{event.at(2).value<SpeechBoundary>(), event.at(1).toLongLong(),
                        event.at(3).toInt(), event.at(4).toInt()};
    return events;
}

bool endedIn(const QSignalSpy& spy) {
    return !spy.isEmpty() && spy.last().at(2).value<SpeechBoundary>() == SpeechBoundary::End;
}

std::vector<qint16> readWav(const QString& path, int& rate) {
    SF_INFO info{};
    SNDFILE* file = sf_open(QFile::encodeName(path).constData(), SFM_READ, &info);
    if (!file)
        return {};
    std::vector<qint16> samples(size_t(info.frames));
    sf_read_short(file, samples.data(), info.frames);
    sf_close(file);
    rate = info.samplerate;
    return samples;
}

} // namespace

class TestNeuralVoice : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void pieces_data();
    void pieces();
    void syllables_data();
    void syllables();
    void listsVoiceFolders_data();
    void listsVoiceFolders();
    void vocoderIsNoModel();
    void speaksWithTheChosenSpeaker();
    void boundariesInWrittenText_data();
    void boundariesInWrittenText();
    void pauseThenResume();
    void cutOff_data();
    void cutOff();
    void writesFileAtItsRate_data();
    void writesFileAtItsRate();
    void brokenVoiceIsReported_data();
    void brokenVoiceIsReported();

private:
    VoiceToken token(const QString& name) const;
    QString voices() const { return m_data.filePath(QStringLiteral("parlora/voices")); }

    QTemporaryDir m_data;
    bool m_runtime = false;
    std::unique_ptr<NeuralVoice> m_voice;
};

VoiceToken TestNeuralVoice::token(const QString& name) const {
    for (const VoiceToken& voice : installedNeuralVoices()) {
        // A folder's name stands for its first speaker.
        if (voice.description == name || voice.description == name + QStringLiteral("/0"))
            return voice;
    }
    return {};
}

void TestNeuralVoice::initTestCase() {
    qputenv("XDG_DATA_HOME", QFile::encodeName(m_data.path()));
    m_runtime = naturalRuntimeFetched();
    if (!m_runtime)
        return;
    const QString failure = makeTinyVoices(voices());
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
    const QDir root(voices());
    QVERIFY(copyFolder(root.filePath(TinyZh), root.filePath(Broken)));
    QVERIFY(QFile::remove(root.filePath(Broken + QStringLiteral("/tokens.txt"))));
    QVERIFY(copyFolder(root.filePath(TinyZh), root.filePath(Garbage)));
    QFile model(root.filePath(Garbage + QStringLiteral("/model.onnx")));
    QVERIFY(model.open(QIODevice::WriteOnly | QIODevice::Truncate));
    model.write("\x72\xff\xff\xff\xff\x0f not a model");
    model.close();
    QVERIFY(root.mkpath(NoModel));
    m_voice = std::make_unique<NeuralVoice>();
}

void TestNeuralVoice::init() {
    static const QList<QByteArray> withoutRuntime{"pieces", "syllables"};
    if (!m_runtime && !withoutRuntime.contains(QTest::currentTestFunction()))
        QSKIP("The natural voices' runtime was not fetched (scripts/install-deps): no natural "
              "voice to test");
    if (m_voice) {
        m_voice->ReleaseVoice();
        m_voice->setRate(0);
        m_voice->setVolume(100);
    }
}

void TestNeuralVoice::pieces_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<std::vector<SpeechPiece>>("pieces");
    QTest::newRow("two sentences")
        << QStringLiteral("你好。世界。") << std::vector<SpeechPiece>{{0, 3, true}, {3, 6, true}};
    QTest::newRow("blanks between sentences stay out")
        << QStringLiteral("  Hello world.  Second one. ")
        << std::vector<SpeechPiece>{{2, 14, true}, {16, 27, true}};
    QTest::newRow("a short first sentence is whole")
        << QStringLiteral("你好，世界。") << std::vector<SpeechPiece>{{0, 6, true}};
    // 22 units: the first clause comes first, the rest of the sentence without a sentence mark.
    QTest::newRow("a long first sentence starts with its first clause")
        << QStringLiteral("今天天气很好，我们一起去公园散步吧，好不好？")
        << std::vector<SpeechPiece>{{0, 7, true}, {7, 22, false}};
    QTest::newRow("a clause too short to stand alone")
        << QStringLiteral("好，今天天气很好我们一起去公园散步吧。")
        << std::vector<SpeechPiece>{{0, 19, true}};
    QTest::newRow("only the first sentence is cut")
        << QStringLiteral("你好。今天天气很好，我们一起去公园散步吧，好不好？")
        << std::vector<SpeechPiece>{{0, 3, true}, {3, 25, true}};
    QTest::newRow("a time's colon is no clause")
        << QStringLiteral("The meeting starts at 10:30 and lasts long.")
        << std::vector<SpeechPiece>{{0, 43, true}};
    QTest::newRow("an English clause, the blank after it left out")
        << QStringLiteral("When the meeting starts, everyone listens.")
        << std::vector<SpeechPiece>{{0, 24, true}, {25, 42, false}};
    QTest::newRow("a very long sentence in pieces")
        << QString(300, u'字') + u'。'
        << std::vector<SpeechPiece>{{0, 120, true}, {120, 240, false}, {240, 301, false}};
}

void TestNeuralVoice::pieces() {
    QFETCH(QString, text);
    QFETCH(std::vector<SpeechPiece>, pieces);
    // As text, so that a difference shows.
    const auto shown = [](const std::vector<SpeechPiece>& list) {
        QStringList pieces;
        for (const SpeechPiece& piece : list)
            pieces << QStringLiteral("%1-%2%3")
                          .arg(piece.start)
                          .arg(piece.end)
                          .arg(piece.sentenceStart ? QStringLiteral(" sentence") : QString());
        return pieces;
    };
    QCOMPARE(shown(speechPieces(text)), shown(pieces));
}

void TestNeuralVoice::syllables_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("syllables");
    QTest::newRow("characters, a word and a number")
        << QStringLiteral("你好world, 2024年。") << QStringList{"你", "好", "world", "2024", "年"};
    QTest::newRow("an apostrophe inside a word")
        << QStringLiteral("don't stop 'now'") << QStringList{"don't", "stop", "now"};
    QTest::newRow("a character outside the BMP")
        << QStringLiteral("𠀀字") << QStringList{QStringLiteral("𠀀"), QStringLiteral("字")};
    QTest::newRow("kana and hangul one by one")
        << QStringLiteral("かな한국") << QStringList{"か", "な", "한", "국"};
    QTest::newRow("nothing to say") << QStringLiteral("，。 !") << QStringList{};
}

void TestNeuralVoice::syllables() {
    QFETCH(QString, text);
    QFETCH(QStringList, syllables);
    QStringList got;
    for (const TextSpan& span : syllableSpans(text))
        got << text.sliced(span.start, span.end - span.start);
    QCOMPARE(got, syllables);
}

void TestNeuralVoice::listsVoiceFolders_data() {
    QTest::addColumn<QString>("id"); // after "neural:"
    QTest::addColumn<QString>("description");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<int>("speaker");
    QTest::addColumn<QString>("language");
    QTest::newRow("Chinese lexicon voice, first of two speakers")
        << TinyZh << "tiny-zh/0" << TinyZh << 0 << "zh";
    QTest::newRow("Chinese lexicon voice, second speaker") << "tiny-zh/1"
                                                           << "tiny-zh/1" << TinyZh << 1 << "zh";
    QTest::newRow("Chinese and English voice") << "tiny-melo-zh_en"
                                               << "tiny-melo-zh_en"
                                               << "tiny-melo-zh_en" << 0 << "zh";
    QTest::newRow("espeak-ng's voice named in the model") << "tiny-piper-en"
                                                          << "tiny-piper-en"
                                                          << "tiny-piper-en" << 0 << "en-us";
    QTest::newRow("Matcha voice, the vocoder beside it no second model")
        << "tiny-matcha-zh"
        << "tiny-matcha-zh"
        << "tiny-matcha-zh" << 0 << "zh";
    QTest::newRow("Kokoro voice, first of two speakers") << "tiny-kokoro-en"
                                                         << "tiny-kokoro-en/0"
                                                         << "tiny-kokoro-en" << 0 << "en-us";
    QTest::newRow("Kokoro voice, second speaker") << "tiny-kokoro-en/1"
                                                  << "tiny-kokoro-en/1"
                                                  << "tiny-kokoro-en" << 1 << "en-us";
    QTest::newRow("a model file that is no model") << Garbage << Garbage << Garbage << 0 << "zh";
    QTest::newRow("no model") << NoModel << NoModel << NoModel << 0 << "zh";
}

void TestNeuralVoice::listsVoiceFolders() {
    QFETCH(QString, id);
    QFETCH(QString, description);
    QFETCH(QString, folder);
    QFETCH(int, speaker);
    QFETCH(QString, language);
    const QList<VoiceToken> listed = m_voice->GetVoices({}, {});
    QCOMPARE(listed.size(), 11); // the broken copy of tiny-zh has two speakers as well
    const VoiceToken expected{QStringLiteral("neural:") + id, description, language};
    QVERIFY2(listed.contains(expected), qPrintable(id));
    QCOMPARE(neuralVoiceFolder(expected.id), voices() + u'/' + folder);
    QCOMPARE(neuralVoiceSpeaker(expected.id), speaker);
}

void TestNeuralVoice::vocoderIsNoModel() {
    const QDir matcha(voices() + QStringLiteral("/tiny-matcha-zh"));
    QCOMPARE(neuralModelFiles(matcha),
             QStringList{matcha.filePath(QStringLiteral("model-steps-3.onnx"))});
    QCOMPARE(neuralVocoderFiles(matcha),
             QStringList{matcha.filePath(QStringLiteral("hifigan_v2.onnx"))});
    // The releases' other vocoders, whatever the case of their names.
    QTemporaryDir work;
    const QDir folder(work.path());
    QVERIFY(QFile::copy(matcha.filePath(QStringLiteral("model-steps-3.onnx")),
                        folder.filePath(QStringLiteral("acoustic.onnx"))));
    for (const QString& name :
         {QStringLiteral("vocos-22khz-univ.onnx"), QStringLiteral("HiFiGAN_v1.onnx")})
        QVERIFY(
            QFile::copy(matcha.filePath(QStringLiteral("hifigan_v2.onnx")), folder.filePath(name)));
    QCOMPARE(neuralModelFiles(folder),
             QStringList{folder.filePath(QStringLiteral("acoustic.onnx"))});
    QCOMPARE(neuralVocoderFiles(folder),
             (QStringList{folder.filePath(QStringLiteral("HiFiGAN_v1.onnx")),
                          folder.filePath(QStringLiteral("vocos-22khz-univ.onnx"))}));
}

void TestNeuralVoice::speaksWithTheChosenSpeaker() {
    QTemporaryDir dir;
    QList<std::vector<qint16>> heard;
    for (const QString& description : {QStringLiteral("tiny-zh/0"), QStringLiteral("tiny-zh/1")}) {
        const QString path = dir.filePath(description.section(u'/', 1) + QStringLiteral(".wav"));
        WavFileStream stream(16000);
        stream.setFormatType(SpeechFileStream::Format16kHz16BitMono);
        stream.Open(path, SpeechFileStream::CreateForWrite, false);
        m_voice->setVoice(token(description));
        m_voice->setAudioOutputStream(&stream);
        m_voice->Speak(QStringLiteral("你好。"), SpeechVoice::SpeakAsync);
        QVERIFY(m_voice->WaitUntilDone(5000));
        stream.Close();
        m_voice->setAudioOutputToDevice();
        int rate = 0;
        heard << readWav(path, rate);
        QVERIFY(!heard.last().empty());
    }
    // The tiny model raises its pitch by speaker: the same length, other samples.
    QCOMPARE(heard[0].size(), heard[1].size());
    QVERIFY(heard[0] != heard[1]);
}

void TestNeuralVoice::boundariesInWrittenText_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QList<int>>("sentences");
    QTest::addColumn<QStringList>("words");
    QTest::newRow("two sentences") << QStringLiteral("你好世界。\n今天很好。") << QList<int>{0, 6}
                                   << QStringList{"你", "好", "世", "界", "今", "天", "很", "好"};
    // Said as 二零二四年: the four syllables of the number are one word of the written text.
    QTest::newRow("a year") << QStringLiteral("你好，2024年。今天很好。") << QList<int>{0, 9}
                            << QStringList{"你", "好", "2024", "年", "今", "天", "很", "好"};
    // The long first sentence goes in two pieces, which are still one sentence.
    QTest::newRow("a long first sentence")
        << QStringLiteral("你好世界今天，中文朗读很好很好很好。好。") << QList<int>{0, 18}
        << QStringLiteral("你好世界今天中文朗读很好很好很好好")
               .split(QString(), Qt::SkipEmptyParts);
}

void TestNeuralVoice::boundariesInWrittenText() {
    QFETCH(QString, text);
    QFETCH(QList<int>, sentences);
    QFETCH(QStringList, words);
    m_voice->setVoice(token(TinyZh));
    QSignalSpy boundaries(m_voice.get(), &SpeechVoice::Boundary);
    QSignalSpy levels(m_voice.get(), &SpeechVoice::AudioLevel);
    qint64 firstHeard = -1;
    QElapsedTimer clock;
    QObject listener;
    connect(m_voice.get(), &SpeechVoice::Boundary, &listener, [&] {
        if (firstHeard < 0)
            firstHeard = clock.elapsed();
    });
    clock.start();
    m_voice->Speak(text, SpeechVoice::SpeakAsync);
    QVERIFY(clock.elapsed() < 50); // returns at once
    QTRY_VERIFY_WITH_TIMEOUT(endedIn(boundaries), 5000);
    qDebug("first boundary %lld ms after Speak", firstHeard);

    QList<int> heardSentences;
    QStringList heardWords;
    int sentence = -1;
    int lastWord = -1;
    qint64 lastStream = -1;
    const QList<Heard> events = heard(boundaries);
    for (const Heard& event : events.first(events.size() - 1)) {
        QVERIFY(event.streamPosition >= lastStream);
        lastStream = event.streamPosition;
        if (event.kind == SpeechBoundary::Sentence) {
            heardSentences << event.position;
            sentence = event.position;
            continue;
        }
        QCOMPARE(event.kind, SpeechBoundary::Word);
        QVERIFY2(event.position > lastWord && event.position >= sentence,
                 qPrintable(QString::number(event.position)));
        lastWord = event.position;
        heardWords << text.mid(event.position, event.length);
    }
    QCOMPARE(heardSentences, sentences);
    QCOMPARE(heardWords, words);
    QCOMPARE(events.last().position, int(text.size()));
    QVERIFY(!levels.isEmpty());
    QVERIFY(m_voice->WaitUntilDone(2000));
}

void TestNeuralVoice::pauseThenResume() {
    m_voice->setVoice(token(TinyZh));
    QSignalSpy boundaries(m_voice.get(), &SpeechVoice::Boundary);
    QSignalSpy levels(m_voice.get(), &SpeechVoice::AudioLevel);
    // About a second: 10 ms a sound of the tiny voice.
    m_voice->Speak(QStringLiteral("你好世界今天很好。").repeated(6), SpeechVoice::SpeakAsync);
    QTRY_VERIFY(boundaries.size() >= 3);
    m_voice->Pause();
    QTest::qWait(200); // what the device already held is heard
    const qsizetype held = boundaries.size();
    QTest::qWait(300);
    QCOMPARE(boundaries.size(), held);
    QVERIFY(!endedIn(boundaries));
    QVERIFY(!m_voice->WaitUntilDone(50));
    m_voice->Resume();
    QTRY_VERIFY_WITH_TIMEOUT(endedIn(boundaries), 5000);
    // Every sentence was heard, none twice.
    int sentences = 0;
    for (const Heard& event : heard(boundaries))
        sentences += event.kind == SpeechBoundary::Sentence;
    QCOMPARE(sentences, 6);
    // A level for every 50 ms heard.
    QVERIFY(m_voice->WaitUntilDone(1000));
    const double heardMs = boundaries.last().at(1).toLongLong() / 2.0 / 22050 * 1000;
    QVERIFY2(std::abs(double(levels.size()) - heardMs / 50) <= 2,
             qPrintable(QStringLiteral("%1 levels in %2 ms").arg(levels.size()).arg(heardMs)));
}

void TestNeuralVoice::cutOff_data() {
    QTest::addColumn<bool>("release");
    QTest::newRow("skip") << false;
    QTest::newRow("release") << true;
}

void TestNeuralVoice::cutOff() {
    QFETCH(bool, release);
    m_voice->setVoice(token(TinyZh));
    QSignalSpy boundaries(m_voice.get(), &SpeechVoice::Boundary);
    const QString text = QStringLiteral("你好世界今天很好。").repeated(40);
    m_voice->Speak(text, SpeechVoice::SpeakAsync);
    m_voice->Speak(text, SpeechVoice::SpeakAsync); // queued behind
    QTRY_VERIFY(!boundaries.isEmpty());
    if (release)
        m_voice->ReleaseVoice();
    else
        m_voice->Skip(QStringLiteral("Sentence"), 2147483647);
    const qsizetype atCut = boundaries.size();
    QVERIFY(m_voice->WaitUntilDone(1000));
    QTest::qWait(300);
    QCOMPARE(boundaries.size(), atCut);
    // Speaking works again afterwards.
    m_voice->Speak(QStringLiteral("你好。"), SpeechVoice::SpeakAsync);
    QTRY_VERIFY_WITH_TIMEOUT(endedIn(boundaries), 3000);
    QCOMPARE(boundaries.at(atCut).at(2).value<SpeechBoundary>(), SpeechBoundary::Sentence);
    QCOMPARE(boundaries.at(atCut).at(3).toInt(), 0);
}

void TestNeuralVoice::writesFileAtItsRate_data() {
    QTest::addColumn<QString>("voice");
    QTest::addColumn<int>("rate");
    QTest::addColumn<int>("volume");
    QTest::addColumn<double>("speed"); // the runtime's
    QTest::newRow("16 kHz voice") << TinyZh << 0 << 100 << 1.0;
    QTest::newRow("22.05 kHz voice, resampled") << "tiny-melo-zh_en" << 0 << 100 << 1.0;
    QTest::newRow("fastest, twice as fast") << TinyZh << 10 << 100 << 2.0;
    QTest::newRow("slowest, half as fast") << TinyZh << -10 << 100 << 0.5;
    QTest::newRow("silent") << TinyZh << 0 << 0 << 1.0;
}

void TestNeuralVoice::writesFileAtItsRate() {
    QFETCH(QString, voice);
    QFETCH(int, rate);
    QFETCH(int, volume);
    QFETCH(double, speed);
    const QString text = QStringLiteral("你好世界。今天很好。");
    const QString folder = neuralVoiceFolder(token(voice).id);
    // What the helper makes of the same pieces.
    NeuralWorker worker;
    const int voiceRate = worker.open(folder).sampleRate;
    size_t made = 0;
    for (const SpeechPiece& piece : speechPieces(text))
        QVERIFY(worker.synthesise({folder, 0, speed},
                                  text.sliced(piece.start, piece.end - piece.start),
                                  [&](const qint16*, size_t count) {
                                      made += count;
                                      return true;
                                  }));
    QVERIFY(made > 0);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("out.wav"));
    WavFileStream stream(22050);
    stream.setFormatType(SpeechFileStream::Format16kHz16BitMono);
    stream.Open(path, SpeechFileStream::CreateForWrite, false);
    m_voice->setVoice(token(voice));
    m_voice->setRate(rate);
    m_voice->setVolume(volume);
    m_voice->setAudioOutputStream(&stream);
    QSignalSpy boundaries(m_voice.get(), &SpeechVoice::Boundary);
    m_voice->Speak(text, SpeechVoice::SpeakAsync);
    QVERIFY(m_voice->WaitUntilDone(5000));
    stream.Close();
    m_voice->setAudioOutputToDevice();
    QTest::qWait(100);
    QVERIFY(boundaries.isEmpty());

    int fileRate = 0;
    const std::vector<qint16> samples = readWav(path, fileRate);
    QCOMPARE(fileRate, 16000);
    const double expected = double(made) * fileRate / voiceRate;
    QVERIFY2(
        std::abs(double(samples.size()) - expected) <= expected * 0.002 + 2,
        qPrintable(QStringLiteral("%1 samples, expected %2").arg(samples.size()).arg(expected)));
    const bool silent =
        std::all_of(samples.begin(), samples.end(), [](qint16 s) { return s == 0; });
    QCOMPARE(silent, volume == 0);
}

void TestNeuralVoice::brokenVoiceIsReported_data() {
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("reason");
    QTest::newRow("missing tokens.txt") << Broken << "tokens.txt";
    QTest::newRow("a model file that is no model") << Garbage << "";
    QTest::newRow("no model") << NoModel << ".onnx";
}

void TestNeuralVoice::brokenVoiceIsReported() {
    QFETCH(QString, folder);
    QFETCH(QString, reason);
    m_voice->setVoice(token(folder));
    QSignalSpy failed(m_voice.get(), &NeuralVoice::SpeakFailed);
    QSignalSpy boundaries(m_voice.get(), &SpeechVoice::Boundary);
    m_voice->Speak(QStringLiteral("你好。"), SpeechVoice::SpeakAsync);
    m_voice->Speak(QStringLiteral("世界。"), SpeechVoice::SpeakAsync); // dropped
    try {
        m_voice->WaitUntilDone(10000);
        QFAIL("the broken voice spoke");
    } catch (const AppError& error) {
        QVERIFY2(error.message().contains(folder), qPrintable(error.message()));
        QVERIFY2(error.message().contains(reason), qPrintable(error.message()));
    }
    QTRY_COMPARE(failed.size(), 1);
    QVERIFY(failed.first().first().toString().contains(folder));
    QVERIFY(m_voice->WaitUntilDone(100)); // raised once
    QTest::qWait(100);
    QVERIFY(boundaries.isEmpty());
    QCOMPARE(failed.size(), 1);

    // The voice goes on with a sound voice.
    m_voice->setVoice(token(TinyZh));
    m_voice->Speak(QStringLiteral("你好。"), SpeechVoice::SpeakAsync);
    QTRY_VERIFY_WITH_TIMEOUT(endedIn(boundaries), 3000);
}

QTEST_GUILESS_MAIN(TestNeuralVoice)
#include "tst_neural_voice.moc"
