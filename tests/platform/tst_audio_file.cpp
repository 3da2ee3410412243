// Sound files give back, decoded, the samples written into them: as many, and where they were.
#include "app/app_error.h"
#include "platform/speech/audio_file.h"
#include "platform/speech/speech_voice.h"

#include <QTemporaryDir>
#include <QtTest>
#include <cmath>
#include <sndfile.h>

class TestAudioFile : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void decodedAsWritten_data();
    void decodedAsWritten();
    void failuresAreReported_data();
    void failuresAreReported();
};

namespace {
constexpr int Rate = 22050;

// One second of silence, then a half-second tone of 440 Hz, then silence again: about what a
// sentence between two pauses is to the encoder.
std::vector<qint16> toneBurst() {
    std::vector<qint16> samples(size_t(Rate) * 2, 0);
    for (int at = Rate; at < Rate * 3 / 2; ++at)
        samples[size_t(at)] = qint16(8000 * std::sin(2 * M_PI * 440 * at / Rate));
    return samples;
}

struct Decoded {
    int rate = 0;
    std::vector<qint16> samples;
};

Decoded decode(const QString& path) {
    SF_INFO info{};
    SNDFILE* file = sf_open(QFile::encodeName(path).constData(), SFM_READ, &info);
    if (!file)
        return {};
    Decoded sound{info.samplerate, std::vector<qint16>(size_t(info.frames))};
    sound.samples.resize(size_t(sf_read_short(file, sound.samples.data(), info.frames)));
    sf_close(file);
    return sound;
}

// The first sample above -40 dBFS, in milliseconds.
double firstHeard(const Decoded& sound) {
    for (size_t at = 0; at < sound.samples.size(); ++at) {
        if (std::abs(int(sound.samples[at])) >= 328)
            return 1000.0 * double(at) / sound.rate;
    }
    return -1;
}
} // namespace

void TestAudioFile::decodedAsWritten_data() {
    QTest::addColumn<int>("format");
    QTest::addColumn<QString>("name");
    QTest::newRow("mp3") << int(SpeechFileStream::FormatMp3) << "a.mp3";
    QTest::newRow("ogg") << int(SpeechFileStream::FormatOggVorbis) << "a.ogg";
    QTest::newRow("flac") << int(SpeechFileStream::FormatFlac) << "a.flac";
}

// Written in pieces of uneven size, as the synthesis hands them over. The encoder's delay and
// padding must not reach the decoded sound: subtitles are timed from the samples written.
void TestAudioFile::decodedAsWritten() {
    QFETCH(int, format);
    QFETCH(QString, name);
    QTemporaryDir dir;
    const QString path = dir.filePath(name);
    const std::vector<qint16> samples = toneBurst();
    {
        const auto file = createAudioFile(path, format, audioFileRate(format, Rate));
        for (size_t done = 0, piece = 1; done < samples.size();
             done += piece, piece = piece * 3 + 7) {
            piece = std::min(piece, samples.size() - done);
            QVERIFY(file->write(samples.data() + done, piece));
        }
        QVERIFY(file->finish());
    }
    const Decoded sound = decode(path);
    QCOMPARE(sound.rate, Rate);
    QCOMPARE(sound.samples.size(), samples.size());
    QVERIFY2(std::abs(firstHeard(sound) - 1000) < 2,
             qPrintable(QString::number(firstHeard(sound))));
}

void TestAudioFile::failuresAreReported_data() {
    QTest::addColumn<int>("format");
    QTest::newRow("wav") << int(SpeechFileStream::Format16kHz16BitMono);
    QTest::newRow("mp3") << int(SpeechFileStream::FormatMp3);
    QTest::newRow("flac") << int(SpeechFileStream::FormatFlac);
}

// A folder that is not there cannot take the file; a full disk cannot take its sound. Neither
// may end as a file reported written.
void TestAudioFile::failuresAreReported() {
    QFETCH(int, format);
    QVERIFY_THROWS_EXCEPTION(AppError,
                             createAudioFile(QStringLiteral("/nonexistent/a"), format, Rate));
    bool written = false;
    try {
        const auto file = createAudioFile(QStringLiteral("/dev/full"), format, Rate);
        const std::vector<qint16> samples = toneBurst();
        written = file->write(samples.data(), samples.size()) && file->finish();
    } catch (const AppError&) {
        written = false;
    }
    QVERIFY(!written);
}

QTEST_GUILESS_MAIN(TestAudioFile)
#include "tst_audio_file.moc"
