// Reading control, the voice list, rate and volume, on the window with a recording voice.
#include "app/tfmain.h"
#include "platform/fakes/fake_platform.h"
#include "speech/voice_choice.h"

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QProgressBar>
#include <QSlider>
#include <QTextEdit>
#include <QToolButton>
#include <QtTest>

class TestReadingControl : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void pausedFlag_data();
    void pausedFlag();
    void readsSelectionOrWholeText_data();
    void readsSelectionOrWholeText();
    void emptyVoiceListOnlyReleases();
    void failedPauseKeepsFlag();
    void startupSelection_data();
    void startupSelection();
    void rateAndVolumeFromSettings();
    void defaultsAndTrackBars();
    void levelMovesTheBar();
    void exitStoresVoiceIndex();
    void closingEndsSpeech();
    void engineFailureEndsStartup();
    void indexChoice_data();
    void indexChoice();
    void idChoice_data();
    void idChoice();

private:
    TFmain* start(const QByteArray& settings = {});
    QStringList speechCalls() const;

    std::unique_ptr<FakePlatform> m_fakes;
    std::unique_ptr<TFmain> m_window;
};

namespace {

const QList<VoiceToken> ThreeVoices{{QStringLiteral("sit/cmn"), QStringLiteral("Chinese")},
                                    {QStringLiteral("gmw/en"), QStringLiteral("English")},
                                    {QStringLiteral("roa/fr"), QStringLiteral("French")}};

} // namespace

void TestReadingControl::init() {
    m_fakes = std::make_unique<FakePlatform>();
    m_fakes->voice.voices = ThreeVoices;
}

void TestReadingControl::cleanup() {
    m_window.reset();
    m_fakes.reset();
}

TFmain* TestReadingControl::start(const QByteArray& settings) {
    if (!settings.isEmpty())
        m_fakes->dataDirectory.writeFile(QStringLiteral("set.ini"), settings);
    m_window = std::make_unique<TFmain>(m_fakes->bundle());
    m_fakes->voice.clearCalls();
    return m_window.get();
}

// The calls that speak, pause, resume or release: the ones the commands are about.
QStringList TestReadingControl::speechCalls() const {
    QStringList calls;
    for (const QString& call : m_fakes->voice.calls()) {
        if (!call.startsWith(QStringLiteral("Voice:")))
            calls << call.section(u':', 0, 0);
    }
    return calls;
}

void TestReadingControl::pausedFlag_data() {
    QTest::addColumn<QStringList>("commands");
    QTest::addColumn<QStringList>("calls");
    const auto list = [](const char* text) {
        return QString::fromLatin1(text).split(u' ', Qt::SkipEmptyParts);
    };
    QTest::newRow("pause with nothing spoken, then resume")
        << list("pause pause") << list("Pause Resume");
    QTest::newRow("pause, read aloud, pause again")
        << list("pause aloud pause") << list("Pause ReleaseVoice Speak Pause");
    QTest::newRow("pause, stop, pause")
        << list("pause stop pause") << list("Pause ReleaseVoice Pause");
    QTest::newRow("second read aloud drops the first")
        << list("aloud aloud") << list("ReleaseVoice Speak ReleaseVoice Speak");
    QTest::newRow("stop when not paused stays unpaused")
        << list("stop pause pause") << list("ReleaseVoice Pause Resume");
}

void TestReadingControl::pausedFlag() {
    QFETCH(QStringList, commands);
    QFETCH(QStringList, calls);
    TFmain* w = start();
    w->RichEdit1->setPlainText(QStringLiteral("text"));
    for (const QString& command : commands) {
        if (command == QStringLiteral("pause"))
            w->BtnPause->click();
        else if (command == QStringLiteral("stop"))
            w->NStop->trigger();
        else
            w->NNAloud->trigger();
    }
    QCOMPARE(speechCalls(), calls);
}

void TestReadingControl::readsSelectionOrWholeText_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("selectFrom");
    QTest::addColumn<int>("selectTo");
    QTest::addColumn<QString>("spoken");
    QTest::newRow("whole text with CR LF breaks") << "one\ntwo" << 0 << 0 << "one\r\ntwo";
    QTest::newRow("selection across a paragraph") << "one\ntwo" << 2 << 5 << "e\r\nt";
    QTest::newRow("selection of spaces unchanged") << "a   b" << 1 << 4 << "   ";
    QTest::newRow("empty editor speaks empty text") << "" << 0 << 0 << "";
}

