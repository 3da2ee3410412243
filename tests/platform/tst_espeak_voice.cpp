// The speech engine against the real espeak-ng library.
#include "app/app_error.h"
#include "platform/speech/espeak_voice.h"
#include "platform/speech/wav_file_stream.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>
#include <sndfile.h>

class TestEspeakVoice : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void mandarinFirstThenEnglish();
    void writesSixteenKilohertzMonoWav();
    void fasterRateGivesShorterAudio();
    void normalSpeedIsTheEnginesOwn_data();
    void normalSpeedIsTheEnginesOwn();
    void volumeZeroIsSilent();
    void rateAndVolumeReadBackClamped_data();
    void rateAndVolumeReadBackClamped();
    void cutsOffLongText_data();
    void cutsOffLongText();
    void levelsFollowPlaybackAndPauseHolds();
    void boundariesFollowWordsAsHeard_data();
    void boundariesFollowWordsAsHeard();
    void cutOffSpeechReportsNoBoundaries();
    void unknownVoiceAndUnwritableFileRaise();

private:
    struct Wav {
        int rate = 0;
        int channels = 0;
        int format = 0;
        std::vector<short> samples;
    };
    Wav speakToFile(const QString& text, const QString& voiceId = QStringLiteral("gmw/en"));
    static Wav readWav(const QString& path);
    VoiceToken voiceWithId(const QString& id);

    std::unique_ptr<EspeakVoice> m_voice;
    QTemporaryDir m_dir;
};

namespace {

QString longText() {
    return QStringLiteral("This sentence is spoken again and again to make a long text. ")
        .repeated(2000);
}

double rms(const std::vector<short>& samples) {
    double sum = 0;
    for (short s : samples)
        sum += double(s) * s;
    return samples.empty() ? 0 : std::sqrt(sum / double(samples.size()));
}

} // namespace

void TestEspeakVoice::initTestCase() {
    m_voice = std::make_unique<EspeakVoice>();
    // The engine loads on its own thread; the voice says when its list has come.
    QVERIFY(m_voice->voicesLoading());
    QSignalSpy loaded(m_voice.get(), &SpeechVoice::VoicesLoaded);
    QVERIFY(loaded.wait(10000));
    QVERIFY(!m_voice->voicesLoading());
}

void TestEspeakVoice::cleanupTestCase() {
    m_voice.reset();
}

void TestEspeakVoice::init() {
    m_voice->ReleaseVoice();
    m_voice->setRate(0);
    m_voice->setVolume(100);
}

VoiceToken TestEspeakVoice::voiceWithId(const QString& id) {
    for (const VoiceToken& token : m_voice->GetVoices({}, {})) {
        if (token.id == id)
            return token;
    }
    return {};
}

TestEspeakVoice::Wav TestEspeakVoice::speakToFile(const QString& text, const QString& voiceId) {
    const QString path = m_dir.filePath(QStringLiteral("out.wav"));
    WavFileStream stream(EspeakVoice::SampleRate);
    stream.setFormatType(SpeechFileStream::Format16kHz16BitMono);
    stream.Open(path, SpeechFileStream::CreateForWrite, false);
    m_voice->ReleaseVoice();
    m_voice->setVoice(voiceWithId(voiceId));
    m_voice->setAllowAudioOutputFormatChangesOnNextSet(false);
    m_voice->setAudioOutputStream(&stream);
    m_voice->Speak(text, SpeechVoice::SpeakAsync);
    if (!m_voice->WaitUntilDone(-1))
        return {};
    stream.Close();
    m_voice->setAudioOutputToDevice();
    return readWav(path);
}

TestEspeakVoice::Wav TestEspeakVoice::readWav(const QString& path) {
    SF_INFO info{};
    SNDFILE* file = sf_open(path.toLocal8Bit().constData(), SFM_READ, &info);
    if (!file)
        return {};
    Wav wav{info.samplerate, info.channels, info.format, std::vector<short>(size_t(info.frames))};
    sf_read_short(file, wav.samples.data(), info.frames);
    sf_close(file);
    return wav;
}

