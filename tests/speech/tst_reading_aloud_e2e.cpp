// Read aloud end to end: the window, the real engine and a PulseAudio null sink whose monitor
// is recorded while the buttons are pressed.
#include "app/tfmain.h"
#include "platform/fakes/fake_platform.h"
#include "platform/speech/espeak_voice.h"

#include <QProcess>
#include <QTextEdit>
#include <QToolButton>
#include <QtTest>

class TestReadingAloudEndToEnd : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void aloudPauseStopOnTheSink();
};

namespace {

constexpr int Rate = 22050;

// The RMS of the last `milliseconds` of recorded 16-bit mono audio.
double recentRms(const QByteArray& recorded, int milliseconds) {
    const qsizetype samples = std::min<qsizetype>(recorded.size() / 2, Rate * milliseconds / 1000);
    const auto* data =
        reinterpret_cast<const qint16*>(recorded.constData()) + recorded.size() / 2 - samples;
    double sum = 0;
    for (qsizetype i = 0; i < samples; ++i)
        sum += double(data[i]) * data[i];
    return samples ? std::sqrt(sum / double(samples)) : 0;
}

} // namespace

void TestReadingAloudEndToEnd::aloudPauseStopOnTheSink() {
    if (qEnvironmentVariableIsEmpty("PULSE_SERVER"))
        QSKIP("needs the private sound server that 'make test' starts");
    QProcess recorder;
    recorder.start(QStringLiteral("parec"),
                   {QStringLiteral("--device=parlora_test.monitor"), QStringLiteral("--raw"),
                    QStringLiteral("--format=s16le"), QStringLiteral("--rate=22050"),
                    QStringLiteral("--channels=1"), QStringLiteral("--latency-msec=20")});
    QVERIFY(recorder.waitForStarted());
    QByteArray recorded;
    connect(&recorder, &QProcess::readyReadStandardOutput,
            [&] { recorded += recorder.readAllStandardOutput(); });

    FakePlatform fakes;
    EspeakVoice voice;
    Platform platform = fakes.bundle();
    platform.voice = &voice;
    TFmain window(platform);
    window.RichEdit1->setPlainText(
        QStringLiteral("This reading goes on for a good while, sentence after sentence. ")
            .repeated(40));
    QTest::qWait(500);
    QCOMPARE(recentRms(recorded, 400), 0.0);

    window.BtnAloud->click();
    QTRY_VERIFY_WITH_TIMEOUT(recentRms(recorded, 300) > 300, 8000);

    window.BtnPause->click();
    QTest::qWait(400);
    QVERIFY2(recentRms(recorded, 200) < 1, qPrintable(QString::number(recentRms(recorded, 200))));

    window.BtnPause->click();
    QTRY_VERIFY_WITH_TIMEOUT(recentRms(recorded, 300) > 300, 3000);

    window.BtnStop->click();
    QTest::qWait(400);
    QCOMPARE(recentRms(recorded, 200), 0.0);
    recorder.kill();
    recorder.waitForFinished();
}

QTEST_MAIN(TestReadingAloudEndToEnd)
#include "tst_reading_aloud_e2e.moc"