void TestReadingControl::readsSelectionOrWholeText() {
    QFETCH(QString, text);
    QFETCH(int, selectFrom);
    QFETCH(int, selectTo);
    QFETCH(QString, spoken);
    TFmain* w = start();
    w->RichEdit1->setPlainText(text);
    QTextCursor cursor = w->RichEdit1->textCursor();
    cursor.setPosition(selectFrom);
    cursor.setPosition(selectTo, QTextCursor::KeepAnchor);
    w->RichEdit1->setTextCursor(cursor);
    w->BtnAloud->click();
    QCOMPARE(m_fakes->voice.calls(),
             QStringList({QStringLiteral("ReleaseVoice"), QStringLiteral("Voice:sit/cmn"),
                          QStringLiteral("Speak:1:") + spoken}));
}

void TestReadingControl::emptyVoiceListOnlyReleases() {
    m_fakes->voice.voices.clear();
    TFmain* w = start();
    QCOMPARE(w->cbVoices->currentIndex(), -1);
    w->NAloud->trigger();
    QCOMPARE(m_fakes->voice.calls(), QStringList{QStringLiteral("ReleaseVoice")});
    QVERIFY(m_fakes->dialogs.messages.isEmpty());
}

void TestReadingControl::failedPauseKeepsFlag() {
    TFmain* w = start();
    m_fakes->voice.setFailing({QStringLiteral("Pause")});
    w->BtnPause->click(); // fails silently: still not paused
    m_fakes->voice.setFailing({});
    w->BtnPause->click();
    QCOMPARE(speechCalls(), QStringList{QStringLiteral("Pause")});
    QVERIFY(m_fakes->dialogs.messages.isEmpty());
}

void TestReadingControl::startupSelection_data() {
    QTest::addColumn<QByteArray>("settings");
    QTest::addColumn<int>("voices");
    QTest::addColumn<int>("selected");
    QTest::newRow("saved index past the list") << QByteArray("[set]\nEngine=7\n") << 3 << 0;
    QTest::newRow("missing index") << QByteArray() << 3 << 0;
    QTest::newRow("negative index") << QByteArray("[set]\nEngine=-5\n") << 3 << 0;
    QTest::newRow("saved index") << QByteArray("[set]\nEngine=2\n") << 3 << 2;
    QTest::newRow("no voices") << QByteArray("[set]\nEngine=1\n") << 0 << -1;
}

void TestReadingControl::startupSelection() {
    QFETCH(QByteArray, settings);
    QFETCH(int, voices);
    QFETCH(int, selected);
    m_fakes->voice.voices = ThreeVoices.mid(0, voices);
    TFmain* w = start(settings);
    QCOMPARE(w->cbVoices->count(), voices);
    QCOMPARE(w->cbVoices->currentIndex(), selected);
    // The change handler ran once for the selected voice, and not at all for an empty list.
    QCOMPARE(m_fakes->voice.voice.id, selected < 0 ? QString() : ThreeVoices[selected].id);
}

void TestReadingControl::rateAndVolumeFromSettings() {
    TFmain* w = start("[set]\nRate=15\nVolume=35\n");
    QCOMPARE(w->TBRate->value(), 10); // read back clamped from the voice
    QCOMPARE(w->lblRate->text(), QStringLiteral("10"));
    QCOMPARE(w->TBVolume->value(), 35);
    QCOMPARE(w->lblVolume->text(), QStringLiteral("35"));
    QCOMPARE(m_fakes->voice.rate, 10);
}

void TestReadingControl::defaultsAndTrackBars() {
    TFmain* w = start("[set]\nRate=-4\nVolume=20\n");
    w->TBRate->setValue(6);
    QCOMPARE(m_fakes->voice.calls().last(), QStringLiteral("Rate:6"));
    QCOMPARE(w->lblRate->text(), QStringLiteral("6"));
    w->NDefaultvolume->trigger();
    QCOMPARE(w->TBVolume->value(), 80);
    QCOMPARE(w->lblVolume->text(), QStringLiteral("80"));
    QCOMPARE(m_fakes->voice.volume, 80);
    w->NDefaultRate->trigger();
    QCOMPARE(w->TBRate->value(), 0);
    QCOMPARE(w->lblRate->text(), QStringLiteral("0"));
}