void TestEspeakVoice::mandarinFirstThenEnglish() {
    const QList<VoiceToken> voices = m_voice->GetVoices({}, {});
    QVERIFY(voices.size() > 10);
    QCOMPARE(voices.first().id, QStringLiteral("sit/cmn"));
    QVERIFY(voices.first().description.startsWith(QStringLiteral("Chinese (Mandarin")));
    qsizetype firstEnglish = -1;
    for (qsizetype i = 0; i < voices.size(); ++i) {
        if (voices[i].id.startsWith(QStringLiteral("gmw/en"))) {
            firstEnglish = i;
            break;
        }
    }
    QVERIFY(firstEnglish > 0);
    for (qsizetype i = 0; i < firstEnglish; ++i)
        QVERIFY2(voices[i].id.contains(QStringLiteral("cmn")), qPrintable(voices[i].id));
    for (const VoiceToken& token : voices)
        QVERIFY2(!token.description.contains(u'_'), qPrintable(token.description));
    QCOMPARE(m_voice->GetVoices({}, {}), voices);
}

void TestEspeakVoice::writesSixteenKilohertzMonoWav() {
    const Wav shortWav = speakToFile(QStringLiteral("Hello."));
    const Wav longWav = speakToFile(QStringLiteral("Hello. This text is a good deal longer."));
    QCOMPARE(shortWav.rate, 16000);
    QCOMPARE(shortWav.channels, 1);
    QCOMPARE(shortWav.format, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    QVERIFY(shortWav.samples.size() > 4000);
    QVERIFY(longWav.samples.size() > 2 * shortWav.samples.size());
    QVERIFY(rms(longWav.samples) > 500);
    const Wav chinese = speakToFile(QStringLiteral("你好，世界。"), QStringLiteral("sit/cmn"));
    QVERIFY(chinese.samples.size() > 8000);
}

void TestEspeakVoice::fasterRateGivesShorterAudio() {
    const QString text = QStringLiteral("The quick brown fox jumps over the lazy dog.");
    m_voice->setRate(-10);
    const size_t slow = speakToFile(text).samples.size();
    m_voice->setRate(0);
    const size_t normal = speakToFile(text).samples.size();
    m_voice->setRate(10);
    const size_t fast = speakToFile(text).samples.size();
    QVERIFY2(slow > normal * 2 && normal > fast * 2,
             qPrintable(QStringLiteral("%1 %2 %3").arg(slow).arg(normal).arg(fast)));
}

void TestEspeakVoice::normalSpeedIsTheEnginesOwn_data() {
    QTest::addColumn<QString>("voiceId");
    QTest::addColumn<QString>("engineVoice"); // the engine's own voice that reads it right
    QTest::addColumn<QString>("text");
    QTest::newRow("English") << QStringLiteral("gmw/en") << QStringLiteral("gmw/en")
                             << QStringLiteral("The reader speaks every line of this text aloud.");
    QTest::newRow("Mandarin") << QStringLiteral("sit/cmn") << QStringLiteral("sit/cmn-Latn-pinyin")
                              << QStringLiteral(
                                     "朗读器把这段文字的每一行依次读出来，一句接着一句。");
}

// Rate 0 speaks as long as the engine's own program does at its default speed (which adds some
// silence at the end). The engine's own Mandarin voice says each character as letters and a
// tone number, so Mandarin is held against its pinyin voice reading the same characters.
void TestEspeakVoice::normalSpeedIsTheEnginesOwn() {
    QFETCH(QString, voiceId);
    QFETCH(QString, engineVoice);
    QFETCH(QString, text);
    const QString reference = m_dir.filePath(QStringLiteral("reference.wav"));
    QCOMPARE(
        QProcess::execute(QStringLiteral("espeak-ng"), {QStringLiteral("-v"), engineVoice,
                                                        QStringLiteral("-w"), reference, text}),
        0);
    const Wav theirs = readWav(reference);
    const Wav ours = speakToFile(text, voiceId);
    const double theirSeconds = double(theirs.samples.size()) / theirs.rate;
    const double ourSeconds = double(ours.samples.size()) / ours.rate;
    QVERIFY2(qAbs(ourSeconds - theirSeconds) < 0.1 * theirSeconds + 0.5,
             qPrintable(
                 QStringLiteral("%1 s, the engine's own %2 s").arg(ourSeconds).arg(theirSeconds)));
}

void TestEspeakVoice::volumeZeroIsSilent() {
    m_voice->setVolume(0);
    const Wav wav = speakToFile(QStringLiteral("Nothing to hear."));
    QVERIFY(wav.samples.size() > 4000);
    QCOMPARE(rms(wav.samples), 0.0);
    m_voice->setVolume(50);
    const double half = rms(speakToFile(QStringLiteral("Half loud.")).samples);
    m_voice->setVolume(100);
    const double full = rms(speakToFile(QStringLiteral("Half loud.")).samples);
    QVERIFY(half > full * 0.4 && half < full * 0.6);
}

void TestEspeakVoice::rateAndVolumeReadBackClamped_data() {
    QTest::addColumn<int>("rate");
    QTest::addColumn<int>("readRate");
    QTest::addColumn<int>("volume");
    QTest::addColumn<int>("readVolume");
    QTest::newRow("in range") << -3 << -3 << 55 << 55;
    QTest::newRow("above") << 11 << 10 << 101 << 100;
    QTest::newRow("below") << -40 << -10 << -1 << 0;
}

void TestEspeakVoice::rateAndVolumeReadBackClamped() {
    QFETCH(int, rate);
    QFETCH(int, readRate);
    QFETCH(int, volume);
    QFETCH(int, readVolume);
    m_voice->setRate(rate);
    m_voice->setVolume(volume);
    QCOMPARE(m_voice->Rate(), readRate);
    QCOMPARE(m_voice->Volume(), readVolume);
    m_voice->ReleaseVoice(); // kept for the next reading
    QCOMPARE(m_voice->Rate(), readRate);
}

void TestEspeakVoice::cutsOffLongText_data() {
    QTest::addColumn<bool>("release");
    QTest::newRow("skip") << false;
    QTest::newRow("release") << true;
}

void TestEspeakVoice::cutsOffLongText() {
    QFETCH(bool, release);
    QSignalSpy levels(m_voice.get(), &SpeechVoice::AudioLevel);
    QElapsedTimer clock;
    clock.start();
    m_voice->Speak(longText(), SpeechVoice::SpeakAsync);
    m_voice->Speak(longText(), SpeechVoice::SpeakAsync); // queued behind
    QVERIFY(clock.elapsed() < 100);
    QTRY_VERIFY(!levels.isEmpty());
    if (release)
        m_voice->ReleaseVoice();
    else
        m_voice->Skip(QStringLiteral("Sentence"), 2147483647);
    QVERIFY(m_voice->WaitUntilDone(1000));
    // Speaking works again afterwards.
    levels.clear();
    m_voice->Speak(QStringLiteral("Again."), SpeechVoice::SpeakAsync);
    QTRY_VERIFY(!levels.isEmpty());
    QVERIFY(m_voice->WaitUntilDone(5000));
}

void TestEspeakVoice::levelsFollowPlaybackAndPauseHolds() {
    QTest::qWait(200); // levels of earlier speech still on their way
    QSignalSpy levels(m_voice.get(), &SpeechVoice::AudioLevel);
    m_voice->Speak(longText(), SpeechVoice::SpeakAsync);
    QTest::qWait(1000);
    const qsizetype inOneSecond = levels.size();
    // About 20 a second, following what is heard rather than what was synthesised.
    QVERIFY2(inOneSecond >= 12 && inOneSecond <= 26, qPrintable(QString::number(inOneSecond)));
    int loudest = 0;
    for (const QList<QVariant>& event : levels)
        loudest = std::max(loudest, event.at(2).toInt());
    QVERIFY2(loudest >= 3 && loudest <= 15, qPrintable(QString::number(loudest)));

    m_voice->Pause();
    QTest::qWait(300); // what the device already held drains
    const qint64 heldAt = levels.last().at(1).toLongLong();
    const qsizetype heldCount = levels.size();
    QTest::qWait(500);
    QCOMPARE(levels.size(), heldCount);
    QVERIFY(!m_voice->WaitUntilDone(100));

    m_voice->Resume();
    QTRY_VERIFY(levels.size() > heldCount);
    QVERIFY(levels.at(heldCount).at(1).toLongLong() > heldAt);
    QVERIFY(levels.at(heldCount).at(1).toLongLong() - heldAt < 22050 * 2 / 5);
    m_voice->ReleaseVoice();
}

void TestEspeakVoice::boundariesFollowWordsAsHeard_data() {
    QTest::addColumn<QString>("voiceId");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("words");
    QTest::addColumn<QList<int>>("sentences");
    // Accented letters, a character outside the BMP and a CR LF break shift what follows.
    QTest::newRow("English") << QStringLiteral("gmw/en")
                             << QStringLiteral("Hello world. Café naïve test.\r\nOne 𠀀 two.")
                             << QStringList{"Hello", "world", "Café", "naïve",
                                            "test",  "One",   "𠀀",   "two"}
                             << QList<int>{0, 13, 31};
    // The engine takes each Mandarin character as a word.
    QTest::newRow("Chinese")
        << QStringLiteral("sit/cmn") << QStringLiteral("你好世界。\r\n我们今天去学校吧。")
        << QStringLiteral("你好世界我们今天去学校吧").split(QString(), Qt::SkipEmptyParts)
        << QList<int>{0, 7};
}

void TestEspeakVoice::boundariesFollowWordsAsHeard() {
    QFETCH(QString, voiceId);
    QFETCH(QString, text);
    QFETCH(QStringList, words);
    QFETCH(QList<int>, sentences);
    QTest::qWait(200); // events of earlier speech still on their way
    QSignalSpy boundaries(m_voice.get(), &SpeechVoice::Boundary);
    QList<qint64> heardAt;
    QElapsedTimer clock;
    clock.start();
    QObject listener;
    connect(m_voice.get(), &SpeechVoice::Boundary, &listener, [&] { heardAt << clock.elapsed(); });
    m_voice->setVoice(voiceWithId(voiceId));
    m_voice->setRate(5);
    m_voice->Speak(text, SpeechVoice::SpeakAsync);
    QTRY_VERIFY_WITH_TIMEOUT(!boundaries.isEmpty() &&
                                 boundaries.last().at(2).value<SpeechBoundary>() ==
                                     SpeechBoundary::End,
                             10000);

    QStringList heardWords;
    QList<int> heardSentences;
    qint64 lastPosition = -1;
    qint64 firstWordPosition = -1;
    qint64 firstWordAt = 0;
    for (qsizetype i = 0; i < boundaries.size(); ++i) {
        const QList<QVariant>& event = boundaries.at(i);
        const qint64 streamPosition = event.at(1).toLongLong();
        const auto kind = event.at(2).value<SpeechBoundary>();
        const int position = event.at(3).toInt();
        QVERIFY(streamPosition >= lastPosition);
        lastPosition = streamPosition;
        if (kind == SpeechBoundary::Sentence)
            heardSentences << position;
        if (kind != SpeechBoundary::Word)
            continue;
        heardWords << text.mid(position, event.at(4).toInt());
        if (firstWordPosition < 0) {
            firstWordPosition = streamPosition;
            firstWordAt = heardAt.at(i);
        }
        // Reported as the audio is heard: never ahead of the sound since the first word.
        const qint64 audioMs = (streamPosition - firstWordPosition) * 1000 / (2 * 22050);
        QVERIFY2(heardAt.at(i) - firstWordAt >= audioMs - 100,
                 qPrintable(QStringLiteral("%1 ms for %2 ms of audio")
                                .arg(heardAt.at(i) - firstWordAt)
                                .arg(audioMs)));
    }
    QCOMPARE(heardWords, words);
    QCOMPARE(heardSentences, sentences);
    QCOMPARE(boundaries.last().at(3).toInt(), int(text.size()));
}

void TestEspeakVoice::cutOffSpeechReportsNoBoundaries() {
    QSignalSpy boundaries(m_voice.get(), &SpeechVoice::Boundary);
    m_voice->Speak(longText(), SpeechVoice::SpeakAsync);
    QTRY_VERIFY(!boundaries.isEmpty());
    m_voice->ReleaseVoice();
    const qsizetype atRelease = boundaries.size();
    QTest::qWait(300);
    QCOMPARE(boundaries.size(), atRelease);
}

void TestEspeakVoice::unknownVoiceAndUnwritableFileRaise() {
    QVERIFY_THROWS_EXCEPTION(AppError, m_voice->setVoice({QStringLiteral("no/such"), {}}));
    WavFileStream stream(EspeakVoice::SampleRate);
    QVERIFY_THROWS_EXCEPTION(
        AppError, stream.Open(m_dir.filePath(QStringLiteral("missing/out.wav")), 3, false));
}

QTEST_GUILESS_MAIN(TestEspeakVoice)
#include "tst_espeak_voice.moc"