void TestReadingControl::levelMovesTheBar() {
    TFmain* w = start();
    Q_EMIT m_fakes->voice.AudioLevel(1, 0, 4);
    QCOMPARE(w->ProgressBar1->value(), 4);
    Q_EMIT m_fakes->voice.AudioLevel(1, 2204, 17);
    QCOMPARE(w->ProgressBar1->value(), 10);
}

void TestReadingControl::exitStoresVoiceIndex() {
    TFmain* w = start("[set]\nEngine=1\n");
    w->cbVoices->setCurrentIndex(2);
    m_window.reset();
    QFile file(m_fakes->dataDirectory.filePath(QStringLiteral("set.ini")));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QStringList lines =
        QString::fromUtf8(file.readAll()).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 1 + 14 + 1 + 1); // and the follow-along highlight, the voice's id
    QVERIFY(lines.contains(QStringLiteral("Engine=2")));
    QVERIFY(lines.contains(QStringLiteral("EngineId=roa/fr")));
    QVERIFY(lines.contains(QStringLiteral("Volume=80")));
}

void TestReadingControl::closingEndsSpeech() {
    TFmain* w = start();
    w->show();
    w->BtnAloud->click();
    m_fakes->voice.clearCalls();
    QVERIFY(w->close());
    QCOMPARE(m_fakes->voice.calls(), QStringList({QStringLiteral("ReleaseVoice"),
                                                  QStringLiteral("Skip:Sentence:2147483647")}));
}

void TestReadingControl::engineFailureEndsStartup() {
    m_fakes->voice.setFailing({QStringLiteral("GetVoices")});
    TFmain* w = start("[set]\nRate=5\nToolBar=0\n");
    QCOMPARE(m_fakes->dialogs.messages.size(), 1);
    QCOMPARE(m_fakes->dialogs.messages.first().text, QStringLiteral("GetVoices failed."));
    QCOMPARE(w->TBRate->value(), 0);   // step 7 never ran
    QVERIFY(!w->PToolBar->isHidden()); // nor step 9
    m_fakes->voice.setFailing({});
    m_window.reset();
    QFile file(m_fakes->dataDirectory.filePath(QStringLiteral("set.ini")));
    QVERIFY(file.open(QIODevice::ReadOnly));
    // What the window never showed is kept as it was.
    QCOMPARE(QString::fromUtf8(file.readAll()), QStringLiteral("[set]\r\nRate=5\r\nToolBar=0\r\n"));
}

void TestReadingControl::indexChoice_data() {
    QTest::addColumn<int>("saved");
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<int>("expected");
    QTest::newRow("item with empty text") << 1 << QStringList{"a", "", "c"} << 0;
    QTest::newRow("valid") << 2 << QStringList{"a", "b", "c"} << 2;
    QTest::newRow("empty list") << 0 << QStringList{} << -1;
}

void TestReadingControl::indexChoice() {
    QFETCH(int, saved);
    QFETCH(QStringList, texts);
    QFETCH(int, expected);
    QCOMPARE(voiceIndexToSelect(saved, texts), expected);
}

void TestReadingControl::idChoice_data() {
    QTest::addColumn<int>("saved");
    QTest::addColumn<QString>("savedId");
    QTest::addColumn<int>("expected");
    QTest::newRow("the id wherever it now stands") << 1 << "gmw/en-US" << 2;
    QTest::newRow("no id saved: the index") << 1 << "" << 1;
    QTest::newRow("voice gone: the index") << 1 << "neural:removed" << 1;
}

void TestReadingControl::idChoice() {
    QFETCH(int, saved);
    QFETCH(QString, savedId);
    QFETCH(int, expected);
    const QList<VoiceToken> voices{{QStringLiteral("sit/cmn"), QStringLiteral("a")},
                                   {QStringLiteral("neural:new"), QStringLiteral("b")},
                                   {QStringLiteral("gmw/en-US"), QStringLiteral("c")}};
    QCOMPARE(voiceIndexToSelect(saved, savedId, voices, {"a", "b", "c"}), expected);
}

QTEST_MAIN(TestReadingControl)
#include "tst_reading_control.moc"
